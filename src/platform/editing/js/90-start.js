// Start-up: make the page editable, watch it for edits and selection moves,
// connect to the host and announce ourselves.


(function (E) {
  'use strict';
  E.handlers.dom = function (args) {
    const op = E.dom && E.dom[args.op];
    if (!op)
      E.fail(E.NOTIMPL, 'document operation ' + args.op + ' is not supported');
    return op(args.args);
  };
  E.dom = E.dom || {};
  E.dom.selectionType = function () { return E.selectionType(); };

  E.instance = Date.now().toString(36) + '-' + Math.random().toString(36).slice(2);

  document.designMode = 'on';
  // The font commands write font tags (21-fonts.js). The command lays the
  // page out: set here, once the skipping of off-screen blocks is chosen
  // (32-offscreen.js) and design mode is on, for each of which the page was
  // laid out again while it opened.
  document.execCommand('styleWithCSS', false, false);

  // A freshly loaded page takes typing at its start, as a new editor would:
  // at the first text the page shows. The very start of the body is often
  // white space before a block, where the browser shows no caret and drops
  // what is typed.
  function firstCaretPlace() {
    const skip = 'script,style,template,noscript,[' + E.uiAttribute + ']';
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT, {
      acceptNode: function (n) {
        if (!/[^ \t\n\r\f]/.test(n.data))
          return NodeFilter.FILTER_SKIP;
        const parent = n.parentElement;
        return parent && parent.closest(skip) ? NodeFilter.FILTER_SKIP : NodeFilter.FILTER_ACCEPT;
      },
    });
    const text = walker.nextNode();
    if (text)
      return [text, 0];
    // No text: inside the first empty block, else the body itself.
    const block = document.body.querySelector('div:empty,p:empty,td:empty,li:empty');
    return block ? [block, 0] : [document.body, 0];
  }

  (function placeCaret() {
    const sel = document.getSelection();
    // Setting design mode leaves a caret at the very start of the body;
    // only a selection the user already made is kept.
    if (!document.body || !sel || (sel.rangeCount > 0 && !sel.isCollapsed))
      return;
    const place = firstCaretPlace();
    const range = document.createRange();
    range.setStart(place[0], place[1]);
    range.collapse(true);
    sel.removeAllRanges();
    sel.addRange(range);
    E.placedCaret = range;
  })();

  // A caret placed while the page had no focus is not announced to the host
  // as a place to type, so typed characters went nowhere until a key or a
  // click moved it. Setting it again once the page has the focus announces
  // it; only the caret placed above, and only the first time.
  window.addEventListener('focus', function announceCaret() {
    window.removeEventListener('focus', announceCaret);
    const sel = document.getSelection();
    const placed = E.placedCaret;
    E.placedCaret = null;
    if (!placed || !sel || sel.rangeCount === 0 || !sel.isCollapsed
        || sel.anchorNode !== placed.startContainer || sel.anchorOffset !== placed.startOffset)
      return;
    const range = sel.getRangeAt(0);
    sel.removeAllRanges();
    sel.addRange(range);
  });

  // Any change to the document's content is an edit, except changes the
  // engine makes to its own marked elements.
  new MutationObserver(function (records) {
    if (E.quiet > 0)
      return;
    for (const r of records) {
      const target = r.target.nodeType === Node.ELEMENT_NODE ? r.target : r.target.parentElement;
      if (r.type === 'attributes' && r.attributeName === E.uiAttribute)
        continue;
      if (target && target.closest && target.closest('[' + E.uiAttribute + ']'))
        continue;
      E.contentChanged = true;
      E.scheduleDisplayChanged();
      return;
    }
  }).observe(document, { subtree: true, childList: true, attributes: true, characterData: true });

  document.addEventListener('selectionchange', E.scheduleDisplayChanged);

  // Links inside the page are text to edit, never places to go.
  document.addEventListener('click', function (e) {
    if (e.target && e.target.closest && e.target.closest('a[href]'))
      e.preventDefault();
  }, true);

  new QWebChannel(qt.webChannelTransport, function (channel) {
    const bridge = channel.objects.bridge;
    bridge.request.connect(function (id, method, argsJson) {
      const args = JSON.parse(argsJson)[0];
      let ok = true;
      let result = null;
      try {
        const handler = E.handlers[method];
        if (!handler)
          E.fail(E.NOTIMPL, 'unknown engine method ' + method);
        if (E.settleSelection)
          E.settleSelection(method);
        if (E.forgetSnapshot)
          E.forgetSnapshot();
        result = handler(args);
        if (result === undefined)
          result = null;
      } catch (e) {
        ok = false;
        result = { code: e.code || E.UNEXPECTED, message: String(e && e.message || e) };
      }
      bridge.respond(id, ok, result);
    });
    E.bridge = bridge;
    E.contentChanged = false;
    // The instance tells the host this very document from one that replaced
    // it under the same URL.
    bridge.announce({ url: location.href, instance: E.instance, snapshot: E.snapshot(false) });
    // The page is complete; the first display change lets the host show the
    // state at the caret.
    bridge.notify('DocumentComplete', null);
    E.scheduleDisplayChanged();
  });
})(Corvane);

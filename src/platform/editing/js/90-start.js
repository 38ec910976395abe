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

  // What the page needs before it may change, put off until it is shown: on
  // a large page the numbering of its nodes (11-source.js) costs a tenth of
  // a second or more, and the first caret and the font commands' setting
  // (they write font tags, 21-fonts.js) each lay the whole page out. All is
  // done at once before any request of the host and any input of the user.
  let prepared = false;
  function prepare() {
    if (prepared)
      return;
    prepared = true;
    document.execCommand('styleWithCSS', false, false);
    placeCaret();
  }
  E.settle = function () {
    if (E.finishPaste)
      E.finishPaste(); // a large paste still going in
    prepare();
    E.source.ensureRecorded();
  };
  // Requests that neither change the page nor read its text.
  const UNSETTLING = { setView: true, snapshot: true, historyState: true, tellKeys: true };
  // Requests that may change the page: editing aids that are page nodes
  // step aside first.
  const CHANGING_DOM = { rangePasteHTML: true, setBodyAttribute: true, resizeControl: true };
  function changes(method, args) {
    return method === 'exec' || (method === 'dom' && !!args && !!CHANGING_DOM[args.op]);
  }
  // Every key counted as it arrives, first of all: the host waits for the
  // keys it handed over before it asks anything.
  E.keysSeen = 0;
  window.addEventListener('keydown', function () {
    E.keysSeen++;
    if (E.bridge)
      E.bridge.keysSeen(E.keysSeen);
  }, true);
  for (const type of ['keydown', 'keypress', 'beforeinput', 'compositionstart', 'mousedown',
                      'pointerdown', 'paste', 'cut', 'drop', 'dragstart'])
    window.addEventListener(type, function () { E.settle(); }, true);

  // The caret, the setting and the first display change come with the first
  // frame (the layout they ask for is the frame's own), the numbering a slice
  // a frame after it. Frames stop while the view is hidden: the host then asks
  // (settle) after a while.
  function settleInFrames() {
    requestAnimationFrame(function () {
      prepare();
      E.scheduleDisplayChanged();
      const slice = function () {
        if (!E.source.recordSome(8))
          requestAnimationFrame(slice);
      };
      requestAnimationFrame(slice);
    });
  }
  E.handlers.settle = function () {
    const unshown = !prepared;
    E.settle();
    if (unshown)
      E.scheduleDisplayChanged();
    return null;
  };

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

  function placeCaret() {
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
  }

  // A caret placed while the page had no focus is not announced to the host
  // as a place to type, so typed characters went nowhere until a key or a
  // click moved it. Setting it again once the page has the focus announces
  // it; only the caret placed above, and only the first time.
  // Once the selection has been anywhere else the placed caret is history:
  // a focus coming back later (from a panel of the host, say) finds the
  // browser's own caret at the page start, which looks the same.
  function caretStillPlaced() {
    const sel = document.getSelection();
    const placed = E.placedCaret;
    return !!placed && !!sel && sel.rangeCount > 0 && sel.isCollapsed
      && sel.anchorNode === placed.startContainer && sel.anchorOffset === placed.startOffset;
  }
  function forgetMovedCaret() {
    if (E.placedCaret && !caretStillPlaced())
      E.placedCaret = null;
  }
  document.addEventListener('selectionchange', forgetMovedCaret);
  window.addEventListener('focus', function announceCaret() {
    if (!prepared)
      return; // placed later, with the focus
    window.removeEventListener('focus', announceCaret);
    const still = caretStillPlaced();
    E.placedCaret = null;
    if (!still)
      return;
    const sel = document.getSelection();
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

  // The channel to the host was opened as the document was created, so its
  // handshake is over by now on any page large enough for it to matter.
  window.__corvaneChannel(function (channel) {
    const bridge = channel.objects.bridge;
    bridge.request.connect(function (id, method, argsJson) {
      const args = JSON.parse(argsJson)[0];
      let ok = true;
      let result = null;
      try {
        const handler = E.handlers[method];
        if (!handler)
          E.fail(E.NOTIMPL, 'unknown engine method ' + method);
        if (!UNSETTLING[method])
          E.settle();
        if (changes(method, args) && E.clearDetails)
          E.clearDetails();
        if (E.forgetSnapshot)
          E.forgetSnapshot();
        result = handler(args);
        if (result === undefined)
          result = null;
      } catch (e) {
        ok = false;
        result = { code: e.code || E.UNEXPECTED, message: String(e && e.message || e) };
      }
      forgetMovedCaret();
      bridge.respond(id, ok, result);
    });
    E.bridge = bridge;
    E.contentChanged = false;
    // The instance tells the host this very document from one that replaced
    // it under the same URL. The state at the caret comes with the first
    // display change: asking for it now would lay the page out before it is
    // first shown.
    bridge.announce({ url: location.href, instance: E.instance, keys: E.keysSeen });
    bridge.notify('DocumentComplete', null);
    settleInFrames();
  });
})(Corvane);

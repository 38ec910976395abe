// The page's side of the clipboard: the selection as HTML and text for the
// host to put on the system clipboard, and inserting what the host reads
// from it. Pasted HTML is cleaned first: it never brings scripts, frames,
// event handlers or script links into the page.


(function (E) {
  'use strict';
  const DROP = 'script,iframe,frame,frameset,object,embed,applet,meta,link,base,noscript,' +
               '[' + E.uiAttribute + ']';

  function clean(html) {
    const template = document.createElement('template');
    template.innerHTML = html;
    const root = template.content;
    root.querySelectorAll(DROP).forEach(function (n) { n.remove(); });
    root.querySelectorAll('*').forEach(function (el) {
      for (const a of Array.from(el.attributes)) {
        const value = a.value.replace(/[\s\u0000-\u001f]/g, '').toLowerCase();
        if (/^on/i.test(a.name) || /^(javascript|vbscript):/.test(value))
          el.removeAttribute(a.name);
      }
    });
    const box = document.createElement('div');
    box.appendChild(root);
    return box.innerHTML;
  }
  E.cleanHtml = clean;

  // Pages are served as editdoc://doc/<path>?g=<n>, where <path> is the
  // file's own path on disk; other programs need the file: URL instead.
  function fileUrlOf(url) {
    return 'file://' + (url.hostname === 'doc' ? '' : url.hostname) + url.pathname + url.search +
           url.hash;
  }
  function withoutHash(url) {
    return url.href.slice(0, url.href.length - url.hash.length);
  }
  // An untitled page has no folder: its relative URLs have nothing real to
  // resolve against (page_scheme.cpp serves it from this path), unless it
  // came from a web address and has a base.
  function untitled() {
    return location.protocol === 'editdoc:' && location.pathname === '/untitled/page.htm' &&
           document.baseURI === location.href;
  }

  // A URL of the page as other programs can follow it: absolute, and a real
  // file: or web URL rather than our own scheme.
  function realUrl(value) {
    const text = value.trim();
    if (!text || (E.server && E.server.holdsToken(text)))
      return value;
    let url = null;
    try {
      url = new URL(text);
    } catch (e) {
      url = null;
    }
    if (url && url.protocol !== 'editdoc:')
      return value;
    if (!url) {
      if (untitled())
        return value;
      try {
        url = new URL(text, document.baseURI);
      } catch (e) {
        return value;
      }
    }
    // A link within the page itself loses the page's load counter.
    const here = new URL(location.href);
    if (withoutHash(url) === withoutHash(here)) {
      url.search = '';
    }
    return url.protocol === 'editdoc:' ? fileUrlOf(url) : url.href;
  }

  const URL_ATTRIBUTES = ['src', 'href', 'background', 'poster', 'cite', 'action', 'longdesc'];
  function realUrls(root) {
    E.mapUrls(root, URL_ATTRIBUTES, function () { return realUrl; });
  }

  // The selection's text as the user sees it, without the editing aids'.
  const hideAids = new CSSStyleSheet();
  hideAids.replaceSync('[' + E.uiAttribute + '] { display: none !important; }');
  function visibleText() {
    const sel = document.getSelection();
    if (!document.querySelector('[' + E.uiAttribute + ']'))
      return sel.toString();
    document.adoptedStyleSheets = document.adoptedStyleSheets.concat([hideAids]);
    try {
      return sel.toString();
    } finally {
      document.adoptedStyleSheets =
          document.adoptedStyleSheets.filter(function (s) { return s !== hideAids; });
    }
  }

  // Copies leave as the page's own HTML: no editing aids, real URLs, and
  // server code as it was written.
  function pageHtml(box) {
    E.readyForHtml(box);
    realUrls(box);
    return E.server ? E.server.restore(box.innerHTML) : box.innerHTML;
  }

  E.clipboard = {
    copy: function () {
      const box = document.createElement('div');
      const control = E.controlSelection && E.controlSelection();
      if (control) {
        box.appendChild(control.cloneNode(true));
        return { html: pageHtml(box), text: '' };
      }
      const range = E.range();
      if (!range || range.collapsed)
        return { html: '', text: '' };
      // Text inside formatting keeps it: the inline elements around the
      // selection come along, without their ids.
      let content = range.cloneContents();
      let el = range.commonAncestorContainer;
      if (el.nodeType !== Node.ELEMENT_NODE)
        el = el.parentElement;
      for (; el && el !== document.body && getComputedStyle(el).display === 'inline';
           el = el.parentElement) {
        const wrap = el.cloneNode(false);
        wrap.removeAttribute('id');
        wrap.appendChild(content);
        content = wrap;
      }
      box.appendChild(content);
      return { html: pageHtml(box), text: visibleText() };
    },
    paste: function (data) {
      const html = typeof data.html === 'string' && data.html ? clean(data.html) : '';
      const text = typeof data.text === 'string' ? data.text : '';
      if (!html && !text)
        return;
      if (E.deleteControl)
        E.deleteControl();
      if (html)
        document.execCommand('insertHTML', false, html);
      else
        document.execCommand('insertText', false, text.replace(/\r\n?/g, '\n'));
    },
  };

  // The browser's own copy and cut (Ctrl+C, Ctrl+X) would write the page
  // with its computed styles inlined, editing aids among them; they get the
  // same data as the Copy command instead. Text fields keep their own.
  function inTextField() {
    const active = document.activeElement;
    return !!active && (active.localName === 'textarea' || active.localName === 'input');
  }
  function deliver(e) {
    if (!e.clipboardData || inTextField())
      return false;
    const data = E.clipboard.copy();
    if (!data.html && !data.text)
      return false;
    e.clipboardData.setData('text/html', data.html);
    e.clipboardData.setData('text/plain', data.text);
    e.preventDefault();
    return true;
  }
  document.addEventListener('copy', deliver, true);
  document.addEventListener('cut', function (e) {
    if (!deliver(e))
      return;
    // Cancelled, the browser removes nothing: the selection goes as one step.
    E.history.cut('edit');
    E.history.hold++;
    try {
      E.commands[5004].exec();
    } finally {
      E.history.hold--;
      E.history.cut('command');
    }
  }, true);
})(Corvane);

// The page's side of the clipboard: the selection as HTML and text for the
// host to put on the system clipboard, and inserting what the host reads
// from it. Pasted HTML is cleaned first: it never brings scripts, frames,
// event handlers or script links into the page.


(function (E) {
  'use strict';
  const DROP = 'script,iframe,frame,frameset,object,embed,applet,meta,link,base,noscript,' +
               '[' + E.uiAttribute + ']';

  // What pasted HTML may not bring is dropped, and so are its handlers and
  // script links; root is a fragment or an element (itself kept).
  function cleanTree(root) {
    root.querySelectorAll(DROP).forEach(function (n) { n.remove(); });
    const strip = function (el) {
      if (!el.hasAttributes())
        return;
      for (const a of Array.from(el.attributes)) {
        const value = a.value.replace(/[\s\u0000-\u001f]/g, '').toLowerCase();
        if (/^on/i.test(a.name) || /^(javascript|vbscript):/.test(value))
          el.removeAttribute(a.name);
      }
    };
    if (root.nodeType === Node.ELEMENT_NODE)
      strip(root);
    root.querySelectorAll('*').forEach(strip);
  }
  function parsed(html) {
    const template = document.createElement('template');
    template.innerHTML = html;
    return template.content;
  }
  function cleanFragment(html) {
    const root = parsed(html);
    cleanTree(root);
    return root;
  }
  function clean(html) {
    const box = document.createElement('div');
    box.appendChild(cleanFragment(html));
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

  // The browser's own insertion merges and restyles node by node: a few
  // megabytes take it minutes. Above this the content goes in as it is
  // parsed, its blocks beside the block the caret is in (split there), where
  // the off-screen skipping (32-offscreen.js) spares their layout, and in
  // slices, one a frame, so that the engine answers in between. Whatever
  // reads or changes the page first puts the rest in (E.settle); the whole
  // paste is one undo step.
  const LARGE = 256 * 1024;
  const SLICE = 4000; // top-level nodes a frame
  const SPLITTABLE = 'p,div,h1,h2,h3,h4,h5,h6,pre,address,blockquote,center';
  const BLOCK = 'p,div,h1,h2,h3,h4,h5,h6,pre,address,blockquote,center,ul,ol,dl,table,hr,' +
      'section,article,aside,nav,header,footer,main,figure,form,fieldset,details,menu,dir';
  let slicing = null;

  // The block at the body's level the caret stands in, when it can be split
  // there (not inside a table or a list).
  function splittableBlock(node) {
    let el = node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement;
    for (; el && el.parentElement !== document.body; el = el.parentElement) {
      if (el.matches('td,th,li,dd,dt,caption') || el === document.documentElement)
        return null;
    }
    return el && el.matches(SPLITTABLE) ? el : null;
  }
  function holdsBlocks(fragment) {
    for (let k = fragment.firstElementChild; k; k = k.nextElementSibling) {
      if (k.matches(BLOCK))
        return true;
    }
    return false;
  }
  function isEmpty(fragment) {
    return !fragment.textContent.trim() && !fragment.querySelector('img,input,hr,table,iframe');
  }
  // Each line a paragraph, as the browser makes them when text is pasted.
  function textFragment(text) {
    const fragment = document.createDocumentFragment();
    const lines = text.replace(/\r\n?/g, '\n').split('\n');
    if (lines.length === 1) {
      fragment.appendChild(document.createTextNode(lines[0]));
      return fragment;
    }
    for (const line of lines) {
      const p = document.createElement('p');
      if (line)
        p.textContent = line;
      else
        p.appendChild(document.createElement('br'));
      fragment.appendChild(p);
    }
    return fragment;
  }
  function insertLarge(fragment, html) {
    let range = E.range();
    if (!range || !document.body || !document.body.contains(range.commonAncestorContainer)) {
      range = document.createRange();
      range.selectNodeContents(document.body);
      range.collapse(false);
    }
    range.deleteContents();
    const nodes = Array.from(fragment.childNodes);
    if (!nodes.length)
      return;
    const block = holdsBlocks(fragment) ? splittableBlock(range.startContainer) : null;
    let parent, before;
    if (block) {
      const tail = document.createRange();
      tail.setStart(range.startContainer, range.startOffset);
      tail.setEndAfter(block);
      const rest = tail.extractContents();
      parent = block.parentNode;
      before = block.nextSibling;
      if (!isEmpty(rest)) {
        before = rest.firstChild;
        parent.insertBefore(rest, block.nextSibling);
      }
      if (isEmpty(block) && !block.querySelector('br'))
        block.remove();
    } else {
      // Inside a text node the range splits it; the slices go where the
      // range stands.
      const mark = document.createTextNode('');
      range.insertNode(mark);
      parent = mark.parentNode;
      before = mark.nextSibling;
      mark.remove();
    }
    slicing = { nodes: nodes, at: 0, parent: parent, before: before, html: html };
    putSlice();
    if (slicing)
      E.later(nextSlice, 1);
  }

  function putSlice() {
    const s = slicing;
    const end = Math.min(s.nodes.length, s.at + SLICE);
    const part = document.createDocumentFragment();
    for (let i = s.at; i < end; ++i) {
      const n = s.nodes[i];
      if (s.html && n.nodeType === Node.ELEMENT_NODE) {
        if (n.matches(DROP))
          continue;
        cleanTree(n);
      }
      part.appendChild(n);
    }
    s.parent.insertBefore(part, s.before && s.before.parentNode === s.parent ? s.before : null);
    s.at = end;
    if (s.at < s.nodes.length)
      return;
    slicing = null;
    // Where to skip is chosen for the new shape before anything asks for a
    // layout: the caret would lay out every pasted block.
    if (E.offscreen)
      E.offscreen.plan();
    let last = s.nodes[s.nodes.length - 1];
    while (last && !last.isConnected)
      last = last.previousSibling;
    if (!last)
      return;
    const caret = document.createRange();
    if (last.nodeType === Node.ELEMENT_NODE && last.matches(BLOCK) &&
        !last.matches('table,hr,ul,ol,dl'))
      caret.selectNodeContents(last);
    else
      caret.setStartAfter(last);
    caret.collapse(false);
    const sel = document.getSelection();
    sel.removeAllRanges();
    sel.addRange(caret);
  }

  // The later slices join the paste's undo step.
  function nextSlice() {
    if (!slicing)
      return;
    E.history.hold++;
    try {
      putSlice();
    } finally {
      E.history.hold--;
      E.history.extend();
    }
    if (slicing)
      E.later(nextSlice, 1);
  }
  E.finishPaste = function () {
    while (slicing)
      nextSlice();
  };

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
      const large = (typeof data.html === 'string' ? data.html.length : 0) > LARGE ||
          (!data.html && typeof data.text === 'string' && data.text.length > LARGE);
      if (large) {
        if (E.deleteControl)
          E.deleteControl();
        insertLarge(data.html ? parsed(data.html) : textFragment(data.text), !!data.html);
        return;
      }
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
  // The browser's own paste (Ctrl+V) would insert whatever the clipboard
  // holds, however large, where nobody can ask about it or stop it: the
  // host reads the clipboard and pastes through the Paste command instead.
  document.addEventListener('paste', function (e) {
    if (inTextField() || !E.bridge)
      return;
    e.preventDefault();
    E.bridge.notify('PasteRequested', null);
  }, true);
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

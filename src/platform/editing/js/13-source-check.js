// Whether a spliced page (11-source.js) loads into the page the editor
// holds, and the page as the save writes it. A small page is parsed again
// whole; on a large one each edited element is parsed again in its parent,
// and the whole page only when that cannot tell. A page that fails is
// written as the browser serialises it.


(function (E) {
  'use strict';
  const S = E.source;

  // Whether text loads into the page the editor holds.
  function same(text, whole) {
    const copy = new DOMParser().parseFromString(text, 'text/html');
    return E.serialize(null, copy) === whole;
  }

  // Above this size the whole page is parsed again only when a check of the
  // edited elements alone cannot tell: that parse costs 70 to 100 ms a
  // megabyte, more than the browser takes to write the page out.
  S.wholeCheckUpTo = 256 * 1024;

  // The elements the edits lie in: for each change the nearest element
  // paired with the text that has an end tag of its own there, below the
  // body or the head; and apart, the elements only whose attributes
  // changed (the body's, for the page's colours).
  function editedElements(tags) {
    const pairOf = S.pairing.pairOf;
    const P = S.tree.positions;
    const found = new Set();
    S.touched.forEach(function (node) {
      if (!node.isConnected)
        return;
      if (S.attributes.has(node) && !S.structure.has(node)) {
        const b = node[S.place];
        if (b === undefined || pairOf[b] < 0)
          return found.add(null);
        return tags.push(node);
      }
      let el = node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement;
      for (; el; el = el.parentElement) {
        const b = el[S.place];
        const p = b === undefined ? -1 : pairOf[b];
        const parent = el.parentElement;
        if (!parent || parent === document.documentElement)
          return found.add(null); // the whole page is in question
        if (p >= 0 && P[4 * p + 2] < P[4 * p + 3])
          return found.add(el);
      }
      found.add(null);
    });
    if (found.has(null))
      return null;
    // An element inside another found one is checked with it.
    return Array.from(found).filter(function (el) {
      for (let up = el.parentElement; up; up = up.parentElement) {
        if (found.has(up))
          return false;
      }
      return true;
    });
  }

  // An element's new start tag, read by the parser where it stands, gives
  // the attributes it has.
  function startTagReadsBack(el, inert) {
    const tag = S.startTagHtml(el);
    let read;
    if (el === document.documentElement || el === document.head || el === document.body) {
      const doc = new DOMParser().parseFromString(
        el === document.body ? '<head></head>' + tag : tag, 'text/html');
      read = el === document.body ? doc.body
        : el === document.head ? doc.head : doc.documentElement;
    } else {
      const context = inert.importNode(el.parentElement, false);
      context.innerHTML = tag;
      read = context.firstChild;
    }
    if (!read || read.nodeType !== Node.ELEMENT_NODE || read.localName !== el.localName
        || read.attributes.length !== el.attributes.length)
      return false;
    for (const a of el.attributes) {
      if (read.getAttributeNS(a.namespaceURI, a.localName) !== a.value)
        return false;
    }
    return true;
  }

  // Each edited element's text, read by the parser in its parent, gives
  // that element as the editor holds it, and everything written otherwise
  // than from the text lies inside one of them. The text around them is the
  // page's own and read as it was at load. (A node the parser had moved,
  // written out next to an edit, could read differently after text left
  // open before it: that is for the whole page's check.)
  function editsReadBack(result) {
    const tags = [];
    const elements = editedElements(tags);
    if (!elements)
      return false;
    for (const node of result.rebuilt) {
      if (!elements.some(function (el) { return el.contains(node); })
          && tags.indexOf(node) < 0)
        return false;
    }
    const inert = document.implementation.createHTMLDocument('');
    for (const el of tags) {
      if (!startTagReadsBack(el, inert))
        return false;
    }
    let size = 0;
    for (const el of elements) {
      const text = result.textOf(el, S.pairing.pairOf[el[S.place]]);
      size += text.length;
      if (size > Math.max(result.length / 4, 65536))
        return false; // near as dear as reading the whole page
      const context = inert.importNode(el.parentElement, false);
      context.innerHTML = text;
      if (context.childNodes.length !== 1 || context.firstChild.nodeType !== Node.ELEMENT_NODE
          || E.elementHtml(context.firstChild) !== E.elementHtml(el))
        return false;
    }
    return true;
  }

  S.splice = function () {
    if (E.handlers.historyState().atLoad) {
      S.last = 'unchanged';
      return { unchanged: true };
    }
    if (S.text === null)
      return { needSource: true };
    S.ensureRecorded();
    let whole = null;
    // Where the page's text next to a new node would read differently (a
    // paragraph without its end tag before a new inline element), the
    // second try writes the element before each new node as the browser has
    // it, end tag and all, instead of the whole page.
    for (const widen of [false, true]) {
      if (!S.pairing || S.unrecorded)
        break;
      try {
        const result = S.spliced(widen);
        if (widen && !result.widened)
          break;
        let ok = result.length > S.wholeCheckUpTo && !result.moved && editsReadBack(result);
        S.checked = ok ? 'edited' : 'whole';
        if (!ok) {
          whole = whole === null ? E.serialize() : whole;
          ok = same(result.text(), whole);
        }
        if (ok) {
          S.last = 'spliced';
          return { pieces: result.pieces.wire() };
        }
        if (!widen)
          S.rejected = result.text(); // kept for a look when a page is written whole
      } catch (e) {
        // written whole below
      }
    }
    S.last = 'serialized';
    return wholePage(whole === null ? E.serialize() : whole);
  };

  // The page as the browser serialises it, with the page's own line ends
  // and every comment the edit left alone spelled as in the page's text:
  // the parser reads Word's <![if !supportLists]> as a comment, which the
  // browser would write as <!--[if !supportLists]-->.
  function wholePage(html) {
    const newline = S.newline;
    const spellings = S.tree && S.text !== null ? commentSpellings() : null;
    if (!spellings || !spellings.size)
      return E.sourceText.withNewlines(html, newline);
    const out = [];
    let from = 0;
    let search = 0;
    const walker = document.createTreeWalker(document, NodeFilter.SHOW_COMMENT);
    for (let c = walker.nextNode(); c; c = walker.nextNode()) {
      const written = '<!--' + c.data + '-->';
      const at = html.indexOf(written, search);
      if (at < 0)
        continue;
      search = at + written.length;
      const spelling = spellings.get(c);
      if (spelling === undefined || spelling === written)
        continue;
      out.push(E.sourceText.withNewlines(html.slice(from, at), newline), spelling);
      from = at + written.length;
    }
    out.push(E.sourceText.withNewlines(html.slice(from), newline));
    return out.join('');
  }

  // The page's comments, as the text spells them, by node: the comments of
  // the page and of its text in order, where the text holds the data.
  function commentSpellings() {
    const t = S.tree;
    const P = t.positions;
    const found = new Map();
    const parsed = [];
    for (let i = 0; i < t.names.length; ++i) {
      if (t.names[i] === '#comment')
        parsed.push(i);
    }
    const walker = document.createTreeWalker(document, NodeFilter.SHOW_COMMENT);
    let j = 0;
    for (let c = walker.nextNode(); c && j < parsed.length; c = walker.nextNode()) {
      if (S.changed.has(c) || c.parentElement && c.parentElement.closest('[' + E.uiAttribute + ']'))
        continue;
      for (let k = j; k < parsed.length && k < j + 4; ++k) {
        const p = parsed[k];
        const spelling = S.text.slice(P[4 * p], P[4 * p + 3]);
        if (t.sizes[p] === c.data.length && spelling.charAt(0) === '<'
            && spelling.endsWith('>') && spelling.indexOf(c.data) >= 0) {
          found.set(c, spelling);
          j = k + 1;
          break;
        }
      }
    }
    return found;
  }
})(Corvane);

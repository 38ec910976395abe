// The page as its own text. Saving an edited page writes the text it was
// loaded from wherever the edit did not reach, and the browser's HTML only
// for the elements that changed, so a one-word change stays a one-word
// change in the file.
//
// At load every node gets its place in document order. The host parses the
// same text with a parser that reports where each node stands (source_tree.h)
// on a worker after the load, and hands that tree over when it is done (or
// when an edited page is read out first); the two trees are paired node by
// node where names, child counts and sizes agree. Changes mark the nodes they touch: a changed attribute its
// element's start tag, anything else the element around it. A node is
// written from the text when it is paired and nothing inside it changed;
// otherwise its own start and end tags still come from the text where they
// can, and its children are written one by one. The result must load into
// the page the editor holds, else the page is written as the browser
// serialises it, as it always was before: a small page is parsed again
// whole; on a large one each edited element is parsed again in its parent,
// and the whole page only when that cannot tell.


(function (E) {
  'use strict';
  const S = E.source = {
    // node[place]: its place in document order at load
    place: Symbol('place at load'),
    loadNames: [],
    loadCounts: [],
    loadSizes: [],
    text: null,
    tree: null,
    touched: new Set(),
    attributes: new Set(),
    changed: new Set(),
    structure: new Set(), // elements whose children were put in or taken out
    // what the last read-out did: 'unchanged', 'spliced' or 'serialized',
    // and whether the edited elements alone or the whole page were checked
    last: null,
    checked: null,
    // a change came before every node had its place
    unrecorded: false,
  };

  // The nodes the page's text stands for: no doctype (it is text between
  // the document's children), no editing aids.
  function childrenOf(node) {
    const out = [];
    if (node.localName === 'template')
      return out;
    for (let c = node.firstChild; c; c = c.nextSibling) {
      if (c.nodeType === Node.ELEMENT_NODE) {
        if (!c.hasAttribute(E.uiAttribute))
          out.push(c);
      } else if (c.nodeType === Node.TEXT_NODE || c.nodeType === Node.COMMENT_NODE) {
        out.push(c);
      }
    }
    return out;
  }

  // The same nodes in the same order as childrenOf gives them. A large page
  // has a hundred thousand: the walk is the browser's, and each node keeps
  // its place under a symbol of this world, which the page cannot see. The
  // walk costs a tenth of a second or more on such a page, so it is done a
  // slice a frame once the page is shown, and finished at once before
  // anything may change the page (S.ensureRecorded).
  const recorder = (function () {
    const names = S.loadNames;
    const counts = S.loadCounts;
    const sizes = S.loadSizes;
    const PLACE = S.place;
    const ui = E.uiAttribute;
    const uiAtLoad = !!document.querySelector('[' + ui + ']');
    const walker = document.createTreeWalker(
      document, NodeFilter.SHOW_ELEMENT | NodeFilter.SHOW_TEXT | NodeFilter.SHOW_COMMENT);
    document[PLACE] = 0;
    names.push('#document');
    counts.push(0);
    sizes.push(0);
    return function (until) {
      let node = walker.nextNode();
      for (let n = 0; node; node = walker.nextNode()) {
        if (uiAtLoad && node.nodeType === Node.ELEMENT_NODE && node.hasAttribute(ui))
          continue;
        const at = node.parentNode[PLACE];
        if (at === undefined)
          continue; // under an editing aid
        node[PLACE] = names.length;
        counts[at]++;
        counts.push(0);
        if (node.nodeType === Node.ELEMENT_NODE) {
          names.push(node.localName.toLowerCase());
          sizes.push(node.attributes.length);
        } else {
          names.push(node.nodeType === Node.TEXT_NODE ? '#text' : '#comment');
          sizes.push(node.data.length);
        }
        if ((++n & 1023) === 0 && performance.now() >= until)
          return false;
      }
      return true;
    };
  })();
  S.recorded = false;

  // Walks for up to `ms`; true once every node has its place.
  S.recordSome = function (ms) {
    if (!S.recorded && recorder(performance.now() + ms)) {
      S.recorded = true;
      // A change made before the walk ended would have been taken for the
      // page as loaded: the read-out can no longer trust the places.
      noteChanges(observer.takeRecords(), true);
    }
    return S.recorded;
  };
  S.ensureRecorded = function () {
    S.recordSome(Infinity);
  };

  function insideUi(node) {
    const el = node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement;
    return !!(el && el.closest('[' + E.uiAttribute + ']'));
  }

  function marked(node) {
    return node.nodeType === Node.ELEMENT_NODE && node.hasAttribute(E.uiAttribute);
  }
  function onlyUi(nodes) {
    return Array.prototype.every.call(nodes, marked);
  }

  function noteChanges(records, beforeRecorded) {
    for (const r of records) {
      if (r.type === 'attributes' && r.attributeName === E.uiAttribute)
        continue;
      if (insideUi(r.target))
        continue;
      // an editing aid put in or taken out changes nothing of the page
      if (r.type === 'childList' && onlyUi(r.addedNodes) && onlyUi(r.removedNodes))
        continue;
      if (beforeRecorded || !S.recorded)
        S.unrecorded = true;
      S.touched.add(r.target);
      if (r.type === 'attributes')
        S.attributes.add(r.target);
      else if (r.type === 'characterData')
        S.changed.add(r.target);
      else
        S.structure.add(r.target);
    }
  }
  const observer = new MutationObserver(function (records) { noteChanges(records, false); });
  observer.observe(document, { subtree: true, childList: true, attributes: true,
                               characterData: true });

  // End of each subtree in document order, parent and next sibling of each
  // node, from the child counts.
  function shape(counts) {
    const n = counts.length;
    const end = new Int32Array(n);
    const parent = new Int32Array(n).fill(-1);
    const next = new Int32Array(n).fill(-1);
    const stack = [];
    for (let i = 0; i < n; ++i) {
      // close the subtrees that end here
      while (stack.length && stack[stack.length - 1].left === 0) {
        end[stack.pop().node] = i;
      }
      if (stack.length) {
        const top = stack[stack.length - 1];
        parent[i] = top.node;
        if (top.last >= 0)
          next[top.last] = i;
        top.last = i;
        top.left--;
      }
      stack.push({ node: i, left: counts[i], last: -1 });
    }
    while (stack.length)
      end[stack.pop().node] = n;
    return { end: end, parent: parent, next: next };
  }

  // Pairs the load tree with the parsed one: pairOf[load node] is the parsed
  // node or -1. The children of two paired nodes are paired in order where
  // name and size agree, skipping a node on either side where the other
  // parser put one the first did not (a comment after </html> that the
  // browser keeps in the body); what stays unpaired is written as the
  // browser has it.
  function pairTrees() {
    const t = S.tree;
    const n = S.loadNames.length;
    const pairOf = new Int32Array(n).fill(-1);
    const bEnd = shape(S.loadCounts).end;
    const g = shape(t.counts);
    function kids(first, count, end) {
      const out = [];
      for (let k = 0, c = first; k < count; ++k, c = end[c])
        out.push(c);
      return out;
    }
    function alike(b, p) {
      return S.loadNames[b] === t.names[p] && S.loadSizes[b] === t.sizes[p];
    }
    function pair(b, p) {
      if (!t.reliable[p])
        return;
      pairOf[b] = p;
      const bk = kids(b + 1, S.loadCounts[b], bEnd);
      const pk = kids(p + 1, t.counts[p], g.end);
      let i = 0;
      let j = 0;
      while (i < bk.length && j < pk.length) {
        if (alike(bk[i], pk[j])) {
          pair(bk[i++], pk[j++]);
        } else if (j + 1 < pk.length && alike(bk[i], pk[j + 1])) {
          ++j;
        } else if (i + 1 < bk.length && alike(bk[i + 1], pk[j])) {
          ++i;
        } else {
          ++i;
          ++j;
        }
      }
    }
    if (n && t.names.length && t.names[0] === '#document')
      pair(0, 0);
    S.pairing = { pairOf: pairOf, parent: g.parent, next: g.next };
  }

  // The host's tree (source_tree.cpp): names in one string, the numbers as
  // 32-bit integers in base64, counts, sizes, reliable flags, then four
  // positions a node.
  function readTree(wire) {
    const n = wire.count;
    const bytes = atob(wire.numbers);
    const raw = new Uint8Array(bytes.length);
    for (let i = 0; i < bytes.length; ++i)
      raw[i] = bytes.charCodeAt(i);
    const all = new Int32Array(raw.buffer, 0, raw.length >> 2);
    if (all.length !== 7 * n)
      throw new Error('malformed source tree');
    return {
      names: n ? wire.names.split(' ') : [],
      counts: all.subarray(0, n),
      sizes: all.subarray(n, 2 * n),
      reliable: all.subarray(2 * n, 3 * n),
      positions: all.subarray(3 * n),
    };
  }

  E.handlers.setSource = function (args) {
    if (args.instance && args.instance !== E.instance)
      return null; // meant for the page this one replaced
    S.ensureRecorded();
    S.text = args.text || '';
    S.tree = null;
    S.pairing = null;
    if (typeof args.text !== 'string')
      return null; // the host could not parse it
    try {
      S.tree = readTree(args.tree);
    } catch (e) {
      S.text = '';
      return null;
    }
    try {
      pairTrees();
    } catch (e) {
      S.pairing = null; // too deep to pair: the page is serialised whole
    }
    return null;
  };

  // The browser's HTML for one text node, as it would write it in its parent.
  function textHtml(node) {
    const parent = node.parentNode;
    if (!parent || parent.nodeType !== Node.ELEMENT_NODE)
      return '';
    const copy = parent.cloneNode(false);
    copy.appendChild(node.cloneNode(false));
    return E.keepReturns(copy.innerHTML, parent);
  }

  function startTagHtml(element) {
    const html = element.cloneNode(false).outerHTML;
    const end = '</' + element.localName + '>';
    return html.endsWith(end) ? html.slice(0, html.length - end.length) : html;
  }

  // The parser eats a line break right after these start tags; the whole
  // element is written when anything in it changed.
  const EATERS = { pre: true, textarea: true, listing: true };

  // The written page as pieces: ranges of the page's text, and strings the
  // browser wrote; ranges that follow on from each other are one. The host
  // puts the text together from its own copy, so a one-word change sends a
  // few pieces instead of the whole page.
  function Pieces(text) {
    this.text = text;
    this.parts = []; // from, to (numbers) or a string
    this.length = 0;
    this.joinable = false; // whether the last part is a range to extend
  }
  Pieces.prototype.range = function (from, to) {
    if (to <= from)
      return;
    const parts = this.parts;
    if (this.joinable && parts[parts.length - 1] === from)
      parts[parts.length - 1] = to;
    else
      parts.push(from, to);
    this.joinable = true;
    this.length += to - from;
  };
  Pieces.prototype.string = function (s) {
    if (!s)
      return;
    this.parts.push(s);
    this.joinable = false;
    this.length += s.length;
  };
  // Where a string may still be put in later (before what follows).
  Pieces.prototype.mark = function () {
    this.joinable = false;
    return this.parts.length;
  };
  Pieces.prototype.insert = function (at, s) {
    this.parts.splice(at, 0, s);
    this.length += s.length;
  };
  Pieces.prototype.join = function () {
    const out = [];
    const parts = this.parts;
    for (let i = 0; i < parts.length; ++i) {
      if (typeof parts[i] === 'string')
        out.push(parts[i]);
      else
        out.push(this.text.slice(parts[i], parts[++i]));
    }
    return out.join('');
  };

  function spliced() {
    const text = S.text;
    const P = S.tree.positions;
    const pairing = S.pairing;
    let out = new Pieces(text);
    const rebuilt = []; // nodes written as the browser has them
    const dirty = new Set();
    S.touched.forEach(function (node) {
      if (!node.isConnected)
        return;
      for (let n = node; n && !dirty.has(n); n = n.parentNode)
        dirty.add(n);
    });

    function source(p, from, to) {
      out.range(P[4 * p + from], P[4 * p + to]);
    }

    function emit(node, p) {
      if (node.nodeType === Node.TEXT_NODE || node.nodeType === Node.COMMENT_NODE) {
        if (p >= 0 && !S.changed.has(node)) {
          source(p, 0, 3);
          return;
        }
        rebuilt.push(node);
        out.string(node.nodeType === Node.TEXT_NODE ? textHtml(node) : '<!--' + node.data + '-->');
        return;
      }
      if (p < 0) {
        rebuilt.push(node);
        out.string(E.elementHtml(node));
        return;
      }
      // Nothing in it changed: its text in the same place gives the same
      // element, whatever the parser did with it (a formatting element it
      // opened again, a table's fostered text).
      if (!dirty.has(node)) {
        source(p, 0, 3);
        return;
      }
      if (S.attributes.has(node)) {
        rebuilt.push(node);
        out.string(startTagHtml(node));
      } else {
        source(p, 0, 1);
      }
      const at = out.mark();
      const gap = emitChildren(node, p);
      // The parser eats one line break after these start tags: text that
      // starts with one needs another unless the page's own is still there.
      if (EATERS[node.localName] && !gap) {
        const first = node.firstChild;
        if (first && first.nodeType === Node.TEXT_NODE && first.data.charAt(0) === '\n')
          out.insert(at, '\n');
      }
      source(p, 2, 3);
    }

    // Children one by one, with the text between two of them kept when they
    // stood side by side at load. Returns whether the text before the first
    // child was kept.
    function emitChildren(node, p) {
      const kids = childrenOf(node);
      let before = -1; // the last child written, if it came from p at load
      let leading = false;
      for (let k = 0; k < kids.length; ++k) {
        const kid = kids[k];
        const b = kid[S.place];
        const kp = b === undefined ? -1 : pairing.pairOf[b];
        const own = kp >= 0 && pairing.parent[kp] === p;
        if (own) {
          if (k === 0 && kp === p + 1) {
            out.range(P[4 * p + 1], P[4 * kp]);
            leading = P[4 * kp] > P[4 * p + 1];
          } else if (before >= 0 && pairing.next[before] === kp)
            out.range(P[4 * before + 3], P[4 * kp]);
        }
        emit(kid, kp);
        before = own ? kp : -1;
      }
      if (kids.length === 0 && S.tree.counts[p] === 0)
        out.range(P[4 * p + 1], P[4 * p + 2]);
      else if (before >= 0 && pairing.next[before] === -1)
        out.range(P[4 * before + 3], P[4 * p + 2]);
      return leading;
    }

    // The text one node is written as, on its own.
    function textOf(node, p) {
      const saved = out;
      out = new Pieces(text);
      emit(node, p);
      const written = out.join();
      out = saved;
      return written;
    }

    emitChildren(document, 0);
    let joined = null;
    return {
      pieces: out,
      length: out.length,
      text: function () { return joined === null ? (joined = out.join()) : joined; },
      textOf: textOf,
      rebuilt: rebuilt,
    };
  }

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
    const tag = startTagHtml(el);
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
    if (S.pairing && !S.unrecorded) {
      try {
        const result = spliced();
        let ok = result.length > S.wholeCheckUpTo && editsReadBack(result);
        S.checked = ok ? 'edited' : 'whole';
        if (!ok) {
          whole = E.serialize();
          ok = same(result.text(), whole);
        }
        if (ok) {
          S.last = 'spliced';
          return { pieces: result.pieces.parts };
        }
        S.rejected = result.text(); // kept for a look when a page is written whole
      } catch (e) {
        // written whole below
      }
    }
    S.last = 'serialized';
    return whole === null ? E.serialize() : whole;
  };
})(Corvane);

// The page as its own text. Saving an edited page writes the text it was
// loaded from wherever the edit did not reach, and the browser's HTML only
// for what changed, so a one-word change stays a one-word change in the
// file.
//
// At load every node gets its place in document order. The host parses the
// same text with a parser that reports where each node stands (source_tree.h)
// on a worker after the load, and hands that tree over when it is done (or
// when an edited page is read out first); the two trees are paired node by
// node where names, child counts and sizes agree. Changes mark the nodes
// they touch: a changed attribute its element's start tag, anything else the
// element around it. A node is written from the text when it is paired and
// nothing inside it changed; otherwise its own start and end tags still come
// from the text where they can, and its children are written one by one; a
// changed text keeps its own text around the change (12-source-text.js).
// The result is checked before it is used (13-source-check.js).


(function (E) {
  'use strict';
  const S = E.source = {
    // node[place]: its place in document order at load
    place: Symbol('place at load'),
    loadNames: [],
    loadCounts: [],
    loadSizes: [],
    text: null,
    newline: '\n', // the line end the page's text mostly has
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

  // A node the parser put out of the table after it (source_tree.h).
  const FOSTERED = 2;

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
    // through[p]: the last parsed text a paired text stands for, from p on
    const through = new Int32Array(t.names.length).fill(-1);
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
    // The last of the texts from pk[j] on that together are text b, with
    // nothing but markup the parser passed over between them, or -1.
    function textRun(b, pk, j, up) {
      if (S.loadNames[b] !== '#text')
        return -1;
      let size = 0;
      for (let m = j; m < pk.length && t.names[pk[m]] === '#text' && t.reliable[pk[m]] === 1; ++m) {
        size += t.sizes[pk[m]];
        if (size > S.loadSizes[b])
          break;
        if (size < S.loadSizes[b])
          continue;
        for (let k = j; k < m; ++k) {
          if (!passedOver(t.positions[4 * pk[k] + 3], t.positions[4 * pk[k + 1]], S.loadNames[up]))
            return -1;
        }
        return m;
      }
      return -1;
    }
    // Whether the text from..to holds nothing but markup the parser passed
    // over, and nodes it put out of the table they stand in.
    const fostered = [];
    for (let i = 0; i < t.names.length; ++i) {
      if (t.reliable[i] === FOSTERED)
        fostered.push(i);
    }
    function passedOver(from, to, parentName) {
      for (const f of fostered) {
        const a = t.positions[4 * f];
        const b = t.positions[4 * f + 3];
        if (a >= from && b <= to) {
          if (!passedOver(from, a, parentName))
            return false;
          from = b;
        }
      }
      const read = E.sourceText.decode(S.text, from, to, { localName: parentName });
      return !!read && read.length === 0;
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
        let m;
        if (alike(bk[i], pk[j])) {
          pair(bk[i++], pk[j++]);
        } else if ((m = textRun(bk[i], pk, j, b)) > j) {
          // One text for several the other parser left apart (text each
          // side of an end tag it passed over in a table).
          pairOf[bk[i++]] = pk[j];
          through[pk[j]] = pk[m];
          j = m + 1;
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
    // Siblings around a node the parser put out of the table after it are
    // the ones beside its place in the text, inside the table.
    const next = g.next;
    const prev = new Int32Array(next.length).fill(-1);
    for (let i = next.length - 1; i >= 0; --i) {
      let j = next[i];
      while (j >= 0 && t.reliable[j] === FOSTERED)
        j = next[j];
      next[i] = j;
    }
    for (let i = 0; i < next.length; ++i) {
      if (next[i] >= 0 && t.reliable[i] !== FOSTERED)
        prev[next[i]] = i;
    }
    S.pairing = { pairOf: pairOf, parent: g.parent, next: next, prev: prev, through: through };
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
    S.newline = E.sourceText.newlineOf(S.text);
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

  // The browser's HTML for text in parent, as it would write it there.
  function textHtml(parent, data) {
    if (!parent || parent.nodeType !== Node.ELEMENT_NODE)
      return '';
    const copy = parent.cloneNode(false);
    copy.appendChild(document.createTextNode(data));
    return E.keepReturns(copy.innerHTML, parent);
  }

  const startTagHtml = S.startTagHtml = function (element) {
    const html = element.cloneNode(false).outerHTML;
    const end = '</' + element.localName + '>';
    return html.endsWith(end) ? html.slice(0, html.length - end.length) : html;
  };

  // The parser eats a line break right after these start tags; the whole
  // element is written when anything in it changed.
  const EATERS = { pre: true, textarea: true, listing: true };

  function spliced(widen) {
    const text = S.text;
    const P = S.tree.positions;
    const pairing = S.pairing;
    const Pieces = E.sourceText.Pieces;
    let out = new Pieces(text, S.newline);
    const subs = []; // nodes put out of a table, in the order of their text
    out.subs = subs;
    let moved = false; // something is written elsewhere than its text stands
    let widened = false;
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
        const last = p >= 0 && pairing.through[p] >= 0 ? pairing.through[p] : p;
        if (p >= 0 && !S.changed.has(node)) {
          out.range(P[4 * p], P[4 * last + 3]);
          return;
        }
        rebuilt.push(node);
        const parent = node.parentNode;
        if (node.nodeType === Node.COMMENT_NODE)
          out.string('<!--' + node.data + '-->');
        else if (p >= 0 ? !E.sourceText.write(out, node, P[4 * p], P[4 * last + 3],
                                              S.loadSizes[node[S.place]],
                                              function (data) { return textHtml(parent, data); })
                 : !splitPart(node))
          out.string(textHtml(parent, node.data));
        return;
      }
      if (p < 0) {
        rebuilt.push(node);
        if (!E.sourceText.byTag(node)) {
          out.string(E.elementHtml(node));
          return;
        }
        // A new element of the kinds editing makes (a bold, a paragraph):
        // what the edit moved into it keeps its text.
        out.string(startTagHtml(node));
        for (const kid of childrenOf(node))
          emit(kid, placeOf(kid));
        out.string('</' + node.localName + '>');
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
    // stood side by side at load, after any new ones put in between; the
    // text before the first comes first. A node of the page at load that
    // the other parser put elsewhere (a comment after </html> the browser
    // keeps in the body) may have its text there: none of it is kept
    // across such a node. Returns whether text before the first child was
    // kept.
    function emitChildren(node, p) {
      const kids = childrenOf(node);
      const places = kids.map(function (kid) {
        const kp = placeOf(kid);
        return kp >= 0 && pairing.parent[kp] === p ? kp : -1;
      });
      const apart = function (k) { return kids[k][S.place] !== undefined && placeOf(kids[k]) < 0; };
      let leading = false;
      let k = 0;
      while (k < kids.length && (places[k] < 0 || S.tree.reliable[places[k]] === FOSTERED)
             && !apart(k))
        ++k;
      const first = k < kids.length && !apart(k) ? places[k] : -1;
      if (S.tree.counts[p] === 0 ? k === kids.length : first >= 0 && pairing.prev[first] === -1) {
        const to = S.tree.counts[p] === 0 ? P[4 * p + 2] : P[4 * first];
        out.range(P[4 * p + 1], to);
        leading = to > P[4 * p + 1];
      }
      let before = -1; // the last child written that came from p at load
      for (k = 0; k < kids.length; ++k) {
        const kp = places[k];
        if (kp >= 0 && S.tree.reliable[kp] === FOSTERED) {
          fostered(kids[k], kp);
          continue;
        }
        if (kp >= 0 && before >= 0 && pairing.next[before] === kp)
          out.range(P[4 * before + 3], P[4 * kp]);
        if (widen && kp >= 0 && kids[k].nodeType === Node.ELEMENT_NODE && k + 1 < kids.length
            && kids[k + 1][S.place] === undefined) {
          widened = true;
          rebuilt.push(kids[k]);
          out.string(E.elementHtml(kids[k]));
        } else {
          emit(kids[k], kp >= 0 ? kp : placeOf(kids[k]));
        }
        if (kp >= 0)
          before = pairing.through[kp] >= 0 ? pairing.through[kp] : kp;
        else if (apart(k))
          before = -1;
      }
      if (before >= 0 && pairing.next[before] === -1)
        out.range(P[4 * before + 3], P[4 * p + 2]);
      return leading;
    }

    // A new text that is part of a changed text of the page (the rest of a
    // text the edit split to make a word bold) is written as that part's
    // text was, when the page's text has it whole; the changed texts looked
    // at are those in the same element of the page.
    const reads = new Map(); // changed text -> {read, next}
    let changedIn = null; // element of the page -> its changed texts
    function pairedAround(node) {
      let el = node.parentNode;
      while (el && el.nodeType === Node.ELEMENT_NODE && placeOf(el) < 0)
        el = el.parentNode;
      return el && el.nodeType === Node.ELEMENT_NODE ? el : null;
    }
    function splitPart(node) {
      if (!changedIn) {
        changedIn = new Map();
        for (const t of S.changed) {
          if (t.nodeType !== Node.TEXT_NODE || !t.isConnected || placeOf(t) < 0)
            continue;
          const el = pairedAround(t);
          if (!changedIn.has(el))
            changedIn.set(el, []);
          changedIn.get(el).push(t);
        }
      }
      const block = pairedAround(node);
      for (const t of (block && changedIn.get(block)) || []) {
        const tp = placeOf(t);
        let known = reads.get(t);
        if (!known) {
          const last = pairing.through[tp] >= 0 ? pairing.through[tp] : tp;
          known = { read: E.sourceText.decode(text, P[4 * tp], P[4 * last + 3], t.parentNode),
                    next: 0 };
          reads.set(t, known);
        }
        const found = known.read && E.sourceText.find(known.read, node.data, known.next);
        if (found) {
          known.next = found[1];
          out.range(known.read.start[found[0]],
                    found[1] < known.read.start.length ? known.read.start[found[1]] : known.read.to);
          return true;
        }
      }
      return false;
    }

    function placeOf(node) {
      const b = node[S.place];
      return b === undefined ? -1 : pairing.pairOf[b];
    }

    // A node the parser put out of the table after it is written where its
    // text stands, inside the table's, when that text is written out; else
    // where it stands now.
    function fostered(kid, kp) {
      if (!out.subs) {
        emit(kid, kp); // a node on its own (textOf): as it stands now
        return;
      }
      const sub = { from: P[4 * kp], to: P[4 * kp + 3], used: false, at: out.mark(),
                    kid: kid, kp: kp, write: function () { emit(kid, kp); } };
      if (dirty.has(kid))
        moved = true;
      let k = subs.length;
      while (k > 0 && subs[k - 1].from > sub.from)
        --k;
      subs.splice(k, 0, sub);
    }

    // The text one node is written as, on its own.
    function textOf(node, p) {
      const saved = out;
      out = new Pieces(text, S.newline);
      emit(node, p);
      const written = out.join();
      out = saved;
      return written;
    }

    emitChildren(document, 0);
    // Text of a fostered node that its table did not write: the node goes
    // where it stands now.
    for (const sub of subs) {
      if (!sub.used) {
        moved = true;
        out.insert(sub.at, textOf(sub.kid, sub.kp), true);
      }
    }
    let joined = null;
    return {
      pieces: out,
      length: out.length,
      text: function () { return joined === null ? (joined = out.join()) : joined; },
      textOf: textOf,
      rebuilt: rebuilt,
      moved: moved,
      widened: widened,
    };
  }

  S.spliced = spliced;
})(Corvane);

// The host keeps its own copy of the page, so that neither a renderer that
// dies nor a program that is killed takes what the user typed with it. The
// copy is the page as serialised (10-serialize.js), cut into pieces whose
// joined text is the page: a block the user types in is one piece; an
// element too large to send whole at every key (the html and body elements,
// a wrapper around everything, a long listing) is its start tag, its
// children and its end tag, each a piece of its own. Every change notice
// carries the pieces that changed since the one before, and the place of
// the caret, which a page rebuilt from the copy gets back (restoreCaret).


(function (E) {
  'use strict';
  const M = E.mirror = { started: false, seq: 0 };
  const WHOLE = 0, START = 1, END = 2;
  // An element with more text or HTML than this is cut into its children.
  const SPLIT_AT = 8192;
  // A piece at least this long is sent as the part of it that changed.
  const DIFF_AT = 4096;

  let pieces = []; // { node, kind, pos, lead, text (long pieces only) }
  const wholeOf = new Map();
  const startOf = new Map();
  const endOf = new Map();
  let pending = [];

  function isUi(node) {
    return node.nodeType === Node.ELEMENT_NODE && node.hasAttribute(E.uiAttribute);
  }
  function insideUi(node) {
    const el = node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement;
    return !!(el && el.closest('[' + E.uiAttribute + ']'));
  }
  function onlyUi(nodes) {
    return Array.prototype.every.call(nodes, isUi);
  }
  // Whether a node inside an element is written in its HTML.
  function written(node) {
    return node.nodeType === Node.TEXT_NODE || node.nodeType === Node.COMMENT_NODE
      || (node.nodeType === Node.ELEMENT_NODE && !isUi(node));
  }
  function relevant(r) {
    if (r.type === 'attributes' && r.attributeName === E.uiAttribute)
      return false;
    if (r.target.nodeType !== Node.DOCUMENT_NODE && insideUi(r.target))
      return false;
    return !(r.type === 'childList' && onlyUi(r.addedNodes) && onlyUi(r.removedNodes));
  }

  const observer = new MutationObserver(function (records) {
    if (!M.started)
      return;
    let any = false;
    for (const r of records) {
      pending.push(r);
      any = any || relevant(r);
    }
    if (any)
      E.scheduleDisplayChanged();
  });
  observer.observe(document, { subtree: true, childList: true, attributes: true,
                               characterData: true });

  // --- the text of a piece ---------------------------------------------------

  function tagsOf(el) {
    const empty = el.cloneNode(false).outerHTML;
    const end = '</' + el.localName + '>';
    if (!empty.endsWith(end))
      return [empty, ''];
    return [empty.slice(0, empty.length - end.length).replace(/\r/g, '&#13;'), end];
  }

  // A text node as its parent writes it: escaped or raw, with the line break
  // the parser would eat after a pre's start tag.
  function textHtml(node) {
    const parent = node.parentNode;
    const shell = parent.cloneNode(false);
    const empty = shell.outerHTML;
    const end = '</' + parent.localName + '>';
    if (!empty.endsWith(end))
      return '';
    shell.appendChild(node.cloneNode(false));
    const full = shell.outerHTML;
    let html = full.slice(empty.length - end.length, full.length - end.length);
    if (!E.writesBreak && parent.firstChild === node && node.data.charAt(0) === '\n'
        && /^(pre|textarea|listing)$/.test(parent.localName))
      html = '\n' + html;
    return E.keepReturns(html, parent);
  }

  function splits(el, html) {
    if (el === document.documentElement || el === document.body)
      return true;
    if (el.localName === 'template' || !el.firstChild)
      return false;
    return el.textContent.length > SPLIT_AT || html().length > SPLIT_AT;
  }

  function piece(node, kind, lead, text) {
    const p = { node: node, kind: kind, pos: 0, lead: lead };
    return { piece: p, text: lead + text };
  }

  // The pieces of a node, in order, into out ({ piece, text } each).
  function emit(node, out, lead) {
    if (node.nodeType === Node.TEXT_NODE) {
      out.push(piece(node, WHOLE, lead, textHtml(node)));
    } else if (node.nodeType === Node.COMMENT_NODE) {
      out.push(piece(node, WHOLE, lead, '<!--' + node.data + '-->'));
    } else if (node.nodeType === Node.DOCUMENT_TYPE_NODE) {
      out.push(piece(node, WHOLE, lead, E.doctypeText(node)));
    } else if (node.nodeType === Node.ELEMENT_NODE) {
      let html = null;
      const htmlOf = function () { return html === null ? (html = E.elementHtml(node)) : html; };
      if (!splits(node, htmlOf)) {
        out.push(piece(node, WHOLE, lead, htmlOf()));
        return;
      }
      const tags = tagsOf(node);
      out.push(piece(node, START, lead, tags[0]));
      for (let c = node.firstChild; c; c = c.nextSibling) {
        if (written(c))
          emit(c, out, '');
      }
      out.push(piece(node, END, '', tags[1]));
    }
  }

  // The document's children, one a line, as E.serialize writes them.
  function emitDocument(out) {
    let lead = '';
    for (const node of document.childNodes) {
      if (node.nodeType === Node.DOCUMENT_TYPE_NODE || node.nodeType === Node.COMMENT_NODE
          || node.nodeType === Node.ELEMENT_NODE) {
        emit(node, out, lead);
        lead = '\n';
      }
    }
  }

  function register(p) {
    (p.kind === WHOLE ? wholeOf : p.kind === START ? startOf : endOf).set(p.node, p);
  }
  function unregister(p) {
    const map = p.kind === WHOLE ? wholeOf : p.kind === START ? startOf : endOf;
    if (map.get(p.node) === p)
      map.delete(p.node);
  }
  function keepText(p, text) {
    if (text.length >= DIFF_AT)
      p.text = text;
    else
      delete p.text;
  }

  function caretPlace() {
    const sel = document.getSelection();
    return sel && sel.rangeCount ? E.placeOf(sel.focusNode, sel.focusOffset) : null;
  }

  // The whole page afresh: at the start, and whenever the host lost track.
  function rebase() {
    observer.takeRecords();
    pending = [];
    pieces.forEach(unregister);
    const out = [];
    emitDocument(out);
    pieces = out.map(function (e, i) {
      e.piece.pos = i;
      register(e.piece);
      keepText(e.piece, e.text);
      return e.piece;
    });
    M.seq = 0;
    return { instance: E.instance, seq: 0, caret: caretPlace(),
             reset: out.map(function (e) { return e.text; }) };
  }

  M.start = function () {
    if (M.started || !E.bridge || !document.documentElement)
      return;
    M.started = true;
    let reset;
    try {
      reset = rebase();
    } catch (e) {
      return; // no copy of this page: the host keeps its own another way
    }
    E.bridge.notify('PageMirror', reset);
  };

  // --- what changed ------------------------------------------------------

  // A container's children before the records, from its children now: each
  // record undone, last first.
  function childrenBefore(el, records) {
    const kids = Array.from(el.childNodes);
    for (let i = records.length - 1; i >= 0; --i) {
      const r = records[i];
      for (const n of r.addedNodes) {
        const k = kids.indexOf(n);
        if (k >= 0)
          kids.splice(k, 1);
      }
      let at = 0;
      if (r.previousSibling)
        at = kids.indexOf(r.previousSibling) + 1;
      else if (r.nextSibling && kids.indexOf(r.nextSibling) >= 0)
        at = kids.indexOf(r.nextSibling);
      kids.splice.apply(kids, [at, 0].concat(Array.from(r.removedNodes)));
    }
    return kids;
  }
  function hadPiece(n) {
    return wholeOf.has(n) || startOf.has(n);
  }
  function firstOf(n) {
    return wholeOf.get(n) || startOf.get(n);
  }
  function lastOf(n) {
    return wholeOf.get(n) || endOf.get(n);
  }

  // The changed part of each container's children, each changed piece and
  // each changed start tag, as ranges of pieces [from, to) to rewrite.
  function changedRanges(records) {
    const dirty = new Set();
    const starts = new Set();
    const lists = new Map();
    for (const r of records) {
      if (!relevant(r))
        continue;
      if (r.target.nodeType === Node.DOCUMENT_NODE)
        return null; // the document's own children: written afresh
      if (!r.target.isConnected)
        continue; // its removal is recorded higher up
      for (let n = r.target; n; n = n.parentNode) {
        const whole = wholeOf.get(n);
        if (whole) {
          dirty.add(whole);
          break;
        }
        if (startOf.has(n)) {
          // From below, through a node without a piece: one put in by a
          // change recorded here too.
          if (n === r.target && r.type === 'attributes')
            starts.add(n);
          else if (n === r.target && r.type === 'childList')
            (lists.get(n) || lists.set(n, []).get(n)).push(r);
          break;
        }
      }
    }
    const ranges = [];
    lists.forEach(function (recs, el) {
      const before = childrenBefore(el, recs).filter(hadPiece);
      const after = Array.from(el.childNodes).filter(written);
      let a = 0;
      while (a < before.length && a < after.length && before[a] === after[a])
        ++a;
      let b = before.length;
      let c = after.length;
      while (b > a && c > a && before[b - 1] === after[c - 1]) {
        --b;
        --c;
      }
      if (a === b && a === c)
        return;
      const from = a < b ? firstOf(before[a]).pos
        : a > 0 ? lastOf(before[a - 1]).pos + 1 : startOf.get(el).pos + 1;
      const to = a < b ? lastOf(before[b - 1]).pos + 1 : from;
      ranges.push({ from: from, to: to, nodes: after.slice(a, c), order: 0 });
    });
    dirty.forEach(function (p) {
      ranges.push({ from: p.pos, to: p.pos + 1, whole: p, order: 1 });
    });
    starts.forEach(function (el) {
      const p = startOf.get(el);
      ranges.push({ from: p.pos, to: p.pos + 1, start: p, order: 1 });
    });
    // Pieces are nested or apart: a range inside another is rewritten with
    // it. They are applied last first; of two at one place, what goes in
    // there must come after the piece standing there was rewritten.
    ranges.sort(function (x, y) {
      const xEmpty = x.from === x.to;
      const yEmpty = y.from === y.to;
      return x.from - y.from || (yEmpty - xEmpty) || y.to - x.to || x.order - y.order;
    });
    const kept = [];
    let outer = null;
    for (const r of ranges) {
      const inside = outer && (r.from < r.to
        ? outer.from <= r.from && r.to <= outer.to
        : outer.from < r.from && r.from < outer.to);
      if (inside)
        continue;
      kept.push(r);
      if (r.from < r.to && (!outer || r.to > outer.to))
        outer = r;
    }
    return kept;
  }

  // The change to one piece's text: the part that changed when it is long.
  function rewrite(p, text) {
    const old = p.text;
    keepText(p, text);
    if (old === undefined || text.length < DIFF_AT)
      return { at: p.pos, text: text };
    let head = 0;
    const most = Math.min(old.length, text.length);
    while (head < most && old.charCodeAt(head) === text.charCodeAt(head))
      ++head;
    let tail = 0;
    while (tail < most - head
           && old.charCodeAt(old.length - 1 - tail) === text.charCodeAt(text.length - 1 - tail))
      ++tail;
    return { at: p.pos, from: head, remove: old.length - head - tail,
             text: text.slice(head, text.length - tail) };
  }

  function replace(from, to, out) {
    for (let i = from; i < to; ++i)
      unregister(pieces[i]);
    const fresh = out.map(function (e, i) {
      e.piece.pos = from + i;
      register(e.piece);
      keepText(e.piece, e.text);
      return e.piece;
    });
    pieces.splice.apply(pieces, [from, to - from].concat(fresh));
    return { at: from, remove: to - from, insert: out.map(function (e) { return e.text; }) };
  }

  // The operations that bring the host's copy up to the page, last first so
  // that each one's place is still that of the copy before it.
  function changes() {
    const records = pending.concat(observer.takeRecords());
    pending = [];
    if (!records.length)
      return null;
    const ranges = changedRanges(records);
    if (!ranges)
      return rebase();
    if (!ranges.length)
      return null;
    const ops = [];
    let moved = false;
    for (let i = ranges.length - 1; i >= 0; --i) {
      const r = ranges[i];
      if (r.nodes) {
        const out = [];
        for (const n of r.nodes)
          emit(n, out, '');
        ops.push(replace(r.from, r.to, out));
        moved = moved || out.length !== r.to - r.from;
      } else if (r.start) {
        ops.push(rewrite(r.start, r.start.lead + tagsOf(r.start.node)[0]));
      } else {
        const p = r.whole;
        const out = [];
        emit(p.node, out, p.lead);
        if (out.length === 1 && out[0].piece.kind === WHOLE) {
          ops.push(rewrite(p, out[0].text));
        } else {
          ops.push(replace(r.from, r.to, out)); // grown too large: cut up
          moved = true;
        }
      }
    }
    if (moved)
      pieces.forEach(function (p, i) { p.pos = i; });
    return { instance: E.instance, seq: ++M.seq, ops: ops };
  }

  // The keys the page has taken (90-start.js counts them), told with every
  // notice and when the host asks: a notice that says a key was taken holds
  // what that key did, so at its end the host waits for this count before it
  // writes its copy of the page.
  E.handlers.tellKeys = function () {
    if (E.bridge)
      E.bridge.notify('KeysSeen', { instance: E.instance, seen: E.keysSeen });
    return null;
  };

  // What every change notice carries to the host.
  E.noticeExtras = function (snap) {
    snap.keys = { instance: E.instance, seen: E.keysSeen };
    if (!M.started)
      return;
    try {
      const update = changes();
      if (update)
        snap.mirror = update;
      snap.caret = caretPlace();
    } catch (e) {
      // The notice goes out all the same; the host's copy, out of step now,
      // is not used until it asks for the page again (resetMirror).
      pending = [];
      snap.mirror = { instance: E.instance, seq: -1 };
    }
  };

  // The host lost track of the copy: the whole page again.
  E.handlers.resetMirror = function () {
    if (M.started && E.bridge)
      E.bridge.notify('PageMirror', rebase());
    return null;
  };

  // The copy starts with the first input or request, or once the page is
  // shown and its nodes numbered (11-source.js), whichever comes first.
  const settle = E.settle;
  E.settle = function () {
    settle();
    M.start();
  };
  requestAnimationFrame(function wait() {
    if (M.started)
      return;
    if (E.bridge && E.source.recorded)
      requestAnimationFrame(M.start);
    else
      requestAnimationFrame(wait);
  });

  // --- the caret ---------------------------------------------------------

  // The elements the page writes, in an element.
  function elementsOf(el) {
    return Array.prototype.filter.call(el.children, function (c) { return !isUi(c); });
  }
  // An element's place among them, counted without making the list: this
  // runs with every notice, in a body of thousands of blocks.
  function placeAmong(el) {
    let n = 0;
    for (let s = el.previousElementSibling; s; s = s.previousElementSibling) {
      if (!isUi(s))
        ++n;
    }
    return n;
  }

  // A place in the page that survives writing it out and reading it back:
  // the element it is in (as element indices from the body), the element
  // before it there (-1: none) and the characters of text between the two.
  E.placeOf = function (node, offset) {
    if (!node || !document.body || !document.body.contains(node))
      return null;
    let el;
    let before;
    let chars = 0;
    if (node.nodeType === Node.TEXT_NODE) {
      el = node.parentElement;
      chars = offset;
      before = node.previousSibling;
    } else if (node.nodeType === Node.ELEMENT_NODE) {
      el = node;
      before = offset > 0 ? node.childNodes[offset - 1] : null;
    } else {
      return null;
    }
    for (; before && !(before.nodeType === Node.ELEMENT_NODE && !isUi(before));
         before = before.previousSibling) {
      if (before.nodeType === Node.TEXT_NODE)
        chars += before.data.length;
    }
    const path = [];
    for (let up = el; up !== document.body; up = up.parentElement)
      path.unshift(isUi(up) ? -1 : placeAmong(up));
    return { path: path, after: before ? placeAmong(before) : -1, chars: chars };
  };

  E.handlers.restoreCaret = function (place) {
    if (!place || !document.body)
      return false;
    let el = document.body;
    for (const i of place.path) {
      el = elementsOf(el)[i];
      if (!el)
        return false;
    }
    const before = place.after >= 0 ? elementsOf(el)[place.after] : null;
    let left = place.chars;
    let n = before ? before.nextSibling : el.firstChild;
    const range = document.createRange();
    for (; n && !(n.nodeType === Node.ELEMENT_NODE && !isUi(n)); n = n.nextSibling) {
      if (n.nodeType === Node.TEXT_NODE) {
        if (left <= n.data.length)
          break;
        left -= n.data.length;
      }
    }
    if (n && n.nodeType === Node.TEXT_NODE)
      range.setStart(n, left);
    else
      range.setStart(el, n ? Array.prototype.indexOf.call(el.childNodes, n) : el.childNodes.length);
    range.collapse(true);
    const sel = document.getSelection();
    sel.removeAllRanges();
    sel.addRange(range);
    if (E.offscreen)
      E.offscreen.reveal(el);
    else
      el.scrollIntoView({ block: 'nearest' });
    return true;
  };
})(Corvane);

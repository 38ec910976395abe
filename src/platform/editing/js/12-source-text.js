// A changed text written as the change alone. The page's own text before
// and after the change stays as written: its character references, its line
// ends, and any markup the parser passed over inside the text (a doctype or
// an <html> after stray text, an end tag that closed nothing). The line ends
// of what the browser writes follow the page's own.


(function (E) {
  'use strict';
  const T = E.sourceText = {};

  // Text whose references are not read; the serializer writes it as it is.
  const RAW = { script: 1, style: 1, xmp: 1, iframe: 1, noembed: 1, noframes: 1,
                plaintext: 1, noscript: 1 };
  // Text read with references but no markup.
  const RCDATA = { title: 1, textarea: 1 };

  // The line end most of the page's own line ends are: '\r\n', '\r' or '\n'.
  T.newlineOf = function (text) {
    let crlf = 0;
    let cr = 0;
    let lf = 0;
    for (let i = text.indexOf('\r'); i >= 0; i = text.indexOf('\r', i + 1)) {
      if (text.charCodeAt(i + 1) === 10)
        ++crlf;
      else
        ++cr;
    }
    for (let i = text.indexOf('\n'); i >= 0; i = text.indexOf('\n', i + 1))
      ++lf;
    lf -= crlf;
    if (crlf > lf && crlf >= cr)
      return '\r\n';
    return cr > lf && cr > crlf ? '\r' : '\n';
  };

  // HTML the browser wrote, with the page's line ends.
  T.withNewlines = function (html, newline) {
    return newline === '\n' || html.indexOf('\n') < 0 ? html : html.replace(/\n/g, newline);
  };

  // New elements written tag by tag, their children as any other: the
  // kinds editing makes; no void or raw text elements, none whose text the
  // parser reads otherwise.
  const BY_TAG = {};
  for (const name of ['a', 'abbr', 'address', 'b', 'bdi', 'bdo', 'big', 'blockquote', 'center',
                      'cite', 'code', 'dd', 'del', 'dfn', 'div', 'dl', 'dt', 'em', 'font', 'h1',
                      'h2', 'h3', 'h4', 'h5', 'h6', 'i', 'ins', 'kbd', 'li', 'mark', 'ol', 'p',
                      'q', 's', 'samp', 'small', 'span', 'strike', 'strong', 'sub', 'sup', 'tt',
                      'u', 'ul', 'var'])
    BY_TAG[name] = true;
  T.byTag = function (element) {
    return !!BY_TAG[element.localName] && element.namespaceURI === 'http://www.w3.org/1999/xhtml';
  };

  let inert = null;
  const references = new Map();
  // What the parser reads a character reference in text as.
  function reference(ref) {
    let value = references.get(ref);
    if (value === undefined) {
      if (!inert)
        inert = document.implementation.createHTMLDocument('').createElement('div');
      inert.innerHTML = ref;
      value = inert.textContent;
      if (references.size < 4096)
        references.set(ref, value);
    }
    return value;
  }

  const REFERENCE = /&(?:#[xX][0-9a-fA-F]+;?|#[0-9]+;?|[A-Za-z][A-Za-z0-9]*;?)/y;

  // Where a tag the parser passed over ends (after its '>'), or -1; quoted
  // attribute values may hold a '>'.
  function tagEnd(text, at, to) {
    for (let i = at; i < to; ++i) {
      const c = text.charCodeAt(i);
      if (c === 62) // >
        return i + 1;
      if (c !== 61) // =
        continue;
      let j = i + 1;
      while (j < to && /\s/.test(text.charAt(j)))
        ++j;
      const q = text.charAt(j);
      if (q === '"' || q === '\'') {
        const close = text.indexOf(q, j + 1);
        if (close < 0 || close >= to)
          return -1;
        i = close;
      }
    }
    return -1;
  }

  // The page's text from..to as the parser reads it inside parent, in
  // pieces that are written whole (a character, a reference, a line end, a
  // tag passed over): data[i] is what piece i reads as, start[i] where it
  // starts in the text, kinds[i] whether it could run on into text after
  // it; length is the data's. Null where the text holds what a text node
  // cannot (a comment).
  T.decode = function (text, from, to, parent) {
    const name = parent && parent.localName;
    const raw = !!RAW[name];
    const markup = !raw && !RCDATA[name];
    const data = [];
    const start = [];
    const kinds = []; // per piece: 0 plain, 1 a reference without ';', 2 a bare '&' or '<'
    let length = 0;
    function piece(s, at, kind) {
      data.push(s);
      start.push(at);
      kinds.push(kind);
      length += s.length;
    }
    for (let i = from; i < to;) {
      const c = text.charCodeAt(i);
      if (c === 13) { // CR, or CR LF: one line feed
        const two = text.charCodeAt(i + 1) === 10 && i + 1 < to;
        piece('\n', i, 0);
        i += two ? 2 : 1;
      } else if (c === 0) {
        piece(markup ? '' : '\ufffd', i, 0);
        ++i;
      } else if (c === 38 && !raw) { // &
        REFERENCE.lastIndex = i;
        const m = REFERENCE.exec(text);
        if (m && i + m[0].length <= to) {
          const value = reference(m[0]);
          piece(value, i, value === m[0] ? 2 : (m[0].endsWith(';') ? 0 : 1));
          i += m[0].length;
        } else {
          piece('&', i, 2);
          ++i;
        }
      } else if (c === 60 && markup) { // <
        const next = text.charAt(i + 1);
        if (next === '?' || (next === '!' && !/^<!doctype/i.test(text.substr(i, 9))))
          return null; // a comment is a node of its own
        if (/[A-Za-z!]/.test(next) || (next === '/' && /[A-Za-z]/.test(text.charAt(i + 2)))) {
          const end = tagEnd(text, i + 1, to);
          if (end < 0)
            return null;
          piece('', i, 0);
          i = end;
        } else {
          piece('<', i, 2);
          ++i;
        }
      } else {
        // a run of plain characters, one piece each
        piece(text.charAt(i), i, 0);
        ++i;
      }
    }
    return { data: data, start: start, kinds: kinds, length: length, to: to };
  };

  // Where whole pieces of a text read by T.decode give data, looking from
  // piece `from` on and then from the start: [first piece, piece after the
  // last], or null. The text found must not end in something that would
  // run on into what follows it.
  T.find = function (read, data, from) {
    if (!data || data.length > read.length)
      return null;
    if (!read.joined) {
      read.joined = read.data.join('');
      read.offsets = new Int32Array(read.data.length + 1);
      read.pieceAt = new Int32Array(read.joined.length + 1).fill(-1);
      for (let i = read.data.length - 1, at = read.joined.length; i >= 0; --i) {
        at -= read.data[i].length;
        read.pieceAt[at] = i;
        read.offsets[i] = at;
      }
      read.offsets[read.data.length] = read.joined.length;
      read.pieceAt[read.joined.length] = read.data.length;
    }
    const starts = [read.offsets[Math.min(from, read.data.length)], 0];
    for (const start of starts) {
      for (let at = read.joined.indexOf(data, start); at >= 0; at = read.joined.indexOf(data, at + 1)) {
        const first = read.pieceAt[at];
        const end = read.pieceAt[at + data.length];
        if (first >= 0 && end > first && read.kinds[end - 1] === 0)
          return [first, end];
      }
    }
    return null;
  };

  // Writes text node `node`, whose text at load stood at from..to, into out
  // (11-source.js, Pieces): the page's text where its data is unchanged, the
  // browser's HTML for what changed. False when the text cannot be read
  // back to what the node held at load (size characters).
  T.write = function (out, node, from, to, size, html) {
    const old = T.decode(out.text, from, to, node.parentNode);
    if (!old || old.length !== size)
      return false;
    const now = node.data;
    const pieces = old.data;
    const n = pieces.length;
    // Whole pieces the same at the start and at the end.
    let head = 0;
    let headLength = 0;
    while (head < n && now.startsWith(pieces[head], headLength)) {
      headLength += pieces[head].length;
      ++head;
    }
    let tail = 0;
    let tailLength = 0;
    while (tail < n - head) {
      const p = pieces[n - 1 - tail];
      if (headLength + tailLength + p.length > now.length
          || !now.endsWith(p, now.length - tailLength))
        break;
      tailLength += p.length;
      ++tail;
    }
    // What the page's text ends with before the change must not run on
    // into it: a reference without ';', a bare '&' or '<'.
    while (head > 0 && old.kinds[head - 1] !== 0) {
      --head;
      headLength -= pieces[head].length;
    }
    if (head === n && tail === 0 && headLength === now.length) {
      out.range(from, to);
      return true;
    }
    const cut = head < n ? old.start[head] : to;
    const resume = tail > 0 ? old.start[n - tail] : to;
    out.range(from, cut);
    out.string(html(now.slice(headLength, now.length - tailLength)));
    out.range(resume, to);
    return true;
  };

  // The written page as pieces: ranges of the page's text, and strings the
  // browser wrote (with the page's line ends); ranges that follow on from
  // each other are one. The host puts the text together from its own copy,
  // so a one-word change sends a few pieces instead of the whole page.
  // subs: nodes the parser put out of a table, in the order of their text
  // ({from, to, used, write}); a range over one's text writes the node.
  function Pieces(text, newline) {
    this.text = text;
    this.newline = newline || '\n';
    this.parts = []; // from, to (numbers), a string, or a place kept for later
    this.length = 0;
    this.joinable = false; // whether the last part is a range to extend
    this.subs = null;
  }
  T.Pieces = Pieces;
  Pieces.prototype.range = function (from, to) {
    if (this.subs) {
      for (const sub of this.subs) {
        if (!sub.used && sub.from >= from && sub.to <= to && sub.from < to) {
          sub.used = true;
          this.plain(from, sub.from);
          sub.write();
          from = sub.to;
        }
      }
    }
    this.plain(from, to);
  };
  Pieces.prototype.plain = function (from, to) {
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
    s = T.withNewlines(s, this.newline);
    this.parts.push(s);
    this.joinable = false;
    this.length += s.length;
  };
  // A place where a string may still be put in later (before what follows).
  Pieces.prototype.mark = function () {
    const place = { s: '' };
    this.parts.push(place);
    this.joinable = false;
    return place;
  };
  // Puts s in at a place kept; s is the page's own text when asIs.
  Pieces.prototype.insert = function (place, s, asIs) {
    if (!asIs)
      s = T.withNewlines(s, this.newline);
    place.s += s;
    this.length += s.length;
  };
  // As the host takes them (source_tree.h, joinPieces).
  Pieces.prototype.wire = function () {
    const out = [];
    const parts = this.parts;
    for (let i = 0; i < parts.length; ++i) {
      const part = parts[i];
      if (typeof part === 'number') {
        out.push(part, parts[++i]);
      } else {
        const s = typeof part === 'string' ? part : part.s;
        if (s)
          out.push(s);
      }
    }
    return out;
  };
  Pieces.prototype.join = function () {
    const out = [];
    const parts = this.parts;
    for (let i = 0; i < parts.length; ++i) {
      const part = parts[i];
      if (typeof part === 'number')
        out.push(this.text.slice(part, parts[++i]));
      else
        out.push(typeof part === 'string' ? part : part.s);
    }
    return out.join('');
  };
})(Corvane);

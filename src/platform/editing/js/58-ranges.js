// The document object's selection, ranges and elements as the host's insert
// tools use them: the selection gives a text range or, for a chosen control,
// a control range; a text range collapses, names the element it stands in
// and takes pasted HTML; an element gives its outer HTML in the legacy style
// the host's Update menu matches (tag names in capitals, attribute names in
// lower case, plain values unquoted). Objects are handed to the host as
// numbered handles, good until the page is replaced.


(function (E) {
  'use strict';
  E.dom = E.dom || {};
  // Older handles are dropped: the host holds a range only for one handler.
  const KEEP = 64;
  const handles = new Map();
  let nextHandle = 1;

  function remember(object) {
    const handle = nextHandle++;
    handles.set(handle, object);
    if (handles.size > KEEP)
      handles.delete(handles.keys().next().value);
    return handle;
  }
  function lookup(args, kind) {
    const object = handles.get(args && args.handle);
    if (!object)
      E.fail(E.INVALIDARG, 'the object is no longer available');
    if (kind && object.kind !== kind)
      E.fail(E.INVALIDARG, 'not a ' + kind + ' range');
    return object;
  }

  // A selection outside the body (or none at all) is taken as the body's end.
  function bodyEnd() {
    if (!document.body)
      E.fail(E.UNEXPECTED, 'the page has no body');
    const range = document.createRange();
    range.selectNodeContents(document.body);
    range.collapse(false);
    return range;
  }

  E.dom.createRange = function () {
    const control = E.controlSelection && E.controlSelection();
    if (control)
      return { handle: remember({ kind: 'control', element: control }), kind: 'control' };
    const live = E.range();
    const range = live ? live.cloneRange() : bodyEnd();
    return { handle: remember({ kind: 'text', range: range }), kind: 'text' };
  };

  E.dom.rangeCollapse = function (args) {
    lookup(args, 'text').range.collapse(args.start !== false);
    return null;
  };

  function elementHandle(element) {
    return { handle: remember({ kind: 'element', element: element }) };
  }

  E.dom.rangeParentElement = function (args) {
    const range = lookup(args, 'text').range;
    let node = range.commonAncestorContainer;
    if (node.nodeType !== Node.ELEMENT_NODE)
      node = node.parentElement;
    if (!node || !document.body || !document.body.contains(node))
      node = document.body;
    if (!node)
      E.fail(E.UNEXPECTED, 'the page has no body');
    return elementHandle(node);
  };

  // One chosen control: it is its own common parent.
  E.dom.rangeCommonParentElement = function (args) {
    return elementHandle(lookup(args, 'control').element);
  };

  E.dom.elementOuterHTML = function (args) {
    return E.legacyHtml(lookup(args, 'element').element);
  };

  // Replaces what the range covers with the HTML as the parser reads a
  // fragment there, as one undo step; the caret goes after it. A control
  // range keeps its control (replacing it is the caller's business) and the
  // HTML goes right after it.
  // A selection across cells deletes down to the rows between them, where
  // pasted text or inline elements would stand outside every cell (a
  // browser reading the page back moves them before the table). It goes
  // where the selection began, in its cell, or else after the table.
  const TABLE_PARTS = /^(table|thead|tbody|tfoot|tr|colgroup)$/;
  function intoCell(range, start, startOffset) {
    const at = range.startContainer;
    if (at.nodeType !== Node.ELEMENT_NODE || !TABLE_PARTS.test(at.localName))
      return;
    const startEl = start.nodeType === Node.ELEMENT_NODE ? start : start.parentElement;
    if (start.isConnected && startEl && startEl.closest('td,th') && at.contains(start)) {
      const length = start.nodeType === Node.TEXT_NODE ? start.length : start.childNodes.length;
      range.setStart(start, Math.min(startOffset, length));
    } else {
      range.setStartAfter(at.closest('table'));
    }
    range.collapse(true);
  }

  // Blocks cannot stand in inline formatting, a paragraph, a heading or a
  // preformatted block: those are split at the insertion point, as a paste
  // splits them, so the blocks go between the halves and the text after
  // keeps its formatting.
  function holdsBlocks(fragment) {
    return Array.from(fragment.childNodes).some(function (n) {
      return n.nodeType === Node.ELEMENT_NODE && E.isBlock(n);
    });
  }
  function roomForBlocks(range) {
    let node = range.startContainer, offset = range.startOffset;
    if (node.nodeType === Node.TEXT_NODE) {
      if (offset > 0 && offset < node.length)
        node.splitText(offset);
      offset = Array.prototype.indexOf.call(node.parentNode.childNodes, node) + (offset > 0 ? 1 : 0);
      node = node.parentNode;
    }
    while (node !== document.body && node.nodeType === Node.ELEMENT_NODE && node.parentNode
           && (E.isInline(node) || E.isPhrasingBlock(node))) {
      const index = Array.prototype.indexOf.call(node.parentNode.childNodes, node);
      if (offset >= node.childNodes.length) {
        offset = index + 1;
      } else if (offset > 0) {
        const tail = node.cloneNode(false);
        tail.removeAttribute('id');
        node.after(tail);
        while (node.childNodes.length > offset)
          tail.insertBefore(node.lastChild, tail.firstChild);
        offset = index + 1;
      } else {
        offset = index;
      }
      node = node.parentNode;
    }
    range.setStart(node, offset);
    range.collapse(true);
  }

  // Right after what was put in; after a block that is the end of its last
  // text: between blocks the browser has no place to type, and a form or a
  // cell drops the keys.
  function endOfInserted(caret, last) {
    if (last.nodeType !== Node.ELEMENT_NODE || !E.isBlock(last) || /^(table|hr)$/.test(last.localName)) {
      caret.setStartAfter(last);
      return;
    }
    let node = last;
    while (node.lastChild && node.lastChild.nodeType === Node.ELEMENT_NODE &&
           !/^(br|img|input|select|textarea|button|hr|table|iframe|object|embed)$/.test(node.lastChild.localName))
      node = node.lastChild;
    const end = node.lastChild;
    if (end && end.nodeType === Node.TEXT_NODE)
      caret.setStart(end, end.length);
    else if (end && end.localName === 'br')
      caret.setStartBefore(end);
    else
      caret.setStart(node, node.childNodes.length);
  }

  E.dom.rangePasteHTML = function (args) {
    const object = lookup(args);
    const html = args && args.html != null ? String(args.html) : '';
    let range;
    if (object.kind === 'control') {
      if (!object.element.isConnected)
        E.fail(E.INVALIDARG, 'the selected element is no longer in the page');
      range = document.createRange();
      range.setStartAfter(object.element);
      range.collapse(true);
    } else if (object.kind === 'text') {
      range = object.range;
      if (!document.body || !document.body.contains(range.commonAncestorContainer))
        range = bodyEnd();
    } else {
      E.fail(E.INVALIDARG, 'not a range');
    }
    E.history.cut('edit');
    E.history.hold++;
    try {
      if (E.clearControl)
        E.clearControl();
      const start = range.startContainer, startOffset = range.startOffset;
      range.deleteContents();
      intoCell(range, start, startOffset);
      const fragment = range.createContextualFragment(html);
      if (holdsBlocks(fragment))
        roomForBlocks(range);
      const last = fragment.lastChild;
      range.insertNode(fragment);
      const caret = document.createRange();
      if (last && last.parentNode)
        endOfInserted(caret, last);
      else
        caret.setStart(range.startContainer, range.startOffset);
      caret.collapse(true);
      const sel = document.getSelection();
      sel.removeAllRanges();
      sel.addRange(caret);
    } finally {
      E.history.hold--;
      E.history.cut('command');
    }
    return null;
  };

  // --- the legacy outer HTML ---
  const VOID = new Set(['area', 'base', 'br', 'col', 'embed', 'hr', 'img', 'input', 'link',
                        'meta', 'param', 'source', 'track', 'wbr', 'basefont', 'frame']);
  const RAW = new Set(['script', 'style', 'xmp', 'iframe', 'noembed', 'noframes', 'plaintext',
                       'noscript']);

  function escapeText(text) {
    return text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
               .replace(/\u00a0/g, '&nbsp;');
  }
  function attributeText(element, a) {
    const name = a.name.toLowerCase();
    // An input's type is a keyword of any case; it is written as the
    // browser understands it ("Submit" reads type=submit).
    const value = element.localName === 'input' && name === 'type' ? element.type : a.value;
    if (/^[A-Za-z0-9_-]+$/.test(value))
      return name + '=' + value;
    return name + '="' + value.replace(/&/g, '&amp;').replace(/"/g, '&quot;') + '"';
  }

  function write(node, out) {
    if (node.nodeType === Node.TEXT_NODE) {
      const parent = node.parentElement;
      out.push(parent && RAW.has(parent.localName) ? node.data : escapeText(node.data));
    } else if (node.nodeType === Node.COMMENT_NODE) {
      out.push('<!--' + node.data + '-->');
    } else if (node.nodeType === Node.ELEMENT_NODE) {
      if (node.hasAttribute(E.uiAttribute))
        return;
      const tag = node.localName.toUpperCase();
      let start = '<' + tag;
      for (const a of Array.from(node.attributes)) {
        if (a.name !== E.uiAttribute)
          start += ' ' + attributeText(node, a);
      }
      out.push(start + '>');
      if (VOID.has(node.localName))
        return;
      const children = node.localName === 'template' ? node.content.childNodes : node.childNodes;
      for (const child of children)
        write(child, out);
      out.push('</' + tag + '>');
    }
  }

  E.legacyHtml = function (element) {
    const out = [];
    write(element, out);
    return out.join('');
  };
})(Corvane);

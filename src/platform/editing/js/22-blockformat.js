// Block formats: the names the Format menu shows, the one at the selection,
// and applying one. Lists are the browser's list commands; the two old list
// kinds are bulleted lists renamed afterwards.


(function (E) {
  'use strict';
  const FORMATS = [
    ['Normal', 'div'],
    ['Formatted', 'pre'],
    ['Address', 'address'],
    ['Heading 1', 'h1'],
    ['Heading 2', 'h2'],
    ['Heading 3', 'h3'],
    ['Heading 4', 'h4'],
    ['Heading 5', 'h5'],
    ['Heading 6', 'h6'],
    ['Numbered List', 'ol'],
    ['Bulleted List', 'ul'],
    ['Directory List', 'dir'],
    ['Menu List', 'menu'],
    ['Definition Term', 'dt'],
    ['Definition', 'dd'],
    ['Paragraph', 'p'],
  ];
  const byTag = new Map(FORMATS.map(function (f) { return [f[1], f[0]]; }));
  const byName = new Map(FORMATS);

  function currentFormat() {
    let el = E.startElement();
    for (; el && el !== document.body; el = el.parentElement) {
      const tag = el.localName;
      if (tag === 'li') {
        const list = el.parentElement;
        return byTag.get(list ? list.localName : 'ul') || 'Bulleted List';
      }
      if (byTag.has(tag))
        return byTag.get(tag);
      if (getComputedStyle(el).display !== 'inline')
        return 'Normal';
    }
    return 'Normal';
  }

  // Moving nodes drops a selection inside them; it is put back.
  // A selection set on an element that the move replaces goes to its
  // replacement, which takes the same children (`replaced` maps the two).
  function keepingSelection(move, replaced) {
    const range = E.range();
    const saved = range && [range.startContainer, range.startOffset, range.endContainer,
                            range.endOffset];
    const result = move();
    if (saved && replaced) {
      for (const i of [0, 2]) {
        if (saved[i] === replaced.old)
          saved[i] = replaced.now;
      }
    }
    if (saved && saved[0].isConnected && saved[2].isConnected) {
      const r = document.createRange();
      r.setStart(saved[0], saved[1]);
      r.setEnd(saved[2], saved[3]);
      const sel = document.getSelection();
      sel.removeAllRanges();
      sel.addRange(r);
    }
    return result;
  }

  function renameList(list, tag) {
    const replaced = { old: list, now: null };
    return keepingSelection(function () {
      const replacement = replaced.now = document.createElement(tag);
      for (const a of Array.from(list.attributes))
        replacement.setAttribute(a.name, a.value);
      // In the page before it takes the items: the undo history sees no
      // change to a node outside the document, and redo would leave the
      // new list empty.
      list.before(replacement);
      while (list.firstChild)
        replacement.appendChild(list.firstChild);
      list.remove();
      return replacement;
    }, replaced);
  }

  // The browser makes a list inside a heading or paragraph that holds all
  // of the selected text; a list there belongs in the block's place.
  E.makeList = function (ordered) {
    document.execCommand(ordered ? 'insertOrderedList' : 'insertUnorderedList', false, null);
    const list = listAround();
    const parent = list && list.parentElement;
    if (parent && parent !== document.body && parent.childNodes.length === 1 &&
        /^(p|div|h[1-6]|pre|address)$/.test(parent.localName))
      keepingSelection(function () { parent.replaceWith(list); });
  };

  // The list the selection starts in, else the first list it covers part
  // of; never a list elsewhere in the block the selection starts in.
  function listAround() {
    const el = E.startElement();
    const inside = el && el.closest('ol,ul,dir,menu');
    if (inside)
      return inside;
    const range = E.range();
    if (!range || range.collapsed)
      return null;
    let root = range.commonAncestorContainer;
    if (root.nodeType !== Node.ELEMENT_NODE)
      root = root.parentElement;
    for (const list of root ? root.querySelectorAll('ol,ul,dir,menu') : []) {
      if (range.intersectsNode(list))
        return list;
    }
    return null;
  }

  function applyFormat(name) {
    const tag = byName.get(name);
    if (!tag)
      E.fail(E.INVALIDARG, 'unknown block format: ' + name);
    const list = listAround();
    if (tag === 'ol' || tag === 'ul' || tag === 'dir' || tag === 'menu') {
      if (list && list.localName === tag)
        return;
      if (list && tag !== 'ol' && list.localName !== 'ol') {
        renameList(list, tag);
        return;
      }
      E.makeList(tag === 'ol');
      const made = listAround();
      if (made && made.localName !== tag && tag !== 'ol' && tag !== 'ul')
        renameList(made, tag);
      return;
    }
    // Leaving a list first turns its items back into plain blocks.
    if (list) {
      const l = list.localName === 'dir' || list.localName === 'menu' ? renameList(list, 'ul') : list;
      document.execCommand(l.localName === 'ol' ? 'insertOrderedList' : 'insertUnorderedList',
                           false, null);
    }
    document.execCommand('formatBlock', false, '<' + tag + '>');
  }

  function editableStatus() {
    return E.editable() ? E.ENABLED : E.DISABLED;
  }

  E.commands[5012] = {
    exec: function () { return FORMATS.map(function (f) { return f[0]; }); },
    status: function () { return E.ENABLED; },
  };
  E.commands[5011] = {
    exec: function () { return E.editable() ? currentFormat() : null; },
    status: editableStatus,
    value: function () { return E.editable() ? currentFormat() : ''; },
  };
  E.commands[5043] = {
    exec: function (option, input) { applyFormat(String(input === undefined ? '' : input)); },
    status: editableStatus,
  };
})(Corvane);

// The paragraph commands (alignment, indent, outdent, lists, block formats)
// are the browser's, which take a "paragraph" to be a line: a line inside
// inline formatting (after a line break in a <b> or <i>) becomes a block put
// inside the formatting, and a line of a heading made a paragraph stays in
// the heading. Blocks a command leaves inside inline content, or inside a
// paragraph or heading, are moved out: the elements around them are split
// there, and an inline element's formatting stays on the block's text.


(function (E) {
  'use strict';
  const PARAGRAPH_COMMANDS = [5024, 5025, 5026, 5018, 5031, 5030, 5051, 5043];

  function misplaced(root) {
    return E.contentModelErrors(root)
      .filter(function (e) { return e.element; })
      .map(function (e) { return e.element; });
  }

  function empty(el) {
    return !el.textContent.trim() && !el.querySelector('img,br,input,select,textarea,button,hr,' +
                                                      'iframe,object,embed,video,audio,canvas');
  }

  function bareCopy(el) {
    const copy = el.cloneNode(false);
    copy.removeAttribute('id');
    return copy;
  }

  // Splits the parent around the block until it stands where blocks may.
  E.liftBlock = function (block) {
    for (let parent = block.parentElement; parent && parent !== document.body;
         parent = block.parentElement) {
      const inline = E.isInline(parent);
      if (!inline && !E.isPhrasingBlock(parent))
        return;
      // Each copy is in the page before it takes any node: the undo history
      // sees no change outside the page, and redo would leave it empty.
      const after = bareCopy(parent);
      parent.after(after);
      while (block.nextSibling)
        after.appendChild(block.nextSibling);
      parent.after(block);
      if (inline) {
        const keep = bareCopy(parent);
        block.prepend(keep);
        while (keep.nextSibling)
          keep.appendChild(keep.nextSibling);
      }
      if (empty(after))
        after.remove();
      if (empty(parent))
        parent.remove();
    }
  };

  // A selection end held by the nodes around it, which the lifting moves
  // but keeps: a text and an offset in it, or the node it stands before (or
  // the last one it stands after).
  function pin(container, offset) {
    if (container.nodeType === Node.TEXT_NODE)
      return { text: container, offset: offset };
    const next = container.childNodes[offset];
    if (next)
      return { before: next };
    return container.lastChild ? { after: container.lastChild } : { inside: container };
  }
  function unpin(p) {
    const node = p.text || p.before || p.after || p.inside;
    if (!node.isConnected)
      return null;
    if (p.text)
      return [p.text, Math.min(p.offset, p.text.length)];
    if (p.inside)
      return [p.inside, 0];
    const index = Array.prototype.indexOf.call(node.parentNode.childNodes, node);
    return [node.parentNode, p.before ? index : index + 1];
  }

  // Runs fn, then lifts the blocks it left out of place (those that were
  // out of place before are the page's own, and stay).
  E.keepingBlocksInPlace = function (fn) {
    const before = new Set(misplaced());
    const result = fn();
    const lifted = misplaced().filter(function (el) { return !before.has(el); });
    if (!lifted.length)
      return result;
    const range = E.range();
    const start = range && pin(range.startContainer, range.startOffset);
    const end = range && pin(range.endContainer, range.endOffset);
    lifted.forEach(E.liftBlock);
    const a = start && unpin(start), b = end && unpin(end);
    if (a && b)
      document.getSelection().setBaseAndExtent(a[0], a[1], b[0], b[1]);
    return result;
  };

  for (const id of PARAGRAPH_COMMANDS) {
    const command = E.commands[id];
    const exec = command.exec;
    command.exec = function (option, input) {
      return E.keepingBlocksInPlace(function () { return exec.call(command, option, input); });
    };
  }
})(Corvane);

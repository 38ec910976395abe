// The paragraph commands (alignment, indent, outdent, lists) are the
// browser's, which take a "paragraph" to be a line: a line inside inline
// formatting (after a line break in a <b> or <i>) becomes a block put inside
// the formatting. Blocks a command leaves inside inline content, or inside a
// paragraph or heading, are moved out: the elements around them are split
// there, and an inline element's formatting stays on the block's text.


(function (E) {
  'use strict';
  const PARAGRAPH_COMMANDS = [5024, 5025, 5026, 5018, 5031, 5030, 5051];

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
      const after = bareCopy(parent);
      while (block.nextSibling)
        after.appendChild(block.nextSibling);
      parent.after(block);
      block.after(after);
      if (inline) {
        const keep = bareCopy(parent);
        while (block.firstChild)
          keep.appendChild(block.firstChild);
        block.appendChild(keep);
      }
      if (empty(after))
        after.remove();
      if (empty(parent))
        parent.remove();
    }
  };

  // Runs fn, then lifts the blocks it left out of place (those that were
  // out of place before are the page's own, and stay).
  E.keepingBlocksInPlace = function (fn) {
    const before = new Set(misplaced());
    const result = fn();
    const lifted = misplaced().filter(function (el) { return !before.has(el); });
    if (!lifted.length)
      return result;
    const range = E.range();
    const saved = range && [range.startContainer, range.startOffset, range.endContainer,
                            range.endOffset];
    lifted.forEach(E.liftBlock);
    if (saved && saved[0].isConnected && saved[2].isConnected) {
      const length = function (n) {
        return n.nodeType === Node.TEXT_NODE ? n.length : n.childNodes.length;
      };
      const sel = document.getSelection();
      sel.setBaseAndExtent(saved[0], Math.min(saved[1], length(saved[0])),
                           saved[2], Math.min(saved[3], length(saved[2])));
    }
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

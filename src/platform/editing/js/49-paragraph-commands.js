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
  // The formatting commands wrap an element the page's style shows inline (a
  // list item shown in a row) in the formatting, list item and all.
  const FORMATTING_COMMANDS = [5000, 5023, 5048, 5044, 5045, 5046, 5016];

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

  // Where an inline element's formatting goes when a block leaves it: into
  // the items of a list or the cells of a table (formatting around them
  // would stand where only items or rows may), else around each run of the
  // block's inline content, blocks inside taken the same way. A link's copy
  // goes around no other link.
  function keepFormatting(block, inline) {
    let holders;
    if (/^(ul|ol|dir|menu)$/.test(block.localName))
      holders = Array.from(block.children).filter(function (c) { return c.localName === 'li'; });
    else if (block.localName === 'dl')
      holders = Array.from(block.children).filter(function (c) { return /^d[td]$/.test(c.localName); });
    else if (block.localName === 'table')
      holders = Array.from(block.querySelectorAll('td,th'))
        .filter(function (c) { return c.closest('table') === block; });
    else
      holders = [block];
    holders.forEach(function (holder) { wrapRuns(holder, inline); });
  }
  function wrapRuns(holder, inline) {
    const link = inline.localName === 'a';
    let run = [];
    const flush = function () {
      if (run.some(function (n) { return n.nodeType === Node.ELEMENT_NODE || /\S/.test(n.data); })) {
        const keep = bareCopy(inline);
        run[0].before(keep);
        run.forEach(function (n) { keep.appendChild(n); });
      }
      run = [];
    };
    for (const child of Array.from(holder.childNodes)) {
      const element = child.nodeType === Node.ELEMENT_NODE;
      if (element && E.isBlock(child)) {
        flush();
        keepFormatting(child, inline);
      } else if (element && link && (child.localName === 'a' || child.querySelector('a'))) {
        flush();
      } else if (element || child.nodeType === Node.TEXT_NODE) {
        run.push(child);
      }
    }
    flush();
  }

  // Splits the parent around the block until it stands where blocks may. A
  // link inside a link is the same link twice (a command copied it) and is
  // taken off, or another one, and stands beside the outer one instead.
  E.liftBlock = function (block) {
    // A cell or row copied where no table holds it (the browser's indent in
    // an empty cell copies the cell into the indent): only its content stays.
    if (/^(td|th|tr|tbody|thead|tfoot|caption|colgroup|col)$/.test(block.localName)) {
      block.replaceWith.apply(block, Array.from(block.childNodes));
      return;
    }
    let link = block.localName === 'a';
    const outer = link && block.parentElement && block.parentElement.closest('a');
    if (link && !outer)
      return;
    if (link && outer.getAttribute('href') === block.getAttribute('href')) {
      block.replaceWith.apply(block, Array.from(block.childNodes));
      return;
    }
    // A block between the two links (the browser's indent put it inside
    // the outer one) goes out of the outer link with the inner one in it.
    for (let n = link ? block.parentElement : null; n && n !== outer; n = n.parentElement) {
      if (!E.isInline(n)) {
        block = n;
        link = false;
      }
    }
    for (let parent = block.parentElement; parent && parent !== document.body;
         parent = block.parentElement) {
      const inline = E.isInline(parent);
      if (link ? !inline : !inline && !E.isPhrasingBlock(parent))
        return;
      // Each copy is in the page before it takes any node: the undo history
      // sees no change outside the page, and redo would leave it empty.
      const after = bareCopy(parent);
      parent.after(after);
      while (block.nextSibling)
        after.appendChild(block.nextSibling);
      parent.after(block);
      if (inline && !link)
        keepFormatting(block, parent);
      if (empty(after))
        after.remove();
      if (empty(parent))
        parent.remove();
      if (parent === outer)
        return;
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

  // The blocks out of place inside the roots.
  function misplacedIn(roots) {
    return [].concat.apply([], roots.map(function (root) { return misplaced(root); }));
  }

  // Lifts the blocks out of place inside the roots that were not before,
  // the selection staying on the same text; lifting one can leave another
  // in a copy it made, so the new errors are looked at once more. True when
  // something was lifted.
  function liftNew(roots, before) {
    const found = function () {
      return misplacedIn(roots.filter(function (r) { return r.isConnected; }))
        .filter(function (el) { return !before.has(el); });
    };
    const lifted = found();
    if (!lifted.length)
      return false;
    const range = E.range();
    const start = range && pin(range.startContainer, range.startOffset);
    const end = range && pin(range.endContainer, range.endOffset);
    lifted.forEach(E.liftBlock);
    found().forEach(E.liftBlock);
    const a = start && unpin(start), b = end && unpin(end);
    if (a && b)
      document.getSelection().setBaseAndExtent(a[0], a[1], b[0], b[1]);
    return true;
  }

  // Runs fn, then lifts the blocks it left out of place (those that were
  // out of place before are the page's own, and stay).
  E.keepingBlocksInPlace = function (fn) {
    const before = new Set(misplaced());
    const result = fn();
    liftNew([document.body], before);
    return result;
  };

  // The browser's own Return, and typing or deleting over a selection,
  // split and join blocks the same way (a section left in a span, a table
  // joined into a heading). Only the blocks around the edit are looked at,
  // a keystroke must not read the whole of a large page: the parent of the
  // nearest block, or for a block of the body's own, it and its neighbours
  // (`reach` of them on each side).
  function regionOf(range, reach) {
    let el = range.commonAncestorContainer;
    if (el.nodeType !== Node.ELEMENT_NODE)
      el = el.parentElement;
    while (el && el !== document.body && !E.isBlock(el))
      el = el.parentElement;
    if (!el || el === document.body)
      return [document.body];
    if (el.parentElement !== document.body)
      return [el.parentElement];
    const roots = [el];
    for (let i = 0, before = el, after = el; i < reach; ++i) {
      before = before && before.previousElementSibling;
      after = after && after.nextElementSibling;
      roots.push(before, after);
    }
    return roots.filter(Boolean);
  }
  let typed = null;
  window.addEventListener('beforeinput', function (e) {
    typed = null;
    const range = E.range();
    if (!range || (range.collapsed && e.inputType !== 'insertParagraph'))
      return;
    // Wider before than after: the edit's new block stands beside it.
    typed = new Set(misplacedIn(regionOf(range, 2)));
  }, true);
  // After the undo history has closed the edit's step (a listener of its
  // own before it would let the edit's changes out as a step of their own);
  // what is lifted joins that step.
  document.addEventListener('input', function () {
    const before = typed;
    typed = null;
    const range = E.range();
    if (before && range && liftNew(regionOf(range, 1), before))
      E.history.amend();
  }, true);

  for (const id of PARAGRAPH_COMMANDS.concat(FORMATTING_COMMANDS)) {
    const command = E.commands[id];
    const exec = command.exec;
    command.exec = function (option, input) {
      return E.keepingBlocksInPlace(function () { return exec.call(command, option, input); });
    };
  }
})(Corvane);

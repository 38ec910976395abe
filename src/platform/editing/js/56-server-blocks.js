// Server code (PHP, ASP) is kept out of the browser's hands: the host swaps
// each block for a token before the page arrives and back when the page is
// read out (server_blocks.h). A block in content arrives as a comment
// <!--TOKEN-->; each such comment in the body gets a placeholder beside it
// that shows the start of the code. Placeholders are marked elements that
// cannot be typed into, so they never reach the HTML nor count as edits.
// Deleting a placeholder deletes its block, as one step with the deletion.


(function (E) {
  'use strict';
  const KIND = 'server';
  const SELECTOR = '[' + E.uiAttribute + '="' + KIND + '"]';
  const PREVIEW = 40;
  const STYLE =
      'display:inline-block!important;visibility:visible!important;' +
      'font:11px/14px monospace!important;color:#000!important;background:#fff2b3!important;' +
      'border:1px dashed #a07800!important;padding:0 3px!important;margin:0 1px!important;' +
      'white-space:pre!important;vertical-align:baseline;user-select:none;' +
      '-webkit-user-modify:read-only;cursor:default';

  // { key, blocks: [{ code, form: 'comment' | 'text' | 'attribute', standalone, glued }] }
  let table = null;
  let exactToken = null;
  const placeholderOf = new WeakMap(); // comment -> placeholder
  const commentOf = new WeakMap(); // placeholder -> comment
  let scheduled = false;

  function tokenSource() {
    return '_corvane_server_' + table.key.replace(/[^0-9a-z]/g, '') + '_(\\d+)_';
  }

  function blockOf(comment) {
    const m = exactToken.exec(comment.data);
    if (!m)
      return -1;
    const n = Number(m[1]);
    return n < table.blocks.length ? n : -1;
  }

  function preview(code) {
    const flat = code.replace(/\s+/g, ' ').trim();
    return flat.length > PREVIEW ? flat.slice(0, PREVIEW - 1) + '\u2026' : flat;
  }

  function makePlaceholder(n) {
    const code = table.blocks[n].code;
    const span = document.createElement('span');
    span.setAttribute(E.uiAttribute, KIND);
    span.setAttribute('contenteditable', 'false');
    span.setAttribute('title', code.length > 2000 ? code.slice(0, 2000) + '\u2026' : code);
    span.style.cssText = STYLE;
    span.textContent = preview(code);
    return span;
  }

  // The placeholder still stands right before its comment (other editing
  // aids may sit between them).
  function beside(placeholder, comment) {
    if (!placeholder.isConnected || placeholder.parentNode !== comment.parentNode)
      return false;
    for (let n = placeholder.nextSibling; n; n = n.nextSibling) {
      if (n === comment)
        return true;
      if (n.nodeType !== Node.ELEMENT_NODE || !n.hasAttribute(E.uiAttribute) ||
          n.getAttribute(E.uiAttribute) === KIND)
        return false;
    }
    return false;
  }

  // One placeholder before every block comment in the body, none elsewhere.
  function sync() {
    scheduled = false;
    if (!table || !document.body)
      return;
    settle(observer.takeRecords());
    E.quiet++;
    try {
      const kept = new Set();
      const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_COMMENT);
      const found = [];
      for (let c = walker.nextNode(); c; c = walker.nextNode()) {
        const n = blockOf(c);
        if (n >= 0)
          found.push([c, n]);
      }
      for (const [comment, n] of found) {
        let placeholder = placeholderOf.get(comment);
        if (!placeholder || !beside(placeholder, comment)) {
          if (!placeholder || kept.has(placeholder))
            placeholder = makePlaceholder(n);
          comment.parentNode.insertBefore(placeholder, comment);
          placeholderOf.set(comment, placeholder);
          commentOf.set(placeholder, comment);
        }
        kept.add(placeholder);
      }
      document.querySelectorAll(SELECTOR).forEach(function (p) {
        if (!kept.has(p))
          p.remove();
      });
    } finally {
      observer.takeRecords();
      Promise.resolve().then(function () { E.quiet--; });
    }
  }

  function schedule() {
    if (scheduled)
      return;
    scheduled = true;
    Promise.resolve().then(sync);
  }

  // Only moves of elements and comments can part a placeholder from its
  // comment; typing never does.
  function structural(records) {
    for (const r of records) {
      for (const list of [r.addedNodes, r.removedNodes]) {
        for (const n of list) {
          if (n.nodeType !== Node.TEXT_NODE)
            return true;
        }
      }
    }
    return false;
  }

  function placeholderBefore(comment) {
    for (let n = comment.previousSibling; n; n = n.previousSibling) {
      if (n.nodeType !== Node.ELEMENT_NODE || !n.hasAttribute(E.uiAttribute))
        return false;
      if (n.getAttribute(E.uiAttribute) === KIND)
        return true;
    }
    return false;
  }

  // An edit of the user's (between its beforeinput and its input event)
  // that took a placeholder away alone takes its block too, in the same
  // undo step. Anything else that parts them only gets the placeholder
  // drawn again.
  let editing = false;
  function settle(records) {
    let dropped = false;
    if (editing) {
      for (const r of records) {
        for (const n of r.removedNodes) {
          if (n.nodeType !== Node.ELEMENT_NODE || n.getAttribute(E.uiAttribute) !== KIND ||
              n.isConnected)
            continue;
          const comment = commentOf.get(n);
          if (comment && comment.isConnected && !placeholderBefore(comment)) {
            comment.remove();
            dropped = true;
          }
        }
      }
    }
    // A command holds its step open; typing is merged into the step the
    // history has just closed.
    if (dropped && !E.history.hold)
      E.history.cut(E.history.typing ? 'typing' : 'other');
    if (structural(records))
      schedule();
  }

  const observer = new MutationObserver(settle);

  // Listeners on the document after the history's own: one that ran before
  // it would let the observers see the edit before the history closes it.
  document.addEventListener('beforeinput', function () {
    editing = true;
    E.later(function () { editing = false; });
  }, true);
  // Commands (the engine's Delete and Cut) raise input without beforeinput;
  // they run inside the history's hold, so the step takes the block along.
  document.addEventListener('input', function () {
    if (!table)
      return;
    editing = true;
    try {
      settle(observer.takeRecords());
    } finally {
      editing = false;
    }
  }, true);

  E.server = {
    holdsToken: function (text) {
      return !!table && new RegExp(tokenSource()).test(text);
    },
    // The same reading back as the host's (ServerBlockTable::restore), for
    // HTML that leaves through the clipboard.
    restore: function (html) {
      if (!table)
        return html;
      const token = tokenSource();
      const pattern = new RegExp('<!--' + token + '-->|( ?)' + token + '(="")?', 'g');
      return html.replace(pattern, function (all, inComment, space, inText, empty) {
        const block = table.blocks[Number(inComment !== undefined ? inComment : inText)];
        if (!block)
          return all;
        if (inComment !== undefined)
          return block.form === 'comment' ? block.code : '<!--' + block.code + '-->';
        space = space || '';
        empty = empty || '';
        if (block.form !== 'attribute')
          return space + block.code + empty;
        return (block.glued ? '' : space) + block.code + (block.standalone ? '' : empty);
      });
    },
  };

  E.handlers.setServerBlocks = function (args) {
    table = { key: String(args.key), blocks: args.blocks || [] };
    exactToken = new RegExp('^' + tokenSource() + '$');
    observer.observe(document, { childList: true, subtree: true });
    sync();
    return null;
  };

  // What the placeholders show, for inspection and tests.
  E.dom = E.dom || {};
  E.dom.serverPlaceholders = function () {
    return Array.from(document.querySelectorAll(SELECTOR)).map(function (p) {
      return p.textContent;
    });
  };
})(Corvane);

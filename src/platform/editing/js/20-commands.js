// The command set: each command ID maps to what it does at the selection and
// how its status is read. Character and paragraph formats are the browser's
// own editing commands, producing classic tags (b, i, u, font) rather than
// style attributes; their states are read from the selection so that a
// partly formatted selection reports "mixed".


(function (E) {
  'use strict';
  const DISABLED = 1, ENABLED = 3, LATCHED = 7, MIXED = 11;
  E.DISABLED = DISABLED;
  E.ENABLED = ENABLED;
  E.LATCHED = LATCHED;
  E.MIXED = MIXED;

  // Status checks walk at most this many text runs, so a select-all on a
  // large page stays quick.
  const SCAN_LIMIT = 2000;

  E.range = function () {
    const sel = document.getSelection();
    if (!sel || sel.rangeCount === 0)
      return null;
    const range = sel.getRangeAt(0);
    return document.body && document.body.contains(range.commonAncestorContainer) ? range : null;
  };

  E.editable = function () {
    return E.range() !== null && document.designMode === 'on';
  };

  function skipped(element) {
    return !element || !!element.closest('script,style,head,[' + E.uiAttribute + ']');
  }

  function nextOutside(node) {
    while (node && !node.nextSibling)
      node = node.parentNode;
    return node ? node.nextSibling : null;
  }

  // Text runs the range touches, in order, without blank runs between blocks.
  E.textsInRange = function (range) {
    const out = [];
    let node = range.startContainer;
    if (node.nodeType !== Node.TEXT_NODE)
      node = node.childNodes[range.startOffset] || nextOutside(node);
    const root = document.body;
    if (!node || !root.contains(node))
      return out;
    const walker = document.createTreeWalker(root, NodeFilter.SHOW_TEXT);
    walker.currentNode = node;
    let text = node.nodeType === Node.TEXT_NODE ? node : walker.nextNode();
    for (; text && out.length < SCAN_LIMIT; text = walker.nextNode()) {
      if (range.comparePoint(text, 0) > 0)
        break;
      if (text === range.endContainer && range.endOffset === 0)
        break;
      if (text === range.startContainer && range.startOffset >= text.length)
        continue;
      if (!text.data.trim() || skipped(text.parentElement))
        continue;
      out.push(text);
    }
    return out;
  };

  // What a property is across the selection: { value, mixed } from
  // probe(element), which reads the element's computed style.
  E.acrossSelection = function (probe) {
    const range = E.range();
    if (!range)
      return null;
    let texts = range.collapsed ? [] : E.textsInRange(range);
    if (texts.length === 0) {
      let el = range.startContainer;
      if (el.nodeType !== Node.ELEMENT_NODE)
        el = el.parentElement;
      return { value: probe(el), mixed: false, caret: true };
    }
    const seen = new Map();
    let first;
    for (let i = 0; i < texts.length; ++i) {
      const el = texts[i].parentElement;
      let v = seen.get(el);
      if (v === undefined) {
        v = probe(el);
        seen.set(el, v);
      }
      if (i === 0)
        first = v;
      else if (v !== first)
        return { value: null, mixed: true };
    }
    return { value: first, mixed: false };
  };

  function style(el) {
    return getComputedStyle(el);
  }
  E.probes = {
    bold: function (el) { return parseInt(style(el).fontWeight, 10) >= 600; },
    italic: function (el) { return /italic|oblique/.test(style(el).fontStyle); },
    underline: function (el) {
      for (; el && el !== document.documentElement; el = el.parentElement) {
        if (style(el).textDecorationLine.indexOf('underline') >= 0)
          return true;
      }
      return false;
    },
  };

  // A toggled character format: the browser's state answers at a caret
  // (it knows the pending typing style), the text itself across a range.
  function characterCommand(name, probe) {
    return {
      exec: function () { document.execCommand(name, false, null); },
      status: function () {
        if (!E.editable())
          return DISABLED;
        const across = E.acrossSelection(probe);
        if (across.mixed)
          return MIXED;
        if (across.caret)
          return document.queryCommandState(name) ? LATCHED : ENABLED;
        return across.value ? LATCHED : ENABLED;
      },
    };
  }
  E.commands[5000] = characterCommand('bold', E.probes.bold);
  E.commands[5023] = characterCommand('italic', E.probes.italic);
  E.commands[5048] = characterCommand('underline', E.probes.underline);

  function latchingCommand(name) {
    return {
      exec: function () { document.execCommand(name, false, null); },
      status: function () {
        if (!E.editable())
          return DISABLED;
        return document.queryCommandState(name) ? LATCHED : ENABLED;
      },
    };
  }
  E.commands[5030] = latchingCommand('insertOrderedList');
  E.commands[5030].exec = function () { E.makeList(true); };
  E.commands[5051] = latchingCommand('insertUnorderedList');
  E.commands[5051].exec = function () { E.makeList(false); };
  E.commands[5025] = latchingCommand('justifyLeft');
  E.commands[5024] = latchingCommand('justifyCenter');
  E.commands[5026] = latchingCommand('justifyRight');

  E.startElement = function () {
    const range = E.range();
    if (!range)
      return null;
    let node = range.startContainer;
    // A caret just before a block (as on a fresh page) belongs to it.
    const next = node.childNodes[range.startOffset];
    if (range.collapsed && next && next.nodeType === Node.ELEMENT_NODE)
      node = next;
    return node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement;
  };

  E.commands[5018] = {
    exec: function () { document.execCommand('indent', false, null); },
    status: function () { return E.editable() ? ENABLED : DISABLED; },
  };
  // Outdenting needs something to step out of.
  E.commands[5031] = {
    exec: function () { document.execCommand('outdent', false, null); },
    status: function () {
      const el = E.editable() && E.startElement();
      return el && el.closest('blockquote,ul,ol,dir,menu') ? ENABLED : DISABLED;
    },
  };

  E.commands[5035] = {
    exec: function () {
      if (E.clearControl)
        E.clearControl();
      document.execCommand('selectAll', false, null);
    },
    status: function () { return document.body ? ENABLED : DISABLED; },
  };

  function holdsNothing(range) {
    if (range.collapsed)
      return true;
    const contents = range.cloneContents();
    return !contents.textContent && !contents.querySelector('*');
  }

  function selectionStatus() {
    if (!E.editable())
      return DISABLED;
    return E.selectionType() === 'None' ? DISABLED : ENABLED;
  }
  E.selectionStatus = selectionStatus;
  E.commands[5004] = {
    exec: function () {
      if (E.deleteControl && E.deleteControl())
        return;
      // Edit > Delete is the Delete key: at a bare caret it takes the
      // character after the caret, not the one before. A caret may be held
      // as two boundary points that differ but stand at one place (the end
      // of a text and the gap after it); the browser takes that for a caret.
      const range = E.range();
      if (range && !range.collapsed && holdsNothing(range))
        document.getSelection().collapse(range.startContainer, range.startOffset);
      document.execCommand(range && holdsNothing(range) ? 'forwardDelete' : 'delete', false, null);
    },
    status: function () { return E.editable() ? ENABLED : DISABLED; },
  };
  // The host moves the data to and from the system clipboard; these only
  // read and change the page.
  E.commands[5002] = { exec: function () { return E.clipboard.copy(); }, status: selectionStatus };
  E.commands[5003] = {
    exec: function () {
      const data = E.clipboard.copy();
      E.commands[5004].exec();
      return data;
    },
    status: selectionStatus,
  };
  E.commands[5032] = {
    exec: function (option, input) { E.clipboard.paste(input || {}); },
    status: function () { return E.editable() ? ENABLED : DISABLED; },
  };

  function linkAroundSelection() {
    const range = E.range();
    if (!range)
      return null;
    const start = range.startContainer.nodeType === Node.ELEMENT_NODE
        ? range.startContainer : range.startContainer.parentElement;
    const link = start && start.closest('a[href]');
    return link && link.contains(range.endContainer) ? link : null;
  }

  E.commands[5016] = {
    exec: function (option, input) {
      if (typeof input !== 'string' || !input.trim())
        E.fail(E.INVALIDARG, 'a link needs a target');
      // A caret or a selection inside one link changes that whole link: at a
      // caret the browser would insert the target as new text, and on part
      // of the link's text it would split the link in two.
      const link = linkAroundSelection();
      if (link) {
        link.setAttribute('href', input.trim());
        return;
      }
      document.execCommand('createLink', false, input.trim());
    },
    // A link needs text to hold it: selected text, or the link the caret
    // stands in (which it then retargets). A chosen control holds none.
    status: function () {
      if (!E.editable())
        return DISABLED;
      const type = E.selectionType();
      if (type === 'Text')
        return ENABLED;
      if (type === 'Control')
        return DISABLED;
      const el = E.startElement();
      return el && el.closest('a[href]') ? ENABLED : DISABLED;
    },
  };
  // The link at the selection, for the link dialog.
  E.handlers.linkAt = function () {
    const el = E.startElement();
    const a = el && el.closest('a[href]');
    return a ? a.getAttribute('href') : '';
  };

  E.commands[5008] = { exec: function () {}, status: function () { return ENABLED; } };

  E.handlers.exec = function (args) {
    const command = E.commands[args.cmd];
    if (!command)
      E.fail(E.NOTIMPL, 'command ' + args.cmd + ' is not supported');
    const input = args.input === null ? undefined : args.input;
    // Each command is one step of the undo history.
    // The browser's commands raise input events of their own on the way;
    // the step is held open until the command is done.
    E.history.cut('edit');
    E.history.hold++;
    let value;
    try {
      value = command.exec(args.option, input);
    } finally {
      E.history.hold--;
      E.history.cut('command');
    }
    return { value: value === undefined ? null : value, snapshot: E.snapshot(false) };
  };

  // Puts the selection around (or at the start or end of) an element's
  // contents: how the host's inspection tools and tests point at text.
  E.dom = E.dom || {};
  E.dom.select = function (args) {
    const el = document.querySelector(args.selector);
    if (!el || !document.body || !document.body.contains(el))
      E.fail(E.INVALIDARG, 'no element matches ' + args.selector);
    if (E.clearControl)
      E.clearControl();
    const range = document.createRange();
    range.selectNodeContents(el);
    if (args.to) {
      const last = document.body.querySelector(args.to);
      if (!last)
        E.fail(E.INVALIDARG, 'no element matches ' + args.to);
      range.setEndAfter(last.lastChild || last);
    }
    if (args.collapse)
      range.collapse(args.collapse === 'start');
    const sel = document.getSelection();
    sel.removeAllRanges();
    sel.addRange(range);
    return true;
  };

  E.handlers.snapshot = function () {
    return E.snapshot(false);
  };
})(Corvane);

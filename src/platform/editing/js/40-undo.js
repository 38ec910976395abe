// One undo history for every change to the page: typing, the browser's
// editing commands and the engine's own DOM work alike. It is built from
// mutation records, grouped into steps (a command, a run of typing, whatever
// else happens in one task), and replayed backwards or forwards. The
// browser's own history is never used. Undoing past the start of this page
// (a page put in from the source view) is the host's job: it says whether
// there is such a step with setHistory.


(function (E) {
  'use strict';
  const H = E.history = {
    undo: [],
    redo: [],
    pending: [],
    typing: false,
    hold: 0,
    replaying: false,
    outerUndo: false,
    outerRedo: false,
    limit: 500,
  };

  function marked(node) {
    return node.nodeType === Node.ELEMENT_NODE && node.hasAttribute(E.uiAttribute);
  }
  function insideUi(node) {
    const el = node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement;
    return !!(el && el.closest('[' + E.uiAttribute + ']'));
  }

  // Keeps what a record needs for replay, without the engine's own marks.
  function keep(r) {
    if (insideUi(r.target))
      return;
    if (r.type === 'attributes') {
      if (r.attributeName !== E.uiAttribute)
        H.pending.push({ kind: 'a', target: r.target, name: r.attributeName, old: r.oldValue });
    } else if (r.type === 'characterData') {
      H.pending.push({ kind: 'c', target: r.target, old: r.oldValue });
    } else {
      const added = Array.from(r.addedNodes).filter(function (n) { return !marked(n); });
      const removed = Array.from(r.removedNodes).filter(function (n) { return !marked(n); });
      if (added.length || removed.length)
        H.pending.push({ kind: 'l', target: r.target, added: added, removed: removed,
                         prev: r.previousSibling, next: r.nextSibling });
    }
  }

  const observer = new MutationObserver(function (records) {
    if (H.replaying)
      return;
    records.forEach(keep);
    if (!H.hold)
      H.cut('other');
  });
  observer.observe(document, { subtree: true, childList: true, attributes: true,
                               attributeOldValue: true, characterData: true,
                               characterDataOldValue: true });

  function collect() {
    const records = observer.takeRecords();
    if (!H.replaying)
      records.forEach(keep);
  }

  // Closes the changes so far into a step. Typing merges into the typing
  // step before it until something else happens.
  H.cut = function (kind) {
    collect();
    if (H.pending.length === 0)
      return false;
    const records = H.pending;
    H.pending = [];
    const last = H.undo[H.undo.length - 1];
    if (kind === 'typing' && H.typing && last)
      last.records = last.records.concat(records);
    else
      H.undo.push({ records: records });
    if (H.undo.length > H.limit) {
      H.undo.shift();
      H.loadStateLost = true; // undoing everything no longer reaches it
    }
    H.typing = kind === 'typing';
    H.redo = [];
    H.outerRedo = false;
    return true;
  };

  // Changes that finish the last step rather than make one of their own (a
  // large paste put in over several frames).
  H.extend = function () {
    collect();
    const last = H.undo[H.undo.length - 1];
    if (!last || H.pending.length === 0)
      return H.cut('command');
    last.records = last.records.concat(H.pending);
    H.pending = [];
    return true;
  };

  // Where a node list goes back: before its old next sibling, or after its
  // old previous one if the next is gone (an engine mark removed since).
  function place(target, prev, next) {
    if (next && next.parentNode === target)
      return next;
    if (prev && prev.parentNode === target)
      return prev.nextSibling;
    return prev ? null : target.firstChild;
  }

  function setAttr(target, name, value) {
    if (value === null)
      target.removeAttribute(name);
    else
      target.setAttribute(name, value);
  }

  function revert(r) {
    if (r.kind === 'c') {
      r.now = r.target.data;
      r.target.data = r.old;
    } else if (r.kind === 'a') {
      r.now = r.target.getAttribute(r.name);
      setAttr(r.target, r.name, r.old);
    } else {
      // Last first: taking a node out restyles the siblings after it (the
      // off-screen rules count children), so a large paste goes in linear time.
      for (let i = r.added.length - 1; i >= 0; --i) {
        if (r.added[i].parentNode === r.target)
          r.added[i].remove();
      }
      const before = place(r.target, r.prev, r.next);
      r.removed.forEach(function (n) { r.target.insertBefore(n, before); });
    }
  }

  function reapply(r) {
    if (r.kind === 'c') {
      r.target.data = r.now;
    } else if (r.kind === 'a') {
      setAttr(r.target, r.name, r.now);
    } else {
      r.removed.forEach(function (n) { if (n.parentNode === r.target) n.remove(); });
      const before = place(r.target, r.prev, r.next);
      r.added.forEach(function (n) { r.target.insertBefore(n, before); });
    }
  }

  function caretAt(record) {
    let node = record.target;
    const last = record.kind === 'l' && record.added[record.added.length - 1];
    if (last && last.isConnected)
      node = last;
    if (!document.body || !document.body.contains(node))
      return;
    const range = document.createRange();
    if (node.nodeType === Node.TEXT_NODE)
      range.setStart(node, node.length);
    else
      range.selectNodeContents(node);
    range.collapse(false);
    const sel = document.getSelection();
    sel.removeAllRanges();
    sel.addRange(range);
  }

  // Changes made to finish the last step (blocks an edit left out of
  // place) join it.
  H.amend = function () {
    collect();
    const last = H.undo[H.undo.length - 1];
    if (!H.pending.length || !last)
      return;
    last.records = last.records.concat(H.pending);
    H.pending = [];
  };

  // Moves one step between the two lists, the page with it; false when there
  // is none.
  function move(from, to, backwards) {
    H.cut('other');
    const step = from.pop();
    if (!step)
      return null;
    // A selection inside what a large step takes out moves with every node
    // taken out, at the cost of a layout each: caretAt puts one back after.
    let nodes = 0;
    for (const r of step.records)
      nodes += r.kind === 'l' ? r.added.length + r.removed.length : 0;
    if (nodes > 1000)
      document.getSelection().removeAllRanges();
    H.replaying = true;
    try {
      if (backwards)
        step.records.slice().reverse().forEach(revert);
      else
        step.records.forEach(reapply);
      observer.takeRecords();
    } finally {
      H.replaying = false;
    }
    to.push(step);
    H.typing = false;
    return step;
  }

  function replay(from, to, backwards) {
    collect();
    if (from.length === 0 && H.pending.length === 0)
      return false; // nothing to do: the steps ahead stay
    if (E.clearControl)
      E.clearControl();
    const step = move(from, to, backwards);
    if (!step)
      return false;
    caretAt(backwards ? step.records[0] : step.records[step.records.length - 1]);
    E.contentChanged = true;
    E.scheduleDisplayChanged();
    if (E.afterHistory)
      E.afterHistory();
    return true;
  }

  // The host reads the page at each step of its history before a page put
  // in whole replaces it: one step at a time, with nobody told.
  E.handlers.historyWalk = function (args) {
    const back = !!(args && args.back);
    return move(back ? H.undo : H.redo, back ? H.redo : H.undo, back) !== null;
  };

  // Undo or redo here; past the page's start, the host's step (if any).
  function historyCommand(backwards) {
    return function () {
      if (backwards ? replay(H.undo, H.redo, true) : replay(H.redo, H.undo, false))
        return null;
      return (backwards ? H.outerUndo : H.outerRedo) ? 'outer' : null;
    };
  }
  E.commands[5049] = {
    exec: historyCommand(true),
    status: function () {
      collect();
      return H.undo.length || H.pending.length || H.outerUndo ? E.ENABLED : E.DISABLED;
    },
  };
  E.commands[5033] = {
    exec: historyCommand(false),
    status: function () {
      return H.redo.length || H.outerRedo ? E.ENABLED : E.DISABLED;
    },
  };

  function runFromKeyboard(backwards) {
    if (historyCommand(backwards)() === 'outer' && E.bridge)
      E.bridge.notify('OuterHistory', { undo: backwards });
  }

  E.handlers.setHistory = function (args) {
    H.outerUndo = !!args.outerUndo;
    H.outerRedo = !!args.outerRedo;
    E.scheduleDisplayChanged();
    return E.snapshot(false);
  };

  E.handlers.historyState = function () {
    collect();
    // The page is as it was loaded when every step since has been undone.
    const atLoad = H.undo.length === 0 && H.pending.length === 0 && !H.loadStateLost;
    return { outerUndo: H.outerUndo, outerRedo: H.outerRedo, atLoad: atLoad,
             undoSteps: H.undo.length + (H.pending.length ? 1 : 0), redoSteps: H.redo.length };
  };

  // The browser's own history would undo only part of the changes.
  document.addEventListener('beforeinput', function (e) {
    if (e.inputType === 'historyUndo' || e.inputType === 'historyRedo') {
      e.preventDefault();
      runFromKeyboard(e.inputType === 'historyUndo');
    }
  }, true);

  document.addEventListener('keydown', function (e) {
    const key = e.key.toLowerCase();
    if ((e.ctrlKey || e.metaKey) && !e.altKey && (key === 'z' || key === 'y')) {
      e.preventDefault();
      runFromKeyboard(key === 'z' && !e.shiftKey);
      return;
    }
    if (/^(Arrow|Page|Home|End|Enter|Tab)/.test(e.key))
      H.typing = false;
  }, true);

  document.addEventListener('mousedown', function () { H.typing = false; }, true);

  document.addEventListener('input', function (e) {
    if (H.hold)
      return;
    const typing = /^(insertText|insertCompositionText|deleteContent)/.test(e.inputType);
    if (typing)
      H.cut('typing');
    else
      H.cut('edit');
  }, true);
})(Corvane);

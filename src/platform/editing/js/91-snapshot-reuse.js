// A typed character changes no command's state but the history's: the caret
// stays in the same text, among the same formats. The statuses and values of
// the snapshot before are then taken again, with undo and redo asked afresh,
// so a key costs the engine next to nothing however large the page. Anything
// else (a change of the page's structure or attributes, another kind of
// input, the caret in other text, any request of the host) asks every
// command again.


(function (E) {
  'use strict';
  const FRESH = [5049, 5033]; // undo, redo
  let last = null;
  let typed = false;
  let dirty = true;

  function note(records) {
    for (const r of records) {
      if (r.type !== 'characterData') {
        dirty = true;
        return;
      }
    }
  }
  const observer = new MutationObserver(note);
  observer.observe(document, { subtree: true, childList: true, attributes: true,
                               characterData: true });

  document.addEventListener('input', function (e) {
    if (e.inputType === 'insertText' || e.inputType === 'insertCompositionText')
      typed = true;
    else
      dirty = true;
  }, true);

  const full = E.snapshot;
  E.snapshot = function (consume) {
    note(observer.takeRecords());
    const sel = document.getSelection();
    const node = sel && sel.rangeCount > 0 && sel.isCollapsed ? sel.anchorNode : null;
    let snap;
    if (last && typed && !dirty && node && node === last.node && node.nodeType === Node.TEXT_NODE) {
      const status = Object.assign({}, last.status);
      for (const id of FRESH) {
        if (E.commands[id] && E.commands[id].status)
          status[id] = E.commands[id].status();
      }
      snap = { status: status, values: last.values, selectionType: last.selectionType,
               contentChanged: E.contentChanged };
      if (consume)
        E.contentChanged = false;
    } else {
      snap = full(consume);
    }
    last = { node: node, status: snap.status, values: snap.values,
             selectionType: snap.selectionType };
    typed = false;
    dirty = false;
    return snap;
  };

  E.forgetSnapshot = function () { dirty = true; };
})(Corvane);

// Tab in a table cell goes to the next cell and Shift+Tab to the one before,
// selecting what it holds, as in every editor with tables; Tab in the last
// cell adds a row like the last one. The browser would type a tab.


(function (E) {
  'use strict';

  function cellAtSelection() {
    const el = E.startElement && E.startElement();
    const cell = el && el.closest('td,th');
    return cell && cell.parentElement && cell.parentElement.localName === 'tr' ? cell : null;
  }

  // The table's cells in reading order, its own only (not those of a table
  // inside one of them).
  function cellsOf(table) {
    const out = [];
    for (const row of Array.from(table.rows))
      out.push.apply(out, Array.from(row.cells));
    return out;
  }

  function appendRow(table) {
    const g = E.tableGrid(table);
    const last = g.rows[g.rows.length - 1];
    const tr = document.createElement('tr');
    for (let c = 0; c < g.width; ++c) {
      const model = g.at[g.rows.length - 1][c];
      const cell = E.newCellLike(model || null);
      const span = model && model.parentElement === last ? Math.max(1, model.colSpan || 1) : 1;
      if (span > 1) {
        cell.colSpan = span;
        c += span - 1;
      }
      tr.appendChild(cell);
    }
    last.after(tr);
    return tr.cells[0];
  }

  function selectContents(cell) {
    const range = document.createRange();
    range.selectNodeContents(cell);
    if (!/\S/.test(cell.textContent) && !cell.querySelector('img,input,select,textarea,button,table'))
      range.collapse(true);
    const sel = document.getSelection();
    sel.removeAllRanges();
    sel.addRange(range);
  }

  document.addEventListener('keydown', function (e) {
    if (e.key !== 'Tab' || e.ctrlKey || e.altKey || e.metaKey || e.defaultPrevented)
      return;
    const cell = cellAtSelection();
    if (!cell || document.designMode !== 'on')
      return;
    e.preventDefault();
    const table = cell.parentElement.closest('table');
    const all = cellsOf(table);
    const i = all.indexOf(cell);
    let next = all[e.shiftKey ? i - 1 : i + 1];
    if (!next && !e.shiftKey) {
      E.history.cut('edit');
      E.history.hold++;
      try {
        next = appendRow(table);
      } finally {
        E.history.hold--;
        E.history.cut('command');
      }
    }
    if (next)
      selectContents(next);
  }, true);
})(Corvane);

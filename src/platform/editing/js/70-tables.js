// Tables: inserting one, the cell selection, and the row, column and cell
// commands. Chromium has no selection of table cells, so the engine keeps
// its own: a rectangle of grid positions between an anchor cell and a focus
// cell, drawn by a marked overlay outside the body. Spanned cells occupy
// every grid position they cover, and a rectangle always grows to take in
// whole cells. Inserts go before the current row, column or cell (above and
// to the left), as the classic desktop editors do.


(function (E) {
  'use strict';
  E.dom = E.dom || {};
  const DISABLED = E.DISABLED, ENABLED = E.ENABLED;
  let cells = null; // { anchor, focus } while cells are selected
  let dragAnchor = null;
  let highlight = null;
  const OBJECTS = 'img,input,select,textarea,button';
  // What makes an element hold something even without text.
  const CONTENT = OBJECTS + ',table,hr,object,iframe,embed,video,audio,canvas,svg';

  function elementOf(node) {
    return node && (node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement);
  }

  function cellOf(node) {
    const el = elementOf(node);
    const cell = el && el.closest('td,th');
    if (!cell || !document.body || !document.body.contains(cell))
      return null;
    return cell.parentElement && cell.parentElement.localName === 'tr' ? cell : null;
  }

  function tableOf(cell) {
    return cell.parentElement.closest('table');
  }

  // The grid a table's cells occupy: positions[r][c] is the cell covering
  // row r, column c. A row span never reaches past the end of its section.
  function gridOf(table) {
    const rows = Array.from(table.rows);
    const at = rows.map(function () { return []; });
    const place = new Map();
    let width = 0;
    rows.forEach(function (tr, r) {
      const section = tr.parentElement;
      let sectionEnd = r;
      while (sectionEnd + 1 < rows.length && rows[sectionEnd + 1].parentElement === section)
        ++sectionEnd;
      let c = 0;
      for (const cell of Array.from(tr.cells)) {
        while (at[r][c])
          ++c;
        const left = sectionEnd - r + 1;
        const rs = cell.rowSpan > 0 ? Math.min(cell.rowSpan, left) : left;
        const cs = Math.max(1, cell.colSpan || 1);
        for (let dr = 0; dr < rs; ++dr) {
          for (let dc = 0; dc < cs; ++dc)
            at[r + dr][c + dc] = cell;
        }
        place.set(cell, { r: r, c: c, rs: rs, cs: cs });
        c += cs;
        width = Math.max(width, c);
      }
    });
    return { table: table, rows: rows, at: at, place: place, width: width };
  }

  // The rectangle spanned by two cells, grown until no cell sticks out.
  function rectangle(grid, a, b) {
    const pa = grid.place.get(a), pb = grid.place.get(b);
    const box = {
      top: Math.min(pa.r, pb.r), left: Math.min(pa.c, pb.c),
      bottom: Math.max(pa.r + pa.rs, pb.r + pb.rs) - 1,
      right: Math.max(pa.c + pa.cs, pb.c + pb.cs) - 1,
    };
    for (let grown = true; grown;) {
      grown = false;
      for (let r = box.top; r <= box.bottom; ++r) {
        for (let c = box.left; c <= box.right; ++c) {
          const cell = grid.at[r][c];
          if (!cell)
            continue;
          const p = grid.place.get(cell);
          if (p.r < box.top || p.c < box.left || p.r + p.rs - 1 > box.bottom
              || p.c + p.cs - 1 > box.right) {
            box.top = Math.min(box.top, p.r);
            box.left = Math.min(box.left, p.c);
            box.bottom = Math.max(box.bottom, p.r + p.rs - 1);
            box.right = Math.max(box.right, p.c + p.cs - 1);
            grown = true;
          }
        }
      }
    }
    return box;
  }

  // The cells of a rectangle in reading order.
  function cellsIn(grid, box) {
    const out = [];
    const seen = new Set();
    for (let r = box.top; r <= box.bottom; ++r) {
      for (let c = box.left; c <= box.right; ++c) {
        const cell = grid.at[r][c];
        if (cell && !seen.has(cell)) {
          seen.add(cell);
          out.push(cell);
        }
      }
    }
    return out;
  }

  function cellsValid() {
    return !!cells && cells.anchor.isConnected && cells.focus.isConnected
        && !!cellOf(cells.anchor) && !!cellOf(cells.focus)
        && tableOf(cells.anchor) === tableOf(cells.focus);
  }

  // The two cells the command acts between: the cell selection's, or those
  // at the ends of the text selection when they share a table, or the one
  // cell the selection starts (or ends) in. Cheap: no grid is built.
  function selectedEnds() {
    if (cellsValid())
      return { a: cells.anchor, b: cells.focus };
    if (!E.editable())
      return null;
    const range = E.range();
    let a = cellOf(E.startElement());
    let b = range.collapsed ? a : cellOf(range.endContainer);
    if (a && b && a !== b) {
      // A selection that ends at the very start of the next cell has not
      // reached into it.
      const tail = document.createRange();
      tail.setStart(b, 0);
      if (tail.comparePoint(range.endContainer, range.endOffset) >= 0) {
        tail.setEnd(range.endContainer, range.endOffset);
        if (tail.toString() === '' && !tail.cloneContents().querySelector(OBJECTS))
          b = a;
      }
    }
    if (a && b && tableOf(a) !== tableOf(b))
      b = a;
    a = a || b;
    return a ? { a: a, b: b || a } : null;
  }

  function selection() {
    const ends = selectedEnds();
    if (!ends)
      return null;
    const grid = gridOf(tableOf(ends.a));
    const box = rectangle(grid, ends.a, ends.b);
    return { grid: grid, box: box, cells: cellsIn(grid, box) };
  }

  // --- the overlay ---------------------------------------------------------

  function ensureHighlight() {
    if (highlight && highlight.isConnected)
      return highlight;
    E.quiet++;
    highlight = document.createElement('div');
    highlight.setAttribute(E.uiAttribute, 'cells');
    highlight.style.cssText = 'position:absolute;display:none;pointer-events:none;margin:0;' +
        'padding:0;border:0;background:rgba(51,102,204,0.3);z-index:2147483646';
    document.documentElement.appendChild(highlight);
    Promise.resolve().then(function () { E.quiet--; });
    return highlight;
  }

  function draw() {
    if (!cellsValid()) {
      cells = null;
      if (highlight)
        highlight.style.display = 'none';
      return;
    }
    const s = selection();
    let left = Infinity, top = Infinity, right = -Infinity, bottom = -Infinity;
    for (const cell of s.cells) {
      const r = cell.getBoundingClientRect();
      left = Math.min(left, r.left);
      top = Math.min(top, r.top);
      right = Math.max(right, r.right);
      bottom = Math.max(bottom, r.bottom);
    }
    const h = ensureHighlight();
    h.style.left = (left + window.scrollX) + 'px';
    h.style.top = (top + window.scrollY) + 'px';
    h.style.width = (right - left) + 'px';
    h.style.height = (bottom - top) + 'px';
    h.style.display = 'block';
  }

  function caretIn(cell, atEnd) {
    const range = document.createRange();
    range.selectNodeContents(cell);
    range.collapse(!atEnd);
    const sel = document.getSelection();
    sel.removeAllRanges();
    sel.addRange(range);
  }

  E.selectCells = function (anchor, focus) {
    if (E.clearControl)
      E.clearControl();
    cells = { anchor: anchor, focus: focus };
    caretIn(focus, false);
    draw();
    E.scheduleDisplayChanged();
  };

  E.clearCells = function () {
    if (!cells)
      return;
    cells = null;
    draw();
    E.scheduleDisplayChanged();
  };

  // The cell of the anchor's table under a point of the page.
  function cellInTable(target, table) {
    for (let cell = cellOf(target); cell; cell = cellOf(cell.parentElement)) {
      if (tableOf(cell) === table)
        return cell;
    }
    return null;
  }

  document.addEventListener('mousedown', function (e) {
    if (e.button === 2) {
      // A right-click inside the selected cells acts on them; elsewhere it
      // acts where it lands.
      const s = cellsValid() && selection();
      const cell = s && cellInTable(e.target, s.grid.table);
      if (!cell || s.cells.indexOf(cell) < 0)
        E.clearCells();
      return;
    }
    if (e.button !== 0)
      return;
    const cell = cellOf(e.target);
    if (e.shiftKey && cell) {
      const anchor = cellsValid() ? cells.anchor : cellOf(E.startElement());
      const focus = anchor && cellInTable(e.target, tableOf(anchor));
      if (focus && focus !== anchor) {
        e.preventDefault();
        E.selectCells(anchor, focus);
        return;
      }
    }
    E.clearCells();
    dragAnchor = cell;
  }, true);

  document.addEventListener('mousemove', function (e) {
    if (!dragAnchor || !(e.buttons & 1))
      return;
    if (!dragAnchor.isConnected) {
      dragAnchor = null;
      return;
    }
    const cell = cellInTable(e.target, tableOf(dragAnchor));
    if (cell && cell !== dragAnchor)
      E.selectCells(dragAnchor, cell);
    else if (cell === dragAnchor && cells)
      E.clearCells();
  }, true);

  document.addEventListener('mouseup', function () {
    if (dragAnchor && cellsValid())
      caretIn(cells.focus, false);
    dragAnchor = null;
  }, true);

  document.addEventListener('keydown', function (e) {
    if (cells && !e.ctrlKey && !e.altKey && !e.metaKey && !/^(Shift|Control|Alt|Meta)$/.test(e.key))
      E.clearCells();
  }, true);
  window.addEventListener('scroll', draw, true);
  window.addEventListener('resize', draw);
  const afterHistory = E.afterHistory;
  E.afterHistory = function () {
    if (afterHistory)
      afterHistory();
    draw();
  };

  // --- building blocks -----------------------------------------------------

  function newCellLike(model) {
    const cell = document.createElement(model ? model.localName : 'td');
    if (model) {
      for (const a of Array.from(model.attributes)) {
        if (!/^(id|rowspan|colspan)$/i.test(a.name))
          cell.setAttribute(a.name, a.value);
      }
    }
    cell.appendChild(document.createElement('br'));
    return cell;
  }

  E.tableGrid = gridOf;
  E.newCellLike = newCellLike;

  // Removes attributes so that undo puts them back where they stood: undo
  // adds a removed attribute at the end, so everything after the first one
  // goes too (last first) and what stays is written back in order.
  function dropAttributes(el, names) {
    const all = Array.from(el.attributes);
    const first = all.findIndex(function (a) { return names.indexOf(a.name) >= 0; });
    if (first < 0)
      return;
    const tail = all.slice(first);
    for (let i = tail.length - 1; i >= 0; --i)
      el.removeAttribute(tail[i].name);
    for (const a of tail) {
      if (names.indexOf(a.name) < 0)
        el.setAttribute(a.name, a.value);
    }
  }

  E.dropAttributes = dropAttributes;

  function setSpan(cell, name, value) {
    if (value > 1)
      cell.setAttribute(name, String(value));
    else
      dropAttributes(cell, [name]);
  }

  // What goes into row r of the grid at column c goes before this node:
  // the first cell of that row that starts to its right (null: the end).
  function placeInRow(grid, r, c) {
    for (const other of Array.from(grid.rows[r].cells)) {
      const p = grid.place.get(other);
      if (p && p.c > c)
        return other;
    }
    return null;
  }

  function removeTable(table) {
    const range = document.createRange();
    range.setStartBefore(table);
    range.collapse(true);
    table.remove();
    const sel = document.getSelection();
    sel.removeAllRanges();
    sel.addRange(range);
  }

  function current() {
    const s = selection();
    if (!s)
      E.fail(E.UNEXPECTED, 'the selection is not in a table');
    E.clearCells();
    return s;
  }

  function inTable() {
    return selectedEnds() ? ENABLED : DISABLED;
  }

  // The cell at grid position (r, c) or the nearest one before it in the row.
  function caretNear(grid, r, c) {
    const table = grid.table;
    const fresh = gridOf(table);
    if (!fresh.rows.length)
      return;
    r = Math.min(r, fresh.rows.length - 1);
    const row = fresh.at[r];
    for (let x = Math.min(c, row.length - 1); x >= 0; --x) {
      if (row[x]) {
        caretIn(row[x], false);
        return;
      }
    }
  }

  // --- insert table ----------------------------------------------------------

  // Attribute text parsed as the browser parses a start tag's attributes,
  // in a document of its own; event handlers never come in.
  function parseAttributes(text) {
    const scratch = document.implementation.createHTMLDocument('');
    scratch.body.innerHTML = '<div ' + String(text || '') + '></div>';
    const el = scratch.body.firstElementChild;
    const out = [];
    if (el) {
      for (const a of Array.from(el.attributes)) {
        if (!/^on/i.test(a.name) && a.name !== E.uiAttribute)
          out.push([a.name, a.value]);
      }
    }
    return out;
  }

  const MAX_CELLS = 10000;
  // Where a table may stand; anything else is split at the caret.
  const HOLDS_TABLES = new RegExp('^(body|div|td|th|li|blockquote|form|center|dd|fieldset|' +
                                  'section|article|aside|header|footer|nav|main|figure)$');

  const STRUCTURE = 'table,caption,thead,tbody,tfoot,tr,colgroup,col';

  function emptyPart(el, from, to) {
    const part = document.createRange();
    part.setStart(el, from);
    part.setEnd(el, to);
    return !part.toString().trim() && !part.cloneContents().querySelector(CONTENT);
  }

  function indexIn(parent, node) {
    return Array.prototype.indexOf.call(parent.childNodes, node);
  }

  // Puts a block at the selection (after a chosen control, in place of
  // selected content). Elements that cannot hold it, such as a paragraph,
  // are split at the caret; pieces left empty by the split go.
  function insertAtSelection(node) {
    let range = E.range();
    const control = E.controlSelection && E.controlSelection();
    if (control) {
      range = document.createRange();
      range.setStartAfter(control);
      range.collapse(true);
      E.clearControl();
    } else if (!range) {
      range = document.createRange();
      range.selectNodeContents(document.body);
      range.collapse(false);
    } else if (!range.collapsed) {
      range.deleteContents();
    }
    let container = range.startContainer, offset = range.startOffset;
    if (container.nodeType !== Node.ELEMENT_NODE) {
      const tail = container.nodeType === Node.TEXT_NODE ? container.splitText(offset)
                                                         : container.nextSibling;
      const parent = container.parentNode;
      offset = tail ? indexIn(parent, tail) : indexIn(parent, container) + 1;
      container = parent;
    }
    while (container !== document.body && container.parentNode) {
      const el = container, parent = el.parentNode;
      if (el.matches(STRUCTURE)) {
        // Between the rows of a table: the new one goes after that table.
        const whole = el.closest('table');
        container = whole.parentNode;
        offset = indexIn(container, whole) + 1;
        continue;
      }
      if (HOLDS_TABLES.test(el.localName))
        break;
      const index = indexIn(parent, el);
      container = parent;
      // At either end of the element the block goes beside it; in the
      // middle the element is split, the second half without its id.
      if (emptyPart(el, 0, offset)) {
        offset = index;
      } else if (emptyPart(el, offset, el.childNodes.length)) {
        offset = index + 1;
      } else {
        const copy = el.cloneNode(false);
        copy.removeAttribute('id');
        // In the page before it takes the children: the undo history sees
        // no change to a node outside the document, and redo would leave
        // the copy empty.
        parent.insertBefore(copy, el.nextSibling);
        while (el.childNodes.length > offset)
          copy.appendChild(el.childNodes[offset]);
        offset = index + 1;
      }
    }
    if (container !== document.body && !document.body.contains(container)) {
      container = document.body;
      offset = container.childNodes.length;
    }
    container.insertBefore(node, container.childNodes[offset] || null);
  }

  function number(value, fallback) {
    if (value === undefined || value === null || value === '')
      return fallback;
    const n = Number(value);
    return Number.isFinite(n) ? Math.trunc(n) : NaN;
  }

  E.commands[5022] = {
    exec: function (option, input) {
      const p = input && typeof input === 'object' ? input : {};
      const rows = number(p.NumRows, 1), cols = number(p.NumCols, 1);
      if (!(rows >= 1) || !(cols >= 1))
        E.fail(E.INVALIDARG, 'A table needs at least one row and one column.');
      if (rows * cols > MAX_CELLS)
        E.fail(E.INVALIDARG, 'A table can have at most ' + MAX_CELLS + ' cells.');
      const table = document.createElement('table');
      const tableAttrs = p.TableAttrs == null ? E.defaultTableAttrs : p.TableAttrs;
      for (const [name, value] of parseAttributes(tableAttrs))
        table.setAttribute(name, value);
      if (p.Caption)
        table.createCaption().textContent = String(p.Caption);
      const cellAttrs = parseAttributes(p.CellAttrs);
      const body = table.createTBody();
      for (let r = 0; r < rows; ++r) {
        const tr = body.insertRow();
        for (let c = 0; c < cols; ++c) {
          const td = document.createElement('td');
          for (const [name, value] of cellAttrs)
            td.setAttribute(name, value);
          td.appendChild(document.createElement('br'));
          tr.appendChild(td);
        }
      }
      E.clearCells();
      insertAtSelection(table);
      caretIn(table.rows[0].cells[0], false);
    },
    status: function () { return E.editable() ? ENABLED : DISABLED; },
  };
  E.defaultTableAttrs = 'border="1" cellpadding="1" cellspacing="1" width="75%"';

  // --- rows, columns, cells --------------------------------------------------

  E.commands[5021] = { // insert row, above the selection's top row
    exec: function () {
      const s = current(), g = s.grid, r = s.box.top;
      const tr = document.createElement('tr');
      const grown = new Set();
      for (let c = 0; c < g.width; ++c) {
        const cell = g.at[r][c];
        const p = cell && g.place.get(cell);
        if (p && p.r < r) {
          if (!grown.has(cell)) {
            grown.add(cell);
            cell.rowSpan = p.rs + 1;
          }
          c = p.c + p.cs - 1;
          continue;
        }
        tr.appendChild(newCellLike(cell || null));
      }
      g.rows[r].before(tr);
      const first = tr.cells[0];
      if (first)
        caretIn(first, false);
    },
    status: inTable,
  };

  E.commands[5020] = { // insert column, left of the selection's left column
    exec: function () {
      const s = current(), g = s.grid, c = s.box.left;
      const handled = new Set();
      for (let r = 0; r < g.rows.length; ++r) {
        const cell = g.at[r][c];
        if (!cell) {
          if (g.at[r].length === c)
            g.rows[r].appendChild(newCellLike(null));
          continue;
        }
        if (handled.has(cell))
          continue;
        handled.add(cell);
        const p = g.place.get(cell);
        if (p.c < c) {
          cell.colSpan = p.cs + 1;
        } else {
          const fresh = newCellLike(cell);
          setSpan(fresh, 'rowspan', p.rs);
          cell.before(fresh);
        }
      }
      caretNear(g, s.box.top, c);
    },
    status: inTable,
  };

  E.commands[5019] = { // insert cell, before the selection's first cell
    exec: function () {
      const s = current();
      const cell = s.cells[0];
      const fresh = newCellLike(cell);
      cell.before(fresh);
      caretIn(fresh, false);
    },
    status: inTable,
  };

  // Removes grid rows top..bottom, keeping the spans of every other row:
  // cells reaching in from above get shorter, cells reaching on below move
  // down into the first row kept.
  function deleteRows(g, top, bottom) {
    const count = bottom - top + 1;
    const done = new Set();
    for (let r = top; r <= bottom; ++r) {
      for (let c = 0; c < g.at[r].length; ++c) {
        const cell = g.at[r][c];
        if (!cell || done.has(cell))
          continue;
        done.add(cell);
        const p = g.place.get(cell);
        const end = p.r + p.rs - 1;
        const kept = p.rs - (Math.min(end, bottom) - Math.max(p.r, top) + 1);
        if (kept <= 0)
          continue;
        if (p.r < top) {
          setSpan(cell, 'rowspan', kept);
        } else {
          setSpan(cell, 'rowspan', kept);
          g.rows[bottom + 1].insertBefore(cell, placeInRow(g, bottom + 1, p.c));
        }
      }
    }
    for (let r = top; r <= bottom; ++r)
      g.rows[r].remove();
    return count;
  }

  E.commands[5007] = {
    exec: function () {
      const s = current(), g = s.grid;
      if (s.box.top === 0 && s.box.bottom >= g.rows.length - 1) {
        removeTable(g.table);
        return;
      }
      deleteRows(g, s.box.top, s.box.bottom);
      caretNear(g, s.box.top, s.box.left);
    },
    status: inTable,
  };

  E.commands[5006] = {
    exec: function () {
      const s = current(), g = s.grid, left = s.box.left, right = s.box.right;
      if (left === 0 && right >= g.width - 1) {
        removeTable(g.table);
        return;
      }
      for (const [cell, p] of g.place) {
        const overlap = Math.min(right, p.c + p.cs - 1) - Math.max(left, p.c) + 1;
        if (overlap <= 0)
          continue;
        if (overlap >= p.cs)
          cell.remove();
        else
          setSpan(cell, 'colspan', p.cs - overlap);
      }
      if (!g.table.querySelector('td,th'))
        removeTable(g.table);
      else
        caretNear(g, s.box.top, Math.max(0, left - 1));
    },
    status: inTable,
  };

  E.commands[5005] = {
    exec: function () {
      const s = current(), g = s.grid;
      s.cells.forEach(function (cell) { cell.remove(); });
      // A row left with nothing of its own and nothing reaching into it is
      // gone; the spans around it are kept right.
      for (let fresh = gridOf(g.table); ;) {
        const r = fresh.rows.findIndex(function (tr, i) {
          return tr.cells.length === 0 && !fresh.at[i].some(Boolean);
        });
        if (r < 0)
          break;
        fresh.rows[r].remove();
        fresh = gridOf(g.table);
      }
      if (!g.table.querySelector('td,th'))
        removeTable(g.table);
      else
        caretNear(g, s.box.top, s.box.left);
    },
    status: inTable,
  };

  function holdsNothing(cell) {
    return !cell.textContent.trim() && !cell.querySelector(CONTENT);
  }

  E.commands[5029] = { // merge the rectangle into its first cell
    exec: function () {
      const s = current();
      if (s.cells.length < 2)
        E.fail(E.UNEXPECTED, 'select two or more cells to merge');
      const target = s.cells[0];
      if (holdsNothing(target))
        target.replaceChildren();
      for (const cell of s.cells.slice(1)) {
        if (!holdsNothing(cell)) {
          if (!holdsNothing(target))
            target.appendChild(document.createElement('br'));
          while (cell.firstChild)
            target.appendChild(cell.firstChild);
        }
        cell.remove();
      }
      if (!target.firstChild)
        target.appendChild(document.createElement('br'));
      setSpan(target, 'colspan', s.box.right - s.box.left + 1);
      setSpan(target, 'rowspan', s.box.bottom - s.box.top + 1);
      caretIn(target, true);
    },
    status: function () {
      const ends = selectedEnds();
      if (!ends)
        return DISABLED;
      if (ends.a !== ends.b)
        return ENABLED;
      return DISABLED;
    },
  };

  // A cell spanning more than one grid position goes back to one cell per
  // position; a plain cell has nothing to split and the command is disabled.
  function spannedCell() {
    const ends = selectedEnds();
    if (!ends || ends.a !== ends.b)
      return null;
    return ends.a.colSpan > 1 || ends.a.rowSpan !== 1 ? ends.a : null;
  }

  E.commands[5047] = {
    exec: function () {
      const cell = spannedCell();
      if (!cell)
        E.fail(E.UNEXPECTED, 'the cell is not merged');
      E.clearCells();
      const g = gridOf(tableOf(cell));
      const p = g.place.get(cell);
      dropAttributes(cell, ['colspan', 'rowspan']);
      let last = cell;
      for (let dc = 1; dc < p.cs; ++dc) {
        const fresh = newCellLike(cell);
        last.after(fresh);
        last = fresh;
      }
      for (let dr = 1; dr < p.rs; ++dr) {
        const before = [];
        for (let dc = 0; dc < p.cs; ++dc)
          before.push(newCellLike(cell));
        const holder = document.createDocumentFragment();
        before.forEach(function (n) { holder.appendChild(n); });
        g.rows[p.r + dr].insertBefore(holder, placeInRow(g, p.r + dr, p.c));
      }
      caretIn(cell, true);
    },
    status: function () {
      if (!E.editable() && !cellsValid())
        return DISABLED;
      return spannedCell() ? ENABLED : DISABLED;
    },
  };

  // Test and host entry: select the cells from one matching cell to another.
  E.dom.selectCells = function (args) {
    const a = document.body && document.body.querySelector(args.from);
    const b = document.body && document.body.querySelector(args.to || args.from);
    const ca = a && cellOf(a), cb = b && cellOf(b);
    if (!ca || !cb || ca !== a || cb !== b || tableOf(ca) !== tableOf(cb))
      E.fail(E.INVALIDARG, 'no cells of one table match ' + args.from + ' and ' + args.to);
    E.selectCells(ca, cb);
    return true;
  };

  // The selected cells, for tests and the host: their texts in reading order.
  E.dom.selectedCells = function () {
    if (!cellsValid())
      return [];
    return selection().cells.map(function (c) { return c.textContent; });
  };
})(Corvane);

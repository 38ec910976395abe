// 2D positioning: an element taken out of the flow to an absolute place, its
// stacking order, its lock, and moving it by dragging.
//
// What can be positioned: the chosen control (a picture, a form control, or
// an element already positioned, chosen by a click), or a div or table whose
// whole content the selection covers (drag across all of its text). The
// stacking commands move an element among the positioned elements that
// overlap it and keep it on its side of the text: z-index 0 and above is
// above the text, below 0 is below it; only "Bring Above Text" and "Send
// Below Text" change that side (the sign of z-index). A lock is written as
// the attribute design_time_lock="true", which browsers ignore, so it stays
// with the saved page.


(function (E) {
  'use strict';
  E.dom = E.dom || {};
  const DISABLED = E.DISABLED, ENABLED = E.ENABLED, LATCHED = E.LATCHED;
  const LOCK = 'design_time_lock';
  const BLOCKS = 'div,table';
  let drag = null;

  function isAbsolute(el) {
    return getComputedStyle(el).position === 'absolute';
  }

  function blank(range) {
    return !range.toString().trim() && !range.cloneContents().querySelector('img,input,select,' +
                                                                            'textarea,button');
  }

  // A div or table the selection covers whole: nothing of it before the
  // selection's start or after its end.
  function coveredBlock(range) {
    if (range.collapsed)
      return null;
    let node = range.commonAncestorContainer;
    let el = node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement;
    for (el = el && el.closest(BLOCKS); el && document.body.contains(el);
         el = el.parentElement && el.parentElement.closest(BLOCKS)) {
      const head = document.createRange();
      head.setStart(el, 0);
      head.setEnd(range.startContainer, range.startOffset);
      const tail = document.createRange();
      tail.setStart(range.endContainer, range.endOffset);
      tail.setEnd(el, el.childNodes.length);
      const within = el.contains(range.startContainer) && el.contains(range.endContainer);
      if (within && blank(head) && blank(tail))
        return el;
    }
    // The selection may hold the block as a node.
    const start = range.startContainer.childNodes[range.startOffset];
    if (start && start.nodeType === Node.ELEMENT_NODE && start.matches(BLOCKS)
        && range.endContainer === range.startContainer && range.endOffset === range.startOffset + 1)
      return start;
    return null;
  }

  // The element the 2D commands act on, or null.
  function target() {
    const control = E.controlSelection && E.controlSelection();
    if (control)
      return control;
    if (!E.editable())
      return null;
    return coveredBlock(E.range());
  }

  function positioned() {
    const el = target();
    return el && isAbsolute(el) ? el : null;
  }

  function zOf(el) {
    const z = parseInt(getComputedStyle(el).zIndex, 10);
    return Number.isFinite(z) ? z : 0;
  }

  function setZ(el, z) {
    el.style.zIndex = String(z);
  }

  // The other positioned elements whose boxes overlap el's.
  function overlapping(el) {
    const r = el.getBoundingClientRect();
    const out = [];
    for (const other of document.body.querySelectorAll('*')) {
      if (other === el || other.contains(el) || el.contains(other) || !isAbsolute(other)
          || other.closest('[' + E.uiAttribute + ']'))
        continue;
      const o = other.getBoundingClientRect();
      if (o.left < r.right && r.left < o.right && o.top < r.bottom && r.top < o.bottom)
        out.push(other);
    }
    return out;
  }

  // A z-index kept on the element's side of the text.
  function onSide(el, z) {
    return zOf(el) >= 0 ? Math.max(0, z) : Math.min(-1, z);
  }

  function dropStyles(el, names) {
    for (const name of names)
      el.style.removeProperty(name);
    if (!el.getAttribute('style'))
      E.dropAttributes(el, ['style']);
  }

  E.commands[5028] = {
    exec: function () {
      const el = target();
      if (!el)
        E.fail(E.UNEXPECTED, 'nothing is selected that can be positioned');
      if (isAbsolute(el)) {
        dropStyles(el, ['position', 'left', 'top', 'z-index']);
        if (el.hasAttribute(LOCK))
          E.dropAttributes(el, [LOCK]);
      } else {
        // Measured in the box it will stand in, which a skipped block would
        // otherwise stand in for.
        if (E.offscreen)
          E.offscreen.release(el);
        const before = el.getBoundingClientRect();
        // A block keeps its width; out of the flow it would shrink to its text.
        const width = el.matches(BLOCKS) && !el.style.width ? getComputedStyle(el).width : null;
        el.style.position = 'absolute';
        el.style.left = '0px';
        el.style.top = '0px';
        if (width)
          el.style.width = width;
        const now = el.getBoundingClientRect();
        el.style.left = Math.round(before.left - now.left) + 'px';
        el.style.top = Math.round(before.top - now.top) + 'px';
      }
      if (E.controlSelection && E.controlSelection() !== el && isAbsolute(el))
        E.selectControl(el);
      if (E.drawControl)
        E.drawControl();
    },
    status: function () {
      const el = target();
      if (!el)
        return DISABLED;
      return isAbsolute(el) ? LATCHED : ENABLED;
    },
  };

  function stacking(change) {
    return {
      exec: function () {
        const el = positioned();
        if (!el)
          E.fail(E.UNEXPECTED, 'the selection is not a positioned element');
        const z = change(el, zOf(el));
        if (z !== null && z !== zOf(el))
          setZ(el, z);
      },
      status: function () { return positioned() ? ENABLED : DISABLED; },
    };
  }

  function sideZs(el) {
    const below = zOf(el) < 0;
    return overlapping(el).map(zOf).filter(function (z) { return (z < 0) === below; });
  }

  E.commands[5041] = stacking(function (el, z) { // bring to front
    const others = sideZs(el);
    return others.length ? onSide(el, Math.max(z, Math.max.apply(null, others) + 1)) : null;
  });
  E.commands[5040] = stacking(function (el, z) { // send to back
    const others = sideZs(el);
    return others.length ? onSide(el, Math.min(z, Math.min.apply(null, others) - 1)) : null;
  });
  E.commands[5037] = stacking(function (el, z) { // bring forward: above the next one up
    const above = sideZs(el).filter(function (o) { return o >= z; });
    return above.length ? onSide(el, Math.min.apply(null, above) + 1) : null;
  });
  E.commands[5036] = stacking(function (el, z) { // send backward: below the next one down
    const below = sideZs(el).filter(function (o) { return o <= z; });
    return below.length ? onSide(el, Math.max.apply(null, below) - 1) : null;
  });
  E.commands[5039] = stacking(function (el, z) { // above text
    return z < 0 ? -z - 1 : null;
  });
  E.commands[5038] = stacking(function (el, z) { // below text
    return z >= 0 ? -z - 1 : null;
  });

  E.commands[5027] = {
    exec: function () {
      const el = positioned();
      if (!el)
        E.fail(E.UNEXPECTED, 'the selection is not a positioned element');
      if (el.hasAttribute(LOCK))
        E.dropAttributes(el, [LOCK]);
      else
        el.setAttribute(LOCK, 'true');
    },
    status: function () {
      const el = positioned();
      if (!el)
        return DISABLED;
      return el.hasAttribute(LOCK) ? LATCHED : ENABLED;
    },
  };

  // --- dragging ------------------------------------------------------------

  // The positioned element a press lands on (the innermost), unless locked.
  function draggable(node) {
    let el = node && (node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement);
    for (; el && el !== document.body && el !== document.documentElement; el = el.parentElement) {
      if (el.hasAttribute(E.uiAttribute))
        return null;
      if (isAbsolute(el))
        return el.hasAttribute(LOCK) ? null : el;
    }
    return null;
  }

  document.addEventListener('mousedown', function (e) {
    drag = null;
    if (e.button !== 0 || e.shiftKey)
      return;
    // The press that chooses the element (see 50-control.js) may drag it; a
    // press on the element already chosen edits its text instead.
    const el = draggable(e.target);
    if (!el || (E.controlSelection && E.controlSelection()) !== el)
      return;
    const style = getComputedStyle(el);
    drag = { el: el, x: e.clientX, y: e.clientY, left: parseFloat(style.left) || 0,
             top: parseFloat(style.top) || 0, moving: false };
  }, true);

  document.addEventListener('mousemove', function (e) {
    if (!drag || !(e.buttons & 1))
      return;
    const dx = e.clientX - drag.x, dy = e.clientY - drag.y;
    if (!drag.moving) {
      if (Math.abs(dx) < 3 && Math.abs(dy) < 3)
        return;
      drag.moving = true;
      E.history.cut('edit');
      E.history.hold++;
      E.selectControl(drag.el);
    }
    e.preventDefault();
    drag.el.style.left = Math.round(drag.left + dx) + 'px';
    drag.el.style.top = Math.round(drag.top + dy) + 'px';
    if (E.drawControl)
      E.drawControl();
  }, true);

  document.addEventListener('mouseup', function () {
    const done = drag;
    drag = null;
    if (!done || !done.moving)
      return;
    E.history.hold--;
    E.history.cut('command');
    E.selectControl(done.el);
  }, true);

  // For tests: where an element's box is on screen.
  E.dom.boundingRect = function (args) {
    const el = document.body && document.body.querySelector(args.selector);
    if (!el)
      E.fail(E.INVALIDARG, 'no element matches ' + args.selector);
    const r = el.getBoundingClientRect();
    return { left: r.left, top: r.top, width: r.width, height: r.height };
  };
})(Corvane);

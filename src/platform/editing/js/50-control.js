// The "Control" selection: a picture, a form control or an absolutely
// positioned element chosen as a whole by a click, drawn with handles.
// Pictures are resized by dragging a handle (their width and height
// attributes change, as one undo step). Delete removes the chosen element.


(function (E) {
  'use strict';
  E.dom = E.dom || {};
  const OBJECTS = 'img,input,select,textarea,button';
  const HANDLES = ['nw', 'n', 'ne', 'e', 'se', 's', 'sw', 'w'];
  let control = null;
  let overlay = null;
  let drag = null;

  function positioned(el) {
    for (; el && el !== document.body && el !== document.documentElement; el = el.parentElement) {
      if (getComputedStyle(el).position === 'absolute')
        return el;
    }
    return null;
  }

  function controlFor(target) {
    if (!target || !target.closest || !document.body || !document.body.contains(target))
      return null;
    return target.closest(OBJECTS) || positioned(target);
  }

  // The overlay lives outside the body, marked, so it never reaches the HTML
  // and never counts as an edit.
  function ensureOverlay() {
    if (overlay && overlay.isConnected)
      return overlay;
    E.quiet++;
    overlay = document.createElement('div');
    overlay.setAttribute(E.uiAttribute, 'handles');
    overlay.setAttribute('contenteditable', 'false');
    overlay.style.cssText = 'position:absolute;display:none;pointer-events:none;z-index:2147483647;' +
                            'outline:1px solid #000;margin:0;padding:0;border:0';
    for (const h of HANDLES) {
      const box = document.createElement('div');
      box.setAttribute(E.uiAttribute, h);
      box.style.cssText = 'position:absolute;width:7px;height:7px;background:#fff;' +
                          'border:1px solid #000;box-sizing:border-box;pointer-events:auto;' +
                          'cursor:' + h + '-resize';
      overlay.appendChild(box);
    }
    document.documentElement.appendChild(overlay);
    Promise.resolve().then(function () { E.quiet--; });
    return overlay;
  }

  function draw() {
    if (!control || !control.isConnected) {
      if (overlay)
        overlay.style.display = 'none';
      return;
    }
    const o = ensureOverlay();
    const r = control.getBoundingClientRect();
    const x = r.left + window.scrollX, y = r.top + window.scrollY;
    o.style.left = x + 'px';
    o.style.top = y + 'px';
    o.style.width = r.width + 'px';
    o.style.height = r.height + 'px';
    o.style.display = 'block';
    const spots = { n: [0.5, 0], s: [0.5, 1], e: [1, 0.5], w: [0, 0.5],
                    nw: [0, 0], ne: [1, 0], se: [1, 1], sw: [0, 1] };
    for (const box of o.children) {
      const spot = spots[box.getAttribute(E.uiAttribute)];
      box.style.left = (spot[0] * r.width - 4) + 'px';
      box.style.top = (spot[1] * r.height - 4) + 'px';
    }
  }
  E.drawControl = draw;

  function selects(range, el) {
    const parent = el.parentNode;
    if (!range || !parent || range.startContainer !== parent || range.endContainer !== parent)
      return false;
    const index = Array.prototype.indexOf.call(parent.childNodes, el);
    return range.startOffset === index && range.endOffset === index + 1;
  }

  E.controlSelection = function () {
    return control && control.isConnected ? control : null;
  };

  E.clearControl = function () {
    control = null;
    draw();
  };

  E.selectControl = function (el) {
    control = el;
    const range = document.createRange();
    range.selectNode(el);
    const sel = document.getSelection();
    sel.removeAllRanges();
    sel.addRange(range);
    draw();
    E.scheduleDisplayChanged();
  };

  E.deleteControl = function () {
    const el = E.controlSelection();
    if (!el)
      return false;
    E.clearControl();
    const range = document.createRange();
    range.setStartBefore(el);
    range.collapse(true);
    el.remove();
    const sel = document.getSelection();
    sel.removeAllRanges();
    sel.addRange(range);
    return true;
  };

  // Test and host entry: choose the element that matches a selector.
  E.dom.selectControl = function (args) {
    const el = document.body && document.body.querySelector(args.selector);
    if (!el || controlFor(el) !== el)
      E.fail(E.INVALIDARG, 'nothing to select as a control: ' + args.selector);
    E.selectControl(el);
    return true;
  };
  E.dom.resizeControl = function (args) {
    const el = E.controlSelection();
    if (!el || el.localName !== 'img')
      E.fail(E.INVALIDARG, 'no picture is selected');
    E.history.cut('edit');
    resizeTo(el, args.width, args.height);
    E.history.cut('command');
    return true;
  };

  function resizeTo(img, width, height) {
    img.setAttribute('width', String(Math.max(1, Math.round(width))));
    img.setAttribute('height', String(Math.max(1, Math.round(height))));
    draw();
  }

  document.addEventListener('mousedown', function (e) {
    const handle = e.target && e.target.closest && e.target.closest('[' + E.uiAttribute + ']');
    if (handle && overlay && overlay.contains(handle)) {
      e.preventDefault();
      const el = E.controlSelection();
      if (el && el.localName === 'img') {
        const r = el.getBoundingClientRect();
        drag = { side: handle.getAttribute(E.uiAttribute), x: e.clientX, y: e.clientY,
                 width: r.width, height: r.height, img: el };
        E.history.cut('edit');
        E.history.hold++;
      }
      return;
    }
    const c = controlFor(e.target);
    if (!c || (c === control && !c.matches(OBJECTS))) {
      // A second click into a positioned element edits its text.
      E.clearControl();
      return;
    }
    e.preventDefault();
    E.selectControl(c);
  }, true);

  document.addEventListener('mousemove', function (e) {
    if (!drag)
      return;
    const dx = e.clientX - drag.x, dy = e.clientY - drag.y;
    let w = drag.width, h = drag.height;
    if (drag.side.indexOf('e') >= 0) w += dx;
    if (drag.side.indexOf('w') >= 0) w -= dx;
    if (drag.side.indexOf('s') >= 0) h += dy;
    if (drag.side.indexOf('n') >= 0) h -= dy;
    resizeTo(drag.img, w, h);
  }, true);

  document.addEventListener('mouseup', function () {
    if (!drag)
      return;
    drag = null;
    E.history.hold--;
    E.history.cut('command');
  }, true);

  document.addEventListener('keydown', function (e) {
    if (!E.controlSelection())
      return;
    if (e.key === 'Delete' || e.key === 'Backspace') {
      e.preventDefault();
      E.history.cut('edit');
      E.deleteControl();
      E.history.cut('command');
    } else if (!/^(Shift|Control|Alt|Meta)$/.test(e.key)) {
      E.clearControl();
    }
  }, true);

  document.addEventListener('selectionchange', function () {
    if (control && !selects(E.range(), control))
      E.clearControl();
  });
  window.addEventListener('scroll', draw, true);
  window.addEventListener('resize', draw);
})(Corvane);

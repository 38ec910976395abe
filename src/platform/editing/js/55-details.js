// Details: small glyphs that show content a page does not draw (comments,
// scripts, style blocks, anchors without text, line breaks). They are marked
// elements, so they never reach the HTML, never count as edits and cannot be
// typed into; they are redrawn a moment after the page changes. Being page
// nodes, they would change what an edit does (a line holding a glyph is not
// empty): they step aside before every edit and come back after it.


(function (E) {
  'use strict';
  const KIND = 'detail';
  let timer = 0;

  E.detailsCss =
      '[' + E.uiAttribute + '="' + KIND + '"] { display: inline-block; font: bold 9px sans-serif;' +
      ' line-height: 11px; color: #fff; background: #808080; padding: 0 2px; margin: 0 1px;' +
      ' border-radius: 2px; vertical-align: middle; user-select: none; -webkit-user-modify: read-only; }';

  function glyphFor(node) {
    if (node.nodeType === Node.COMMENT_NODE)
      return '<!-->';
    switch (node.localName) {
    case 'script': return 'script';
    case 'style': return 'style';
    case 'br': return '\u21b5';
    case 'a':
      return node.hasAttribute('name') && !node.textContent.trim() && !node.querySelector('img')
          ? '\u2693' : null;
    default: return null;
    }
  }

  function removeGlyphs() {
    document.querySelectorAll('[' + E.uiAttribute + '="' + KIND + '"]')
        .forEach(function (n) { n.remove(); });
  }

  function addGlyphs() {
    if (!document.body)
      return;
    const walker = document.createTreeWalker(document.body,
                                             NodeFilter.SHOW_ELEMENT | NodeFilter.SHOW_COMMENT);
    const targets = [];
    for (let n = walker.nextNode(); n; n = walker.nextNode()) {
      const glyph = n.nodeType === Node.ELEMENT_NODE && n.hasAttribute(E.uiAttribute)
          ? null : glyphFor(n);
      if (glyph)
        targets.push([n, glyph]);
    }
    for (const [node, glyph] of targets) {
      const span = document.createElement('span');
      span.setAttribute(E.uiAttribute, KIND);
      span.setAttribute('contenteditable', 'false');
      span.textContent = glyph;
      node.parentNode.insertBefore(span, node);
    }
  }

  // Engine marks are not edits: the change counter looks away while they
  // are made and until its observer has seen them.
  function redraw() {
    timer = 0;
    E.quiet++;
    try {
      removeGlyphs();
      if (E.view.details)
        addGlyphs();
    } finally {
      Promise.resolve().then(function () { E.quiet--; });
    }
  }

  E.clearDetails = function () {
    if (!E.view.details || !document.querySelector('[' + E.uiAttribute + '="' + KIND + '"]'))
      return;
    E.quiet++;
    try {
      removeGlyphs();
    } finally {
      Promise.resolve().then(function () { E.quiet--; });
    }
    if (!timer)
      timer = E.later(redraw, 400);
  };
  window.addEventListener('beforeinput', E.clearDetails, true);

  E.onViewChanged = function () {
    redraw();
    if (E.drawControl)
      E.drawControl();
  };

  function later() {
    if (E.drawControl)
      E.drawControl();
    if (E.view.details && !timer)
      timer = E.later(redraw, 400);
  }
  E.afterHistory = later;
  const cut = E.history.cut;
  E.history.cut = function (kind) {
    const made = cut(kind);
    if (made)
      later();
    return made;
  };
})(Corvane);

// Where the page's elements break the content model in ways an edit can
// cause: a block inside inline content, a list or block inside a heading or
// paragraph, a link inside a link, table parts outside a table (and text or
// inline content between a table's rows). A browser reading such a page
// back rebuilds it otherwise, so an edit that leaves one has changed more
// than the user asked. The checker only reports; the tests compare its
// report before and after an edit.


(function (E) {
  'use strict';
  // Elements that never stand in phrasing content.
  const BLOCK = new Set(['address', 'article', 'aside', 'blockquote', 'center', 'details',
                         'dialog', 'dir', 'div', 'dl', 'dd', 'dt', 'fieldset', 'figcaption',
                         'figure', 'footer', 'form', 'h1', 'h2', 'h3', 'h4', 'h5', 'h6', 'header',
                         'hgroup', 'hr', 'li', 'listing', 'main', 'menu', 'nav', 'ol', 'p',
                         'plaintext', 'pre', 'section', 'table', 'ul', 'xmp']);
  // Elements whose content is phrasing content only.
  const HEADING_OR_PARAGRAPH = /^(p|h[1-6]|pre)$/;
  const INLINE = new Set(['b', 'i', 'u', 's', 'strike', 'font', 'span', 'em', 'strong', 'small',
                          'big', 'sub', 'sup', 'code', 'tt', 'kbd', 'samp', 'var', 'cite', 'dfn',
                          'abbr', 'acronym', 'q', 'mark', 'label', 'nobr', 'bdo', 'bdi', 'time',
                          'data', 'output', 'button']);
  // Their content model is their parent's.
  const TRANSPARENT = new Set(['a', 'ins', 'del', 'map']);
  // Where each table part may stand.
  const TABLE_PARENT = {
    caption: /^table$/, colgroup: /^table$/, thead: /^table$/, tbody: /^table$/,
    tfoot: /^table$/, tr: /^(table|thead|tbody|tfoot)$/, td: /^tr$/, th: /^tr$/,
    col: /^(table|colgroup)$/,
  };
  // What may stand directly inside each table container besides its parts.
  const TABLE_CHILD = {
    table: /^(caption|colgroup|thead|tbody|tfoot|tr|script|template|style)$/,
    thead: /^(tr|script|template)$/, tbody: /^(tr|script|template)$/,
    tfoot: /^(tr|script|template)$/, tr: /^(td|th|script|template)$/,
    colgroup: /^(col|template)$/,
  };

  // The nearest ancestor whose content model decides what may stand here.
  function modelOf(parent) {
    let el = parent;
    while (el && TRANSPARENT.has(el.localName))
      el = el.parentElement;
    return el;
  }

  function describe(el) {
    return el.localName;
  }

  function check(el, out) {
    const tag = el.localName;
    const parent = el.parentElement;
    if (!parent)
      return;
    if (BLOCK.has(tag)) {
      const model = modelOf(parent);
      if (model && INLINE.has(model.localName))
        out.push({ kind: 'block in inline', text: tag + ' inside ' + describe(model), element: el });
      else if (model && HEADING_OR_PARAGRAPH.test(model.localName))
        out.push({ kind: 'block in heading or paragraph',
                   text: tag + ' inside ' + describe(model), element: el });
    }
    if (tag === 'a' && parent.closest('a'))
      out.push({ kind: 'link in link', text: 'a inside a', element: el });
    const where = TABLE_PARENT[tag];
    if (where && !where.test(parent.localName))
      out.push({ kind: 'table part outside a table', text: tag + ' inside ' + parent.localName,
                 element: el });
    const allowed = TABLE_CHILD[parent.localName];
    if (allowed && !allowed.test(tag) && !TABLE_PARENT[tag])
      out.push({ kind: 'content between table parts', text: tag + ' inside ' + parent.localName });
  }

  // The errors under root (the body by default), leaving out the engine's
  // own marked elements; each is { kind, text } (and the element, for a
  // block out of place).
  E.contentModelErrors = function (root) {
    root = root || document.body;
    const out = [];
    if (!root)
      return out;
    // The browser's own lists rather than a walker with a filter of ours:
    // an edit on a large page reads them at every Return.
    const skip = '[' + E.uiAttribute + ']';
    const marked = root.querySelector(skip)
      ? function (el) { return el.closest(skip) !== null; } : function () { return false; };
    const all = root.getElementsByTagName('*');
    for (let i = 0; i < all.length; ++i) {
      if (!marked(all[i]))
        check(all[i], out);
    }
    for (const container of root.querySelectorAll('table,thead,tbody,tfoot,tr,colgroup')) {
      if (marked(container))
        continue;
      for (let n = container.firstChild; n; n = n.nextSibling) {
        if (n.nodeType === Node.TEXT_NODE && /[^ \t\n\r\f]/.test(n.data))
          out.push({ kind: 'content between table parts',
                     text: 'text inside ' + container.localName });
      }
    }
    return out;
  };

  E.isBlock = function (el) {
    return BLOCK.has(el.localName);
  };
  E.isInline = function (el) {
    return INLINE.has(el.localName) || TRANSPARENT.has(el.localName);
  };
  E.isPhrasingBlock = function (el) {
    return HEADING_OR_PARAGRAPH.test(el.localName);
  };

  E.handlers.contentErrors = function () {
    return E.contentModelErrors().map(function (e) { return e.text; });
  };
})(Corvane);

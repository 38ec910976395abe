// The page-wide colours: the document object's bgColor, fgColor, linkColor
// and vlinkColor, kept as the BODY's bgcolor, text, link and vlink
// attributes. A put is an edit like any other: it shows at once, is one undo
// step and marks the page changed (the observers see the attribute change).


(function (E) {
  'use strict';
  // Only these four: the panel must not become a way to write any attribute
  // (an onload, say) into the page.
  const attributes = {
    bgColor: 'bgcolor',
    fgColor: 'text',
    linkColor: 'link',
    vlinkColor: 'vlink',
  };

  function attributeFor(name) {
    const key = Object.keys(attributes).find(function (k) {
      return k.toLowerCase() === String(name).toLowerCase()
          || attributes[k] === String(name).toLowerCase();
    });
    if (!key)
      E.fail(E.INVALIDARG, 'not a page colour: ' + name);
    return attributes[key];
  }

  E.dom = E.dom || {};
  E.dom.bodyAttribute = function (args) {
    const attribute = attributeFor(args && args.name);
    const body = document.body;
    return (body && body.getAttribute(attribute)) || '';
  };

  E.dom.setBodyAttribute = function (args) {
    const attribute = attributeFor(args && args.name);
    const value = args && args.value != null ? String(args.value) : '';
    const body = document.body;
    if (!body)
      E.fail(E.UNEXPECTED, 'the page has no body');
    // Writing back what is there already (Cancel without a choice) is no
    // edit: no undo step, and the page is not marked changed.
    const now = body.getAttribute(attribute);
    if (value === '' ? now === null : now === value)
      return null;
    E.history.cut('edit');
    E.history.hold++;
    try {
      if (value === '')
        body.removeAttribute(attribute);
      else
        body.setAttribute(attribute, value);
    } finally {
      E.history.hold--;
      E.history.cut('command');
    }
    return null;
  };
})(Corvane);

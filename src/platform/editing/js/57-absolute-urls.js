// A page opened from a web address keeps its relative links and pictures,
// which resolve against that address while it is edited. A copy saved to
// disk shows the same page only with them written absolute.


(function (E) {
  'use strict';
  const ATTRIBUTES = ['src', 'href', 'background', 'poster', 'action'];

  function absolute(value, against) {
    const text = value.trim();
    // Empty values and links within the page stay as written, as does
    // server code standing for a URL.
    if (!text || text.charAt(0) === '#' || (E.server && E.server.holdsToken(text)))
      return value;
    try {
      new URL(text);
      return value; // absolute already
    } catch (e) {
      // relative
    }
    try {
      return new URL(text, against).href;
    } catch (e) {
      return value;
    }
  }

  // copy: a detached copy of an element of the page. A base element of the
  // page's own counts from the page's address; everything else from the
  // document's base, which that element sets.
  E.absoluteUrls = function (copy, address) {
    const selector = ATTRIBUTES.map(function (a) { return '[' + a + ']'; }).join(',');
    const elements = Array.from(copy.querySelectorAll(selector));
    if (copy.matches(selector))
      elements.push(copy);
    for (const el of elements) {
      const against = el.localName === 'base' ? address : document.baseURI;
      for (const name of ATTRIBUTES) {
        if (el.hasAttribute(name))
          el.setAttribute(name, absolute(el.getAttribute(name), against));
      }
    }
    return copy;
  };
})(Corvane);

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
    return E.mapUrls(copy, ATTRIBUTES, function (el) {
      const against = el.localName === 'base' ? address : document.baseURI;
      return function (value) { return absolute(value, against); };
    });
  };
})(Corvane);

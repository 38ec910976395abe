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

  // A srcset is candidates "URL [descriptor]" separated by commas; a URL
  // may itself hold commas (data: URLs), so it runs to the next space.
  function absoluteSrcset(value, against) {
    let out = '';
    let i = 0;
    while (i < value.length) {
      let j = i;
      while (j < value.length && /[\s,]/.test(value[j]))
        ++j;
      out += value.slice(i, j);
      i = j;
      while (j < value.length && !/\s/.test(value[j]))
        ++j;
      if (j === i)
        break;
      let url = value.slice(i, j);
      const commas = /,*$/.exec(url)[0];
      url = url.slice(0, url.length - commas.length);
      out += absolute(url, against) + commas;
      i = j;
      if (!commas) { // descriptors, up to the next candidate
        while (j < value.length && value[j] !== ',')
          ++j;
        out += value.slice(i, j);
        i = j;
      }
    }
    return out;
  }

  function absoluteStyle(style, against) {
    return style.replace(/url\(\s*(['"]?)(.*?)\1\s*\)/gi, function (all, quote, url) {
      return 'url(' + quote + absolute(url, against) + quote + ')';
    });
  }

  // copy: a detached copy of an element of the page. A base element of the
  // page's own counts from the page's address; everything else from the
  // document's base, which that element sets.
  E.absoluteUrls = function (copy, address) {
    const selector = ATTRIBUTES.concat(['srcset', 'style'])
                         .map(function (a) { return '[' + a + ']'; }).join(',');
    const elements = Array.from(copy.querySelectorAll(selector));
    if (copy.matches(selector))
      elements.push(copy);
    for (const el of elements) {
      const against = el.localName === 'base' ? address : document.baseURI;
      for (const name of ATTRIBUTES) {
        if (el.hasAttribute(name))
          el.setAttribute(name, absolute(el.getAttribute(name), against));
      }
      if (el.hasAttribute('srcset'))
        el.setAttribute('srcset', absoluteSrcset(el.getAttribute('srcset'), against));
      const style = el.getAttribute('style');
      if (style && /url\(/i.test(style))
        el.setAttribute('style', absoluteStyle(style, against));
    }
    return copy;
  };
})(Corvane);

// Where an element names other resources: URL attributes, srcset candidate
// lists and url() in inline styles. The clipboard and the copy of a web page
// both rewrite these, each with its own rule for one URL.


(function (E) {
  'use strict';
  // A srcset is candidates "URL [descriptor]" separated by commas; a URL
  // may itself hold commas (data: URLs), so it runs to the next space.
  function mapSrcset(value, map) {
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
      out += map(url) + commas;
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

  function mapStyle(style, map) {
    return style.replace(/url\(\s*(['"]?)(.*?)\1\s*\)/gi, function (all, quote, url) {
      return 'url(' + quote + map(url) + quote + ')';
    });
  }

  // Rewrites every URL in root and below: mapFor(element) gives the rule for
  // one URL of that element.
  E.mapUrls = function (root, attributes, mapFor) {
    const selector = attributes.concat(['srcset', 'style'])
                         .map(function (a) { return '[' + a + ']'; }).join(',');
    const elements = Array.from(root.querySelectorAll(selector));
    if (root.nodeType === Node.ELEMENT_NODE && root.matches(selector))
      elements.push(root);
    for (const el of elements) {
      const map = mapFor(el);
      for (const name of attributes) {
        if (el.hasAttribute(name))
          el.setAttribute(name, map(el.getAttribute(name)));
      }
      if (el.hasAttribute('srcset'))
        el.setAttribute('srcset', mapSrcset(el.getAttribute('srcset'), map));
      const style = el.getAttribute('style');
      if (style && /url\(/i.test(style))
        el.setAttribute('style', mapStyle(style, map));
    }
    return root;
  };
})(Corvane);

// Runs as the document is created, before any of the page is laid out: the
// plainest blocks of a long body (or of a wrapper around it) skip layout and
// paint while off screen from the first frame on. The engine refines the
// choice to the page's shape once the page is complete (js/32-offscreen.js).
(function () {
  'use strict';
  if (Object.prototype.hasOwnProperty.call(window, '__corvaneEarlySkip'))
    return;
  const sheet = new CSSStyleSheet();
  // Only blocks after the 24th of their parent, at the body's level and the
  // one below (a wrapper around everything): a page with fewer children
  // there would have them laid out twice, once contained and again once the
  // engine finds nothing to skip.
  const blocks = ':is(p,h1,h2,h3,h4,h5,h6,ul,ol,dl,table,blockquote,div,pre):nth-child(n+25)';
  sheet.replaceSync('body > ' + blocks + ', body > * > ' + blocks +
                    ' { content-visibility: auto; contain-intrinsic-size: auto 120px; }');
  document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]);
  Object.defineProperty(window, '__corvaneEarlySkip', { value: sheet });
})();

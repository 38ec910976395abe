// Runs as the document is created, before any of the page is laid out: the
// plainest blocks at the top of the body skip layout and paint while off
// screen from the first frame on. The engine refines the choice to the page's
// shape once the page is complete (js/32-offscreen.js).
(function () {
  'use strict';
  if (Object.prototype.hasOwnProperty.call(window, '__corvaneEarlySkip'))
    return;
  const sheet = new CSSStyleSheet();
  sheet.replaceSync('body > :is(p,h1,h2,h3,h4,h5,h6,ul,ol,dl,table,blockquote,div,pre)' +
                    ' { content-visibility: auto; contain-intrinsic-size: auto 120px; }');
  document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]);
  Object.defineProperty(window, '__corvaneEarlySkip', { value: sheet });
})();

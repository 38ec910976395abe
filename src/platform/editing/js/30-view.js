// Editing aids that never reach the page's HTML: they live in a constructed
// style sheet adopted by the document, which serialisation does not see.


(function (E) {
  'use strict';
  const sheet = new CSSStyleSheet();
  let adopted = false;

  const bordersCss =
      'table[border="0"], table:not([border]), table[border="0"] td, table:not([border]) td,' +
      'table[border="0"] th, table:not([border]) th' +
      ' { outline: 1px dotted #808080; outline-offset: -1px; }';

  E.view = { borders: false, details: false };

  E.applyView = function () {
    const rules = [];
    if (E.view.borders)
      rules.push(bordersCss);
    if (E.view.details && E.detailsCss)
      rules.push(E.detailsCss);
    sheet.replaceSync(rules.join('\n'));
    if (!adopted) {
      document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]);
      adopted = true;
    }
    if (E.onViewChanged)
      E.onViewChanged();
  };

  E.handlers.setView = function (args) {
    E.view.borders = !!args.borders;
    E.view.details = !!args.details;
    E.applyView();
    return null;
  };
})(Corvane);

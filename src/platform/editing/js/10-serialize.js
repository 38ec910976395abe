// The page as HTML text: everything in the document in order (comments before
// the doctype and after </html> included), without anything the engine added.


(function (E) {
  'use strict';
  function doctypeText(node) {
    let text = '<!DOCTYPE ' + node.name;
    if (node.publicId)
      text += ' PUBLIC "' + node.publicId + '"';
    if (node.systemId)
      text += (node.publicId ? '' : ' SYSTEM') + ' "' + node.systemId + '"';
    return text + '>';
  }

  function elementText(element) {
    const marker = '[' + E.uiAttribute + ']';
    if (!element.querySelector(marker))
      return element.outerHTML;
    const copy = element.cloneNode(true);
    copy.querySelectorAll(marker).forEach(function (n) { n.remove(); });
    return copy.outerHTML;
  }

  E.serialize = function () {
    const parts = [];
    for (const node of document.childNodes) {
      switch (node.nodeType) {
      case Node.DOCUMENT_TYPE_NODE:
        parts.push(doctypeText(node));
        break;
      case Node.COMMENT_NODE:
        parts.push('<!--' + node.data + '-->');
        break;
      case Node.ELEMENT_NODE:
        parts.push(elementText(node));
        break;
      default:
        break;
      }
    }
    return parts.join('\n');
  };

  E.handlers.getHtml = function () {
    return E.serialize();
  };
})(Corvane);

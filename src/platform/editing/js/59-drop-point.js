// The caret at a point of the view: where something dropped on the page
// goes. The host takes file drops itself (the browser would show the file or
// link to it) and asks for the caret there before it inserts.


(function (E) {
  'use strict';
  E.dom = E.dom || {};

  // Places the caret at the text position nearest to the point (view
  // pixels, the page's own coordinates at zoom 1). Not inside the engine's
  // editing aids: before the outermost one the point is in. False, with the
  // selection left as it was, when the point is outside the body's content.
  E.dom.caretAtPoint = function (args) {
    const x = Number(args && args.x), y = Number(args && args.y);
    if (!isFinite(x) || !isFinite(y) || !document.body)
      return false;
    const range = document.caretRangeFromPoint(x, y);
    if (!range || !document.body.contains(range.startContainer))
      return false;
    let node = range.startContainer.nodeType === Node.ELEMENT_NODE
      ? range.startContainer : range.startContainer.parentElement;
    let aid = null;
    for (; node && node !== document.body; node = node.parentElement) {
      if (node.hasAttribute(E.uiAttribute) || node.isContentEditable === false)
        aid = node;
    }
    if (aid)
      range.setStartBefore(aid);
    range.collapse(true);
    if (E.clearControl)
      E.clearControl();
    const sel = document.getSelection();
    sel.removeAllRanges();
    sel.addRange(range);
    return true;
  };
})(Corvane);

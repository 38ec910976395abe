// A block holding nothing but a no-break space (the new page's first line,
// the empty paragraphs of older tools' pages) shows as an empty line; what
// the user types there takes the space's place instead of following it.


(function (E) {
  'use strict';
  const INLINE = /^(b|i|u|s|strike|em|strong|font|span|small|big|sub|sup|a|code|tt|o:p)$/;

  // The no-break space that is a block's whole content, seen from the caret.
  function placeholderAt(node, offset) {
    if (node.nodeType === Node.ELEMENT_NODE)
      node = node.childNodes[offset] || node.childNodes[offset - 1];
    if (!node || node.nodeType !== Node.TEXT_NODE || node.data !== '\u00a0')
      return null;
    let el = node.parentElement;
    let inner = node;
    while (el && INLINE.test(el.localName) && el.childNodes.length === 1) {
      inner = el;
      el = el.parentElement;
    }
    if (!el || el === document.body && !document.body.isContentEditable)
      return null;
    if (el.childNodes.length !== 1 || el.firstChild !== inner || INLINE.test(el.localName))
      return null;
    return node;
  }

  document.addEventListener('beforeinput', function (e) {
    if (e.defaultPrevented || e.inputType !== 'insertText' || !e.data || !/\S/.test(e.data))
      return;
    const sel = document.getSelection();
    if (!sel || sel.rangeCount !== 1 || !sel.isCollapsed)
      return;
    const text = placeholderAt(sel.anchorNode, sel.anchorOffset);
    if (!text)
      return;
    e.preventDefault();
    text.data = e.data;
    sel.collapse(text, text.length);
    E.history.cut('typing');
  }, true);
})(Corvane);

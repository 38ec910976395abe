// Return splits the block the caret stands in. A paragraph, heading or pre
// that is itself an editing host (made editable inside a part of the page
// that is not) cannot be split: the browser then puts a new block inside it,
// which no browser reads back as written. A line break is what Return can
// give there.


(function (E) {
  'use strict';
  const PHRASING_ONLY = /^(p|h[1-6]|pre)$/;

  function blockAround(node) {
    let el = node && (node.nodeType === Node.ELEMENT_NODE ? node : node.parentElement);
    while (el && el !== document.body && getComputedStyle(el).display.indexOf('inline') === 0)
      el = el.parentElement;
    return el;
  }

  // Editable inside a part marked not editable (the whole page is editable,
  // so that is the only way to be a host of one's own).
  function isHost(el) {
    const own = el.getAttribute('contenteditable');
    if (own === null || own.toLowerCase() === 'false')
      return false;
    const outer = el.parentElement && el.parentElement.closest('[contenteditable]');
    return !!outer && outer.getAttribute('contenteditable').toLowerCase() === 'false';
  }

  document.addEventListener('beforeinput', function (e) {
    if (e.inputType !== 'insertParagraph' || e.defaultPrevented)
      return;
    const range = E.range();
    const block = range && blockAround(range.startContainer);
    if (!block || block === document.body || !PHRASING_ONLY.test(block.localName) || !isHost(block))
      return;
    e.preventDefault();
    document.execCommand('insertLineBreak', false, null);
  }, true);
})(Corvane);

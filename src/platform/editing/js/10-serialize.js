// The page as HTML text: everything in the document in order (comments before
// the doctype and after </html> included), without anything the engine added.


(function (E) {
  'use strict';
  E.doctypeText = function (node) {
    let text = '<!DOCTYPE ' + node.name;
    if (node.publicId)
      text += ' PUBLIC "' + node.publicId + '"';
    if (node.systemId)
      text += (node.publicId ? '' : ' SYSTEM') + ' "' + node.systemId + '"';
    return text + '>';
  };

  const MARKED = '[' + E.uiAttribute + ']';
  // The parser drops a line break right after the start tag of these, so a
  // text that starts with one must be written with one more.
  const EATERS = 'pre,textarea,listing';

  function startsWithBreak(element) {
    const first = element.firstChild;
    return !!first && first.nodeType === Node.TEXT_NODE && first.data.charAt(0) === '\n';
  }

  // Whether this browser writes that extra line break itself.
  const writesBreak = E.writesBreak = (function () {
    const probe = document.createElement('pre');
    probe.textContent = '\nx';
    return probe.outerHTML === '<pre>\n\nx</pre>';
  })();

  // Whether root's HTML needs a copy made ready by readyForHtml.
  function needsCopy(root) {
    if (root.querySelector(MARKED))
      return true;
    if (writesBreak)
      return false;
    if (root.matches(EATERS) && startsWithBreak(root))
      return true;
    return Array.prototype.some.call(root.querySelectorAll(EATERS), startsWithBreak);
  }

  // Makes a detached copy ready to be written out: no editing aids, and the
  // line breaks the parser would eat written twice.
  E.readyForHtml = function (copy) {
    copy.querySelectorAll(MARKED).forEach(function (n) { n.remove(); });
    if (writesBreak)
      return copy;
    const eaters = Array.from(copy.querySelectorAll(EATERS));
    if (copy.nodeType === Node.ELEMENT_NODE && copy.matches(EATERS))
      eaters.push(copy);
    for (const el of eaters) {
      if (startsWithBreak(el))
        el.firstChild.data = '\n' + el.firstChild.data;
    }
    return copy;
  };

  // The browser writes a carriage return in text or a value as it is, and
  // the parser reads it back as a line feed: a page's &#13; would be lost.
  // Not inside raw text (scripts, styles), where a reference stays as typed.
  const RAW = 'script,style,xmp,iframe,noembed,noframes,plaintext,noscript';
  E.keepReturns = function (html, element) {
    if (html.indexOf('\r') < 0)
      return html;
    if (element.nodeType === Node.ELEMENT_NODE && (element.matches(RAW) || element.querySelector(RAW)))
      return html;
    return html.replace(/\r/g, '&#13;');
  };

  // The element as the page's HTML. The live page is cloned only when it
  // holds something to leave out or to fix, so large pages stay cheap.
  E.elementHtml = function (element) {
    const html = needsCopy(element) ? E.readyForHtml(element.cloneNode(true)).outerHTML
                                    : element.outerHTML;
    return E.keepReturns(html, element);
  };

  // prepare, when given, gets a ready copy of each element to change. doc
  // is the page unless given (11-source.js checks a parsed copy with it).
  E.serialize = function (prepare, doc) {
    const parts = [];
    for (const node of (doc || document).childNodes) {
      switch (node.nodeType) {
      case Node.DOCUMENT_TYPE_NODE:
        parts.push(E.doctypeText(node));
        break;
      case Node.COMMENT_NODE:
        parts.push('<!--' + node.data + '-->');
        break;
      case Node.ELEMENT_NODE:
        parts.push(prepare ? prepare(E.readyForHtml(node.cloneNode(true))).outerHTML
                           : E.elementHtml(node));
        break;
      default:
        break;
      }
    }
    return parts.join('\n');
  };

  // args.absoluteUrls: the address the page came from; its relative URLs
  // are written absolute (57-absolute-urls.js).
  // args.splice: the page's own text wherever it was not edited
  // (11-source.js).
  E.handlers.getHtml = function (args) {
    if (args && args.splice)
      return E.source.splice();
    const address = args && args.absoluteUrls;
    if (!address)
      return E.serialize();
    return E.serialize(function (copy) { return E.absoluteUrls(copy, address); });
  };
})(Corvane);

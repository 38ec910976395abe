#pragma once

// What the fuzz test holds after each step, besides the page answering:
// no content-model error the page did not hold before (the engine's own
// checker says which), and a character typed after an insert or a command
// lands where the caret was left.

#include <QMap>
#include <QStringList>

// Reads only: the text typing can reach, without white space, as the user
// sees it: no editing aids, nothing not shown (closed details, hidden
// parts), no text of form controls or scripts. With `caret` true, also where
// the selection stands, as counts of that text before its start and its end;
// empty then when typing would not go into that text (no selection, a chosen
// control, a caret where no click lands).
inline const char *typedTextScript = R"((function (caret) {
  const cache = new Map();
  const shown = function (n) {
    const el = n.nodeType === 1 ? n : n.parentElement;
    if (!el) return false;
    if (cache.has(el)) return cache.get(el);
    let ok = el.getClientRects().length > 0 && getComputedStyle(el).visibility === 'visible'
      && !el.closest('select,textarea,option,button,script,style,[contenteditable=false],[data-corvane-ui]');
    const closed = ok && el.closest('details:not([open])');
    if (closed && !el.closest('summary')) ok = false;
    cache.set(el, ok);
    return ok;
  };
  const texts = [];
  const w = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let n = w.nextNode(); n; n = w.nextNode())
    if (shown(n)) texts.push(n);
  const solid = function (s) { return s.replace(/\s+/g, ''); };
  const all = solid(texts.map(function (n) { return n.data; }).join(''));
  if (!caret) return all;
  const sel = document.getSelection();
  if (!sel || sel.rangeCount === 0) return '';
  if (Corvane.controlSelection && Corvane.controlSelection()) return '';
  const r = sel.getRangeAt(0);
  if (!document.body.contains(r.commonAncestorContainer)) return '';
  // Blank text between blocks or controls, or a gap between blocks, is no
  // place the browser keeps: it takes the next place shown (and deletes up
  // to there). A user's click never lands there.
  const inlineLevel = function (n) {
    return !!n && (n.nodeType === 3 ? /\S/.test(n.data)
      : n.nodeType === 1 && getComputedStyle(n).display.indexOf('inline') === 0);
  };
  const placeable = function (c, o) {
    if (c.nodeType === 3)
      return /\S/.test(c.data) && shown(c);
    if (c.nodeType !== 1 || !shown(c)
        || /^(body|html|ul|ol|dl|dir|menu|table|thead|tbody|tfoot|tr|colgroup)$/.test(c.localName))
      return false;
    return inlineLevel(c.childNodes[o - 1]) || inlineLevel(c.childNodes[o]);
  };
  if (!placeable(r.startContainer, r.startOffset) || !placeable(r.endContainer, r.endOffset))
    return '';
  // Typing over controls or hidden parts removes text this count leaves out.
  if (!r.collapsed) {
    for (const el of document.body.querySelectorAll('select,textarea,button,script,style,input,img,details,[contenteditable=false]'))
      if (r.intersectsNode(el)) return '';
  }
  const count = function (c, o) {
    const p = document.createRange();
    p.setStart(c, o);
    let k = 0;
    for (const n of texts) {
      if (n === c) k += solid(n.data.slice(0, o)).length;
      else if (p.comparePoint(n, 0) < 0) k += solid(n.data).length;
    }
    return k;
  };
  return JSON.stringify({ start: count(r.startContainer, r.startOffset),
                          end: count(r.endContainer, r.endOffset), text: all });
}))";

// The selection's ends, for a report: "#text 'abc' 2 .. P 1".
inline const char *selectionScript = R"((function () {
  const sel = document.getSelection();
  if (!sel || !sel.rangeCount) return 'no selection';
  const r = sel.getRangeAt(0);
  const end = function (n, o) {
    return n.nodeName + (n.nodeType === 3 ? " '" + n.data.slice(0, 24) + "'" : '') + ' ' + o
      + ' in ' + (n.nodeType === 3 ? n.parentElement : n).outerHTML.slice(0, 80);
  };
  return end(r.startContainer, r.startOffset) + ' .. ' + end(r.endContainer, r.endOffset);
})())";

// Counts of each kind of content-model error ("div inside b": 2).
inline QMap<QString, int> errorCounts(const QStringList &errors)
{
    QMap<QString, int> counts;
    for (const QString &e : errors)
        ++counts[e];
    return counts;
}

// The errors after that outnumber those before, as "div inside b (1 → 2)".
inline QStringList newErrors(const QMap<QString, int> &before, const QMap<QString, int> &after)
{
    QStringList out;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (it.value() > before.value(it.key()))
            out << QStringLiteral("%1 (%2 → %3)").arg(it.key()).arg(before.value(it.key())).arg(it.value());
    }
    return out;
}

// Find: searches the page's visible text from the selection onwards (or
// backwards), across tag boundaries, and selects the match.


(function (E) {
  'use strict';

  function textRuns() {
    const runs = [];
    let text = '';
    if (!document.body)
      return { runs: runs, text: text };
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT, {
      acceptNode: function (n) {
        return n.parentElement && n.parentElement.closest('script,style,[' + E.uiAttribute + ']')
            ? NodeFilter.FILTER_REJECT : NodeFilter.FILTER_ACCEPT;
      },
    });
    for (let n = walker.nextNode(); n; n = walker.nextNode()) {
      runs.push({ node: n, start: text.length });
      text += n.data;
    }
    return { runs: runs, text: text };
  }

  // Index into the joined text of a point in the page.
  function indexOf(all, node, offset) {
    const point = document.createRange();
    point.setStart(node, offset);
    for (const run of all.runs) {
      if (run.node === node)
        return run.start + offset;
      if (point.comparePoint(run.node, 0) >= 0)
        return run.start;
    }
    return all.text.length;
  }

  function pointAt(all, index, atEnd) {
    for (let i = 0; i < all.runs.length; ++i) {
      const run = all.runs[i];
      const end = run.start + run.node.length;
      if (index < end || (atEnd && index === end))
        return [run.node, index - run.start];
    }
    const last = all.runs[all.runs.length - 1];
    return [last.node, last.node.length];
  }

  function isWordChar(c) {
    return !!c && /[\p{L}\p{N}_]/u.test(c);
  }

  E.find = function (args) {
    const needle = String(args.text || '');
    if (!needle)
      return false;
    const all = textRuns();
    const hay = args.matchCase ? all.text : all.text.toLowerCase();
    const want = args.matchCase ? needle : needle.toLowerCase();
    const range = E.range();
    let from;
    if (args.up)
      from = range ? indexOf(all, range.startContainer, range.startOffset) - 1 : hay.length;
    else
      from = range ? indexOf(all, range.endContainer, range.endOffset) : 0;
    const whole = function (i) {
      return !args.wholeWord || (!isWordChar(all.text[i - 1]) && !isWordChar(all.text[i + want.length]));
    };
    let at = -1;
    if (args.up) {
      for (let i = hay.lastIndexOf(want, from); i >= 0; i = hay.lastIndexOf(want, i - 1)) {
        if (whole(i)) { at = i; break; }
        if (i === 0) break;
      }
    } else {
      for (let i = hay.indexOf(want, from); i >= 0; i = hay.indexOf(want, i + 1)) {
        if (whole(i)) { at = i; break; }
      }
    }
    if (at < 0)
      return false;
    const start = pointAt(all, at, false);
    const end = pointAt(all, at + want.length, true);
    const found = document.createRange();
    found.setStart(start[0], start[1]);
    found.setEnd(end[0], end[1]);
    if (E.clearControl)
      E.clearControl();
    const sel = document.getSelection();
    sel.removeAllRanges();
    sel.addRange(found);
    const box = start[0].parentElement;
    if (box && E.offscreen)
      E.offscreen.reveal(box);
    else if (box && box.scrollIntoView)
      box.scrollIntoView({ block: 'nearest' });
    return true;
  };
  E.handlers.find = E.find;
})(Corvane);

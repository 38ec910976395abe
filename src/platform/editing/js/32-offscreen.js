// Layout and paint of blocks the user cannot see are most of what a key and a
// load cost on a large page. Off-screen blocks skip both (content-visibility:
// auto) through a constructed style sheet the document adopts, so nothing of
// it reaches the page's HTML. Where the rule goes follows the page's shape:
// the children of any element that has many block children (the body, or a
// wrapper div around everything), found level by level through the elements
// that hold a large part of the page. A block is left out when skipping would
// change how it looks: it holds or follows a float, holds a positioned
// element, or its content overflows its box (containment would clip it).


(function (E) {
  'use strict';
  const MANY = 24; // block children that make a level worth skipping
  const MAX_DEPTH = 6;
  const FLOATS_REACH = 2; // blocks after a float that may wrap around it
  const BLOCKS = 'p,h1,h2,h3,h4,h5,h6,ul,ol,dl,table,pre,blockquote,div,section,article,' +
      'aside,nav,header,footer,main,address,figure,center,form,fieldset,details,menu,dir,' +
      'listing,xmp';
  const GUESS = { P: 60, PRE: 400, TABLE: 200, UL: 120, OL: 120, DL: 120 }; // px, until seen
  const OTHER_GUESS = 120;

  const early = Object.prototype.hasOwnProperty.call(window, '__corvaneEarlySkip')
      ? window.__corvaneEarlySkip : null;
  const sheet = early || new CSSStyleSheet();
  if (!early)
    document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]);

  const S = E.offscreen = {
    containers: [],
    exempt: new Set(),
    heights: {},
    enabled: true,
  };
  let containerSet = new Set();
  let planTimer = null;
  let checkTimer = null;

  function pathOf(el) {
    const steps = [];
    for (let e = el; e && e !== document.body; e = e.parentElement) {
      let i = 1;
      for (let s = e.previousElementSibling; s; s = s.previousElementSibling)
        ++i;
      steps.unshift(':nth-child(' + i + ')');
    }
    return ['body'].concat(steps).join(' > ');
  }

  function countBlocks(el) {
    let n = 0;
    for (let k = el.firstElementChild; k; k = k.nextElementSibling) {
      if (k.matches(BLOCKS) && !k.hasAttribute(E.uiAttribute))
        ++n;
    }
    return n;
  }

  // Elements whose children are worth skipping, outermost first.
  function chooseContainers(root, total, depth, out) {
    if (countBlocks(root) >= MANY)
      out.push(root);
    if (depth >= MAX_DEPTH)
      return;
    for (let k = root.firstElementChild; k; k = k.nextElementSibling) {
      if (k.childElementCount === 0 || k.hasAttribute(E.uiAttribute))
        continue;
      const weight = k.getElementsByTagName('*').length;
      if (weight >= MANY && weight * 8 >= total)
        chooseContainers(k, total, depth + 1, out);
    }
  }

  // The skipped block (a child of a container) that holds el, if any.
  function unitOf(el) {
    for (let e = el; e && e !== document.body; e = e.parentElement) {
      if (e.parentElement && containerSet.has(e.parentElement))
        return e;
    }
    return null;
  }

  function exemptAround(el, reach) {
    let unit = unitOf(el);
    for (let i = 0; unit && i <= reach; ++i, unit = unit.nextElementSibling)
      S.exempt.add(unit);
  }

  function floats(value) {
    return value === 'left' || value === 'right';
  }
  function positioned(value) {
    return value === 'absolute' || value === 'fixed' || value === 'sticky';
  }

  // Floats and positioned elements the page's markup and style sheets make.
  function exemptLayoutChanges() {
    const aligned = document.body.querySelectorAll(
        'img[align],table[align],iframe[align],object[align],embed[align],applet[align],' +
        'input[align],[style*="float" i],[style*="position" i]');
    for (const el of aligned) {
      const align = (el.getAttribute('align') || '').toLowerCase();
      if (floats(align) || floats(el.style.cssFloat))
        exemptAround(el, FLOATS_REACH);
      else if (positioned(el.style.position))
        exemptAround(el, 0);
    }
    let budget = 4000;
    const walk = function (rules) {
      for (const rule of rules) {
        if (--budget < 0)
          return;
        if (rule.cssRules && !rule.selectorText) {
          walk(rule.cssRules);
          continue;
        }
        if (!rule.style || !rule.selectorText)
          continue;
        const isFloat = floats(rule.style.cssFloat);
        if (!isFloat && !positioned(rule.style.position))
          continue;
        try {
          for (const el of document.body.querySelectorAll(rule.selectorText))
            exemptAround(el, isFloat ? FLOATS_REACH : 0);
        } catch (e) {
          // a selector this browser cannot match matches nothing here
        }
      }
    };
    for (const s of document.styleSheets) {
      try {
        walk(s.cssRules);
      } catch (e) {
        // a style sheet from elsewhere keeps its rules to itself
      }
    }
  }

  function writeSheet() {
    if (!S.enabled || S.containers.length === 0) {
      sheet.replaceSync('');
      return;
    }
    const rules = [];
    const kept = [];
    for (const c of S.containers) {
      const path = pathOf(c);
      rules.push(path + ' > :is(' + BLOCKS + ') { content-visibility: auto;' +
                 ' contain-intrinsic-size: auto ' + OTHER_GUESS + 'px; }');
      for (const tag in GUESS) {
        const h = S.heights[tag] || GUESS[tag];
        rules.push(path + ' > ' + tag.toLowerCase() +
                   ' { contain-intrinsic-size: auto ' + Math.max(16, Math.round(h)) + 'px; }');
      }
      if (containerSet.has(c.parentElement))
        kept.push(path);
    }
    for (const el of S.exempt) {
      if (el.isConnected && el.parentElement && containerSet.has(el.parentElement))
        kept.push(pathOf(el));
    }
    if (kept.length)
      rules.push(kept.join(',\n') + ' { content-visibility: visible; }');
    sheet.replaceSync(rules.join('\n'));
  }

  // Chooses where to skip, from the page as it is now.
  S.plan = function () {
    if (planTimer)
      planTimer.cancel();
    planTimer = null;
    const body = document.body;
    const found = [];
    if (body)
      chooseContainers(body, body.getElementsByTagName('*').length, 0, found);
    S.containers = found;
    containerSet = new Set(found);
    const old = S.exempt;
    S.exempt = new Set();
    for (const el of old) {
      if (el.isConnected && unitOf(el) === el)
        S.exempt.add(el);
    }
    if (body && found.length)
      exemptLayoutChanges();
    writeSheet();
    afterFrames(S.check);
  };

  // Blocks drawn now: those on screen and a screen's height around it.
  function drawnUnits() {
    const out = [];
    const low = -window.innerHeight, high = 2 * window.innerHeight;
    for (const c of S.containers) {
      const kids = c.children;
      let lo = 0, hi = kids.length;
      while (lo < hi) { // the first child whose bottom is below `low`
        const mid = (lo + hi) >> 1;
        if (kids[mid].getBoundingClientRect().bottom < low)
          lo = mid + 1;
        else
          hi = mid;
      }
      for (let i = lo; i < kids.length; ++i) {
        const r = kids[i].getBoundingClientRect();
        if (r.top > high)
          break;
        out.push(kids[i]);
      }
    }
    return out;
  }

  // What skipping hides only shows once a block is drawn: content wider than
  // its box, and the real heights, which make better guesses for the rest.
  S.check = function () {
    if (checkTimer)
      checkTimer.cancel();
    checkTimer = null;
    if (!S.containers.length)
      return;
    let changed = false;
    const sums = {};
    for (const el of drawnUnits()) {
      if (S.exempt.has(el) || containerSet.has(el))
        continue;
      if (el.scrollWidth > el.clientWidth + 1 || el.scrollHeight > el.clientHeight + 1) {
        S.exempt.add(el);
        changed = true;
        continue;
      }
      const s = sums[el.tagName] || (sums[el.tagName] = { n: 0, h: 0 });
      s.n++;
      s.h += el.offsetHeight;
    }
    for (const tag in GUESS) {
      const s = sums[tag];
      if (s && s.n >= 3 && !S.heights[tag]) {
        S.heights[tag] = s.h / s.n;
        changed = true;
      }
    }
    if (changed)
      writeSheet();
  };

  // Blocks coming on screen are drawn in the frame after the one that finds
  // them there.
  function afterFrames(work) {
    requestAnimationFrame(function () { requestAnimationFrame(work); });
  }

  // Scrolling to an element beyond blocks not yet drawn goes by their
  // guessed heights; once the blocks on the way are drawn at their real
  // ones, the element stands elsewhere. It is brought back into view for a
  // few frames, until it holds still.
  S.reveal = function (el) {
    const until = performance.now() + 400;
    const again = function () {
      if (!el.isConnected)
        return;
      const r = el.getBoundingClientRect();
      if (r.bottom <= 0 || r.top >= window.innerHeight)
        el.scrollIntoView({ block: 'nearest' });
      if (performance.now() < until)
        afterFrames(again);
    };
    again();
  };

  function scheduleCheck(ms) {
    if (checkTimer)
      checkTimer.cancel();
    checkTimer = E.later(S.check, ms);
  }
  function schedulePlan() {
    if (planTimer)
      planTimer.cancel();
    planTimer = E.later(S.plan, 400);
  }

  // The block holding el is drawn as the page is from now on: positioning
  // measures an element against the box it will really stand in.
  S.release = function (el) {
    const unit = unitOf(el);
    if (unit && !S.exempt.has(unit)) {
      S.exempt.add(unit);
      writeSheet();
    }
  };

  // Printing and anything else that wants the whole page drawn.
  S.setEnabled = function (on) {
    S.enabled = !!on;
    writeSheet();
  };

  // The engine's own marks come and go with the selection; they change
  // nothing of the page's shape.
  function pageElement(node) {
    return document.body && document.body.contains(node) && !node.closest('[' + E.uiAttribute + ']');
  }

  new MutationObserver(function (records) {
    for (const r of records) {
      const shape = r.type === 'childList'
          ? containerSet.has(r.target) || r.target === document.body
          : pageElement(r.target);
      if (shape) {
        schedulePlan();
        return;
      }
    }
  }).observe(document, { subtree: true, childList: true, attributes: true,
                         attributeFilter: ['style', 'align', 'class'] });
  // Ctrl+End finds the end of a skipped block at its start: the last block
  // of every level is drawn before the browser moves there.
  document.addEventListener('keydown', function (e) {
    if (e.key !== 'End' || !(e.ctrlKey || e.metaKey) || !S.enabled)
      return;
    let changed = false;
    for (const c of S.containers) {
      const last = c.lastElementChild;
      if (last && !S.exempt.has(last) && !containerSet.has(last)) {
        S.exempt.add(last);
        changed = true;
      }
    }
    if (changed)
      writeSheet();
  }, true);
  window.addEventListener('scroll', function () { scheduleCheck(150); }, true);
  window.addEventListener('resize', function () { scheduleCheck(150); });

  E.handlers.setSkipping = function (args) {
    S.setEnabled(args.on);
    return null;
  };

  S.plan();
})(Corvane);

// Runs Web Platform Tests editing cases (data/wpt-editing, format in its
// editing/data/README) in one page, all in one go. Evaluated in the engine's
// world (host: the body, commands through the engine's own exec and insert
// paths) or in a plain editable page (host: a contenteditable div, the
// browser's execCommand). Defines WptRunner; WptRunner.run(cases, mode)
// gives the counts and the cases that missed.
var WptRunner = (function () {
  'use strict';

  // The engine's command IDs for the browser's command names.
  const COMMANDS = {
    bold: 5000, italic: 5023, underline: 5048, insertorderedlist: 5030,
    insertunorderedlist: 5051, indent: 5018, outdent: 5031, justifyleft: 5025,
    justifycenter: 5024, justifyright: 5026, createlink: 5016, forwarddelete: 5004,
    selectall: 5035, fontname: 5044, fontsize: 5045, forecolor: 5046, formatblock: 5043,
  };
  const BLOCK_FORMATS = {
    div: 'Normal', pre: 'Formatted', address: 'Address', h1: 'Heading 1', h2: 'Heading 2',
    h3: 'Heading 3', h4: 'Heading 4', h5: 'Heading 5', h6: 'Heading 6', dt: 'Definition Term',
    dd: 'Definition', p: 'Paragraph',
  };
  // Typed on the keyboard: the browser's own editing, under the engine's
  // listeners.
  const KEYS = { inserttext: true, insertparagraph: true, insertlinebreak: true };

  // How the engine runs one [command, value], or null when it offers no way
  // to. Settings the engine always has are nothing to run ('skip').
  function engineStep(command, value) {
    const name = command.toLowerCase();
    if (name === 'stylewithcss')
      return value === 'false' ? 'skip' : null;
    if (name === 'defaultparagraphseparator')
      return value === 'div' ? 'skip' : null;
    if (KEYS[name])
      return { key: name, value: value };
    if (name === 'delete')
      return { deleteKey: true };
    if (name === 'inserthtml')
      return { paste: value };
    if (name === 'inserthorizontalrule')
      return { paste: '<hr>' };
    if (name === 'insertimage')
      return /["<>&]/.test(value) ? null : { paste: '<img src="' + value + '">' };
    const cmd = COMMANDS[name];
    if (!cmd)
      return null;
    let input = null;
    if (name === 'formatblock') {
      const tag = value.replace(/^<|>$/g, '').toLowerCase();
      if (!BLOCK_FORMATS[tag])
        return null;
      input = BLOCK_FORMATS[tag];
    } else if (name === 'fontsize') {
      if (!/^[1-7]$/.test(value))
        return null;
      input = Number(value);
    } else if (name === 'createlink' || name === 'fontname' || name === 'forecolor') {
      input = value;
    }
    return { cmd: cmd, input: input };
  }

  // The case's steps for the engine, or null when it has a command the
  // engine does not offer (or nothing but settings).
  function planFor(commands) {
    const plan = [];
    for (const c of commands) {
      const step = engineStep(c[0], c[1]);
      if (step === null)
        return null;
      if (step !== 'skip')
        plan.push(step);
    }
    return plan.length ? plan : null;
  }

  function indexOf(node) {
    return Array.prototype.indexOf.call(node.parentNode.childNodes, node);
  }

  // Fills the host and puts the selection where the markers say.
  function place(host, html) {
    host.innerHTML = html;
    let start = null, end = null;
    for (const el of Array.from(host.querySelectorAll('[data-start],[data-end]'))) {
      if (el.hasAttribute('data-start'))
        start = [el, Number(el.getAttribute('data-start'))];
      if (el.hasAttribute('data-end'))
        end = [el, Number(el.getAttribute('data-end'))];
      el.removeAttribute('data-start');
      el.removeAttribute('data-end');
    }
    const texts = [];
    const walker = document.createTreeWalker(host, NodeFilter.SHOW_TEXT);
    for (let n = walker.nextNode(); n; n = walker.nextNode())
      texts.push(n);
    // Offsets count in the text without its markers: a brace at either end
    // of it stands between nodes, before or after the text.
    for (const t of texts) {
      const marks = [];
      let i;
      while ((i = t.data.search(/[[\]{}]/)) >= 0) {
        marks.push([t.data[i], i]);
        t.deleteData(i, 1);
      }
      for (const m of marks) {
        const ch = m[0], at = m[1];
        let point;
        if (ch === '[' || ch === ']' || (at > 0 && at < t.length))
          point = [t, at];
        else
          point = [t.parentNode, indexOf(t) + (at === 0 && t.length ? 0 : 1)];
        if (ch === '[' || ch === '{')
          start = point;
        else
          end = point;
      }
    }
    for (const t of texts) {
      if (!t.parentNode || t.length)
        continue;
      const parent = t.parentNode, at = indexOf(t);
      for (const p of [start, end]) {
        if (p && p[0] === t) {
          p[0] = parent;
          p[1] = at;
        } else if (p && p[0] === parent && p[1] > at) {
          p[1]--;
        }
      }
      t.remove();
    }
    start = start || end;
    end = end || start;
    // One selection change: each costs the engine a status refresh.
    const sel = document.getSelection();
    if (start)
      sel.setBaseAndExtent(start[0], start[1], end[0], end[1]);
    else
      sel.removeAllRanges();
  }

  // HTML as compared: the markers out, style attributes written one way.
  function normalize(html, isExpected) {
    if (isExpected)
      html = html.replace(/[[\]{}]/g, '').replace(/ data-(start|end)=\S+?(?=[ >])/g, '');
    const t = document.createElement('template');
    t.innerHTML = html;
    for (const el of Array.from(t.content.querySelectorAll('[data-corvane-ui]')))
      el.remove();
    for (const el of Array.from(t.content.querySelectorAll('[style]'))) {
      el.setAttribute('style', el.getAttribute('style').replace(/\s*([:;,])\s*/g, '$1')
        .replace(/;$/, '').trim());
    }
    return t.innerHTML;
  }

  function errorsOf(host) {
    return typeof Corvane !== 'undefined' && Corvane.contentModelErrors
      ? Corvane.contentModelErrors(host).map(function (e) { return e.text; }) : [];
  }

  const INPUT_TYPES = { inserttext: 'insertText', insertparagraph: 'insertParagraph',
                        insertlinebreak: 'insertLineBreak', 'delete': 'deleteContentBackward' };

  // Runs one step; false when the engine has it disabled there (the menus
  // and the toolbar would not run it).
  function runEngineStep(step) {
    const E = Corvane;
    if (step.key || (step.deleteKey && document.getSelection().isCollapsed)) {
      // What the key does: the engine's listeners see its beforeinput (and
      // may take it over), then the browser edits as it does for the key.
      const name = step.key || 'delete';
      const value = step.value === undefined ? '' : step.value;
      const sel = document.getSelection();
      const at = sel.rangeCount ? sel.getRangeAt(0).startContainer : document.body;
      const target = at.nodeType === Node.ELEMENT_NODE ? at : at.parentElement;
      const before = new InputEvent('beforeinput', { inputType: INPUT_TYPES[name],
        data: name === 'inserttext' ? value : null, bubbles: true, cancelable: true });
      if ((target || document.body).dispatchEvent(before))
        document.execCommand(name, false, value);
      return true;
    }
    if (step.paste !== undefined) {
      const range = E.dom.createRange();
      E.dom.rangePasteHTML({ handle: range.handle, html: step.paste });
      return true;
    }
    const cmd = step.deleteKey ? 5004 : step.cmd;
    if (E.commands[cmd].status() <= 2)
      return false;
    try {
      E.handlers.exec({ cmd: cmd, option: 2, input: step.deleteKey ? null : step.input });
    } catch (e) {
      // A refusal leaves the page as it was.
      if (!e.code)
        throw e;
    }
    return true;
  }

  // The cases move the selection thousands of times in one go; the engine
  // would answer each move with a status refresh for the host, one after
  // another long after the cases ran. Those moves are the harness's, not
  // the user's: they are held from the engine until the host says the run
  // is over (WptRunner.release()).
  let holding = false;
  let listening = false;
  function holdSelectionEvents() {
    holding = true;
    if (listening)
      return;
    listening = true;
    window.addEventListener('selectionchange', function (e) {
      if (holding)
        e.stopImmediatePropagation();
    }, true);
  }

  // mode: 'engine' (host: the body) or 'browser' (host: div[contenteditable]).
  // Cases the engine had a command disabled in (`excluded`, from its run)
  // are counted apart: the program would not have run them.
  function run(cases, mode, excluded) {
    if (mode === 'engine')
      holdSelectionEvents();
    const host = mode === 'engine' ? document.body : document.querySelector('[contenteditable]');
    const skip = new Set(excluded || []);
    const result = { cases: 0, matched: 0, matchedIndices: [], startInvalid: 0, violations: [],
                     misses: [], skipped: 0, disabled: [], thrown: 0 };
    for (let i = 0; i < cases.length; ++i) {
      const c = cases[i];
      const plan = planFor(c[1]);
      if (!plan) {
        ++result.skipped;
        continue;
      }
      if (skip.has(i))
        continue;
      let got;
      let before = [];
      let ran = true;
      try {
        place(host, c[0]);
        before = errorsOf(host);
        if (mode === 'engine') {
          for (const step of plan)
            ran = runEngineStep(step) && ran;
        } else {
          for (const command of c[1])
            document.execCommand(command[0], false, command[1]);
        }
        got = normalize(host.innerHTML, false);
      } catch (e) {
        ++result.thrown;
        got = 'threw ' + e;
      }
      if (!ran) {
        result.disabled.push(i);
        continue;
      }
      ++result.cases;
      const expected = Array.isArray(c[2]) ? c[2] : [c[2]];
      if (expected.some(function (x) { return typeof x === 'string' && normalize(x, true) === got; })) {
        ++result.matched;
        result.matchedIndices.push(i);
      } else if (result.misses.length < 400) {
        result.misses.push({ index: i, initial: c[0], commands: c[1], expected: c[2], got: got });
      }
      if (before.length) {
        ++result.startInvalid;
      } else {
        const after = errorsOf(host);
        if (after.length) {
          result.violations.push({ index: i, initial: c[0], commands: c[1], got: host.innerHTML,
                                   errors: after });
        }
      }
    }
    host.innerHTML = '';
    return result;
  }

  return { run: run, planFor: planFor, release: function () { holding = false; } };
})();

// Font name, size and colour of the selection: set through the browser's
// font commands (which write font tags), read from the text's computed style.


(function (E) {
  'use strict';
  // Pixel sizes of the seven HTML font sizes.
  const SIZES = [10, 13, 16, 18, 24, 32, 48];

  E.htmlFontSize = function (px) {
    let best = 1;
    for (let i = 0; i < SIZES.length; ++i) {
      if (Math.abs(SIZES[i] - px) < Math.abs(SIZES[best - 1] - px))
        best = i + 1;
    }
    return best;
  };

  function fontName(el) {
    const family = getComputedStyle(el).fontFamily.split(',')[0] || '';
    return family.trim().replace(/^["']|["']$/g, '');
  }
  function fontSize(el) {
    return E.htmlFontSize(parseFloat(getComputedStyle(el).fontSize));
  }
  function color(el) {
    const m = /rgba?\((\d+),\s*(\d+),\s*(\d+)/.exec(getComputedStyle(el).color);
    if (!m)
      return '';
    return '#' + [m[1], m[2], m[3]].map(function (c) {
      return ('0' + Number(c).toString(16)).slice(-2);
    }).join('').toUpperCase();
  }
  E.probes.fontName = fontName;
  E.probes.fontSize = fontSize;
  E.probes.color = color;

  // A caret reads the browser's pending typing style, which a font command
  // at a caret sets without touching the text.
  function across(probe, queryName) {
    const result = E.acrossSelection(probe);
    if (result && result.caret && queryName) {
      const v = document.queryCommandValue(queryName);
      if (v)
        result.value = queryName === 'fontSize' ? parseInt(v, 10) || result.value
                                                : v.split(',')[0].trim().replace(/^["']|["']$/g, '');
    }
    return result;
  }

  function getter(probe, queryName) {
    return {
      exec: function () {
        const r = across(probe, queryName);
        return r && !r.mixed ? r.value : null;
      },
      status: function () {
        if (!E.editable())
          return E.DISABLED;
        return across(probe, queryName).mixed ? E.MIXED : E.ENABLED;
      },
      value: function () {
        const r = across(probe, queryName);
        return r && !r.mixed ? r.value : (queryName === 'fontSize' ? 0 : '');
      },
    };
  }
  E.commands[5013] = getter(fontName, 'fontName');
  E.commands[5014] = getter(fontSize, 'fontSize');

  function editableStatus() {
    return E.editable() ? E.ENABLED : E.DISABLED;
  }

  E.setFontName = function (name) {
    if (typeof name !== 'string' || !name.trim())
      E.fail(E.INVALIDARG, 'a font name is required');
    document.execCommand('fontName', false, name.trim());
  };
  E.setFontSize = function (size) {
    const n = Number(size);
    if (!Number.isInteger(n) || n < 1 || n > 7)
      E.fail(E.INVALIDARG, 'font sizes run from 1 to 7');
    document.execCommand('fontSize', false, String(n));
  };
  E.setColor = function (text) {
    if (typeof text !== 'string' || !text.trim() || !CSS.supports('color', text.trim()))
      E.fail(E.INVALIDARG, 'not a colour: ' + text);
    document.execCommand('foreColor', false, text.trim());
  };

  E.commands[5044] = { exec: function (o, input) { E.setFontName(input); }, status: editableStatus };
  E.commands[5045] = { exec: function (o, input) { E.setFontSize(input); }, status: editableStatus };
  E.commands[5046] = { exec: function (o, input) { E.setColor(input); }, status: editableStatus };

  function triState(id) {
    const s = E.commands[id].status();
    return s === E.MIXED ? 2 : (s === E.LATCHED ? 1 : 0);
  }

  // The Font dialog: what the selection has now, and all its choices applied
  // as one step. A choice left out (or null) keeps what the text has.
  E.commands[5009] = {
    exec: function (option, input) {
      const c = input || {};
      if (c.name)
        E.setFontName(c.name);
      if (c.size)
        E.setFontSize(c.size);
      if (c.color)
        E.setColor(c.color);
      const toggles = [[5000, 'bold'], [5023, 'italic'], [5048, 'underline']];
      for (const [id, key] of toggles) {
        if (typeof c[key] !== 'boolean')
          continue;
        if ((E.commands[id].status() === E.LATCHED) !== c[key])
          E.commands[id].exec();
        // A mixed selection needs a second toggle to end up all one way.
        if ((E.commands[id].status() === E.LATCHED) !== c[key])
          E.commands[id].exec();
      }
    },
    status: editableStatus,
  };
  E.handlers.fontInfo = function () {
    {
      if (!E.editable())
        return null;
      const name = across(fontName, 'fontName');
      const size = across(fontSize, 'fontSize');
      const col = E.acrossSelection(color);
      return {
        name: name.mixed ? '' : name.value,
        size: size.mixed ? 0 : size.value,
        color: col.mixed ? '' : col.value,
        bold: triState(5000),
        italic: triState(5023),
        underline: triState(5048),
      };
    }
  };

})(Corvane);

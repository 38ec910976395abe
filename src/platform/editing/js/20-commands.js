// The command set: each command ID maps to what it does at the selection and
// how its status is read. Commands backed by the browser's own editing
// commands share one shape.


(function (E) {
  'use strict';
  const DISABLED = 1, ENABLED = 3, LATCHED = 7;

  function browserCommand(name, latching) {
    return {
      exec: function (option, input) {
        document.execCommand(name, false, input === undefined ? null : input);
        return null;
      },
      status: function () {
        if (!document.queryCommandEnabled(name))
          return DISABLED;
        if (latching && document.queryCommandState(name))
          return LATCHED;
        return ENABLED;
      },
    };
  }

  const simple = {
    5000: ['bold', true],
    5023: ['italic', true],
    5048: ['underline', true],
    5030: ['insertOrderedList', true],
    5051: ['insertUnorderedList', true],
    5018: ['indent', false],
    5031: ['outdent', false],
    5025: ['justifyLeft', true],
    5024: ['justifyCenter', true],
    5026: ['justifyRight', true],
    5049: ['undo', false],
    5033: ['redo', false],
    5003: ['cut', false],
    5002: ['copy', false],
    5032: ['paste', false],
    5035: ['selectAll', false],
    5004: ['delete', false],
    5046: ['foreColor', false],
    5044: ['fontName', false],
    5045: ['fontSize', false],
  };
  for (const id in simple)
    E.commands[id] = browserCommand(simple[id][0], simple[id][1]);

  E.handlers.exec = function (args) {
    const command = E.commands[args.cmd];
    if (!command)
      E.fail(E.NOTIMPL, 'command ' + args.cmd + ' is not supported');
    const input = args.input === null ? undefined : args.input;
    const value = command.exec(args.option, input);
    return { value: value === undefined ? null : value, snapshot: E.snapshot(false) };
  };

  E.handlers.snapshot = function () {
    return E.snapshot(false);
  };
})(Corvane);

// The editing engine's core: shared state, errors and the display-change
// notification. Runs in an isolated world of the page; the page's own scripts
// never run and cannot see any of this.


var Corvane = (function () {
  'use strict';
  const E = {
    bridge: null,
    // method name -> function(args) returning a JSON value
    handlers: {},
    // command ID -> { exec(option, input), status(), value() }
    commands: {},
    contentChanged: false,
    notifyPending: false,
    // Elements and attributes the engine adds for editing carry this marker
    // and are removed from every serialisation.
    uiAttribute: 'data-corvane-ui',
    // Set while the engine itself changes the page in ways that are not edits.
    quiet: 0,
  };

  E.NOTIMPL = 0x80004001;
  E.UNEXPECTED = 0x8000FFFF;
  E.INVALIDARG = 0x80070057;

  E.fail = function (code, message) {
    const error = new Error(message);
    error.code = code;
    throw error;
  };

  E.selectionType = function () {
    const sel = document.getSelection();
    if (E.controlSelection && E.controlSelection())
      return 'Control';
    if (!sel || sel.rangeCount === 0 || sel.isCollapsed)
      return 'None';
    return 'Text';
  };

  // Status of every command and the values the toolbar shows: the status
  // refresh reads all of it from one message.
  E.snapshot = function (consume) {
    const status = {};
    const values = {};
    for (const id in E.commands) {
      const command = E.commands[id];
      try {
        status[id] = command.status ? command.status() : 3;
      } catch (e) {
        status[id] = 0;
      }
      if (command.value) {
        try {
          values[id] = command.value();
        } catch (e) {
          // no value at this selection
        }
      }
    }
    const snap = {
      status: status,
      values: values,
      selectionType: E.selectionType(),
      contentChanged: E.contentChanged,
    };
    if (consume)
      E.contentChanged = false;
    return snap;
  };

  // Timers never fire in this world: the browser holds the timers of a page
  // whose scripts are off, ours included. Delays are counted in frames
  // instead. A page that is not shown draws no frames, and what waits here
  // is drawing, which can wait until it is shown.
  E.later = function (fn, ms) {
    const due = performance.now() + (ms || 0);
    let cancelled = false;
    const tick = function () {
      if (cancelled)
        return;
      if (performance.now() >= due)
        fn();
      else
        requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
    return { cancel: function () { cancelled = true; } };
  };

  // Coalesces everything that happens in one task into one notification.
  E.scheduleDisplayChanged = function () {
    if (E.notifyPending)
      return;
    E.notifyPending = true;
    Promise.resolve().then(function () {
      E.notifyPending = false;
      if (!E.bridge)
        return;
      const snap = E.snapshot(true);
      if (E.noticeExtras)
        E.noticeExtras(snap);
      E.bridge.notify('DisplayChanged', snap);
    });
  };

  return E;
})();

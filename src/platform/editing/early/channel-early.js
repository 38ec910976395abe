// Runs as the document is created: the channel to the host is opened while
// the page is still being read, so that its handshake (a round trip through
// the host, a tenth of a second when the page keeps the browser busy) is
// over when the engine starts. The engine asks for it through
// __corvaneChannel(callback), an own property of the window the page's
// named elements cannot shadow.
if (!Object.prototype.hasOwnProperty.call(window, '__corvaneChannel')) {
  let opened = null;
  const waiting = [];
  Object.defineProperty(window, '__corvaneChannel', {
    value: function (callback) {
      if (opened)
        callback(opened);
      else
        waiting.push(callback);
    },
  });
  new QWebChannel(qt.webChannelTransport, function (channel) {
    opened = channel;
    for (const callback of waiting.splice(0))
      callback(channel);
  });
}

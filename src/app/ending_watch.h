#pragma once

// What ends the program without asking the user: a termination signal
// (SIGTERM when the desktop session ends, SIGHUP when its terminal goes,
// SIGINT) or the loss of the display (the X server gone: Qt's platform plugin
// then calls exit()). Either way the last words run first: the unsaved page
// is written where the next start finds it.
//
// The signals are only noted by their handler (a byte down a pipe). The
// program then goes on for a moment, so that keys already typed reach the
// page: a round trip to the X server brings in every event it sent before
// the signal, the event loop hands them on, and `settling` says when none is
// still on its way into the page (at most three seconds in all). The last
// words then run from the event loop, and the program ends by the signal as
// it would have. A second signal ends it at once. When the display goes, the
// last words run as Qt's X plugin says so, just before it calls exit(); at
// any other exit() nobody asked for, from the exit handlers. Neither may ask
// the page any more.

#include <QElapsedTimer>
#include <QObject>

#include <functional>

class QSocketNotifier;

class EndingWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxGraceMs = 3000;

    // lastWords(fromEventLoop): fromEventLoop is false inside exit().
    // settling: whether input is still on its way to the page.
    explicit EndingWatch(std::function<void(bool fromEventLoop)> lastWords,
                         std::function<bool()> settling = {}, QObject *parent = nullptr);
    // The program ends as the user asked: the signals get their default
    // handling back, and exit() says nothing more.
    ~EndingWatch() override;

    // The X connection broke: the last words now, once, without the page.
    static void displayLost();

private:
    void signalled();
    void endIfSettled();
    [[noreturn]] void end();
    static void atExit();

    std::function<void(bool)> m_lastWords;
    std::function<bool()> m_settling;
    QSocketNotifier *m_notifier = nullptr;
    class QTimer *m_poll = nullptr;
    QElapsedTimer m_since;
    int m_signal = 0;
    // The X server's answer to a request made at the signal.
    unsigned int m_syncRequest = 0;
    enum { Syncing, Synced, InputTaken } m_input = Syncing;
};

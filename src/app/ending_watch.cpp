#include "app/ending_watch.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

namespace {

constexpr int Signals[] = { SIGTERM, SIGHUP, SIGINT };
int signalPipe[2] = { -1, -1 };
EndingWatch *watching = nullptr;
xcb_connection_t *display = nullptr;
QtMessageHandler nextHandler = nullptr;

// Qt's X plugin says that the display is gone, then calls exit(). Said
// here, the last words come while everything still stands; in an exit
// handler, statics made after ours would already be destroyed.
void onMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && display && xcb_connection_has_error(display) && qApp
        && QThread::currentThread() == qApp->thread())
        EndingWatch::displayLost();
    if (nextHandler)
        nextHandler(type, context, message);
}

// All a handler may do safely: note which signal came.
void noteSignal(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

EndingWatch::EndingWatch(std::function<void(bool)> lastWords, std::function<bool()> settling,
                         QObject *parent)
    : QObject(parent), m_lastWords(std::move(lastWords)), m_settling(std::move(settling)),
      m_poll(new QTimer(this))
{
    m_poll->setInterval(50);
    connect(m_poll, &QTimer::timeout, this, &EndingWatch::endIfSettled);
    static const bool registered = std::atexit(&EndingWatch::atExit) == 0;
    Q_UNUSED(registered);
    watching = this;
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        display = x11->connection();
        if (!nextHandler)
            nextHandler = qInstallMessageHandler(onMessage);
    }
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndingWatch::signalled);
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : Signals)
        ::sigaction(s, &action, nullptr);
}

EndingWatch::~EndingWatch()
{
    for (const int s : Signals)
        ::signal(s, SIG_DFL);
    if (watching == this)
        watching = nullptr;
    display = nullptr; // the connection goes with the application

}

void EndingWatch::signalled()
{
    unsigned char byte = 0;
    if (::read(signalPipe[0], &byte, 1) != 1)
        return;
    if (m_signal != 0)
        end(); // asked twice: no more waiting
    m_signal = byte;
    m_since.start();
    m_input = Syncing;
    if (display) {
        m_syncRequest = xcb_get_input_focus(display).sequence;
        xcb_flush(display);
    }
    m_poll->start();
}

void EndingWatch::endIfSettled()
{
    if (m_since.elapsed() >= MaxGraceMs)
        end();
    switch (m_input) {
    case Syncing: {
        void *reply = nullptr;
        xcb_generic_error_t *error = nullptr;
        if (!display || xcb_connection_has_error(display)
            || xcb_poll_for_reply(display, m_syncRequest, &reply, &error)) {
            std::free(reply);
            std::free(error);
            m_input = Synced; // the events before it are queued
        }
        break;
    }
    case Synced:
        m_input = InputTaken; // this pass of the event loop handed them on
        break;
    case InputTaken:
        if (!(m_settling && m_settling()))
            end();
        break;
    }
}

void EndingWatch::end()
{
    watching = nullptr; // nothing more to say at exit
    if (m_lastWords)
        m_lastWords(true);
    // Ended by the signal, as the sender expects.
    ::signal(m_signal, SIG_DFL);
    ::raise(m_signal);
    ::_exit(128 + m_signal);
}

void EndingWatch::displayLost()
{
    atExit();
}

void EndingWatch::atExit()
{
    if (EndingWatch *watch = watching) {
        watching = nullptr;
        if (watch->m_lastWords)
            watch->m_lastWords(false);
    }
}

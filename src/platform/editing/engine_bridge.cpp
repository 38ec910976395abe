#include "platform/editing/engine_bridge.h"

#include "app/editing_component.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

EngineBridge::EngineBridge(QObject *parent) : QObject(parent), m_flushTimer(new QTimer(this))
{
    // Events go out from a timer, not a queued call: a handler that waits for
    // the engine inside the dispatch of posted events can starve the
    // browser's own posted work, so neither side hears the other until the
    // wait times out (seen with undo past a source apply from the keyboard).
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(0);
    connect(m_flushTimer, &QTimer::timeout, this, &EngineBridge::flush);
}

QJsonValue EngineBridge::call(const QString &method, const QJsonValue &args, int timeoutMs)
{
    waitForKeys();
    const int id = ++m_nextId;
    m_pending.insert(id);
    emit request(id, method,
                 QString::fromUtf8(QJsonDocument(QJsonArray{args}).toJson(QJsonDocument::Compact)));
    const auto answered = [&] { return m_answers.contains(id); };
    timeoutMs = int(std::max<qint64>(timeoutMs, m_patience.remainingTime()));
    for (int waited = timeoutMs;; waited += timeoutMs) {
        try {
            waitUntil(answered, timeoutMs,
                      QStringLiteral("the editing engine's answer to %1").arg(method));
            break;
        } catch (const ComponentError &e) {
            if (e.code() == ComponentErrorCode::Timeout && askToWait(waited, answered))
                continue;
            m_pending.remove(id); // a late answer is dropped
            throw;
        } catch (...) {
            m_pending.remove(id);
            throw;
        }
    }
    m_pending.remove(id);
    const auto [ok, result] = m_answers.take(id);
    if (!ok) {
        const QJsonObject error = result.toObject();
        throw ComponentError(quint32(error.value("code").toDouble(ComponentErrorCode::Unexpected)),
                             error.value("message").toString(QStringLiteral("engine error")));
    }
    return result;
}

// The user decides: the engine may still be at work on something large.
// Nothing else asks the engine meanwhile (the bridge counts as busy), and a
// second call timing out inside the question fails at once.
bool EngineBridge::askToWait(int waitedMs, const std::function<bool()> &answered)
{
    if (!m_slowAnswerPrompt || m_asking)
        return false;
    m_asking = true;
    ++m_waiting;
    bool wait = false;
    try {
        wait = m_slowAnswerPrompt(waitedMs, answered);
    } catch (...) {
        wait = false;
    }
    --m_waiting;
    m_asking = false;
    if (m_waiting == 0 && !m_events.isEmpty())
        scheduleFlush();
    return wait || answered();
}

void EngineBridge::allowSlowAnswers(int ms)
{
    m_patience = QDeadlineTimer(ms);
}

void EngineBridge::send(const QString &method, const QJsonValue &args)
{
    emit request(++m_nextId, method,
                 QString::fromUtf8(QJsonDocument(QJsonArray{args}).toJson(QJsonDocument::Compact)));
}

QJsonValue EngineBridge::waitForReady(const QUrl &url, int timeoutMs)
{
    waitUntil([&] { return m_readyUrl == url; }, timeoutMs,
              QStringLiteral("the editing engine to load the page"));
    return m_readyInfo;
}

void EngineBridge::waitUntil(const std::function<bool()> &done, int timeoutMs, const QString &what)
{
    if (done())
        return;
    ++m_waiting;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    // Answers arrive through slots below, which quit whichever loop is waiting;
    // re-check the condition each time since loops may nest, and re-arm the
    // timer for what is left, since a timer may fire a little early.
    m_wakers.append(&loop);
    while (!done() && clock.elapsed() < timeoutMs) {
        timer.start(int(std::max<qint64>(1, timeoutMs - clock.elapsed())));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    m_wakers.removeOne(&loop);
    --m_waiting;
    if (!done())
        throw ComponentError(ComponentErrorCode::Timeout,
                             QStringLiteral("Timed out waiting for %1.").arg(what));
    if (m_waiting == 0 && !m_events.isEmpty())
        scheduleFlush();
}

void EngineBridge::respond(int id, bool ok, const QJsonValue &result)
{
    if (!m_pending.contains(id))
        return;
    m_answers.insert(id, {ok, result});
    wakeAll();
}

void EngineBridge::announce(const QJsonValue &info)
{
    m_readyUrl = QUrl(info.toObject().value("url").toString());
    m_readyInfo = info;
    // A new page's engine counts from its start; what it has not seen of the
    // keys sent before went to the page it replaced.
    m_keysSeen = m_keysShown = m_keysSent;
    m_keysBase = m_keysSent - info.toObject().value("keys").toInteger();
    wakeAll();
}

void EngineBridge::noteKeysShown(const QString &instance, qint64 count)
{
    if (instance == m_readyInfo.toObject().value("instance").toString())
        m_keysShown = std::max(m_keysShown, m_keysBase + count);
}

void EngineBridge::keysSeen(int count)
{
    m_keysSeen = std::max(m_keysSeen, m_keysBase + count);
    wakeAll();
}

void EngineBridge::waitForKeys()
{
    if (m_keysSeen >= m_keysSent)
        return;
    try {
        waitUntil([this] { return m_keysSeen >= m_keysSent; }, KeyWaitMs,
                  QStringLiteral("the editing engine to take the keys typed"));
    } catch (const ComponentError &) {
        // Keys it will never see (they went to a frame of the page, or to a
        // renderer that died): counting starts again from here.
        m_keysBase += m_keysSent - m_keysSeen;
        m_keysSeen = m_keysShown = m_keysSent;
    }
}

void EngineBridge::failPending(quint32 code, const QString &message)
{
    // The keys the lost engine did not see are gone with it.
    m_keysBase += m_keysSent - m_keysSeen;
    m_keysSeen = m_keysShown = m_keysSent;
    for (const int id : std::as_const(m_pending)) {
        if (!m_answers.contains(id))
            m_answers.insert(id, { false, QJsonObject { { "code", double(code) },
                                                        { "message", message } } });
    }
    wakeAll();
}

void EngineBridge::notify(const QString &name, const QJsonValue &payload)
{
    emit noticed(name, payload);
    postEvent(name, payload);
}

void EngineBridge::postEvent(const QString &name, const QJsonValue &payload)
{
    m_events.enqueue({name, payload});
    scheduleFlush();
}

void EngineBridge::scheduleFlush()
{
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void EngineBridge::flush()
{
    // While a call waits, or while an earlier event is still being handled,
    // events stay queued; they go out when that work is done.
    if (m_waiting > 0 || m_flushing)
        return;
    m_flushing = true;
    while (!m_events.isEmpty() && m_waiting == 0) {
        const auto [name, payload] = m_events.dequeue();
        emit engineEvent(name, payload);
    }
    m_flushing = false;
}

void EngineBridge::wakeAll()
{
    for (QEventLoop *loop : std::as_const(m_wakers))
        loop->quit();
}

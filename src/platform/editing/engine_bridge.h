#pragma once

// The one path between C++ and the editing engine running in the page.
//
// Calls: call() sends a request over the web channel and waits for the answer
// in a local event loop that takes no user input, so callers can treat the
// engine as synchronous. No answer within the timeout raises ComponentError
// instead of hanging. Arguments and results are JSON values; nothing is ever
// spliced into script text.
//
// Keys: the user's keys reach the renderer by another path than the calls, so
// a call made right after typing could overtake the keys. Each call first
// waits until the engine has seen every key handed to the page's view.
//
// Events: the engine's notifications are queued and handed on in order, always
// outside the channel's own dispatch (a call made from inside it would never
// be answered) and never while a call is waiting, so no handler re-enters
// another.

#include <QJsonValue>
#include <QDeadlineTimer>
#include <QObject>
#include <QHash>
#include <QList>
#include <QQueue>
#include <QSet>

#include <functional>

class QEventLoop;
#include <QString>
#include <QUrl>

class QTimer;

class EngineBridge : public QObject
{
    Q_OBJECT
public:
    explicit EngineBridge(QObject *parent = nullptr);

    static constexpr int DefaultTimeoutMs = 10000;
    // How long a call waits for keys the engine has not seen; a key that
    // never reaches it (the focus in a frame of the page) is given up on.
    static constexpr int KeyWaitMs = 2000;

    // Throws ComponentError with the engine's code, or Timeout.
    QJsonValue call(const QString &method, const QJsonValue &args = {},
                    int timeoutMs = DefaultTimeoutMs);
    // Waits until the engine announces itself from a page whose URL is url.
    // Returns the announcement's payload; throws ComponentError on timeout.
    QJsonValue waitForReady(const QUrl &url, int timeoutMs);
    // A request whose answer nobody waits for: work the engine does in its
    // own time, in order with the calls after it.
    void send(const QString &method, const QJsonValue &args = {});
    // Adds an event of our own to the same ordered queue as the engine's.
    void postEvent(const QString &name, const QJsonValue &payload = {});
    // Calls made within `ms` from now wait at least that long before they
    // count as unanswered: the engine has large work the user asked for.
    void allowSlowAnswers(int ms);
    // Asked when a call has waited its time, with the time waited so far and
    // whether the answer has come meanwhile: true waits as long again, false
    // (or no prompt) fails the call with Timeout.
    using SlowAnswerPrompt = std::function<bool(int waitedMs, const std::function<bool()> &answered)>;
    void setSlowAnswerPrompt(SlowAnswerPrompt prompt) { m_slowAnswerPrompt = std::move(prompt); }
    // Answers every call still waiting with this error (the engine is gone).
    void failPending(quint32 code, const QString &message);
    bool busy() const { return m_waiting > 0; }
    // A key was handed to the page's view.
    void noteKeySent() { ++m_keysSent; }
    // A notice from the page with this instance said it has taken `count`
    // keys; what they did came with that notice or before it.
    void noteKeysShown(const QString &instance, qint64 count);
    // Keys handed to the view that no notice has yet shown taken.
    bool keysUnshown() const { return m_keysShown < m_keysSent; }
    // What the engine said when it last started in a document: its URL and
    // instance. A document that replaced the loaded one announces too.
    QJsonValue lastAnnouncement() const { return m_readyInfo; }

signals:
    // To the engine. The arguments travel as JSON text: the channel does not
    // carry a QJsonValue signal argument intact.
    void request(int id, const QString &method, const QString &argsJson);
    // To C++: an engine notification, in order, outside any call.
    void engineEvent(const QString &name, const QJsonValue &payload);
    // The same notification at once, as it arrives, even while a call
    // waits: for receivers that only take note and never call the engine.
    void noticed(const QString &name, const QJsonValue &payload);

public slots:
    // Called by the engine.
    void respond(int id, bool ok, const QJsonValue &result);
    void announce(const QJsonValue &info);
    void notify(const QString &name, const QJsonValue &payload);
    // How many keys the engine of the announced page has seen.
    void keysSeen(int count);

private:
    void scheduleFlush();
    void flush();
    void waitUntil(const std::function<bool()> &done, int timeoutMs, const QString &what);
    void wakeAll();
    void waitForKeys();
    bool askToWait(int waitedMs, const std::function<bool()> &answered);

    int m_nextId = 0;
    int m_waiting = 0;
    bool m_flushing = false;
    QTimer *m_flushTimer = nullptr;
    QHash<int, std::pair<bool, QJsonValue>> m_answers;
    QSet<int> m_pending;
    QUrl m_readyUrl;
    QJsonValue m_readyInfo;
    QQueue<std::pair<QString, QJsonValue>> m_events;
    QList<QEventLoop *> m_wakers;
    // Keys handed to the view, and those the engine has seen, counted as the
    // engine's own count plus m_keysBase.
    qint64 m_keysSent = 0;
    qint64 m_keysSeen = 0;
    qint64 m_keysBase = 0;
    qint64 m_keysShown = 0;
    SlowAnswerPrompt m_slowAnswerPrompt;
    QDeadlineTimer m_patience;
    bool m_asking = false;
};

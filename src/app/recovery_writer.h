#pragma once

// Writes the recovery file on a thread of its own, so that a large page costs
// the window nothing: the copy is put together and written there, one write
// at a time, and only the newest copy waiting is written. After each write
// the thread rests as long as the write took.

#include "app/recovery.h"

#include <QObject>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

class RecoveryWriter : public QObject
{
    Q_OBJECT
public:
    explicit RecoveryWriter(QObject *parent = nullptr);
    // A copy still waiting is dropped; one being written is finished.
    ~RecoveryWriter() override;

    // Written on the writer's thread; a copy waiting is replaced.
    void post(RecoveryCopy copy);
    // Written on the calling thread once a write under way is done; a copy
    // waiting is dropped. error, on failure: why.
    bool writeNow(RecoveryCopy copy, QString *error = nullptr);
    // Removes the file once a write under way is done; a copy waiting is
    // dropped and nothing posted before comes back.
    void remove(const QString &file);

signals:
    // A posted copy was written, or could not be (error says why). Comes on
    // the writer's thread: connect with a queued connection.
    void written(bool ok, const QString &error);

private:
    void run();
    static bool write(RecoveryCopy &copy, QString *error);

    std::mutex m_lock; // guards m_waiting, m_generation and m_stop
    std::condition_variable m_wake;
    std::optional<RecoveryCopy> m_waiting;
    quint64 m_generation = 0; // moves on whenever posted copies are void
    bool m_stop = false;
    std::mutex m_disk; // held while the file is written or removed
    std::thread m_thread;
};

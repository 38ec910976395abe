#include "app/recovery_writer.h"

#include <QFile>

#include <chrono>

RecoveryWriter::RecoveryWriter(QObject *parent) : QObject(parent), m_thread([this] { run(); }) { }

RecoveryWriter::~RecoveryWriter()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
        m_waiting.reset();
    }
    m_wake.notify_all();
    m_thread.join();
}

void RecoveryWriter::post(RecoveryCopy copy)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_waiting = std::move(copy);
    }
    m_wake.notify_all();
}

bool RecoveryWriter::write(RecoveryCopy &copy, QString *error)
{
    if (copy.html)
        copy.page.html = copy.html();
    return writeRecoveryFile(copy.file, copy.page, error);
}

bool RecoveryWriter::writeNow(RecoveryCopy copy, QString *error)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_waiting.reset();
        ++m_generation;
    }
    std::lock_guard<std::mutex> disk(m_disk);
    return write(copy, error);
}

void RecoveryWriter::remove(const QString &file)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_waiting.reset();
        ++m_generation;
    }
    std::lock_guard<std::mutex> disk(m_disk);
    QFile::remove(file);
}

void RecoveryWriter::run()
{
    std::chrono::steady_clock::duration rest {};
    for (;;) {
        RecoveryCopy copy;
        quint64 generation = 0;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            // As long as the last write took, before the next: on a very
            // large page the writing takes half of one core at most, and
            // the copies come less often.
            m_wake.wait_for(lock, rest, [this] { return m_stop; });
            m_wake.wait(lock, [this] { return m_stop || m_waiting.has_value(); });
            if (m_stop)
                return;
            copy = std::move(*m_waiting);
            m_waiting.reset();
            generation = m_generation;
        }
        std::lock_guard<std::mutex> disk(m_disk);
        {
            // Removed or written afresh meanwhile: this copy is older.
            std::lock_guard<std::mutex> lock(m_lock);
            if (generation != m_generation)
                continue;
        }
        QString error;
        const auto started = std::chrono::steady_clock::now();
        const bool ok = write(copy, &error);
        rest = std::chrono::steady_clock::now() - started;
        emit written(ok, error);
    }
}

#include "bench_probe.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <unistd.h>

namespace {

QByteArray readProcFile(const QString &path)
{
    QFile file(path);
    // /proc files report size 0; read until the end instead.
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Fields of /proc/<pid>/stat after the command name, which may hold spaces.
QList<QByteArray> statFields(const QString &pid)
{
    const QByteArray stat = readProcFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return {};
    return stat.mid(close + 2).split(' ');
}

double vmHwmMb(const QString &pid)
{
    const QByteArray status = readProcFile(QStringLiteral("/proc/%1/status").arg(pid));
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

double round1(double v)
{
    return std::round(v * 10) / 10;
}

} // namespace

double msSinceProcessStart()
{
    // Field 22 of stat, the start time in clock ticks since boot; the fields
    // here begin with field 3.
    const QList<QByteArray> fields = statFields(QStringLiteral("self"));
    bool ok = false;
    const double ticks = fields.value(19).toDouble(&ok);
    timespec now {};
    if (!ok || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1;
    const double startMs = ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6 - startMs;
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double percentile90(QList<double> values)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    const qsizetype rank = qsizetype(std::ceil(0.9 * double(values.size())));
    return values[qBound<qsizetype>(0, rank - 1, values.size() - 1)];
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    // Sleep until something happens, but look again at least every
    // millisecond: busy polling would take CPU from the engine's processes.
    QTimer tick;
    tick.start(1);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

QJsonObject peakMemoryMb()
{
    // Parent links of every process, then everything below us.
    QMultiHash<QString, QString> children;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : pids) {
        bool numeric = false;
        pid.toInt(&numeric);
        if (numeric)
            children.insert(QString::fromLatin1(statFields(pid).value(1)), pid);
    }
    double renderers = 0;
    QList<QString> queue = children.values(QString::number(getpid()));
    QSet<QString> seen;
    while (!queue.isEmpty()) {
        const QString pid = queue.takeFirst();
        if (seen.contains(pid))
            continue;
        seen.insert(pid);
        renderers += vmHwmMb(pid);
        queue += children.values(pid);
    }
    // Rounded first, so the parts add up to the total as printed.
    const double self = round1(vmHwmMb(QStringLiteral("self")));
    renderers = round1(renderers);
    return { { "self", self },
             { "renderers", renderers },
             { "total", round1(self + renderers) },
             { "helper_processes", seen.size() } };
}

QJsonObject compared(double editor, double bare)
{
    const double ratio = bare > 0 && editor >= 0 ? editor / bare : -1;
    return { { "editor", round1(editor) },
             { "bare", round1(bare) },
             { "ratio", std::round(ratio * 100) / 100 } };
}

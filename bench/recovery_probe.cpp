#include "recovery_probe.h"

#include "bare_view.h"
#include "bench_probe.h"

#include "app/main_form.h"
#include "app/recovery.h"
#include "platform/editing/web_editing_component.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <cmath>
#include <memory>

namespace {

constexpr int TimeoutMs = 60000;

double hundredths(double v)
{
    return std::round(v * 100) / 100;
}

bool inPage(WebEditingComponent &editor, const QString &script, QVariant *result = nullptr)
{
    return runScript(editor.view()->page(), script, QWebEngineScript::ApplicationWorld, TimeoutMs,
                     result);
}

// The time of the copy's part of each notice, in the page.
const char *const InstallProbe =
    "(function () {"
    "  var E = Corvane; E.__recoveryProbe = [];"
    "  if (!E.__extrasTimed) {"
    "    E.__extrasTimed = true;"
    "    var extras = E.noticeExtras;"
    "    E.noticeExtras = function (snap) {"
    "      var t = performance.now(); extras(snap);"
    "      if (E.__recoveryProbe) E.__recoveryProbe.push(performance.now() - t); };"
    "  }"
    "  return true;"
    "})()";
const char *const ReadProbe = "JSON.stringify(Corvane.__recoveryProbe)";

QList<double> numbers(const QJsonValue &list)
{
    QList<double> out;
    for (const QJsonValue &v : list.toArray())
        out << v.toDouble();
    return out;
}

QJsonObject oneRun(MainForm &form, WebEditingComponent &editor, UserDialogs &dialogs,
                   const QString &html, const QString &folder, bool keeping)
{
    int completes = 0;
    const auto done = QObject::connect(&editor, &EditingComponent::DocumentComplete,
                                       [&] { ++completes; });
    editor.setDocumentHTML(html);
    waitUntil([&] { return completes > 0; }, TimeoutMs);
    QObject::disconnect(done);
    form.state().changed = true;
    std::unique_ptr<PageRecovery> recovery;
    if (keeping)
        recovery = std::make_unique<PageRecovery>(form.widgets(), form.state(), form.hooks(),
                                                  dialogs, folder);
    form.activateWindow();
    QTest::qWaitForWindowActive(&form);
    QWidget *target = editor.view()->focusProxy();
    if (!target)
        return {};
    target->setFocus();
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(40, 40));
    // Into the page's largest text: the listing, or the fourth paragraph.
    inPage(editor, QStringLiteral(
                       "(function () { Corvane.settle();"
                       "  var b = document.querySelector('pre') || document.querySelectorAll('p')[3];"
                       "  var t = b.firstChild; while (t && t.nodeType !== 3) t = t.firstChild;"
                       "  var r = document.createRange(); r.setStart(t, Math.min(100, t.data.length));"
                       "  var s = getSelection(); s.removeAllRanges(); s.addRange(r); return true; })()"));
    // The copy starts once the page is in and shown.
    if (!waitUntil([&] { return bool(editor.KeptRecoveryHTML()); }, TimeoutMs))
        return {};
    QTest::qWait(300);
    if (!inPage(editor, QString::fromLatin1(InstallProbe)))
        return {};

    // The window's event loop, which paints its frames: how long it stood
    // still at most, and how often for more than 50 ms.
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0, longestStall = 0;
    int stalls = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(4);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestStall = std::max(longestStall, now - lastTick);
        stalls += now - lastTick > 50 ? 1 : 0;
        lastTick = now;
    });
    tick.start();
    lastTick = clock.elapsed();
    int copies = 0;
    QDateTime lastCopy;
    const QString file = recovery ? recovery->filePath() : QString();
    qint64 lastChange = -1;
    const auto changes = QObject::connect(&editor, &EditingComponent::ContentChanged,
                                          [&] { lastChange = clock.elapsed(); });
    for (int i = 0; i < 60; ++i) {
        QTest::keyClick(target, char('a' + (i * 7) % 26));
        const qint64 due = 30 * (i + 1);
        while (clock.elapsed() < due) {
            QTest::qWait(2);
            if (!file.isEmpty()) {
                const QDateTime written = QFileInfo(file).lastModified();
                if (written.isValid() && written != lastCopy) {
                    lastCopy = written;
                    ++copies;
                }
            }
        }
    }
    QTest::qWait(500);
    tick.stop();
    // How long after the page's last change the file held it (its time of
    // writing), looked at once the window's stalls are no longer counted
    // and the page has stopped changing (its last keys may come late).
    qint64 behind = -1;
    if (recovery) {
        const qint64 until = clock.elapsed() + 5000;
        while (behind < 0 && clock.elapsed() < until) {
            RecoveredPage kept;
            const auto page = editor.KeptRecoveryHTML();
            const qint64 quiet = clock.elapsed() - lastChange;
            if (lastChange >= 0 && quiet > 300 && page && readRecoveryFile(file, kept)
                && kept.html == page())
                behind = QFileInfo(file).lastModified().toMSecsSinceEpoch()
                    - (QDateTime::currentMSecsSinceEpoch() - quiet);
            else
                QTest::qWait(20);
        }
    }
    QObject::disconnect(changes);

    QVariant answer;
    if (!inPage(editor, QString::fromLatin1(ReadProbe), &answer))
        return {};
    const QList<double> extras
        = numbers(QJsonDocument::fromJson(answer.toString().toUtf8()).array());
    QJsonObject out { { "window_longest_stall_ms", double(longestStall) },
                      { "window_stalls_over_50ms", stalls },
                      { "page_copy_per_notice_median_ms", hundredths(median(extras)) },
                      { "page_copy_per_notice_p90_ms", hundredths(percentile90(extras)) } };
    if (keeping) {
        out.insert("copies_written_while_typing", copies);
        out.insert("file_behind_last_change_ms", double(behind));
        // What a write costs the window: taking the copy; the page's text
        // is put together on the writer's thread (timed apart).
        QList<double> take, join;
        for (int i = 0; i < 50; ++i) {
            QElapsedTimer t;
            t.start();
            const auto kept = editor.KeptRecoveryHTML();
            take << double(t.nsecsElapsed()) / 1e6;
            t.restart();
            if (kept && i < 10)
                join << (kept().size() > 0 ? double(t.nsecsElapsed()) / 1e6 : 0);
        }
        out.insert("window_take_copy_median_ms", std::round(median(take) * 1000) / 1000);
        out.insert("writer_thread_put_together_median_ms", hundredths(median(join)));
    }
    form.state().changed = false;
    return out;
}

} // namespace

QJsonObject typingWithRecovery(MainForm &form, WebEditingComponent &editor, UserDialogs &dialogs,
                               const QString &html, const QString &folder)
{
    QDir().mkpath(folder);
    // Alternated, so that the machine's other work falls on both alike.
    constexpr int Rounds = 3;
    struct Sum
    {
        double longest = 0;
        double behind = -1;
        int stalls = 0;
        QList<double> perNotice;
        QJsonObject last;
    } sums[2];
    for (int round = 0; round < Rounds; ++round) {
        for (const bool keeping : { false, true }) {
            const QJsonObject r = oneRun(form, editor, dialogs, html, folder, keeping);
            Sum &s = sums[keeping];
            s.longest = std::max(s.longest, r.value("window_longest_stall_ms").toDouble());
            s.stalls += r.value("window_stalls_over_50ms").toInt();
            s.behind = std::max(s.behind, r.value("file_behind_last_change_ms").toDouble(-1));
            s.perNotice << r.value("page_copy_per_notice_median_ms").toDouble();
            s.last = r;
        }
    }
    QJsonObject out { { "keys", 60 }, { "key_every_ms", 30 }, { "rounds", Rounds } };
    for (const bool keeping : { false, true }) {
        const Sum &s = sums[keeping];
        QJsonObject figures = keeping ? s.last : QJsonObject();
        figures.remove("page_copy_per_notice_p90_ms");
        figures.insert("window_longest_stall_ms", s.longest);
        figures.insert("window_stalls_over_50ms", s.stalls);
        if (keeping)
            figures.insert("file_behind_last_change_ms_max", s.behind);
        figures.remove("file_behind_last_change_ms");
        figures.insert("page_copy_per_notice_median_ms", hundredths(median(s.perNotice)));
        out.insert(keeping ? "with_copies" : "without_copies", figures);
    }
    return out;
}

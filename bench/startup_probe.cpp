#include "startup_probe.h"

#include "bare_view.h"
#include "bench_probe.h"
#include "quiet_dialogs.h"

#include "app/main_form.h"
#include "app/page_template.h"
#include "app/start.h"
#include "app/wire_subsystems.h"
#include "platform/editing/html_store_component.h"
#include "platform/editing/web_editing_component.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QProcess>
#include <QWebEngineView>

#include <cstdio>

namespace {

constexpr int TimeoutMs = 60000;

void printLine(double startupMs, double sinceMainMs, const QJsonObject &memory)
{
    const QJsonObject line { { "startup_ms", startupMs },
                             { "since_main_ms", sinceMainMs },
                             { "memory", memory } };
    std::printf("%s\n", QJsonDocument(line).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

int editorChild(const QString &pagePath, const QElapsedTimer &mainClock)
{
    QuietDialogs dialogs;
    WebEditingComponent editor;
    HtmlStoreComponent store;
    int completes = 0;
    QObject::connect(&editor, &EditingComponent::DocumentComplete, [&] { ++completes; });
    // The program's own start-up path, as main() runs it.
    auto form = startMainForm(&editor, &store, &dialogs, wireSubsystems);
    if (!waitUntil([&] { return completes > 0; }, TimeoutMs))
        return 1;
    const double startup = msSinceProcessStart();
    const double sinceMain = double(mainClock.nsecsElapsed()) / 1e6;
    if (!pagePath.isEmpty()) {
        try {
            editor.LoadDocument(pagePath);
        } catch (const ComponentError &e) {
            std::fprintf(stderr, "load failed: 0x%08X %s\n", e.code(), qPrintable(e.message()));
            return 1;
        }
        if (!waitUntil([&] { return completes > 1; }, TimeoutMs))
            return 1;
    }
    printLine(startup, sinceMain, peakMemoryMb());
    return 0;
}

int bareChild(const QString &pagePath, const QElapsedTimer &mainClock)
{
    QWidget window;
    window.resize(800, 600);
    BareView bare(&window);
    bare.view()->setGeometry(0, 0, 800, 600);
    window.show();
    // The same first page the editor shows.
    bare.view()->setHtml(newDocumentTemplate(true));
    if (!bare.waitLoaded(TimeoutMs))
        return 1;
    const double startup = msSinceProcessStart();
    const double sinceMain = double(mainClock.nsecsElapsed()) / 1e6;
    if (!pagePath.isEmpty() && bare.open(pagePath) < 0)
        return 1;
    printLine(startup, sinceMain, peakMemoryMb());
    return 0;
}

} // namespace

int runStartupChild(StartupKind kind, const QString &pagePath, const QElapsedTimer &mainClock)
{
    return kind == StartupKind::Editor ? editorChild(pagePath, mainClock)
                                       : bareChild(pagePath, mainClock);
}

QJsonObject spawnStartupChild(StartupKind kind, const QString &pagePath)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                { QStringLiteral("--child"),
                  kind == StartupKind::Editor ? QStringLiteral("editor") : QStringLiteral("bare"),
                  pagePath });
    if (!child.waitForFinished(3 * TimeoutMs) || child.exitCode() != 0) {
        child.kill();
        child.waitForFinished();
        return {};
    }
    const QList<QByteArray> lines = child.readAllStandardOutput().trimmed().split('\n');
    return QJsonDocument::fromJson(lines.last()).object();
}

// Measures the editor against a bare browser view doing the same work and
// prints one JSON object. Times are milliseconds (medians unless named
// otherwise), memory is peak resident MB. Run headless with
// QT_QPA_PLATFORM=offscreen; --quick uses fewer repetitions, --only=a,b runs
// only the named groups (startup, putget, opensave, source, keys, burst,
// recovery); the last five run on each page shape (1mb, 5mb, onediv_1mb,
// pre_1mb; --shapes=a,b runs only those).

#include "bare_view.h"
#include "bench_pages.h"
#include "bench_probe.h"
#include "quiet_dialogs.h"
#include "recovery_probe.h"
#include "startup_probe.h"

#include "app/main_form.h"
#include "app/main_widgets.h"
#include "app/start.h"
#include "app/wire_subsystems.h"
#include "platform/editing/engine_bridge.h"
#include "platform/editing/html_store_component.h"
#include "platform/editing/web_editing_component.h"
#include "platform/editing/web_environment.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <cmath>
#include <cstdio>

namespace {

constexpr int TimeoutMs = 60000;
// How long a user looks at a page they opened before the first edit.
constexpr int PauseAfterOpenMs = 3000;

struct Counts
{
    int startups = 5;
    int runs = 5; // put, get, open, save
    int switches = 3;
    int keys = 50;
};

double tenths(double v)
{
    return std::round(v * 10) / 10;
}

double ms(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

void progress(const char *what)
{
    std::fprintf(stderr, "editor_bench: %s\n", what);
}

// The real program in this process, next to a bare view in its own window.
class Bench
{
public:
    explicit Bench(const Counts &counts)
        : n(counts)
    {
    }

    bool start();
    void putAndGet(const QString &label, const QString &html, QJsonObject &out);
    void openAndSave(const QString &label, const QString &path, QJsonObject &out);
    QJsonObject sourceSwitch(const QString &pagePath);
    QJsonObject keystrokes(const QString &html);
    QJsonObject burst(const QString &html);
    QJsonObject recovery(const QString &html)
    {
        return typingWithRecovery(*form, editor, dialogs, html, tmp.filePath("recovery"));
    }

private:
    // Runs one component call and waits for the DocumentComplete it leads to.
    double editorLoad(const std::function<void()> &load);
    double layoutAfterLoad();
    double timed(const std::function<void()> &work);
    double serializeDirect();
    QJsonObject probeEngineWork(bool start);
    void editLightly();
    void activate(QWidget *window, QWidget *target);

    Counts n;
    QuietDialogs dialogs;
    WebEditingComponent editor;
    HtmlStoreComponent store;
    std::unique_ptr<MainForm> form;
    QWidget bareWindow;
    BareView bare { &bareWindow };
    int completes = 0;
    QTemporaryDir tmp;
};

bool Bench::start()
{
    QObject::connect(&editor, &EditingComponent::DocumentComplete, [this] { ++completes; });
    form = startMainForm(&editor, &store, &dialogs, wireSubsystems);
    const QSize size = editor.widget()->size();
    bareWindow.resize(size);
    bare.view()->setGeometry(QRect(QPoint(), size));
    bareWindow.show();
    bare.view()->setHtml(QStringLiteral("<html><body></body></html>"));
    return waitUntil([this] { return completes > 0; }, TimeoutMs) && bare.waitLoaded(TimeoutMs)
        && tmp.isValid();
}

double Bench::timed(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    try {
        work();
    } catch (const ComponentError &e) {
        std::fprintf(stderr, "component error 0x%08X: %s\n", e.code(), qPrintable(e.message()));
        return -1;
    }
    return ms(clock);
}

double Bench::editorLoad(const std::function<void()> &load)
{
    const int before = completes;
    return timed([&] {
        load();
        // The window's own handling of the new page is part of showing it.
        if (!waitUntil([&] { return completes > before; }, TimeoutMs))
            throw ComponentError(ComponentErrorCode::Timeout,
                                 QStringLiteral("no DocumentComplete"));
    });
}

// The engine's serialiser run straight from its script world, bypassing the
// web channel, to tell the serialising from the carrying of the text.
double Bench::serializeDirect()
{
    QElapsedTimer clock;
    clock.start();
    return runScript(editor.view()->page(), QStringLiteral("Corvane.serialize()"), QWebEngineScript::ApplicationWorld, TimeoutMs)
        ? ms(clock)
        : -1;
}

// The engine's own work on a key, timed inside the page: the status snapshot
// and the history's cut. The layout a snapshot's first question forces would
// be done for the next frame anyway; it is timed apart, as "layout".
QJsonObject Bench::probeEngineWork(bool start)
{
    const QString install = QStringLiteral(
        "(function () {"
        "  var E = Corvane, P = E.__probe = { snapshot: [], layout: [], cut: [] };"
        "  if (!E.__probed) {"
        "    E.__probed = true;"
        "    var snap = E.snapshot, cut = E.history.cut;"
        "    E.snapshot = function (c) {"
        "      var t0 = performance.now(); document.body.getBoundingClientRect();"
        "      var t1 = performance.now(); var r = snap.call(E, c);"
        "      E.__probe.layout.push(t1 - t0); E.__probe.snapshot.push(performance.now() - t1);"
        "      return r; };"
        "    E.history.cut = function (k) {"
        "      var t = performance.now(); var r = cut.call(E.history, k);"
        "      E.__probe.cut.push(performance.now() - t); return r; };"
        "  }"
        "  return true;"
        "})()");
    const QString read = QStringLiteral("JSON.stringify(Corvane.__probe)");
    QVariant answer;
    if (!runScript(editor.view()->page(), start ? install : read, QWebEngineScript::ApplicationWorld, TimeoutMs, &answer)
        || start)
        return {};
    const QJsonObject lists = QJsonDocument::fromJson(answer.toString().toUtf8()).object();
    QJsonObject out;
    for (auto it = lists.begin(); it != lists.end(); ++it) {
        QList<double> values;
        for (const QJsonValue &v : it.value().toArray())
            values << v.toDouble();
        out.insert(it.key() + "_median", std::round(median(values) * 100) / 100);
        out.insert(it.key() + "_p90", std::round(percentile90(values) * 100) / 100);
    }
    return out;
}

// As the bare view's: the first layout of the page, if it is still to come.
double Bench::layoutAfterLoad()
{
    QElapsedTimer clock;
    clock.start();
    return runScript(editor.view()->page(),
                     QStringLiteral("document.body ? document.body.offsetHeight : 0"), QWebEngineScript::ApplicationWorld,
                     TimeoutMs)
        ? ms(clock)
        : -1;
}

void Bench::editLightly()
{
    // As any command of the engine does, on a page made ready for edits.
    runScript(editor.view()->page(),
              QStringLiteral("Corvane.settle(); document.body.setAttribute('data-edited', 'yes'); true"),
              QWebEngineScript::ApplicationWorld, TimeoutMs);
}

void Bench::putAndGet(const QString &label, const QString &html, QJsonObject &out)
{
    QList<double> put, bareGet, get, barePut, direct;
    for (int i = 0; i < n.runs; ++i) {
        put << editorLoad([&] { editor.setDocumentHTML(html); });
        get << timed([&] { editor.DocumentHTML(); });
        direct << serializeDirect();
        barePut << bare.put(html);
        bareGet << bare.get();
    }
    out.insert("put_" + label + "_ms", compared(median(put), median(barePut)));
    QJsonObject getFigures = compared(median(get), median(bareGet));
    getFigures.insert("editor_without_channel", tenths(median(direct)));
    out.insert("get_" + label + "_ms", getFigures);
}

void Bench::openAndSave(const QString &label, const QString &path, QJsonObject &out)
{
    const QString editorCopy = tmp.filePath("saved-editor-" + label + ".htm");
    const QString bareCopy = tmp.filePath("saved-bare-" + label + ".htm");
    QList<double> open, laidOut, save, saveAtOnce, bareOpen, bareLaidOut, bareSave;
    for (int i = 0; i < n.runs; ++i) {
        open << editorLoad([&] { editor.LoadDocument(path); });
        // An unedited page is written back as read, which costs nothing; the
        // save measured is that of a page with one small edit, made after a
        // pause as a user's first edit is: the editor parses the page's text
        // meanwhile. The save made at once also waits for that parse.
        editLightly();
        saveAtOnce << timed([&] { editor.SaveDocument(editorCopy); });
        laidOut << editorLoad([&] { editor.LoadDocument(path); }) + layoutAfterLoad();
        QTest::qWait(PauseAfterOpenMs);
        editLightly();
        save << timed([&] { editor.SaveDocument(editorCopy); });
        bareOpen << bare.open(path);
        bareLaidOut << bareOpen.last() + bare.layoutAfterLoad();
        bareSave << bare.save(bareCopy);
    }
    QJsonObject openFigures = compared(median(open), median(bareOpen));
    // Either side reports the page in before its first layout; with it, the
    // two compare as the user sees them.
    openFigures.insert("bare_laid_out", tenths(median(bareLaidOut)));
    openFigures.insert("editor_laid_out", tenths(median(laidOut)));
    openFigures.insert("laid_out_ratio",
                       std::round(median(laidOut) / median(bareLaidOut) * 100) / 100);
    out.insert("open_" + label + "_ms", openFigures);
    out.insert("save_" + label + "_ms", compared(median(save), median(bareSave)));
    out.insert("save_at_once_" + label + "_ms", compared(median(saveAtOnce), median(bareSave)));
}

// From the menu command until the source box has painted the page's text.
// Bare: the browser's serialisation put into a plain text box and painted.
QJsonObject Bench::sourceSwitch(const QString &pagePath)
{
    MainWidgets &w = form->widgets();
    QList<double> real, plain;
    if (editorLoad([&] { editor.LoadDocument(pagePath); }) < 0 || bare.open(pagePath) < 0)
        return {};
    auto *box = new QPlainTextEdit(&bareWindow);
    box->setGeometry(bare.view()->geometry());
    box->show();
    for (int i = 0; i < n.switches; ++i) {
        real << timed([&] {
            w.menuhtmlsource->trigger();
            w.txtHTML->repaint();
        });
        w.menuweditor->trigger();
        QTest::qWait(200);
        plain << timed([&] {
            QString html;
            bare.get(&html);
            box->setPlainText(html);
            box->repaint();
        });
        box->clear();
    }
    delete box;
    QJsonObject result = compared(median(real), median(plain));
    result.insert("goal_ms", 1000);
    result.insert("goal_met", median(real) >= 0 && median(real) < 1000);
    return result;
}

void Bench::activate(QWidget *window, QWidget *target)
{
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        progress("window did not become active");
    if (target)
        target->setFocus();
    QTest::qWait(200);
}

// Editor: from the key event on the view until the main window has finished
// handling the DisplayChanged that reports the edit (toolbar, font boxes).
// "refresh" is the handling alone, from the component's content notification
// that precedes it. Bare: from the key event until the page's input event has
// been reported back to us.
QJsonObject Bench::keystrokes(const QString &html)
{
    if (editorLoad([&] { editor.setDocumentHTML(html); }) < 0)
        return {};
    QElapsedTimer clock;
    clock.start();
    bool edited = false, handled = false;
    double editedAt = 0, handledAt = 0;
    // Connected after the window's own handlers, so these run after them.
    const auto c1 = QObject::connect(&editor, &EditingComponent::ContentChanged, [&] {
        edited = true;
        editedAt = ms(clock);
    });
    const auto c2 = QObject::connect(&editor, &EditingComponent::DisplayChanged, [&] {
        if (edited && !handled) {
            handled = true;
            handledAt = ms(clock);
        }
    });
    QWidget *target = editor.view()->focusProxy();
    activate(form.get(), target);
    // Put the caret into the text as a user would, with a click.
    if (target)
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(40, 40));
    QTest::qWait(300);
    probeEngineWork(true);
    QList<double> total, refresh, snapshot;
    for (int i = 0; target && i < n.keys; ++i) {
        edited = handled = false;
        const double t0 = ms(clock);
        QTest::keyClick(target, char('a' + i % 26));
        if (!waitUntil([&] { return handled; }, 5000)) {
            progress("a keystroke was not reported");
            continue;
        }
        total << handledAt - t0;
        refresh << handledAt - editedAt;
        QTest::qWait(30); // let the selection's own notification pass
    }
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    const QJsonObject work = probeEngineWork(false);
    // The engine's status snapshot alone, asked for over the bridge.
    for (int i = 0; i < 20; ++i)
        snapshot << timed([&] { editor.bridge()->call(QStringLiteral("snapshot")); });

    QList<double> plain;
    if (bare.put(html) >= 0 && bare.makeEditable()) {
        activate(&bareWindow, bare.view()->focusProxy());
        for (int i = 0; i < n.keys; ++i) {
            const double t = bare.keystroke(char('a' + i % 26));
            if (t >= 0)
                plain << t;
            QTest::qWait(30);
        }
    }
    QJsonObject result = compared(median(total), median(plain));
    result.insert("editor_p90", tenths(percentile90(total)));
    result.insert("bare_p90", tenths(percentile90(plain)));
    result.insert("keys", int(total.size()));
    result.insert("refresh_median", std::round(median(refresh) * 100) / 100);
    result.insert("snapshot_call_median", tenths(median(snapshot)));
    result.insert("engine_work_per_key", work);
    return result;
}

// A script for either view: true once the text at the caret holds what was
// typed and a frame has been drawn since.
QString typedAndDrawn(const QString &typed)
{
    return QStringLiteral(
               "(function () {"
               "  var s = getSelection(), n = s && s.anchorNode;"
               "  var t = !n ? '' : n.nodeType === 3 ? n.data : (n.textContent || '');"
               "  if (t.indexOf('%1') < 0) return false;"
               "  if (!window.__burstFrame) {"
               "    window.__burstFrame = 1;"
               "    requestAnimationFrame(function () { window.__burstDrawn = 1; });"
               "  }"
               "  return !!window.__burstDrawn;"
               "})()")
        .arg(typed);
}

// Sends keys 30 ms apart, as a quick typist does, and measures from the first
// key until the last one is on screen.
double typeBurst(QWebEngineView *view, quint32 world, const QString &typed)
{
    QWidget *target = view->focusProxy();
    if (!target)
        return -1;
    if (!runScript(view->page(), QStringLiteral("window.__burstFrame = window.__burstDrawn = 0;"),
                   world, TimeoutMs))
        return -1;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < typed.size(); ++i) {
        QTest::keyClick(target, typed.at(i).toLatin1());
        if (i + 1 < typed.size())
            waitUntil([&] { return clock.elapsed() >= 30 * (i + 1); }, 1000);
    }
    const QString probe = typedAndDrawn(typed);
    QDeadlineTimer deadline(TimeoutMs);
    while (!deadline.hasExpired()) {
        QVariant drawn;
        if (!runScript(view->page(), probe, world, int(deadline.remainingTime()), &drawn))
            break;
        if (drawn.toBool())
            return ms(clock);
    }
    return -1;
}

QJsonObject Bench::burst(const QString &html)
{
    QString typed;
    for (int i = 0; i < 40; ++i)
        typed += QChar('a' + (i * 7) % 26);
    QList<double> real, plain;
    for (int run = 0; run < 2; ++run) {
        if (editorLoad([&] { editor.setDocumentHTML(html); }) < 0)
            return {};
        QWidget *target = editor.view()->focusProxy();
        activate(form.get(), target);
        if (target)
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(40, 40));
        QTest::qWait(300);
        real << typeBurst(editor.view(), QWebEngineScript::ApplicationWorld, typed);
        if (bare.put(html) < 0 || !bare.makeEditable())
            return {};
        activate(&bareWindow, bare.view()->focusProxy());
        plain << typeBurst(bare.view(), QWebEngineScript::MainWorld, typed);
    }
    QJsonObject result = compared(median(real), median(plain));
    result.insert("keys_sent_over_ms", 39 * 30);
    return result;
}

QJsonObject startupFigures(int runs, const QString &pagePath)
{
    QList<double> real, plain, realMain, plainMain;
    QList<double> realMem[3], plainMem[3];
    const char *const fields[] = { "self", "renderers", "total" };
    for (int i = 0; i < runs; ++i) {
        const QJsonObject e = spawnStartupChild(StartupKind::Editor, pagePath);
        const QJsonObject b = spawnStartupChild(StartupKind::Bare, pagePath);
        if (e.isEmpty() || b.isEmpty()) {
            progress("a start-up run failed");
            continue;
        }
        real << e["startup_ms"].toDouble();
        realMain << e["since_main_ms"].toDouble();
        plain << b["startup_ms"].toDouble();
        plainMain << b["since_main_ms"].toDouble();
        for (int f = 0; f < 3; ++f) {
            realMem[f] << e["memory"][fields[f]].toDouble();
            plainMem[f] << b["memory"][fields[f]].toDouble();
        }
    }
    QJsonObject startup = compared(median(real), median(plain));
    startup.insert("from_main", compared(median(realMain), median(plainMain)));
    QJsonObject memory;
    for (int f = 0; f < 3; ++f)
        memory.insert(fields[f], compared(median(realMem[f]), median(plainMem[f])));
    memory.insert("holding", QStringLiteral("the 5 MB page after start-up"));
    return { { "startup_ms", startup }, { "peak_memory_mb", memory } };
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer mainClock;
    mainClock.start();
    prepareWebEngineEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();

    if (args.value(1) == QLatin1String("--child")) {
        const StartupKind kind
            = args.value(2) == QLatin1String("bare") ? StartupKind::Bare : StartupKind::Editor;
        return runStartupChild(kind, args.value(3), mainClock);
    }

    Counts counts;
    const bool quick = args.contains(QStringLiteral("--quick"));
    if (quick)
        counts = Counts { 2, 2, 1, 15 };

    QTemporaryDir pages;
    const QString page1 = generatePage(1024 * 1024), page5 = generatePage(5 * 1024 * 1024);
    const QString path1 = pages.filePath("page-1mb.htm"), path5 = pages.filePath("page-5mb.htm");
    if (!pages.isValid() || !writeUtf8File(path1, page1) || !writeUtf8File(path5, page5)) {
        std::fprintf(stderr, "editor_bench: cannot write the page files\n");
        return 1;
    }

    QStringList only;
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("--only=")))
            only = arg.mid(7).split(QLatin1Char(','));
    }
    const auto wanted
        = [&](const char *group) { return only.isEmpty() || only.contains(QLatin1String(group)); };

    QJsonObject out { { "quick", quick },
                      { "units", QStringLiteral("ms (medians) and MB; ratio = editor / bare") } };
    if (wanted("startup")) {
        progress("start-up and memory");
        const QJsonObject startup = startupFigures(counts.startups, path5);
        for (auto it = startup.begin(); it != startup.end(); ++it)
            out.insert(it.key(), it.value());
    }

    Bench bench(counts);
    if (!bench.start()) {
        std::fprintf(stderr, "editor_bench: the editor did not start\n");
        return 1;
    }
    if (wanted("putget")) {
        progress("put and get");
        bench.putAndGet(QStringLiteral("1mb"), page1, out);
        bench.putAndGet(QStringLiteral("5mb"), page5, out);
    }
    // Each page shape, for every kind of work that grows with the page.
    struct Shape
    {
        QString label, html, path;
    };
    const QList<Shape> shapes = {
        { QStringLiteral("1mb"), page1, path1 },
        { QStringLiteral("5mb"), page5, path5 },
        { QStringLiteral("onediv_1mb"), generateOneDivPage(1024 * 1024), QString() },
        { QStringLiteral("pre_1mb"), generatePrePage(1024 * 1024), QString() },
    };
    QStringList onlyShapes;
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("--shapes=")))
            onlyShapes = arg.mid(9).split(QLatin1Char(','));
    }
    for (const Shape &shape : shapes) {
        if (!onlyShapes.isEmpty() && !onlyShapes.contains(shape.label))
            continue;
        QString path = shape.path;
        if (path.isEmpty()) {
            path = pages.filePath("page-" + shape.label + ".htm");
            if (!writeUtf8File(path, shape.html))
                return 1;
        }
        if (wanted("opensave")) {
            progress(qPrintable("open and save " + shape.label));
            bench.openAndSave(shape.label, path, out);
        }
        if (wanted("source")) {
            progress(qPrintable("source view " + shape.label));
            out.insert("source_view_" + shape.label + "_ms", bench.sourceSwitch(path));
        }
        if (wanted("keys")) {
            progress(qPrintable("keystrokes " + shape.label));
            out.insert("keystroke_" + shape.label + "_ms", bench.keystrokes(shape.html));
        }
        if (wanted("burst")) {
            progress(qPrintable("typing burst " + shape.label));
            out.insert("burst_" + shape.label + "_ms", bench.burst(shape.html));
        }
        if (wanted("recovery")) {
            progress(qPrintable("typing with the crash copy kept " + shape.label));
            out.insert("recovery_" + shape.label, bench.recovery(shape.html));
        }
        // A long run that is stopped keeps what it measured.
        std::fprintf(stderr, "editor_bench: so far %s\n",
                     QJsonDocument(out).toJson(QJsonDocument::Compact).constData());
    }
    if (wanted("keys")) {
        // The same on a small page shows what the page's size costs.
        out.insert("keystroke_16kb_ms", bench.keystrokes(generatePage(16 * 1024)));
    }
    out.insert("bench_process_peak_mb", peakMemoryMb());

    std::printf("%s\n", QJsonDocument(out).toJson(QJsonDocument::Indented).constData());
    std::fflush(stdout); // before the engine's own shutdown, which may not end well
    return 0;
}

// What a screen reader sees: the real program on a private X server with an
// accessibility bus of its own, its AT-SPI tree read as assistive tools read
// it. Every button, field, list and box shown, and every panel holding them,
// must have a name, with each panel below the page opened in turn by its menu
// keys (and closed again with Esc).

#include "private_display.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

namespace {

struct Shown
{
    QString role, name, path;
};

// The roles a user moves to or types into; objects of these need a name.
const QStringList NamedRoles = { "push button", "toggle button", "check box",   "radio button",
                                 "text",        "password text", "combo box",   "list",
                                 "tree",        "tree table",    "spin button", "page tab" };

QString busLauncher()
{
    for (const char *path : { "/usr/libexec/at-spi-bus-launcher",
                              "/usr/lib/at-spi2-core/at-spi-bus-launcher" }) {
        if (QFile::exists(QString::fromLatin1(path)))
            return QString::fromLatin1(path);
    }
    return {};
}

// Debian's pyatspi is for the system's own Python.
QString python()
{
    return QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3")
                                             : QStandardPaths::findExecutable("python3");
}

} // namespace

class AtspiNamesTest : public QObject
{
    Q_OBJECT
    PrivateDisplay x;
    QTemporaryDir home;
    QProcessEnvironment env;
    QProcess bus, launcher, editor;
    QString window;

    bool run(const QString &program, const QStringList &args, QString *out = nullptr,
             int *status = nullptr)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        if (!p.waitForFinished(30000))
            return false;
        if (p.exitCode() != 0 && program != QLatin1String("xdotool"))
            qWarning().noquote() << program << "said:" << p.readAllStandardError().left(2000);
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput());
        if (status)
            *status = p.exitCode();
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
    QString xdo(const QStringList &args)
    {
        QString out;
        run("xdotool", args, &out);
        return out.trimmed();
    }
    // The program's tree as the walker prints it; empty when it cannot be read.
    // (The walker is found from the source folder CMake names: __FILE__ is
    // relative when ccache rewrites paths under its base_dir.)
    QList<Shown> tree()
    {
        QString out;
        // From the source tree whatever the working folder: __FILE__ may be
        // relative to the build folder.
        if (!run(python(), { QStringLiteral(TEST_DATA_DIR "/../support/atspi_tree.py"),
                             QString::number(editor.processId()) },
                 &out))
            return {};
        QList<Shown> shown;
        for (const QString &line : out.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList f = line.split(u'\t');
            if (f.size() == 3)
                shown << Shown { f[0], f[1], f[2] };
        }
        return shown;
    }
    static bool has(const QList<Shown> &shown, const QString &role, const QString &name)
    {
        for (const Shown &s : shown) {
            if (s.role == role && s.name == name)
                return true;
        }
        return false;
    }
    // Everything shown that needs a name and has none: controls, and frames
    // (the panels and panes) holding any control.
    static QStringList nameless(const QList<Shown> &shown)
    {
        QStringList missing;
        for (const Shown &s : shown) {
            if (!s.name.trimmed().isEmpty())
                continue;
            bool needs = NamedRoles.contains(s.role);
            if (s.role == "frame" && s.path.count(u'/') > 1) {
                for (const Shown &inner : shown)
                    needs = needs
                        || (inner.path.startsWith(s.path + '/') && NamedRoles.contains(inner.role));
            }
            if (needs)
                missing << s.role + " at " + s.path;
        }
        return missing;
    }
    // Waits for a frame named name to be shown (or hidden); the last tree read.
    QList<Shown> waitForFrame(const QString &name, bool shownWanted = true)
    {
        QList<Shown> shown;
        QElapsedTimer timer;
        timer.start();
        do {
            QTest::qWait(300);
            shown = tree();
        } while (has(shown, "frame", name) != shownWanted && timer.elapsed() < 15000);
        return shown;
    }
    // Keys as the keyboard sends them (keys sent to a window are refused as
    // forged), to the window with the keyboard.
    void keys(const QStringList &sequence)
    {
        for (const QString &k : sequence) {
            xdo({ "key", k });
            QTest::qWait(300);
        }
    }
    void typeIntoPage(const QString &text)
    {
        xdo({ "mousemove", "--window", window, "300", "250", "click", "1" });
        xdo({ "windowfocus", "--sync", window });
        QTest::qWait(300);
        xdo({ "type", text });
        QTest::qWait(300);
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()
            || QStandardPaths::findExecutable("xdotool").isEmpty())
            QSKIP("needs Xvfb and xdotool (scripts/install-deps.sh installs them)");
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty() || busLauncher().isEmpty())
            QSKIP("the accessibility bus cannot start: dbus-daemon or at-spi2-core is missing");
        int status = 0;
        env = QProcessEnvironment::systemEnvironment();
        QVERIFY2(run(python(), { "-c", "import pyatspi" }, nullptr, &status),
                 "python3-pyatspi is missing (scripts/install-deps.sh installs it)");

        QVERIFY(home.isValid() && x.start());
        env = x.environment(home);
        QDir(home.path()).mkpath("run");
        QFile::setPermissions(home.filePath("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                        | QFileDevice::ExeOwner);
        env.insert("XDG_RUNTIME_DIR", home.filePath("run"));

        // A session bus of our own, and the accessibility bus beside it.
        bus.setProcessEnvironment(env);
        bus.start("dbus-daemon", { "--session", "--nofork", "--print-address=1" });
        bus.waitForStarted();
        QElapsedTimer timer;
        timer.start();
        while (bus.state() == QProcess::Running && !bus.canReadLine() && timer.elapsed() < 10000)
            QTest::qWait(50);
        if (!bus.canReadLine())
            QSKIP(qPrintable("the accessibility bus cannot start: no session bus ("
                             + bus.errorString() + ")"));
        env.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromLatin1(bus.readLine()).trimmed());
        launcher.setProcessEnvironment(env);
        // In a process group of its own, so that its bus ends with it.
        launcher.setChildProcessModifier([] { ::setpgid(0, 0); });
        launcher.setStandardErrorFile(QProcess::nullDevice());
        launcher.start(busLauncher(), { "--launch-immediately" });
        bool up = false;
        while (!up && timer.elapsed() < 20000) {
            QTest::qWait(200);
            up = run("dbus-send", { "--session", "--print-reply", "--dest=org.a11y.Bus",
                                    "/org/a11y/bus", "org.a11y.Bus.GetAddress" });
        }
        if (!up)
            QSKIP("the accessibility bus cannot start: at-spi-bus-launcher did not answer");

        env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        editor.setProcessEnvironment(env);
        editor.setWorkingDirectory(home.path());
        editor.setStandardOutputFile(QProcess::nullDevice());
        editor.setStandardErrorFile(QProcess::nullDevice());
        editor.start(EDITOR_BINARY, {});
        QVERIFY(editor.waitForStarted());
        while (window.isEmpty() && timer.elapsed() < 60000 && editor.state() == QProcess::Running) {
            QTest::qWait(200);
            window = xdo({ "search", "--onlyvisible", "--name", "DHTML Editor" }).section('\n', 0, 0);
        }
        QVERIFY2(!window.isEmpty(), "the program's window did not come up");
        // That may have been the splash: the main window is the one left
        // once the tree shows its menu bar.
        QList<Shown> shown;
        while (timer.elapsed() < 60000) {
            shown = tree();
            bool menus = false;
            for (const Shown &s : shown)
                menus = menus || s.role == "menu bar";
            if (menus)
                break;
            QTest::qWait(300);
        }
        QTest::qWait(1500); // the start-up page
        window = xdo({ "search", "--onlyvisible", "--name", "DHTML Editor" }).section('\n', 0, 0);
        QVERIFY2(!window.isEmpty(), "the program's main window is not shown");
    }
    void cleanupTestCase()
    {
        if (launcher.state() != QProcess::NotRunning)
            ::kill(-pid_t(launcher.processId()), SIGTERM);
        for (QProcess *p : { &editor, &launcher, &bus }) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000)) {
                    p->kill();
                    p->waitForFinished(5000);
                }
            }
        }
        x.stop();
    }

    // The window as it starts: the toolbar's buttons and boxes say their words.
    void mainWindowControlsAreNamed()
    {
        const QList<Shown> shown = tree();
        QVERIFY2(!shown.isEmpty(), "the program is not on the accessibility bus");
        for (const QString &words : { "Bold", "Italic", "Underline", "Text Color", "Numbered List",
                                      "Bulleted List", "Decrease Indent", "Increase Indent",
                                      "Align Left", "Center", "Align Right" })
            QVERIFY2(has(shown, "check box", words) || has(shown, "toggle button", words),
                     qPrintable(QString("no toolbar button says \"%1\"").arg(words)));
        QVERIFY(has(shown, "text", "Font") && has(shown, "text", "Font Size"));
        QVERIFY(has(shown, "filler", "Page"));
        const QStringList missing = nameless(shown);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join("\n")));
    }

    // Each panel, opened from its menu by the keyboard, is named for what it
    // is for, as is every control in it; Esc closes it again.
    void everyPanelAndItsControlsAreNamed_data()
    {
        QTest::addColumn<QStringList>("open");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("field"); // a text field the panel must name
        QTest::newRow("picture") << QStringList { "alt+i", "p" } << "Insert picture panel"
                                 << "Alt Tag (Picture Description)";
        QTest::newRow("hyperlink") << QStringList { "shift+Home", "alt+i", "l" }
                                   << "Insert hyperlink panel" << "HyperLink";
        QTest::newRow("button") << QStringList { "alt+i", "b" } << "Insert button panel"
                                << "Button Caption";
        QTest::newRow("html") << QStringList { "alt+i", "h" } << "Insert HTML panel"
                              << "HTML to insert";
        QTest::newRow("e-mail") << QStringList { "shift+Home", "alt+i", "e" }
                                << "Insert e-mail link panel" << "eMail Address";
        QTest::newRow("table") << QStringList { "alt+a", "t" } << "Insert table panel"
                               << "Number of rows";
        QTest::newRow("page colour") << QStringList { "alt+p", "b" } << "Page colors panel"
                                     << QString();
    }
    void everyPanelAndItsControlsAreNamed()
    {
        QFETCH(QStringList, open);
        QFETCH(QString, panel);
        QFETCH(QString, field);
        // Text in the page to make a link of.
        typeIntoPage("words");
        keys(open);
        const QList<Shown> shown = waitForFrame(panel);
        QVERIFY2(has(shown, "frame", panel), qPrintable(panel + " was not shown"));
        if (!field.isEmpty())
            QVERIFY2(has(shown, "text", field), qPrintable("no field named " + field));
        const QStringList missing = nameless(shown);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join("\n")));
        keys({ "Escape" });
        QVERIFY2(!has(waitForFrame(panel, false), "frame", panel),
                 qPrintable("Esc left " + panel + " open"));
    }

    // The source view: the HTML box and the pane holding it are named.
    void sourceViewIsNamed()
    {
        typeIntoPage(" ");
        keys({ "alt+v", "s" });
        QList<Shown> shown;
        QElapsedTimer timer;
        timer.start();
        do {
            QTest::qWait(300);
            shown = tree();
        } while (!has(shown, "text", "HTML Source") && timer.elapsed() < 15000);
        QVERIFY2(has(shown, "text", "HTML Source"), "the source box was not shown by its name");
        const QStringList missing = nameless(shown);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join("\n")));
        keys({ "alt+v", "w" });
    }
};

QTEST_GUILESS_MAIN(AtspiNamesTest)
#include "test_atspi_names.moc"

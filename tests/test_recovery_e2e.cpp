// The real program, killed outright after typing, offers the typed page at its
// next start; and it reads its page again when another program rewrote the file
// while the window was elsewhere. It runs on a private X server driven by
// xdotool (real keys into the real window), with its own HOME and data folder.

#include "private_display.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestRecoveryE2e : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    PrivateDisplay x;
    QProcess editor;

    // The copies runs keep, newest first.
    QStringList recoveryFiles() const
    {
        const QDir data(home.filePath("data/Corvane DHTML Editor"));
        QStringList files;
        for (const QString &name :
             data.entryList({ "unsaved-page*.json" }, QDir::Files, QDir::Time))
            files << data.filePath(name);
        return files;
    }
    QString keptHtml() const
    {
        const QStringList files = recoveryFiles();
        QFile f(files.value(0));
        if (files.isEmpty() || !f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object().value("html").toString();
    }

    // On this test's own display unless another is named.
    QString xdo(const QStringList &args, const PrivateDisplay *on = nullptr)
    {
        return (on ? *on : x).xdo(args);
    }
    // The first visible window whose name matches, or empty.
    QString window(const QString &namePattern, const PrivateDisplay *on = nullptr)
    {
        return xdo({ "search", "--onlyvisible", "--name", namePattern }, on).section('\n', 0, 0);
    }
    QString waitForWindow(const QString &namePattern, const PrivateDisplay *on = nullptr)
    {
        QString id;
        (void)QTest::qWaitFor([&] { return !(id = window(namePattern, on)).isEmpty(); }, 30000);
        return id;
    }

    void startEditor(const QStringList &arguments = {}, const PrivateDisplay *on = nullptr)
    {
        editor.setProcessEnvironment((on ? *on : x).environment(home));
        editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        editor.setStandardOutputFile(QProcess::nullDevice());
        editor.start(EDITOR_BINARY, arguments);
        QVERIFY(editor.waitForStarted());
    }
    void killEditor()
    {
        editor.kill(); // SIGKILL: nothing of the program's runs
        QVERIFY(editor.waitForFinished(10000));
        QCOMPARE(editor.exitStatus(), QProcess::CrashExit);
    }
    // Clicks into the page and types.
    void typeIntoPage(const QString &mainWindow, const QString &text,
                      const PrivateDisplay *on = nullptr)
    {
        xdo({ "windowfocus", "--sync", mainWindow }, on);
        xdo({ "mousemove", "--window", mainWindow, "300", "300", "click", "1" }, on);
        QTest::qWait(300);
        xdo({ "type", "--delay", "15", text }, on);
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()
            || QStandardPaths::findExecutable("xdotool").isEmpty())
            QSKIP("needs Xvfb and xdotool");
        QVERIFY(home.isValid());
        QVERIFY(x.start());
    }
    void cleanupTestCase()
    {
        if (editor.state() != QProcess::NotRunning) {
            editor.kill();
            editor.waitForFinished(5000);
        }
        x.stop();
    }

    void typedWorkSurvivesAKill()
    {
        startEditor();
        const QString main = waitForWindow("WYSIWYG");
        QVERIFY2(!main.isEmpty(), "the main window did not appear");
        QVERIFY(recoveryFiles().isEmpty());
        typeIntoPage(main, "typed before the crash");
        QVERIFY2(QTest::qWaitFor([&] { return keptHtml().contains("typed before the crash"); }, 15000),
                 qPrintable(keptHtml()));
        killEditor();
        QVERIFY(keptHtml().contains("typed before the crash"));

        // The next start asks; Yes puts the page back. Typing more into it
        // gives a copy with both texts: the restored page is the one edited.
        startEditor();
        const QString box = waitForWindow("^Corvane DHTML Editor$");
        QVERIFY2(!box.isEmpty(), "no question at start");
        xdo({ "windowfocus", "--sync", box });
        xdo({ "key", "--window", box, "alt+y" });
        QVERIFY(QTest::qWaitFor([&] { return window("^Corvane DHTML Editor$").isEmpty(); }, 10000));
        const QString main2 = waitForWindow("WYSIWYG");
        typeIntoPage(main2, " and after");
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         const QString html = keptHtml();
                         return html.contains("typed before the crash")
                             && html.contains("and after");
                     },
                     15000),
                 qPrintable(keptHtml()));
        killEditor();

        // No deletes it, and the program goes on with its new page.
        startEditor();
        const QString box3 = waitForWindow("^Corvane DHTML Editor$");
        QVERIFY2(!box3.isEmpty(), "no question at the third start");
        xdo({ "windowfocus", "--sync", box3 });
        xdo({ "key", "--window", box3, "alt+n" });
        QVERIFY(QTest::qWaitFor([&] { return recoveryFiles().isEmpty(); }, 10000));
        QVERIFY(editor.state() == QProcess::Running);
        killEditor();
    }

    // The program ended 0.3 s after the last key by a signal (SIGTERM when
    // the desktop session ends, SIGHUP when its terminal goes), every key
    // still on its way taken in first, or by the loss of its display: it
    // writes the page as it ends, and the next start offers it.
    void theLastKeysOutliveASignalOrTheDisplay_data()
    {
        QTest::addColumn<int>("signal"); // 0: the X server is killed
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("display lost") << 0;
    }
    void theLastKeysOutliveASignalOrTheDisplay()
    {
        QFETCH(int, signal);
        PrivateDisplay lost;
        const PrivateDisplay *screen = nullptr;
        if (signal == 0) {
            QVERIFY(lost.start());
            screen = &lost;
        }
        startEditor({}, screen);
        const QString main = waitForWindow("WYSIWYG", screen);
        QVERIFY2(!main.isEmpty(), "the main window did not appear");
        const QString text = QStringLiteral("the very last words");
        typeIntoPage(main, text, screen);
        // Keys still on their way into the page when the display goes are
        // gone with it; on a busy machine that can be the last few. Those in
        // the page are what must be kept.
        if (!signal)
            QVERIFY(QTest::qWaitFor([&] { return keptHtml().contains(text); }, 15000));
        QTest::qWait(300);
        const QDateTime ended = QDateTime::currentDateTime();
        if (signal)
            QVERIFY(::kill(pid_t(editor.processId()), signal) == 0);
        else
            lost.server.kill();
        QVERIFY(editor.waitForFinished(15000));
        QVERIFY2(keptHtml().contains(text), qPrintable(keptHtml()));
        // Written as the program ended, not only by the copies kept as the
        // user typed.
        QVERIFY(QFileInfo(recoveryFiles().value(0)).lastModified() >= ended);

        startEditor();
        const QString box = waitForWindow("^Corvane DHTML Editor$");
        QVERIFY2(!box.isEmpty(), "no question at start");
        xdo({ "windowfocus", "--sync", box });
        xdo({ "key", "--window", box, "alt+y" });
        QVERIFY(QTest::qWaitFor([&] { return window("^Corvane DHTML Editor$").isEmpty(); }, 10000));
        typeIntoPage(waitForWindow("WYSIWYG"), " restored");
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         const QString html = keptHtml();
                         return html.contains(text) && html.contains("restored");
                     },
                     15000),
                 qPrintable(keptHtml()));
        killEditor();
        for (const QString &file : recoveryFiles())
            QFile::remove(file);
    }

    // The page's file rewritten by another program while the window is
    // elsewhere: coming back reads it again, since nothing was edited. What
    // the page then holds shows in the copy kept once something is typed.
    void aFileChangedElsewhereIsReadAgainOnReturn()
    {
        if (QStandardPaths::findExecutable("xmessage").isEmpty())
            QSKIP("needs xmessage, a second window to go to");
        const QString page = home.filePath("elsewhere.htm");
        auto write = [&](const QByteArray &bytes) {
            QFile f(page);
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
        };
        QVERIFY(write("<html><body><p>first version</p></body></html>"));
        startEditor({ page });
        const QString main = waitForWindow("elsewhere.htm");
        QVERIFY2(!main.isEmpty(), "the page did not open");

        QProcess other;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", x.display);
        other.setProcessEnvironment(env);
        other.start("xmessage", { "-name", "elsewhere-window", "another program" });
        const QString away = waitForWindow("elsewhere-window|xmessage");
        QVERIFY2(!away.isEmpty(), "no second window");
        xdo({ "windowfocus", "--sync", away });
        QVERIFY(write("<html><body><p>second version, longer</p></body></html>"));
        QTest::qWait(300);
        typeIntoPage(main, "typed after");
        const bool reloaded = QTest::qWaitFor(
            [&] {
                const QString html = keptHtml();
                return html.contains("second version, longer") && html.contains("typed after");
            },
            15000);
        other.kill();
        other.waitForFinished(5000);
        QVERIFY2(reloaded, qPrintable(keptHtml()));
        QVERIFY(!keptHtml().contains("first version"));
        killEditor();
    }
};

QTEST_MAIN(TestRecoveryE2e)
#include "test_recovery_e2e.moc"

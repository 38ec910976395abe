// The real program handed pages the desktop's way: a page named on its
// command line opens once the window is up; a page file dropped on the
// page's own view opens instead of being taken by the browser engine. The
// last case starts the program itself, on a private X server, as the file
// manager does.

#include "document/desktop_open.h"
#include "document/document_errors.h"
#include "editor_program.h"
#include "private_display.h"
#include "web_test_main.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class DesktopOpenEndToEndTest : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // Started with a file: URL, the window comes up with its start-up page
    // and then opens the named page, named in the caption, Save enabled.
    // A page file dropped on the page's view asks about the typing done,
    // then opens the dropped page.
    void namedPageOpensAtStartAndDropsOpenToo()
    {
        const QString first = dir.filePath("first page.htm");
        const QString second = dir.filePath("second.html");
        QVERIFY(writeFile(first, "<html><body><p>Named on the command line</p></body></html>"));
        QVERIFY(writeFile(second, "<html><body><p>Dropped on the window</p></body></html>"));

        RunningEditor app;
        QVERIFY(app.start(true, pageArguments({ QUrl::fromLocalFile(first).toString() }, "/")));
        QTRY_COMPARE(app.editor->CurrentDocumentPath(), first);
        QTRY_VERIFY(app.html().contains("Named on the command line"));
        QVERIFY(app.form->windowTitle().contains("first page.htm"));
        QVERIFY(app.w().FileSave->isEnabled());
        QVERIFY(!app.form->state().changed);
        QVERIFY(app.dialogs.shown.isEmpty());

        // Unsaved typing first: the prompt is answered No.
        app.form->state().changed = true;
        app.dialogs.answers.enqueue(vbNo);
        QTRY_VERIFY(app.typingTarget());
        QWidget *view = app.typingTarget();
        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile(second) });
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(view, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(app.editor->CurrentDocumentPath(), second);
        QTRY_VERIFY(app.html().contains("Dropped on the window"));
        QCOMPARE(app.dialogs.shown.size(), 1); // the save-changes prompt
        QVERIFY(!app.form->state().changed);
        app.stop();
    }

    // A named page that cannot be opened is said with Open's load message
    // and the start-up page stays; a second name is said to be left out.
    void missingPageLeavesTheStartUpPage()
    {
        RunningEditor app;
        QVERIFY(app.start(true, { dir.filePath("not there.htm"), dir.filePath("other.htm") }));
        QTRY_COMPARE(app.dialogs.shown.size(), 2);
        QCOMPARE(app.dialogs.shown.at(0).text, loadErrorMessage(ComponentErrorCode::FileNotFound));
        QCOMPARE(app.dialogs.shown.at(1).text, OnePageAtATimeMessage);
        QVERIFY(app.html().contains("CorvaneSoftware DHTML WYSIWYG Editor"));
        QCOMPARE(app.editor->CurrentDocumentPath(), QString());
        QVERIFY(!app.w().FileSave->isEnabled());
        app.stop();
    }

    // The program itself, started with a file: URL as its argument (a name
    // with spaces, escaped as URLs have it): its window comes to name the page.
    void realProgramOpensItsArgument()
    {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()
            || QStandardPaths::findExecutable("xdotool").isEmpty())
            QSKIP("needs Xvfb and xdotool (scripts/install-deps.sh installs them)");
        const QString page = dir.filePath("opened from the desktop.htm");
        QVERIFY(writeFile(page, "<html><body><p>From the file manager</p></body></html>"));
        QTemporaryDir home;

        PrivateDisplay x;
        QVERIFY(x.start());
        QProcess editor;
        editor.setProcessEnvironment(x.environment(home));
        editor.setWorkingDirectory(home.path());
        editor.setStandardOutputFile(QProcess::nullDevice());
        editor.setStandardErrorFile(QProcess::nullDevice());
        editor.start(EDITOR_BINARY, { QUrl::fromLocalFile(page).toString(QUrl::FullyEncoded) });
        QVERIFY(editor.waitForStarted());

        QString named;
        QElapsedTimer timer;
        timer.start();
        while (named.isEmpty() && timer.elapsed() < 60000 && editor.state() == QProcess::Running) {
            QTest::qWait(200);
            named = x.xdo({ "search", "--onlyvisible", "--name", "opened from the desktop" });
        }
        const bool stillRunning = editor.state() == QProcess::Running;
        editor.kill();
        editor.waitForFinished(10000);
        x.stop();
        QVERIFY2(stillRunning, "the program ended on its own");
        QVERIFY2(!named.isEmpty(), "no window named the page");
    }
};

WEB_TEST_MAIN(DesktopOpenEndToEndTest)
#include "test_desktop_open_e2e.moc"

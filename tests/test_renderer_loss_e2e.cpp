// The whole program loses its renderer 0.6 s after the user's last key: the
// page comes back with everything typed and the caret where it was, and what
// happened is said in a bar above the page that takes no keys, so the words
// the user goes on typing (a space first) land in the page at the caret; the
// bar closed from the keyboard gives the keys back to the page.

#include "app/notice_bar.h"
#include "editor_program.h"
#include "web_test_main.h"

#include <QFile>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <csignal>

class RendererLossE2e : public QObject
{
    Q_OBJECT
    RunningEditor app;
    QTemporaryDir dir;

    QString html() { return app.html(); }

private slots:
    void initTestCase()
    {
        if (!app.start())
            QSKIP("no active window for typing");
    }
    void cleanupTestCase() { app.stop(); }

    void typingGoesOnWhereItWasAfterTheRendererDies()
    {
        const QString file = dir.filePath("page.htm");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><head><meta charset=\"utf-8\"></head><body><p id=\"a\">First line.</p>"
                "<p id=\"b\">Second line</p><p id=\"c\">Third line.</p></body></html>");
        f.close();
        app.form->hooks().openFiles({ file });
        QTRY_COMPARE(app.editor->CurrentDocumentPath(), QFileInfo(file).absoluteFilePath());
        selectIn(app.editor, "#b", {}, "end");
        QTRY_COMPARE(QApplication::focusWidget(), app.typingTarget());
        QTest::keyClicks(QApplication::focusWidget(), " typed before", Qt::NoModifier, 20);
        QTRY_VERIFY(html().contains("Second line typed before"));

        QTest::qWait(600);
        const qint64 renderer = app.editor->view()->page()->renderProcessPid();
        QVERIFY(renderer > 0);
        QVERIFY(::kill(pid_t(renderer), SIGKILL) == 0);
        NoticeBar *notice = app.form->noticeBar();
        QTRY_VERIFY_WITH_TIMEOUT(notice->isVisible(), 20000);
        QVERIFY2(app.dialogs.shown.isEmpty(), qPrintable(app.dialogs.shown.value(0).text));
        QVERIFY(!notice->text().isEmpty());

        // The keys go where the keyboard is, while the notice shows.
        QTRY_VERIFY(QApplication::focusWidget() == app.typingTarget());
        QTest::keyClicks(QApplication::focusWidget(), " and after", Qt::NoModifier, 20);
        QTRY_VERIFY2(html().contains("Second line typed before and after</p>"), qPrintable(html()));
        QVERIFY2(html().contains("<p id=\"a\">First line.</p>"), qPrintable(html()));
        QVERIFY(notice->isVisible());
        QVERIFY(app.dialogs.shown.isEmpty());

        // Closed from the keyboard, the bar gives the keys back to the page.
        notice->closeButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(notice->closeButton(), Qt::Key_Space);
        QTRY_VERIFY(!notice->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), app.typingTarget());
    }
};

WEB_TEST_MAIN(RendererLossE2e)
#include "test_renderer_loss_e2e.moc"

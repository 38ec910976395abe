// The whole program, offscreen, pasting a 20 MB clipboard of HTML with
// Ctrl+V: the paste is asked about first, the window keeps answering while
// it runs, it is one undo step, and the page saves afterwards.

#include "editor_program.h"
#include "file_bytes.h"
#include "web_test_main.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTemporaryDir>

class LargePasteTest : public QObject
{
    Q_OBJECT
    RunningEditor app;
    QTemporaryDir dir;

    QWidget *page() { return app.typingTarget(); }

    // Puts HTML of about `bytes` on the clipboard, its last paragraph marked.
    static void clipboardOf(qint64 bytes)
    {
        QString html;
        html.reserve(bytes + 200);
        for (int n = 0; html.size() < bytes; ++n)
            html += QStringLiteral("<p>Pasted paragraph %1 with <b>some bold</b> and "
                                   "<i>italic</i> words, and a few more to fill the line.</p>\n")
                        .arg(n);
        html += QStringLiteral("<p>LAST-PASTED-PARAGRAPH</p>");
        auto *mime = new QMimeData;
        mime->setHtml(html);
        mime->setText(QStringLiteral("plain LAST-PASTED-PARAGRAPH"));
        QApplication::clipboard()->setMimeData(mime);
    }

private slots:
    void initTestCase() { QVERIFY(app.start()); }
    void cleanupTestCase() { app.stop(); }

    void twentyMegabytesKeepTheWindowAnswering()
    {
        QTRY_COMPARE(QApplication::focusWidget(), page());
        QTest::keyClicks(page(), "typed before");
        QTRY_VERIFY(app.html().contains("typed before"));
        clipboardOf(20 * 1024 * 1024);
        app.engineDialogs->largePaste = LargePasteChoice::Paste;

        // The window's event loop must never stall for long.
        QElapsedTimer sinceTick;
        qint64 longestStall = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] {
            longestStall = std::max(longestStall, sinceTick.restart());
        });
        sinceTick.start();
        ticker.start(50);
        QTest::keyClick(page(), Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(app.engineDialogs->largePasteAsked.size(), 1, 10000);
        QVERIFY(app.engineDialogs->largePasteAsked[0] > 20 * 1024 * 1024);
        // The engine answers between the slices the paste goes in by.
        QElapsedTimer clock;
        clock.start();
        QVERIFY(app.editor->bridge()->call("snapshot").isObject());
        const qint64 firstAnswerMs = clock.elapsed();

        // Save waits for the rest of the paste, without the window stalling.
        const QString path = dir.filePath("pasted.htm");
        app.files->saveChoice = path;
        clock.restart();
        app.w().FileSaveAs->trigger();
        const qint64 saveMs = clock.elapsed();
        ticker.stop();
        qInfo("first answer after the paste %lld ms, save %lld ms, longest stall of the "
              "window %lld ms",
              firstAnswerMs, saveMs, longestStall);
        QVERIFY2(longestStall < 2000, qPrintable(QString::number(longestStall)));
        QCOMPARE(app.engineDialogs->waitAsked, 0);
        QVERIFY2(app.dialogs.shown.isEmpty(),
                 app.dialogs.shown.isEmpty() ? "" : qPrintable(app.dialogs.shown[0].text));
        const QByteArray saved = readBytes(path);
        QVERIFY(saved.size() > 20 * 1024 * 1024);
        QVERIFY(saved.contains("typed before"));
        QVERIFY(saved.contains("<p>LAST-PASTED-PARAGRAPH</p>"));
        QVERIFY(saved.contains("<p>Pasted paragraph 0 with <b>some bold</b>"));

        // One undo step takes the whole paste out again.
        clock.restart();
        COMPONENT_OK(app.editor->ExecCommand(DECMD_UNDO));
        qInfo("undo %lld ms", clock.elapsed());
        const QString undone = app.html();
        QVERIFY(!undone.contains("LAST-PASTED-PARAGRAPH"));
        QVERIFY(undone.contains("typed before"));
    }

    // Below the question's bound nothing is asked; plain text above it goes
    // in as text when the user chooses so.
    void largeTextChoiceAndCancel()
    {
        app.editor->NewDocument();
        clipboardOf(3 * 1024 * 1024);
        app.engineDialogs->largePasteAsked.clear();
        app.engineDialogs->largePaste = LargePasteChoice::Cancel;
        app.editor->ExecCommand(DECMD_PASTE);
        QCOMPARE(app.engineDialogs->largePasteAsked.size(), 1);
        QVERIFY(!app.html().contains("LAST-PASTED"));
        app.engineDialogs->largePaste = LargePasteChoice::PasteAsText;
        app.editor->ExecCommand(DECMD_PASTE);
        const QString html = app.html();
        QVERIFY2(html.contains("plain LAST-PASTED-PARAGRAPH"), qPrintable(html.left(400)));
        QVERIFY(!html.contains("<b>some bold</b>"));
    }
};

WEB_TEST_MAIN(LargePasteTest)
#include "test_large_paste_e2e.moc"

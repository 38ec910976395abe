// The whole program on pages as real sites have them: opened from the File
// menu, edited with the keyboard, saved with Ctrl+S; the file on disk
// changes only where the keys went.

#include "editor_program.h"
#include "file_bytes.h"
#include "web_test_main.h"

#include <QTemporaryDir>

class FaithfulSaveEndToEndTest : public QObject
{
    Q_OBJECT
    RunningEditor app;
    QTemporaryDir dir;

    QWidget *typingTarget() { return app.typingTarget(); }

    // Opens bytes written to name through File > Open; the page then has
    // the keyboard.
    QString open(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        writeBytes(path, bytes);
        // A keystroke's notice that came after the last save marks the page
        // changed again: nothing to keep.
        if (app.form->state().changed)
            app.dialogs.answers.enqueue(vbNo);
        app.files->openChoice = path;
        app.w().FileOpen->trigger();
        if (app.editor->CurrentDocumentPath() != path) {
            qWarning() << "not opened:" << path;
            return {};
        }
        if (!QTest::qWaitFor([this] { return QApplication::focusWidget() == typingTarget(); })) {
            qWarning() << "the page does not have the keyboard";
            return {};
        }
        return path;
    }

    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(typingTarget(), k, modifiers);
    }

    // Ctrl+S once the page holds `typed` and its notifications are in,
    // then the bytes once the file holds it.
    QByteArray saveWith(const QString &path, const QByteArray &typed)
    {
        if (!QTest::qWaitFor([&] { return app.html().contains(QString::fromUtf8(typed)); }, 5000))
            return "nothing was typed";
        QTest::qWait(500);
        key(Qt::Key_S, Qt::ControlModifier);
        QByteArray bytes;
        QTest::qWaitFor([&] { return (bytes = readBytes(path)).contains(typed); }, 10000);
        QTest::qWaitFor([this] { return !app.form->state().changed; }, 5000);
        return bytes;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(app.start(false));
    }
    void cleanupTestCase() { app.stop(); }

    // Ctrl+Home on a page that starts with a captured CGI header, two
    // letters, Ctrl+S: the doctype and <HTML><HEAD> stay, and the charset
    // declaration goes inside the head.
    void twoLettersBeforeStrayTextBeforeTheDoctype()
    {
        const QByteArray head("Content-type: text/html; charset=UTF-8\n\n"
                              "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
                              "<HTML><HEAD>");
        const QByteArray rest("<TITLE>Report</TITLE></HEAD>\n<BODY>\n<P>First.</P>\n"
                              "</BODY></HTML>\n");
        const QString path = open("cgi.htm", head + rest);
        QVERIFY(!path.isEmpty());
        key(Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(typingTarget(), "XY");
        const QByteArray saved = saveWith(path, "XYContent");
        QCOMPARE(saved, "XY" + head
                            + "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                            + rest);
    }

    // Ctrl+End, Enter and a word on a page whose </p></body></html> share a
    // line: the end tags stay.
    void paragraphAddedAtTheEnd()
    {
        const QByteArray page("<html><head><meta charset=utf-8><title>t</title></head>\n<body>\n"
                              "<p>One.</p>\n<p>Last.</p></body></html>\n");
        const QString path = open("end.htm", page);
        QVERIFY(!path.isEmpty());
        key(Qt::Key_End, Qt::ControlModifier);
        key(Qt::Key_Return);
        QTest::keyClicks(typingTarget(), "Added");
        const QByteArray saved = saveWith(path, "Added");
        QVERIFY2(saved.startsWith("<html><head><meta charset=utf-8><title>t</title></head>\n<body>\n"
                                  "<p>One.</p>\n<p>Last.</p>"),
                 saved.constData());
        QVERIFY2(saved.endsWith("Added</p></body></html>\n"), saved.constData());
    }

    // A word typed at the start of a paragraph whose text starts on a new
    // line, in a page with CR LF line ends: only that line changes, and
    // every line still ends in CR LF.
    void wordTypedInACrLfPage()
    {
        const QByteArray page("<html><head><meta charset=utf-8></head><body>\r\n"
                              "<table><tr><td>cell</td></tr></table>\r\n<p>\r\n  Hello world.\r\n"
                              "</p>\r\n</body></html>\r\n");
        const QString path = open("crlf.htm", page);
        QVERIFY(!path.isEmpty());
        key(Qt::Key_End, Qt::ControlModifier);
        key(Qt::Key_Home);
        QTest::keyClicks(typingTarget(), "EDITED ");
        const QByteArray saved = saveWith(path, "EDITED");
        QCOMPARE(saved.count('\n'), saved.count("\r\n"));
        QVERIFY2(saved.startsWith("<html><head><meta charset=utf-8></head><body>\r\n"
                                  "<table><tr><td>cell</td></tr></table>\r\n<p>"),
                 saved.constData());
        QVERIFY2(saved.endsWith("EDITED Hello world.\r\n</p>\r\n</body></html>\r\n"),
                 saved.constData());
    }
};

WEB_TEST_MAIN(FaithfulSaveEndToEndTest)
#include "test_faithful_save_e2e.moc"

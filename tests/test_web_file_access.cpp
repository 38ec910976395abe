// The real component opening and saving real files: encodings, fidelity and
// the error codes of real failures.

#include "platform/editing/page_file.h"
#include "platform/editing/web_editing_component.h"
#include "scripted_file_dialogs.h"
#include "file_bytes.h"
#include "web_test_main.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <sys/stat.h>

class WebFileAccessTest : public QObject
{
    Q_OBJECT
    WebEditingComponent *component = nullptr;
    ScriptedFileDialogs *dialogs = nullptr;
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        component = new WebEditingComponent;
        auto scripted = std::make_unique<ScriptedFileDialogs>();
        dialogs = scripted.get();
        component->setFileDialogs(std::move(scripted));
        COMPONENT_OK(component->NewDocument());
    }
    void cleanupTestCase() { delete component; }

    // Bytes the encoding cannot read open as replacement characters, and the
    // component says so; the next clean page says nothing.
    void invalidBytesAreReported()
    {
        writeBytes(path("bad.htm"), "<html><head><meta charset=\"utf-8\"></head><body><p>a\xff"
                                    "b\xfe</p></body></html>");
        COMPONENT_OK(component->LoadDocument(path("bad.htm")));
        QVERIFY2(component->LoadWarning().contains(QLatin1String("UTF-8 (2 places)")),
                 qPrintable(component->LoadWarning()));
        QVERIFY(component->DocumentHTML().contains(QString::fromUtf8("a\xef\xbf\xbd" "b")));
        writeBytes(path("good.htm"), "<html><body><p>fine</p></body></html>");
        COMPONENT_OK(component->LoadDocument(path("good.htm")));
        QVERIFY(component->LoadWarning().isEmpty());
    }

    void legacyEncodingsComeBackInTheirOwnBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("mustKeep");
        QTest::newRow("iso-8859-1")
            << QByteArray("<html><head><meta http-equiv=\"Content-Type\" "
                          "content=\"text/html; charset=ISO-8859-1\"><title>Caf\xe9</title>"
                          "</head><body><p>na\xefve r\xe9sum\xe9 \xa9</p></body></html>")
            << QByteArray("na\xefve r\xe9sum\xe9 \xa9");
        QTest::newRow("windows-1252")
            << QByteArray("<html><head><meta charset=\"windows-1252\"></head><body>"
                          "<p>\x93quoted\x94 \x80 5</p></body></html>")
            << QByteArray("\x93quoted\x94 \x80 5");
        QTest::newRow("euc-kr")
            << QByteArray("<html><head><meta charset=\"euc-kr\"></head><body><p>"
                          "\xc7\xd1\xb1\xb9\xbe\xee</p></body></html>")
            << QByteArray("\xc7\xd1\xb1\xb9\xbe\xee");
        QTest::newRow("utf-8 declared")
            << QByteArray("<!-- before --><!DOCTYPE html><html><head><meta charset=\"utf-8\">"
                          "</head><body><p>\xc3\xa9t\xc3\xa9 \xe2\x82\xac &nbsp;</p></body></html>")
            << QByteArray("<!-- before --><!DOCTYPE html>");
        QTest::newRow("utf-8 with bom")
            << QByteArray("\xef\xbb\xbf<html><body><p>\xc3\xa9t\xc3\xa9 \xe2\x82\xac</p></body></html>")
            << QByteArray("\xef\xbb\xbf");
    }
    void legacyEncodingsComeBackInTheirOwnBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, mustKeep);
        const QString source = path("enc.htm"), target = path("enc-saved.htm");
        writeBytes(source, bytes);
        COMPONENT_OK(QVERIFY(component->LoadDocument(source)));
        QCOMPARE(component->CurrentDocumentPath(), source);
        COMPONENT_OK(QVERIFY(component->SaveDocument(target)));
        QCOMPARE(component->CurrentDocumentPath(), target);
        const QByteArray saved = readBytes(target);
        QVERIFY2(saved.contains(mustKeep), saved.constData());
    }

    // A page saved with no edit (or with every edit undone) is the file as it
    // was read, byte for byte; any other save writes the page from the editor.
    void unchangedPageIsSavedByteForByte()
    {
        const QByteArray page = "\xef\xbb\xbf<!-- odd -->\r\n<HTML>\r\n<BODY BGCOLOR=white>"
                                "<P CLASS=a>caf\xc3\xa9 &eacute; &#233;\r\n<P>two  spaces"
                                "</BODY></HTML>\r\n\r\n";
        const QString file = path("exact.htm"), copy = path("exact-copy.htm");
        writeBytes(file, page);
        COMPONENT_OK(component->LoadDocument(file));
        COMPONENT_OK(component->SaveDocument(copy));
        QCOMPARE(readBytes(copy), page);

        COMPONENT_OK(component->DOM().setBodyAttribute("bgColor", "red"));
        COMPONENT_OK(component->SaveDocument(copy));
        QVERIFY(readBytes(copy).contains("bgcolor=\"red\""));
        COMPONENT_OK(component->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER));
        COMPONENT_OK(component->SaveDocument(copy));
        QCOMPARE(readBytes(copy), page);

        // A put is a new page, whose text is what was put.
        COMPONENT_OK(component->setDocumentHTML(
            component->DocumentHTML().replace("two  spaces", "two spaces")));
        COMPONENT_OK(component->SaveDocument(copy));
        QCOMPARE(readBytes(copy), QByteArray(page).replace("two  spaces", "two spaces"));
    }

    // Once edited, the page is written from the editor and keeps what the
    // browser read: as written wherever the edit did not reach.
    void editedPageKeepsItsContent()
    {
        const QByteArray page =
            "<!-- first -->\n<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n"
            "<HTML><HEAD><META NAME=\"GENERATOR\" Content='\"X\"'><TITLE>t</TITLE>"
            "<SCRIPT>document.title = 'changed';</SCRIPT><STYLE>p{}</STYLE></HEAD>"
            "<BODY><DIV>&nbsp;</DIV><unknown-thing a=\"1\">u</unknown-thing>"
            "<p>a &lt; b &amp; c</p></BODY></HTML>";
        writeBytes(path("page.htm"), page);
        COMPONENT_OK(component->LoadDocument(path("page.htm")));
        COMPONENT_OK(component->DOM().setBodyAttribute("bgColor", "red"));
        COMPONENT_OK(component->SaveDocument(path("page-saved.htm")));
        const QString saved = QString::fromUtf8(readBytes(path("page-saved.htm")));
        // It declared no charset: UTF-8 is said at the start of the head.
        QCOMPARE(saved,
                 QString::fromUtf8(page)
                     .replace("<BODY>", "<body bgcolor=\"red\">")
                     .replace("<HEAD>", "<HEAD><meta http-equiv=\"Content-Type\" "
                                        "content=\"text/html; charset=utf-8\">"));
    }

    void dialogsCanBeCancelled()
    {
        COMPONENT_OK(component->LoadDocument(path("page.htm")));
        const QString before = component->DocumentHTML();
        dialogs->openChoice.clear();
        dialogs->saveChoice.clear();
        bool done = true;
        COMPONENT_OK(done = component->LoadDocument(QString(), true));
        QVERIFY(!done);
        COMPONENT_OK(done = component->SaveDocument(QString(), true));
        QVERIFY(!done);
        QCOMPARE(component->CurrentDocumentPath(), path("page.htm"));
        QCOMPARE(component->DocumentHTML(), before);

        dialogs->saveChoice = path("chosen.htm");
        COMPONENT_OK(QVERIFY(component->SaveDocument(QString(), true)));
        QCOMPARE(component->CurrentDocumentPath(), path("chosen.htm"));
        QVERIFY(QFile::exists(path("chosen.htm")));
    }

    void realFailuresCarryTheirCodes()
    {
        using namespace ComponentErrorCode;
        QCOMPARE(errorOf([&] { component->LoadDocument(path("missing.htm")); }), FileNotFound);
        QCOMPARE(errorOf([&] { component->LoadDocument(path("no/such/dir/a.htm")); }), PathNotFound);
        QCOMPARE(errorOf([&] { component->SaveDocument(path("no/such/dir/a.htm")); }), PathNotFound);
        writeBytes(path("frames.htm"), "<html><frameset rows=\"*\"><frame src=a.htm></frameset></html>");
        QCOMPARE(errorOf([&] { component->LoadDocument(path("frames.htm")); }), Frameset);
        writeBytes(path("binary.htm"), QByteArray("GIF89a\x01\x00\x01\x00\x00\x00\x00", 13));
        QCOMPARE(errorOf([&] { component->LoadDocument(path("binary.htm")); }), NotHtml);
        // A special file is never replaced by a page (a rename over it would).
        const QByteArray fifo = QFile::encodeName(path("pipe.htm"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        QCOMPARE(errorOf([&] { component->SaveDocument(path("pipe.htm")); }), AccessDenied);
        QVERIFY(!QFileInfo(path("pipe.htm")).isFile());
        // After failures the page and its path are as the last success left them.
        QCOMPARE(component->CurrentDocumentPath(), path("chosen.htm"));
    }

    void newDocumentForgetsThePath()
    {
        COMPONENT_OK(component->NewDocument());
        QCOMPARE(component->CurrentDocumentPath(), QString());
        COMPONENT_OK(component->setDocumentHTML("<p>\xc3\xa9</p>"));
        COMPONENT_OK(component->SaveDocument(path("new.htm")));
        QVERIFY(readBytes(path("new.htm")).contains("<p>\xc3\xa9</p>"));
    }
};

WEB_TEST_MAIN(WebFileAccessTest)
#include "test_web_file_access.moc"

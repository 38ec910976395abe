// The page in the editor stays the page the user opened, and nothing else is
// ever saved over it: pages load as HTML whatever their file name, refresh
// declarations go nowhere, and a replaced document is refused at save time.

#include "platform/editing/refresh_guard.h"
#include "platform/editing/web_editing_component.h"
#include "scripted_file_dialogs.h"
#include "file_bytes.h"
#include "web_test_main.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

const QByteArray OrdinaryPage = "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
                                "<title>t</title></head><body><p>Hello <b>world</b></p>"
                                "</body></html>";

} // namespace

class PageGuardTest : public QObject
{
    Q_OBJECT
    WebEditingComponent *component = nullptr;
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        component = new WebEditingComponent;
        component->setFileDialogs(std::make_unique<ScriptedFileDialogs>());
        COMPONENT_OK(component->NewDocument());
    }
    void cleanupTestCase() { delete component; }

    void disarmRenamesOnlyLiveRefreshDeclarations_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quoted") << R"(<meta http-equiv="refresh" content="3;url=about:blank">)"
                                << R"(<meta data-corvane-http-equiv="refresh" content="3;url=about:blank">)";
        QTest::newRow("unquoted, upper case, spaced")
            << R"(<META content=0 HTTP-EQUIV = Refresh >)"
            << R"(<META content=0 data-corvane-http-equiv = Refresh >)";
        QTest::newRow("single quotes, self-closing")
            << R"(<meta http-equiv=' refresh ' content='1'/>)"
            << R"(<meta data-corvane-http-equiv=' refresh ' content='1'/>)";
        QTest::newRow("two in a row")
            << R"(<meta http-equiv=refresh content=1><meta http-equiv=refresh content=2>)"
            << R"(<meta data-corvane-http-equiv=refresh content=1><meta data-corvane-http-equiv=refresh content=2>)";
        const QString untouched[] = {
            R"(<meta http-equiv="Content-Type" content="text/html; refresh">)",
            R"(<!-- <meta http-equiv="refresh" content="0"> -->)",
            R"(<script>x = '<meta http-equiv="refresh" content="0">'</script>)",
            R"(<textarea><meta http-equiv=refresh content=0></textarea>)",
            R"(<p>refresh <metadata http-equiv=refresh></p>)",
            R"(<meta content="http-equiv=refresh">)",
        };
        for (const QString &html : untouched)
            QTest::newRow(qPrintable(html)) << html << html;
    }
    void disarmRenamesOnlyLiveRefreshDeclarations()
    {
        QFETCH(QString, html);
        QFETCH(QString, expected);
        QCOMPARE(disarmRefresh(html), expected);
    }

    // Every page the component opens shows as HTML, not as text or an XML
    // error, and saving it unedited writes a page, not a dump of its source.
    void pagesLoadAsHtmlWhateverTheirName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        for (const char *name : { "page.txt", "page.md", "page.jsp", "page", "page.php",
                                  "page.asp", "page.xml", "page.svg", "page.HTM" })
            QTest::newRow(name) << QString::fromLatin1(name) << OrdinaryPage;
        QTest::newRow("malformed xhtml")
            << QStringLiteral("page.xhtml")
            << QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?><html><head>"
                          "<meta charset=\"utf-8\"></head><body><p>Hello <b>world</b><br>"
                          "</p></body></html>");
        QTest::newRow("php with a little server code")
            << QStringLiteral("small.php")
            << QByteArray("<html><head><meta charset=\"utf-8\"></head><body><p>Hello <b>world</b>"
                          "</p><p>Lots of ordinary text so that the code is a small part.</p>"
                          "<?php echo 1; ?></body></html>");
    }
    void pagesLoadAsHtmlWhateverTheirName()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString file = dir.filePath(name);
        writeBytes(file, bytes);
        QElapsedTimer clock;
        clock.start();
        COMPONENT_OK(component->LoadDocument(file));
        QVERIFY2(clock.elapsed() < 15000, "the load waited for a time-out");
        const QString html = component->DocumentHTML();
        QVERIFY2(html.contains(QLatin1String("<b>world</b>")), qPrintable(html));
        QVERIFY2(!html.contains(QLatin1String("<pre")), qPrintable(html));
        COMPONENT_OK(component->SaveDocument(file));
        const QByteArray saved = readBytes(file);
        QVERIFY2(saved.contains("<b>world</b>"), saved.constData());
        QVERIFY2(!saved.contains("&lt;"), saved.constData());
    }

    // A refresh declaration never takes the page away, and it is saved back
    // exactly as it was written.
    void refreshDeclarationsGoNowhere_data()
    {
        QTest::addColumn<QByteArray>("meta");
        QTest::addColumn<bool>("doctype");
        QTest::newRow("1 s to about:blank")
            << QByteArray("<meta http-equiv=\"refresh\" content=\"1;url=about:blank\">") << true;
        QTest::newRow("0 s, no doctype")
            << QByteArray("<meta http-equiv=\"refresh\" content=\"0;url=about:blank\">") << false;
        QTest::newRow("about:blank#x")
            << QByteArray("<meta http-equiv=refresh content=\"0; URL=about:blank#x\">") << true;
        QTest::newRow("reload itself") << QByteArray("<META HTTP-EQUIV=Refresh CONTENT=1>") << true;
    }
    void refreshDeclarationsGoNowhere()
    {
        QFETCH(QByteArray, meta);
        QFETCH(bool, doctype);
        const QString file = dir.filePath(QStringLiteral("refresh.htm"));
        const QByteArray page = (doctype ? QByteArray("<!DOCTYPE html>") : QByteArray())
            + "<html><head><meta charset=\"utf-8\">" + meta
            + "</head><body><p>Keep <i>me</i></p></body></html>";
        writeBytes(file, page);
        COMPONENT_OK(component->LoadDocument(file));
        const QUrl loaded = component->view()->page()->url();
        QTest::qWait(1600); // past the declared delay
        QCOMPARE(component->view()->page()->url(), loaded);
        QString html;
        COMPONENT_OK(html = component->DocumentHTML());
        QVERIFY2(html.contains(QLatin1String("Keep <i>me</i>")), qPrintable(html));
        QVERIFY2(!html.contains(QLatin1String("data-corvane")), qPrintable(html));
        COMPONENT_OK(component->SaveDocument(file));
        QCOMPARE(readBytes(file), page); // unedited: as it was read
        // Written from the editor, the declaration gets its own name back.
        COMPONENT_OK(component->DOM().setBodyAttribute("bgColor", "white"));
        COMPONENT_OK(component->SaveDocument(file));
        const QByteArray saved = readBytes(file);
        QVERIFY2(saved.contains("Keep <i>me</i>"), saved.constData());
        // The declaration is kept as written, name and all.
        QVERIFY2(saved.contains(meta), saved.constData());
        QVERIFY2(!saved.contains("data-corvane"), saved.constData());
        // The saved page opens as safely again.
        COMPONENT_OK(component->LoadDocument(file));
        QTest::qWait(1200);
        QCOMPARE(component->view()->page()->url().path(), loaded.path());
        QVERIFY(component->DocumentHTML().contains(QLatin1String("Keep <i>me</i>")));
    }

    // Elements become named properties of the window; a page naming them
    // after the engine's own names must still open and edit.
    void pagesCannotShadowTheEngine()
    {
        QString body;
        for (const char *name : { "__corvaneEngineLoaded", "Corvane", "QWebChannel", "qt",
                                  "module", "bridge", "E", "handlers", "channel", "transport",
                                  "QWebChannelMessageTypes", "Object", "JSON", "Promise" }) {
            body += QStringLiteral("<p id=\"%1\">id</p><form name=\"%1\"></form>"
                                   "<img name=\"%1\"><iframe name=\"%1\"></iframe>")
                        .arg(QLatin1String(name));
        }
        const QString file = dir.filePath(QStringLiteral("names.htm"));
        writeBytes(file,
                   "<html><head><meta charset=\"utf-8\"></head><body>" + body.toUtf8()
                       + "<p>Hello <b>world</b></p></body></html>");
        COMPONENT_OK(component->LoadDocument(file));
        QString html;
        COMPONENT_OK(html = component->DocumentHTML());
        QVERIFY2(html.contains(QLatin1String("<b>world</b>")), qPrintable(html));
        COMPONENT_OK(component->ExecCommand(DECMD_SELECTALL, OLECMDEXECOPT_DONTPROMPTUSER));
        COMPONENT_OK(component->ExecCommand(DECMD_ITALIC, OLECMDEXECOPT_DONTPROMPTUSER));
        QTRY_COMPARE(component->QueryStatus(DECMD_ITALIC), int(DECMDF_LATCHED));
    }

    // However the document got replaced, the save is refused and the file on
    // disk stays as it was.
    void aReplacedDocumentIsNeverSaved_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("about:blank") << QStringLiteral("location.href = 'about:blank';");
        QTest::newRow("about:blank#x") << QStringLiteral("location.replace('about:blank#x');");
    }
    void aReplacedDocumentIsNeverSaved()
    {
        QFETCH(QString, script);
        const QString file = dir.filePath(QStringLiteral("replaced.htm"));
        writeBytes(file, OrdinaryPage);
        COMPONENT_OK(component->LoadDocument(file));
        component->view()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld);
        QTest::qWait(1500);
        quint32 code = 0;
        try {
            component->SaveDocument(file);
        } catch (const ComponentError &e) {
            code = e.code();
        }
        QCOMPARE(code, ComponentErrorCode::PageReplaced);
        QCOMPARE(readBytes(file), OrdinaryPage);
        // A fresh load makes the component whole again.
        COMPONENT_OK(component->LoadDocument(file));
        COMPONENT_OK(component->SaveDocument(file));
    }
};

WEB_TEST_MAIN(PageGuardTest)
#include "test_page_guard.moc"

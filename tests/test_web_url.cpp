// The real component opening pages from web and file addresses, against a
// server of the test's own on 127.0.0.1, and saving them to disk.

#include "file_bytes.h"
#include "local_http_server.h"
#include "platform/editing/web_editing_component.h"
#include "web_test_main.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

QByteArray pngBytes()
{
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class WebUrlTest : public QObject
{
    Q_OBJECT
    WebEditingComponent *component = nullptr;
    LocalHttpServer server;
    QTemporaryDir dir;

    QVariant evaluate(const QString &script) { return evaluateInEngine(component, script); }
    void putMarkerPage()
    {
        COMPONENT_OK(component->NewDocument());
        COMPONENT_OK(component->setDocumentHTML("<html><body><p>marker page</p></body></html>"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server.start());
        server.routes["/site/page.html"]
            = { 200, "text/html; charset=utf-8",
                "<!DOCTYPE html><html><head><title>Remote</title>"
                "<link rel=\"stylesheet\" href=\"style.css\"></head>"
                "<body background=\"back.png\"><p id=\"top\">Remote words</p>"
                "<img src=\"pic.png\" srcset=\"pic.png 1x, big.png 2x\">"
                "<p style=\"background: url('tile.png')\">tiled</p><a href=\"other.html\">next</a> "
                "<a href=\"#top\">up</a> "
                "<a href=\"/root.html\">root</a> <a href=\"http://example.invalid/x\">away</a>"
                "</body></html>",
                false };
        server.routes["/site/pic.png"] = { 200, "image/png", pngBytes(), false };
        server.routes["/site/style.css"] = { 200, "text/css", "p { color: green }", false };
        server.routes["/base/page.html"] = {
            200, "text/html",
            "<html><head><base href=\"../site/\"></head><body><img src=\"pic.png\"></body></html>",
            false
        };
        server.routes["/error.html"] = { 500, "text/html", "<p>server fault</p>", false };
        server.routes["/never.html"] = { 200, "text/html", {}, true };
        server.routes["/plain.txt"] = { 200, "text/plain", "just text", false };
        server.routes["/picture.png"] = { 200, "image/png", pngBytes(), false };
        server.routes["/frames.html"]
            = { 200, "text/html",
                "<html><frameset cols=\"50%,50%\"><frame src=\"a.html\"></frameset></html>",
                false };
        // The server's charset counts before the page's own declaration.
        server.routes["/declared.html"]
            = { 200, "text/html; charset=windows-1252",
                "<html><head><meta charset=\"utf-8\"></head><body><p>caf\xe9</p></body></html>",
                false };
        server.routes["/bare.html"] = { 200, "text/html; charset=\"windows-1252\"",
                                        "<html><body><p>na\xefve</p></body></html>", false };
        component = new WebEditingComponent;
        component->setUrlTimeout(1500);
    }
    void cleanupTestCase() { delete component; }

    // The page is edited with its pictures and style sheets from the web,
    // has no file until saved, and is saved with absolute links that show
    // the same page from disk.
    void webPageResolvesAgainstItsAddress()
    {
        putMarkerPage();
        COMPONENT_OK(component->SaveDocument(dir.filePath("before.htm")));
        QVERIFY(!component->CurrentDocumentPath().isEmpty());
        server.requested.clear();
        COMPONENT_OK(component->LoadURL(server.url("/site/page.html")));
        QCOMPARE(component->CurrentDocumentPath(), QString());
        const QString html = component->DocumentHTML();
        QVERIFY(html.contains("Remote words"));
        QVERIFY2(!html.contains("<base"), qPrintable(html)); // the engine's base stays out
        QTRY_VERIFY(server.requested.contains("/site/pic.png"));
        QTRY_COMPARE(evaluate("document.querySelector('img').naturalWidth").toInt(), 7);
        QTRY_COMPARE(evaluate("getComputedStyle(document.getElementById('top')).color").toString(),
                     QString("rgb(0, 128, 0)"));

        const QString saved = dir.filePath("copy.htm");
        COMPONENT_OK(component->SaveDocument(saved));
        QCOMPARE(component->CurrentDocumentPath(), saved);
        const QString file = QString::fromUtf8(readBytes(saved));
        const QString site = server.url("/site/");
        for (const QString &piece :
             { "src=\"" + site + "pic.png\"", "href=\"" + site + "style.css\"",
               "background=\"" + site + "back.png\"", "href=\"" + site + "other.html\"",
               "srcset=\"" + site + "pic.png 1x, " + site + "big.png 2x\"",
               "url('" + site + "tile.png')", "href=\"" + server.url("/root.html") + "\"",
               QString("href=\"#top\""), QString("href=\"http://example.invalid/x\"") })
            QVERIFY2(file.contains(piece), qPrintable(piece + " in " + file));
        QVERIFY(!file.contains("<base"));
        // The editor keeps the page as it came.
        QVERIFY(component->DocumentHTML().contains("src=\"pic.png\""));
    }

    // A base of the page's own counts from the page's address.
    void ownBaseCountsFromTheAddress()
    {
        COMPONENT_OK(component->LoadURL(server.url("/base/page.html")));
        QTRY_COMPARE(evaluate("document.querySelector('img').naturalWidth").toInt(), 7);
        const QString saved = dir.filePath("based.htm");
        COMPONENT_OK(component->SaveDocument(saved));
        const QString file = QString::fromUtf8(readBytes(saved));
        QVERIFY2(file.contains("<base href=\"" + server.url("/site/") + "\">"), qPrintable(file));
        QVERIFY(file.contains("src=\"" + server.url("/site/pic.png") + "\""));
    }

    // Every failure is an error with its own code, and the page in the
    // editor stays what it was.
    void failuresLeaveThePage_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<quint32>("code");
        QTest::newRow("404") << server.url("/missing.html") << ComponentErrorCode::ObjectNotFound;
        QTest::newRow("500") << server.url("/error.html") << ComponentErrorCode::ObjectNotFound;
        QTest::newRow("never answers")
            << server.url("/never.html") << ComponentErrorCode::ConnectionTimeout;
        QTest::newRow("plain text") << server.url("/plain.txt") << ComponentErrorCode::NotHtml;
        QTest::newRow("picture") << server.url("/picture.png") << ComponentErrorCode::NotHtml;
        QTest::newRow("frameset") << server.url("/frames.html") << ComponentErrorCode::Frameset;
        QTest::newRow("no host") << QString("http://") << ComponentErrorCode::InvalidUrl;
        QTest::newRow("no scheme")
            << QString("127.0.0.1/site/page.html") << ComponentErrorCode::InvalidUrl;
        QTest::newRow("other scheme")
            << QString("ftp://127.0.0.1/") << ComponentErrorCode::InvalidUrl;
        QTest::newRow("missing file") << QUrl::fromLocalFile(dir.filePath("none.htm")).toString()
                                      << ComponentErrorCode::FileNotFound;
    }
    void failuresLeaveThePage()
    {
        QFETCH(QString, address);
        QFETCH(quint32, code);
        putMarkerPage();
        QCOMPARE(errorOf([&] { component->LoadURL(address); }), code);
        QVERIFY(component->DocumentHTML().contains("marker page"));
    }

    void refusedConnectionFails()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        putMarkerPage();
        QCOMPARE(errorOf([&] { component->LoadURL(QString("http://127.0.0.1:%1/").arg(port)); }),
                 ComponentErrorCode::CannotConnect);
        QVERIFY(component->DocumentHTML().contains("marker page"));
    }

    // The server's charset decides; a page that declares another one is
    // saved in that charset with its declaration made true, one that
    // declares none as UTF-8 with a declaration, so disk reads it back right.
    void serverCharsetDecodes()
    {
        COMPONENT_OK(component->LoadURL(server.url("/declared.html")));
        QVERIFY(component->DocumentHTML().contains(QString::fromUtf8("caf\xc3\xa9")));
        COMPONENT_OK(component->SaveDocument(dir.filePath("declared.htm")));
        const QByteArray declared = readBytes(dir.filePath("declared.htm"));
        QVERIFY2(declared.contains("caf\xe9") && declared.contains("charset=\"windows-1252\""),
                 declared.constData());

        COMPONENT_OK(component->LoadURL(server.url("/bare.html")));
        QVERIFY(component->DocumentHTML().contains(QString::fromUtf8("na\xc3\xafve")));
        COMPONENT_OK(component->SaveDocument(dir.filePath("bare.htm")));
        const QByteArray bare = readBytes(dir.filePath("bare.htm"));
        QVERIFY2(bare.contains("na\xc3\xafve") && bare.contains("charset=utf-8"), bare.constData());
        COMPONENT_OK(component->LoadDocument(dir.filePath("bare.htm")));
        QVERIFY(component->DocumentHTML().contains(QString::fromUtf8("na\xc3\xafve")));
    }

    // A file address opens the page without making it the page's file; its
    // pictures still come from beside it.
    void fileAddressOpensWithoutAPath()
    {
        writeBytes(dir.filePath("pic.png"), pngBytes());
        writeBytes(dir.filePath("local.html"), "<html><body><img src=\"pic.png\"></body></html>");
        COMPONENT_OK(
            component->LoadURL(QUrl::fromLocalFile(dir.filePath("local.html")).toString()));
        QCOMPARE(component->CurrentDocumentPath(), QString());
        QTRY_COMPARE(evaluate("document.querySelector('img').naturalWidth").toInt(), 7);
    }

    // Opening a file or a new page afterwards forgets the address.
    void laterPagesForgetTheAddress()
    {
        COMPONENT_OK(component->LoadURL(server.url("/site/page.html")));
        COMPONENT_OK(component->NewDocument());
        COMPONENT_OK(component->setDocumentHTML("<html><body><img src=\"pic.png\"></body></html>"));
        COMPONENT_OK(component->SaveDocument(dir.filePath("new.htm")));
        QVERIFY(QString::fromUtf8(readBytes(dir.filePath("new.htm"))).contains("src=\"pic.png\""));
    }
};

WEB_TEST_MAIN(WebUrlTest)
#include "test_web_url.moc"

// Opening a page asks nothing of the network beyond what the page shows: a
// server of the test's own on 127.0.0.1 logs every request a local page
// makes, through the page itself, its base, a srcdoc frame and SVG.

#include "local_http_server.h"
#include "platform/editing/web_editing_component.h"
#include "web_test_main.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

class QuietNetworkTest : public QObject
{
    Q_OBJECT
    LocalHttpServer server;
    QTemporaryDir dir;

    QString writePage(const QString &name, const QString &html)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(html.toUtf8());
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(server.start()); }

    void onlyPicturesStyleSheetsAndFontsLoad()
    {
        const QString at = server.url("");
        server.routes["/style.css"] = { 200, "text/css", "p { color: green }", false };
        const QString page = writePage(
            "page.htm",
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
            "<link rel=\"stylesheet\" href=\"" + at + "/style.css\">"
            "<link rel=\"prefetch\" href=\"" + at + "/prefetch.html\">"
            "<link rel=\"preload\" as=\"fetch\" href=\"" + at + "/preload.json\">"
            "<link rel=\"preconnect\" href=\"" + at + "/\">"
            "<link rel=\"dns-prefetch\" href=\"" + at + "/\">"
            "</head><body><p>words</p>"
            "<img src=\"" + at + "/picture.png\">"
            "<audio src=\"" + at + "/sound.ogg\" preload=\"auto\" controls></audio>"
            "<video src=\"" + at + "/film.webm\" preload=\"auto\"></video>"
            "<iframe id=\"remote\" src=\"" + at + "/frame.html\" width=\"320\" height=\"180\"></iframe>"
            "<object data=\"" + at + "/object.html\" type=\"text/html\" width=\"200\" height=\"100\"></object>"
            "<embed src=\"" + at + "/embed.html\" type=\"text/html\">"
            "<iframe srcdoc=\"&lt;link rel=prefetch href='" + at + "/srcdoc-prefetch'&gt;"
            "&lt;img src='" + at + "/srcdoc.png'&gt;"
            "&lt;iframe src='" + at + "/srcdoc-frame.html'&gt;&lt;/iframe&gt;\"></iframe>"
            "<svg width=\"100\" height=\"100\"><image href=\"" + at + "/svg.png\" width=\"10\" height=\"10\"/>"
            "<foreignObject width=\"100\" height=\"100\"><iframe src=\"" + at + "/svg-frame.html\"></iframe>"
            "</foreignObject></svg>"
            "</body></html>");
        const QString based = writePage(
            "based.htm",
            "<html><head><base href=\"" + at + "/based/\"></head><body><p>based</p>"
            "<img src=\"pic.png\"><audio src=\"sound.mp3\" preload=\"auto\"></audio>"
            "<iframe src=\"frame.html\"></iframe><object data=\"object.html\"></object>"
            "</body></html>");

        WebEditingComponent component;
        component.view()->resize(800, 600);
        component.view()->show();
        // Requests go out while each page lays out; they get time to arrive.
        COMPONENT_OK(component.LoadDocument(page));
        QTest::qWait(1500);
        COMPONENT_OK(component.LoadDocument(based));
        QTest::qWait(1500);
        const QSet<QString> asked(server.requested.cbegin(), server.requested.cend());
        const QSet<QString> shown { "/style.css", "/picture.png", "/srcdoc.png", "/svg.png",
                                    "/based/pic.png" };
        QVERIFY2(asked == shown, qPrintable(server.requested.join(' ')));
    }
};

WEB_TEST_MAIN(QuietNetworkTest)
#include "test_quiet_network.moc"

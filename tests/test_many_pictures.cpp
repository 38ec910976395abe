// A page of 50,000 pictures opens as soon as its text is laid out; the
// pictures arrive afterwards.

#include "platform/editing/web_editing_component.h"
#include "web_test_main.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

QByteArray pngOf(QColor color)
{
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class ManyPicturesTest : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

    // 50,000 pictures, 500 files each named 100 times, ten to a paragraph;
    // charset says whether the browser may read the file itself.
    QString writePage(const QString &name, bool charset)
    {
        QDir(dir.path()).mkpath("img");
        for (int i = 0; i < 500; ++i) {
            QFile png(dir.filePath(QStringLiteral("img/p%1.png").arg(i)));
            if (!png.exists() && png.open(QIODevice::WriteOnly))
                png.write(pngOf(QColor::fromHsv(i % 360, 200, 200)));
        }
        QString html = QStringLiteral("<!DOCTYPE html><html><head>%1<title>pictures</title>"
                                      "</head><body><h1>Fifty thousand pictures</h1>\n")
                           .arg(charset ? QStringLiteral("<meta charset=\"utf-8\">") : QString());
        for (int i = 0; i < 50000; ++i) {
            if (i % 10 == 0)
                html += QStringLiteral("<p>Row %1 ").arg(i);
            html += QStringLiteral("<img src=\"img/p%1.png?n=%2\" width=\"16\" height=\"12\">")
                        .arg(i % 500)
                        .arg(i);
            if (i % 10 == 9)
                html += QStringLiteral(" end</p>\n");
        }
        html += QStringLiteral("<p id=\"end\">THE END</p></body></html>");
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(html.toUtf8());
        return path;
    }

private slots:
    void textShowsBeforeThePictures_data()
    {
        QTest::addColumn<bool>("charset");
        QTest::newRow("read by the browser") << true;
        QTest::newRow("served by the editor") << false;
    }
    void textShowsBeforeThePictures()
    {
        QFETCH(bool, charset);
        const QString page = writePage(charset ? "utf8.htm" : "plain.htm", charset);
        WebEditingComponent component;
        component.view()->resize(800, 600);
        component.view()->show();
        QElapsedTimer clock;
        clock.start();
        COMPONENT_OK(component.LoadDocument(page));
        const qint64 openMs = clock.elapsed();
        const QString laidOut = evaluateInEngine(
            &component,
            "String(document.body.scrollHeight > 1000) + ' ' + "
            "Array.from(document.images).filter(function (i) { return i.complete && "
            "i.naturalWidth > 0; }).length", false).toString();
        qInfo("opened in %lld ms; text laid out, pictures in: %s", openMs, qPrintable(laidOut));
        QVERIFY(laidOut.startsWith("true "));
        // Not every picture was waited for.
        QVERIFY2(laidOut.section(' ', 1).toInt() < 50000, qPrintable(laidOut));
        // They arrive afterwards.
        QTRY_VERIFY_WITH_TIMEOUT(
            evaluateInEngine(&component,
                             "document.images[0].complete && document.images[0].naturalWidth "
                             "> 0 && document.images[49999].naturalWidth === 16", false)
                .toBool(),
            60000);
    }
};

WEB_TEST_MAIN(ManyPicturesTest)
#include "test_many_pictures.moc"

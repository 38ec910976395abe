// Checks of the measuring tools themselves: statistics, generated pages, the
// process readings and the page round-trip tool. Run by hand next to the
// benchmark; like it, not part of the test suite.

#include "bench_pages.h"
#include "bench_probe.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class BenchSelfTest : public QObject
{
    Q_OBJECT

    struct Run
    {
        int exitCode = -1;
        QString errors;
    };

    // The tool with no display setting: it must choose offscreen on its own.
    static Run roundtrip(const QStringList &args)
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        tool.setProcessEnvironment(env);
        tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/page_roundtrip"),
                   args);
        if (!tool.waitForFinished(120000))
            return {};
        return { tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
                 QString::fromLocal8Bit(tool.readAllStandardError()) };
    }

private slots:
    void statistics()
    {
        QCOMPARE(median({ 5, 1, 3 }), 3.0);
        QCOMPARE(median({ 4, 1, 3, 2 }), 2.5);
        QCOMPARE(median({}), -1.0);
        QList<double> ranks;
        for (int i = 50; i >= 1; --i)
            ranks << i;
        QCOMPARE(percentile90(ranks), 45.0);
        QCOMPARE(percentile90({ 7 }), 7.0);
        QCOMPARE(percentile90({ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }), 9.0);
        QCOMPARE(compared(30, 10).value("ratio").toDouble(), 3.0);
        // A failed measurement gives no ratio rather than a misleading one.
        QCOMPARE(compared(-1, 10).value("ratio").toDouble(), -1.0);
        QCOMPARE(compared(5, 0).value("ratio").toDouble(), -1.0);
    }

    void generatedPagesHaveTheSizeAndShapeAsked()
    {
        for (qsizetype size : { qsizetype(16 * 1024), qsizetype(1024 * 1024) }) {
            const QString page = generatePage(size);
            QVERIFY(page.toUtf8().size() >= size);
            QVERIFY(page.size() < size + 16 * 1024); // at most one section over
            QCOMPARE(page.count("<table"), page.count("</table>"));
            QCOMPARE(page.count("<ul>"), page.count("</ul>"));
            QVERIFY(page.count("<a href=") > 10);
            QVERIFY(page.endsWith("</html>\n"));
            QCOMPARE(generatePage(size), page);
        }
    }

    void processReadings()
    {
        const double age = msSinceProcessStart();
        QVERIFY(age > 0 && age < 3600 * 1000);
        const QJsonObject memory = peakMemoryMb();
        QVERIFY(memory.value("self").toDouble() > 1);
        QCOMPARE(memory.value("total").toDouble(),
                 memory.value("self").toDouble() + memory.value("renderers").toDouble());
    }

    void roundtripKeepsThePage()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath("in.htm"), out = dir.filePath("out.htm");
        QVERIFY(writeUtf8File(in,
                              QStringLiteral("<html><head><meta charset=\"utf-8\"></head>"
                                             "<body><p>Caf\u00e9 &amp; <b>bold</b></p>"
                                             "<table><tr><td>cell</td></tr></table>"
                                             "</body></html>")));
        const Run run = roundtrip({ in, out });
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QFile saved(out);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(saved.readAll());
        QVERIFY(html.contains(QStringLiteral("<p>Caf\u00e9 &amp; <b>bold</b></p>")));
        QVERIFY(html.contains("<td>cell</td>"));
    }

    void roundtripFailuresNameTheError()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath("in.htm");
        QVERIFY(writeUtf8File(in, QStringLiteral("<html><body><p>x</p></body></html>")));

        Run run = roundtrip({ dir.filePath("missing.htm"), dir.filePath("out.htm") });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains("0x80070002"), qPrintable(run.errors));
        QVERIFY(!QFile::exists(dir.filePath("out.htm")));

        run = roundtrip({ in, dir.filePath("no/such/folder/out.htm") });
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains("0x80070003"), qPrintable(run.errors));

        QCOMPARE(roundtrip({ in }).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(BenchSelfTest)
#include "bench_selftest.moc"

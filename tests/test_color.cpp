#include "page/color.h"

#include <QTest>

class TestColor : public QObject
{
    Q_OBJECT
private slots:
    void convertsDialogColours_data()
    {
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QString>("html");
        QTest::newRow("black") << 0u << "#000000";
        QTest::newRow("red is the low byte") << 0x0000FFu << "#FF0000";
        QTest::newRow("blue is the third byte") << 0xFF0000u << "#0000FF";
        QTest::newRow("green") << 0x00C000u << "#00C000";
        QTest::newRow("single hex digits keep their zero") << 0x0A0B0Cu << "#0C0B0A";
        QTest::newRow("white") << 0xFFFFFFu << "#FFFFFF";
    }
    void convertsDialogColours()
    {
        QFETCH(quint32, value);
        QFETCH(QString, html);
        QCOMPARE(ColorToHtml(value), html);
    }

    void refusesValuesWiderThan24Bits()
    {
        QVERIFY(ColorToHtml(0x1000000u).isEmpty());
        QVERIFY(ColorToHtml(0xFFFFFFFFu).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestColor)
#include "test_color.moc"

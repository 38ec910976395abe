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
        QVERIFY(customColorText(0x1000000u).isEmpty());
    }

    void splitsByDivision()
    {
        const ColorParts p = splitColor(0x030201u);
        QCOMPARE(p.red, 1u);
        QCOMPARE(p.green, 2u);
        QCOMPARE(p.blue, 3u);
        const ColorParts white = splitColor(0xFFFFFFu);
        QCOMPARE(white.red, 255u);
        QCOMPARE(white.green, 255u);
        QCOMPARE(white.blue, 255u);
        const ColorParts green = splitColor(0x00C000u);
        QCOMPARE(green.red, 0u);
        QCOMPARE(green.green, 192u);
        QCOMPARE(green.blue, 0u);
    }

    void componentsAreTwoUppercaseDigits()
    {
        QCOMPARE(hexComponent(0), QStringLiteral("00"));
        QCOMPARE(hexComponent(1), QStringLiteral("01"));
        QCOMPARE(hexComponent(15), QStringLiteral("0F"));
        QCOMPARE(hexComponent(16), QStringLiteral("10"));
        QCOMPARE(hexComponent(171), QStringLiteral("AB"));
        QCOMPARE(hexComponent(255), QStringLiteral("FF"));
    }

    void customTextMatchesColorToHtml()
    {
        QCOMPARE(customColorText(0x030201u), QStringLiteral("#010203"));
        QCOMPARE(customColorText(0u), QStringLiteral("#000000"));
        // Two ways to the same text: every component value in every place.
        for (quint32 v = 0; v < 256; ++v) {
            for (const quint32 colour : { v, v << 8, v << 16, v * 0x010101u, 0xFFFFFFu - v }) {
                QCOMPARE(customColorText(colour), ColorToHtml(colour));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestColor)
#include "test_color.moc"

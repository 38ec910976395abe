// The toolbar's own pictures, used where the desktop theme has none, are
// drawn for high-density screens too: at twice the scale an icon has twice
// the pixels, not a 16-pixel picture stretched.

#include "app/toolbar_icons.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QTest>

class ToolbarIconsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // No theme: every icon is the drawn one.
        QIcon::setThemeSearchPaths({});
        QIcon::setThemeName(QString());
    }

    void drawnIconsAreSharpAtEveryScale()
    {
        for (const char *key : { "Bold", "Italic", "Underline", "Color", "Numbers", "Bullets",
                                 "Outdent", "Indent", "LeftJustify", "Center", "RightJustify" }) {
            const QIcon icon = toolbarIcon(key);
            QVERIFY2(!icon.isNull(), key);
            for (const qreal ratio : { 1.0, 2.0, 3.0 }) {
                const QPixmap pm = icon.pixmap(QSize(16, 16), ratio);
                QCOMPARE(pm.size(), QSize(16, 16) * ratio);
                QCOMPARE(pm.devicePixelRatio(), ratio);
            }
            // Something is drawn at the high scale, not an empty square.
            const QImage big = icon.pixmap(QSize(16, 16), 2.0).toImage();
            int inked = 0;
            for (int y = 0; y < big.height(); ++y)
                for (int x = 0; x < big.width(); ++x)
                    inked += qAlpha(big.pixel(x, y)) > 0;
            QVERIFY2(inked > 20, key);
        }
    }
};

QTEST_MAIN(ToolbarIconsTest)
#include "test_toolbar_icons.moc"

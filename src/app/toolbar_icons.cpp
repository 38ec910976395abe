#include "app/toolbar_icons.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPixmap>

namespace {

// The theme names that stand for each button's function.
QString themeName(const QString &key)
{
    static const QHash<QString, QString> names = {
        { "Bold", "format-text-bold" },
        { "Italic", "format-text-italic" },
        { "Underline", "format-text-underline" },
        { "Color", "format-text-color" },
        { "Numbers", "format-list-ordered" },
        { "Bullets", "format-list-unordered" },
        { "Outdent", "format-indent-less" },
        { "Indent", "format-indent-more" },
        { "LeftJustify", "format-justify-left" },
        { "Center", "format-justify-center" },
        { "RightJustify", "format-justify-right" },
    };
    return names.value(key);
}

void drawLetter(QPainter &p, const QString &letter, bool bold, bool italic, bool underline)
{
    QFont f("Serif");
    f.setPixelSize(13);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    p.setFont(f);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, letter);
}

// Four text lines; each line's left and right ends depend on the alignment.
void drawLines(QPainter &p, const QString &key)
{
    for (int i = 0; i < 4; ++i) {
        const int y = 3 + i * 3;
        const bool shortLine = i % 2 == 1;
        int x1 = 2, x2 = 14;
        if (shortLine) {
            if (key == "LeftJustify")
                x2 = 10;
            else if (key == "RightJustify")
                x1 = 6;
            else if (key == "Center")
                x1 = 4, x2 = 12;
        }
        if (key == "Outdent" || key == "Indent" || key == "Numbers" || key == "Bullets")
            x1 = 7;
        p.drawLine(x1, y, x2, y);
    }
}

// Drawn in the icon's 16 logical pixels at the screen's pixel ratio, so it
// stays sharp on a high-density screen instead of being stretched.
QPixmap drawIcon(const QString &key, int ratio)
{
    QPixmap pm(16 * ratio, 16 * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, ratio > 1);
    p.setPen(QPen(Qt::black, 1));
    if (key == "Bold") {
        drawLetter(p, "B", true, false, false);
    } else if (key == "Italic") {
        drawLetter(p, "I", false, true, false);
    } else if (key == "Underline") {
        drawLetter(p, "U", false, false, true);
    } else if (key == "Color") {
        drawLetter(p, "A", true, false, false);
        p.fillRect(2, 13, 12, 3, Qt::red);
    } else {
        drawLines(p, key);
        if (key == "Numbers") {
            QFont f;
            f.setPixelSize(7);
            p.setFont(f);
            p.drawText(QRect(0, 0, 6, 8), Qt::AlignCenter, "1");
            p.drawText(QRect(0, 7, 6, 8), Qt::AlignCenter, "2");
        } else if (key == "Bullets") {
            p.setBrush(Qt::black);
            p.drawEllipse(QPoint(3, 4), 1, 1);
            p.drawEllipse(QPoint(3, 10), 1, 1);
        } else if (key == "Outdent" || key == "Indent") {
            const bool in = key == "Indent";
            QPolygon arrow;
            arrow << QPoint(in ? 1 : 5, 5) << QPoint(in ? 5 : 1, 8) << QPoint(in ? 1 : 5, 11);
            p.setBrush(Qt::black);
            p.drawPolygon(arrow);
        }
    }
    return pm;
}

} // namespace

QIcon toolbarIcon(const QString &key)
{
    QIcon drawn;
    for (int ratio = 1; ratio <= 3; ++ratio)
        drawn.addPixmap(drawIcon(key, ratio));
    return QIcon::fromTheme(themeName(key), drawn);
}

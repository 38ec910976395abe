#include "app/about_window.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

AboutWindow::AboutWindow(QWidget *parent)
    : QDialog(parent)
{
    setObjectName("frmAbout");
    setWindowTitle("About Corvane DHTML Editor");
    setFixedSize(400, 260);
    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("cmdOK");
    m_ok->setGeometry(width() - 100, height() - 42, 84, 28);
    m_ok->setDefault(true);
    // OK unloads the window; the next About command creates it afresh.
    setAttribute(Qt::WA_DeleteOnClose);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

// The artwork is drawn in logical pixels, so it is as sharp at 2x as at 1x;
// the hairlines sit on half pixels to stay crisp at 1x.
void AboutWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all = rect();

    // Night sky, lighter towards the horizon.
    QLinearGradient sky(0, 0, 0, all.height());
    sky.setColorAt(0, QColor(18, 27, 56));
    sky.setColorAt(0.75, QColor(44, 70, 122));
    sky.setColorAt(1, QColor(70, 104, 160));
    p.fillRect(all, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 18));
    p.drawEllipse(QPointF(96, 250), 190, 70);

    // The page being edited: a sheet with a heading, lines and a picture.
    const QRectF sheet(36, 34, 118, 150);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(sheet.translated(4, 5), 4, 4);
    p.setBrush(QColor(250, 250, 246));
    p.drawRoundedRect(sheet, 4, 4);
    p.setBrush(QColor(44, 70, 122));
    p.drawRect(QRectF(sheet.left() + 12, sheet.top() + 14, 64, 8));
    p.setBrush(QColor(186, 194, 210));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(sheet.left() + 12, sheet.top() + 32 + i * 10, i == 2 ? 58 : 94, 4));
    const QRectF picture(sheet.left() + 12, sheet.top() + 66, 44, 34);
    p.setBrush(QColor(214, 228, 240));
    p.drawRect(picture);
    QPainterPath hill;
    hill.moveTo(picture.bottomLeft());
    hill.lineTo(picture.left() + 16, picture.top() + 14);
    hill.lineTo(picture.left() + 26, picture.top() + 24);
    hill.lineTo(picture.left() + 34, picture.top() + 18);
    hill.lineTo(picture.bottomRight());
    hill.closeSubpath();
    p.setBrush(QColor(92, 140, 110));
    p.drawPath(hill);
    p.setBrush(QColor(186, 194, 210));
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(picture.right() + 8, picture.top() + i * 9, i == 3 ? 20 : 38, 4));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(sheet.left() + 12, picture.bottom() + 10 + i * 10, i == 2 ? 40 : 94, 4));
    // The caret where the next word goes.
    p.setPen(QPen(QColor(200, 60, 40), 1.5));
    p.drawLine(QPointF(sheet.left() + 56.5, picture.bottom() + 28),
               QPointF(sheet.left() + 56.5, picture.bottom() + 38));

    // A raven's feather as the pen, resting across the sheet.
    p.save();
    p.translate(136, 128);
    p.rotate(-34);
    QPainterPath vane;
    vane.moveTo(-70, 0);
    vane.cubicTo(-40, -17, 20, -19, 64, -3);
    vane.cubicTo(30, 6, -20, 13, -70, 0);
    QLinearGradient sheen(0, -16, 0, 12);
    sheen.setColorAt(0, QColor(58, 66, 96));
    sheen.setColorAt(0.45, QColor(20, 22, 34));
    sheen.setColorAt(1, QColor(8, 9, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawPath(vane);
    // Barbs: the vane's fine notches.
    p.setPen(QPen(QColor(110, 122, 160, 150), 0.8));
    for (int i = 0; i < 8; ++i) {
        const qreal x = -46 + i * 13;
        p.drawLine(QPointF(x, -1), QPointF(x + 9, -11 + qAbs(i - 3.5) * 0.8));
    }
    p.setPen(QPen(QColor(196, 202, 220), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-92, 1), QPointF(60, -2)); // the shaft
    QPainterPath nib;
    nib.moveTo(-92, 1);
    nib.lineTo(-104, 2.5);
    nib.lineTo(-92, 4);
    nib.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 170, 80));
    p.drawPath(nib);
    p.restore();

    // The name.
    p.setPen(Qt::white);
    QFont title = font();
    title.setPointSizeF(22);
    title.setBold(true);
    p.setFont(title);
    const QRectF nameBox(186, 46, 200, 40);
    p.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Corvane"));
    QFont second = font();
    second.setPointSizeF(13);
    p.setFont(second);
    p.setPen(QColor(214, 224, 246));
    p.drawText(QRectF(186, 86, 200, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("DHTML Editor"));
    p.setPen(QPen(QColor(214, 170, 80), 1));
    p.drawLine(QPointF(186, 118.5), QPointF(366, 118.5));
    QFont small = font();
    small.setPointSizeF(9);
    p.setFont(small);
    p.setPen(QColor(190, 202, 228));
    p.drawText(QRectF(186, 126, 210, 40), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("A WYSIWYG editor for HTML pages"));
}

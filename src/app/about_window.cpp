#include "app/about_window.h"

#include <QLinearGradient>
#include <QPainter>
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

void AboutWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(32, 64, 128));
    sky.setColorAt(1, QColor(255, 255, 192));
    p.fillRect(rect(), sky);

    // A page with a pen across it: what the editor makes.
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.setBrush(QColor(128, 128, 128));
    const QRectF page(34, 40, 110, 140);
    p.drawRect(page.translated(6, 6));
    p.setBrush(Qt::white);
    p.drawRect(page);
    p.setPen(QPen(QColor(160, 160, 200), 3));
    for (int i = 0; i < 6; ++i)
        p.drawLine(QPointF(page.left() + 12, page.top() + 22 + i * 18),
                   QPointF(page.right() - (i % 2 ? 30 : 12), page.top() + 22 + i * 18));
    p.setPen(QPen(QColor(255, 192, 128), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(120, 60), QPointF(170, 170));

    p.setPen(Qt::white);
    QFont title = font();
    title.setPointSize(17);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(170, 50, 220, 70), Qt::AlignLeft | Qt::TextWordWrap, "Corvane DHTML Editor");
    QFont small = font();
    small.setPointSize(9);
    p.setFont(small);
    p.setPen(QColor(32, 32, 64));
    p.drawText(QRectF(170, 130, 220, 40), Qt::AlignLeft | Qt::TextWordWrap,
               "WYSIWYG editor for HTML pages");
}

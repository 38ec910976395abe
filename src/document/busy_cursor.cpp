#include "document/busy_cursor.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

BusyCursor::BusyCursor()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_active = true;
    qApp->installEventFilter(this);
}

BusyCursor::~BusyCursor()
{
    if (qApp)
        qApp->removeEventFilter(this);
    if (m_active)
        QApplication::restoreOverrideCursor();
}

void BusyCursor::resume()
{
    if (!m_modal)
        return;
    disconnect(m_modal, &QObject::destroyed, this, &BusyCursor::resume);
    m_modal = nullptr;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_active = true;
}

bool BusyCursor::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (event->type() == QEvent::Show && !m_modal && widget->isWindow() && widget->isModal()) {
        m_modal = widget;
        connect(widget, &QObject::destroyed, this, &BusyCursor::resume);
        if (m_active) {
            QApplication::restoreOverrideCursor();
            m_active = false;
        }
    } else if (event->type() == QEvent::Hide && widget == m_modal) {
        resume();
    }
    return false;
}

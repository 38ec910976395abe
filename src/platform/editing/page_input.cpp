#include "platform/editing/focus_return.h"

#include <QApplication>
#include <QFocusEvent>
#include <QWidget>

FocusReturn::FocusReturn(QWidget *view)
    : QObject(view)
    , m_view(view)
{
    // The view's focus proxy is replaced with each new renderer, so the
    // filter watches the application and picks the view's widgets out.
    qApp->installEventFilter(this);
}

FocusReturn::~FocusReturn()
{
    qApp->removeEventFilter(this);
}

bool FocusReturn::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::FocusIn)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || !m_view || (widget != m_view && !m_view->isAncestorOf(widget)))
        return false;
    QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(widget, &plain);
    return true;
}

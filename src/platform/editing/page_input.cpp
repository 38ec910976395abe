#include "platform/editing/page_input.h"

#include "platform/editing/engine_bridge.h"

#include <QApplication>
#include <QFocusEvent>
#include <QWidget>

PageInput::PageInput(QWidget *view, EngineBridge *bridge)
    : QObject(view)
    , m_view(view)
    , m_bridge(bridge)
{
    // The view's focus proxy is replaced with each new renderer, so the
    // filter watches the application and picks the view's widgets out.
    qApp->installEventFilter(this);
}

PageInput::~PageInput()
{
    qApp->removeEventFilter(this);
}

bool PageInput::inView(QObject *watched) const
{
    auto *widget = qobject_cast<QWidget *>(watched);
    return widget && m_view && (widget == m_view || m_view->isAncestorOf(widget));
}

bool PageInput::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        if (m_bridge && inView(watched))
            m_bridge->noteKeySent();
        return false;
    }
    if (event->type() != QEvent::FocusIn)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    if ((reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason) || !inView(watched))
        return false;
    QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(watched, &plain);
    return true;
}

#include "app/deferred_shortcuts.h"

#include "app/event_loop.h"

#include <QAction>
#include <QEvent>
#include <QPointer>
#include <QShortcutEvent>
#include <QTimer>
#include <QWidget>

DeferredShortcuts::DeferredShortcuts(QWidget *root) : QObject(root)
{
    for (QAction *action : root->findChildren<QAction *>())
        watch(action);
}

void DeferredShortcuts::watch(QObject *action)
{
    if (!action)
        return;
    action->removeEventFilter(this); // never twice
    action->installEventFilter(this);
}

bool DeferredShortcuts::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Shortcut)
        return false;
    auto *action = qobject_cast<QAction *>(watched);
    if (!action || static_cast<QShortcutEvent *>(event)->isAmbiguous())
        return false;
    // The action is checked again when it runs: it may have been disabled
    // (or destroyed, which the timer's context takes care of) meanwhile.
    runFromEventLoop(action, [action] {
        if (action->isEnabled())
            action->trigger();
    });
    return true;
}

#pragma once

// Runs the menu actions a keyboard shortcut triggers from the event loop
// instead of from inside the shortcut's delivery.
//
// The web view hands a key it did not use back to the window as a shortcut
// from inside its own key handling. An action run there that calls the
// editing engine and waits for the answer can never be answered (the
// browser's tasks do not run in a nested loop), so the window would freeze
// until the call times out. Deferring every shortcut keeps menus, the
// toolbar and keys on one path.

#include <QObject>

class QWidget;

class DeferredShortcuts : public QObject
{
    Q_OBJECT
public:
    // Watches every action below root that exists now; actions made later
    // are handed to watch().
    explicit DeferredShortcuts(QWidget *root);

    // Watches one more action; safe to call more than once for the same one.
    void watch(QObject *action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

#pragma once

// Shows the busy cursor for as long as the object lives, for work that can
// take a while on large pages. The editing component may raise a file dialog
// of its own in the middle of such work; while a modal window is up the
// normal cursor comes back, so the user can pick a file.

#include <QObject>

class QWidget;

class BusyCursor : public QObject
{
    Q_OBJECT
public:
    BusyCursor();
    ~BusyCursor() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void resume();

    bool m_active = false; // our override cursor is on the stack
    QWidget *m_modal = nullptr; // the modal window the cursor is paused for
};

#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// The keyboard coming back to the page keeps the page's caret. The web view
// takes a focus given by Tab traversal (as Qt gives it when the focused panel
// below the page is hidden) as an order to start over at the first editable
// place, which puts the caret at the page's start; every focus reaching the
// page's widgets is handed on as a plain one instead, so the browser never
// moves the caret, whatever order the focus and the host's requests arrive in.
class FocusReturn : public QObject
{
public:
    explicit FocusReturn(QWidget *view);
    ~FocusReturn() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_view;
};

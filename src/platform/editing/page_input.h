#pragma once

#include <QObject>
#include <QPointer>

class EngineBridge;
class QWidget;

// What reaches the page's view from the keyboard, watched so that the page
// gets it in the order the user gave it.
// - The keyboard coming back keeps the page's caret. The view takes a focus
//   given by Tab traversal (as Qt gives it when the focused panel below the
//   page is hidden) as an order to start over at the first editable place,
//   which puts the caret at the page's start; every focus reaching the view's
//   widgets is handed on as a plain one instead, so the browser never moves
//   the caret, whatever order the focus and the host's requests arrive in.
// - Keys reach the renderer by another path than the host's requests, and
//   may arrive after a request sent later (typing, then a click on a toolbar
//   button). Each key handed to the view is counted for the bridge, which
//   waits for the engine to have seen them before its next request.
class PageInput : public QObject
{
public:
    PageInput(QWidget *view, EngineBridge *bridge);
    ~PageInput() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool inView(QObject *watched) const;
    QPointer<QWidget> m_view;
    QPointer<EngineBridge> m_bridge;
};

#pragma once

// A bar above the page for what the user should know but need not answer (the
// editing engine restarted, copies against a crash not written). Unlike a
// message box it takes no keys: typing goes on into the page while it shows.
// Its close button is reached with Tab, never by a click's focus.

#include <QFrame>

class QLabel;
class QToolButton;

class NoticeBar : public QFrame
{
    Q_OBJECT
public:
    explicit NoticeBar(QWidget *parent = nullptr);

    void showNotice(const QString &text);
    // Hidden only while it still says text.
    void hideNotice(const QString &text);
    QString text() const;
    QToolButton *closeButton() const { return m_close; }

signals:
    // Shown or hidden: the window lays itself out again.
    void shownChanged();
    // Closed from the keyboard (Tab to its button, Space): the keys go back
    // to the page.
    void keyboardLeft();

private:
    QLabel *m_text;
    QToolButton *m_close;
};

#pragma once

// The Page Property menu and its colour panel: the page's text, background,
// link and visited-link colours. Every choice in the panel goes into the page
// at once (live preview); OK only closes the panel, and Cancel writes back
// the colour the page had when the panel was opened.
//
// The panel's controls are built here, inside the window's Framebgcolor
// frame. The window's panel opener clears the six options and copies the OK
// button's caption into ColorLabel on every opening; it finds them by their
// object names.

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
struct FormHooks;
struct FormState;
struct MainWidgets;
class UserDialogs;

class PageSubsystem : public QObject
{
    Q_OBJECT
public:
    PageSubsystem(MainWidgets &w, FormState &state, FormHooks &hooks, UserDialogs &dialogs,
                  QObject *parent = nullptr);

    // Page Property menu: each opens the panel in its mode.
    void pagetitle_Click();
    void BodyBackGroudColor_Click();
    void linkcolor_Click();
    void vlinkcolor_Click();

    // Panel.
    void Option1_Click(int index);
    void Commandpreview_Click();
    void Commandsetbgcolor_Click();
    void Commandcancelbgcolor_Click();

    // "fgcolor", "bgcolor", "linkcolor", "vlinkcolor"; empty before the
    // first opening.
    QString mode() const { return m_mode; }

    QLabel *ColorLabel() const { return m_label; }
    const QList<QRadioButton *> &Option1() const { return m_options; }
    const QList<QFrame *> &Picture2() const { return m_swatches; }
    QPushButton *Commandpreview() const { return m_preview; }
    QPushButton *Commandsetbgcolor() const { return m_ok; }
    QPushButton *Commandcancelbgcolor() const { return m_cancel; }

private:
    void buildPanel();
    void openPanel(const QString &modeKey);
    // Writes a colour into the current mode's property; nothing for an
    // unknown mode. False when the page refused it (the user was told).
    bool writeColor(const QString &value);
    // A new page replaced the one the saved colours were read from.
    void DHTMLEdit1_DocumentComplete();

    MainWidgets &w;
    FormState &state;
    FormHooks &hooks;
    UserDialogs &dialogs;

    QString m_mode;
    // One saved colour per mode key, as the page gave it when that mode's
    // menu last opened the panel.
    QHash<QString, QString> m_saved;

    QLabel *m_label = nullptr;
    QList<QRadioButton *> m_options;
    QList<QFrame *> m_swatches;
    QPushButton *m_preview = nullptr, *m_ok = nullptr, *m_cancel = nullptr;
};

#pragma once

// The Insert and Update menus and the panels for a hyperlink, a submit
// button, an HTML fragment, an e-mail link and a picture (its browser is
// PicturePanel's). The Insert menu opens a panel for a new element; the
// Update menu inspects the element under the selection when it drops down,
// enables the items that fit it and prefills the panel it leads to.
//
// Replacing an element (deleting the selected one before the paste) happens
// only when the panel was opened from the Update menu's matching item and
// the selection is still the chosen control: an insert never deletes what
// the user did not ask to replace.

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QPoint;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class PicturePanel;
struct FormHooks;
struct FormState;
struct MainWidgets;
class UserDialogs;

class InsertSubsystem : public QObject
{
    Q_OBJECT
public:
    InsertSubsystem(MainWidgets &w, FormState &state, FormHooks &hooks, UserDialogs &dialogs,
                    QObject *parent = nullptr);

    // Menus, when they drop down.
    void insert_Click();
    void updatemenu1_Click();
    // Insert items.
    void insertpicture_Click();
    void Inserthyperlink_Click();
    void InsertButton_Click();
    void InsertHTML_Click();
    void sendemail_Click();
    // Update items.
    void updatepicture_Click();
    void updatehyperlink_Click();
    void Updatebutton_Click();
    void updatesendemailto_Click();

    // Puts the outer HTML of the element under the selection into Text3.
    void InspectSelection();
    void EnableUnlessControl(QAction *item);

    // Panel buttons.
    void Commandinserthyperlink_Click();
    void Commandcancelhyperlink_Click();
    void Command1_Click();
    void Command4_Click();
    void Commandinserthtml_Click();
    void Commandcancelhtml_Click();
    void Command9_Click();
    void Command8_Click();
    // "Insert Picture" (also a double click on a file) and its Cancel.
    void Command2_Click();
    void Command3_Click();
    // Picture files dropped on the page at point (the page control's pixels):
    // the picture panel's element for each, at that point, in one paste.
    void InsertDroppedPictures(const QStringList &files, const QPoint &point);
    // Inserts the submit button Text2 describes at the selection.
    void InsertButtonClick();

    // The outer HTML of the element found when the Update menu last dropped down.
    QString SelectedElementHTML() const { return m_selectedElementHTML; }

    QLineEdit *Texthyperlink() const { return m_hyperlink; }
    QLineEdit *Text2() const { return m_caption; }
    QLineEdit *Textemailaddress() const { return m_address; }
    QLineEdit *Textemailname() const { return m_name; }
    QPlainTextEdit *Text3() const { return m_text3; }
    PicturePanel *picturePanel() const { return m_picture; }

private:
    // Which element the open panel replaces: set only by the Update items.
    enum class Replacing { Nothing, Picture, Button };

    void buildHyperlinkPanel();
    void buildButtonPanel();
    void buildEmailPanel();
    void connectMenus();
    void openPanel(QFrame *frame, QWidget *focus);
    void onEscape(QFrame *frame, void (InsertSubsystem::*cancel)());
    // Deletes the chosen control when the panel is replacing one.
    void deleteReplaced(Replacing what);
    // Shows a failed component call; false when there was one.
    bool report(const QString &what, const class ComponentError &error);

    MainWidgets &w;
    FormState &state;
    FormHooks &hooks;
    UserDialogs &dialogs;

    QString m_selectedElementHTML;
    QString m_inspectedType;
    Replacing m_replacing = Replacing::Nothing;

    QLineEdit *m_hyperlink = nullptr, *m_caption = nullptr, *m_address = nullptr, *m_name = nullptr;
    QPushButton *m_insertLink = nullptr, *m_cancelLink = nullptr, *m_insertButton = nullptr,
                *m_cancelButton = nullptr, *m_emailOk = nullptr, *m_emailCancel = nullptr;
    QPlainTextEdit *m_text3 = nullptr;
    PicturePanel *m_picture = nullptr;
};

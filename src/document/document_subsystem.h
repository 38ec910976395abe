#pragma once

// The main window's document handling: New, Open, Save and Save As, the
// File menu's Save enabling, and the two views of the page (the visual
// editor and the HTML source box) with the switch between them.
//
// The subsystem owns no controls; it works on the window's controls through
// MainWidgets and reaches the other subsystems through FormHooks. It fills
// the hooks SetWysiwygMode and SaveDocument.
//
// Every save first applies text waiting in the source box, as "Update
// WYSIWYG Screen" does; when the page cannot take it, nothing is saved.

#include <QObject>
#include <QString>
#include <QStringList>

struct FormHooks;
struct FormState;
struct MainWidgets;
class UserDialogs;

class DocumentSubsystem : public QObject
{
    Q_OBJECT
public:
    DocumentSubsystem(MainWidgets &w, FormState &state, FormHooks &hooks, UserDialogs &dialogs,
                      QObject *parent = nullptr);

    // File menu.
    void file_Click();
    void FileNew_Click();
    void FileOpen_Click();
    // Opens the first of the named page files as File > Open opens the one
    // chosen, save-changes prompt first; a page that cannot be opened is
    // reported and the page shown stays. More than one: says that only the
    // first was opened. For the command line and drops on the window.
    void OpenFiles(const QStringList &paths);
    // Every save goes through here. True when the component saved the page;
    // False when there was no path to save under, the user cancelled the
    // component's dialog, the source box's text could not be applied, or the
    // save failed (a message was shown).
    bool SaveDocument(bool promptUser);

    // Views.
    void SetWysiwygMode(bool visual);
    void menuhtmlsource_Click();
    void menuweditor_Click();
    // True when the page now holds the source box's text; false when the
    // component refused it (a message was shown, the page is as it was).
    bool updatewysiwyg_Click();
    void txtHTML_Change();
    void DHTMLEdit1_GotFocus();

private:
    void connectControls();
    void refreshSaveItem();
    // Save, or Save As for a page that has no file yet.
    bool saveUnderCurrentName();
    void afterFileOperation();
    // The load behind File > Open and OpenFiles: an empty path asks with the
    // component's dialog. True when a page was loaded; false when the user
    // cancelled or the load failed (said in a message; failed tells which).
    bool loadPage(const QString &path, bool &failed);
    // Replaces the source box's text without counting it as a user edit.
    void fillSourceBox(const QString &html);
    // Fills the source box from the page and clears the source-edited flag.
    void reloadSourceBox();
    // The apply behind updatewysiwyg_Click, without moving the keyboard.
    bool applySourceBox();

    MainWidgets &w;
    FormState &state;
    FormHooks &hooks;
    UserDialogs &dialogs;
};

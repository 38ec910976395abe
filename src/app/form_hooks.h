#pragma once

// Operations one subsystem of the main window offers the others. Each owner
// fills its own entries when the window is put together; callers go through
// these so every subsystem can be tested on its own with scripted hooks. An
// empty hook does nothing (and returns the neutral value).

#include <QStringList>

#include <functional>

class QFrame;

struct FormHooks
{
    // Window shell and layout.
    std::function<void()> SizeControls;
    std::function<void()> PanelReset;
    std::function<void(QFrame *)> PanelOpen;
    std::function<void()> TitleRefresh;
    // 0 nothing asked, 1 saved, 2 cancelled or save failed, 7 No.
    std::function<int()> SaveChangesPrompt;
    // Gives the keyboard to the view of the page on screen: the editor, or
    // the source box in the source view.
    std::function<void()> FocusPage;
    // Something the user should know that asks nothing of them: said in a bar
    // above the page, which takes no keys. HideNotice takes the bar down if it
    // still says that text.
    std::function<void(const QString &)> ShowNotice;
    std::function<void(const QString &)> HideNotice;

    // Document and source view.
    std::function<void(bool)> SetWysiwygMode;
    std::function<bool(bool)> SaveDocument;
    // Opens the first of the named page files (command line, drops).
    std::function<void(const QStringList &)> OpenFiles;

    // Commands and toolbar.
    std::function<void()> InitMenuCommands;
    std::function<void()> InitToolbarCommands;
    std::function<void()> ToolbarReset;
    std::function<void(bool)> EnableEditingMenus;
    // Sets the toolbar's buttons and font boxes from the component's statuses,
    // as a display change does; for operations after which none may come.
    std::function<void()> StatusRefresh;

    // Insert tools. Inserts the submit button the button panel describes at
    // the selection; throws ComponentError when the page refuses it.
    std::function<void()> InsertButtonClick;

    void sizeControls() const { if (SizeControls) SizeControls(); }
    void panelReset() const { if (PanelReset) PanelReset(); }
    void panelOpen(QFrame *f) const { if (PanelOpen) PanelOpen(f); }
    void titleRefresh() const { if (TitleRefresh) TitleRefresh(); }
    void focusPage() const { if (FocusPage) FocusPage(); }
    void showNotice(const QString &text) const { if (ShowNotice) ShowNotice(text); }
    void hideNotice(const QString &text) const { if (HideNotice) HideNotice(text); }
    int saveChangesPrompt() const { return SaveChangesPrompt ? SaveChangesPrompt() : 0; }
    void setWysiwygMode(bool visual) const { if (SetWysiwygMode) SetWysiwygMode(visual); }
    void openFiles(const QStringList &paths) const { if (OpenFiles) OpenFiles(paths); }
    bool saveDocument(bool promptUser) const { return SaveDocument ? SaveDocument(promptUser) : false; }
    void initMenuCommands() const { if (InitMenuCommands) InitMenuCommands(); }
    void initToolbarCommands() const { if (InitToolbarCommands) InitToolbarCommands(); }
    void toolbarReset() const { if (ToolbarReset) ToolbarReset(); }
    void enableEditingMenus(bool on) const { if (EnableEditingMenus) EnableEditingMenus(on); }
    void statusRefresh() const { if (StatusRefresh) StatusRefresh(); }
    void insertButtonClick() const { if (InsertButtonClick) InsertButtonClick(); }
};

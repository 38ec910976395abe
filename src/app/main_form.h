#pragma once

// The main window: owns every control, the shared flags and the hooks through
// which its subsystems reach each other. The subsystems are wired in from
// outside; this class itself runs the window shell: load, layout, panels,
// caption, the questions before leaving, and the Help menu.

#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/layout.h"
#include "app/main_widgets.h"
#include "app/shell_lifecycle.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include "app/about_window.h"
class EditingComponent;
class NoticeBar;
class QFrame;
class UserDialogs;

class MainForm : public QMainWindow
{
    Q_OBJECT
public:
    // editor is the visible editing component, store the hidden one; dialogs
    // must outlive the window.
    MainForm(EditingComponent *editor, EditingComponent *store, UserDialogs *dialogs,
             QWidget *parent = nullptr);
    ~MainForm() override;

    FormState &state() { return m_state; }
    MainWidgets &widgets() { return m_w; }
    FormHooks &hooks() { return m_hooks; }
    UserDialogs &dialogs() { return *m_dialogs; }

    // Puts the window into its starting state: visual view, no panel, font
    // boxes filled, command tables set, the start-up page in the editor.
    void Form_Load();

    void SizeControls();
    void PanelOpen(QFrame *frame);
    void PanelReset();
    void TitleRefresh() { m_shell.titleRefresh(); }
    int SaveChangesPrompt() { return m_shell.saveChangesPrompt(); }
    // Gives the keyboard to the view of the page on screen.
    void FocusPage();
    // The bar above the page that says what needs no answer.
    NoticeBar *noticeBar() const { return m_notice; }
    // Inserts the submit button the button panel describes at the selection
    // (the insert tools' own); throws ComponentError when the page refuses it.
    void InsertButtonClick() { m_hooks.insertButtonClick(); }

    void FileExit_Click();
    void helpcontent_Click();
    void AboutTessary_Click();

    // The About window kept loaded (hidden) for Help > About.
    void setAboutWindow(AboutWindow *about);
    AboutWindow *aboutWindow() const { return m_about; }

    const QStringList &fontNames() const { return m_fontNames; }
    const QStringList &fontSizes() const { return m_fontSizes; }
    const LayoutModel &layout() const { return m_layout; }
    // The window's outer size in twips, as the layout reads it.
    QSizeF outerSizeTwips() const;
    bool isUnloaded() const { return m_unloaded; }

signals:
    // The program is ending: every window has been closed.
    void unloaded();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Unload();
    void applyLayout();
    void clearPanelOptions();

    MainWidgets m_w;
    FormState m_state;
    FormHooks m_hooks;
    UserDialogs *m_dialogs;
    ShellLifecycle m_shell;
    LayoutModel m_layout;
    QStringList m_fontNames, m_fontSizes;
    QPointer<AboutWindow> m_about;
    QPointer<QWidget> m_editorWidget;
    NoticeBar *m_notice = nullptr;
    bool m_unloading = false;
    bool m_unloaded = false;
};

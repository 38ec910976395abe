#include "document/document_subsystem.h"
#include "document/desktop_open.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/main_widgets.h"

#include <QAction>
#include <QFontDatabase>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalBlocker>

DocumentSubsystem::DocumentSubsystem(MainWidgets &w, FormState &state, FormHooks &hooks,
                                     UserDialogs &dialogs, QObject *parent)
    : QObject(parent)
    , w(w)
    , state(state)
    , hooks(hooks)
    , dialogs(dialogs)
{
    hooks.SetWysiwygMode = [this](bool visual) { SetWysiwygMode(visual); };
    hooks.SaveDocument = [this](bool promptUser) { return SaveDocument(promptUser); };
    hooks.OpenFiles = [this](const QStringList &paths) { OpenFiles(paths); };

    // HTML source reads best unwrapped in a fixed-width font; a plain-text box
    // also keeps multi-megabyte pages responsive.
    if (w.txtHTML) {
        w.txtHTML->setLineWrapMode(QPlainTextEdit::NoWrap);
        w.txtHTML->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    }
    connectControls();
    refreshSaveItem();
    if (w.window)
        new PageDropWatcher(
            w.window, [this](const QStringList &paths) { OpenFiles(paths); }, this);
}

void DocumentSubsystem::connectControls()
{
    if (w.file)
        connect(w.file, &QMenu::aboutToShow, this, &DocumentSubsystem::file_Click);
    const auto onTriggered = [this](QAction *action, auto handler) {
        if (action)
            connect(action, &QAction::triggered, this, handler);
    };
    onTriggered(w.FileNew, [this] { FileNew_Click(); });
    onTriggered(w.FileOpen, [this] { FileOpen_Click(); });
    onTriggered(w.FileSave, [this] { saveUnderCurrentName(); });
    onTriggered(w.FileSaveAs, [this] { SaveDocument(true); });
    onTriggered(w.FileSaveUntitled, [this] { saveUnderCurrentName(); });
    onTriggered(w.menuhtmlsource, [this] { menuhtmlsource_Click(); });
    onTriggered(w.menuweditor, [this] { menuweditor_Click(); });
    onTriggered(w.updatewysiwyg, [this] { updatewysiwyg_Click(); });
    // The program fills the box with its signals blocked, so this sees only
    // the user's own edits.
    if (w.txtHTML)
        connect(w.txtHTML, &QPlainTextEdit::textChanged, this, &DocumentSubsystem::txtHTML_Change);
    if (w.DHTMLEdit1)
        connect(w.DHTMLEdit1, &EditingComponent::GotFocus, this,
                &DocumentSubsystem::DHTMLEdit1_GotFocus);
}

void DocumentSubsystem::fillSourceBox(const QString &html)
{
    const QSignalBlocker blocker(w.txtHTML);
    w.txtHTML->setPlainText(html);
}

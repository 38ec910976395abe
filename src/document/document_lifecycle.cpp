// New, Open, Save and the File menu of the document subsystem.

#include "document/busy_cursor.h"
#include "document/desktop_open.h"
#include "document/document_errors.h"
#include "document/document_subsystem.h"

#include "app/disk_watch.h"
#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/page_template.h"
#include "app/user_dialogs.h"
#include "platform/local_path.h"

#include <QAction>

#include <optional>

namespace {

// Save-changes prompt answer meaning Cancel, or Yes with a failed save.
constexpr int PromptCancelled = 2;

// Runs one load or save call of the component under the busy cursor. Sets
// done to the call's result (false: the user cancelled the component's own
// dialog); returns the error code when the call failed instead.
template<typename Call> std::optional<quint32> runGuarded(Call call, bool &done)
{
    done = false;
    try {
        const BusyCursor busy;
        done = call();
        return std::nullopt;
    } catch (const ComponentError &error) {
        return error.code();
    } catch (const std::exception &) {
        return 0; // no code of the component's: reads "Unknown error"
    }
}

} // namespace

void DocumentSubsystem::file_Click()
{
    refreshSaveItem();
}

// Save is offered only for a page that has a file. Its key still works on an
// untitled page, where it asks for a name: the key never does nothing.
void DocumentSubsystem::refreshSaveItem()
{
    const bool titled = w.DHTMLEdit1 && w.DHTMLEdit1->CurrentDocumentPath().length() >= 1;
    if (w.FileSave)
        w.FileSave->setEnabled(titled);
    // Only one of the two holds the key at a time, or neither would get it.
    if (w.FileSaveUntitled)
        w.FileSaveUntitled->setEnabled(!titled);
}

bool DocumentSubsystem::saveUnderCurrentName()
{
    return SaveDocument(w.DHTMLEdit1->CurrentDocumentPath().isEmpty());
}

void DocumentSubsystem::FileNew_Click()
{
    if (state.changed && hooks.saveChangesPrompt() == PromptCancelled)
        return;
    // A component that cannot even start a page (an engine that stopped
    // answering) must not end the program; the page it has stays.
    bool started = false;
    if (const auto error = runGuarded(
            [this] {
                w.DHTMLEdit1->NewDocument();
                return true;
            },
            started)) {
        dialogs.MsgBox(loadErrorMessage(*error), MsgButtons::OK, MsgIcon::Critical);
        hooks.titleRefresh();
        refreshSaveItem();
        return;
    }
    hooks.titleRefresh();
    try {
        w.DHTMLEdit1->setDocumentHTML(newDocumentTemplate(false));
    } catch (const std::exception &) {
        // The built-in page is always valid; should the component still
        // refuse it, the empty page NewDocument left is a new page as well.
    }
    // Unapplied source edits belong to the old page: drop them so the view
    // switch below does not offer to apply them to the new one.
    state.sourceEdited = false;
    menuweditor_Click();
    state.changed = false;
    refreshSaveItem();
}

bool DocumentSubsystem::loadPage(const QString &path, bool &failed)
{
    bool loaded = false;
    const auto error = runGuarded(
        [this, &path] {
            return path.isEmpty() ? w.DHTMLEdit1->LoadDocument(QString(), true)
                                  : w.DHTMLEdit1->LoadDocument(path);
        },
        loaded);
    failed = error.has_value();
    if (error) {
        dialogs.MsgBox(loadErrorMessage(*error), MsgButtons::OK, MsgIcon::Critical);
        return false;
    }
    if (loaded) {
        state.changed = false;
        const QString warning = w.DHTMLEdit1->LoadWarning();
        if (!warning.isEmpty())
            dialogs.MsgBox(warning, MsgButtons::OK, MsgIcon::Exclamation);
        // The source box still shows the previous page; applying it later
        // would overwrite the page just opened.
        if (state.sourceView)
            reloadSourceBox();
    }
    return loaded;
}

void DocumentSubsystem::FileOpen_Click()
{
    hooks.toolbarReset();
    if (hooks.saveChangesPrompt() != PromptCancelled) {
        bool failed = false;
        loadPage(QString(), failed);
        if (failed) {
            try {
                w.DHTMLEdit1->NewDocument();
            } catch (const std::exception &) {
                // Already said what went wrong; the view keeps what it holds.
            }
        }
    }
    hooks.titleRefresh();
    refreshSaveItem();
    afterFileOperation();
}

void DocumentSubsystem::OpenFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    hooks.toolbarReset();
    if (hooks.saveChangesPrompt() != PromptCancelled) {
        // A named file that cannot be opened was not the user's choice from
        // the dialog: the page shown (the start-up page, or the one edited
        // before the drop) is worth more than an empty one.
        bool failed = false;
        loadPage(paths.first(), failed);
        if (paths.size() > 1)
            dialogs.MsgBox(OnePageAtATimeMessage, MsgButtons::OK, MsgIcon::Information);
    }
    hooks.titleRefresh();
    refreshSaveItem();
    afterFileOperation();
}

// The toolbar was greyed for the operation, and a cancelled or saving one
// brings no display change to set it again; the keyboard goes back to the page.
void DocumentSubsystem::afterFileOperation()
{
    hooks.statusRefresh();
    hooks.focusPage();
}

bool DocumentSubsystem::SaveDocument(bool promptUser)
{
    bool result = true;
    hooks.toolbarReset();
    const QString path = promptUser ? QString() : w.DHTMLEdit1->CurrentDocumentPath();
    if (!promptUser && path.isEmpty()) {
        result = false; // untitled and no dialog wanted: nothing to save under
    } else if (!promptUser && w.DHTMLEdit1->DocumentChangedOnDisk() && isRegularFile(path)
               && dialogs.MsgBox(DiskTexts::SaveOver.arg(shownPath(path)),
                                 MsgButtons::YesNo, MsgIcon::Exclamation)
                   != vbYes) {
        result = false; // the other program's version stays
    } else if (state.sourceView && state.sourceEdited && !applySourceBox()) {
        // Saving the page without the source box's text would lose it; the
        // apply has said why it failed, and the file keeps what it had.
        result = false;
    } else {
        bool saved = false;
        const auto error = runGuarded(
            [&] {
                return promptUser ? w.DHTMLEdit1->SaveDocument(QString(), true)
                                  : w.DHTMLEdit1->SaveDocument(path);
            },
            saved);
        if (error) {
            result = false;
            dialogs.MsgBox(saveErrorMessage(*error), MsgButtons::OK, MsgIcon::Critical);
        } else if (!saved) {
            result = false; // the user cancelled the Save As dialog
        } else {
            // The file now holds the page; only text still waiting in the
            // source box to be applied is left unsaved.
            state.changed = state.sourceView && state.sourceEdited;
        }
    }
    hooks.titleRefresh();
    refreshSaveItem();
    afterFileOperation();
    return result;
}

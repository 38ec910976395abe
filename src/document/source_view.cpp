// The visual and source views of the page and the switch between them.

#include "document/busy_cursor.h"
#include "document/document_subsystem.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/user_dialogs.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolBar>

void DocumentSubsystem::SetWysiwygMode(bool visual)
{
    // Set first: hiding the toolbar below can move the keyboard to the page,
    // whose focus event must already see which view is showing.
    state.sourceView = !visual;
    hooks.panelReset();
    w.pageproperty->menuAction()->setEnabled(visual);
    for (QMenu *menu : { w.insert, w.Format, w.Table, w.D2D, w.updatemenu1 })
        menu->menuAction()->setEnabled(visual);
    w.htmlcode->menuAction()->setEnabled(!visual);
    w.menuweditor->setEnabled(!visual);
    w.menuhtmlsource->setEnabled(visual);
    w.Toolbar1->setVisible(visual);
    w.Edit->menuAction()->setEnabled(visual);
    w.viewBorders->setEnabled(visual);
}

void DocumentSubsystem::menuhtmlsource_Click()
{
    SetWysiwygMode(false);
    w.Picture1->hide();
    hooks.sizeControls();
    w.Picturehtmlbox->show();
    reloadSourceBox();
    hooks.focusPage();
}

void DocumentSubsystem::reloadSourceBox()
{
    try {
        const BusyCursor busy;
        fillSourceBox(w.DHTMLEdit1->DocumentHTML());
    } catch (const std::exception &) {
        // A page the component cannot serialise shows as an empty box; it is
        // not applied unless the user edits it.
        fillSourceBox(QString());
    }
    state.sourceEdited = false;
}

void DocumentSubsystem::menuweditor_Click()
{
    w.menuweditor->setEnabled(false);
    w.menuhtmlsource->setEnabled(true);
    w.Picture1->show();
    w.Picturehtmlbox->hide();
    hooks.sizeControls();
    SetWysiwygMode(true);
    if (state.sourceEdited
        && dialogs.MsgBox(QStringLiteral("Do you want to update the changes?"), MsgButtons::YesNo,
                          MsgIcon::None)
            == vbYes)
        updatewysiwyg_Click();
    hooks.focusPage();
}

bool DocumentSubsystem::updatewysiwyg_Click()
{
    const bool applied = applySourceBox();
    hooks.focusPage();
    return applied;
}

bool DocumentSubsystem::applySourceBox()
{
    bool backedUp = false;
    try {
        const BusyCursor busy;
        w.DHTMLEdit2->setDocumentHTML(w.DHTMLEdit1->DocumentHTML());
        backedUp = true;
        w.DHTMLEdit1->setDocumentHTML(w.txtHTML->toPlainText());
        state.sourceEdited = false;
        return true;
    } catch (const std::exception &) {
    }
    dialogs.MsgBox(QStringLiteral("Unrecognized DHTML Code, unable to update wysiwyg editor"),
                   MsgButtons::OK, MsgIcon::Critical);
    // Restore only from a copy taken by this apply: an older copy would throw
    // away the page the user has now.
    if (!backedUp)
        return false;
    try {
        const BusyCursor busy;
        w.DHTMLEdit1->setDocumentHTML(w.DHTMLEdit2->DocumentHTML());
    } catch (const std::exception &) {
        // Nothing better to fall back on; the page stays as the component left it.
    }
    return false;
}

void DocumentSubsystem::txtHTML_Change()
{
    state.sourceEdited = true;
    state.changed = true;
}

void DocumentSubsystem::DHTMLEdit1_GotFocus()
{
    // The page can take the keyboard while the source view shows (a hidden
    // control hands it on); the source view's state must stay as it is.
    if (state.sourceView)
        return;
    w.Toolbar1->setVisible(true);
    hooks.enableEditingMenus(true);
}

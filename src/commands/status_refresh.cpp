// The component's document-complete and display-changed notifications.

#include "commands/commands_subsystem.h"

#include "app/editing_component.h"
#include "app/form_state.h"
#include "app/main_widgets.h"

#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QSignalBlocker>

void CommandsSubsystem::DHTMLEdit1_DocumentComplete()
{
    if (!state.documentReady) {
        FillFormatMenu();
        RefreshFontBoxes();
        if (w.FontSizeCombo)
            w.FontSizeCombo->setCurrentIndex(-1);
    }
    state.documentReady = true;
}

// Runs after every keystroke and click in the editor. The changed flag is set
// elsewhere, from the component's content notification, so a click that
// changes nothing does not mark the page. A failing component leaves the page
// alone: the controls merely keep their last state.
void CommandsSubsystem::DHTMLEdit1_DisplayChanged()
{
    try {
        refreshToolbarButtons();
        RefreshFontBoxes();
        w.DHTMLEdit1->Refresh();
        refreshSourceBox();
    } catch (const ComponentError &) {
    }
}

void CommandsSubsystem::refreshToolbarButtons()
{
    const int count = qMin(m_tables.ToolbarKeys.size(), m_tables.ToolbarCommands.size());
    for (int i = 0; i < count; ++i) {
        const int status = w.DHTMLEdit1->QueryStatus(m_tables.ToolbarCommands[i]);
        QAction *button = w.toolbarButtons.value(m_tables.ToolbarKeys[i]);
        if (!button)
            continue;
        button->setEnabled(status >= DECMDF_ENABLED);
        button->setChecked(status == DECMDF_LATCHED);
    }
}

// Serialising the page is costly, so the source box follows the page only
// while it is on screen; switching to the source view fills it anyway. Text
// the user typed there and has not applied yet is never overwritten.
void CommandsSubsystem::refreshSourceBox()
{
    if (!w.txtHTML || !state.sourceView || state.sourceEdited)
        return;
    const QString html = w.DHTMLEdit1->DocumentHTML();
    if (w.txtHTML->toPlainText() != html) {
        // Only the user's typing counts as an edit of the source.
        const QSignalBlocker blocker(w.txtHTML);
        w.txtHTML->setPlainText(html);
    }
    w.txtHTML->update();
}

// The Table and 2D DHTML menus: each item runs its command from the command
// tables; "Insert Table..." opens the table panel instead, and the first 2D
// item's caption follows the make-absolute status.

#include "commands/commands_subsystem.h"
#include "commands/enable_by_status.h"
#include "commands/position_caption.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/main_widgets.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>

PositionItemState PositionItemFromStatus(int makeAbsoluteStatus)
{
    if (makeAbsoluteStatus == DECMDF_LATCHED)
        return { QStringLiteral("Set Position Attribute To 1D"), true };
    return { QStringLiteral("Set Position Attribute To Absolute"),
             makeAbsoluteStatus == DECMDF_ENABLED };
}

void CommandsSubsystem::Table_Click()
{
    const int count = qMin(m_tables.TableCommands.size(), w.TableSub.size());
    for (int i = 0; i < count; ++i)
        EnableByStatus(w.TableSub[i], m_tables.TableCommands[i], *w.DHTMLEdit1);
}

void CommandsSubsystem::TableSub_Click(int index)
{
    if (index != 0) {
        const int cmdId = m_tables.TableCommands.value(index, 0);
        if (cmdId != 0)
            w.DHTMLEdit1->ExecCommand(cmdId, OLECMDEXECOPT_DODEFAULT);
        return;
    }
    QFrame *panel = w.FrameInserttable;
    if (!panel)
        return;
    // Rebuilt on every opening, so the lists never hold an entry twice and
    // neither has a choice made.
    if (auto *vertical = panel->findChild<QComboBox *>("Combo1")) {
        vertical->clear();
        vertical->addItems({ "Top", "Middle", "Bottom", "Baseline" });
        vertical->setCurrentIndex(-1);
    }
    if (auto *horizontal = panel->findChild<QComboBox *>("Combo2")) {
        horizontal->clear();
        horizontal->addItems({ "Left", "Center", "Right" });
        horizontal->setCurrentIndex(-1);
    }
    hooks.panelReset();
    hooks.panelOpen(panel);
    if (auto *rows = panel->findChild<QLineEdit *>("Rows"))
        rows->setFocus();
}

void CommandsSubsystem::D2D_Click()
{
    const int count = qMin(m_tables.PositionCommands.size(), w.D2DSub.size());
    for (int i = 0; i < count; ++i)
        EnableByStatus(w.D2DSub[i], m_tables.PositionCommands[i], *w.DHTMLEdit1);
    if (w.D2DSub.size() > 8)
        w.D2DSub[8]->setChecked(w.DHTMLEdit1->QueryStatus(DECMD_LOCK_ELEMENT) == DECMDF_LATCHED);
}

void CommandsSubsystem::D2DSub_Click(int index)
{
    const int cmdId = m_tables.PositionCommands.value(index, 0);
    try {
        if (cmdId != 0)
            w.DHTMLEdit1->ExecCommand(cmdId, OLECMDEXECOPT_DODEFAULT);
    } catch (const ComponentError &) {
        // The caption follows the status whatever the item did.
        refreshPositionItem();
        throw;
    }
    refreshPositionItem();
}

void CommandsSubsystem::refreshPositionItem()
{
    if (w.D2DSub.isEmpty())
        return;
    const PositionItemState item
        = PositionItemFromStatus(w.DHTMLEdit1->QueryStatus(DECMD_MAKE_ABSOLUTE));
    w.D2DSub[0]->setText(item.caption);
    w.D2DSub[0]->setEnabled(item.enabled);
}

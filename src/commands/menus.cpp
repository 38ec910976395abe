// The Edit, Format and View menus and the editing menus' enabling.

#include "commands/commands_subsystem.h"
#include "commands/enable_by_status.h"

#include "app/editing_component.h"
#include "app/main_widgets.h"

#include <QAction>
#include <QMenu>

namespace {

constexpr int kFormatItemCount = 16;

void setMenuEnabled(QMenu *menu, bool enable)
{
    if (menu)
        menu->menuAction()->setEnabled(enable);
}

} // namespace

void CommandsSubsystem::Edit_Click()
{
    const int count = qMin(m_tables.EditCommands.size(), w.EditSub.size());
    for (int i = 0; i < count; ++i)
        EnableByStatus(w.EditSub[i], m_tables.EditCommands[i], *w.DHTMLEdit1);
}

void CommandsSubsystem::EditSub_Click(int index)
{
    const int cmdId = m_tables.EditCommands.value(index, 0);
    if (cmdId != 0)
        w.DHTMLEdit1->ExecCommand(cmdId, OLECMDEXECOPT_DODEFAULT);
}

void CommandsSubsystem::FillFormatMenu()
{
    DEGetBlockFmtNamesParam param;
    w.DHTMLEdit1->ExecCommand(DECMD_GETBLOCKFMTNAMES, OLECMDEXECOPT_DONTPROMPTUSER, param);
    const int count = qMin<qsizetype>(w.FormatSub.size(), kFormatItemCount);
    for (int i = 0; i < count; ++i) {
        QAction *item = w.FormatSub[i];
        if (i < param.Names.size())
            item->setText(param.Names[i]);
        // Names beyond the sixteen items are dropped; items left without one
        // stay out of sight rather than showing as blank lines.
        item->setVisible(!item->text().isEmpty());
    }
}

void CommandsSubsystem::Format_Click()
{
    const int status = w.DHTMLEdit1->QueryStatus(DECMD_GETBLOCKFMT);
    if (status > 2) {
        const QString current
            = w.DHTMLEdit1->ExecCommand(DECMD_GETBLOCKFMT, OLECMDEXECOPT_DONTPROMPTUSER).toString();
        for (QAction *item : std::as_const(w.FormatSub)) {
            item->setEnabled(true);
            // Unnamed items are hidden; they never match, even an empty name.
            item->setChecked(!item->text().isEmpty() && item->text() == current);
        }
    } else if (status == DECMDF_DISABLED) {
        for (QAction *item : std::as_const(w.FormatSub)) {
            item->setEnabled(false);
            item->setChecked(false);
        }
    }
}

void CommandsSubsystem::FormatSub_Click(int index)
{
    if (index < 0 || index >= w.FormatSub.size())
        return;
    if (w.DHTMLEdit1->QueryStatus(DECMD_SETBLOCKFMT) > 2)
        w.DHTMLEdit1->ExecCommand(DECMD_SETBLOCKFMT, OLECMDEXECOPT_DONTPROMPTUSER,
                                  w.FormatSub[index]->text());
}

void CommandsSubsystem::viewBorders_Click()
{
    const bool on = !w.viewBorders->isChecked();
    w.DHTMLEdit1->setShowBorders(on);
    w.viewBorders->setChecked(on);
}

void CommandsSubsystem::viewDetails_Click()
{
    const bool on = !w.viewDetails->isChecked();
    w.viewDetails->setChecked(on);
    w.DHTMLEdit1->setShowDetails(on);
}

void CommandsSubsystem::EnableEditingMenus(bool enable)
{
    setMenuEnabled(w.Table, enable);
    setMenuEnabled(w.Format, enable);
    setMenuEnabled(w.insert, enable);
    setMenuEnabled(w.D2D, enable);
    setMenuEnabled(w.htmlcode, !enable);
}

// The editor's pop-up menu: built from the command status at the right-click
// and decoded against that same layout when an item is chosen.

#include "commands/commands_subsystem.h"

#include "app/editing_component.h"
#include "app/main_widgets.h"

#include <QMainWindow>
#include <QWidget>

bool CommandsSubsystem::editorVisible() const
{
    const QWidget *control = w.DHTMLEdit1->widget();
    if (!control)
        return true;
    return w.window ? control->isVisibleTo(w.window) : !control->isHidden();
}

void CommandsSubsystem::DHTMLEdit1_ShowContextMenu(int, int)
{
    EditingComponent &editor = *w.DHTMLEdit1;
    m_layout = ContextMenuLayout {};
    const int makeAbsolute = editor.QueryStatus(DECMD_MAKE_ABSOLUTE);
    const int sendToBack = editor.QueryStatus(DECMD_SEND_TO_BACK);
    const int insertRow = editor.QueryStatus(DECMD_INSERTROW);
    m_layout = MakeContextMenuLayout(makeAbsolute, editorVisible(), sendToBack, insertRow);
    const ContextMenuItems items = BuildContextMenuItems(
        m_layout, [&editor](int cmdId) { return editor.QueryStatus(cmdId); });
    editor.SetContextMenu(items.texts, items.states);
}

void CommandsSubsystem::DHTMLEdit1_ContextMenuAction(int itemIndex)
{
    if (const auto command = DecodeContextMenuAction(m_layout, itemIndex))
        w.DHTMLEdit1->ExecCommand(command->cmdId, command->option);
}

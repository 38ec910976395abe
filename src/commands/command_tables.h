#pragma once

// The fixed tables that map menu items and toolbar buttons to the editing
// component's command IDs. Each list is indexed like the control array it
// serves; an entry of 0 is a separator, for which nothing is run or enabled.

#include <QList>
#include <QString>
#include <QStringList>

struct CommandTables
{
    QList<int> EditCommands; // EditSub, 9 entries
    QList<int> TableCommands; // TableSub, 12 entries
    QList<int> PositionCommands; // D2DSub, 9 entries
    QStringList ToolbarKeys; // 11 keyed buttons whose state the refresh sets
    QList<int> ToolbarCommands; // the command driving each of those buttons
};

void InitMenuCommands(CommandTables &tables);
void InitToolbarCommands(CommandTables &tables);

// The font names offered by FontCombo, in list order. A font choice applies
// the entry at the chosen index, never the box's text.
const QStringList &FontNameList();

// The command a formatting button runs, or 0 for keys that run none
// (the placeholders, and "Color", which asks for a colour first).
int ToolbarButtonCommand(const QString &key);

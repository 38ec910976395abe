#pragma once

// How the editor's pop-up menu was laid out on the last right-click, and the
// pure functions that build its item arrays and decode a chosen position.

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

struct ContextMenuLayout
{
    bool ShowPositionItem = false;
    bool SelectionIsPositioned = false;
    bool ShowTableItems = false;
    int BaseLastIndex = 6;
    int PositionItemCount = 0;
    int TableItemCount = 0;
};

struct ContextMenuItems
{
    QStringList texts; // an empty text is a separator
    QList<int> states; // 0 normal, 2 greyed
};

struct ContextMenuCommand
{
    int cmdId;
    int option;
};

// The layout from the statuses read at the right-click. The positioning items
// appear only while the editing control is visible.
ContextMenuLayout MakeContextMenuLayout(int makeAbsoluteStatus, bool editorVisible,
                                        int sendToBackStatus, int insertRowStatus);

// The item arrays for a layout; queryStatus gives the fixed items' statuses.
ContextMenuItems BuildContextMenuItems(const ContextMenuLayout &layout,
                                       const std::function<int(int)> &queryStatus);

// The command behind a chosen position; none for separators and positions
// the layout does not have.
std::optional<ContextMenuCommand> DecodeContextMenuAction(const ContextMenuLayout &layout,
                                                          int itemIndex);

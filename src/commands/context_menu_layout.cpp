#include "commands/context_menu_layout.h"

#include "app/editing_component.h"

namespace {

struct FixedItem
{
    const char *text;
    int cmdId; // 0 for a separator
    int option;
};

constexpr FixedItem kFixedItems[] = {
    { "Cut", DECMD_CUT, OLECMDEXECOPT_DODEFAULT },
    { "Copy", DECMD_COPY, OLECMDEXECOPT_DODEFAULT },
    { "Paste", DECMD_PASTE, OLECMDEXECOPT_DODEFAULT },
    { "", 0, 0 },
    { "Select All", DECMD_SELECTALL, OLECMDEXECOPT_DODEFAULT },
    { "", 0, 0 },
    { "Font...", DECMD_FONT, OLECMDEXECOPT_PROMPTUSER },
};

// Table items in order after their leading separator; 0 marks a separator.
struct TableItem
{
    const char *text;
    int cmdId;
};

constexpr TableItem kTableItems[] = {
    { "", 0 }, { "Insert Row", DECMD_INSERTROW },  { "Insert Column", DECMD_INSERTCOL },
    { "", 0 }, { "Delete Row", DECMD_DELETEROWS }, { "Delete Column", DECMD_DELETECOLS },
};

} // namespace

ContextMenuLayout MakeContextMenuLayout(int makeAbsoluteStatus, bool editorVisible,
                                        int sendToBackStatus, int insertRowStatus)
{
    ContextMenuLayout layout;
    layout.ShowPositionItem = makeAbsoluteStatus > 2 && editorVisible;
    layout.SelectionIsPositioned = sendToBackStatus > 2;
    layout.ShowTableItems = insertRowStatus > 2;
    layout.BaseLastIndex = 6;
    layout.PositionItemCount = layout.ShowPositionItem ? 2 : 0;
    layout.TableItemCount = layout.ShowTableItems ? 6 : 0;
    return layout;
}

ContextMenuItems BuildContextMenuItems(const ContextMenuLayout &layout,
                                       const std::function<int(int)> &queryStatus)
{
    ContextMenuItems items;
    for (const FixedItem &item : kFixedItems) {
        items.texts << QString::fromLatin1(item.text);
        items.states << ((item.cmdId != 0 && queryStatus(item.cmdId) < 3) ? 2 : 0);
    }
    if (layout.ShowPositionItem) {
        items.texts << QString()
                    << (layout.SelectionIsPositioned ? QStringLiteral("Make 1D HTML")
                                                     : QStringLiteral("Make 2D DHTML"));
        items.states << 0 << 0;
    }
    if (layout.ShowTableItems) {
        for (const TableItem &item : kTableItems) {
            items.texts << QString::fromLatin1(item.text);
            items.states << 0;
        }
    }
    return items;
}

std::optional<ContextMenuCommand> DecodeContextMenuAction(const ContextMenuLayout &layout,
                                                          int itemIndex)
{
    if (itemIndex >= 0 && itemIndex <= 6 && kFixedItems[itemIndex].cmdId != 0)
        return ContextMenuCommand { kFixedItems[itemIndex].cmdId, kFixedItems[itemIndex].option };
    if (layout.ShowPositionItem && itemIndex == layout.BaseLastIndex + 2)
        return ContextMenuCommand { DECMD_MAKE_ABSOLUTE, OLECMDEXECOPT_DODEFAULT };
    if (layout.ShowTableItems) {
        const int offset = itemIndex - (layout.PositionItemCount + layout.BaseLastIndex) - 1;
        if (offset >= 0 && offset < 6 && kTableItems[offset].cmdId != 0)
            return ContextMenuCommand { kTableItems[offset].cmdId, OLECMDEXECOPT_DODEFAULT };
    }
    return std::nullopt;
}

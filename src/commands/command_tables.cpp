#include "commands/command_tables.h"

#include "app/editing_component.h"

#include <QHash>

void InitMenuCommands(CommandTables &tables)
{
    tables.EditCommands = { DECMD_UNDO,  DECMD_REDO,      0, DECMD_CUT,     DECMD_COPY,
                            DECMD_PASTE, DECMD_SELECTALL, 0, DECMD_FINDTEXT };
    tables.TableCommands = { DECMD_INSERTTABLE, 0, DECMD_INSERTROW,  DECMD_INSERTCOL,
                             DECMD_INSERTCELL,  0, DECMD_DELETEROWS, DECMD_DELETECOLS,
                             DECMD_DELETECELLS, 0, DECMD_MERGECELLS, DECMD_SPLITCELL };
    tables.PositionCommands
        = { DECMD_MAKE_ABSOLUTE, DECMD_BRING_TO_FRONT,   DECMD_SEND_TO_BACK,    DECMD_BRING_FORWARD,
            DECMD_SEND_BACKWARD, DECMD_BRING_ABOVE_TEXT, DECMD_SEND_BELOW_TEXT, 0,
            DECMD_LOCK_ELEMENT };
}

void InitToolbarCommands(CommandTables &tables)
{
    tables.ToolbarKeys
        = { "Bold",   "Italic",      "Underline", "Numbers",      "Bullets", "Outdent",
            "Indent", "LeftJustify", "Center",    "RightJustify", "Color" };
    tables.ToolbarCommands
        = { DECMD_BOLD,          DECMD_ITALIC,       DECMD_UNDERLINE,   DECMD_ORDERLIST,
            DECMD_UNORDERLIST,   DECMD_OUTDENT,      DECMD_INDENT,      DECMD_JUSTIFYLEFT,
            DECMD_JUSTIFYCENTER, DECMD_JUSTIFYRIGHT, DECMD_SETFORECOLOR };
}

const QStringList &FontNameList()
{
    static const QStringList names
        = { "Times New Roman", "Arial", "Tahoma", "Courier", "Verdana", "Wingdings" };
    return names;
}

int ToolbarButtonCommand(const QString &key)
{
    static const QHash<QString, int> commands = {
        { "Bold", DECMD_BOLD },
        { "Italic", DECMD_ITALIC },
        { "Underline", DECMD_UNDERLINE },
        { "Numbers", DECMD_ORDERLIST },
        { "Bullets", DECMD_UNORDERLIST },
        { "Outdent", DECMD_OUTDENT },
        { "Indent", DECMD_INDENT },
        { "LeftJustify", DECMD_JUSTIFYLEFT },
        { "Center", DECMD_JUSTIFYCENTER },
        { "RightJustify", DECMD_JUSTIFYRIGHT },
    };
    return commands.value(key, 0);
}

// The formatting toolbar's buttons, the font boxes and the toolbar reset.

#include "commands/commands_subsystem.h"

#include "app/editing_component.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/user_dialogs.h"
#include "page/color.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>

namespace {

void setComboText(QComboBox *box, const QString &text)
{
    if (box->isEditable())
        box->setEditText(text);
    else
        box->setCurrentIndex(box->findText(text));
}

// Status 3 or 7 shows the component's value; 11 (a mixed selection) leaves
// the box usable but empty; anything else empties and disables it.
void showFontValue(QComboBox *box, int status, const std::function<QString()> &value)
{
    if (!box)
        return;
    if (status == DECMDF_ENABLED || status == DECMDF_LATCHED) {
        setComboText(box, value());
        box->setEnabled(true);
    } else {
        setComboText(box, QString());
        box->setEnabled(status == DECMDF_NINCHED);
    }
}

} // namespace

void CommandsSubsystem::Toolbar1_ButtonClick(const QString &key)
{
    if (const int cmdId = ToolbarButtonCommand(key)) {
        w.DHTMLEdit1->ExecCommand(cmdId, OLECMDEXECOPT_DONTPROMPTUSER);
        return;
    }
    if (key != QLatin1String("Color"))
        return; // the font box placeholders run nothing

    // A cancelled dialog or any failure on the way ends the click silently.
    const std::optional<quint32> chosen = dialogs.ChooseColor(0);
    if (!chosen)
        return;
    const QString colour = ColorToHtml(*chosen);
    if (colour.isEmpty())
        return;
    try {
        w.DHTMLEdit1->ExecCommand(DECMD_SETFORECOLOR, OLECMDEXECOPT_DONTPROMPTUSER, colour);
    } catch (const ComponentError &) {
    }
}

void CommandsSubsystem::FontCombo_Click(int listIndex)
{
    const QStringList &names = FontNameList();
    if (listIndex < 0 || listIndex >= names.size())
        return;
    if (state.documentReady && w.DHTMLEdit1->QueryStatus(DECMD_SETFONTNAME) > 2)
        w.DHTMLEdit1->ExecCommand(DECMD_SETFONTNAME, OLECMDEXECOPT_DONTPROMPTUSER,
                                  names[listIndex]);
}

void CommandsSubsystem::FontSizeCombo_Click(int listIndex)
{
    if (listIndex < 0 || !state.documentReady)
        return;
    const qint32 size = listIndex + 1;
    w.DHTMLEdit1->ExecCommand(DECMD_SETFONTSIZE, OLECMDEXECOPT_DONTPROMPTUSER, size);
}

void CommandsSubsystem::RefreshFontBoxes()
{
    EditingComponent &editor = *w.DHTMLEdit1;
    showFontValue(w.FontCombo, editor.QueryStatus(DECMD_GETFONTNAME), [&editor] {
        return editor.ExecCommand(DECMD_GETFONTNAME, OLECMDEXECOPT_DONTPROMPTUSER).toString();
    });
    showFontValue(w.FontSizeCombo, editor.QueryStatus(DECMD_GETFONTSIZE), [&editor] {
        const qint32 size
            = editor.ExecCommand(DECMD_GETFONTSIZE, OLECMDEXECOPT_DONTPROMPTUSER).toInt();
        return size < 1 ? QString() : QString::number(size);
    });
}

void CommandsSubsystem::ToolbarReset()
{
    for (QComboBox *box : { w.FontCombo, w.FontSizeCombo }) {
        if (!box)
            continue;
        setComboText(box, QString());
        box->setEnabled(false);
    }
    for (QAction *button : std::as_const(w.toolbarButtons))
        button->setEnabled(false);
    // A display change already queued re-enables the controls from the
    // component's state before the caller goes on.
    QCoreApplication::processEvents();
}

#include "commands/commands_subsystem.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/user_dialogs.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QSignalBlocker>

namespace {

// Qt flips a checkable action's mark before triggered arrives; these marks are
// set only by the handlers (from the component's state), so undo the flip.
void undoAutomaticToggle(QAction *action, bool checkedNow)
{
    if (!action->isCheckable())
        return;
    const QSignalBlocker blocker(action);
    action->setChecked(!checkedNow);
}

} // namespace

CommandsSubsystem::CommandsSubsystem(MainWidgets &w, FormState &state, FormHooks &hooks,
                                     UserDialogs &dialogs, QObject *parent)
    : QObject(parent)
    , w(w)
    , state(state)
    , hooks(hooks)
    , dialogs(dialogs)
{
    hooks.InitMenuCommands = [this] { InitMenuCommands(); };
    hooks.InitToolbarCommands = [this] { InitToolbarCommands(); };
    hooks.ToolbarReset = [this] { ToolbarReset(); };
    hooks.EnableEditingMenus = [this](bool enable) { EnableEditingMenus(enable); };

    connectMenus();
    connectToolbar();
    connectComponent();
}

void CommandsSubsystem::InitMenuCommands()
{
    ::InitMenuCommands(m_tables);
}

void CommandsSubsystem::InitToolbarCommands()
{
    ::InitToolbarCommands(m_tables);
}

void CommandsSubsystem::connectMenus()
{
    if (w.Edit)
        connect(w.Edit, &QMenu::aboutToShow, this, [this] { guarded([this] { Edit_Click(); }); });
    for (int i = 0; i < w.EditSub.size(); ++i) {
        connect(w.EditSub[i], &QAction::triggered, this,
                [this, i] { guarded([this, i] { EditSub_Click(i); }); });
    }
    if (w.Format)
        connect(w.Format, &QMenu::aboutToShow, this,
                [this] { guarded([this] { Format_Click(); }); });
    for (int i = 0; i < w.FormatSub.size(); ++i) {
        QAction *item = w.FormatSub[i];
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, item, i](bool checked) {
            undoAutomaticToggle(item, checked);
            guarded([this, i] { FormatSub_Click(i); });
        });
    }
    const auto connectToggle = [this](QAction *item, void (CommandsSubsystem::*click)()) {
        if (!item)
            return;
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, item, click](bool checked) {
            undoAutomaticToggle(item, checked);
            guarded([this, click] { (this->*click)(); });
        });
    };
    connectToggle(w.viewBorders, &CommandsSubsystem::viewBorders_Click);
    connectToggle(w.viewDetails, &CommandsSubsystem::viewDetails_Click);
}

void CommandsSubsystem::connectToolbar()
{
    for (auto it = w.toolbarButtons.cbegin(); it != w.toolbarButtons.cend(); ++it) {
        QAction *button = it.value();
        const QString key = it.key();
        connect(button, &QAction::triggered, this, [this, button, key](bool checked) {
            undoAutomaticToggle(button, checked);
            guarded([this, key] { Toolbar1_ButtonClick(key); });
        });
    }
    // Only a choice from the list acts: typed text must neither become a new
    // list entry nor be reported as a choice.
    for (QComboBox *box : { w.FontCombo, w.FontSizeCombo }) {
        if (box)
            box->setInsertPolicy(QComboBox::NoInsert);
    }
    if (w.FontCombo)
        connect(w.FontCombo, &QComboBox::activated, this,
                [this](int i) { guarded([this, i] { FontCombo_Click(i); }); });
    if (w.FontSizeCombo)
        connect(w.FontSizeCombo, &QComboBox::activated, this,
                [this](int i) { guarded([this, i] { FontSizeCombo_Click(i); }); });
}

void CommandsSubsystem::connectComponent()
{
    EditingComponent *editor = w.DHTMLEdit1;
    if (!editor)
        return;
    connect(editor, &EditingComponent::DocumentComplete, this,
            [this] { guarded([this] { DHTMLEdit1_DocumentComplete(); }); });
    connect(editor, &EditingComponent::DisplayChanged, this,
            [this] { guarded([this] { DHTMLEdit1_DisplayChanged(); }); });
    connect(editor, &EditingComponent::ShowContextMenu, this,
            [this](int x, int y) { guarded([this, x, y] { DHTMLEdit1_ShowContextMenu(x, y); }); });
    connect(editor, &EditingComponent::ContextMenuAction, this,
            [this](int i) { guarded([this, i] { DHTMLEdit1_ContextMenuAction(i); }); });
}

void CommandsSubsystem::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const ComponentError &error) {
        const QString text = error.message().isEmpty()
            ? QStringLiteral("The editor could not carry out this command.")
            : error.message();
        dialogs.MsgBox(text, MsgButtons::OK, MsgIcon::Critical);
    }
}

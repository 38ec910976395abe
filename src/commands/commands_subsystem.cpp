#include "commands/commands_subsystem.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/user_dialogs.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>
#include <QTimer>

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
    hooks.StatusRefresh = [this] { StatusRefresh(); };

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

    if (w.Table)
        connect(w.Table, &QMenu::aboutToShow, this, [this] { guarded([this] { Table_Click(); }); });
    for (int i = 0; i < w.TableSub.size(); ++i) {
        connect(w.TableSub[i], &QAction::triggered, this,
                [this, i] { guarded([this, i] { TableSub_Click(i); }); });
    }
    if (w.D2D)
        connect(w.D2D, &QMenu::aboutToShow, this, [this] { guarded([this] { D2D_Click(); }); });
    for (int i = 0; i < w.D2DSub.size(); ++i) {
        QAction *item = w.D2DSub[i];
        // "Lock Element" shows the component's lock, never a mark Qt flipped.
        connect(item, &QAction::triggered, this, [this, item, i](bool checked) {
            undoAutomaticToggle(item, checked);
            guarded([this, i] { D2DSub_Click(i); });
        });
    }
}

void CommandsSubsystem::connectToolbar()
{
    for (auto it = w.toolbarButtons.cbegin(); it != w.toolbarButtons.cend(); ++it) {
        QAction *button = it.value();
        const QString key = it.key();
        connect(button, &QAction::triggered, this, [this, button, key](bool checked) {
            undoAutomaticToggle(button, checked);
            guarded([this, key] { Toolbar1_ButtonClick(key); });
            afterToolbarChoice();
        });
    }
    // Only a choice from the list acts. The box also reports typed text that
    // matches an entry (Enter, completion), the mouse wheel and the arrow keys
    // as choices; those are turned away here and in the event filter.
    for (QComboBox *box : { w.FontCombo, w.FontSizeCombo }) {
        if (!box)
            continue;
        box->setInsertPolicy(QComboBox::NoInsert);
        box->installEventFilter(this);
        QWidget *popup = box->view()->window(); // the list's pop-up
        popup->installEventFilter(this);
        m_listPopups.append({ popup, box });
    }
    if (w.FontCombo)
        connect(w.FontCombo, &QComboBox::activated, this, [this](int i) {
            if (!takeListChoice(w.FontCombo))
                return;
            guarded([this, i] { FontCombo_Click(i); });
            afterToolbarChoice();
        });
    if (w.FontSizeCombo)
        connect(w.FontSizeCombo, &QComboBox::activated, this, [this](int i) {
            if (!takeListChoice(w.FontSizeCombo))
                return;
            guarded([this, i] { FontSizeCombo_Click(i); });
            afterToolbarChoice();
        });
}

bool CommandsSubsystem::takeListChoice(QComboBox *box)
{
    if (!box || m_listShown != box)
        return false;
    m_listShown = nullptr;
    return true;
}

void CommandsSubsystem::afterToolbarChoice()
{
    hooks.focusPage();
}

bool CommandsSubsystem::eventFilter(QObject *watched, QEvent *event)
{
    for (QComboBox *box : { w.FontCombo, w.FontSizeCombo }) {
        if (!box)
            continue;
        if (watched == box) {
            if (event->type() == QEvent::Wheel)
                return true; // turning the wheel over a box picks nothing
            if (event->type() == QEvent::KeyPress) {
                const auto *key = static_cast<QKeyEvent *>(event);
                const bool stepping = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down
                    || key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown;
                // Alt+Down opens the list, where the arrows do choose.
                if (stepping && !(key->modifiers() & Qt::AltModifier))
                    return true;
            }
        }
    }
    // The pop-up is told apart by the pointer kept at set-up: while the
    // window closes, the box and its view may already be gone.
    for (const auto &[popup, box] : std::as_const(m_listPopups)) {
        if (!popup || watched != popup)
            continue;
        if (event->type() == QEvent::Show) {
            m_listShown = box;
        } else if (event->type() == QEvent::Hide) {
            // A choice is reported right after the list closes; one that
            // closed without a choice must not let later typing through.
            QTimer::singleShot(0, this, [this, box] {
                if (m_listShown == box)
                    m_listShown = nullptr;
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

void CommandsSubsystem::StatusRefresh()
{
    try {
        refreshToolbarButtons();
        RefreshFontBoxes();
    } catch (const ComponentError &) {
        // The controls keep their state; the next display change sets them.
    }
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

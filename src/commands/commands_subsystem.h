#pragma once

// The editing commands of the main window: the Edit, Format and View menus,
// the formatting toolbar with its font boxes and status refresh, and the
// editor's context menu. The constructor connects the controls and fills the
// hooks this subsystem owns; the handlers are public so they can be driven
// directly.

#include "commands/command_tables.h"
#include "commands/context_menu_layout.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

struct MainWidgets;
struct FormState;
struct FormHooks;
class UserDialogs;
class QAction;
class QComboBox;

class CommandsSubsystem : public QObject
{
    Q_OBJECT
public:
    CommandsSubsystem(MainWidgets &w, FormState &state, FormHooks &hooks, UserDialogs &dialogs,
                      QObject *parent = nullptr);

    // Tables, filled once at start-up; the Table and 2D menus read theirs here.
    const CommandTables &tables() const { return m_tables; }
    const ContextMenuLayout &contextMenuLayout() const { return m_layout; }

    void InitMenuCommands();
    void InitToolbarCommands();

    // Edit, Format and View menus.
    void Edit_Click();
    void EditSub_Click(int index);
    void Format_Click();
    void FormatSub_Click(int index);
    void FillFormatMenu();
    void viewBorders_Click();
    void viewDetails_Click();
    void EnableEditingMenus(bool enable);

    // Table and 2D DHTML menus.
    void Table_Click();
    void TableSub_Click(int index);
    void D2D_Click();
    void D2DSub_Click(int index);

    // Toolbar and font boxes.
    void Toolbar1_ButtonClick(const QString &key);
    void FontCombo_Click(int listIndex);
    void FontSizeCombo_Click(int listIndex);
    void RefreshFontBoxes();
    void ToolbarReset();
    // Sets the buttons and font boxes from the component's statuses.
    void StatusRefresh();

    // Editing component notifications.
    void DHTMLEdit1_DocumentComplete();
    void DHTMLEdit1_DisplayChanged();
    void DHTMLEdit1_ShowContextMenu(int x, int y);
    void DHTMLEdit1_ContextMenuAction(int itemIndex);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectMenus();
    void connectToolbar();
    void connectComponent();
    void refreshToolbarButtons();
    void refreshSourceBox();
    // Item 0 of the 2D menu from the make-absolute status.
    void refreshPositionItem();
    bool editorVisible() const;
    // Runs a handler from a signal; a component failure is reported in a
    // message box instead of escaping into the event loop.
    void guarded(const std::function<void()> &handler);
    // A toolbar choice is over: the keyboard goes back to the page.
    void afterToolbarChoice();
    // True once per choice made in the box's drop-down list.
    bool takeListChoice(QComboBox *box);

    MainWidgets &w;
    FormState &state;
    FormHooks &hooks;
    UserDialogs &dialogs;
    CommandTables m_tables;
    ContextMenuLayout m_layout;
    // The font box whose list is open, or has just closed with a choice.
    QComboBox *m_listShown = nullptr;
    // Each font box's list pop-up, watched for showing and hiding.
    QList<std::pair<QPointer<QWidget>, QComboBox *>> m_listPopups;
};

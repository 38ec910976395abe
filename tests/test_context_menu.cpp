#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/main_widgets_builder.h"
#include "commands/commands_subsystem.h"
#include "commands/context_menu_layout.h"
#include "fake_editing_component.h"
#include "scripted_dialogs.h"

#include <QMainWindow>
#include <QTest>

using Commands = QList<int>;
Q_DECLARE_METATYPE(Commands)

class TestContextMenu : public QObject
{
    Q_OBJECT
private slots:
    // Statuses of make-absolute, send-to-back and insert-row, whether the editor
    // is visible, and the texts and decoded commands past "Font..." (index 6).
    void layoutsAndDecoding_data()
    {
        QTest::addColumn<int>("makeAbsolute");
        QTest::addColumn<int>("sendToBack");
        QTest::addColumn<int>("insertRow");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QStringList>("tail");
        QTest::addColumn<Commands>("tailCommands");
        const QStringList table
            = { "", "Insert Row", "Insert Column", "", "Delete Row", "Delete Column" };
        const Commands tableCmds
            = { 0, DECMD_INSERTROW, DECMD_INSERTCOL, 0, DECMD_DELETEROWS, DECMD_DELETECOLS };
        QTest::newRow("7") << 1 << 3 << 0 << true << QStringList() << Commands();
        QTest::newRow("9, 2D") << 3 << 1 << 1 << true << QStringList({ "", "Make 2D DHTML" })
                               << Commands({ 0, DECMD_MAKE_ABSOLUTE });
        QTest::newRow("13") << 1 << 7 << 11 << true << table << tableCmds;
        QTest::newRow("15, 1D") << 3 << 3 << 3 << true
                                << QStringList({ "", "Make 1D HTML" }) + table
                                << Commands({ 0, DECMD_MAKE_ABSOLUTE }) + tableCmds;
        QTest::newRow("hidden editor") << 3 << 3 << 3 << false << table << tableCmds;
    }
    void layoutsAndDecoding()
    {
        QFETCH(int, makeAbsolute);
        QFETCH(int, sendToBack);
        QFETCH(int, insertRow);
        QFETCH(bool, visible);
        QFETCH(QStringList, tail);
        QFETCH(Commands, tailCommands);
        const auto layout = MakeContextMenuLayout(makeAbsolute, visible, sendToBack, insertRow);
        const auto items = BuildContextMenuItems(layout, [](int) { return 3; });
        QCOMPARE(items.texts,
                 QStringList({ "Cut", "Copy", "Paste", "", "Select All", "", "Font..." }) + tail);
        QCOMPARE(items.states, QList<int>(items.texts.size(), 0));

        const Commands all
            = Commands({ DECMD_CUT, DECMD_COPY, DECMD_PASTE, 0, DECMD_SELECTALL, 0, DECMD_FONT })
            + tailCommands + Commands({ 0, 0 }); // past the end runs nothing
        for (int i = -1; i < all.size(); ++i) {
            const auto command = DecodeContextMenuAction(layout, i);
            QCOMPARE(command ? command->cmdId : 0, i < 0 ? 0 : all[i]);
            if (command)
                QCOMPARE(command->option, i == 6 ? 1 : 0);
        }
    }

    // Through the component's events: states follow the statuses at the
    // right-click, and a choice decodes against the latest layout.
    void handlersFollowTheLatestRightClick()
    {
        QMainWindow window;
        MainWidgets w;
        buildMainWidgets(&window, w);
        FakeEditingComponent editor;
        QWidget control(&window);
        editor.control = &control;
        w.DHTMLEdit1 = &editor;
        FormState state;
        FormHooks hooks;
        ScriptedDialogs dialogs;
        CommandsSubsystem commands(w, state, hooks, dialogs);

        editor.statuses
            = { { DECMD_MAKE_ABSOLUTE, 3 }, { DECMD_INSERTROW, 3 },  { DECMD_CUT, 3 },
                { DECMD_COPY, 1 },          { DECMD_SELECTALL, 11 }, { DECMD_FONT, 7 } };
        emit editor.ShowContextMenu(10, 20);
        QCOMPARE(editor.contextTexts.size(), 15);
        QCOMPARE(editor.contextStates.mid(0, 7), QList<int>({ 0, 2, 2, 0, 0, 0, 0 }));
        emit editor.ContextMenuAction(10);
        QCOMPARE(editor.execs.last().cmdId, int(DECMD_INSERTROW));

        control.hide();
        emit editor.ShowContextMenu(10, 20);
        QCOMPARE(editor.contextTexts.size(), 13);
        emit editor.ContextMenuAction(9);
        QCOMPARE(editor.execs.last().cmdId, int(DECMD_INSERTCOL));
    }
};

QTEST_MAIN(TestContextMenu)
#include "test_context_menu.moc"

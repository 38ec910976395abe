// The Table and 2D DHTML menus and the table panel, in the real window with
// its panel opener and reset, against a scripted editing component; and the
// panel's numbers and attribute texts on their own.

#include "app/editing_component.h"
#include "app/main_form.h"
#include "app/main_widgets.h"
#include "commands/commands_subsystem.h"
#include "commands/position_caption.h"
#include "fake_editing_component.h"
#include "insert/table_fields.h"
#include "insert/table_panel.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

const QString kRowsMessage
    = QStringLiteral("Please specify a positive integer for the number of table rows.");
const QString kColsMessage
    = QStringLiteral("Please specify a positive integer for the number of table columns.");
const QString kDefaultTableAttrs = DEInsertTableParam().TableAttrs;

struct Rig
{
    FakeEditingComponent editor, store;
    ScriptedDialogs dialogs;
    QLineEdit *page = new QLineEdit; // the editor's control, to see the keyboard come back
    std::unique_ptr<MainForm> form;
    CommandsSubsystem *commands = nullptr;
    TablePanel *panel = nullptr;
    bool active = false;

    Rig()
    {
        editor.control = page;
        form = std::make_unique<MainForm>(&editor, &store, &dialogs);
        commands = new CommandsSubsystem(form->widgets(), form->state(), form->hooks(),
                                         form->dialogs(), form.get());
        panel = new TablePanel(form->widgets(), form->hooks(), form->dialogs(), form.get());
        form->Form_Load();
        form->show();
        form->activateWindow();
        active = QTest::qWaitForWindowActive(form.get());
        editor.execs.clear();
    }
    ~Rig()
    {
        form.reset();
        delete page;
    }
    MainWidgets &w() { return form->widgets(); }
    bool panelOpen() { return w().FrameInserttable->isVisibleTo(form->centralWidget()); }
    void openPanel() { w().TableSub[0]->trigger(); }
    // Fills the panel as the user types.
    void fill(const QString &rows, const QString &cols, const QString &border = {},
              const QString &padding = {}, const QString &spacing = {}, const QString &caption = {})
    {
        const QList<std::pair<QLineEdit *, QString>> fields
            = { { panel->Rows, rows },          { panel->Cols, cols },
                { panel->TableAttrs, border },  { panel->CellAttrs, padding },
                { panel->CellAttrs2, spacing }, { panel->TableCaption, caption } };
        for (const auto &[field, text] : fields) {
            field->clear();
            QTest::keyClicks(field, text);
        }
    }
    void ok() { QTest::mouseClick(panel->OkCmd, Qt::LeftButton); }
    QVariantMap insertedParam()
    {
        for (const RecordedExec &e : editor.execs) {
            if (e.cmdId == DECMD_INSERTTABLE && e.option == OLECMDEXECOPT_DONTPROMPTUSER)
                return e.input.toMap();
        }
        return {};
    }
    QStringList fieldTexts()
    {
        QStringList out;
        for (QLineEdit *f : { panel->Rows, panel->Cols, panel->TableAttrs, panel->CellAttrs,
                              panel->CellAttrs2, panel->TableCaption })
            out << f->text();
        return out;
    }
};

} // namespace

class TestTables : public QObject
{
    Q_OBJECT
private slots:
    void countsArePlainDecimalsRoundedHalfToEven()
    {
        for (const char *bad : { "0", "-1", "abc", "", " ", "-0.5", "1,5", "0x10", "2 3", "inf",
                                 "nan", "3000000000" })
            QVERIFY2(!TableCount(QString::fromLatin1(bad)), bad);
        const QList<std::pair<const char *, int>> good = { { "3", 3 },
                                                           { "2.5", 2 },
                                                           { "3.5", 4 },
                                                           { "0.4", 0 },
                                                           { "+2", 2 },
                                                           { " 7 ", 7 },
                                                           { ".6", 1 },
                                                           { "4.", 4 },
                                                           { "1e2", 100 },
                                                           { "0.5", 0 },
                                                           { "1.5", 2 },
                                                           { "2.51", 3 },
                                                           { "2147483647", 2147483647 } };
        for (const auto &[text, count] : good)
            QCOMPARE(TableCount(QString::fromLatin1(text)), std::optional<int>(count));
    }

    void attributeTextsKeepFieldTextsInsideTheirValues()
    {
        QCOMPARE(TableAttributeText("1", "2", "3"),
                 QStringLiteral("Border=\"1\"  Cellpadding=\"2\" Cellspacing=\"3\""));
        QCOMPARE(TableAttributeText("1", "", ""),
                 QStringLiteral("Border=\"1\"  Cellpadding=\"\" Cellspacing=\"\""));
        QCOMPARE(TableAttributeText("1\" onclick=\"x", "a&b", "\""),
                 QStringLiteral("Border=\"1&quot; onclick=&quot;x\"  Cellpadding=\"a&amp;b\" "
                                "Cellspacing=\"&quot;\""));
        QCOMPARE(CellAttributeText(""), QStringLiteral(" Valign=\"\""));
        QCOMPARE(CellAttributeText("Middle"), QStringLiteral(" Valign=\"Middle\""));
    }

    void positionItemCaptionFollowsTheStatus()
    {
        const auto check = [](int status, const char *caption, bool enabled) {
            const PositionItemState s = PositionItemFromStatus(status);
            QCOMPARE(s.caption, QString::fromLatin1(caption));
            QCOMPARE(s.enabled, enabled);
        };
        check(DECMDF_LATCHED, "Set Position Attribute To 1D", true);
        check(DECMDF_ENABLED, "Set Position Attribute To Absolute", true);
        for (const int other : { 0, 1, 11 })
            check(other, "Set Position Attribute To Absolute", false);
    }

    void tableMenuEnablesFromStatusesAndRunsItsCommands()
    {
        Rig r;
        const QList<int> commands = r.commands->tables().TableCommands;
        for (int i = 0; i < commands.size(); ++i)
            r.editor.statuses[commands[i]] = DECMDF_ENABLED;
        for (const int off : { DECMD_INSERTROW, DECMD_INSERTCOL, DECMD_INSERTCELL })
            r.editor.statuses[off] = DECMDF_DISABLED;
        for (const int separator : { 1, 5, 9 })
            r.w().TableSub[separator]->setEnabled(false);
        emit r.w().Table->aboutToShow();
        for (int i = 0; i < 12; ++i) {
            const bool on = i == 0 || i >= 6 ? i != 9 : false;
            QVERIFY2(r.w().TableSub[i]->isEnabled() == on, qPrintable(QString::number(i)));
        }
        QVERIFY(r.editor.execs.isEmpty());

        const QList<std::pair<int, int>> items
            = { { 2, DECMD_INSERTROW },   { 3, DECMD_INSERTCOL },  { 4, DECMD_INSERTCELL },
                { 6, DECMD_DELETEROWS },  { 7, DECMD_DELETECOLS }, { 8, DECMD_DELETECELLS },
                { 10, DECMD_MERGECELLS }, { 11, DECMD_SPLITCELL } };
        for (const auto &[index, cmd] : items) {
            r.editor.execs.clear();
            r.w().TableSub[index]->setEnabled(true);
            r.w().TableSub[index]->trigger();
            QCOMPARE(r.editor.execs.size(), 1);
            QCOMPARE(r.editor.execs[0].cmdId, cmd);
            QCOMPARE(r.editor.execs[0].option, int(OLECMDEXECOPT_DODEFAULT));
        }
        // A failing command is reported, not thrown into the event loop.
        r.editor.execErrors.insert(
            DECMD_MERGECELLS, ComponentError(ComponentErrorCode::Unexpected, "not in a table"));
        r.w().TableSub[10]->trigger();
        QCOMPARE(r.dialogs.shown.size(), 1);
        QCOMPARE(r.dialogs.shown[0].icon, MsgIcon::Critical);
    }

    void insertTableOpensThePanelWithFreshLists()
    {
        Rig r;
        QVERIFY(r.active);
        r.editor.statuses[DECMD_INSERTTABLE] = DECMDF_ENABLED;
        for (int round = 0; round < 2; ++round) {
            r.panel->Combo1->setCurrentIndex(1);
            r.openPanel();
            QVERIFY(r.panelOpen());
            QCOMPARE(r.panel->Combo1->count(), 4);
            QCOMPARE(r.panel->Combo2->count(), 3);
            QCOMPARE(r.panel->Combo1->itemText(3), QStringLiteral("Baseline"));
            QCOMPARE(r.panel->Combo2->itemText(1), QStringLiteral("Center"));
            QCOMPARE(r.panel->Combo1->currentText(), QString());
            QCOMPARE(r.panel->Combo2->currentText(), QString());
            QCOMPARE(QApplication::focusWidget(), r.panel->Rows);
        }
        // No command runs for the item itself.
        QVERIFY(r.editor.execs.isEmpty());
        // Each field can be found by its label's name.
        for (QLabel *label : r.w().FrameInserttable->findChildren<QLabel *>()) {
            QVERIFY(label->buddy());
            QCOMPARE(label->buddy()->accessibleName(), label->text());
            QVERIFY(r.w().FrameInserttable->rect().contains(label->buddy()->geometry()));
        }
    }

    void okBuildsTheParameterObjectFromTheFields()
    {
        Rig r;
        QVERIFY(r.active);
        r.openPanel();
        r.fill("3", "2");
        r.ok();
        QVariantMap p = r.insertedParam();
        QCOMPARE(p.value("NumRows").toInt(), 3);
        QCOMPARE(p.value("NumCols").toInt(), 2);
        QCOMPARE(p.value("TableAttrs").toString(), kDefaultTableAttrs);
        QCOMPARE(p.value("CellAttrs").toString(), QString());
        QCOMPARE(p.value("Caption").toString(), QString());
        QVERIFY(!r.panelOpen());
        QCOMPARE(r.fieldTexts(), QStringList(6, QString()));
        QCOMPARE(QApplication::focusWidget(), r.page);

        const struct
        {
            const char *rows, *cols, *border, *padding, *spacing, *caption;
            int vertical, horizontal; // list entries chosen, -1 none
            int numRows, numCols;
            QString tableAttrs, cellAttrs;
        } cases[] = {
            { "2.5", "3.5", "1", "", "", "Totals", -1, 2, 2, 4,
              "Border=\"1\"  Cellpadding=\"\" Cellspacing=\"\"", "" },
            { "0.4", "1", "", "4", "9", "", -1, -1, 0, 1, kDefaultTableAttrs, " Valign=\"\"" },
            { "1", "1", "", "4", "", "", 1, 2, 1, 1, kDefaultTableAttrs, " Valign=\"Middle\"" },
            { "1", "1", "1\"x", "2", "3", "", 0, -1, 1, 1,
              "Border=\"1&quot;x\"  Cellpadding=\"2\" Cellspacing=\"3\"", " Valign=\"Top\"" },
        };
        for (const auto &c : cases) {
            r.editor.execs.clear();
            r.openPanel();
            r.fill(c.rows, c.cols, c.border, c.padding, c.spacing, c.caption);
            r.panel->Combo1->setCurrentIndex(c.vertical);
            r.panel->Combo2->setCurrentIndex(c.horizontal);
            r.ok();
            p = r.insertedParam();
            QCOMPARE(p.value("NumRows").toInt(), c.numRows);
            QCOMPARE(p.value("NumCols").toInt(), c.numCols);
            QCOMPARE(p.value("TableAttrs").toString(), c.tableAttrs);
            QCOMPARE(p.value("CellAttrs").toString(), c.cellAttrs);
            QCOMPARE(p.value("Caption").toString(), QString::fromLatin1(c.caption));
            // The horizontal choice never reaches the table.
            for (const QVariant &v : p)
                QVERIFY(!v.toString().contains("Center") && !v.toString().contains("Right"));
            QCOMPARE(r.panel->lastParam().NumRows, c.numRows);
            QVERIFY(!r.panelOpen());
        }
    }

    void messagesStopTheInsertWithThePanelOpen()
    {
        Rig r;
        QVERIFY(r.active);
        r.openPanel();
        for (const char *rows : { "0", "-1", "abc", "" }) {
            r.dialogs.shown.clear();
            // The columns field is not examined once the rows fail.
            r.fill(rows, "abc", "1", "2", "3", "cap");
            const QStringList typed = r.fieldTexts();
            r.ok();
            QCOMPARE(r.dialogs.shown.size(), 1);
            QCOMPARE(r.dialogs.shown[0].text, kRowsMessage);
            QCOMPARE(r.dialogs.shown[0].icon, MsgIcon::Critical);
            QCOMPARE(r.dialogs.shown[0].buttons, MsgButtons::OK);
            QCOMPARE(r.dialogs.shown[0].caption, AppTitle);
            QCOMPARE(r.fieldTexts(), typed);
            QVERIFY(r.panelOpen());
        }
        for (const char *cols : { "0", "-1", "abc", "" }) {
            r.dialogs.shown.clear();
            r.fill("2", cols);
            r.ok();
            QCOMPARE(r.dialogs.shown.size(), 1);
            QCOMPARE(r.dialogs.shown[0].text, kColsMessage);
            QVERIFY(r.panelOpen());
        }
        QVERIFY(r.editor.execs.isEmpty());

        // The component refusing the table is reported; the entries stay.
        r.editor.execErrors.insert(DECMD_INSERTTABLE,
                                   ComponentError(ComponentErrorCode::InvalidArg, "no cells"));
        r.dialogs.shown.clear();
        r.fill("0.4", "2");
        r.ok();
        QCOMPARE(r.dialogs.shown.size(), 1);
        QVERIFY(r.dialogs.shown[0].text.contains("no cells"));
        QVERIFY(r.panelOpen());
        QCOMPARE(r.panel->Rows->text(), QStringLiteral("0.4"));
        QCOMPARE(QApplication::focusWidget(), r.panel->Rows);

        // Cancel closes the panel and clears the fields; nothing is inserted.
        r.editor.execs.clear();
        r.fill("2", "2", "1", "1", "1", "x");
        QTest::mouseClick(r.panel->CancelCmd, Qt::LeftButton);
        QVERIFY(!r.panelOpen());
        QCOMPARE(r.fieldTexts(), QStringList(6, QString()));
        QVERIFY(r.editor.execs.isEmpty());
        QCOMPARE(QApplication::focusWidget(), r.page);
        // Esc in the panel is Cancel too.
        r.openPanel();
        QTest::keyClicks(r.panel->Rows, "5");
        QTest::keyClick(r.panel->Rows, Qt::Key_Escape);
        QVERIFY(!r.panelOpen());
        QCOMPARE(r.panel->Rows->text(), QString());
    }

    void positioningMenuCaptionAndLockMark()
    {
        Rig r;
        QAction *first = r.w().D2DSub[0];
        QAction *lock = r.w().D2DSub[8];
        r.editor.statuses[DECMD_MAKE_ABSOLUTE] = DECMDF_LATCHED;
        first->trigger();
        QCOMPARE(r.editor.execs.last().cmdId, int(DECMD_MAKE_ABSOLUTE));
        QCOMPARE(first->text(), QStringLiteral("Set Position Attribute To 1D"));
        QVERIFY(first->isEnabled());
        r.editor.statuses[DECMD_MAKE_ABSOLUTE] = DECMDF_ENABLED;
        first->trigger();
        QCOMPARE(first->text(), QStringLiteral("Set Position Attribute To Absolute"));
        // Any 2D item refreshes the first one.
        r.editor.statuses[DECMD_MAKE_ABSOLUTE] = DECMDF_DISABLED;
        r.w().D2DSub[1]->trigger();
        QCOMPARE(r.editor.execs.last().cmdId, int(DECMD_BRING_TO_FRONT));
        QCOMPARE(first->text(), QStringLiteral("Set Position Attribute To Absolute"));
        QVERIFY(!first->isEnabled());
        // Opening the menu sets Enabled marks but leaves the caption.
        r.editor.statuses[DECMD_MAKE_ABSOLUTE] = DECMDF_LATCHED;
        emit r.w().D2D->aboutToShow();
        QVERIFY(first->isEnabled());
        QCOMPARE(first->text(), QStringLiteral("Set Position Attribute To Absolute"));

        for (const auto &[status, checked] :
             { std::pair { DECMDF_LATCHED, true }, std::pair { DECMDF_ENABLED, false },
               std::pair { DECMDF_NINCHED, false }, std::pair { DECMDF_LATCHED, true } }) {
            r.editor.statuses[DECMD_LOCK_ELEMENT] = status;
            emit r.w().D2D->aboutToShow();
            QCOMPARE(lock->isChecked(), checked);
        }
        // Clicking runs the lock; the mark is the component's, not Qt's.
        r.editor.execs.clear();
        lock->setEnabled(true);
        lock->trigger();
        QCOMPARE(r.editor.execs.first().cmdId, int(DECMD_LOCK_ELEMENT));
        QVERIFY(lock->isChecked());
        // The separator runs nothing.
        r.editor.execs.clear();
        r.w().D2DSub[7]->trigger();
        QCOMPARE(r.editor.execs.size(), 0);
    }
};

QTEST_MAIN(TestTables)
#include "test_tables.moc"

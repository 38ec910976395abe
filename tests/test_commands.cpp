#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/main_widgets_builder.h"
#include "commands/commands_subsystem.h"
#include "fake_editing_component.h"
#include "scripted_dialogs.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <memory>

namespace {

const QList<int> kStatuses = { 0, 1, 3, 7, 11 };
const QList<std::pair<QString, int>> kButtons = { { "Bold", DECMD_BOLD },
                                                  { "Italic", DECMD_ITALIC },
                                                  { "Underline", DECMD_UNDERLINE },
                                                  { "Numbers", DECMD_ORDERLIST },
                                                  { "Bullets", DECMD_UNORDERLIST },
                                                  { "Outdent", DECMD_OUTDENT },
                                                  { "Indent", DECMD_INDENT },
                                                  { "LeftJustify", DECMD_JUSTIFYLEFT },
                                                  { "Center", DECMD_JUSTIFYCENTER },
                                                  { "RightJustify", DECMD_JUSTIFYRIGHT },
                                                  { "Color", DECMD_SETFORECOLOR } };

// Chooses an entry from the box's drop-down list, as the user does.
void chooseFromList(QComboBox *box, int index)
{
    box->showPopup();
    box->view()->setCurrentIndex(box->model()->index(index, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
}

struct Window
{
    QMainWindow window;
    MainWidgets w;
    FakeEditingComponent editor;
    FormState state;
    FormHooks hooks;
    ScriptedDialogs dialogs;
    std::unique_ptr<CommandsSubsystem> commands;

    explicit Window(const QStringList &blockFormats = {})
    {
        buildMainWidgets(&window, w);
        w.DHTMLEdit1 = &editor;
        w.FontCombo->addItems(
            { "Times New Roman", "Arial", "Tahoma", "Courier", "Verdana", "Wingdings" });
        w.FontSizeCombo->addItems({ "1", "2", "3", "4", "5", "6", "7" });
        commands = std::make_unique<CommandsSubsystem>(w, state, hooks, dialogs);
        hooks.initMenuCommands();
        hooks.initToolbarCommands();
        if (!blockFormats.isEmpty()) {
            editor.blockFormatNames = blockFormats;
            editor.fireDocumentComplete();
            editor.execs.clear();
        }
    }
    QAction *button(const QString &key) const { return w.toolbarButtons.value(key); }
};

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT
private slots:
    // Every button gets every status, each from a different command than its
    // neighbours, so a button wired to the wrong command shows up too.
    void buttonsFollowTheirOwnCommandsStatus()
    {
        for (int shift = 0; shift < kStatuses.size(); ++shift) {
            Window f;
            for (int i = 0; i < kButtons.size(); ++i)
                f.editor.statuses[kButtons[i].second] = kStatuses[(i + shift) % 5];
            f.editor.fireDisplayChanged();
            for (int i = 0; i < kButtons.size(); ++i) {
                const int status = kStatuses[(i + shift) % 5];
                QAction *b = f.button(kButtons[i].first);
                QVERIFY2(b->isEnabled() == (status >= 3), qPrintable(kButtons[i].first));
                QVERIFY2(b->isChecked() == (status == 7), qPrintable(kButtons[i].first));
            }
        }
        Window f;
        for (const auto &[key, cmdId] : kButtons.mid(0, 10)) {
            f.button(key)->trigger();
            QCOMPARE(f.editor.execs.last().cmdId, cmdId);
            QCOMPARE(f.editor.execs.last().option, int(OLECMDEXECOPT_DONTPROMPTUSER));
            QVERIFY2(!f.button(key)->isChecked(), "only the refresh sets pressed marks");
        }
    }

    void fontBoxesFollowTheirStatus_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sizeText");
        QTest::newRow("0") << 0 << 3 << false << ""
                           << "";
        QTest::newRow("1") << 1 << 3 << false << ""
                           << "";
        QTest::newRow("3") << 3 << 3 << true << "Arial"
                           << "3";
        QTest::newRow("7") << 7 << 5 << true << "Arial"
                           << "5";
        QTest::newRow("11 mixed") << 11 << 3 << true << ""
                                  << "";
        QTest::newRow("size 0") << 3 << 0 << true << "Arial"
                                << "";
        QTest::newRow("size -1") << 3 << -1 << true << "Arial"
                                 << "";
    }
    void fontBoxesFollowTheirStatus()
    {
        QFETCH(int, status);
        QFETCH(int, size);
        QFETCH(bool, enabled);
        QFETCH(QString, name);
        QFETCH(QString, sizeText);
        Window f;
        f.w.FontCombo->setEditText("old");
        f.w.FontSizeCombo->setEditText("9");
        f.editor.statuses = { { DECMD_GETFONTNAME, status }, { DECMD_GETFONTSIZE, status } };
        f.editor.results = { { DECMD_GETFONTNAME, "Arial" }, { DECMD_GETFONTSIZE, size } };
        f.editor.fireDisplayChanged();
        QCOMPARE(f.w.FontCombo->isEnabled(), enabled);
        QCOMPARE(f.w.FontSizeCombo->isEnabled(), enabled);
        QCOMPARE(f.w.FontCombo->currentText(), name);
        QCOMPARE(f.w.FontSizeCombo->currentText(), sizeText);
    }

    void fontChoicesWaitForTheDocument()
    {
        Window f;
        f.editor.statuses[DECMD_SETFONTNAME] = 3;
        chooseFromList(f.w.FontCombo, 1);
        chooseFromList(f.w.FontSizeCombo, 2);
        QVERIFY(f.editor.execs.isEmpty());

        f.editor.fireDocumentComplete();
        f.editor.execs.clear();
        f.w.FontCombo->setItemText(1, "Not a font"); // the table's entry applies
        chooseFromList(f.w.FontCombo, 1);
        chooseFromList(f.w.FontSizeCombo, 2);
        QCOMPARE(f.editor.execs.size(), 2);
        QCOMPARE(f.editor.execs[0].cmdId, int(DECMD_SETFONTNAME));
        QCOMPARE(f.editor.execs[0].input.toString(), QString("Arial"));
        QCOMPARE(f.editor.execs[1].cmdId, int(DECMD_SETFONTSIZE));
        QCOMPARE(f.editor.execs[1].input.toInt(), 3);

        f.editor.statuses[DECMD_SETFONTNAME] = 1;
        chooseFromList(f.w.FontCombo, 2);
        QCOMPARE(f.editor.execs.size(), 2);
    }

    // Typing an entry's name (whole, or completed) and Enter, the arrow keys
    // and the mouse wheel all make the box report a choice; none may act.
    void onlyAChoiceFromTheListActs()
    {
        Window f;
        f.editor.statuses = { { DECMD_SETFONTNAME, 3 },
                              { DECMD_GETFONTNAME, 3 },
                              { DECMD_GETFONTSIZE, 3 } };
        f.editor.results = { { DECMD_GETFONTNAME, "Arial" }, { DECMD_GETFONTSIZE, 3 } };
        f.editor.fireDocumentComplete();
        f.editor.execs.clear();
        f.window.show();
        f.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        for (QComboBox *box : { f.w.FontCombo, f.w.FontSizeCombo }) {
            const bool names = box == f.w.FontCombo;
            QVERIFY(box->isEnabled()); // a greyed box takes no keys at all
            box->setCurrentIndex(0);
            box->setFocus();
            // Neither the arrows nor the wheel step through a closed box: the
            // box would show an entry that was never applied.
            QTest::keyClick(box, Qt::Key_Down);
            QTest::keyClick(box, Qt::Key_PageDown);
            QWheelEvent wheel(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), QPoint(),
                              QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(box, &wheel);
            QCOMPARE(box->currentIndex(), 0);
            box->lineEdit()->clear();
            QTest::keyClicks(box, names ? "Arial" : "4");
            QTest::keyClick(box, Qt::Key_Return);
            box->lineEdit()->clear();
            QTest::keyClicks(box, names ? "Verd" : "6"); // completed to an entry
            QTest::keyClick(box, Qt::Key_Enter);
            // A list opened and closed without a choice lets nothing through later.
            box->showPopup();
            QTest::keyClick(box->view(), Qt::Key_Escape);
            QTest::qWait(0);
            box->lineEdit()->clear();
            QTest::keyClicks(box, names ? "Tahoma" : "2");
            QTest::keyClick(box, Qt::Key_Return);
            // Typed text is taken as a choice when the box loses the keyboard too.
            box->lineEdit()->clear();
            QTest::keyClicks(box, names ? "Courier" : "5");
            f.window.setFocus();
            QVERIFY(!box->hasFocus());
            QVERIFY2(f.editor.execs.isEmpty(), qPrintable(box->objectName()));
        }
        // The list itself still works after all of that.
        chooseFromList(f.w.FontCombo, 4);
        chooseFromList(f.w.FontSizeCombo, 6);
        QCOMPARE(f.editor.execs.size(), 2);
        QCOMPARE(f.editor.execs[0].input.toString(), QString("Verdana"));
        QCOMPARE(f.editor.execs[1].input.toInt(), 7);
    }

    // After any toolbar choice, carried out or not, the keyboard goes back to
    // the page.
    void toolbarChoicesGiveThePageTheKeyboard()
    {
        Window f;
        int focused = 0;
        f.hooks.FocusPage = [&focused] { ++focused; };
        f.editor.statuses[DECMD_SETFONTNAME] = 3;
        f.editor.fireDocumentComplete();
        f.editor.execs.clear();
        f.button("Bold")->trigger();
        QCOMPARE(focused, 1);
        f.editor.execErrors[DECMD_ITALIC] = ComponentError(ComponentErrorCode::Unexpected, "no");
        f.button("Italic")->trigger();
        QCOMPARE(focused, 2);
        f.button("Color")->trigger(); // the colour dialog cancelled
        QCOMPARE(focused, 3);
        chooseFromList(f.w.FontCombo, 1);
        QCOMPARE(focused, 4);
        chooseFromList(f.w.FontSizeCombo, 1);
        QCOMPARE(focused, 5);
        QCOMPARE(f.editor.execs.size(), 4);
    }

    void colourButton()
    {
        Window f;
        for (std::optional<quint32> c :
             { std::optional<quint32>(), std::optional(0x0000FFu), std::optional(0x00C000u) })
            f.dialogs.colors.enqueue(c);
        f.button("Color")->trigger(); // cancelled
        QVERIFY(f.editor.execs.isEmpty());
        f.button("Color")->trigger();
        QCOMPARE(f.editor.execs.size(), 1);
        QCOMPARE(f.editor.execs[0].cmdId, int(DECMD_SETFORECOLOR));
        QCOMPARE(f.editor.execs[0].option, int(OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(f.editor.execs[0].input.toString(), QString("#FF0000"));
        f.editor.execErrors[DECMD_SETFORECOLOR] = ComponentError();
        f.button("Color")->trigger(); // a refused colour ends silently
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void editMenuEnablesFromStatus()
    {
        for (int status : kStatuses) {
            Window f;
            for (int cmdId : { DECMD_UNDO, DECMD_REDO, DECMD_CUT, DECMD_COPY, DECMD_PASTE,
                               DECMD_SELECTALL, DECMD_FINDTEXT })
                f.editor.statuses[cmdId] = status;
            f.w.EditSub[2]->setEnabled(false);
            emit f.w.Edit->aboutToShow();
            for (int i : { 0, 1, 3, 4, 5, 6, 8 })
                QCOMPARE(f.w.EditSub[i]->isEnabled(), status > 2);
            QVERIFY(!f.w.EditSub[2]->isEnabled() && f.w.EditSub[7]->isEnabled());
        }
        Window f;
        f.w.EditSub[3]->trigger();
        QCOMPARE(f.editor.execs.size(), 1);
        QCOMPARE(f.editor.execs[0].cmdId, int(DECMD_CUT));
        QCOMPARE(f.editor.execs[0].option, int(OLECMDEXECOPT_DODEFAULT));
    }

    void formatMenuFilledOnceFromFirstDocument()
    {
        Window f({ "Normal", "Heading 1", "Heading 2" });
        f.editor.blockFormatNames = { "Other" };
        f.editor.fireDocumentComplete();
        QCOMPARE(f.w.FormatSub[0]->text(), QString("Normal"));
        QCOMPARE(f.w.FormatSub[2]->text(), QString("Heading 2"));
        QVERIFY(f.w.FormatSub[2]->isVisible() && !f.w.FormatSub[3]->isVisible());
        QCOMPARE(f.w.FontSizeCombo->currentIndex(), -1);
    }

    void formatMenuOpening_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("checkedIndex"); // -1 none, -2 left as it was (2)
        QTest::addColumn<bool>("enabled");
        QTest::newRow("3 matching") << 3 << "Heading 1" << 1 << true;
        QTest::newRow("7 matching") << 7 << "Normal" << 0 << true;
        QTest::newRow("3 no match") << 3 << "Heading 9" << -1 << true;
        QTest::newRow("3 empty name") << 3 << "" << -1 << true;
        QTest::newRow("1") << 1 << "Normal" << -1 << false;
        QTest::newRow("0") << 0 << "Normal" << -2 << false;
    }
    void formatMenuOpening()
    {
        QFETCH(int, status);
        QFETCH(QString, current);
        QFETCH(int, checkedIndex);
        QFETCH(bool, enabled);
        Window f({ "Normal", "Heading 1", "Heading 2" });
        for (QAction *item : std::as_const(f.w.FormatSub))
            item->setEnabled(false);
        f.w.FormatSub[2]->setChecked(true);
        f.editor.statuses[DECMD_GETBLOCKFMT] = status;
        f.editor.results[DECMD_GETBLOCKFMT] = current;
        emit f.w.Format->aboutToShow();
        for (int i = 0; i < 16; ++i) {
            QCOMPARE(f.w.FormatSub[i]->isChecked(),
                     checkedIndex == -2 ? i == 2 : i == checkedIndex);
            if (i < 3) // a hidden (unnamed) action never reports enabled
                QCOMPARE(f.w.FormatSub[i]->isEnabled(), enabled);
        }
    }

    void formatItemAppliesItsCaptionWhenAllowed()
    {
        Window f({ "Normal", "Heading 1" });
        f.editor.statuses[DECMD_SETBLOCKFMT] = 1;
        f.w.FormatSub[1]->trigger();
        QVERIFY(f.editor.execs.isEmpty());
        f.editor.statuses[DECMD_SETBLOCKFMT] = 3;
        f.w.FormatSub[1]->trigger();
        QCOMPARE(f.editor.execs.size(), 1);
        QCOMPARE(f.editor.execs[0].cmdId, int(DECMD_SETBLOCKFMT));
        QCOMPARE(f.editor.execs[0].input.toString(), QString("Heading 1"));
        QVERIFY(!f.w.FormatSub[1]->isChecked());
    }

    void viewTogglesReturnToStartAfterTwoClicks()
    {
        Window f;
        f.w.viewBorders->trigger();
        f.w.viewDetails->trigger();
        QVERIFY(f.editor.borders && f.w.viewBorders->isChecked());
        QVERIFY(f.editor.details && f.w.viewDetails->isChecked());
        f.w.viewBorders->trigger();
        f.w.viewDetails->trigger();
        QVERIFY(!f.editor.borders && !f.w.viewBorders->isChecked());
        QVERIFY(!f.editor.details && !f.w.viewDetails->isChecked());
    }

    void resetDisablesAllAndLetsAQueuedRefreshRun()
    {
        Window f;
        f.editor.statuses = { { DECMD_BOLD, 3 }, { DECMD_GETFONTNAME, 3 } };
        f.editor.results[DECMD_GETFONTNAME] = "Arial";
        f.hooks.toolbarReset();
        for (QAction *b : std::as_const(f.w.toolbarButtons))
            QVERIFY(!b->isEnabled());
        QVERIFY(!f.w.FontCombo->isEnabled() && !f.w.FontSizeCombo->isEnabled());

        QMetaObject::invokeMethod(
            &f.editor, [&f] { f.editor.fireDisplayChanged(false); }, Qt::QueuedConnection);
        f.hooks.toolbarReset();
        QVERIFY(f.button("Bold")->isEnabled() && f.w.FontCombo->isEnabled());
        QVERIFY(!f.button("Font")->isEnabled());

        // With no display change to come, the status refresh sets them again.
        f.hooks.toolbarReset();
        QVERIFY(!f.button("Bold")->isEnabled());
        f.hooks.statusRefresh();
        QVERIFY(f.button("Bold")->isEnabled() && !f.button("Italic")->isEnabled());
        QVERIFY(f.w.FontCombo->isEnabled());
        QCOMPARE(f.w.FontCombo->currentText(), QString("Arial"));
        QVERIFY(!f.w.FontSizeCombo->isEnabled());
        QCOMPARE(f.editor.putCount, 0);
    }

    void refreshLeavesChangedFlagAndHiddenSourceBoxAlone()
    {
        Window f;
        QSignalSpy edits(f.w.txtHTML, &QPlainTextEdit::textChanged);
        f.w.txtHTML->setPlainText("old");
        edits.clear();
        f.editor.html = "<p>new</p>";
        f.editor.fireDisplayChanged(false);
        QVERIFY(!f.state.changed);
        QCOMPARE(f.w.txtHTML->toPlainText(), QString("old"));

        f.state.sourceView = true;
        f.state.sourceEdited = true; // the user's unapplied text stays
        f.editor.fireDisplayChanged();
        QCOMPARE(f.w.txtHTML->toPlainText(), QString("old"));
        f.state.sourceEdited = false;
        f.editor.fireDisplayChanged();
        QCOMPARE(f.w.txtHTML->toPlainText(), QString("<p>new</p>"));
        QCOMPARE(edits.count(), 0);
    }

    void failuresNeverTouchThePage()
    {
        Window f;
        f.state.sourceView = true;
        f.editor.html = "<p>work</p>";
        f.editor.statuses[DECMD_GETFONTNAME] = 3;
        f.editor.execErrors[DECMD_GETFONTNAME] = ComponentError();
        f.editor.fireDisplayChanged();
        f.editor.execErrors.clear();
        f.editor.getError = ComponentError(ComponentErrorCode::Timeout);
        f.editor.fireDisplayChanged();
        QCOMPARE(f.editor.putCount, 0);
        QCOMPARE(f.editor.html, QString("<p>work</p>"));
        QVERIFY(f.dialogs.shown.isEmpty());

        // A failing menu command is reported instead of escaping the event loop.
        f.editor.execErrors[DECMD_UNDO] = ComponentError(ComponentErrorCode::Unexpected, "busy");
        f.w.EditSub[0]->trigger();
        QCOMPARE(f.dialogs.shown.size(), 1);
        QCOMPARE(f.dialogs.shown[0].icon, MsgIcon::Critical);
    }
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"

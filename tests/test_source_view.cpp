// The visual and source views: the mode switch, the source box and the apply.

#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets_builder.h"
#include "document/document_subsystem.h"
#include "fake_editing_component.h"
#include "platform/panel_hider.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QToolBar>

// Rejects pages containing "<bad", as the real component rejects HTML it cannot take.
class PickyComponent : public FakeEditingComponent
{
public:
    void setDocumentHTML(const QString &h) override
    {
        if (h.contains("<bad"))
            throw ComponentError(ComponentErrorCode::Unexpected);
        FakeEditingComponent::setDocumentHTML(h);
    }
};

struct Rig
{
    QMainWindow window;
    MainWidgets w;
    FormState state;
    FormHooks hooks;
    ScriptedDialogs dialogs;
    PickyComponent edit1, edit2;
    QStringList log;
    int promptAnswer = vbYes;
    DocumentSubsystem *doc;

    Rig()
    {
        buildMainWidgets(&window, w);
        w.DHTMLEdit1 = &edit1;
        w.DHTMLEdit2 = &edit2;
        hooks.PanelReset = [this] { log << "panelReset"; };
        hooks.EnableEditingMenus = [this](bool on) { log << QString("editingMenus:%1").arg(on); };
        // Like the window's prompt: asks only when changed; Yes saves.
        hooks.SaveChangesPrompt = [this] {
            if (!state.changed)
                return 0;
            if (promptAnswer != vbYes)
                return promptAnswer == vbNo ? 7 : 2;
            return hooks.saveDocument(edit1.path.isEmpty()) ? 1 : 2;
        };
        edit1.html = "<p>page</p>";
        edit1.path = "/a.htm";
        doc = new DocumentSubsystem(w, state, hooks, dialogs, &window);
    }
    void type(const QString &text)
    {
        w.txtHTML->selectAll();
        QTest::keyClicks(w.txtHTML, text);
    }
};

class TestSourceView : public QObject
{
    Q_OBJECT
private slots:
    void switchesSetMenusAndPanes()
    {
        Rig r;
        const QList<QAction *> visualOnly {
            r.w.pageproperty->menuAction(), r.w.insert->menuAction(), r.w.Format->menuAction(),
            r.w.Table->menuAction(),        r.w.D2D->menuAction(),    r.w.updatemenu1->menuAction(),
            r.w.Edit->menuAction(),         r.w.viewBorders,          r.w.menuhtmlsource
        };
        for (bool visual : { false, true }) {
            r.log.clear();
            visual ? r.w.menuweditor->trigger() : r.w.menuhtmlsource->trigger();
            QVERIFY(r.log.contains("panelReset"));
            for (QAction *a : visualOnly)
                QCOMPARE(a->isEnabled(), visual);
            QCOMPARE(r.w.htmlcode->menuAction()->isEnabled(), !visual);
            QCOMPARE(r.w.menuweditor->isEnabled(), !visual);
            QCOMPARE(r.w.Toolbar1->isHidden(), !visual);
            QCOMPARE(r.w.Picturehtmlbox->isHidden(), visual);
            QCOMPARE(r.state.sourceView, !visual);
        }
        QVERIFY(r.dialogs.shown.isEmpty()); // nothing edited, nothing asked
    }

    void updateQuestionAfterEdits()
    {
        Rig r;
        r.doc->menuhtmlsource_Click();
        QCOMPARE(r.w.txtHTML->toPlainText(), "<p>page</p>");
        QVERIFY(!r.state.sourceEdited && !r.state.changed); // the fill is no edit
        QCOMPARE(r.w.txtHTML->lineWrapMode(), QPlainTextEdit::NoWrap);

        r.type("<p>new</p>");
        QVERIFY(r.state.sourceEdited && r.state.changed);
        r.dialogs.answers << vbNo;
        r.doc->menuweditor_Click();
        QCOMPARE(r.dialogs.shown[0].text, "Do you want to update the changes?");
        QCOMPARE(r.dialogs.shown[0].buttons, MsgButtons::YesNo);
        QCOMPARE(r.edit1.html, "<p>page</p>");
        r.doc->menuhtmlsource_Click();
        QCOMPARE(r.w.txtHTML->toPlainText(), "<p>page</p>"); // the edits are gone

        r.type("<p>new</p>");
        r.dialogs.answers << vbYes;
        r.doc->menuweditor_Click();
        QCOMPARE(r.edit1.html, "<p>new</p>");
        QVERIFY(!r.state.sourceEdited);
    }

    void failedApplyKeepsThePage()
    {
        Rig r;
        r.doc->menuhtmlsource_Click();
        r.type("<bad>");
        r.w.updatewysiwyg->trigger();
        QCOMPARE(r.dialogs.shown.size(), 1);
        QCOMPARE(r.dialogs.shown[0].text,
                 "Unrecognized DHTML Code, unable to update wysiwyg editor");
        QCOMPARE(r.dialogs.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(r.edit1.html, "<p>page</p>");
        QCOMPARE(r.w.txtHTML->toPlainText(), "<bad>");
        QVERIFY(r.state.sourceEdited && r.state.sourceView);

        // When even the copy could not be taken, an older copy must not
        // replace the page.
        r.edit2.html = "<p>older</p>";
        r.edit1.getError = ComponentError();
        r.type("<p>x</p>");
        r.doc->updatewysiwyg_Click();
        QCOMPARE(r.dialogs.shown.size(), 2);
        QCOMPARE(r.edit1.html, "<p>page</p>");
    }

    // Whatever starts the save, the source box's unapplied text goes into the
    // page first; text the page refuses stops the save and what asked for it.
    void everySaveAppliesTheSourceBoxFirst_data()
    {
        QTest::addColumn<QString>("via");
        QTest::addColumn<bool>("accepted");
        for (const char *via : { "Save", "Save As", "New", "Open" }) {
            QTest::addRow("%s, applied", via) << QString(via) << true;
            QTest::addRow("%s, refused", via) << QString(via) << false;
        }
    }
    void everySaveAppliesTheSourceBoxFirst()
    {
        QFETCH(QString, via);
        QFETCH(bool, accepted);
        Rig r;
        r.edit1.dialogChoice = "/b.htm";
        r.doc->menuhtmlsource_Click();
        const QString typed = accepted ? "<p>edited</p>" : "<bad>";
        r.type(typed);
        r.edit1.calls.clear();
        if (via == "Save")
            r.w.FileSave->trigger();
        else if (via == "Save As")
            r.w.FileSaveAs->trigger();
        else if (via == "New")
            r.w.FileNew->trigger();
        else
            r.w.FileOpen->trigger();

        const QString save = via == "Save As" ? "SaveDocument(,1)" : "SaveDocument(/a.htm,0)";
        if (accepted) {
            QVERIFY(r.dialogs.shown.isEmpty());
            QCOMPARE(r.edit1.calls.mid(0, 2), (QStringList { "putDocumentHTML", save }));
            QVERIFY(!r.state.changed && !r.state.sourceEdited);
            if (via.startsWith("Save"))
                QCOMPARE(r.edit1.html, typed);
        } else {
            QCOMPARE(r.dialogs.shown.size(), 1);
            QCOMPARE(r.dialogs.shown[0].text,
                     "Unrecognized DHTML Code, unable to update wysiwyg editor");
            // Nothing saved, nothing replaced, the user's text still there.
            QCOMPARE(r.edit1.calls.filter(QRegularExpression("^(Save|Load|New)")), QStringList());
            QCOMPARE(r.edit1.html, "<p>page</p>");
            QCOMPARE(r.w.txtHTML->toPlainText(), typed);
            QVERIFY(r.state.changed && r.state.sourceEdited && r.state.sourceView);
        }
    }

    void openedPageReplacesTheSourceBox()
    {
        Rig r;
        r.doc->menuhtmlsource_Click();
        r.type("<p>unapplied</p>");
        r.promptAnswer = vbNo;
        r.edit1.dialogChoice = "/b.htm";
        r.doc->FileOpen_Click();
        QCOMPARE(r.w.txtHTML->toPlainText(), r.edit1.html);
        QVERIFY(r.edit1.html.contains("/b.htm"));
        QVERIFY(!r.state.sourceEdited && !r.state.changed);
    }

    // The page's focus event belongs to the visual view. Hiding a focused
    // toolbar box on the way to the source view hands the keyboard to the
    // page; that must not bring the visual view's toolbar and menus back.
    void focusCountsOnlyInTheVisualView()
    {
        Rig r;
        ClearAllFrame(r.w); // as at start-up: no panel to take the keyboard
        QLineEdit page(r.w.Picture1);
        page.setGeometry(0, 0, 200, 100);
        const auto watch
            = connect(qApp, &QApplication::focusChanged, &r.edit1, [&](QWidget *, QWidget *now) {
                  if (now == &page)
                      emit r.edit1.GotFocus();
              });
        r.window.show();
        r.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&r.window));
        r.w.FontCombo->setFocus();
        QVERIFY(r.w.FontCombo->hasFocus());

        r.log.clear();
        r.w.menuhtmlsource->trigger();
        QVERIFY(r.state.sourceView);
        QVERIFY(r.w.Toolbar1->isHidden());
        QVERIFY(!r.log.contains("editingMenus:1"));
        QVERIFY(r.w.htmlcode->menuAction()->isEnabled());

        r.w.menuweditor->trigger();
        r.log.clear();
        emit r.edit1.GotFocus();
        QVERIFY(!r.w.Toolbar1->isHidden());
        QCOMPARE(r.log, QStringList { "editingMenus:1" });
        disconnect(watch);
    }
};

QTEST_MAIN(TestSourceView)
#include "test_source_view.moc"

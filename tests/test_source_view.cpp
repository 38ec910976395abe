// The visual and source views: the mode switch, the source box and the apply.

#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets_builder.h"
#include "document/document_subsystem.h"
#include "fake_editing_component.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
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
    DocumentSubsystem *doc;

    Rig()
    {
        buildMainWidgets(&window, w);
        w.DHTMLEdit1 = &edit1;
        w.DHTMLEdit2 = &edit2;
        hooks.PanelReset = [this] { log << "panelReset"; };
        hooks.EnableEditingMenus = [this](bool on) { log << QString("editingMenus:%1").arg(on); };
        doc = new DocumentSubsystem(w, state, hooks, dialogs, &window);
        edit1.html = "<p>page</p>";
        edit1.path = "/a.htm";
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

    void sourceBoxAndSaveOrOpen()
    {
        Rig r;
        r.doc->menuhtmlsource_Click();
        r.type("<p>unapplied</p>");
        QVERIFY(r.doc->SaveDocument(false));
        QVERIFY(!r.edit1.calls.contains("putDocumentHTML")); // saved as the editor holds it
        QVERIFY(r.state.changed); // the box's text is still unsaved work

        // An opened page replaces the box's text so it cannot be applied over it.
        r.edit1.dialogChoice = "/b.htm";
        r.doc->FileOpen_Click();
        QCOMPARE(r.w.txtHTML->toPlainText(), r.edit1.html);
        QVERIFY(!r.state.sourceEdited && !r.state.changed);
    }

    void focusShowsToolbar()
    {
        Rig r;
        r.doc->menuhtmlsource_Click();
        r.log.clear();
        emit r.edit1.GotFocus();
        QVERIFY(!r.w.Toolbar1->isHidden());
        QCOMPARE(r.log, QStringList { "editingMenus:1" });
    }
};

QTEST_MAIN(TestSourceView)
#include "test_source_view.moc"

// The Insert and Update menus and the hyperlink, button, HTML fragment and
// e-mail panels, in the real window with its panel opener and reset, against
// a scripted editing component; and the texts they build and read.

#include "app/editing_component.h"
#include "app/main_form.h"
#include "app/main_widgets.h"
#include "fake_editing_component.h"
#include "insert/insert_subsystem.h"
#include "insert/insert_texts.h"
#include "panel_form_rig.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

struct Rig : PanelFormRig<InsertSubsystem>
{
    InsertSubsystem *&tools = subsystem;

    Rig() { select("None"); }
    void select(const QString &type, const QString &elementHtml = {})
    {
        editor.domResults["selectionType"] = type;
        editor.elementHTML = elementHtml;
    }
    bool shown(QFrame *f) { return f->isVisibleTo(form->centralWidget()); }
    QList<QFrame *> openPanels()
    {
        QList<QFrame *> open;
        for (QFrame *f :
             { w().Framehtmlinsert, w().frameinsertpic, w().Frame1, w().FrameInsertHyperLink,
               w().Framebgcolor, w().FrameInserttable, w().FrameSendemail }) {
            if (shown(f))
                open << f;
        }
        return open;
    }
    QList<int> commands()
    {
        QList<int> ids;
        for (const RecordedExec &e : editor.execs)
            ids << e.cmdId;
        return ids;
    }
};

QList<bool> enabled(const QList<QAction *> &items)
{
    QList<bool> states;
    for (QAction *a : items)
        states << a->isEnabled();
    return states;
}

} // namespace

class InsertToolsTest : public QObject
{
    Q_OBJECT
private slots:
    void quotedTextJoinsEveryQuotedStretch()
    {
        QCOMPARE(ExtractQuotedText("<A title=\"a\" href=\"b.htm\">x</A>"),
                 QStringLiteral("ab.htm"));
        QCOMPARE(ExtractQuotedText("<A href=\"b.htm\">x</A>"), QStringLiteral("b.htm"));
        QCOMPARE(ExtractQuotedText("<A href=\"b.htm\">say \"x"), QStringLiteral("b.htmx"));
        QCOMPARE(ExtractQuotedText("no quotes"), QString());
    }

    void prefillsReadTheAttributeNotEveryQuote()
    {
        QCOMPARE(hyperlinkPrefill("<A title=\"a\" href=\"b.htm\">say \"hi\"</A>"),
                 QStringLiteral("b.htm"));
        QCOMPARE(hyperlinkPrefill("<A id=x href=page>p</A>"), QStringLiteral("page"));
        QCOMPARE(hyperlinkPrefill("<A href=\"a.htm?x=1&amp;y=&quot;2&quot;\">p</A>"),
                 QStringLiteral("a.htm?x=1&y=\"2\""));
        // "href" only in the text: no target to prefill.
        QCOMPARE(hyperlinkPrefill("<P>the href word</P>"), QString());
        QCOMPARE(emailPrefill("<A title=\"Me\" href=\" mailto:me@example.com \">m</A>"),
                 QStringLiteral("me@example.com"));
        QCOMPARE(emailPrefill("<A href=\"MAILTO:x@y.org\">m</A>"), QStringLiteral("x@y.org"));
        QCOMPARE(buttonPrefill("<INPUT type=submit value=Go>"), QStringLiteral("Go"));
        QCOMPARE(buttonPrefill("<INPUT type=submit value=\"Send &lt;now&gt;\">"),
                 QStringLiteral("Send <now>"));
        QCOMPARE(buttonPrefill("<INPUT type=submit>"), QString());
    }

    void buttonAndPictureTextsQuoteWhatTheUserTyped()
    {
        QCOMPARE(buttonHtml("Go"), QStringLiteral("<Input Type=\"Submit\" value=\"Go\">"));
        QCOMPARE(buttonHtml("Send now"),
                 QStringLiteral("<Input Type=\"Submit\" value=\"Send now\">"));
        QCOMPARE(buttonHtml("a\"b>c<d&e"),
                 QStringLiteral("<Input Type=\"Submit\" value=\"a&quot;b>c&lt;d&amp;e\">"));
        QCOMPARE(buttonHtml(QString()), QStringLiteral("<Input Type=\"Submit\" value=\"\">"));
        QCOMPARE(pictureHtml("/web/pic.jpg", "0", "120", "80", "Logo"),
                 QStringLiteral("<img src=\"/web/pic.jpg\" border=0 width=120 height=80 "
                                "alt=\"Logo\">"));
        // Empty fields would make "height=" the width's value; they are quoted.
        QCOMPARE(pictureHtml("/a b/\"x\".gif", "1 onload=x", "", "33.5", "<\"A&B\">"),
                 QStringLiteral("<img src=\"/a b/&quot;x&quot;.gif\" border=\"1 onload=x\" "
                                "width=\"\" height=33.5 alt=\"&lt;&quot;A&amp;B&quot;>\">"));
    }

    void insertMenuFollowsTheSelectionAndTheLinkStatus()
    {
        Rig rig;
        MainWidgets &w = rig.w();
        const QList<QAction *> items
            = { w.insertpicture, w.Inserthyperlink, w.InsertButton, w.InsertHTML, w.sendemail };
        rig.editor.statuses[DECMD_HYPERLINK] = DECMDF_DISABLED;
        rig.tools->insert_Click();
        QCOMPARE(enabled(items), QList<bool>({ true, false, true, true, false }));
        rig.editor.statuses[DECMD_HYPERLINK] = DECMDF_ENABLED;
        rig.select("Text");
        rig.tools->insert_Click();
        QCOMPARE(enabled(items), QList<bool>({ true, true, true, true, true }));
        rig.editor.statuses[DECMD_HYPERLINK] = DECMDF_DISABLED;
        rig.select("Control");
        rig.tools->insert_Click();
        QCOMPARE(enabled(items), QList<bool>({ false, false, false, false, false }));
        // A page that cannot say what is selected offers nothing, and says so.
        rig.editor.domError = ComponentError(ComponentErrorCode::Unexpected, "gone");
        rig.select("None");
        rig.tools->insert_Click();
        QCOMPARE(enabled(items), QList<bool>({ false, false, false, false, false }));
        QCOMPARE(rig.dialogs.shown.size(), 1);
        QVERIFY(rig.dialogs.shown[0].text.contains("gone"));
    }

    void updateMenuFollowsTheElementUnderTheSelection_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("html");
        QTest::addColumn<int>("linkStatus");
        QTest::addColumn<QList<bool>>("states"); // picture, hyperlink, button, e-mail
        const QString link = "<A href=\"page.htm\">site</A>";
        const QString mail = "<A href=\"mailto:me@example.com\">me</A>";
        QTest::newRow("caret in a link")
            << "None" << link << 3 << QList<bool>({ false, false, false, false });
        QTest::newRow("text in a link")
            << "Text" << link << 3 << QList<bool>({ false, true, false, false });
        QTest::newRow("link command unavailable")
            << "Text" << link << 1 << QList<bool>({ false, false, false, false });
        QTest::newRow("text in a mailto link")
            << "Text" << mail << 3 << QList<bool>({ false, false, false, true });
        QTest::newRow("href in the text")
            << "Text"
            << "<P>an href</P>" << 3 << QList<bool>({ false, true, false, false });
        QTest::newRow("picture") << "Control"
                                 << "<IMG src=\"a.jpg\" border=0>" << 3
                                 << QList<bool>({ true, false, false, false });
        QTest::newRow("submit button")
            << "Control"
            << "<INPUT type=submit value=Go>" << 3 << QList<bool>({ false, false, true, false });
        QTest::newRow("text box") << "Control"
                                  << "<INPUT value=Go>" << 3
                                  << QList<bool>({ false, false, false, false });
        QTest::newRow("picture in lower case")
            << "Control"
            << "<img src=\"a.jpg\">" << 3 << QList<bool>({ false, false, false, false });
    }
    void updateMenuFollowsTheElementUnderTheSelection()
    {
        QFETCH(QString, type);
        QFETCH(QString, html);
        QFETCH(int, linkStatus);
        QFETCH(QList<bool>, states);
        Rig rig;
        MainWidgets &w = rig.w();
        rig.editor.statuses[DECMD_HYPERLINK] = linkStatus;
        rig.select(type, html);
        rig.tools->updatemenu1_Click();
        QCOMPARE(
            enabled({ w.updatepicture, w.updatehyperlink, w.Updatebutton, w.updatesendemailto }),
            states);
        // Whatever is chosen (or nothing), the element is kept and Text3 emptied.
        QCOMPARE(rig.tools->SelectedElementHTML(), html);
        QCOMPARE(rig.tools->Text3()->toPlainText(), QString());
        // A text range is collapsed before its element is asked for.
        if (type != QLatin1String("Control"))
            QVERIFY(rig.editor.calls.contains("DOM.rangeCollapse"));
        else
            QVERIFY(rig.editor.calls.contains("DOM.rangeCommonParentElement"));
    }

    void updateItemsPrefillTheirPanels()
    {
        Rig rig;
        MainWidgets &w = rig.w();
        rig.editor.statuses[DECMD_HYPERLINK] = DECMDF_ENABLED;
        rig.select("Text", "<A title=\"a\" href=\"b.htm\">say \"hi\"</A>");
        rig.tools->updatemenu1_Click();
        rig.tools->Texthyperlink()->setText("old");
        w.updatehyperlink->trigger();
        QCOMPARE(rig.tools->Texthyperlink()->text(), QStringLiteral("b.htm"));
        QCOMPARE(rig.openPanels(), QList<QFrame *>({ w.FrameInsertHyperLink }));
        if (rig.active)
            QVERIFY(rig.tools->Texthyperlink()->hasFocus());

        rig.select("Text", "<A href=\"  mailto:me@example.com\">me</A>");
        rig.tools->updatemenu1_Click();
        rig.tools->Textemailname()->setText("name");
        w.updatesendemailto->trigger();
        QCOMPARE(rig.tools->Textemailaddress()->text(), QStringLiteral("me@example.com"));
        QCOMPARE(rig.tools->Textemailname()->text(), QString());
        QCOMPARE(rig.openPanels(), QList<QFrame *>({ w.FrameSendemail }));

        rig.select("Control", "<INPUT type=submit value=\"Send now\">");
        rig.tools->updatemenu1_Click();
        w.Updatebutton->trigger();
        QCOMPARE(rig.tools->Text2()->text(), QStringLiteral("Send now"));
        QCOMPARE(rig.openPanels(), QList<QFrame *>({ w.Frame1 }));
        if (rig.active)
            QVERIFY(rig.tools->Text2()->hasFocus());
    }

    void hyperlinkAndEmailPanelsSendTheLinkCommand()
    {
        Rig rig;
        MainWidgets &w = rig.w();
        w.Inserthyperlink->trigger();
        QCOMPARE(rig.openPanels(), QList<QFrame *>({ w.FrameInsertHyperLink }));
        rig.tools->Texthyperlink()->setText("page.htm");
        QTest::mouseClick(
            w.FrameInsertHyperLink->findChild<QPushButton *>("Commandinserthyperlink"),
            Qt::LeftButton);
        QCOMPARE(rig.editor.execs.size(), 1);
        QCOMPARE(rig.editor.execs[0].cmdId, int(DECMD_HYPERLINK));
        QCOMPARE(rig.editor.execs[0].option, int(OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(rig.editor.execs[0].input.toString(), QStringLiteral("page.htm"));
        QVERIFY(rig.openPanels().isEmpty());
        QCOMPARE(rig.tools->Texthyperlink()->text(), QString());
        if (rig.active)
            QVERIFY(rig.page->hasFocus());

        // A refused target is reported; the panel stays with it, to be corrected.
        w.Inserthyperlink->trigger();
        rig.editor.execErrors[DECMD_HYPERLINK]
            = ComponentError(ComponentErrorCode::InvalidArg, "a link needs a target");
        rig.tools->Commandinserthyperlink_Click();
        QCOMPARE(rig.dialogs.shown.size(), 1);
        QCOMPARE(rig.dialogs.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(rig.openPanels(), QList<QFrame *>({ w.FrameInsertHyperLink }));
        rig.editor.execErrors.clear();
        rig.tools->Texthyperlink()->setText("typed");
        rig.tools->Commandcancelhyperlink_Click();
        QCOMPARE(rig.tools->Texthyperlink()->text(), QString());

        rig.editor.execs.clear();
        w.sendemail->trigger();
        QCOMPARE(rig.openPanels(), QList<QFrame *>({ w.FrameSendemail }));
        rig.tools->Textemailaddress()->setText("  me@example.com");
        rig.tools->Textemailname()->setText("Me");
        rig.tools->Command9_Click();
        QCOMPARE(rig.editor.execs.size(), 1);
        QCOMPARE(rig.editor.execs[0].input.toString(), QStringLiteral("mailto:  me@example.com"));
        QCOMPARE(rig.tools->Textemailaddress()->text(), QString());
        QCOMPARE(rig.tools->Textemailname()->text(), QString());
        w.sendemail->trigger();
        rig.tools->Textemailaddress()->setText("x");
        rig.tools->Command8_Click();
        QVERIFY(rig.openPanels().isEmpty());
        QCOMPARE(rig.tools->Textemailaddress()->text(), QString());
    }

    void buttonAndFragmentPanelsPasteAtTheSelection()
    {
        Rig rig;
        MainWidgets &w = rig.w();
        w.InsertButton->trigger();
        QCOMPARE(rig.openPanels(), QList<QFrame *>({ w.Frame1 }));
        rig.tools->Text2()->setText("Go");
        rig.tools->Command4_Click(); // Cancel keeps the caption
        QCOMPARE(rig.tools->Text2()->text(), QStringLiteral("Go"));
        w.InsertButton->trigger();
        rig.tools->Command1_Click();
        QCOMPARE(rig.editor.pasted, QStringList({ "<Input Type=\"Submit\" value=\"Go\">" }));
        QCOMPARE(rig.tools->Text2()->text(), QString());
        QVERIFY(rig.openPanels().isEmpty());

        w.InsertHTML->trigger();
        QCOMPARE(rig.openPanels(), QList<QFrame *>({ w.Framehtmlinsert }));
        w.txtHTMLInsert->setPlainText("<b>x</b>\n<i>y</i>");
        QTest::mouseClick(w.Commandinserthtml, Qt::LeftButton);
        QCOMPARE(rig.editor.pasted.last(), QStringLiteral("<b>x</b>\n<i>y</i>"));
        QCOMPARE(w.txtHTMLInsert->toPlainText(), QString());
        w.InsertHTML->trigger();
        w.txtHTMLInsert->setPlainText("draft");
        QTest::mouseClick(w.Commandcancelhtml, Qt::LeftButton);
        QCOMPARE(w.txtHTMLInsert->toPlainText(), QString());
        QCOMPARE(rig.editor.pasted.size(), 2);

        // A refused paste is reported and keeps what was typed.
        rig.editor.pasteError = ComponentError(ComponentErrorCode::Unexpected, "refused");
        w.InsertHTML->trigger();
        w.txtHTMLInsert->setPlainText("<p>kept</p>");
        rig.tools->Commandinserthtml_Click();
        QCOMPARE(w.txtHTMLInsert->toPlainText(), QStringLiteral("<p>kept</p>"));
        w.InsertButton->trigger();
        rig.tools->Text2()->setText("Again");
        rig.tools->Command1_Click();
        QCOMPARE(rig.tools->Text2()->text(), QStringLiteral("Again"));
        QCOMPARE(rig.dialogs.shown.size(), 2);
        QVERIFY(rig.dialogs.shown[1].text.contains("refused"));
    }

    void panelsOpenOneAtATime()
    {
        Rig rig;
        MainWidgets &w = rig.w();
        const QList<std::pair<QAction *, QFrame *>> steps = {
            { w.insertpicture, w.frameinsertpic }, { w.Inserthyperlink, w.FrameInsertHyperLink },
            { w.InsertButton, w.Frame1 },          { w.InsertHTML, w.Framehtmlinsert },
            { w.sendemail, w.FrameSendemail },     { w.updatepicture, w.frameinsertpic }
        };
        for (const auto &[item, frame] : steps) {
            item->trigger();
            QCOMPARE(rig.openPanels(), QList<QFrame *>({ frame }));
        }
        QVERIFY(rig.active);
        {
            w.sendemail->trigger();
            QVERIFY(rig.tools->Textemailaddress()->hasFocus());
            QTest::keyClick(rig.tools->Textemailaddress(), Qt::Key_Escape);
            QVERIFY(rig.openPanels().isEmpty());
            QVERIFY(rig.page->hasFocus());
        }
    }

    void onlyTheUpdateItemReplacesTheSelectedButton()
    {
        Rig rig;
        MainWidgets &w = rig.w();
        // The Update menu has dropped down once, over a button.
        rig.select("Control", "<INPUT type=submit value=Go>");
        rig.tools->updatemenu1_Click();
        QVERIFY(!rig.tools->SelectedElementHTML().trimmed().isEmpty());
        // Insert > Button over selected text deletes nothing.
        rig.select("Text", "<P>words</P>");
        w.InsertButton->trigger();
        rig.tools->Text2()->setText("New");
        rig.tools->Command1_Click();
        QVERIFY(!rig.commands().contains(DECMD_DELETE));
        QCOMPARE(rig.editor.pasted.size(), 1);

        // Update > Button replaces the button still selected, once.
        rig.select("Control", "<INPUT type=submit value=Go>");
        rig.tools->updatemenu1_Click();
        w.Updatebutton->trigger();
        rig.tools->Text2()->setText("Gone");
        rig.tools->Command1_Click();
        QCOMPARE(rig.commands(), QList<int>({ DECMD_DELETE }));
        QVERIFY(rig.editor.calls.indexOf("ExecCommand(5004,0)")
                < rig.editor.calls.lastIndexOf("DOM.rangePasteHTML"));
        QCOMPARE(rig.editor.pasted.last(),
                 QStringLiteral("<Input Type=\"Submit\" value=\"Gone\">"));
        rig.editor.execs.clear();
        w.InsertButton->trigger();
        rig.tools->Text2()->setText("Third");
        rig.tools->Command1_Click();
        QVERIFY(rig.editor.execs.isEmpty());

        // The selection moved off the button before OK: nothing is deleted.
        w.Updatebutton->trigger();
        rig.select("None", "<P>x</P>");
        rig.tools->Text2()->setText("Fourth");
        rig.tools->Command1_Click();
        QVERIFY(rig.editor.execs.isEmpty());
        // Cancel ends the replacing too.
        rig.select("Control", "<INPUT type=submit value=Go>");
        w.Updatebutton->trigger();
        rig.tools->Command4_Click();
        w.InsertButton->trigger();
        rig.tools->Command1_Click();
        QVERIFY(rig.editor.execs.isEmpty());
    }

    void theWindowInsertsTheButtonOfThePanel()
    {
        Rig rig;
        rig.tools->Text2()->setText("Go");
        rig.form->InsertButtonClick();
        QCOMPARE(rig.editor.pasted, QStringList({ "<Input Type=\"Submit\" value=\"Go\">" }));
    }
};

QTEST_MAIN(InsertToolsTest)
#include "test_insert_tools.moc"

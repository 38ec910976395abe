// The document object's selection, ranges and elements in the real engine,
// the legacy outer HTML the Update menu matches, pasted HTML, and the command
// behaviour the insert tools rely on (no prompt with option 2, Delete forward
// at a caret, honest link and paste statuses).

#include "platform/editing/web_editing_component.h"
#include "scripted_engine_dialogs.h"
#include "web_test_main.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>

class EngineRangesTest : public QObject
{
    Q_OBJECT
    ShownComponent shown;
    WebEditingComponent *component = nullptr;
    ScriptedEngineDialogs *dialogs = nullptr;

    void load(const QString &body)
    {
        component->setDocumentHTML("<html><body>" + body + "</body></html>");
    }
    QString body() { return bodyOf(component); }
    void select(const QString &selector, const QString &to = {}, const QString &collapse = {})
    {
        selectIn(component, selector, to, collapse);
    }
    void selectControl(const QString &selector)
    {
        component->domCall("selectControl", QJsonObject { { "selector", selector } });
    }
    // What the Update menu's inspection reads for the current selection.
    QString inspected()
    {
        const PageSelection sel = component->DOM().selection();
        const QString type = sel.type();
        PageRange range = sel.createRange();
        if (type == QLatin1String("Control"))
            return range.commonParentElement().outerHTML();
        range.Collapse();
        return range.parentElement().outerHTML();
    }
    QVariant exec(int cmd, const QVariant &input = {})
    {
        return component->ExecCommand(cmd, OLECMDEXECOPT_DONTPROMPTUSER, input);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(shown.start());
        component = shown.component;
        auto scripted = std::make_unique<ScriptedEngineDialogs>();
        dialogs = scripted.get();
        component->setEngineDialogs(std::move(scripted));
    }
    void cleanupTestCase() { shown.stop(); }

    void legacyOuterHtmlOfControlsLinksAndNesting()
    {
        load("<p id=\"p\">x <img src=\"pic one.gif\" border=\"0\" width=\"120\" alt='Say \"hi\"'>"
             " <input type=\"submit\" value=\"Go\"> <input type=\"SUBMIT\" value=\"Send now\"></p>"
             "<p><a id=\"plain\" href=\"page.htm\">site</a> <a id=\"titled\" title=\"a\" "
             "href=\"b.htm\">t</a> <a id=\"mail\" href=\"mailto:me@example.com\">me</a></p>"
             "<div id=\"nest\" class=\"box\"><b>bold &amp; <i>it</i></b><br>1 &lt; 2</div>");
        selectControl("img");
        QCOMPARE(component->DOM().selectionType(), QStringLiteral("Control"));
        QCOMPARE(inspected(),
                 QStringLiteral("<IMG src=\"pic one.gif\" border=0 width=120 "
                                "alt=\"Say &quot;hi&quot;\">"));
        selectControl("input");
        QCOMPARE(inspected(), QStringLiteral("<INPUT type=submit value=Go>"));
        selectControl("input + input");
        QCOMPARE(inspected(), QStringLiteral("<INPUT type=submit value=\"Send now\">"));
        select("#plain");
        QCOMPARE(component->DOM().selectionType(), QStringLiteral("Text"));
        QCOMPARE(inspected(), QStringLiteral("<A id=plain href=\"page.htm\">site</A>"));
        select("#titled");
        QCOMPARE(inspected(), QStringLiteral("<A id=titled title=a href=\"b.htm\">t</A>"));
        select("#mail");
        QCOMPARE(inspected(), QStringLiteral("<A id=mail href=\"mailto:me@example.com\">me</A>"));
        select("#nest i", {}, "start");
        QCOMPARE(component->DOM().selectionType(), QStringLiteral("None"));
        QCOMPARE(inspected(), QStringLiteral("<I>it</I>"));
        // Collapsing to the start names the element the selection starts in.
        select("#nest b", "#nest i");
        QCOMPARE(inspected(), QStringLiteral("<B>bold &amp; <I>it</I></B>"));
        select("#nest", {}, "start");
        QCOMPARE(inspected(),
                 QStringLiteral("<DIV id=nest class=box><B>bold &amp; <I>it</I></B>"
                                "<BR>1 &lt; 2</DIV>"));
        // The page's own HTML is unchanged by all this.
        QVERIFY(body().contains("<input type=\"submit\" value=\"Go\">"));
    }

    void pasteReplacesTheSelectionAsOneUndoStep()
    {
        load("<p id=\"a\">one <b>two</b> three</p>");
        select("#a b");
        QSignalSpy changed(component, &EditingComponent::ContentChanged);
        QSignalSpy display(component, &EditingComponent::DisplayChanged);
        COMPONENT_OK(component->DOM().selection().createRange().pasteHTML(
            "<Input Type=\"Submit\" value=\"Go\"><i>x</i>"));
        QCOMPARE(body(),
                 QStringLiteral("<p id=\"a\">one <b><input type=\"Submit\" value=\"Go\">"
                                "<i>x</i></b> three</p>"));
        QTRY_VERIFY(changed.count() > 0);
        QTRY_VERIFY(display.count() > 0);
        // Typing goes on after the pasted HTML.
        QCOMPARE(component->DOM().selectionType(), QStringLiteral("None"));
        component->ExecCommand(DECMD_UNDO);
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">one <b>two</b> three</p>"));

        // At a caret nothing is replaced.
        select("#a b", {}, "end");
        COMPONENT_OK(component->DOM().selection().createRange().pasteHTML("<u>new</u>"));
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">one <b>two<u>new</u></b> three</p>"));
        // As given: a fragment that is not balanced is read as the parser reads it.
        select("#a u");
        COMPONENT_OK(component->DOM().selection().createRange().pasteHTML("<span>open"));
        QVERIFY2(body().contains("<u><span>open</span></u>"), qPrintable(body()));
    }

    // Blocks split the inline formatting, paragraph or heading they go into,
    // and the text after keeps its formatting; inline HTML splits nothing.
    void pastedBlocksSplitWhatCannotHoldThem()
    {
        load("<p id=\"a\"><font color=\"red\"><b><i>one two</i></b></font></p>");
        const QString twoAt = "document.querySelector('#a i').firstChild";
        evaluateInEngine(component, "getSelection().collapse(" + twoAt + ", 4)");
        COMPONENT_OK(component->DOM().selection().createRange().pasteHTML("<hr>"));
        QCOMPARE(body(),
                 QStringLiteral("<p id=\"a\"><font color=\"red\"><b><i>one </i></b></font></p>"
                                "<hr><p><font color=\"red\"><b><i>two</i></b></font></p>"));
        component->ExecCommand(DECMD_UNDO);
        evaluateInEngine(component, "getSelection().collapse(" + twoAt + ", 4)");
        COMPONENT_OK(component->DOM().selection().createRange().pasteHTML("<u>x</u>"));
        QCOMPARE(body(), QStringLiteral("<p id=\"a\"><font color=\"red\"><b><i>one <u>x</u>"
                                        "two</i></b></font></p>"));

        // After blocks put in where a control stood in a form, typing goes on
        // at the end of their text (between blocks in a form the browser
        // drops the keys).
        load("<form><input id=\"c\" type=\"text\"> <input type=\"submit\"></form>");
        selectControl("#c");
        COMPONENT_OK(component->DOM().selection().createRange().pasteHTML("<p>para</p><p>two</p>"));
        QWidget *keys = component->view()->focusProxy();
        keys->setFocus();
        QTest::keyClicks(keys, "z");
        QTRY_VERIFY2(body().contains("<p>twoz</p>"), qPrintable(body()));
    }

    void pasteOnAControlGoesAfterItAndEmptyPasteDeletes()
    {
        load("<p id=\"a\">x<img src=\"a.gif\">y</p>");
        selectControl("img");
        const PageRange range = component->DOM().selection().createRange();
        QVERIFY(range.isControlRange());
        COMPONENT_OK(range.pasteHTML("<b>after</b>"));
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">x<img src=\"a.gif\"><b>after</b>y</p>"));
        // A text range refuses the control range's member and the other way round.
        QVERIFY_THROWS_EXCEPTION(ComponentError, range.parentElement());
        select("#a b");
        const PageRange text = component->DOM().selection().createRange();
        QVERIFY(!text.isControlRange());
        QVERIFY_THROWS_EXCEPTION(ComponentError, text.commonParentElement());
        COMPONENT_OK(text.pasteHTML(QString()));
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">x<img src=\"a.gif\"><b></b>y</p>"));
    }

    void dontPromptNeverShowsTheLinkOrFontDialog()
    {
        load("<p id=\"a\">word</p>");
        select("#a");
        dialogs->link = QStringLiteral("dialog.htm");
        dialogs->linkShown = QStringLiteral("never shown");
        for (const QString &target : { QString(), QStringLiteral("   ") }) {
            try {
                exec(DECMD_HYPERLINK, target);
                QFAIL("an empty target was accepted");
            } catch (const ComponentError &e) {
                QCOMPARE(e.code(), ComponentErrorCode::InvalidArg);
            }
        }
        QCOMPARE(dialogs->linkShown, QStringLiteral("never shown"));
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">word</p>"));
        dialogs->link.reset();

        FontChoice big;
        big.size = 7;
        dialogs->font = big;
        dialogs->fontShown.size = -1;
        COMPONENT_OK(exec(DECMD_FONT));
        QCOMPARE(dialogs->fontShown.size, -1);
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">word</p>"));
        dialogs->font.reset();
    }

    void linkStatusAndRetargetingAtACaret()
    {
        load("<p id=\"a\">plain <a href=\"old.htm\">link</a> <img src=\"a.gif\"></p>");
        select("#a", {}, "start");
        QCOMPARE(component->QueryStatus(DECMD_HYPERLINK), int(DECMDF_DISABLED));
        select("#a");
        QCOMPARE(component->QueryStatus(DECMD_HYPERLINK), int(DECMDF_ENABLED));
        selectControl("img");
        QCOMPARE(component->QueryStatus(DECMD_HYPERLINK), int(DECMDF_DISABLED));
        select("a", {}, "end");
        QCOMPARE(component->QueryStatus(DECMD_HYPERLINK), int(DECMDF_ENABLED));
        COMPONENT_OK(exec(DECMD_HYPERLINK, "new.htm"));
        QVERIFY2(body().contains("<a href=\"new.htm\">link</a>"), qPrintable(body()));
        QVERIFY(!body().contains("new.htm</a>"));
        // Link and e-mail targets are set on selected text alike.
        select("a");
        COMPONENT_OK(exec(DECMD_HYPERLINK, "mailto:me@example.com"));
        QVERIFY2(body().contains("<a href=\"mailto:me@example.com\">link</a>"), qPrintable(body()));
    }

    void deleteAtACaretTakesTheNextCharacter()
    {
        load("<p id=\"a\">abc</p>");
        select("#a", {}, "start");
        COMPONENT_OK(exec(DECMD_DELETE));
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">bc</p>"));
        select("#a");
        COMPONENT_OK(exec(DECMD_DELETE));
        QVERIFY2(!body().contains("bc"), qPrintable(body()));
    }

    void pasteStatusFollowsTheClipboard()
    {
        load("<p id=\"a\">abc</p>");
        select("#a", {}, "end");
        QApplication::clipboard()->clear();
        QTRY_VERIFY(!QApplication::clipboard()->mimeData()
                    || (!QApplication::clipboard()->mimeData()->hasText()
                        && !QApplication::clipboard()->mimeData()->hasHtml()));
        QCOMPARE(component->QueryStatus(DECMD_PASTE), int(DECMDF_DISABLED));
        QApplication::clipboard()->setText("x");
        QCOMPARE(component->QueryStatus(DECMD_PASTE), int(DECMDF_ENABLED));
    }
};

WEB_TEST_MAIN(EngineRangesTest)
#include "test_engine_ranges.moc"

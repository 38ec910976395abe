// The editing commands in the real engine, offscreen: what each does to the
// page, the status it reports at the selection, and the undo history.

#include "platform/editing/engine_dialogs.h"
#include "platform/editing/web_editing_component.h"
#include "scripted_engine_dialogs.h"
#include "web_test_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QWebEngineView>


class EngineCommandsTest : public QObject
{
    Q_OBJECT
    WebEditingComponent *component = nullptr;
    ShownComponent shown;
    QWidget *window = nullptr;
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
    QVariant exec(int cmd, const QVariant &input = {})
    {
        return component->ExecCommand(cmd, OLECMDEXECOPT_DONTPROMPTUSER, input);
    }
    int status(int cmd) { return component->QueryStatus(cmd); }

private slots:
    void initTestCase()
    {
        QVERIFY(shown.start());
        window = shown.window;
        component = shown.component;
        auto scripted = std::make_unique<ScriptedEngineDialogs>();
        dialogs = scripted.get();
        component->setEngineDialogs(std::move(scripted));
    }
    void cleanupTestCase() { shown.stop(); }

    void characterFormatsAndTheirStates()
    {
        load("<p id=\"a\">one two</p><p id=\"b\">three</p>");
        select("#a");
        COMPONENT_OK(exec(DECMD_BOLD));
        QCOMPARE(body(), QStringLiteral("<p id=\"a\"><b>one two</b></p><p id=\"b\">three</p>"));
        QCOMPARE(status(DECMD_BOLD), int(DECMDF_LATCHED));
        select("#a", {}, "end");
        QCOMPARE(status(DECMD_BOLD), int(DECMDF_LATCHED));
        select("#a", "#b");
        QCOMPARE(status(DECMD_BOLD), int(DECMDF_NINCHED));
        select("#b");
        QCOMPARE(status(DECMD_BOLD), int(DECMDF_ENABLED));
        COMPONENT_OK(exec(DECMD_ITALIC));
        COMPONENT_OK(exec(DECMD_UNDERLINE));
        QVERIFY2(body().contains("<p id=\"b\"><i><u>three</u></i></p>")
                     || body().contains("<p id=\"b\"><u><i>three</i></u></p>"),
                 qPrintable(body()));
        QCOMPARE(status(DECMD_ITALIC), int(DECMDF_LATCHED));
        QCOMPARE(status(DECMD_UNDERLINE), int(DECMDF_LATCHED));
        // Bold again over a bold selection takes it off.
        select("#a");
        exec(DECMD_BOLD);
        QVERIFY(!body().contains("<b>"));
    }

    void fontNameSizeAndColour()
    {
        load("<p id=\"a\">alpha</p><p id=\"b\">beta</p>");
        select("#a");
        COMPONENT_OK(exec(DECMD_SETFONTNAME, "Arial"));
        QVERIFY2(body().contains("<font face=\"Arial\">alpha</font>"), qPrintable(body()));
        QCOMPARE(exec(DECMD_GETFONTNAME).toString(), QStringLiteral("Arial"));
        for (int size = 1; size <= 7; ++size) {
            select("#b");
            COMPONENT_OK(exec(DECMD_SETFONTSIZE, size));
            // The default size needs no tag.
            if (size != 3)
                QVERIFY2(body().contains(QStringLiteral("size=\"%1\"").arg(size)),
                         qPrintable(body()));
            QCOMPARE(status(DECMD_GETFONTSIZE), int(DECMDF_ENABLED));
            QCOMPARE(exec(DECMD_GETFONTSIZE).toInt(), size);
        }
        select("#a", "#b");
        QCOMPARE(status(DECMD_GETFONTSIZE), int(DECMDF_NINCHED));
        QCOMPARE(status(DECMD_GETFONTNAME), int(DECMDF_NINCHED));
        select("#b");
        COMPONENT_OK(exec(DECMD_SETFORECOLOR, "#FF0000"));
        QVERIFY2(body().contains("color=\"#ff0000\""), qPrintable(body()));
        // Values outside what the commands take are refused, not applied.
        for (const QVariant &bad : { QVariant(0), QVariant(8), QVariant("big") }) {
            try {
                exec(DECMD_SETFONTSIZE, bad);
                QFAIL("a bad font size was accepted");
            } catch (const ComponentError &e) {
                QCOMPARE(e.code(), ComponentErrorCode::InvalidArg);
            }
        }
        QVERIFY_THROWS_EXCEPTION(ComponentError, exec(DECMD_SETFORECOLOR, "not a colour"));
    }

    void listsNestAndJustify()
    {
        load("<p id=\"a\">first</p><p id=\"b\">second</p>");
        QCOMPARE(status(DECMD_OUTDENT), int(DECMDF_DISABLED));
        select("#a", "#b");
        COMPONENT_OK(exec(DECMD_ORDERLIST));
        QVERIFY2(body().contains("<ol><li>first</li><li>second</li></ol>"), qPrintable(body()));
        QCOMPARE(status(DECMD_ORDERLIST), int(DECMDF_LATCHED));
        QCOMPARE(status(DECMD_UNORDERLIST), int(DECMDF_ENABLED));
        QCOMPARE(status(DECMD_OUTDENT), int(DECMDF_ENABLED));
        select("li:last-child");
        COMPONENT_OK(exec(DECMD_INDENT));
        QVERIFY2(body().contains("<ol><li>second</li></ol>"), qPrintable(body()));
        COMPONENT_OK(exec(DECMD_OUTDENT));
        QVERIFY2(body().contains("<ol><li>first</li><li>second</li></ol>"), qPrintable(body()));
        select("li");
        COMPONENT_OK(exec(DECMD_JUSTIFYCENTER));
        QVERIFY2(body().contains("center"), qPrintable(body()));
        QCOMPARE(status(DECMD_JUSTIFYCENTER), int(DECMDF_LATCHED));
        QCOMPARE(status(DECMD_JUSTIFYRIGHT), int(DECMDF_ENABLED));
        COMPONENT_OK(exec(DECMD_JUSTIFYRIGHT));
        QCOMPARE(status(DECMD_JUSTIFYRIGHT), int(DECMDF_LATCHED));
        QCOMPARE(status(DECMD_JUSTIFYCENTER), int(DECMDF_ENABLED));
    }

    void blockFormats()
    {
        DEGetBlockFmtNamesParam names;
        component->ExecCommand(DECMD_GETBLOCKFMTNAMES, OLECMDEXECOPT_DONTPROMPTUSER, names);
        QCOMPARE(names.Names.size(), 16);
        QCOMPARE(QSet<QString>(names.Names.begin(), names.Names.end()).size(), 16);
        load("<p id=\"a\">text</p>");
        QCOMPARE(exec(DECMD_GETBLOCKFMT).toString(), QStringLiteral("Paragraph"));
        for (const QString &name : names.Names) {
            select("body > *");
            QCOMPARE(status(DECMD_SETBLOCKFMT), int(DECMDF_ENABLED));
            COMPONENT_OK(exec(DECMD_SETBLOCKFMT, name));
            QVERIFY2(exec(DECMD_GETBLOCKFMT).toString() == name, qPrintable(name + ": " + body()));
            QVERIFY2(body().contains("text"), qPrintable(body()));
        }
        exec(DECMD_SETBLOCKFMT, "Heading 2");
        QVERIFY2(body().contains("<h2>text</h2>"), qPrintable(body()));
        QVERIFY_THROWS_EXCEPTION(ComponentError, exec(DECMD_SETBLOCKFMT, "No Such Format"));
    }

    void undoAndRedoCoverEverySortOfChange()
    {
        component->NewDocument();
        QCOMPARE(status(DECMD_UNDO), int(DECMDF_DISABLED));
        QCOMPARE(status(DECMD_REDO), int(DECMDF_DISABLED));
        load("<p id=\"a\">one</p>");
        QStringList states { body() };
        select("#a");
        exec(DECMD_BOLD);
        states << body();
        QWidget *target = component->view()->focusProxy();
        target->setFocus();
        select("#a", {}, "end");
        QTest::keyClicks(target, "xyz");
        QTRY_VERIFY(body().contains("xyz"));
        QTest::qWait(50);
        states << body();
        exec(DECMD_SETBLOCKFMT, "Heading 1");
        states << body();
        exec(DECMD_UNORDERLIST);
        states << body();
        select("h1, li");
        exec(DECMD_SETFONTSIZE, 5);
        states << body();
        QCOMPARE(status(DECMD_REDO), int(DECMDF_DISABLED));
        // Back through every step (typing is one step), then forward again.
        for (int i = states.size() - 2; i >= 0; --i) {
            QCOMPARE(status(DECMD_UNDO), int(DECMDF_ENABLED));
            COMPONENT_OK(exec(DECMD_UNDO));
            QCOMPARE(body(), states[i]);
        }
        for (int i = 1; i < states.size(); ++i) {
            QCOMPARE(status(DECMD_REDO), int(DECMDF_ENABLED));
            COMPONENT_OK(exec(DECMD_REDO));
            QCOMPARE(body(), states[i]);
        }
        QCOMPARE(status(DECMD_REDO), int(DECMDF_DISABLED));
        // The keyboard's undo goes through the same history.
        select("li", {}, "end");
        QTest::keyClicks(target, "q");
        QTRY_VERIFY(body().contains("q"));
        QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(body(), states.last());
        // A new change after an undo ends the redo history.
        exec(DECMD_UNDO);
        select("body");
        exec(DECMD_ITALIC);
        QCOMPARE(status(DECMD_REDO), int(DECMDF_DISABLED));
    }

    void undoReachesBackAcrossAPagePut()
    {
        // The empty page New starts from is not a step to go back to.
        component->NewDocument();
        load("<p>first page</p>");
        select("p");
        exec(DECMD_BOLD);
        const QString edited = body();
        load("<p>second page</p>");
        select("p");
        exec(DECMD_ITALIC);
        exec(DECMD_UNDO);
        QCOMPARE(status(DECMD_UNDO), int(DECMDF_ENABLED));
        // Back across the put, then through the first page's own steps.
        exec(DECMD_UNDO);
        QCOMPARE(body(), edited);
        exec(DECMD_UNDO);
        QCOMPARE(body(), QStringLiteral("<p>first page</p>"));
        exec(DECMD_UNDO); // nothing left: the steps ahead stay
        QCOMPARE(status(DECMD_REDO), int(DECMDF_ENABLED));
        exec(DECMD_REDO);
        QCOMPARE(body(), edited);
        exec(DECMD_REDO);
        QCOMPARE(body(), QStringLiteral("<p>second page</p>"));
        exec(DECMD_REDO); // the italic undone in the second page
        QCOMPARE(body(), QStringLiteral("<p><i>second page</i></p>"));
        QCOMPARE(status(DECMD_REDO), int(DECMDF_DISABLED));
        // Putting the page it holds changes nothing, its history included.
        component->setDocumentHTML(component->DocumentHTML());
        exec(DECMD_UNDO);
        QCOMPARE(body(), QStringLiteral("<p>second page</p>"));
        // A page from anywhere else starts with no history.
        component->NewDocument();
        QCOMPARE(status(DECMD_UNDO), int(DECMDF_DISABLED));
        exec(DECMD_UNDO);
        QCOMPARE(body(), QString());
    }

    void copyAndPasteKeepFormattingAndDropScripts()
    {
        load("<p id=\"a\">plain <b id=\"bold\">strong</b></p><p id=\"b\">end</p>");
        select("#a", {}, "start");
        QCOMPARE(status(DECMD_COPY), int(DECMDF_DISABLED));
        QCOMPARE(status(DECMD_CUT), int(DECMDF_DISABLED));
        select("#bold");
        QCOMPARE(status(DECMD_COPY), int(DECMDF_ENABLED));
        exec(DECMD_COPY);
        const QMimeData *mime = QApplication::clipboard()->mimeData();
        QVERIFY(mime && mime->html().contains("strong"));
        QCOMPARE(mime->text(), QStringLiteral("strong"));
        select("#b", {}, "end");
        exec(DECMD_PASTE);
        QVERIFY2(body().contains(QRegularExpression("<p id=\"b\">end<b[^>]*>strong</b></p>")),
                 qPrintable(body()));
        auto *hostile = new QMimeData;
        hostile->setHtml("<span onclick=\"x()\">safe</span><script>alert(1)</script>"
                         "<a href=\"javascript:alert(2)\">link</a>");
        QApplication::clipboard()->setMimeData(hostile);
        select("#b", {}, "end");
        exec(DECMD_PASTE);
        QVERIFY(body().contains("safe"));
        QVERIFY(!body().contains("script") && !body().contains("onclick")
                && !body().contains("javascript"));
        QApplication::clipboard()->setText("a < b\nnext");
        select("#a", {}, "start");
        exec(DECMD_PASTE);
        QVERIFY2(body().contains("a &lt; b") && body().contains("next"), qPrintable(body()));
        QVERIFY(body().contains("plain"));
        select("#bold");
        exec(DECMD_CUT);
        QVERIFY(!body().contains("<b id=\"bold\">strong</b>"));
        QVERIFY(QApplication::clipboard()->mimeData()->html().contains("strong"));
    }

    void findSearchesBothWaysWithOptions()
    {
        load("<p>Cat catalog <b>ca</b>t cat.</p>");
        exec(DECMD_FINDTEXT);
        QVERIFY(dialogs->find);
        select("p", {}, "start");
        FindRequest r { QStringLiteral("cat"), false, false, false };
        QVERIFY(dialogs->find(r)); // "Cat"
        QVERIFY(dialogs->find(r)); // "cat" in catalog
        QVERIFY(dialogs->find(r)); // across the tag
        QCOMPARE(component->domCall("selectionType").toString(), QStringLiteral("Text"));
        r.wholeWord = true;
        QVERIFY(dialogs->find(r)); // "cat."
        QVERIFY(!dialogs->find(r));
        r.up = true;
        r.matchCase = true;
        QVERIFY(dialogs->find(r)); // the tag-split one is whole, found first going up
        QVERIFY(!dialogs->find(FindRequest { QStringLiteral("CAT"), true, false, false }));
        // Finding changes no content.
        QCOMPARE(body(), QStringLiteral("<p>Cat catalog <b>ca</b>t cat.</p>"));
    }

    void findDialogIsModelessAndSaysWhenNothingIsFound()
    {
        load("<p>needle in a haystack</p>");
        FindDialog dialog(window, [this](const FindRequest &r) { return component->findText(r); });
        dialog.show();
        QVERIFY(!dialog.isModal());
        dialog.findChild<QLineEdit *>("findText")->setText("needle");
        QVERIFY(dialog.findNext());
        QVERIFY(dialog.findChild<QLabel *>("findMessage")->text().isEmpty());
        QVERIFY(!dialog.findNext());
        QVERIFY(dialog.findChild<QLabel *>("findMessage")->text().contains("needle"));
    }

    void fontDialogAppliesAsOneStep()
    {
        load("<p id=\"a\">word</p>");
        select("#a");
        dialogs->font.reset();
        component->ExecCommand(DECMD_FONT, OLECMDEXECOPT_PROMPTUSER);
        QCOMPARE(dialogs->fontShown.size, 3);
        QCOMPARE(dialogs->fontShown.bold, std::optional<bool>(false));
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">word</p>"));
        FontChoice c;
        c.name = "Verdana";
        c.size = 6;
        c.color = "#00FF00";
        c.bold = true;
        dialogs->font = c;
        component->ExecCommand(DECMD_FONT, OLECMDEXECOPT_PROMPTUSER);
        const QString html = body();
        for (const char *piece : { "face=\"Verdana\"", "size=\"6\"", "color=\"#00ff00\"", "<b>" })
            QVERIFY2(html.contains(QLatin1String(piece)), qPrintable(html));
        exec(DECMD_UNDO);
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">word</p>"));
    }

    void hyperlinks()
    {
        load("<p id=\"a\">site</p>");
        select("#a");
        QCOMPARE(status(DECMD_HYPERLINK), int(DECMDF_ENABLED));
        exec(DECMD_HYPERLINK, "http://example.com/");
        QVERIFY2(body().contains("<a href=\"http://example.com/\">site</a>"), qPrintable(body()));
        dialogs->link = QStringLiteral("page2.htm");
        select("a");
        component->ExecCommand(DECMD_HYPERLINK, OLECMDEXECOPT_PROMPTUSER);
        QCOMPARE(dialogs->linkShown, QStringLiteral("http://example.com/"));
        QVERIFY2(body().contains("<a href=\"page2.htm\">site</a>"), qPrintable(body()));
        dialogs->link.reset();
        component->ExecCommand(DECMD_HYPERLINK, OLECMDEXECOPT_PROMPTUSER);
        QVERIFY(body().contains("page2.htm"));
        // Part of a link's text selected: the whole link takes the target.
        load("<p><a href=\"mailto:old\">Mail me</a> now</p>");
        evaluateInEngine(component, "{ const t = document.querySelector('a').firstChild;"
                                    " getSelection().setBaseAndExtent(t, 2, t, 6); }");
        exec(DECMD_HYPERLINK, "mailto:new");
        QCOMPARE(body(), QStringLiteral("<p><a href=\"mailto:new\">Mail me</a> now</p>"));
    }

    void picturesAreSelectedResizedAndDeletedAsControls()
    {
        component->setDocumentHTML(
            "<html><body style=\"margin:0\"><div><img id=\"pic\" "
            "src=\"none.gif\" width=\"60\" height=\"40\"> after</div></body></html>");
        QWidget *target = component->view()->focusProxy();
        target->setFocus();
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(20, 20));
        QTRY_COMPARE(component->domCall("selectionType").toString(), QStringLiteral("Control"));
        QTRY_COMPARE(status(DECMD_COPY), int(DECMDF_ENABLED));
        const QString before = body();
        component->domCall("resizeControl", QJsonObject { { "width", 120 }, { "height", 80 } });
        QVERIFY2(body().contains("width=\"120\" height=\"80\""), qPrintable(body()));
        QVERIFY(!body().contains("corvane"));
        exec(DECMD_UNDO);
        QCOMPARE(body(), before);
        component->domCall("selectControl", QJsonObject { { "selector", "#pic" } });
        exec(DECMD_DELETE);
        QVERIFY(!body().contains("<img"));
        QVERIFY(body().contains("after"));
        exec(DECMD_UNDO);
        QVERIFY(body().contains("<img"));
    }

    void viewAidsNeverReachTheHtmlNorCountAsEdits()
    {
        component->NewDocument();
        component->setDocumentHTML("<html><body><!-- note --><a name=\"top\"></a><p>a<br>b</p>"
                                   "<script>var s;</script><style>p{}</style>"
                                   "<table border=\"0\"><tr><td>c</td></tr></table></body></html>");
        QTest::qWait(50);
        const QString before = component->DocumentHTML();
        const int undo = status(DECMD_UNDO);
        QSignalSpy changed(component, &EditingComponent::ContentChanged);
        component->setShowDetails(true);
        component->setShowBorders(true);
        QTest::qWait(100);
        QCOMPARE(component->DocumentHTML(), before);
        // Edits while the glyphs are shown keep the page clean too.
        select("p");
        exec(DECMD_BOLD);
        QTest::qWait(600);
        QVERIFY(!component->DocumentHTML().contains("corvane"));
        exec(DECMD_UNDO);
        QCOMPARE(component->DocumentHTML(), before);
        QTest::qWait(600);
        changed.clear();
        component->setShowDetails(false);
        component->setShowBorders(false);
        QTest::qWait(100);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(component->DocumentHTML(), before);
        QCOMPARE(status(DECMD_UNDO), undo);
    }

    // Typing reuses the statuses of the snapshot before; whatever can change
    // them is seen: the history, a format turned on at the caret, the caret
    // moving into other text.
    void statusesFollowTyping()
    {
        load("<p id=\"p\">plain <b id=\"b\">bold</b></p>");
        select("#p", {}, "start");
        component->view()->setFocus();
        QWidget *keys = component->view()->focusProxy();
        QTest::keyClick(keys, Qt::Key_End);
        QTest::keyClick(keys, Qt::Key_Home);
        QTRY_COMPARE(status(DECMD_BOLD), int(DECMDF_ENABLED));
        QTest::keyClicks(keys, "ab");
        QTRY_VERIFY(body().contains("abplain"));
        QTRY_COMPARE(status(DECMD_UNDO), int(DECMDF_ENABLED));
        QCOMPARE(status(DECMD_BOLD), int(DECMDF_ENABLED));
        exec(DECMD_BOLD);
        QCOMPARE(status(DECMD_BOLD), int(DECMDF_LATCHED));
        QTest::keyClicks(keys, "cd");
        QTRY_VERIFY(body().contains("<b>cd</b>"));
        QTRY_COMPARE(status(DECMD_BOLD), int(DECMDF_LATCHED));
        exec(DECMD_BOLD);
        QTest::keyClicks(keys, "ef");
        QTRY_VERIFY(body().contains("</b>ef"));
        QTRY_COMPARE(status(DECMD_BOLD), int(DECMDF_ENABLED));
        QTest::keyClick(keys, Qt::Key_End);
        QTRY_COMPARE(status(DECMD_BOLD), int(DECMDF_LATCHED));
        for (int i = 0; i < 6; ++i)
            exec(DECMD_UNDO);
        QTRY_COMPARE(status(DECMD_UNDO), int(DECMDF_DISABLED));
    }

    // The glyphs follow the page: a line break typed while they are shown
    // gets one a moment later, and so does the next.
    void detailGlyphsFollowEdits()
    {
        load("<p id=\"p\">one two</p>");
        component->setShowDetails(true);
        const auto glyphs = [&] {
            return evaluateInEngine(component,
                                    "document.querySelectorAll('[data-corvane-ui=\"detail\"]').length")
                .toInt();
        };
        QTRY_COMPARE(glyphs(), 0);
        select("#p", {}, "end");
        component->view()->setFocus();
        for (int i = 0; i < 2; ++i) {
            const int before = glyphs();
            QTest::keyClick(component->view()->focusProxy(), Qt::Key_Return, Qt::ShiftModifier);
            QTRY_VERIFY_WITH_TIMEOUT(glyphs() > before, 3000);
        }
        component->setShowDetails(false);
        QTRY_COMPARE(glyphs(), 0);
    }
};

WEB_TEST_MAIN(EngineCommandsTest)
#include "test_engine_commands.moc"

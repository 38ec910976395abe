// Edits leave the page's content model whole: the engine's checker finds what
// an edit can break, and the keys and commands it was found to break with
// keep it.

#include "platform/editing/web_editing_component.h"
#include "web_test_main.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QWebEngineView>

class EngineValidityTest : public QObject
{
    Q_OBJECT
    ShownComponent shown;
    WebEditingComponent *component = nullptr;

    void load(const QString &body)
    {
        COMPONENT_OK(component->setDocumentHTML("<!DOCTYPE html><html><head><title>t</title>"
                                                "</head><body>" + body + "</body></html>"));
    }
    QStringList errors()
    {
        return component->bridge()->call(QStringLiteral("contentErrors")).toVariant().toStringList();
    }
    // Puts the selection at (node, offset) pairs given as script expressions.
    void selectAt(const QString &anchor, const QString &focus)
    {
        evaluateInEngine(component, "document.getSelection().setBaseAndExtent(" + anchor + ", "
                             + focus + ");");
    }

private slots:
    void initTestCase() { QVERIFY(shown.start()); component = shown.component; }
    void cleanupTestCase() { shown.stop(); }

    // The parser never builds these; edits can.
    void checkerFindsWhatEditsBreak()
    {
        load("<p id=p>para</p><b id=b>bold</b><h2 id=h>head</h2><a id=a href=x>link</a>"
             "<div id=d>div</div><table><tr id=r><td>cell</td></tr></table>"
             "<ul><li>item</li></ul><a href=y><div>block in a link</div></a>");
        QCOMPARE(errors(), QStringList());
        evaluateInEngine(component, R"(
          document.getElementById('b').appendChild(document.createElement('div'));
          document.getElementById('h').appendChild(document.createElement('ul'));
          document.getElementById('p').appendChild(document.createElement('h1'));
          const inner = document.createElement('a');
          inner.href = 'z';
          document.getElementById('a').appendChild(inner);
          document.getElementById('d').appendChild(document.getElementById('r'));
          document.querySelector('tbody').appendChild(document.createTextNode('stray'));
        )");
        QStringList found = errors();
        found.sort();
        QCOMPARE(found, QStringList({ "a inside a", "div inside b", "h1 inside p", "text inside tbody",
                                      "tr inside div", "ul inside h2" }));
    }

    // Return in a heading that is an editing host of its own cannot split
    // it: the browser put a block inside the heading.
    void returnInAnEditableHeadingBreaksTheLine()
    {
        load("<div contenteditable=false><h1 contenteditable>abcd</h1></div>");
        QWidget *keys = component->view()->focusProxy();
        keys->setFocus();
        evaluateInEngine(component, "document.querySelector('h1').focus();");
        selectAt("document.querySelector('h1').firstChild, 2",
                 "document.querySelector('h1').firstChild, 2");
        QTest::keyClick(keys, Qt::Key_Return);
        QTRY_VERIFY2(bodyOf(component).contains("ab<br>cd"), qPrintable(bodyOf(component)));
        QCOMPARE(errors(), QStringList());
    }

    // A caret may be held as two boundary points that differ but stand at
    // one place (after a text, before the next node): Delete still takes
    // what follows it.
    void deleteAtACaretHeldTwoWaysDeletesForward()
    {
        load("foo<p>bar</p>");
        selectAt("document.body.firstChild, 3", "document.body, 1");
        COMPONENT_OK(component->ExecCommand(DECMD_DELETE, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(bodyOf(component), QStringLiteral("foobar"));
    }

    // The browser aligns a line inside inline formatting by putting a block
    // inside the formatting; the block goes out of it, its text keeping the
    // formatting.
    void alignmentKeepsBlocksOutOfInlineContent()
    {
        load("<p>one <i>two<br>three <b>four</b></i> five</p>");
        selectAt("document.querySelector('b').firstChild, 2",
                 "document.querySelector('b').firstChild, 2");
        COMPONENT_OK(component->ExecCommand(DECMD_JUSTIFYCENTER, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(errors(), QStringList());
        const QString body = bodyOf(component);
        QVERIFY2(evaluateInEngine(component, "getComputedStyle(document.querySelector('b')).fontStyle")
                         == QStringLiteral("italic")
                     && evaluateInEngine(component, "getComputedStyle(document.querySelector('b'))"
                                                    ".textAlign") == QStringLiteral("center"),
                 qPrintable(body));
        COMPONENT_OK(component->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(bodyOf(component), QStringLiteral("<p>one <i>two<br>three <b>four</b></i> five</p>"));
        COMPONENT_OK(component->ExecCommand(DECMD_REDO, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(bodyOf(component), body);
    }

    // The browser's lists, and its Return at the start of an inline run that
    // stands directly in a section, put a block inside inline formatting
    // (the formatting around a list's items; a copy of the section in the
    // run). The block goes out of it, the formatting staying on its text,
    // and one undo takes the whole edit back. Its indent in an empty cell
    // copies the cell into the indent; the copy goes. Its font size wraps
    // list items the page shows in a row; the size goes into them.
    void commandsAndReturnKeepTheContentModel()
    {
        load("<style>li { display: inline-block }</style><p>x</p><ul><li>one</li><li>two</li></ul>"
             "<p>y</p>");
        selectAt("document.querySelector('p').firstChild, 0",
                 "document.querySelectorAll('p')[1].firstChild, 1");
        COMPONENT_OK(component->ExecCommand(DECMD_SETFONTSIZE, OLECMDEXECOPT_DONTPROMPTUSER, 6));
        QCOMPARE(errors(), QStringList());
        QVERIFY2(bodyOf(component).contains("<li><font size=\"6\">two</font></li>"),
                 qPrintable(bodyOf(component)));

        load("<table border=1><tr><td id=e><br></td><td>x</td></tr></table>");
        evaluateInEngine(component, "getSelection().collapse(document.getElementById('e'), 0)");
        COMPONENT_OK(component->ExecCommand(DECMD_INDENT, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(errors(), QStringList());
        QVERIFY2(bodyOf(component).contains("<blockquote") && bodyOf(component).count("<td") == 2,
                 qPrintable(bodyOf(component)));

        load("<div><table border=1><tr><td>a</td></tr></table>"
             "<font face=\"Wingdings\">delt</font><b>xy z</b></div>");
        const QString list = bodyOf(component);
        selectAt("document.querySelector('b').firstChild, 2", "document.querySelector('b').firstChild, 2");
        COMPONENT_OK(component->ExecCommand(DECMD_UNORDERLIST, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(errors(), QStringList());
        QVERIFY2(bodyOf(component).contains("<ul><li><font face=\"Wingdings\">"),
                 qPrintable(bodyOf(component)));
        COMPONENT_OK(component->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(bodyOf(component), list);

        load("<section id=\"v\"><p>one</p><span style=\"font-size:0.9em\">e.g. text</span>"
             "</section>");
        const QString run = bodyOf(component);
        QWidget *keys = component->view()->focusProxy();
        keys->setFocus();
        selectAt("document.querySelector('span').firstChild, 0",
                 "document.querySelector('span').firstChild, 0");
        QTest::keyClick(keys, Qt::Key_Return);
        QTRY_VERIFY2(bodyOf(component).contains("<br>"), qPrintable(bodyOf(component)));
        QCOMPARE(errors(), QStringList());
        QCOMPARE(bodyOf(component).count("e.g. text"), 1);
        COMPONENT_OK(component->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(bodyOf(component), run);
    }

    // How a link left inside another one is mended: the same link copied
    // is taken off; another one inside a block the browser put in the
    // outer link goes out with that block, the outer link staying on the
    // rest of its content.
    void linkInsideALinkIsMended()
    {
        // The parser never nests links: the inner one is put in by script.
        const auto mended = [this](const QString &body, const QString &into) {
            load(body);
            evaluateInEngine(component, "document.querySelector('" + into
                                 + "').appendChild(document.getElementById('i'));"
                                   "Corvane.liftBlock(document.querySelector('a a'))");
            return bodyOf(component);
        };
        QCOMPARE(mended("<p><a href=\"#g\">one </a><a href=\"#g\" id=\"i\">two</a></p>", "a"),
                 QStringLiteral("<p><a href=\"#g\">one two</a></p>"));
        QCOMPARE(mended("<div><a href=\"#g\"><blockquote>gee </blockquote></a>"
                        "<a href=\"#w\" id=\"i\"><b>w</b></a></div>", "blockquote"),
                 QStringLiteral("<div><blockquote><a href=\"#g\">gee </a><a href=\"#w\" id=\"i\">"
                                "<b>w</b></a></blockquote></div>"));
        QCOMPARE(errors(), QStringList());
    }
};

WEB_TEST_MAIN(EngineValidityTest)
#include "test_engine_validity.moc"

// Large pages skip the layout of what is off screen. These tests check where
// the skipping goes for each page shape, that nothing of it reaches the page's
// HTML, and that everything that needs real geometry still gets it: Find,
// Select All with a format, Ctrl+End and Page Down, positioning, printing and
// a steady view while scrolling.

#include "pdf_choice.h"
#include "web_test_main.h"

#include "platform/editing/engine_dialogs.h"
#include "platform/editing/page_print_dialog.h"

#include <QClipboard>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QPrinter>
#include <QTemporaryDir>
#include <QWebEngineView>

namespace {

// Sections of headings, paragraphs, lists and tables, as people write them.
QString sections(int count, const QString &marker = {})
{
    QString s;
    for (int n = 1; n <= count; ++n) {
        s += QStringLiteral("<h2>Section %1</h2>\n").arg(n);
        for (int p = 0; p < 3; ++p)
            s += QStringLiteral("<p>Paragraph %1.%2 of the page, with <b>some</b> words and a "
                                "<a href=\"x%1.htm\">link</a> to read.</p>\n")
                     .arg(n)
                     .arg(p);
        s += QStringLiteral("<ul><li>one</li><li>two</li></ul>\n<table border=\"1\"><tr><td>%1"
                            "</td><td>cell</td></tr></table>\n")
                 .arg(n);
        if (n == count / 2)
            s += QStringLiteral("<p id=\"middle\">%1 in the middle</p>\n").arg(marker);
    }
    return s;
}

QString page(const QString &body)
{
    return QStringLiteral("<!DOCTYPE html>\n<html><head><title>t</title></head><body>\n%1"
                          "<p id=\"last\">The end of the page.</p>\n</body></html>")
        .arg(body);
}

} // namespace

class OffscreenSkippingTest : public QObject
{
    Q_OBJECT

    ShownComponent shown;
    WebEditingComponent *c = nullptr;

    QVariant js(const QString &script) { return evaluateInEngine(c, script); }
    QString visibility(const QString &selector)
    {
        return js(QStringLiteral("getComputedStyle(document.querySelector('%1')).contentVisibility")
                      .arg(selector))
            .toString();
    }
    void put(const QString &html)
    {
        COMPONENT_OK(c->setDocumentHTML(html));
        // The overflow check and the height guesses follow the first frames.
        QTest::qWait(300);
    }
    void key(int k, Qt::KeyboardModifiers mods = {})
    {
        QTest::keyClick(c->view()->focusProxy(), Qt::Key(k), mods);
    }
    bool caretIn(const QString &selector)
    {
        return js(QStringLiteral("(function () { var n = getSelection().focusNode;"
                                 " var e = n && (n.nodeType === 3 ? n.parentElement : n);"
                                 " return !!(e && e.closest('%1')); })()")
                      .arg(selector))
            .toBool();
    }
    bool onScreen(const QString &selector)
    {
        return js(QStringLiteral("(function () { var r = document.querySelector('%1')"
                                 ".getBoundingClientRect();"
                                 " return r.bottom > 0 && r.top < innerHeight; })()")
                      .arg(selector))
            .toBool();
    }

private slots:
    void init()
    {
        QVERIFY(shown.start());
        c = shown.component;
    }
    void cleanup() { shown.stop(); }

    // Many blocks at the top: they skip; a few huge wrappers: their children
    // skip instead. A small page skips nothing. The page's HTML never shows it.
    void skippingFollowsThePageShape()
    {
        put(page(sections(80)));
        QCOMPARE(visibility("#last"), QStringLiteral("auto"));
        QVERIFY(!c->DocumentHTML().contains(QStringLiteral("content-visibility")));
        selectIn(c, "h2", "#last");
        COMPONENT_OK(c->ExecCommand(DECMD_COPY, OLECMDEXECOPT_DONTPROMPTUSER));
        const QString copied = QApplication::clipboard()->mimeData()->html();
        QVERIFY(copied.contains(QStringLiteral("The end of the page.")));
        QVERIFY(!copied.contains(QStringLiteral("content-visibility")));
        QVERIFY(!copied.contains(QStringLiteral("contain-intrinsic")));

        put(page(QStringLiteral("<div id=\"wrap\"><div id=\"inner\">%1</div></div>")
                     .arg(sections(80))));
        QCOMPARE(visibility("#wrap"), QStringLiteral("visible"));
        QCOMPARE(visibility("#inner"), QStringLiteral("visible"));
        QCOMPARE(visibility("#middle"), QStringLiteral("auto"));

        put(page(QStringLiteral("<p id=\"a\">one</p><p>two</p>")));
        QCOMPARE(visibility("#a"), QStringLiteral("visible"));
    }

    // Skipping contains a block: floats would no longer reach the blocks
    // after them, positioned elements would stand in another box and content
    // wider than its block would be cut off. Those blocks are drawn as they are.
    void blocksSkippingWouldChangeAreDrawnAsTheyAre()
    {
        const QString wide(400, QLatin1Char('x'));
        put(page(QStringLiteral("<pre id=\"wide\">%1</pre>"
                                "<p id=\"before\">before</p>"
                                "<table id=\"float\" align=\"left\"><tr><td>f</td></tr></table>"
                                "<p id=\"wraps\">text beside the float</p>"
                                "<p id=\"positioned\"><span style=\"position: absolute\">a</span></p>"
                                "%2")
                     .arg(wide, sections(80))));
        QCOMPARE(visibility("#before"), QStringLiteral("auto"));
        QCOMPARE(visibility("#float"), QStringLiteral("visible"));
        QCOMPARE(visibility("#wraps"), QStringLiteral("visible"));
        QCOMPARE(visibility("#positioned"), QStringLiteral("visible"));
        QVERIFY(QTest::qWaitFor([&] { return visibility("#wide") == "visible"; }, 3000));
    }

    // A control made absolute keeps its place on screen, also once the
    // page's skipping has been chosen again after the change: the block that
    // holds it no longer stands in as the box it is positioned in.
    void positioningMeasuresTheRealBox()
    {
        put(page(sections(40)
                 + QStringLiteral("<p id=\"holder\">Words before <input id=\"box\" type=\"button\" "
                                  "value=\"Move me\"> and after.</p>")
                 + sections(40)));
        js(QStringLiteral("Corvane.offscreen.reveal(document.getElementById('holder'))"));
        QTest::qWait(500);
        QVERIFY(onScreen("#holder"));
        const auto where = [&] {
            const QStringList xy = js(QStringLiteral(
                "(function () { var r = document.getElementById('box').getBoundingClientRect();"
                " return r.left + ',' + r.top; })()")).toString().split(',');
            return QPointF(xy.value(0).toDouble(), xy.value(1).toDouble());
        };
        const auto near = [](QPointF a, QPointF b) {
            return qAbs(a.x() - b.x()) <= 1 && qAbs(a.y() - b.y()) <= 1;
        };
        const QPointF before = where();
        js(QStringLiteral("Corvane.selectControl(document.getElementById('box'))"));
        COMPONENT_OK(c->ExecCommand(DECMD_MAKE_ABSOLUTE, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(js(QStringLiteral("getComputedStyle(document.getElementById('box')).position"))
                     .toString(),
                 QStringLiteral("absolute"));
        QVERIFY(near(where(), before));
        QTest::qWait(700);
        QVERIFY(near(where(), before));
    }

    // A positioned element far down the page is chosen and dragged where
    // the pointer takes it, as on a short page.
    void aPositionedElementFarDownIsDragged()
    {
        put(page(sections(60)
                 + QStringLiteral("<div id=\"far\" style=\"position: absolute; left: 200px; "
                                  "top: 20000px; width: 120px; height: 60px\">far box</div>")
                 + sections(60)));
        js(QStringLiteral("window.scrollTo(0, 20000 - 100)"));
        QTest::qWait(300);
        QVERIFY(onScreen("#far"));
        QWidget *target = c->view()->focusProxy();
        const QPoint from(210, 110);
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        QTest::mouseMove(target, from + QPoint(20, 15));
        QTest::mouseMove(target, from + QPoint(40, 30));
        QTest::mouseRelease(target, Qt::LeftButton, {}, from + QPoint(40, 30));
        QTRY_VERIFY(c->DocumentHTML().contains(QStringLiteral("left: 240px; top: 20030px")));
    }

    // After an apply from the source view the page starts over: the view at
    // its top and typing at its first text, however long the page is.
    void anApplyStartsAtThePageTop()
    {
        put(page(sections(120)));
        js(QStringLiteral("window.scrollTo(0, 30000)"));
        const QString html = c->DocumentHTML().replace("Section 1<", "Chapter 1<");
        put(html);
        QCOMPARE(js(QStringLiteral("scrollY")).toInt(), 0);
        c->view()->setFocus();
        QTest::keyClicks(c->view()->focusProxy(), "New ");
        QTRY_VERIFY(c->DocumentHTML().contains(QStringLiteral("<h2>New Chapter 1</h2>")));
        QVERIFY(onScreen("h2"));
    }

    // Find reaches text in skipped blocks and shows it; the whole page takes a
    // format from Select All, and undo takes it off again.
    void findAndSelectAllReachSkippedBlocks()
    {
        put(page(sections(120, QStringLiteral("needle"))));
        FindRequest find;
        find.text = QStringLiteral("needle");
        bool found = false;
        COMPONENT_OK(found = c->findText(find));
        QVERIFY(found);
        QVERIFY(caretIn("#middle"));
        QVERIFY(QTest::qWaitFor([&] { return onScreen("#middle"); }, 2000));

        const QString before = c->DocumentHTML();
        COMPONENT_OK(c->ExecCommand(DECMD_SELECTALL, OLECMDEXECOPT_DONTPROMPTUSER));
        COMPONENT_OK(c->ExecCommand(DECMD_ITALIC, OLECMDEXECOPT_DONTPROMPTUSER));
        const QString after = c->DocumentHTML();
        QVERIFY(after.contains(QRegularExpression("<i>The end of the page.</i>|<p id=\"last\"><i>")));
        QVERIFY(after.contains(QRegularExpression("<i>Paragraph 1\\.0")));
        COMPONENT_OK(c->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(c->DocumentHTML(), before);
    }

    // Caret moves that need the geometry of blocks not yet drawn.
    void ctrlEndAndPageDownMoveThroughSkippedBlocks()
    {
        put(page(sections(120)));
        c->view()->setFocus();
        QTest::qWait(200);
        const double scrollMax
            = js(QStringLiteral("document.scrollingElement.scrollHeight - innerHeight")).toDouble();
        key(Qt::Key_End, Qt::ControlModifier);
        QVERIFY(QTest::qWaitFor([&] { return caretIn("#last"); }, 3000));
        // At the very end, not at the start of the last block.
        QCOMPARE(js(QStringLiteral("(function () { var l = document.querySelector('#last');"
                                   " var r = getSelection().getRangeAt(0).cloneRange();"
                                   " r.setEnd(l, l.childNodes.length); return r.toString(); })()"))
                     .toString(),
                 QString());
        QVERIFY(QTest::qWaitFor([&] { return onScreen("#last"); }, 3000));
        QVERIFY(js(QStringLiteral("scrollY")).toDouble() >= scrollMax * 0.9);

        key(Qt::Key_Home, Qt::ControlModifier);
        QVERIFY(QTest::qWaitFor([&] { return caretIn("h2:first-of-type"); }, 3000));
        QVERIFY(QTest::qWaitFor([&] { return onScreen("h2:first-of-type"); }, 3000));
        for (int i = 0; i < 3; ++i)
            key(Qt::Key_PageDown);
        QVERIFY(QTest::qWaitFor([&] { return js("scrollY").toDouble() > 1000; }, 3000));
        QVERIFY(!caretIn("h2:first-of-type"));
        QVERIFY(!onScreen("h2:first-of-type"));
        // The caret is where the view is, so typing lands on screen.
        QTest::keyClicks(c->view()->focusProxy(), "zq");
        QVERIFY(QTest::qWaitFor([&] { return c->DocumentHTML().contains("zq"); }, 3000));
        QVERIFY(js(QStringLiteral("(function () { var r = getSelection().getRangeAt(0)"
                                  ".getBoundingClientRect(); return r.top >= 0 && r.top < innerHeight; })()"))
                    .toBool());
    }

    // What stands at the top of the view stays there while the real heights
    // replace the guesses.
    void theViewHoldsStillWhileBlocksAreDrawn()
    {
        put(page(sections(150)));
        js(QStringLiteral("window.scrollTo(0, document.scrollingElement.scrollHeight / 2)"));
        QTest::qWait(100);
        const QString probe = QStringLiteral(
            "(function () { var e = document.elementFromPoint(100, 5);"
            " if (!window.__anchor) window.__anchor = e;"
            " return window.__anchor.getBoundingClientRect().top; })()");
        const double first = js(probe).toDouble();
        for (int i = 0; i < 5; ++i) {
            QTest::qWait(200);
            QVERIFY2(qAbs(js(probe).toDouble() - first) <= 2, "the view moved under the user");
        }
    }

    // Paper gets every block, drawn or not.
    void printingPrintsTheWholePage()
    {
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        put(page(sections(120, QStringLiteral("needle"))));
        QTemporaryDir dir;
        auto choice = std::make_unique<PdfChoice>();
        choice->file = dir.filePath("page.pdf");
        c->setPrintDialog(std::move(choice));
        COMPONENT_OK(c->PrintDocument(true));
        QProcess text;
        text.start(pdftotext, { dir.filePath("page.pdf"), "-" });
        QVERIFY(text.waitForFinished(30000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY(printed.contains("needle in the middle"));
        QVERIFY(printed.contains("Paragraph 119.2"));
        QVERIFY(printed.contains("The end of the page."));
        QCOMPARE(visibility("#last"), QStringLiteral("auto"));
    }
};

WEB_TEST_MAIN(OffscreenSkippingTest)
#include "test_offscreen_skipping.moc"

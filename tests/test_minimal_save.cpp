// Saving an edited page writes back the page's own text everywhere the edit
// did not reach: only the lines of the edited element change, and the saved
// file always loads into the page the editor held.

#include "file_bytes.h"
#include "web_test_main.h"

#include "platform/editing/page_file.h"
#include "platform/editing/source_tree.h"

#include <QJsonArray>
#include <QTemporaryDir>

namespace {

QList<QByteArray> linesOf(const QByteArray &bytes)
{
    return bytes.split('\n');
}

// The lines (from 0) where the two texts differ, when both have as many.
QList<int> changedLines(const QByteArray &before, const QByteArray &after)
{
    const QList<QByteArray> a = linesOf(before);
    const QList<QByteArray> b = linesOf(after);
    QList<int> changed;
    if (a.size() != b.size())
        return {-1};
    for (int i = 0; i < a.size(); ++i) {
        if (a[i] != b[i])
            changed.append(i);
    }
    return changed;
}

QString jsString(const QString &s)
{
    QString out = s;
    out.replace(u'\\', QLatin1String("\\\\")).replace(u'\'', QLatin1String("\\'"));
    return u'\'' + out + u'\'';
}

} // namespace

class MinimalSaveTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    WebEditingComponent *editor = nullptr;
    WebEditingComponent *checker = nullptr;

    QString pathOf(const QString &name) const { return dir.filePath(name); }

    // Types word at the start of the first text inside the element selector names.
    bool typeAt(const QString &selector, const QString &word)
    {
        return evaluateInEngine(editor, QStringLiteral(
            "(function () {"
            "  const el = document.querySelector(%1);"
            "  if (!el) return false;"
            "  const t = document.createTreeWalker(el, NodeFilter.SHOW_TEXT).nextNode();"
            "  const r = document.createRange();"
            "  if (t) r.setStart(t, 0); else r.setStart(el, 0);"
            "  r.collapse(true);"
            "  const s = document.getSelection(); s.removeAllRanges(); s.addRange(r);"
            "  return document.execCommand('insertText', false, %2);"
            "})()").arg(jsString(selector), jsString(word))).toBool();
    }

    bool run(const QString &script)
    {
        return evaluateInEngine(editor, QStringLiteral("(function () {%1})()").arg(script))
            .toBool();
    }

    QString how()
    {
        return evaluateInEngine(editor, QStringLiteral("Corvane.source.last")).toString();
    }

    // Saves to name and checks that the saved file loads into the page the
    // editor holds; returns the bytes saved.
    QByteArray saveChecked(const QString &name)
    {
        const QString path = pathOf(name);
        editor->SaveDocument(path);
        checker->LoadDocument(path);
        const QString held = serializedOf(editor);
        QString loaded = serializedOf(checker);
        // A UTF-8 page that declares no charset is saved with a declaration.
        const QString declaration = QStringLiteral(
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
        if (!held.contains(declaration))
            loaded.replace(declaration, QString());
        if (held != loaded) {
            qWarning().noquote() << "held:  " << held << "\nloaded:" << loaded;
            QTest::qFail("the saved page loads into another page", __FILE__, __LINE__);
        }
        return readBytes(path);
    }

    // Large pages check only the edited elements; this run can check every
    // page that way.
    void checkLikeLargePages()
    {
        if (qEnvironmentVariableIsSet("CORVANE_TEST_EDITED_CHECK"))
            evaluateInEngine(editor, QStringLiteral("Corvane.source.wholeCheckUpTo = 0"));
    }

    QByteArray loadBytes(const QString &name, const QByteArray &bytes)
    {
        writeBytes(pathOf(name), bytes);
        editor->LoadDocument(pathOf(name));
        checkLikeLargePages();
        return bytes;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        editor = new WebEditingComponent;
        checker = new WebEditingComponent;
    }

    void cleanupTestCase()
    {
        delete editor;
        delete checker;
    }

    // Where the parser puts each node in the text: start tags, text and end
    // tags are the text as written, in UTF-16 offsets past wide characters,
    // and text after </body></html> belongs to the body.
    void sourceTreeFindsEachNodesText()
    {
        const QString page = QStringLiteral(
            "<!-- first -->\r\n<!DOCTYPE html>\r\n<HTML><Head><TITLE>\u00e9\U0001F600 t</TITLE></Head>"
            "\r\n<BODY bgcolor=white>\r\n<P class=a>one &amp; two<p>\ud55c\uad6d\r\n"
            "<pre>\n\nx</pre></BODY>\r\n</HTML>\r\n");
        const SourceTree tree = parseSourceTree(page);
        QVERIFY(!tree.isEmpty());
        const auto slice = [&](int i, int from, int to) {
            return page.mid(tree.positions[4 * i + from],
                            tree.positions[4 * i + to] - tree.positions[4 * i + from]);
        };
        const auto find = [&](const QString &name, int nth = 0) {
            for (int i = 0; i < tree.names.size(); ++i) {
                if (tree.names[i] == name && nth-- == 0)
                    return i;
            }
            return -1;
        };
        QCOMPARE(tree.names.first(), QStringLiteral("#document"));
        QCOMPARE(slice(find("#comment"), 0, 3), QStringLiteral("<!-- first -->"));
        QCOMPARE(slice(find("html"), 0, 1), QStringLiteral("<HTML>"));
        QCOMPARE(slice(find("title"), 0, 3), QStringLiteral("<TITLE>\u00e9\U0001F600 t</TITLE>"));
        QCOMPARE(slice(find("body"), 0, 1), QStringLiteral("<BODY bgcolor=white>"));
        QCOMPARE(tree.sizes[find("body")], 1);
        const int p = find("p");
        QCOMPARE(slice(p, 0, 1), QStringLiteral("<P class=a>"));
        QCOMPARE(slice(p, 2, 3), QString()); // closed by the next <p>
        QCOMPARE(slice(p + 1, 0, 3), QStringLiteral("one &amp; two"));
        QCOMPARE(tree.sizes[p + 1], 9); // "one & two"
        const int second = find("p", 1);
        QCOMPARE(slice(second + 1, 0, 3), QStringLiteral("\ud55c\uad6d\r\n"));
        // The line break the parser eats stays between the tag and the text.
        const int pre = find("pre");
        const int afterTag = tree.positions[4 * pre + 1];
        QCOMPARE(page.mid(afterTag, tree.positions[4 * (pre + 1)] - afterTag), QStringLiteral("\n"));
        QCOMPARE(slice(pre + 1, 0, 3), QStringLiteral("\nx"));
        QCOMPARE(slice(pre, 2, 3), QStringLiteral("</pre>"));
        // The body holds the last line break; its end tag and </html> are
        // text among its children, so the body ends with the page.
        const int body = find("body");
        QCOMPARE(tree.positions[4 * body + 3], page.size());
        for (int i = 0; i < tree.names.size(); ++i)
            QVERIFY2(tree.reliable[i], qPrintable(tree.names[i]));
    }

    // The parser moves some nodes away from their text: text fostered out of
    // a table (whose own text then holds it), a formatting element opened
    // again. The table and the element opened again are never written from
    // the text; the fostered text, standing before the table, still is.
    // The engine sends an edited page as ranges of the text and strings; a
    // range outside the text is refused, never read past the end.
    void piecesJoinIntoThePage()
    {
        const QString text = QStringLiteral("<p>one</p><p>two</p>");
        QCOMPARE(joinPieces(text, QJsonArray{0, 3, QStringLiteral("NEW "), 3, 20}).value(),
                 QStringLiteral("<p>NEW one</p><p>two</p>"));
        QCOMPARE(joinPieces(text, QJsonArray{QStringLiteral("x")}).value(), QStringLiteral("x"));
        QVERIFY(!joinPieces(text, QJsonArray{0, 21}));
        QVERIFY(!joinPieces(text, QJsonArray{5, 3}));
        QVERIFY(!joinPieces(text, QJsonArray{-1, 3}));
        QVERIFY(!joinPieces(text, QJsonArray{0}));
    }

    void sourceTreeMarksMovedNodes()
    {
        const QString page = QStringLiteral(
            "<table><tr><td>a</td></tr>fostered</table><p><b><i>x<p>y</i></b><p>z</p>"
            "<xml><o:a v=1/></xml><xml>\r\n<o:b><o:c/></o:b></xml><p id=w>after</p>"
            "<a href=1>one<div>two</a>three</div></body></html><!--c-->\n");
        const SourceTree tree = parseSourceTree(page);
        const auto slice = [&](int i, int from, int to) {
            return page.mid(tree.positions[4 * i + from],
                            tree.positions[4 * i + to] - tree.positions[4 * i + from]);
        };
        // Each node's parent, from the child counts in document order.
        QList<int> parent(tree.names.size(), -1);
        QList<int> open{0};
        QList<int> left{tree.childCounts[0]};
        for (int i = 1; i < tree.names.size(); ++i) {
            while (left.last() == 0) {
                open.removeLast();
                left.removeLast();
            }
            parent[i] = open.last();
            --left.last();
            open.append(i);
            left.append(tree.childCounts[i]);
        }
        const auto find = [&](const QString &name, int nth = 0) {
            for (int i = 0; i < tree.names.size(); ++i) {
                if (tree.names[i] == name && nth-- == 0)
                    return i;
            }
            return -1;
        };
        // Text put out of the table is written with the table, which keeps
        // its own text.
        const int table = find("table");
        QCOMPARE(tree.reliable[table], 1);
        const int fostered = table - 1;
        QCOMPARE(tree.reliable[fostered], 2);
        QCOMPARE(slice(fostered, 0, 3), QStringLiteral("fostered"));
        // The bold and italic the parser opened again in the second
        // paragraph have no tags of their own: they start at their text.
        const int again = find("b", 1);
        QCOMPARE(tree.reliable[again], 1);
        QCOMPARE(slice(again, 0, 1), QString());
        QCOMPARE(slice(again, 1, 3), QStringLiteral("y</i></b>"));
        QCOMPARE(slice(find("i", 1), 0, 3), QStringLiteral("y</i>"));
        // </xml> closes the <xml> around elements of other unknown names,
        // as in the browser: the second <xml> and the paragraph after it
        // stand in the body.
        const int body = find("body");
        const int xml2 = find("xml", 1);
        QCOMPARE(parent[find("xml")], body);
        QCOMPARE(parent[xml2], body);
        QCOMPARE(slice(xml2, 0, 3), QStringLiteral("<xml>\r\n<o:b><o:c/></o:b></xml>"));
        QCOMPARE(parent[find("o:c")], find("o:b"));
        QCOMPARE(slice(find("o:b"), 2, 3), QStringLiteral("</o:b>"));
        // A text that starts with CR LF starts at the CR.
        QCOMPARE(slice(xml2 + 1, 0, 3), QStringLiteral("\r\n"));
        const int after = find("p", 3);
        QCOMPARE(parent[after], body);
        QCOMPARE(slice(after, 0, 3), QStringLiteral("<p id=w>after</p>"));
        // What the parser moved or cloned, and the comment after </html>
        // whose text lies among the body's, are not written from the text.
        QStringList unreliable;
        for (int i = 0; i < tree.names.size(); ++i) {
            if (!tree.reliable[i])
                unreliable.append(tree.names[i]);
        }
        unreliable.sort();
        QCOMPARE(unreliable, (QStringList{"#comment", "a", "div"}));
    }

    // One word typed into one paragraph: every other line of the file stays
    // byte for byte, whatever its case, quoting, entities or line ends.
    void oneWordChangesOnlyItsElement_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QByteArray>("encoding");
        QTest::addColumn<QString>("target");
        // The lines (from 0) the edit may change.
        QTest::addColumn<QList<int>>("lines");

        QTest::newRow("comments and text before the doctype")
            << QByteArray("<!-- generated -->\n<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n"
                          "<HTML><HEAD><META http-equiv=Content-Type content=\"text/html; charset=utf-8\">"
                          "<TITLE>T</TITLE></HEAD>\n<BODY>\n<P>first</P>\n<P id=target>second</P>\n"
                          "<P>third &copy; &#169; &nbsp;</P>\n</BODY>\n</HTML>\n<!-- after -->\n")
            << QByteArray("UTF-8") << QStringLiteral("#target") << QList<int>{5};
        QTest::newRow("stray text before the doctype")
            << QByteArray("stray<!DOCTYPE html>\n<html><head><meta charset=utf-8></head>\n<body>\n"
                          "<p>one</p>\n<p id=target>two</p>\n</body>\n</html>\n")
            << QByteArray("UTF-8") << QStringLiteral("#target") << QList<int>{4};
        QTest::newRow("pre with leading newlines")
            << QByteArray("<html><head><meta charset=\"utf-8\"></head><body>\n<pre>\n\n  code\n</pre>\n"
                          "<p id=target>text</p>\n<textarea>\n\nraw &lt;</textarea>\n</body></html>")
            << QByteArray("UTF-8") << QStringLiteral("#target") << QList<int>{5};
        QTest::newRow("entities, upper case, unquoted attributes, implied end tags")
            << QByteArray("<HTML><HEAD><META CHARSET=UTF-8></HEAD><BODY BGCOLOR=#FFFFFF>\n"
                          "<TABLE BORDER=1><TR><TD>a &amp; b<TD>&lt;c&gt;</TABLE>\n"
                          "<UL><LI>one<LI>two &eacute;</UL>\n<P ID=target CLASS=x>para\n"
                          "<P>next&nbsp;one\n</BODY></HTML>")
            << QByteArray("UTF-8") << QStringLiteral("#target") << QList<int>{3};
        QTest::newRow("CR LF line ends")
            << QByteArray("<html>\r\n<head>\r\n<meta charset=utf-8>\r\n</head>\r\n<body>\r\n"
                          "<p>one</p>\r\n<p id='target'>two</p>\r\n<p>three</p>\r\n</body>\r\n</html>\r\n")
            << QByteArray("UTF-8") << QStringLiteral("#target") << QList<int>{6};
        QTest::newRow("windows-1252")
            << QByteArray("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                          "charset=windows-1252\"></head><body>\n<p>caf\xe9 \x93quoted\x94</p>\n"
                          "<p id=target>na\xefve</p>\n<p>&euro; \x80</p>\n</body></html>\n")
            << QByteArray("windows-1252") << QStringLiteral("#target") << QList<int>{2};
        const QString korean = QStringLiteral(
            "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-kr\">"
            "</head><body>\n<p>\ud55c\uad6d\uc5b4 \ubb38\uc11c</p>\n<p id=target>\ub450\ubc88\uc9f8</p>\n"
            "<p>\uc138\ubc88\uc9f8 &amp;</p>\n</body></html>\n");
        QTest::newRow("EUC-KR") << encodePage(korean, "EUC-KR", false) << QByteArray("EUC-KR")
                                << QStringLiteral("#target") << QList<int>{2};
        QTest::newRow("server code and a refresh")
            << QByteArray("<html><head><meta charset=utf-8>\n"
                          "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"30\"></head><body>\n"
                          "<p><% Response.Write(\"x\") %> <b title=\"<%= t %>\">b</b></p>\n"
                          "<p id=target>two</p>\n</body></html>\n")
            << QByteArray("UTF-8") << QStringLiteral("#target") << QList<int>{3};
    }

    void oneWordChangesOnlyItsElement()
    {
        QFETCH(QByteArray, page);
        QFETCH(QByteArray, encoding);
        QFETCH(QString, target);
        QFETCH(QList<int>, lines);
        const QString name = QStringLiteral("page-%1.html").arg(QTest::currentDataTag()).replace(u' ', u'-');
        COMPONENT_OK(loadBytes(name, page));
        QCOMPARE(editor->DocumentEncoding().toLatin1(), encoding);
        QVERIFY(typeAt(target, QStringLiteral("NEW ")));
        QByteArray saved;
        COMPONENT_OK(saved = saveChecked(QStringLiteral("saved-") + name));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(changedLines(page, saved), lines);
        QVERIFY(saved.contains("NEW "));
        // The source view shows what a save writes.
        QCOMPARE(encodePage(editor->DocumentHTML(), encoding, false), saved);
        // Undone, the page is the file as read.
        editor->ExecCommand(DECMD_UNDO);
        COMPONENT_OK(editor->SaveDocument(pathOf(QStringLiteral("undone-") + name)));
        QCOMPARE(readBytes(pathOf(QStringLiteral("undone-") + name)), page);
    }

    // Changes other than typing keep their reach: an attribute its start
    // tag, a new paragraph its own lines, an edit inside a pre the pre.
    void otherEditsStayInTheirElements()
    {
        const QByteArray page(
            "<html><head><meta charset=utf-8></head><body>\n"
            "<div class=box id=box>\n<p>inside &amp; kept</p>\n<p id=last>last</p>\n</div>\n"
            "<pre id=code>\n\n  indented\n</pre>\n"
            "<p>after &copy;</p>\n</body></html>\n");
        COMPONENT_OK(loadBytes("others.html", page));
        QVERIFY(run("document.getElementById('box').setAttribute('title', 'T'); return true;"));
        QByteArray saved;
        COMPONENT_OK(saved = saveChecked("others-1.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(changedLines(page, saved), QList<int>{1});
        QVERIFY(saved.contains("<div class=\"box\" id=\"box\" title=\"T\">\n<p>inside &amp; kept</p>"));

        // A paragraph added after the last one: the other lines stay.
        QVERIFY(run("const p = document.createElement('p'); p.textContent = 'added';"
                    "document.getElementById('last').after(p); return true;"));
        COMPONENT_OK(saved = saveChecked("others-2.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QVERIFY(saved.contains("<p id=last>last</p><p>added</p>\n</div>\n<pre id=code>\n\n  indented"));
        QVERIFY(saved.endsWith("<p>after &copy;</p>\n</body></html>\n"));

        // A word made bold: its paragraph's line alone changes.
        const QByteArray before = saved;
        QVERIFY(run("const t = document.querySelector('#last').firstChild;"
                    "const r = document.createRange(); r.setStart(t, 0); r.setEnd(t, 4);"
                    "const s = document.getSelection(); s.removeAllRanges(); s.addRange(r);"
                    "return document.execCommand('bold');"));
        COMPONENT_OK(saved = saveChecked("others-bold.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(changedLines(before, saved), QList<int>{3});
        QVERIFY(saved.contains("<p id=last><b>last</b></p><p>added</p>\n"));

        // Typing at the start of the pre, whose text starts with a line break.
        QVERIFY(typeAt("#code", "X"));
        COMPONENT_OK(saved = saveChecked("others-3.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QVERIFY(saved.endsWith("<p>after &copy;</p>\n</body></html>\n"));
    }

    // Where the page's own text would read differently next to the edit,
    // that text is written as the browser serialises it, and the page still
    // loads into the same page; the rest of the page stays. A page that
    // cannot be paired at all is written whole.
    void textThatWouldReadDifferentlyIsNotKept()
    {
        // The first paragraph has no end tag: anything inline put after it
        // would be read into it.
        const QByteArray page("<html><head><meta charset=utf-8></head><body>\n"
                              "<p id=a>one\n<p>two\n</body></html>\n<!-- end -->\n");
        COMPONENT_OK(loadBytes("implied.html", page));
        QVERIFY(run("const s = document.createElement('span'); s.textContent = 'between';"
                    "document.getElementById('a').after(s); return true;"));
        QByteArray saved;
        COMPONENT_OK(saved = saveChecked("implied-saved.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QVERIFY2(saved.startsWith("<html><head><meta charset=utf-8></head><body>\n<p id=\"a\">one\n"
                                  "</p><span>between</span><p>two\n"),
                 saved.constData());
        QVERIFY2(saved.endsWith("<p>two\n</body></html>\n<!-- end -->\n"), saved.constData());

        QVERIFY(run("Corvane.source.pairing = null; return true;"));
        COMPONENT_OK(saveChecked("implied-whole.html"));
        QCOMPARE(how(), QStringLiteral("serialized"));
    }

    // Each node's place at load is kept on the node in the engine's world;
    // it must outlive the collections of garbage a long session makes.
    void placesOutliveGarbageCollection()
    {
        const QByteArray page("<html><head><meta charset=utf-8></head><body>\n"
                              "<p>one</p>\n<p id=two>two</p>\n</body></html>\n");
        COMPONENT_OK(loadBytes("collected.html", page));
        QVERIFY(run("let kept = 0;"
                    "for (let i = 0; i < 400; ++i) { const a = new Array(100000).fill(i);"
                    "  kept += a.length; document.body.querySelectorAll('p').length; }"
                    "return kept > 0;"));
        QVERIFY(run("const P = Corvane.source.place, two = document.getElementById('two');"
                    "return two[P] > 0 && two.firstChild[P] === two[P] + 1;"));
        QVERIFY(typeAt("#two", "NEW "));
        QByteArray saved;
        COMPONENT_OK(saved = saveChecked("collected-saved.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(changedLines(page, saved), QList<int>{2});
    }

    // A carriage return the page wrote as a reference stays one: the
    // browser writes it as it is, which reads back as a line feed.
    void carriageReturnsSurviveAnEdit()
    {
        const QByteArray page("<html><head><meta charset=utf-8></head><body>\n"
                              "<p id=a>one&#13;\ttwo</p>\n<p id=b>three</p>\n</body></html>\n");
        COMPONENT_OK(loadBytes("returns.html", page));
        QVERIFY(typeAt("#a", "NEW "));
        QVERIFY(run("const t = document.querySelector('#a').firstChild;"
                    "const r = document.createRange(); r.setStart(t, 4); r.setEnd(t, t.data.length);"
                    "const s = document.getSelection(); s.removeAllRanges(); s.addRange(r);"
                    "return document.execCommand('bold');"));
        QByteArray saved;
        COMPONENT_OK(saved = saveChecked("returns-saved.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QVERIFY(saved.contains("&#13;"));
        QVERIFY(!saved.contains('\r'));
    }

    // On a large page only the edited elements are read back; where that
    // cannot tell, the whole page is.
    void largePagesCheckTheEditedElements()
    {
        const QByteArray page("<html><head><meta charset=utf-8></head><body>\n"
                              "<p id=a>one <b>bold</p> after\n<div id=box><p id=c>three</p>\n"
                              "<p id=d>four</p></div>\n</body></html>\n");
        const auto checked = [this] {
            return evaluateInEngine(editor, QStringLiteral("Corvane.source.checked")).toString();
        };
        COMPONENT_OK(loadBytes("large.html", page));
        evaluateInEngine(editor, QStringLiteral("Corvane.source.wholeCheckUpTo = 0"));
        QVERIFY(typeAt("#d", "NEW "));
        QByteArray saved;
        COMPONENT_OK(saved = saveChecked("large-1.html"));
        // The bold the parser opened again after the first paragraph is
        // written from its text, which opens it again on reading: the
        // edited element alone is read back.
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(checked(), QStringLiteral("edited"));
        QCOMPARE(changedLines(page, saved), QList<int>{3});

        // An edit whose nearest element with an end tag of its own is the
        // body cannot be read back alone.
        COMPONENT_OK(loadBytes("large-open.html",
                               "<html><head><meta charset=utf-8></head><body>\n<p>one</p>\n"
                               "<p id=e>five\n</body></html>\n"));
        evaluateInEngine(editor, QStringLiteral("Corvane.source.wholeCheckUpTo = 0"));
        QVERIFY(typeAt("#e", "NEW "));
        COMPONENT_OK(saveChecked("large-open-saved.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(checked(), QStringLiteral("whole"));

        COMPONENT_OK(loadBytes("large-plain.html",
                               "<html><head><meta charset=utf-8></head><body>\n<p>one</p>\n"
                               "<div id=box><p id=c>three</p>\n<p id=d>four</p></div>\n"
                               "</body></html>\n"));
        evaluateInEngine(editor, QStringLiteral("Corvane.source.wholeCheckUpTo = 0"));
        QVERIFY(typeAt("#d", "NEW "));
        QVERIFY(run("document.getElementById('c').setAttribute('title', 'T'); return true;"));
        COMPONENT_OK(saved = saveChecked("large-2.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(checked(), QStringLiteral("edited"));
        QVERIFY(saved.contains("<p id=\"c\" title=\"T\">three</p>\n<p id=d>NEW four</p>"));

        // The page's colours: the body's start tag alone is new.
        QVERIFY(run("document.body.setAttribute('bgcolor', '#ffffcc'); return true;"));
        COMPONENT_OK(saved = saveChecked("large-3.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(checked(), QStringLiteral("edited"));
        QVERIFY(saved.contains("<body bgcolor=\"#ffffcc\">\n<p>one</p>\n"));
    }

    // A page put in from the source view is its own new text: unedited it
    // reads back exactly, edited only the edited element changes.
    void appliedTextIsTheNewOriginal()
    {
        COMPONENT_OK(loadBytes("applied.html", "<html><body><p>old</p></body></html>"));
        const QString text = QStringLiteral(
            "<!DOCTYPE html>\n<HTML><BODY>\n<P ALIGN=center>a &amp; b\n<P id=two>two\n"
            "<TABLE><TR><TD>cell</TABLE>\n</BODY></HTML>\n");
        COMPONENT_OK(editor->setDocumentHTML(text));
        checkLikeLargePages();
        QCOMPARE(editor->DocumentHTML(), text);
        QVERIFY(typeAt("#two", "NEW "));
        const QString after = editor->DocumentHTML();
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(changedLines(text.toUtf8(), after.toUtf8()), QList<int>{3});
        COMPONENT_OK(saveChecked("applied-saved.html"));
    }
};

WEB_TEST_MAIN(MinimalSaveTest)
#include "test_minimal_save.moc"

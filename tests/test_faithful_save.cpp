// Pages as real sites have them, edited and saved: nothing outside the edit
// changes, whatever came before the doctype, however the body ends, with CR
// LF line ends, with Word's and FrontPage's markup, and the text the edit did
// not touch keeps its references.

#include "file_bytes.h"
#include "web_test_main.h"

#include "platform/editing/page_file.h"

#include <QTemporaryDir>

namespace {

QString jsString(const QString &s)
{
    QString out = s;
    out.replace(u'\\', QLatin1String("\\\\")).replace(u'\'', QLatin1String("\\'"));
    out.replace(u'\n', QLatin1String("\\n")).replace(u'\r', QLatin1String("\\r"));
    return u'\'' + out + u'\'';
}

// Lines ending in a bare LF.
int bareLineFeeds(const QByteArray &bytes)
{
    return int(bytes.count('\n') - bytes.count("\r\n"));
}

} // namespace

class FaithfulSaveTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    WebEditingComponent *editor = nullptr;
    WebEditingComponent *checker = nullptr;

    bool run(const QString &script)
    {
        return evaluateInEngine(editor, QStringLiteral("(function () {%1})()").arg(script))
            .toBool();
    }

    QString how()
    {
        return evaluateInEngine(editor, QStringLiteral("Corvane.source.last")).toString();
    }

    void load(const QString &name, const QByteArray &bytes)
    {
        writeBytes(dir.filePath(name), bytes);
        editor->LoadDocument(dir.filePath(name));
    }

    // Puts the caret at offset `at` of the first text in the element
    // `selector` names (-1: its end), or selects `length` characters there.
    bool caret(const QString &selector, int at, int length = 0)
    {
        return run(QStringLiteral(
            "const el = document.querySelector(%1);"
            "if (!el) return false;"
            "const w = document.createTreeWalker(el, NodeFilter.SHOW_TEXT);"
            "const t = w.nextNode();"
            "const at = %2 < 0 ? t.data.length : %2;"
            "const r = document.createRange(); r.setStart(t, at); r.setEnd(t, at + %3);"
            "const s = document.getSelection(); s.removeAllRanges(); s.addRange(r);"
            "return true;").arg(jsString(selector)).arg(at).arg(length));
    }

    bool exec(const QString &command, const QString &value = QString())
    {
        return run(QStringLiteral("return document.execCommand(%1, false, %2);")
                       .arg(jsString(command), jsString(value)));
    }

    // Saves to name; the saved file must load into the page the editor holds.
    QByteArray save(const QString &name)
    {
        const QString path = dir.filePath(name);
        editor->SaveDocument(path);
        checker->LoadDocument(path);
        QString held = serializedOf(editor);
        QString loaded = serializedOf(checker);
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

    // A captured CGI header before the doctype: the parser takes it as the
    // start of the body and passes over the doctype, <HTML> and <HEAD>
    // after it. Two letters typed at the very start change nothing else,
    // and the charset declaration the save adds goes inside the head.
    void textBeforeTheDoctypeStays()
    {
        const QByteArray head("Content-type: text/html; charset=UTF-8\n\n"
                              "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
                              "<HTML><HEAD>");
        const QByteArray rest("<TITLE>Report</TITLE></HEAD>\n<BODY>\n<P>First &amp; last.</P>\n"
                              "</BODY></HTML>\n");
        COMPONENT_OK(load("cgi.html", head + rest));
        QVERIFY(caret("body", 0));
        QVERIFY(exec("insertText", "XY"));
        QByteArray saved;
        COMPONENT_OK(saved = save("cgi-saved.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(saved, "XY" + head
                            + "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                            + rest);
    }

    // </p></body></html> on one line: a block added at the very end of the
    // page goes before the end tags, which stay.
    void blockAddedAtTheEndKeepsTheEndTags()
    {
        const QByteArray page("<html><head><meta charset=utf-8><title>t</title></head>\n<body>\n"
                              "<p>One.</p>\n<p>Last.</p></body></html>\n");
        COMPONENT_OK(load("end.html", page));
        QVERIFY(caret("p:last-of-type", -1));
        QVERIFY(exec("insertParagraph"));
        QVERIFY(exec("insertText", "Added"));
        QByteArray saved;
        COMPONENT_OK(saved = save("end-enter.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QVERIFY2(saved.startsWith(page.left(page.indexOf("<p>Last"))), saved.constData());
        QVERIFY2(saved.endsWith("Last.</p><p>Added</p></body></html>\n"), saved.constData());

        COMPONENT_OK(load("end.html", page));
        QVERIFY(caret("p:last-of-type", -1));
        QVERIFY(exec("insertHTML", "<p>A</p><p>B</p>"));
        COMPONENT_OK(saved = save("end-paste.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QVERIFY2(saved.endsWith("<p>Last.A</p><p>B</p></body></html>\n"), saved.constData());
    }

    // CR LF line ends stay CR LF: around the edit, inside the edited
    // paragraph, in what the browser writes, and when the page has to be
    // written whole.
    void crLfLineEndsStay()
    {
        const QByteArray page("<html><head><meta charset=utf-8></head><body>\r\n"
                              "<table><tr><td>cell</td></tr></table>\r\n"
                              "<p id=p>\r\n  Hello world.\r\n</p>\r\n<p id=q>Next\r\nline.</p>\r\n"
                              "</body></html>\r\n");
        COMPONENT_OK(load("crlf.html", page));
        QVERIFY(caret("#p", 3));
        QVERIFY(exec("insertText", "EDITED "));
        QByteArray saved;
        COMPONENT_OK(saved = save("crlf-typed.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(bareLineFeeds(saved), 0);
        QVERIFY2(saved.contains("<table><tr><td>cell</td></tr></table>\r\n<p id=p>"),
                 saved.constData());
        QVERIFY2(saved.contains("Hello world.\r\n</p>\r\n<p id=q>Next\r\nline.</p>\r\n"
                                "</body></html>\r\n"),
                 saved.constData());

        // Line breaks in what the browser writes take the page's line end.
        QVERIFY(run("const pre = document.createElement('pre'); pre.textContent = 'a\\nb';"
                    "document.getElementById('q').after(pre); return true;"));
        COMPONENT_OK(saved = save("crlf-pasted.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QCOMPARE(bareLineFeeds(saved), 0);
        QVERIFY2(saved.contains("a\r\nb"), saved.constData());

        // Written whole (as a page too deeply nested to be paired is): still
        // CR LF everywhere.
        QVERIFY(run("Corvane.source.pairing = null; return true;"));
        COMPONENT_OK(saved = save("crlf-whole.html"));
        QCOMPARE(how(), QStringLiteral("serialized"));
        QVERIFY(saved.contains("\r\n"));
        QCOMPARE(bareLineFeeds(saved), 0);
    }

    // A Word "Save as HTML" page: its <xml> islands hold elements of names
    // the parser does not know, written self-closing (which closes nothing),
    // and <![if ...]> markers, which the parser reads as comments. An edit
    // after them is spliced; a page that must be written whole still keeps
    // the markers and the conditional comments as written.
    void wordPagesKeepTheirMarkup()
    {
        const QByteArray top(
            "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\">\r\n<head>\r\n"
            "<meta http-equiv=Content-Type content=\"text/html; charset=windows-1252\">\r\n"
            "<meta name=ProgId content=Word.Document>\r\n<title>Minutes</title>\r\n"
            "<!--[if gte mso 9]><xml>\r\n <o:DocumentProperties>\r\n  <o:Author>J</o:Author>\r\n"
            " </o:DocumentProperties>\r\n</xml><![endif]-->\r\n"
            "<xml>\r\n <o:shapedefaults v:ext=\"edit\" spidmax=\"1027\"/>\r\n</xml><xml>\r\n"
            " <o:shapelayout v:ext=\"edit\">\r\n  <o:idmap v:ext=\"edit\" data=\"1\"/>\r\n"
            " </o:shapelayout></xml>\r\n</head>\r\n\r\n"
            "<body lang=EN-US style='tab-interval:.5in'>\r\n\r\n<div class=Section1>\r\n\r\n");
        const QByteArray markers(
            "<p class=MsoNormal><![if !supportEmptyParas]>&nbsp;<![endif]><o:p></o:p></p>\r\n\r\n"
            "<p class=MsoNormal style='margin-left:.5in'><![if !supportLists]>1.<span "
            "style='font:7.0pt \"Times New Roman\"'>&nbsp;&nbsp; </span><![endif]>Numbered"
            "<o:p></o:p></p>\r\n\r\n");
        const QByteArray edited("<p class=MsoNormal id=target>Present: Ann, Bob<span style=\"mso-"
                                "spacerun: yes\">\xa0 </span>and Carl.</p>\r\n\r\n");
        const QByteArray end("</div>\r\n\r\n</body>\r\n\r\n</html>\r\n");
        const QByteArray page = top + markers + edited + end;
        COMPONENT_OK(load("word.htm", page));
        QVERIFY(caret("#target", 0));
        QVERIFY(exec("insertText", "NEW "));
        QByteArray saved;
        COMPONENT_OK(saved = save("word-typed.htm"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QByteArray expected = page;
        expected.replace("id=target>Present", "id=target>NEW Present");
        QCOMPARE(saved, expected);

        // Written whole, as a page too deeply nested to be paired is.
        QVERIFY(run("Corvane.source.pairing = null; return true;"));
        COMPONENT_OK(saved = save("word-whole.htm"));
        QCOMPARE(how(), QStringLiteral("serialized"));
        QVERIFY2(saved.contains("<![if !supportEmptyParas]>&nbsp;<![endif]>"), saved.constData());
        QVERIFY2(saved.contains("<![if !supportLists]>1."), saved.constData());
        QVERIFY2(saved.contains("<!--[if gte mso 9]><xml>\r\n <o:DocumentProperties>"),
                 saved.constData());
        QCOMPARE(bareLineFeeds(saved), 0);
    }

    // FrontPage's forms: one opened before a table and closed inside it,
    // one opened in a cell and closed after the table; and a centre tag
    // the parser puts out of the table before it. Edits inside the table
    // and in what was put out of it are spliced, the rest stays.
    void misnestedFormsStay()
    {
        const QByteArray page(
            "<HTML>\n<HEAD>\n<META NAME=\"GENERATOR\" CONTENT=\"Microsoft FrontPage 4.0\">\n"
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">\n"
            "<TITLE>Order</TITLE>\n</HEAD>\n<BODY BGCOLOR=#FFFFFF>\n<div align=\"center\"><center>\n"
            "<FORM METHOD=POST ACTION=\"/cgi-bin/order.pl\">\n<TABLE BORDER=0 WIDTH=400>\n"
            "<TR><TD id=name>Name</TD><TD><INPUT TYPE=text NAME=name SIZE=20></TD></TR>\n"
            "</center>\n<TR><TD>Mail</TD><TD><INPUT TYPE=text NAME=mail SIZE=20></TD></TR>\n"
            "</FORM>\n<TR><TD><P id=cell>Thank you &amp; goodbye.</P></TD></TR>\n"
            "<CENTER><B id=out>Put out</B></CENTER>\n"
            "</TABLE>\n<TABLE BORDER=1><TR><TD>\n<FORM ACTION=search.asp><INPUT NAME=q>"
            "<INPUT TYPE=submit VALUE=Go>\n</TD></TR></TABLE></FORM>\n<P id=last>Last line.</P>\n"
            "</BODY>\n</HTML>\n");
        COMPONENT_OK(load("forms.htm", page));
        QVERIFY(caret("#cell", 0));
        QVERIFY(exec("insertText", "NEW "));
        QByteArray saved;
        COMPONENT_OK(saved = save("forms-cell.htm"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QByteArray expected = page;
        expected.replace("<P id=cell>Thank", "<P id=cell>NEW Thank");
        QCOMPARE(saved, expected);

        QVERIFY(caret("#out", 0));
        QVERIFY(exec("insertText", "X"));
        COMPONENT_OK(saved = save("forms-out.htm"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        expected.replace("<B id=out>Put", "<B id=out>XPut");
        QCOMPARE(saved, expected);

        QVERIFY(caret("#last", 0));
        QVERIFY(exec("insertText", "Y"));
        COMPONENT_OK(saved = save("forms-last.htm"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        expected.replace("<P id=last>Last", "<P id=last>YLast");
        QCOMPARE(saved, expected);
    }

    // The text of the edited paragraph that the edit did not touch keeps its
    // character references, typed into or made bold in the middle.
    void untouchedTextKeepsItsReferences()
    {
        const QByteArray line("<p id=e>He said &quot;hi&quot; &#169; 2001 &mdash; done &amp; "
                              "dusted&nbsp;&#x41;.</p>");
        const QByteArray page("<html><head><meta charset=utf-8></head><body>\n" + line
                              + "\n<p>Other &mdash; para.</p>\n</body></html>\n");
        COMPONENT_OK(load("refs.html", page));
        QVERIFY(caret("#e", 0));
        QVERIFY(exec("insertText", "NEW "));
        QByteArray saved;
        COMPONENT_OK(saved = save("refs-typed.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        QByteArray expected = page;
        expected.replace("<p id=e>He", "<p id=e>NEW He");
        QCOMPARE(saved, expected);

        COMPONENT_OK(load("refs.html", page));
        QVERIFY(caret("#e", QString::fromUtf8("He said \"hi\" \u00a9 ").size(), 4));
        QVERIFY(exec("bold"));
        COMPONENT_OK(saved = save("refs-bold.html"));
        QCOMPARE(how(), QStringLiteral("spliced"));
        expected = page;
        expected.replace(" 2001 ", " <b>2001</b> ");
        QCOMPARE(saved, expected);
    }
};

WEB_TEST_MAIN(FaithfulSaveTest)
#include "test_faithful_save.moc"

// What leaves the real engine: the page's HTML read back and put in again
// (line breaks the parser eats, server code), and the HTML the clipboard gets
// (the page's own, with real URLs, without editing aids), offscreen.

#include "platform/editing/web_editing_component.h"
#include "web_test_main.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEngineScript>
#include <QWebEngineView>

class EngineRoundTripTest : public QObject
{
    Q_OBJECT
    ShownComponent shown;
    WebEditingComponent *component = nullptr;
    QTemporaryDir dir;

    QVariant evaluate(const QString &script) { return evaluateInEngine(component, script); }
    QString textOf(const QString &selector)
    {
        return evaluate(QStringLiteral("document.querySelector('%1').textContent").arg(selector))
            .toString();
    }
    QString body() { return bodyOf(component); }
    void select(const QString &selector, const QString &to = {}, const QString &collapse = {})
    {
        selectIn(component, selector, to, collapse);
    }
    QString writePage(const QString &name, const QString &html)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(html.toUtf8()) < 0)
            return {};
        return path;
    }
    QString clipboardHtml()
    {
        const QMimeData *mime = QApplication::clipboard()->mimeData();
        return mime ? mime->html() : QString();
    }
    QString clipboardText()
    {
        const QMimeData *mime = QApplication::clipboard()->mimeData();
        return mime ? mime->text() : QString();
    }
    QString fileUrl(const QString &name)
    {
        return QUrl::fromLocalFile(dir.filePath(name)).toString(QUrl::FullyEncoded);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir("my pics"));
        QVERIFY(shown.start());
        component = shown.component;
    }
    void cleanupTestCase() { shown.stop(); }
    void init()
    {
        component->setShowBorders(false);
        component->setShowDetails(false);
    }

    void leadingLineBreaksSurviveEveryRoundTrip_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<int>("breaks");
        for (const char *element : { "pre", "textarea", "listing" }) {
            for (int breaks = 0; breaks <= 2; ++breaks)
                QTest::addRow("%s, %d", element, breaks) << QString::fromLatin1(element) << breaks;
        }
    }
    void leadingLineBreaksSurviveEveryRoundTrip()
    {
        QFETCH(QString, element);
        QFETCH(int, breaks);
        const QString text = QStringLiteral("first line\n  second &amp; line\n");
        const QString page = QStringLiteral("<html><head></head><body><%1 id=\"t\">%2%3</%1>"
                                            "<p>after</p></body></html>")
                                 .arg(element, QString(breaks, u'\n'), text);
        COMPONENT_OK(component->setDocumentHTML(page));
        // The parser eats one line break after the start tag.
        const QString expected
            = QString(qMax(0, breaks - 1), u'\n') + QStringLiteral("first line\n  second & line\n");
        QCOMPARE(textOf("#t"), expected);
        QString html = component->DocumentHTML();
        const QString first = html;
        for (int round = 0; round < 3; ++round) {
            COMPONENT_OK(component->setDocumentHTML(html));
            QCOMPARE(textOf("#t"), expected);
            html = component->DocumentHTML();
            QCOMPARE(html, first);
        }
        // A page that does not start with a break is written as it came.
        if (breaks == 0)
            QVERIFY2(first.contains("<" + element + " id=\"t\">first line"), qPrintable(first));
    }

    void copiedHtmlIsThePagesOwnWithRealUrls_data()
    {
        QTest::addColumn<bool>("declaresUtf8"); // then the engine reads the file from disk
        QTest::newRow("served page") << false;
        QTest::newRow("page read from its file") << true;
    }
    void copiedHtmlIsThePagesOwnWithRealUrls()
    {
        QFETCH(bool, declaresUtf8);
        const QString name = declaresUtf8 ? "direct.htm" : "served.htm";
        const QString path = writePage(
            name,
            QStringLiteral("<html><head>%1</head><body><p id=\"a\">before<br>two</p>"
                           "<table border=\"0\" id=\"t\"><tr><td>cell <img id=\"pic\" "
                           "src=\"my pics/a.gif\" width=\"10\" height=\"10\"> "
                           "<a href=\"other.htm#x\">other</a> <a href=\"#top\">top</a> "
                           "<a href=\"http://example.com/q?a=1\">web</a></td></tr></table>"
                           "<p id=\"b\">after</p></body></html>")
                .arg(declaresUtf8 ? "<meta charset=\"utf-8\">" : ""));
        QVERIFY(!path.isEmpty());
        COMPONENT_OK(component->LoadDocument(path));
        QCOMPARE(component->view()->url().scheme(),
                 declaresUtf8 ? QStringLiteral("file") : QStringLiteral("editdoc"));
        component->setShowBorders(true);
        component->setShowDetails(true);
        QTest::qWait(600); // the detail glyphs are drawn a moment later
        select("#a", "#b");
        QApplication::clipboard()->setText("stale");
        COMPONENT_OK(component->ExecCommand(DECMD_COPY, OLECMDEXECOPT_DONTPROMPTUSER));
        const QString html = clipboardHtml();
        QVERIFY2(html.contains("<table border=\"0\" id=\"t\">"), qPrintable(html));
        for (const char *aid : { "outline", "dotted", "style=", "editdoc", "corvane", "?g=" })
            QVERIFY2(!html.contains(QLatin1String(aid)), qPrintable(html));
        QVERIFY2(html.contains("src=\"" + fileUrl("my pics/a.gif") + "\""), qPrintable(html));
        QVERIFY2(html.contains("href=\"" + fileUrl("other.htm") + "#x\""), qPrintable(html));
        QVERIFY2(html.contains("href=\"" + fileUrl(name) + "#top\""), qPrintable(html));
        QVERIFY2(html.contains("href=\"http://example.com/q?a=1\""), qPrintable(html));
        // The text is what the page shows, without the detail glyphs.
        const QString text = clipboardText();
        QVERIFY2(text.contains("before\ntwo") && text.contains("after"), qPrintable(text));
        QVERIFY2(!text.contains(QChar(0x21b5)), qPrintable(text));
        // The page itself keeps its relative URLs.
        QVERIFY(component->DocumentHTML().contains("src=\"my pics/a.gif\""));

        // A picture chosen as a control goes the same way.
        component->domCall("selectControl", QJsonObject { { "selector", "#pic" } });
        COMPONENT_OK(component->ExecCommand(DECMD_COPY, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(clipboardHtml(),
                 "<img id=\"pic\" src=\"" + fileUrl("my pics/a.gif")
                     + "\" width=\"10\" height=\"10\">");
    }

    void browsersOwnCopyAndCutGiveTheSameHtml()
    {
        const QString path = writePage(
            "keys.htm",
            "<html><body><p id=\"a\">one <b>bold</b></p><table id=\"t\"><tr><td>"
            "<img src=\"my pics/b.gif\"></td></tr></table><p id=\"b\">end</p></body></html>");
        COMPONENT_OK(component->LoadDocument(path));
        component->setShowBorders(true);
        QWidget *target = component->view()->focusProxy();
        target->setFocus();
        const QString before = body();
        select("#a", "#t");
        QApplication::clipboard()->setText("stale");
        QTest::keyClick(target, Qt::Key_C, Qt::ControlModifier);
        QTRY_VERIFY2(clipboardHtml().contains("<b>bold</b>"), qPrintable(clipboardHtml()));
        QString html = clipboardHtml();
        QVERIFY2(!html.contains("outline") && !html.contains("style=") && !html.contains("editdoc"),
                 qPrintable(html));
        QVERIFY2(html.contains("src=\"" + fileUrl("my pics/b.gif") + "\""), qPrintable(html));
        QCOMPARE(body(), before);

        select("#a");
        QApplication::clipboard()->setText("stale");
        QTest::keyClick(target, Qt::Key_X, Qt::ControlModifier);
        QTRY_VERIFY2(clipboardHtml().contains("<b>bold</b>"), qPrintable(clipboardHtml()));
        QVERIFY(!clipboardHtml().contains("style="));
        QCOMPARE(clipboardText(), QStringLiteral("one bold"));
        QTRY_VERIFY2(!body().contains("bold"), qPrintable(body()));
        // The cut is one step of the engine's history.
        COMPONENT_OK(component->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER));
        QCOMPARE(body(), before);
    }

    void serverCodeComesBackByteForByte()
    {
        const QStringList blocks {
            QStringLiteral("<?php echo 1; ?>"),
            QStringLiteral("<%= Request(\"name\") %>"),
            QStringLiteral("<?php echo $url; ?>"),
            QStringLiteral("<% =title & \"<b>\" %>"),
            QStringLiteral("<?php if ($c) echo 'checked'; ?>"),
            QStringLiteral("<?php if ($s) echo ' selected'; ?>"),
            QStringLiteral("<?php foreach ($rows as $r): ?>"),
        };
        // Declares UTF-8, so without its server code it would be read from disk.
        const QString page
            = QStringLiteral("<html><head><meta charset=\"utf-8\"><title>t</title></head>"
                             "<body><p id=\"p\">Hello %1 and %2.</p>"
                             "<p><a href=\"%3\" title='%4'>link</a></p>"
                             "<form><input type=\"checkbox\" %5 name=\"c\">"
                             "<select><option value=\"1\"%6>one</option></select></form>"
                             "<table><tr><td>a</td></tr>%7<tr><td>b</td></tr></table>"
                             "</body></html>")
                  .arg(blocks[0], blocks[1], blocks[2], blocks[3], blocks[4], blocks[5], blocks[6]);
        const QString path = writePage("server.htm", page);
        QTest::qWait(200); // the notifications of the page before
        QSignalSpy changed(component, &EditingComponent::ContentChanged);
        COMPONENT_OK(component->LoadDocument(path));
        QCOMPARE(component->view()->url().scheme(), QStringLiteral("editdoc"));
        QString html = component->DocumentHTML();
        for (const QString &block : blocks)
            QVERIFY2(html.contains(block), qPrintable(block + " missing from " + html));
        QVERIFY2(html.contains("<input type=\"checkbox\" " + blocks[4] + " name=\"c\">"),
                 qPrintable(html));
        QVERIFY2(html.contains("<option value=\"1\"" + blocks[5] + ">"), qPrintable(html));
        QVERIFY2(!html.contains("corvane") && !html.contains("<!--?"), qPrintable(html));

        // Each block in content is shown by a placeholder; none is an edit.
        const QStringList shownBlocks
            = component->domCall("serverPlaceholders").toVariant().toStringList();
        QCOMPARE(shownBlocks, QStringList({ blocks[0], blocks[1], blocks[6] }));
        QTest::qWait(100);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(component->QueryStatus(DECMD_UNDO), int(DECMDF_DISABLED));

        // Editing around the blocks and putting the page in again (as the
        // source view does) keeps them.
        select("#p");
        COMPONENT_OK(component->ExecCommand(DECMD_BOLD, OLECMDEXECOPT_DONTPROMPTUSER));
        html = component->DocumentHTML();
        QVERIFY2(html.contains("<b>Hello "), qPrintable(html));
        QVERIFY2(html.indexOf(blocks[0]) >= 0 && html.indexOf(blocks[0]) < html.indexOf(blocks[1]),
                 qPrintable(html));
        COMPONENT_OK(component->setDocumentHTML(html));
        QCOMPARE(component->DocumentHTML(), html);

        // Copying takes the code along as it was written.
        select("#p");
        COMPONENT_OK(component->ExecCommand(DECMD_COPY, OLECMDEXECOPT_DONTPROMPTUSER));
        QVERIFY2(clipboardHtml().contains(blocks[0]) && !clipboardHtml().contains("corvane"),
                 qPrintable(clipboardHtml()));

        // Deleting a placeholder deletes its block, and undo brings it back.
        QWidget *target = component->view()->focusProxy();
        target->setFocus();
        component->setDocumentHTML("<html><body><p id=\"q\">a " + blocks[0]
                                   + "</p><p>b</p></body></html>");
        select("#q", {}, "end");
        QTest::keyClick(target, Qt::Key_Backspace);
        QTRY_VERIFY2(!component->DocumentHTML().contains("<?php"),
                     qPrintable(component->DocumentHTML()));
        QTRY_COMPARE(component->domCall("serverPlaceholders").toArray().size(), 0);
        COMPONENT_OK(component->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER));
        QVERIFY2(component->DocumentHTML().contains("<p id=\"q\">a " + blocks[0] + "</p>"),
                 qPrintable(component->DocumentHTML()));
        QTRY_COMPARE(component->domCall("serverPlaceholders").toArray().size(), 1);
        COMPONENT_OK(component->ExecCommand(DECMD_REDO, OLECMDEXECOPT_DONTPROMPTUSER));
        QVERIFY(!component->DocumentHTML().contains("<?php"));
        QCOMPARE(component->QueryStatus(DECMD_REDO), int(DECMDF_DISABLED));
        // Typing beside a placeholder leaves the block alone.
        COMPONENT_OK(component->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER));
        select("#q", {}, "end");
        QTest::keyClicks(target, "zz");
        QTRY_VERIFY(component->DocumentHTML().contains("zz"));
        QVERIFY2(component->DocumentHTML().contains(blocks[0]),
                 qPrintable(component->DocumentHTML()));
    }
};

WEB_TEST_MAIN(EngineRoundTripTest)
#include "test_engine_round_trip.moc"

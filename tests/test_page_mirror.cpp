// The copy of the page the component keeps as the page changes (page_mirror.h,
// js/92-mirror.js) is the page: after every kind of edit, on pages whose large
// elements it cuts into pieces, it reads as the engine writes the page; and a
// copy that misses a notice says so rather than going on wrong.

#include "platform/editing/page_mirror.h"
#include "platform/editing/web_editing_component.h"
#include "web_test_main.h"

#include <QFile>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>

namespace {

QString paragraphs(int count, int words)
{
    QString out;
    for (int i = 0; i < count; ++i) {
        out += QStringLiteral("<p id=\"p%1\">").arg(i);
        for (int w = 0; w < words; ++w)
            out += QStringLiteral("word%1 ").arg(w);
        out += QStringLiteral("<b>bold %1</b> tail</p>\n").arg(i);
    }
    return out;
}

QString listing()
{
    QString lines;
    for (int i = 0; lines.size() < 20000; ++i)
        lines += QStringLiteral("    if (a &lt; %1 &amp;&amp; b &gt; 0) return; // line %1\n").arg(i);
    return lines;
}

} // namespace

class PageMirrorTest : public QObject
{
    Q_OBJECT
    ShownComponent shown;
    WebEditingComponent *c = nullptr;
    QTemporaryDir dir;

    QWidget *typing() { return c->view()->focusProxy(); }

    // The kept copy must read as the engine's serialisation of the page.
    // The engine's answer comes after the notices of every change before
    // the request, and the copy takes each notice as it arrives.
    void expectKept(const char *step)
    {
        QString engine;
        COMPONENT_OK(engine = c->RecoveryHTML());
        const auto kept = c->KeptRecoveryHTML();
        QVERIFY2(kept, step);
        const QString copy = kept();
        if (copy != engine) {
            qsizetype at = 0;
            while (at < copy.size() && at < engine.size() && copy[at] == engine[at])
                ++at;
            qWarning().noquote() << step << "differs at" << at << "\n kept:  "
                                 << copy.mid(std::max<qsizetype>(0, at - 60), 160)
                                 << "\n engine:" << engine.mid(std::max<qsizetype>(0, at - 60), 160);
        }
        QVERIFY2(copy == engine, step);
    }
    void waitForText(const QString &text)
    {
        QTRY_VERIFY2_WITH_TIMEOUT(serializedOf(c).contains(text), qPrintable(text), 10000);
    }
    // As a quick typist does: keys sent all at once into a block the page
    // just made were seen to land in reverse order on this platform.
    void keys(const QString &text)
    {
        QTest::keyClicks(typing(), text, Qt::NoModifier, 20);
        waitForText(text.right(4));
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = {})
    {
        QSignalSpy changed(c, &EditingComponent::ContentChanged);
        QTest::keyClick(typing(), k, mods);
        changed.wait(3000);
    }

private slots:
    void initTestCase()
    {
        if (!shown.start())
            QSKIP("no active window for typing");
        c = shown.component;
    }
    void cleanupTestCase() { shown.stop(); }

    void theKeptCopyIsThePageAfterEveryEdit_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("blocks") << QStringLiteral(
            "<!DOCTYPE html>\n<!-- before -->\n<html><head><title>t &amp; u</title></head>"
            "<body><h1>Title</h1><p id=\"a\">Alpha one</p><p id=\"b\">Beta two</p>"
            "<ul><li>x</li><li>y</li></ul><table><tr><td>c1</td><td>c2</td></tr></table>"
            "</body></html>\n<!-- after -->");
        // The wrapper and its long paragraphs are cut into pieces.
        QTest::newRow("wrapper") << QStringLiteral("<html><body><div class=\"content\">\n%1</div>"
                                                   "</body></html>")
                                        .arg(paragraphs(60, 200));
        // One long text: its piece travels as the part that changed.
        QTest::newRow("listing")
            << QStringLiteral("<html><body><h1>Code</h1><pre id=\"a\">\n%1</pre><p id=\"b\">The "
                              "end.</p></body></html>")
                   .arg(listing());
        // What the page's text gets back from the engine's HTML.
        QTest::newRow("server code and refresh")
            << QStringLiteral("<html><head><meta http-equiv=\"Refresh\" content=\"5\"></head><body>"
                              "<p id=\"a\">Alpha <% =Now() %> one</p><p id=\"b\">Beta</p>"
                              "<?php echo 1; ?></body></html>");
    }
    void theKeptCopyIsThePageAfterEveryEdit()
    {
        QFETCH(QString, page);
        const QString file = dir.filePath("page.htm");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(page.toUtf8());
        f.close();
        COMPONENT_OK(c->LoadDocument(file));
        typing()->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(c->KeptRecoveryHTML(), 10000);
        expectKept("as loaded");

        const QString first = page.contains("id=\"a\"") ? QStringLiteral("#a") : QStringLiteral("#p3");
        const QString second = page.contains("id=\"b\"") ? QStringLiteral("#b") : QStringLiteral("#p40");
        selectIn(c, first, {}, "end");
        keys(QStringLiteral(" typed here"));
        expectKept("typing");
        key(Qt::Key_Left);
        key(Qt::Key_Left);
        key(Qt::Key_Return);
        keys(QStringLiteral("new block"));
        expectKept("a block split");
        key(Qt::Key_Home);
        key(Qt::Key_Backspace);
        expectKept("two blocks joined");
        selectIn(c, first, second);
        key(Qt::Key_Delete);
        expectKept("a selection across blocks deleted");
        keys(QStringLiteral("bold"));
        key(Qt::Key_Left, Qt::ShiftModifier);
        key(Qt::Key_Left, Qt::ShiftModifier);
        COMPONENT_OK(c->ExecCommand(DECMD_BOLD, OLECMDEXECOPT_DONTPROMPTUSER));
        expectKept("a command");
        COMPONENT_OK(PageDom(c).selection().createRange().pasteHTML(
            QStringLiteral("<h2>Pasted</h2><p>one</p><p>two &amp; more</p>")));
        expectKept("HTML pasted");
        COMPONENT_OK(PageDom(c).setBodyAttribute(QStringLiteral("bgColor"), QStringLiteral("#ffee00")));
        expectKept("the body's colour");
        for (int i = 0; i < 3; ++i)
            COMPONENT_OK(c->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER));
        expectKept("undone");
        COMPONENT_OK(c->ExecCommand(DECMD_REDO, OLECMDEXECOPT_DONTPROMPTUSER));
        expectKept("redone");
        COMPONENT_OK(c->ExecCommand(DECMD_SELECTALL, OLECMDEXECOPT_DONTPROMPTUSER));
        key(Qt::Key_Delete);
        keys(QStringLiteral("all new"));
        expectKept("everything replaced");
    }

    // The pieces as the engine's notices change them, and a copy that can
    // no longer follow the page.
    void noticesApplyInOrderOrTheCopyIsLost()
    {
        QStringList pieces { "<p>", "abc", "</p>" };
        QVERIFY(applyMirrorOps(pieces,
                               QJsonArray { QJsonObject { { "at", 1 }, { "from", 1 }, { "remove", 1 },
                                                          { "text", "XY" } },
                                            QJsonObject { { "at", 3 }, { "remove", 0 },
                                                          { "insert", QJsonArray { "<hr>" } } },
                                            QJsonObject { { "at", 0 }, { "text", "<p id=x>" } } }));
        QCOMPARE(pieces, (QStringList { "<p id=x>", "aXYc", "</p>", "<hr>" }));
        QStringList before = pieces;
        QVERIFY(!applyMirrorOps(pieces, QJsonArray { QJsonObject { { "at", 3 }, { "remove", 2 },
                                                                   { "insert", QJsonArray {} } } }));
        QVERIFY(!applyMirrorOps(before, QJsonArray { QJsonObject { { "at", 1 }, { "from", 3 },
                                                                   { "remove", 2 }, { "text", "" } } }));

        PageMirror mirror;
        QVERIFY(!mirror.holds("one"));
        QCOMPARE(mirror.take({ { "instance", "one" }, { "seq", 0 }, { "reset", QJsonArray { "<p>", "</p>" } } }),
                 PageMirror::Outcome::Applied);
        QVERIFY(mirror.holds("one"));
        const QJsonArray ops { QJsonObject { { "at", 1 }, { "remove", 0 }, { "insert", QJsonArray { "a" } } } };
        QCOMPARE(mirror.take({ { "instance", "one" }, { "seq", 1 }, { "ops", ops } }),
                 PageMirror::Outcome::Applied);
        QCOMPARE(mirror.text(), "<p>a</p>");
        // Another engine's notice leaves the copy as it is.
        QCOMPARE(mirror.take({ { "instance", "two" }, { "seq", 2 }, { "ops", ops } }),
                 PageMirror::Outcome::Ignored);
        QCOMPARE(mirror.text(), "<p>a</p>");
        // A notice missed: the copy is no longer the page until the next reset.
        QCOMPARE(mirror.take({ { "instance", "one" }, { "seq", 3 }, { "ops", ops } }),
                 PageMirror::Outcome::Lost);
        QVERIFY(!mirror.holds("one"));
        QCOMPARE(mirror.take({ { "instance", "one" }, { "seq", 4 }, { "ops", ops } }),
                 PageMirror::Outcome::Lost);
        QCOMPARE(mirror.take({ { "instance", "one" }, { "seq", 0 }, { "reset", QJsonArray { "<p>b</p>" } } }),
                 PageMirror::Outcome::Applied);
        QVERIFY(mirror.holds("one"));
        QCOMPARE(mirror.text(), "<p>b</p>");
    }
};

WEB_TEST_MAIN(PageMirrorTest)
#include "test_page_mirror.moc"

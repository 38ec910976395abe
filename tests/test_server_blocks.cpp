// Server code in pages: which form each block's token takes where it stands,
// and that reading the page back gives every block exactly as written, also
// after the browser has written the tokens its own way.

#include "platform/editing/server_blocks.h"

#include "app/editing_component.h"
#include "platform/editing/html_rules.h"

#include <QJsonArray>
#include <QtTest>

namespace {

QString token(int n, const QString &key = QStringLiteral("0"))
{
    return QStringLiteral("_corvane_server_%1_%2_").arg(key).arg(n);
}

QString comment(int n)
{
    return "<!--" + token(n) + "-->";
}

} // namespace

class ServerBlocksTest : public QObject
{
    Q_OBJECT

private slots:
    void eachBlockTakesTheFormOfWhereItStands_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("protectedPage");

        QTest::newRow("php in text") << "<p>a <?php echo 1; ?> b</p>"
                                     << "<p>a " + comment(0) + " b</p>";
        QTest::newRow("asp in text") << "<p><%= Request(\"name\") %></p>"
                                     << "<p>" + comment(0) + "</p>";
        QTest::newRow("quotes inside a quoted value")
            << "<a href=\"<?php echo \"x.htm\"; ?>\" title='<%= t('a') %>'>x</a>"
            << "<a href=\"" + token(0) + "\" title='" + token(1) + "'>x</a>";
        QTest::newRow("unquoted value") << "<td width=<?= $w ?>>c</td>"
                                        << "<td width=" + token(0) + ">c</td>";
        QTest::newRow("value with text around") << "<img src=\"/img/<?= $id ?>.gif\" alt=x>"
                                                << "<img src=\"/img/" + token(0) + ".gif\" alt=x>";
        QTest::newRow("between attributes")
            << "<input type=\"checkbox\" <?php if ($c) echo 'checked'; ?> name=\"c\">"
            << "<input type=\"checkbox\" " + token(0) + " name=\"c\">";
        QTest::newRow("part of an attribute name") << "<div data-<?= $k ?>=\"1\">"
                                                   << "<div data-" + token(0) + "=\"1\">";
        QTest::newRow("in head") << "<head><title><?= $t ?></title><?php include 'h.php'; ?>"
                                    "<meta name=\"d\" content=\"<?= $d ?>\"></head>"
                                 << "<head><title>" + token(0) + "</title>" + comment(1)
                + "<meta name=\"d\" content=\"" + token(2) + "\"></head>";
        QTest::newRow("between table rows")
            << "<table><tr><td>a</td></tr><?php foreach ($rows as $r): ?><tr><td><?= $r ?>"
               "</td></tr><?php endforeach; ?></table>"
            << "<table><tr><td>a</td></tr>" + comment(0) + "<tr><td>" + comment(1) + "</td></tr>"
                + comment(2) + "</table>";
        // A closing tag inside a block does not close the script around it.
        QTest::newRow("in a script")
            << "<script>var a = '<?php echo \"</script>\"; ?>';</script><p><?= 2 ?></p>"
            << "<script>var a = '" + token(0) + "';</script><p>" + comment(1) + "</p>";
        QTest::newRow("in style and textarea")
            << "<style>p { color: <?= $c ?> }</style><textarea><% =v %></textarea><i><?=1?></i>"
            << "<style>p { color: " + token(0) + " }</style><textarea>" + token(1)
                + "</textarea><i>" + comment(2) + "</i>";
        QTest::newRow("inside a comment, whose end it holds")
            << "<!-- <?php echo '-->'; ?> --><?= 1 ?>"
            << "<!-- " + token(0) + " -->" + comment(1);
        QTest::newRow("xml declaration left alone")
            << "<?xml version=\"1.0\"?><?XML x?><p><?php x(); ?></p>"
            << "<?xml version=\"1.0\"?><?XML x?><p>" + comment(0) + "</p>";
        QTest::newRow("unterminated php runs to the end") << "<p>a</p><?php echo 1;\n$b = '<p>';\n"
                                                          << "<p>a</p>" + comment(0);
        QTest::newRow("before the doctype") << "<?php session_start(); ?>\n<!DOCTYPE html><html>"
                                            << comment(0) + "\n<!DOCTYPE html><html>";
    }

    void eachBlockTakesTheFormOfWhereItStands()
    {
        QFETCH(QString, page);
        QFETCH(QString, protectedPage);
        const ProtectedPage p = protectServerBlocks(page);
        QCOMPARE(p.html, protectedPage);
        QVERIFY(hasServerBlocks(page));
        // Nothing of the code is left for the browser to see.
        QVERIFY(!hasServerBlocks(p.html));
        QCOMPARE(p.table.restore(p.html), page);
    }

    // Server code is what a server runs: an opener it never sees closed is
    // the page's text (an open "<?php" aside, which PHP runs to the end).
    void unclosedOpenersAreText()
    {
        QString paragraphs;
        for (int i = 0; i < 20; ++i)
            paragraphs += QStringLiteral("<p>Sales rose in region %1 again this quarter.</p>\n").arg(i);
        const QString pages[] = {
            "<p>Prices fell by less than 5<% of sales.</p>\n" + paragraphs,
            "<a href=\"<% x\">y</a>",
            "<p>a <? b</p><p><?phpinfo</p>",
        };
        for (const QString &page : pages) {
            QVERIFY2(!hasServerBlocks(page), qPrintable(page));
            QCOMPARE(protectServerBlocks(page).html, page);
            QCOMPARE(pageRejectionCode(page), 0u);
        }
        // An opener with a closer anywhere after it runs to that closer, as
        // the server reads it; a page that is mostly code is still refused.
        const QString mixed = "<p>5<% of</p>\n" + paragraphs + "<p><%= total %></p>";
        const ProtectedPage p = protectServerBlocks(mixed);
        QCOMPARE(p.table.blocks().size(), qsizetype(1));
        QVERIFY(p.table.blocks().at(0).code.endsWith(u"<%= total %>"));
        QCOMPARE(pageRejectionCode("<% a = 1\nb = 2\nResponse.Write(a + b) %>\n<p>x</p>"),
                 ComponentErrorCode::ServerScript);
        QCOMPARE(pageRejectionCode("<p>x</p><?php\n$a = 1;\nfunction f() { return 2; }\n"),
                 ComponentErrorCode::ServerScript);
    }

    void pagesWithoutBlocksPassUntouched()
    {
        for (const QString &page : { QStringLiteral(""), QStringLiteral("<p>5 > 3 and 2 < 4</p>"),
                                     QStringLiteral("<?xml version=\"1.0\"?><html></html>") }) {
            QVERIFY(!hasServerBlocks(page));
            const ProtectedPage p = protectServerBlocks(page);
            QCOMPARE(p.html, page);
            QVERIFY(p.table.isEmpty());
            QCOMPARE(p.table.restore(page), page);
        }
    }

    // The browser writes an attribute without a value as name="" and puts one
    // space before each attribute, glued or not.
    void attributeBlocksComeBackFromTheBrowsersWriting_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("asWritten"); // the browser's serialisation, %0/%1 tokens

        QTest::newRow("alone between attributes")
            << "<input type=\"checkbox\" <?php if ($c) echo 'checked'; ?> name=\"c\">"
            << "<input type=\"checkbox\" %0=\"\" name=\"c\">";
        QTest::newRow("last in the tag") << "<input <?php echo 'disabled'; ?>>"
                                         << "<input %0=\"\">";
        QTest::newRow("glued to a quoted value")
            << "<option value=\"1\"<?php if ($s) echo ' selected'; ?>>one</option>"
            << "<option value=\"1\" %0=\"\">one</option>";
        QTest::newRow("glued to the tag name") << "<div<?php echo ' id=\"x\"'; ?>>a</div>"
                                               << "<div %0=\"\">a</div>";
        QTest::newRow("two side by side") << "<input <?php a(); ?><?php b(); ?>>"
                                          << "<input %0=\"\" %1=\"\">";
        QTest::newRow("the name of an attribute") << "<div <?= $n ?>=\"v\">"
                                                  << "<div %0=\"v\">";
    }

    void attributeBlocksComeBackFromTheBrowsersWriting()
    {
        QFETCH(QString, page);
        QFETCH(QString, asWritten);
        const ProtectedPage p = protectServerBlocks(page);
        for (const ServerBlock &block : p.table.blocks())
            QCOMPARE(block.form, ServerBlock::Form::Attribute);
        QString written = asWritten;
        written.replace("%0", p.table.token(0)).replace("%1", p.table.token(1));
        QCOMPARE(p.table.restore(written), page);
    }

    void manyBlocksKeepTheirOwnNumbers()
    {
        QString page;
        for (int i = 0; i < 1200; ++i)
            page += QStringLiteral("<p title=\"<?= $t[%1] ?>\"><?php echo %1; ?>%1</p>\n").arg(i);
        const ProtectedPage p = protectServerBlocks(page);
        QCOMPARE(p.table.blocks().size(), qsizetype(2400));
        QCOMPARE(p.table.blocks().at(2399).code, QStringLiteral("<?php echo 1199; ?>"));
        // A block's number never runs into the digits written after it.
        QVERIFY(p.html.contains("<p title=\"" + token(2) + "\">" + comment(3) + "1</p>"));
        QCOMPARE(p.table.restore(p.html), page);
        // Blocks moved or copied by editing come back where they now stand.
        QString edited = p.html;
        edited.replace(comment(3), comment(5) + comment(3)).remove(comment(7));
        QString expected = page;
        expected.replace("<?php echo 1; ?>", "<?php echo 2; ?><?php echo 1; ?>")
            .remove("<?php echo 3; ?>");
        QCOMPARE(p.table.restore(edited), expected);
    }

    void tokensThePageAlreadyHoldsAreNeverTaken()
    {
        const QString page = "<p>_corvane_server_0_0_ and _CORVANE_SERVER_1_0_</p><?php x(); ?>";
        const ProtectedPage p = protectServerBlocks(page);
        QCOMPARE(p.table.key(), QStringLiteral("2"));
        QCOMPARE(p.html,
                 "<p>_corvane_server_0_0_ and _CORVANE_SERVER_1_0_</p><!--" + token(0, "2")
                     + "-->");
        QCOMPARE(p.table.restore(p.html), page);
        // Tokens of another table, or beyond this one's blocks, stay as they are.
        const QString foreign
            = comment(0) + "<!--" + token(1, "2") + "-->" + token(12, "2") + "_corvane_server_2_x_";
        QCOMPARE(p.table.restore(foreign), foreign);
    }

    void engineTableCarriesEveryBlock()
    {
        const ProtectedPage p = protectServerBlocks("<input <?php a(); ?>><p><% b %></p>");
        const QJsonObject json = p.table.toJson();
        QCOMPARE(json.value("key").toString(), p.table.key());
        const QJsonArray blocks = json.value("blocks").toArray();
        QCOMPARE(blocks.size(), 2);
        QCOMPARE(blocks[0].toObject().value("form").toString(), QStringLiteral("attribute"));
        QCOMPARE(blocks[0].toObject().value("standalone").toBool(), true);
        QCOMPARE(blocks[1].toObject().value("form").toString(), QStringLiteral("comment"));
        QCOMPARE(blocks[1].toObject().value("code").toString(), QStringLiteral("<% b %>"));
    }
};

QTEST_GUILESS_MAIN(ServerBlocksTest)
#include "test_server_blocks.moc"

// The table commands in the real engine: inserting a table, the cell
// selection, and the row, column, cell, merge and split commands on plain
// tables and on tables with spans, with their statuses and undo.

#include "platform/editing/web_editing_component.h"
#include "web_test_main.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QWebEngineView>

namespace {

// A grid of fixed cells: cell (row, column) has its middle at
// (column * 100 + 50, row * 40 + 20).
const char *kGridStyle = "<style>body{margin:0} table{border-collapse:collapse}"
                         " td{width:100px;height:40px;padding:0;border:0}</style>";

// Row 0: a b c / row 1: a e f / row 2: g h h (a spans two rows, h two columns).
const char *kSpanned
    = "<table id=\"t\" cellspacing=\"0\"><tbody>"
      "<tr><td id=\"a\" rowspan=\"2\">a</td><td id=\"b\">b</td><td id=\"c\">c</td></tr>"
      "<tr><td id=\"e\">e</td><td id=\"f\">f</td></tr>"
      "<tr><td id=\"g\">g</td><td id=\"h\" colspan=\"2\">h</td></tr>"
      "</tbody></table>";

const char *kPlain = "<table id=\"t\"><tbody>"
                     "<tr><td id=\"a\">a</td><td id=\"b\">b</td></tr>"
                     "<tr><td id=\"c\">c</td><td id=\"d\">d</td></tr>"
                     "</tbody></table>";

} // namespace

class EngineTablesTest : public QObject
{
    Q_OBJECT
    ShownComponent shown;
    WebEditingComponent *component = nullptr;

    void load(const QString &body, const QString &head = {})
    {
        component->setDocumentHTML("<html><head>" + head + "</head><body>" + body
                                   + "</body></html>");
        settle();
    }
    void settle()
    {
        QSignalSpy display(component, &EditingComponent::DisplayChanged);
        while (display.wait(150)) { }
    }
    QString body() { return bodyOf(component); }
    // The table's rows without the ids the test uses to point at cells.
    QString rows()
    {
        static const QRegularExpression ids(" id=\"[a-z]\"");
        static const QRegularExpression table("<tbody>(.*)</tbody>");
        return table.match(body()).captured(1).remove(ids);
    }
    void caretIn(const QString &selector) { selectIn(component, selector, {}, "start"); }
    void selectCells(const QString &from, const QString &to)
    {
        component->domCall("selectCells", QJsonObject { { "from", from }, { "to", to } });
        settle();
    }
    QStringList selectedCells()
    {
        QStringList out;
        for (const QJsonValue &v : component->domCall("selectedCells").toArray())
            out << v.toString();
        return out;
    }
    void exec(int cmd, const QVariant &input = {})
    {
        COMPONENT_OK(component->ExecCommand(cmd, OLECMDEXECOPT_DONTPROMPTUSER, input));
        settle();
    }
    int status(int cmd) { return component->QueryStatus(cmd); }
    // Runs a command at the cell(s) and checks what the table's rows become,
    // that nothing of the editor's own is left behind, and that one undo
    // brings the page back exactly.
    void checkCommand(int cmd, const QString &expectedRows)
    {
        const QString before = body();
        exec(cmd);
        QCOMPARE(rows(), expectedRows);
        QVERIFY2(!body().contains("corvane"), qPrintable(body()));
        exec(DECMD_UNDO);
        QCOMPARE(body(), before);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(shown.start());
        component = shown.component;
    }
    void cleanupTestCase() { shown.stop(); }

    void insertTableSplitsTheParagraphAtTheCaret()
    {
        load("<p id=\"p\">onetwo</p>");
        // At the start of a paragraph the table goes before it.
        selectIn(component, "#p", {}, "start");
        QCOMPARE(status(DECMD_INSERTTABLE), int(DECMDF_ENABLED));
        QCOMPARE(status(DECMD_INSERTROW), int(DECMDF_DISABLED));
        QCOMPARE(status(DECMD_MERGECELLS), int(DECMDF_DISABLED));
        QCOMPARE(status(DECMD_SPLITCELL), int(DECMDF_DISABLED));
        const QString before = body();

        DEInsertTableParam param;
        param.NumRows = 2;
        param.NumCols = 3;
        param.TableAttrs = "Border=\"1\"  Cellpadding=\"2\" Cellspacing=\"\"";
        param.CellAttrs = " Valign=\"Top\"";
        param.Caption = "Sales <2026>";
        COMPONENT_OK(
            component->ExecCommand(DECMD_INSERTTABLE, OLECMDEXECOPT_DONTPROMPTUSER, param));
        settle();
        const QString cell = "<td valign=\"Top\"><br></td>";
        const QString row = "<tr>" + cell + cell + cell + "</tr>";
        QCOMPARE(
            body(),
            "<table border=\"1\" cellpadding=\"2\" cellspacing=\"\"><caption>Sales &lt;2026&gt;"
            "</caption><tbody>"
                + row + row + "</tbody></table><p id=\"p\">onetwo</p>");
        // The caret is in the first cell, where the table commands now apply.
        QCOMPARE(status(DECMD_INSERTROW), int(DECMDF_ENABLED));
        exec(DECMD_UNDO);
        QCOMPARE(body(), before);
    }

    void insertTableInTheMiddleOfTextAndWithDefaults()
    {
        load("<p id=\"p\"><b id=\"b\">one</b>two</p>");
        // In the middle of a paragraph, it is split around the table.
        component->domCall("select", QJsonObject { { "selector", "#b" }, { "collapse", "end" } });
        settle();
        DEInsertTableParam param;
        param.NumRows = 1;
        param.NumCols = 1;
        param.CellAttrs = "Valign=\"Top\" onclick=\"x()\"><img src=x>";
        COMPONENT_OK(
            component->ExecCommand(DECMD_INSERTTABLE, OLECMDEXECOPT_DONTPROMPTUSER, param));
        settle();
        // The default attributes; the attribute text cannot bring in a
        // handler or an element of its own.
        QCOMPARE(body(),
                 "<p id=\"p\"><b id=\"b\">one</b></p><table border=\"1\" cellpadding=\"1\" "
                 "cellspacing=\"1\" width=\"75%\"><tbody><tr><td valign=\"Top\"><br></td></tr>"
                 "</tbody></table><p>two</p>");

        // Nothing is inserted for a table without rows or columns.
        const QString before = body();
        for (const auto &[r, c] : { std::pair { 0, 2 }, std::pair { 2, 0 }, std::pair { -1, 1 } }) {
            DEInsertTableParam bad;
            bad.NumRows = r;
            bad.NumCols = c;
            try {
                component->ExecCommand(DECMD_INSERTTABLE, OLECMDEXECOPT_DONTPROMPTUSER, bad);
                QFAIL("a table without cells was inserted");
            } catch (const ComponentError &e) {
                QCOMPARE(e.code(), ComponentErrorCode::InvalidArg);
            }
        }
        QCOMPARE(body(), before);
    }

    void aTableInACellIsEditedOnItsOwn()
    {
        load("<table id=\"outer\"><tbody><tr><td id=\"o\">x</td><td>y</td></tr></tbody></table>");
        selectIn(component, "#o", {}, "end");
        DEInsertTableParam param;
        param.NumCols = 2;
        param.TableAttrs.clear();
        COMPONENT_OK(
            component->ExecCommand(DECMD_INSERTTABLE, OLECMDEXECOPT_DONTPROMPTUSER, param));
        settle();
        const QString inner = "<table><tbody><tr><td><br></td><td><br></td></tr></tbody></table>";
        QCOMPARE(body(),
                 "<table id=\"outer\"><tbody><tr><td id=\"o\">x" + inner
                     + "</td><td>y</td></tr></tbody></table>");
        // The caret is in the inner table: its commands leave the outer one alone.
        exec(DECMD_INSERTCOL);
        exec(DECMD_DELETEROWS);
        QCOMPARE(body(),
                 QStringLiteral("<table id=\"outer\"><tbody><tr><td id=\"o\">x</td>"
                                "<td>y</td></tr></tbody></table>"));
    }

    void rowsColumnsAndCellsOfAPlainTable()
    {
        load(kPlain);
        caretIn("#d");
        for (const int cmd : { DECMD_INSERTROW, DECMD_INSERTCOL, DECMD_INSERTCELL, DECMD_DELETEROWS,
                               DECMD_DELETECOLS, DECMD_DELETECELLS })
            QCOMPARE(status(cmd), int(DECMDF_ENABLED));
        const QString br = "<td><br></td>";
        checkCommand(DECMD_INSERTROW,
                     "<tr><td>a</td><td>b</td></tr><tr>" + br + br
                         + "</tr><tr><td>c</td><td>d</td></tr>");
        caretIn("#d");
        checkCommand(DECMD_INSERTCOL,
                     "<tr><td>a</td>" + br + "<td>b</td></tr><tr><td>c</td>" + br
                         + "<td>d</td></tr>");
        caretIn("#d");
        checkCommand(DECMD_INSERTCELL,
                     "<tr><td>a</td><td>b</td></tr><tr><td>c</td>" + br + "<td>d</td></tr>");
        caretIn("#d");
        checkCommand(DECMD_DELETEROWS, "<tr><td>a</td><td>b</td></tr>");
        caretIn("#d");
        checkCommand(DECMD_DELETECOLS, "<tr><td>a</td></tr><tr><td>c</td></tr>");
        caretIn("#d");
        checkCommand(DECMD_DELETECELLS, "<tr><td>a</td><td>b</td></tr><tr><td>c</td></tr>");

        // Every cell the selection touches.
        selectCells("#b", "#d");
        checkCommand(DECMD_DELETECOLS, "<tr><td>a</td></tr><tr><td>c</td></tr>");
        selectCells("#a", "#b");
        checkCommand(DECMD_DELETEROWS, "<tr><td>c</td><td>d</td></tr>");
        selectCells("#a", "#b");
        checkCommand(DECMD_DELETECELLS, "<tr><td>c</td><td>d</td></tr>");
    }

    void deletingTheLastRowOrColumnRemovesTheTable()
    {
        for (const int cmd : { DECMD_DELETEROWS, DECMD_DELETECOLS, DECMD_DELETECELLS }) {
            load("<p>x</p>" + QString::fromLatin1(kPlain) + "<p>y</p>");
            const QString before = body();
            selectCells("#a", "#d");
            exec(cmd);
            QCOMPARE(body(), QStringLiteral("<p>x</p><p>y</p>"));
            // Outside a table, nothing is offered.
            QCOMPARE(status(cmd), int(DECMDF_DISABLED));
            exec(DECMD_UNDO);
            QCOMPARE(body(), before);
        }
    }

    void rowsAndColumnsKeepTheSpansOfOtherRows()
    {
        load(kSpanned);
        const QString br = "<td><br></td>";
        // a reaches into the new row from above and grows around it.
        caretIn("#e");
        checkCommand(DECMD_INSERTROW,
                     "<tr><td rowspan=\"3\">a</td><td>b</td><td>c</td></tr><tr>" + br + br
                         + "</tr><tr><td>e</td><td>f</td></tr>"
                           "<tr><td>g</td><td colspan=\"2\">h</td></tr>");
        caretIn("#b");
        checkCommand(DECMD_INSERTCOL,
                     "<tr><td rowspan=\"2\">a</td>" + br + "<td>b</td><td>c</td></tr><tr>" + br
                         + "<td>e</td><td>f</td></tr>"
                           "<tr><td>g</td>"
                         + br + "<td colspan=\"2\">h</td></tr>");
        // h reaches across the new column and grows.
        caretIn("#c");
        checkCommand(DECMD_INSERTCOL,
                     "<tr><td rowspan=\"2\">a</td><td>b</td>" + br + "<td>c</td></tr><tr><td>e</td>"
                         + br + "<td>f</td></tr><tr><td>g</td><td colspan=\"3\">h</td></tr>");
        // a starts in the deleted row and moves down into the next.
        caretIn("#b");
        checkCommand(DECMD_DELETEROWS,
                     "<tr><td>a</td><td>e</td><td>f</td></tr>"
                     "<tr><td>g</td><td colspan=\"2\">h</td></tr>");
        caretIn("#f");
        checkCommand(DECMD_DELETEROWS,
                     "<tr><td>a</td><td>b</td><td>c</td></tr>"
                     "<tr><td>g</td><td colspan=\"2\">h</td></tr>");
        caretIn("#c");
        checkCommand(DECMD_DELETECOLS,
                     "<tr><td rowspan=\"2\">a</td><td>b</td></tr><tr><td>e</td></tr>"
                     "<tr><td>g</td><td>h</td></tr>");
        caretIn("#g");
        checkCommand(DECMD_DELETECOLS,
                     "<tr><td>b</td><td>c</td></tr><tr><td>e</td><td>f</td></tr>"
                     "<tr><td colspan=\"2\">h</td></tr>");
    }

    void mergeABlockAndSplitItBack()
    {
        load(kSpanned);
        caretIn("#b");
        QCOMPARE(status(DECMD_MERGECELLS), int(DECMDF_DISABLED));
        QCOMPARE(status(DECMD_SPLITCELL), int(DECMDF_DISABLED));
        caretIn("#a");
        QCOMPARE(status(DECMD_SPLITCELL), int(DECMDF_ENABLED));

        selectCells("#b", "#f");
        QCOMPARE(selectedCells(), (QStringList { "b", "c", "e", "f" }));
        QVERIFY2(!body().contains("corvane"), qPrintable(body()));
        QCOMPARE(status(DECMD_MERGECELLS), int(DECMDF_ENABLED));
        const QString original = body();
        exec(DECMD_MERGECELLS);
        QCOMPARE(rows(),
                 QStringLiteral("<tr><td rowspan=\"2\">a</td><td colspan=\"2\" rowspan=\"2\">"
                                "b<br>c<br>e<br>f</td></tr><tr></tr>"
                                "<tr><td>g</td><td colspan=\"2\">h</td></tr>"));
        QCOMPARE(status(DECMD_MERGECELLS), int(DECMDF_DISABLED));
        QCOMPARE(status(DECMD_SPLITCELL), int(DECMDF_ENABLED));
        const QString merged = body();
        exec(DECMD_SPLITCELL);
        QCOMPARE(rows(),
                 QStringLiteral("<tr><td rowspan=\"2\">a</td><td>b<br>c<br>e<br>f</td>"
                                "<td><br></td></tr><tr><td><br></td><td><br></td></tr>"
                                "<tr><td>g</td><td colspan=\"2\">h</td></tr>"));
        QCOMPARE(status(DECMD_SPLITCELL), int(DECMDF_DISABLED));
        exec(DECMD_UNDO);
        QCOMPARE(body(), merged);
        exec(DECMD_UNDO);
        QCOMPARE(body(), original);

        // A rectangle grows to take in whole cells: e to h takes in f.
        selectCells("#e", "#h");
        QCOMPARE(selectedCells(), (QStringList { "e", "f", "h" }));
        checkCommand(DECMD_MERGECELLS,
                     "<tr><td rowspan=\"2\">a</td><td>b</td><td>c</td></tr>"
                     "<tr><td colspan=\"2\" rowspan=\"2\">e<br>f<br>h</td></tr>"
                     "<tr><td>g</td></tr>");
    }

    void cellsAreSelectedWithTheMouse()
    {
        load(kSpanned, kGridStyle);
        QWidget *target = component->view()->focusProxy();
        target->setFocus();
        const auto middle = [](int row, int col) { return QPoint(col * 100 + 50, row * 40 + 20); };
        // Shift+click from one cell to another selects the rectangle.
        QTest::mouseClick(target, Qt::LeftButton, {}, middle(0, 1));
        settle();
        QCOMPARE(status(DECMD_MERGECELLS), int(DECMDF_DISABLED));
        QTest::mouseClick(target, Qt::LeftButton, Qt::ShiftModifier, middle(1, 2));
        QTRY_COMPARE(selectedCells(), (QStringList { "b", "c", "e", "f" }));
        settle();
        QCOMPARE(status(DECMD_MERGECELLS), int(DECMDF_ENABLED));
        // A plain click goes back to a text selection.
        QTest::mouseClick(target, Qt::LeftButton, {}, middle(2, 0));
        QTRY_COMPARE(selectedCells(), QStringList());
        settle();
        QCOMPARE(status(DECMD_MERGECELLS), int(DECMDF_DISABLED));

        // Dragging from one cell across another.
        QTest::mousePress(target, Qt::LeftButton, {}, middle(0, 0));
        QTest::mouseMove(target, middle(0, 1));
        QTest::mouseMove(target, middle(1, 1));
        QTest::mouseRelease(target, Qt::LeftButton, {}, middle(1, 1));
        QTRY_COMPARE(selectedCells(), (QStringList { "a", "b", "e" }));
        settle();
        exec(DECMD_MERGECELLS);
        QCOMPARE(rows(),
                 QStringLiteral("<tr><td rowspan=\"2\" colspan=\"2\">a<br>b<br>e</td>"
                                "<td>c</td></tr><tr><td>f</td></tr>"
                                "<tr><td>g</td><td colspan=\"2\">h</td></tr>"));
    }

    // Tab goes from cell to cell, taking what the cell holds, and adds a row
    // after the last cell as one undo step; Shift+Tab goes back.
    void tabMovesBetweenCells()
    {
        load("<table><tbody><tr><td id=\"a\">a</td><td id=\"b\">bee</td></tr>"
             "<tr><td id=\"c\" class=\"k\">c</td><td id=\"d\">d</td></tr></tbody></table>");
        QWidget *target = component->view()->focusProxy();
        target->setFocus();
        caretIn("#a");
        const auto selected = [this] {
            return evaluateInEngine(component, "getSelection().toString()").toString();
        };
        QTest::keyClick(target, Qt::Key_Tab);
        QTRY_COMPARE(selected(), QStringLiteral("bee"));
        QTest::keyClick(target, Qt::Key_Backtab, Qt::ShiftModifier);
        QTRY_COMPARE(selected(), QStringLiteral("a"));
        caretIn("#d");
        QTest::keyClick(target, Qt::Key_Tab);
        QTRY_COMPARE(rows(),
                     QStringLiteral("<tr><td>a</td><td>bee</td></tr>"
                                    "<tr><td class=\"k\">c</td><td>d</td></tr>"
                                    "<tr><td class=\"k\"><br></td><td><br></td></tr>"));
        QTest::keyClicks(target, "x");
        QTRY_VERIFY2(rows().endsWith("<tr><td class=\"k\">x</td><td><br></td></tr>"),
                     qPrintable(rows()));
        exec(DECMD_UNDO);
        exec(DECMD_UNDO);
        QCOMPARE(rows(),
                 QStringLiteral("<tr><td>a</td><td>bee</td></tr>"
                                "<tr><td class=\"k\">c</td><td>d</td></tr>"));
        QVERIFY(!body().contains("\t") && !body().contains("white-space"));
    }

    // A command run right after keys that moved the caret out of a table
    // (a menu shortcut pressed at once) meets the caret where the keys left
    // it, not where the page last said it was.
    void statusFollowsKeysNotYetTold()
    {
        load("<table><tbody><tr><td id=\"a\">a</td></tr></tbody></table><p>after</p>");
        QWidget *target = component->view()->focusProxy();
        target->setFocus();
        caretIn("#a");
        settle();
        QCOMPARE(component->QueryStatus(DECMD_INSERTCOL), int(DECMDF_ENABLED));
        QTest::keyClick(target, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(component->QueryStatus(DECMD_INSERTCOL), int(DECMDF_DISABLED));
    }
};

WEB_TEST_MAIN(EngineTablesTest)
#include "test_engine_tables.moc"

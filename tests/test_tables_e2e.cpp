// Tables in the whole program, started as the user starts it, on the real
// editing engine: the Table menu, the table panel, typing into a cell, and
// the saved file.

#include "editor_program.h"
#include "web_test_main.h"

#include <QFile>
#include <QFrame>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

namespace {

QString fileText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TablesEndToEndTest : public QObject
{
    Q_OBJECT
    RunningEditor app;
    WebEditingComponent *&editor = app.editor;
    ScriptedDialogs &dialogs = app.dialogs;
    ScriptedFileDialogs *&files = app.files;
    std::unique_ptr<MainForm> &form = app.form;
    QTemporaryDir dir;

    MainWidgets &w() { return form->widgets(); }
    QWidget *page() { return editor->view()->focusProxy(); }
    void chooseFromTableMenu(const QString &item)
    {
        chooseFromNextMenu(this, item);
        w().Table->popup(form->menuBar()->mapToGlobal(QPoint(0, form->menuBar()->height())));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(app.start(false));
    }
    void cleanupTestCase()
    {
        app.stop();
    }

    void buildATableTypeIntoItAddARowAndSave()
    {
        QTRY_COMPARE(QApplication::focusWidget(), page());
        chooseFromTableMenu("Insert Table...");
        QTRY_VERIFY(w().FrameInserttable->isVisible());
        // The keyboard is in the rows field; Tab goes on to columns and border.
        auto *rows = w().FrameInserttable->findChild<QLineEdit *>("Rows");
        QTRY_COMPARE(QApplication::focusWidget(), rows);
        QTest::keyClicks(rows, "3");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "2");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "1");
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("TableAttrs"));
        QTest::mouseClick(w().FrameInserttable->findChild<QPushButton *>("OkCmd"), Qt::LeftButton);
        QVERIFY(!w().FrameInserttable->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), page());
        QTRY_VERIFY(editor->DocumentHTML().contains("<table border=\"1\""));

        // The caret is in the first cell.
        QTest::keyClicks(page(), "Cell one");
        QTRY_VERIFY2(editor->DocumentHTML().contains("<td>Cell one</td>"),
                     qPrintable(editor->DocumentHTML()));
        chooseFromTableMenu("Insert Row");
        QTRY_COMPARE(editor->DocumentHTML().count("<tr>"), 4);

        const QString path = dir.filePath("table.htm");
        files->saveChoice = path;
        w().FileSaveAs->trigger();
        QTRY_VERIFY(!fileText(path).isEmpty());
        static const QRegularExpression table("<table([^>]*)><tbody>(.*)</tbody></table>",
                                              QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = table.match(fileText(path));
        QVERIFY2(m.hasMatch(), qPrintable(fileText(path)));
        QCOMPARE(m.captured(1), QStringLiteral(" border=\"1\" cellpadding=\"\" cellspacing=\"\""));
        const QString empty = "<td><br></td>";
        // The new row went in above the row with the caret.
        QCOMPARE(m.captured(2).remove('\n'),
                 "<tr>" + empty + empty + "</tr><tr><td>Cell one</td>" + empty + "</tr><tr>" + empty
                     + empty + "</tr><tr>" + empty + empty + "</tr>");
        QVERIFY(dialogs.shown.isEmpty());
    }

    // The right-click menu offers the table items for the cell clicked, and
    // the positioning item for a positioned element.
    void rightClickMenuActsOnTheClickedCell()
    {
        const QString head = "<tr>";
        const auto middleOf = [this](const QString &selector) {
            const QJsonObject r
                = editor->domCall("boundingRect", QJsonObject { { "selector", selector } })
                      .toObject();
            return QPoint(int(r["left"].toDouble() + r["width"].toDouble() / 2),
                          int(r["top"].toDouble() + r["height"].toDouble() / 2));
        };
        const QPoint cell = middleOf("tr:nth-child(2) > td");
        QStringList texts;
        chooseFromNextMenu(this, "Delete Row", &texts);
        QTest::mouseClick(page(), Qt::RightButton, {}, cell);
        QTRY_VERIFY(!editor->DocumentHTML().contains("Cell one"));
        QCOMPARE(
            texts,
            (QStringList { "Cut", "Copy", "Paste", "-", "Select All", "-", "Font...", "-",
                           "Insert Row", "Insert Column", "-", "Delete Row", "Delete Column" }));
        QCOMPARE(editor->DocumentHTML().count(head), 3);

        // A positioned box: the right-click chooses it; its item takes it back
        // into the flow.
        editor->setDocumentHTML(
            "<html><body><p>text</p><div id=\"box\" style=\"position: absolute; left: 100px; "
            "top: 100px; width: 80px; height: 40px;\">box</div></body></html>");
        QTest::qWait(300);
        texts.clear();
        chooseFromNextMenu(this, "Make 1D HTML", &texts);
        QTest::mouseClick(page(), Qt::RightButton, {}, middleOf("#box"));
        QTRY_VERIFY(!editor->DocumentHTML().contains("absolute"));
        QCOMPARE(texts.mid(7), (QStringList { "-", "Make 1D HTML" }));
    }
};

WEB_TEST_MAIN(TablesEndToEndTest)
#include "test_tables_e2e.moc"

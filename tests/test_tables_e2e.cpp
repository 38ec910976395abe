// Tables in the whole program, started as the user starts it, on the real
// editing engine: the Table menu, the table panel, typing into a cell, and
// the saved file.

#include "app/main_form.h"
#include "app/main_widgets.h"
#include "app/start.h"
#include "app/wire_subsystems.h"
#include "platform/editing/html_store_component.h"
#include "platform/editing/web_editing_component.h"
#include "scripted_dialogs.h"
#include "scripted_file_dialogs.h"
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

// Chooses the item with the given text from the next pop-up menu, once it is up.
void chooseFromNextMenu(QObject *context, const QString &text)
{
    auto *poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, text] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        poll->deleteLater();
        for (QAction *a : menu->actions()) {
            if (a->text() == text)
                menu->setActiveAction(a);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
    poll->start(20);
}

// The texts of the next pop-up menu ("-" for a separator), then chooses the
// item with the given text from it.
void readAndChooseFromNextMenu(QObject *context, QStringList *texts, const QString &text)
{
    auto *poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, texts, text] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        poll->deleteLater();
        for (QAction *a : menu->actions()) {
            *texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
            if (a->text() == text)
                menu->setActiveAction(a);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
    poll->start(20);
}

QString fileText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TablesEndToEndTest : public QObject
{
    Q_OBJECT
    WebEditingComponent *editor = nullptr;
    HtmlStoreComponent store;
    ScriptedDialogs dialogs;
    ScriptedFileDialogs *files = nullptr;
    std::unique_ptr<MainForm> form;
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
        editor = new WebEditingComponent;
        auto scripted = std::make_unique<ScriptedFileDialogs>();
        files = scripted.get();
        editor->setFileDialogs(std::move(scripted));
        form = startMainForm(editor, &store, &dialogs, wireSubsystems);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void cleanupTestCase()
    {
        for (const auto &m : dialogs.shown)
            qDebug() << "message shown:" << m.text;
        form.reset();
        delete editor;
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
        readAndChooseFromNextMenu(this, &texts, "Delete Row");
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
        readAndChooseFromNextMenu(this, &texts, "Make 1D HTML");
        QTest::mouseClick(page(), Qt::RightButton, {}, middleOf("#box"));
        QTRY_VERIFY(!editor->DocumentHTML().contains("absolute"));
        QCOMPARE(texts.mid(7), (QStringList { "-", "Make 1D HTML" }));
    }
};

WEB_TEST_MAIN(TablesEndToEndTest)
#include "test_tables_e2e.moc"

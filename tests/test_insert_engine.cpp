// The insert tools in the whole program on the real editing engine: a button,
// a link, an e-mail link, a fragment and a picture inserted into a real page, updated
// through the Update menu, and taken out again with Ctrl+Z.

#include "app/main_form.h"
#include "app/main_widgets.h"
#include "app/start.h"
#include "app/wire_subsystems.h"
#include "insert/insert_subsystem.h"
#include "insert/picture_panel.h"
#include "platform/editing/html_store_component.h"
#include "platform/editing/web_editing_component.h"
#include "scripted_dialogs.h"
#include "web_test_main.h"

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWebEngineView>

namespace {

QModelIndex fileOf(PicturePanel *panel, const QString &name)
{
    const QModelIndex root = panel->File1->rootIndex();
    for (int i = 0; i < panel->File1->model()->rowCount(root); ++i) {
        const QModelIndex index = panel->File1->model()->index(i, 0, root);
        if (index.data().toString() == name)
            return index;
    }
    return {};
}

} // namespace

class InsertEngineTest : public QObject
{
    Q_OBJECT
    WebEditingComponent *editor = nullptr;
    HtmlStoreComponent store;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainForm> form;
    InsertSubsystem *tools = nullptr;

    MainWidgets &w() { return form->widgets(); }
    QString body() { return bodyOf(editor); }
    void load(const QString &html)
    {
        editor->setDocumentHTML("<html><body>" + html + "</body></html>");
        QTest::qWait(100);
    }
    void undoKey()
    {
        editor->view()->focusProxy()->setFocus();
        const QString before = body();
        QTest::keyClick(form->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
        QTRY_VERIFY(body() != before);
    }
    void openUpdate(QAction *item)
    {
        tools->updatemenu1_Click();
        QVERIFY2(item->isEnabled(), qPrintable(tools->SelectedElementHTML()));
        item->trigger();
    }

private slots:
    void initTestCase()
    {
        editor = new WebEditingComponent;
        form = startMainForm(editor, &store, &dialogs, wireSubsystems);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        tools = form->findChild<InsertSubsystem *>();
        QVERIFY(tools);
    }
    void cleanupTestCase()
    {
        form.reset();
        delete editor;
    }
    void cleanup()
    {
        for (const auto &m : dialogs.shown)
            qDebug() << "message shown:" << m.text;
        QVERIFY(dialogs.shown.isEmpty());
    }

    void buttonIsInsertedUpdatedAndUndone()
    {
        load("<p id=\"b\">end</p>");
        selectIn(editor, "#b", {}, "end");
        w().InsertButton->trigger();
        tools->Text2()->setText("Send now");
        QTest::mouseClick(w().Frame1->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QCOMPARE(body(),
                 QStringLiteral("<p id=\"b\">end<input type=\"Submit\" value=\"Send now\">"
                                "</p>"));
        QTRY_VERIFY(form->state().changed);

        editor->domCall("selectControl", QJsonObject { { "selector", "input" } });
        openUpdate(w().Updatebutton);
        QCOMPARE(tools->Text2()->text(), QStringLiteral("Send now"));
        tools->Text2()->setText("Go");
        tools->Command1_Click();
        QCOMPARE(body(), QStringLiteral("<p id=\"b\">end<input type=\"Submit\" value=\"Go\"></p>"));
        undoKey(); // the paste
        undoKey(); // the deletion of the old button
        QCOMPARE(body(),
                 QStringLiteral("<p id=\"b\">end<input type=\"Submit\" value=\"Send now\">"
                                "</p>"));
        undoKey();
        QCOMPARE(body(), QStringLiteral("<p id=\"b\">end</p>"));
    }

    void linksAreMadeUpdatedAndUndone()
    {
        load("<p id=\"a\">site</p><p id=\"m\">write</p>");
        selectIn(editor, "#a");
        w().Inserthyperlink->trigger();
        tools->Texthyperlink()->setText("page.htm");
        tools->Commandinserthyperlink_Click();
        QCOMPARE(body(),
                 QStringLiteral("<p id=\"a\"><a href=\"page.htm\">site</a></p>"
                                "<p id=\"m\">write</p>"));
        undoKey();
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">site</p><p id=\"m\">write</p>"));

        selectIn(editor, "#a");
        w().Inserthyperlink->trigger();
        tools->Texthyperlink()->setText("page.htm");
        tools->Commandinserthyperlink_Click();
        selectIn(editor, "#a a");
        openUpdate(w().updatehyperlink);
        QCOMPARE(tools->Texthyperlink()->text(), QStringLiteral("page.htm"));
        tools->Texthyperlink()->setText("other.htm");
        tools->Commandinserthyperlink_Click();
        QVERIFY2(body().contains("<a href=\"other.htm\">site</a>"), qPrintable(body()));
        QVERIFY(!w().updatesendemailto->isEnabled());

        selectIn(editor, "#m");
        w().sendemail->trigger();
        tools->Textemailaddress()->setText("me@example.com");
        tools->Command9_Click();
        QVERIFY2(body().contains("<a href=\"mailto:me@example.com\">write</a>"),
                 qPrintable(body()));
        selectIn(editor, "#m a");
        openUpdate(w().updatesendemailto);
        QVERIFY(!w().updatehyperlink->isEnabled());
        QCOMPARE(tools->Textemailaddress()->text(), QStringLiteral("me@example.com"));
        tools->Textemailaddress()->setText("you@example.com");
        tools->Command9_Click();
        QVERIFY2(body().contains("<a href=\"mailto:you@example.com\">write</a>"),
                 qPrintable(body()));
        undoKey();
        QVERIFY2(body().contains("<a href=\"mailto:me@example.com\">write</a>"),
                 qPrintable(body()));
    }

    void fragmentReplacesTheSelectionAndIsUndone()
    {
        load("<p id=\"a\">one <b>two</b> three</p>");
        selectIn(editor, "#a b");
        w().InsertHTML->trigger();
        w().txtHTMLInsert->setPlainText("<em>new</em>\n<u>lines</u>");
        QTest::mouseClick(w().Commandinserthtml, Qt::LeftButton);
        QCOMPARE(body(),
                 QStringLiteral("<p id=\"a\">one <b><em>new</em>\n<u>lines</u></b> three</p>"));
        QVERIFY(!w().Framehtmlinsert->isVisible());
        // The keyboard is back in the page, typing after the fragment.
        QTRY_COMPARE(QApplication::focusWidget(), editor->view()->focusProxy());
        QTest::keyClicks(editor->view()->focusProxy(), "Z");
        // (The browser may carry the underline on, as at the end of any run.)
        QTRY_VERIFY2(
            body() == QStringLiteral("<p id=\"a\">one <b><em>new</em>\n<u>lines</u>Z</b> three</p>")
                || body()
                    == QStringLiteral(
                        "<p id=\"a\">one <b><em>new</em>\n<u>linesZ</u></b> three</p>"),
            qPrintable(body()));
        undoKey();
        undoKey();
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">one <b>two</b> three</p>"));
    }

    // A panel's insert moves the caret while the page has no keyboard. Hiding
    // the panel hands the keyboard back as Tab would, which the browser takes
    // as a start at the page's first place: typing goes on where the host put
    // the caret all the same.
    void caretTheHostPlacedSurvivesTheKeyboardsReturn()
    {
        load("<p id=\"a\">one <b>two</b> three</p>");
        QWidget *page = editor->view()->focusProxy();
        w().txtHTMLInsert->parentWidget()->show();
        w().txtHTMLInsert->setFocus();
        QTRY_VERIFY(!evaluateInEngine(editor, "document.hasFocus()").toBool());
        selectIn(editor, "#a b", {}, "end");
        w().txtHTMLInsert->parentWidget()->hide();
        QTRY_COMPARE(QApplication::focusWidget(), page);
        QTest::keyClicks(page, "Z");
        QTRY_COMPARE(body(), QStringLiteral("<p id=\"a\">one <b>twoZ</b> three</p>"));
    }

    void pictureIsInsertedReplacedAndUndone()
    {
        QTemporaryDir dir;
        QVERIFY(QImage(20, 10, QImage::Format_RGB32).save(dir.filePath("one.jpg"), "JPG"));
        QVERIFY(QImage(30, 10, QImage::Format_RGB32).save(dir.filePath("two.jpg"), "JPG"));
        PicturePanel *panel = tools->picturePanel();
        const auto pick = [&](const QString &name) {
            QModelIndex index;
            QTRY_VERIFY((index = fileOf(panel, name)).isValid());
            QTest::mouseClick(panel->File1->viewport(), Qt::LeftButton, {},
                              panel->File1->visualRect(index).center());
        };
        load("<p id=\"a\">text</p>");
        selectIn(editor, "#a", {}, "end");
        w().insertpicture->trigger();
        panel->Dir1_Change(dir.path());
        pick("one.jpg");
        panel->Command2->click();
        const QString one = "<img src=\"" + dir.filePath("one.jpg")
            + "\" border=\"0\" width=\"20\" height=\"10\" alt=\"\">";
        QCOMPARE(body(), "<p id=\"a\">text" + one + "</p>");

        editor->domCall("selectControl", QJsonObject { { "selector", "img" } });
        openUpdate(w().updatepicture);
        pick("two.jpg");
        panel->Command2->click();
        QCOMPARE(body(),
                 "<p id=\"a\">text<img src=\"" + dir.filePath("two.jpg")
                     + "\" border=\"0\" width=\"30\" height=\"10\" alt=\"\"></p>");
        undoKey();
        undoKey();
        QCOMPARE(body(), "<p id=\"a\">text" + one + "</p>");
        undoKey();
        QCOMPARE(body(), QStringLiteral("<p id=\"a\">text</p>"));
    }
};

WEB_TEST_MAIN(InsertEngineTest)
#include "test_insert_engine.moc"

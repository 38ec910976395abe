// Everyday edit sequences in the whole program, typed and clicked as a user
// does, checked by the page they write.

#include "editor_program.h"
#include "insert/insert_subsystem.h"
#include "insert/picture_panel.h"
#include "web_test_main.h"

#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

class EditSequencesTest : public QObject
{
    Q_OBJECT
    RunningEditor app;
    InsertSubsystem *tools = nullptr;

    QString body() { return bodyOf(app.editor); }
    // Keys go wherever the keyboard is, as the user's do.
    void type(const QString &text)
    {
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClicks(target, text);
    }
    // The renderer busy for a while, so that what the host sends next (the
    // insert, the keyboard coming back, the keys) reaches it all at once.
    void keepRendererBusy(int ms)
    {
        app.editor->view()->page()->runJavaScript(
            QStringLiteral("{ const t = performance.now(); while (performance.now() - t < %1); }")
                .arg(ms),
            QWebEngineScript::ApplicationWorld);
    }
    void clickOk(QAbstractButton *ok, int busyMs)
    {
        if (busyMs)
            keepRendererBusy(busyMs);
        QTest::mouseClick(ok, Qt::LeftButton);
    }
    void newPage()
    {
        if (app.form->state().changed)
            app.dialogs.answers.enqueue(vbNo);
        app.w().FileNew->trigger();
        app.dialogs.shown.clear();
        QTRY_COMPARE(QApplication::focusWidget(), app.typingTarget());
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(app.form->windowHandle(), Qt::Key(key), modifiers);
    }
    void pickPicture(const QString &folder, const QString &name)
    {
        PicturePanel *panel = tools->picturePanel();
        panel->Dir1_Change(folder);
        QModelIndex index;
        QTRY_VERIFY(([&] {
            const QModelIndex root = panel->File1->rootIndex();
            for (int i = 0; i < panel->File1->model()->rowCount(root); ++i) {
                index = panel->File1->model()->index(i, 0, root);
                if (index.data().toString() == name)
                    return true;
            }
            return false;
        })());
        QTest::mouseClick(panel->File1->viewport(), Qt::LeftButton, {},
                          panel->File1->visualRect(index).center());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(app.start());
        tools = app.form->findChild<InsertSubsystem *>();
        QVERIFY(tools);
    }
    void cleanupTestCase() { app.stop(); }

    // Hiding a panel hands the keyboard on as Tab would, and the browser takes
    // a Tab into the page as a start at its first place; the insert, the
    // keyboard's return and the keys may also reach the renderer together.
    void typingGoesOnAfterEachPanelsInsert_data()
    {
        QTest::addColumn<int>("busyMs");
        QTest::newRow("at once") << 0;
        QTest::newRow("renderer busy") << 400;
    }
    void typingGoesOnAfterEachPanelsInsert()
    {
        QFETCH(int, busyMs);
        QTemporaryDir dir;
        QVERIFY(QImage(20, 10, QImage::Format_RGB32).save(dir.filePath("p.jpg"), "JPG"));
        newPage();
        type("AAA");
        app.w().InsertButton->trigger();
        type("B");
        clickOk(app.w().Frame1->findChild<QPushButton *>("Command1"), busyMs);
        type("ZZZ");
        app.w().InsertHTML->trigger();
        type("<b>H</b>");
        clickOk(app.w().Commandinserthtml, busyMs);
        type("YYY");
        app.w().insertpicture->trigger();
        pickPicture(dir.path(), "p.jpg");
        clickOk(tools->picturePanel()->Command2, busyMs);
        type("XXX");
        const QString picture = "<img src=\"" + dir.filePath("p.jpg")
            + "\" border=\"0\" width=\"20\" height=\"10\" alt=\"\">";
        // Typing after the fragment goes on in its bold, as after any bold run.
        QTRY_COMPARE(body().trimmed(),
                     "<div>AAA<input type=\"Submit\" value=\"B\">ZZZ<b>HYYY" + picture
                         + "XXX</b></div>");
    }

    // Undo with nothing left to undo changes nothing, the redo steps included.
    void redoSurvivesAnUndoTooMany()
    {
        newPage();
        type("abc def");
        QTRY_COMPARE(body().trimmed(), QStringLiteral("<div>abc def</div>"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(body().trimmed(), QStringLiteral("<div>&nbsp;</div>"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QTest::qWait(200);
        for (int i = 0; i < 3; ++i)
            key(Qt::Key_Y, Qt::ControlModifier);
        QTRY_COMPARE(body().trimmed(), QStringLiteral("<div>abc def</div>"));
    }

    // Each of the user's actions before a source apply stays a step of its
    // own behind it; an apply the page refuses adds none.
    void undoStepsBackThroughAnApply()
    {
        newPage();
        type("one");
        key(Qt::Key_Home, Qt::ShiftModifier);
        app.w().toolbarButtons.value("Bold")->trigger();
        key(Qt::Key_End);
        app.w().InsertHTML->trigger();
        type("<i>two</i>");
        QTest::mouseClick(app.w().Commandinserthtml, Qt::LeftButton);
        const QString typed = QStringLiteral("<div>one</div>");
        const QString bold = QStringLiteral("<div><b>one</b></div>");
        const QString fragment = QStringLiteral("<div><b>one<i>two</i></b></div>");
        QTRY_COMPARE(body().trimmed(), fragment);

        app.w().menuhtmlsource->trigger();
        app.w().txtHTML->setPlainText("<frameset><frame src=\"a.htm\"></frameset>");
        app.dialogs.answers.enqueue(vbOK);
        app.w().updatewysiwyg->trigger();
        QCOMPARE(app.dialogs.shown.size(), 1);
        QCOMPARE(app.dialogs.shown.first().text,
                 QStringLiteral("Unrecognized DHTML Code, unable to update wysiwyg editor"));
        app.dialogs.shown.clear();
        app.w().txtHTML->setPlainText("<html><body><p>applied</p></body></html>");
        app.w().updatewysiwyg->trigger();
        app.w().menuweditor->trigger();
        QTRY_COMPARE(body(), QStringLiteral("<p>applied</p>"));

        for (const QString &page : { fragment, bold, typed }) {
            key(Qt::Key_Z, Qt::ControlModifier);
            QTRY_COMPARE(body().trimmed(), page);
        }
        for (const QString &page : { bold, fragment, QStringLiteral("<p>applied</p>") }) {
            key(Qt::Key_Y, Qt::ControlModifier);
            QTRY_COMPARE(body().trimmed(), page);
        }
    }

    // The keys and the toolbar reach the page by different paths; each
    // button acts after the keys before it, and showing details changes
    // nothing an edit does. A heading made of the line after the list
    // takes that line only.
    void listLinesTypedAndFormatted()
    {
        for (bool details : { false, true }) {
            newPage();
            if (app.editor->ShowDetails() != details)
                app.w().viewDetails->trigger();
            QCOMPARE(app.editor->ShowDetails(), details);
            type("Alpha");
            key(Qt::Key_Return);
            app.w().toolbarButtons.value("Bullets")->trigger();
            type("Item");
            key(Qt::Key_Return);
            // As soon as the user sees it offered.
            QAction *outdent = app.w().toolbarButtons.value("Outdent");
            QTRY_VERIFY(outdent->isEnabled());
            outdent->trigger();
            type("Beta");
            QTRY_COMPARE(body().trimmed(),
                         QStringLiteral("<div>Alpha</div><ul><li>Item</li></ul>Beta"));
            app.editor->ExecCommand(DECMD_SETBLOCKFMT, OLECMDEXECOPT_DONTPROMPTUSER,
                                    QStringLiteral("Heading 2"));
            QCOMPARE(body().trimmed(),
                     QStringLiteral("<div>Alpha</div><ul><li>Item</li></ul><h2>Beta</h2>"));
        }
        app.w().viewDetails->trigger(); // off again
    }

    // The right-click menu comes up on a picture that is already chosen.
    void rightClickOnAChosenPicture()
    {
        newPage();
        app.editor->setDocumentHTML("<html><body style=\"margin:0\"><p style=\"margin:0\">"
                                    "<img src=\"none.gif\" width=\"60\" height=\"40\"> after</p>"
                                    "</body></html>");
        QWidget *page = app.typingTarget();
        page->setFocus();
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(20, 20));
        QTRY_COMPARE(app.editor->DOM().selectionType(), QStringLiteral("Control"));
        QStringList texts;
        chooseFromNextMenu(this, "Copy", &texts);
        QTest::mouseClick(page, Qt::RightButton, {}, QPoint(25, 22));
        QTRY_VERIFY(texts.contains("Copy"));
    }
};

WEB_TEST_MAIN(EditSequencesTest)
#include "test_edit_sequences_e2e.moc"

// The whole program, started as the user starts it (splash, load handler,
// real editing engine, every subsystem wired), driven through its menus,
// toolbar and keyboard, offscreen.

#include "editor_program.h"
#include "file_bytes.h"
#include "web_test_main.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QJsonObject>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QWebEngineView>

#include <string_view>

class EditorEndToEndTest : public QObject
{
    Q_OBJECT
    RunningEditor app;
    WebEditingComponent *&editor = app.editor;
    ScriptedDialogs &dialogs = app.dialogs;
    ScriptedFileDialogs *&files = app.files;
    std::unique_ptr<MainForm> &form = app.form;
    QTemporaryDir dir;

    MainWidgets &w() { return app.w(); }
    QString html() { return app.html(); }
    QWidget *typingTarget() { return app.typingTarget(); }

private slots:
    void initTestCase() { QVERIFY(app.start(false)); }
    void cleanupTestCase() { app.stop(); }

    void windowAfterStartUp()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Marl Web WYSIWYG DHTML Editor"));
        QVERIFY(html().contains("CorvaneSoftware DHTML WYSIWYG Editor"));
        QCOMPARE(editor->CurrentDocumentPath(), QString());
        QVERIFY(editor->view()->isVisible());
        QVERIFY(!w().Picturehtmlbox->isVisible());
        QVERIFY(w().Toolbar1->isVisible());
        QVERIFY(!w().menuweditor->isEnabled());
        QVERIFY(w().menuhtmlsource->isEnabled());
        QVERIFY(!w().htmlcode->menuAction()->isEnabled());
        QCOMPARE(w().FontCombo->count(), 6);
        QCOMPARE(w().FontSizeCombo->count(), 7);
        for (QFrame *frame : {w().Framehtmlinsert, w().frameinsertpic, w().Frame1,
                              w().FrameInsertHyperLink, w().Framebgcolor, w().FrameInserttable,
                              w().FrameSendemail})
            QVERIFY(!frame->isVisible());
        QVERIFY(!form->state().changed);
        // The engine's first notifications enable the font boxes and buttons.
        QTRY_VERIFY(w().toolbarButtons.value("Bold")->isEnabled());
        QVERIFY(dialogs.shown.isEmpty());
        // Typing starts in the page, not in the toolbar's first box.
        QTRY_COMPARE(QApplication::focusWidget(), typingTarget());
    }

    // The first keys a user types after start-up land in the page, at the
    // caret the page opened with: not in a box, not in white space the
    // browser drops them in.
    void typingRightAfterStartUpReachesThePage()
    {
        QTest::keyClicks(QApplication::focusWidget(), "First words");
        QTRY_VERIFY2(html().contains("First words"), qPrintable(html()));
        QTRY_VERIFY(form->state().changed);
    }

    void typeSelectAndBold()
    {
        typingTarget()->setFocus();
        QTest::keyClick(typingTarget(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(typingTarget(), "Hello");
        QTRY_VERIFY(html().contains("Hello"));
        QTRY_VERIFY(form->state().changed);
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(typingTarget(), Qt::Key_Left, Qt::ShiftModifier);
        QTRY_COMPARE(editor->DOM().selectionType(), QStringLiteral("Text"));
        QAction *bold = w().toolbarButtons.value("Bold");
        QVERIFY(!bold->isChecked());
        bold->trigger();
        QTRY_VERIFY(bold->isChecked());
        QVERIFY(html().contains(QRegularExpression("<(b|strong)>Hello</(b|strong)>")));
    }

    void openEditSourceApplySave()
    {
        const QString page = dir.filePath("page.htm");
        QFile f(page);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><head><meta charset=\"windows-1252\"><title>Old title</title></head>"
                "<body><p>Caf\xe9</p></body></html>");
        f.close();

        // Open asks about the typed changes first: No.
        dialogs.answers.enqueue(vbNo);
        files->openChoice = page;
        w().FileOpen->trigger();
        QCOMPARE(form->windowTitle(),
                 QStringLiteral("Corvane Software WYSIWYG DHTML Editor - ") + page);
        QVERIFY(html().contains(QString::fromUtf8("Caf\xc3\xa9")));
        QVERIFY(!form->state().changed);

        w().menuhtmlsource->trigger();
        QVERIFY(w().Picturehtmlbox->isVisible());
        QVERIFY(!w().Toolbar1->isVisible());
        QString source = w().txtHTML->toPlainText();
        QVERIFY(source.contains("<title>Old title</title>"));
        source.replace("Old title", "New title");
        // A user edit, as typed.
        w().txtHTML->selectAll();
        w().txtHTML->insertPlainText(source);
        QVERIFY(form->state().changed);
        w().updatewysiwyg->trigger();
        QVERIFY(html().contains("<title>New title</title>"));
        w().menuweditor->trigger(); // nothing unapplied: no question
        QVERIFY(w().Picture1->isVisible());

        const int before = dialogs.shown.size();
        w().FileSave->trigger();
        QCOMPARE(dialogs.shown.size(), before); // no error message
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray saved = f.readAll();
        QVERIFY2(saved.contains("<title>New title</title>"), saved.constData());
        QVERIFY(saved.contains("Caf\xe9")); // still windows-1252
        QVERIFY(!form->state().changed);
    }

    // Text typed in the source box and never applied is part of what Ctrl+S
    // writes.
    void ctrlSInTheSourceViewSavesTheSourceEdits()
    {
        const QString page = dir.filePath("source.htm");
        QFile f(page);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><head><title>Source</title></head><body><p>before</p></body></html>");
        f.close();
        QVERIFY(!form->state().changed);
        files->openChoice = page;
        w().FileOpen->trigger();
        QCOMPARE(editor->CurrentDocumentPath(), page);

        w().menuhtmlsource->trigger();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w().txtHTML));
        QTextCursor cursor = w().txtHTML->document()->find("before");
        QVERIFY(!cursor.isNull());
        w().txtHTML->setTextCursor(cursor);
        QTest::keyClicks(w().txtHTML, "after");
        QVERIFY(form->state().sourceEdited);

        const int messages = dialogs.shown.size();
        QTest::keyClick(w().txtHTML, Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY2(readBytes(page).contains("<p>after</p>"), readBytes(page).constData());
        QCOMPARE(dialogs.shown.size(), messages);
        QVERIFY(!form->state().changed);
        QVERIFY(html().contains("<p>after</p>"));
        w().menuweditor->trigger(); // applied: nothing left to ask about
        QCOMPARE(dialogs.shown.size(), messages);
    }

    // Save As from the menu of an untitled page gives it a name; the page then
    // has the keyboard, and Ctrl+S saves what was typed under that name.
    void ctrlSAfterSaveAsFromTheMenuSavesTheTyping()
    {
        QVERIFY(!form->state().changed);
        w().FileNew->trigger();
        QCOMPARE(editor->CurrentDocumentPath(), QString());
        QTRY_COMPARE(QApplication::focusWidget(), typingTarget());

        const QString page = dir.filePath("untitled.htm");
        files->saveChoice = page;
        chooseFromNextMenu(this, w().FileSaveAs->text());
        w().file->popup(form->menuBar()->mapToGlobal(QPoint(0, form->menuBar()->height())));
        QTRY_COMPARE(editor->CurrentDocumentPath(), page);
        QVERIFY(QFile::exists(page));
        // The toolbar greyed for the save comes back without a click.
        QVERIFY(w().toolbarButtons.value("Bold")->isEnabled());
        QTRY_COMPARE(QApplication::focusWidget(), typingTarget());

        QTest::keyClicks(typingTarget(), "Typed after naming");
        QTRY_VERIFY(html().contains("Typed after naming"));
        const int dialogsBefore = files->saved;
        QTest::keyClick(typingTarget(), Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY2(readBytes(page).contains("Typed after naming"), readBytes(page).constData());
        QCOMPARE(files->saved, dialogsBefore); // saved under its name, nothing asked
        QVERIFY(!form->state().changed);
    }

    void rightClickFontOpensTheFontDialog()
    {
        // A page just loaded, with no caret yet: the right-click puts it down.
        editor->setDocumentHTML("<html><body><p id=\"p\">some words here</p></body></html>");
        QStringList dialogsShown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                dialogsShown << modal->objectName();
                static_cast<QDialog *>(modal)->reject();
            }
        });
        poll.start(20);
        chooseFromNextMenu(this, "Font...");
        QTest::mouseClick(typingTarget(), Qt::RightButton, {}, QPoint(30, 15));
        QTRY_COMPARE(dialogsShown, QStringList { "FontDialog" });
        form->state().changed = false;
    }

    void exitAsksOnlyWhenSomethingChanged()
    {
        QVERIFY(!form->state().changed);
        const int before = dialogs.shown.size();
        w().FileExit->trigger();
        QCOMPARE(dialogs.shown.size(), before);
        QVERIFY(form->isUnloaded());
    }
};

WEB_TEST_MAIN(EditorEndToEndTest)
#include "test_editor_e2e.moc"

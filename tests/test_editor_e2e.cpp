// The whole program, started as the user starts it (splash, load handler,
// real editing engine, every subsystem wired), driven through its menus,
// toolbar and keyboard, offscreen.

#include "app/main_form.h"
#include "app/main_widgets.h"
#include "app/start.h"
#include "app/wire_subsystems.h"
#include "platform/editing/html_store_component.h"
#include "platform/editing/web_editing_component.h"
#include "scripted_dialogs.h"
#include "scripted_file_dialogs.h"
#include "web_test_main.h"

#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolBar>
#include <QWebEngineView>

class EditorEndToEndTest : public QObject
{
    Q_OBJECT
    WebEditingComponent *editor = nullptr;
    HtmlStoreComponent store;
    ScriptedDialogs dialogs;
    ScriptedFileDialogs *files = nullptr;
    std::unique_ptr<MainForm> form;
    QTemporaryDir dir;

    MainWidgets &w() { return form->widgets(); }
    QString html()
    {
        try {
            return editor->DocumentHTML();
        } catch (const ComponentError &e) {
            qWarning() << "component error" << e.message();
            return {};
        }
    }
    QWidget *typingTarget() { return editor->view()->focusProxy(); }

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

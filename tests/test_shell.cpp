// The main window shell with a scripted editor and scripted answers.

#include "app/about_window.h"
#include "app/main_form.h"
#include "app/start.h"
#include "fake_editing_component.h"
#include "scripted_dialogs.h"

#include <QComboBox>
#include <QFrame>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

namespace {

struct Shell
{
    FakeEditingComponent editor, store;
    ScriptedDialogs dialogs;
    QWidget *control = new QWidget;
    std::unique_ptr<MainForm> form;
    QStringList hookCalls;
    QList<bool> saves; // promptUser of each save
    bool saveResult = true;

    Shell()
    {
        editor.control = control;
        form = std::make_unique<MainForm>(&editor, &store, &dialogs);
        FormHooks &h = form->hooks();
        h.SetWysiwygMode = [this](bool v) { hookCalls << QString("SetWysiwygMode(%1)").arg(v); };
        h.InitToolbarCommands = [this] { hookCalls << "InitToolbarCommands"; };
        h.InitMenuCommands = [this] { hookCalls << "InitMenuCommands"; };
        h.ToolbarReset = [this] {
            hookCalls << "ToolbarReset";
            editor.fireDisplayChanged(); // a change already queued runs here
        };
        h.SaveDocument = [this](bool prompt) {
            saves << prompt;
            return saveResult;
        };
        form->Form_Load();
        form->show();
        // An outer size of 12000 x 9000 twips.
        form->resize(QSize(800, 600) - (form->frameGeometry().size() - form->size()));
    }
    ~Shell() { delete control; }
    bool visible(QFrame *f) const { return f->isVisibleTo(form->centralWidget()); }
};

const QString changedText = "The current document has changed.\r\n\r\nDo you want to save changes?";

} // namespace

class TestShell : public QObject
{
    Q_OBJECT
private slots:
    void startUpState()
    {
        Shell s;
        MainWidgets &w = s.form->widgets();
        QCOMPARE(s.form->windowTitle(), QString("Marl Web WYSIWYG DHTML Editor"));
        QCOMPARE(s.hookCalls,
                 (QStringList { "SetWysiwygMode(1)", "InitToolbarCommands", "InitMenuCommands",
                                "ToolbarReset" }));
        QCOMPARE(s.editor.html,
                 QString("<HTML>\r\n<HEAD>\r\n<META NAME=\"GENERATOR\" "
                         "Content='\"CorvaneSoftware DHTML WYSIWYG Editor\"'>\r\n"
                         "<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
                         "<DIV>&nbsp;</DIV>\r\n</BODY></HTML>"));
        QVERIFY(!s.form->state().changed); // also after the change seen during load
        QVERIFY(!s.form->state().documentReady);
        QVERIFY(!s.form->state().sourceView);
        QVERIFY(!w.menuweditor->isEnabled());
        QVERIFY(w.menuhtmlsource->isEnabled());
        QVERIFY(!w.imgSplitter->isEnabled() && !w.picSplitter->isEnabled());
        QCOMPARE(w.FontCombo->count(), 6);
        QCOMPARE(w.FontCombo->itemText(0), QString("Times New Roman"));
        QCOMPARE(w.FontSizeCombo->count(), 7);
        QCOMPARE(w.FontSizeCombo->itemText(6), QString("7"));
        for (QFrame *f : { w.Framehtmlinsert, w.frameinsertpic, w.Frame1, w.FrameInsertHyperLink,
                           w.Framebgcolor, w.FrameInserttable, w.FrameSendemail })
            QVERIFY2(!s.visible(f), qPrintable(f->objectName()));
        QVERIFY(!s.form->layout().panelOpen());
        QCOMPARE(s.control->parentWidget(), w.Picture1);
    }

    void controlsAsBuilt()
    {
        Shell s;
        MainWidgets &w = s.form->widgets();
        QCOMPARE(w.EditSub.size(), 9);
        QVERIFY(w.EditSub[2]->isSeparator() && w.EditSub[7]->isSeparator());
        QCOMPARE(w.EditSub[8]->property("index").toInt(), 8);
        QCOMPARE(w.EditSub[8]->shortcut(), QKeySequence("Ctrl+F"));
        QCOMPARE(w.TableSub.size(), 12);
        QCOMPARE(w.D2DSub.size(), 9);
        QCOMPARE(w.AboutTessary->text(), QString("About "));
        // Format items show only once they have a name.
        QCOMPARE(w.FormatSub.size(), 16);
        QVERIFY(!w.FormatSub[0]->isVisible());
        w.FormatSub[0]->setText("Normal");
        QVERIFY(w.FormatSub[0]->isVisible());
        // A disabled placeholder leaves its font box usable.
        w.toolbarButtons["Font"]->setEnabled(false);
        w.FontCombo->setEnabled(true);
        QVERIFY(w.FontCombo->isEnabled());
        QCOMPARE(w.toolbarButtons.size(), 13);
        QVERIFY(w.toolbarButtons["RightJustify"]->isCheckable());
    }

    void titleRefresh()
    {
        Shell s;
        s.form->TitleRefresh();
        QCOMPARE(s.form->windowTitle(), QString("Corvane Software WYSIWYG DHTML Editor"));
        s.editor.path = "/home/ann/pages/a.htm";
        s.form->hooks().titleRefresh();
        QCOMPARE(s.form->windowTitle(),
                 QString("Corvane Software WYSIWYG DHTML Editor - /home/ann/pages/a.htm"));
    }

    void saveChangesPrompt()
    {
        Shell s;
        FormHooks &h = s.form->hooks();
        QCOMPARE(h.saveChangesPrompt(), 0);
        QVERIFY(s.dialogs.shown.isEmpty());

        s.form->state().changed = true;
        s.dialogs.answers << vbCancel << vbNo << vbYes << vbYes << vbYes;
        QCOMPARE(h.saveChangesPrompt(), 2);
        QCOMPARE(h.saveChangesPrompt(), 7);
        QVERIFY(s.saves.isEmpty());
        QCOMPARE(h.saveChangesPrompt(), 1);
        s.saveResult = false;
        QCOMPARE(h.saveChangesPrompt(), 2);
        s.editor.path = "/tmp/a.htm";
        s.saveResult = true;
        QCOMPARE(h.saveChangesPrompt(), 1);
        QCOMPARE(s.saves,
                 (QList<bool> { true, true, false })); // asks for a name only when untitled
        QCOMPARE(s.dialogs.shown[0].text, changedText);
        QCOMPARE(s.dialogs.shown[0].icon, MsgIcon::Exclamation);
        QCOMPARE(s.dialogs.shown[0].buttons, MsgButtons::YesNoCancel);
        QCOMPARE(s.dialogs.shown[0].caption, AppTitle);
    }

    void closeRequest_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveResult");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("saves");
        QTest::addColumn<bool>("ends");
        QTest::newRow("unchanged") << false << 0 << true << 0 << 0 << true;
        QTest::newRow("cancel") << true << int(vbCancel) << true << 1 << 0 << false;
        QTest::newRow("no") << true << int(vbNo) << true << 1 << 0 << true;
        QTest::newRow("yes, saved") << true << int(vbYes) << true << 1 << 1 << true;
        // The page is kept when it could not be saved.
        QTest::newRow("yes, not saved") << true << int(vbYes) << false << 1 << 1 << false;
    }

    void closeRequest()
    {
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(bool, saveResult);
        QFETCH(int, questions);
        QFETCH(int, saves);
        QFETCH(bool, ends);
        for (bool viaExit : { false, true }) {
            Shell s;
            s.form->state().changed = changed;
            s.saveResult = saveResult;
            s.dialogs.answers << answer;
            if (viaExit)
                s.form->widgets().FileExit->trigger();
            else
                s.form->close();
            QCOMPARE(s.dialogs.shown.size(), questions);
            if (questions) {
                QCOMPARE(s.dialogs.shown[0].text, QString("Do you want to save your changes?"));
                QCOMPARE(s.dialogs.shown[0].icon, MsgIcon::None);
            }
            QCOMPARE(s.saves.size(), saves);
            QCOMPARE(s.form->isUnloaded(), ends);
            QCOMPARE(s.form->isVisible(), !ends);
            QCOMPARE(s.form->state().changed, changed);
        }
    }

    void contentChangeMarksPage()
    {
        Shell s;
        s.editor.fireDisplayChanged(false);
        QVERIFY(!s.form->state().changed);
        s.editor.fireDisplayChanged(true);
        QVERIFY(s.form->state().changed);
    }

    void panelsOnScreen()
    {
        Shell s;
        MainWidgets &w = s.form->widgets();
        QCOMPARE(s.form->outerSizeTwips(), QSizeF(12000, 9000));
        QCOMPARE(w.Picture1->geometry(), QRect(0, 30, 791, 523));
        QCOMPARE(s.control->geometry(), QRect(7, 7, 771, 503));

        s.form->hooks().panelReset();
        s.form->hooks().panelOpen(w.FrameInserttable);
        QVERIFY(s.visible(w.FrameInserttable));
        QCOMPARE(w.FrameInserttable->geometry(), QRect(0, 411, 791, 146));
        QCOMPARE(w.Picture1->height(), 377);

        s.form->hooks().panelReset();
        s.form->hooks().panelOpen(w.FrameInsertHyperLink);
        QVERIFY(s.visible(w.FrameInsertHyperLink));
        QVERIFY(!s.visible(w.FrameInserttable));
        QCOMPARE(s.form->layout().Picture1.height, 7850.0f - 540.0f);
        QCOMPARE(w.txtHTMLInsert->height(), 133);
        QCOMPARE(w.Commandinserthtml->y(), 139);

        s.form->hooks().panelReset();
        QVERIFY(!s.visible(w.FrameInsertHyperLink));
        QCOMPARE(w.Picture1->height(), 523);
    }

    void tooSmallWindowGrows()
    {
        Shell s;
        s.form->resize(300, 200);
        QTRY_VERIFY(s.form->outerSizeTwips().width() >= 8235);
        QVERIFY(s.form->outerSizeTwips().height() >= 4840);
        QCOMPARE(s.form->layout().Picture1.width, float(s.form->outerSizeTwips().width()) - 130.0f);
    }

    void helpFileMissing()
    {
        Shell s;
        QTemporaryDir dir;
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        s.form->widgets().helpcontent->trigger();
        QDir::setCurrent(old);
        QCOMPARE(s.dialogs.shown.size(), 1);
        QVERIFY(s.dialogs.shown[0].text.contains(QDir(dir.path()).absolutePath() + "/cvhelp.hlp"));
        QCOMPARE(s.dialogs.shown[0].icon, MsgIcon::Critical);
    }

    void startUpKeepsAboutReady()
    {
        FakeEditingComponent editor, store;
        ScriptedDialogs dialogs;
        bool wired = false;
        auto form = startMainForm(&editor, &store, &dialogs,
                                  [&](MainForm &f) { wired = !f.isVisible(); });
        QVERIFY(wired);
        QVERIFY(form->isVisible());
        QVERIFY(editor.html.contains("CorvaneSoftware"));
        AboutWindow *about = form->aboutWindow();
        QVERIFY(about);
        QVERIFY(!about->isVisible());
        QVERIFY(about->cmdOK()->isVisibleTo(about));
        for (QWidget *top : QApplication::topLevelWidgets()) // the splash is gone
            QVERIFY(top == about || top == form.get() || !top->isVisible());
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"

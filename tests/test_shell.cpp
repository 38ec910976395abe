// The main window shell with a scripted editor and scripted answers.

#include "app/about_window.h"
#include "app/main_form.h"
#include "app/start.h"
#include "app/wire_subsystems.h"
#include "fake_editing_component.h"
#include "scripted_dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

struct Shell
{
    FakeEditingComponent editor, store;
    ScriptedDialogs dialogs;
    QLineEdit *control = new QLineEdit;
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

// The window with every subsystem wired, on a scripted editor whose control
// takes the keyboard and, as the real one does, says when it gets it.
struct Wired
{
    FakeEditingComponent editor, store;
    ScriptedDialogs dialogs;
    QLineEdit *page = new QLineEdit;
    std::unique_ptr<MainForm> form;
    QMetaObject::Connection watch;

    Wired()
    {
        editor.control = page;
        editor.statuses
            = { { DECMD_BOLD, 3 },        { DECMD_SETFORECOLOR, 3 }, { DECMD_GETFONTNAME, 3 },
                { DECMD_GETFONTSIZE, 3 }, { DECMD_SETFONTNAME, 3 },  { DECMD_SETFONTSIZE, 3 } };
        editor.results = { { DECMD_GETFONTNAME, "Arial" }, { DECMD_GETFONTSIZE, 3 } };
        watch = QObject::connect(qApp, &QApplication::focusChanged, &editor,
                                 [this](QWidget *, QWidget *now) {
                                     if (now == page)
                                         emit editor.GotFocus();
                                 });
        form = startMainForm(&editor, &store, &dialogs, wireSubsystems);
        form->activateWindow();
        editor.fireDocumentComplete();
        editor.fireDisplayChanged(false); // the toolbar follows the statuses
    }
    ~Wired()
    {
        QObject::disconnect(watch);
        form.reset();
        delete page;
    }
    MainWidgets &w() { return form->widgets(); }
    static QWidget *focus() { return QApplication::focusWidget(); }
    void chooseFromList(QComboBox *box, int index)
    {
        box->showPopup();
        // The window system moves the keyboard to the list and back after
        // the fact; let each move land before going on.
        QTRY_COMPARE(QGuiApplication::focusWindow(), box->view()->window()->windowHandle());
        box->view()->setCurrentIndex(box->model()->index(index, 0));
        QTest::keyClick(box->view(), Qt::Key_Return);
        QTRY_COMPARE(QGuiApplication::focusWindow(), form->windowHandle());
    }
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
        QCOMPARE(w.AboutTessary->text(), QString("&About "));
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

    // Tooltips and accessible names speak words; the keys stay the program's.
    void toolbarSpeaksWords()
    {
        Shell s;
        MainWidgets &w = s.form->widgets();
        const QHash<QString, QString> tips = {
            { "Bold", "Bold (Ctrl+B)" },           { "Italic", "Italic (Ctrl+I)" },
            { "Underline", "Underline (Ctrl+U)" }, { "Color", "Text Color" },
            { "Numbers", "Numbered List" },        { "Bullets", "Bulleted List" },
            { "Outdent", "Decrease Indent" },      { "Indent", "Increase Indent" },
            { "LeftJustify", "Align Left" },       { "Center", "Center" },
            { "RightJustify", "Align Right" },
        };
        for (auto it = tips.cbegin(); it != tips.cend(); ++it) {
            QAction *a = w.toolbarButtons.value(it.key());
            QVERIFY2(a, qPrintable(it.key()));
            QCOMPARE(a->objectName(), it.key());
            QCOMPARE(a->property("key").toString(), it.key());
            QCOMPARE(a->toolTip(), it.value());
            const QString words = it.value().section(" (", 0, 0);
            QCOMPARE(w.Toolbar1->widgetForAction(a)->accessibleName(), words);
        }
        QCOMPARE(w.FontCombo->accessibleName(), QString("Font"));
        QCOMPARE(w.FontSizeCombo->accessibleName(), QString("Font Size"));
        QCOMPARE(w.FontSizeCombo->toolTip(), QString("Font Size"));
        QCOMPARE(w.toolbarButtons["FontSize"]->objectName(), QString("FontSize"));
        QCOMPARE(s.control->accessibleName(), QString("Page"));
        QVERIFY(!w.txtHTML->accessibleName().isEmpty());
        QVERIFY(!w.txtHTMLInsert->accessibleName().isEmpty());
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

    // The help file is looked for in the working directory of the moment,
    // not beside the program; at the root the path has two separators in a
    // row. Whether it exists is the viewer's to say.
    void helpLooksInTheWorkingDirectory()
    {
        Shell s;
        QTemporaryDir dir;
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        s.form->widgets().helpcontent->trigger();
        QDir::setCurrent("/");
        s.form->widgets().helpcontent->trigger();
        QDir::setCurrent(old);
        QCOMPARE(s.dialogs.helpShown,
                 (QStringList{QDir(dir.path()).canonicalPath() + "/cvhelp.hlp", "//cvhelp.hlp"}));
        QVERIFY(s.dialogs.shown.isEmpty());
    }

    // Help > About blocks the window with its OK button; OK unloads it and
    // the next About makes it afresh.
    void aboutIsModalAndOkUnloadsIt()
    {
        Shell s;
        QList<AboutWindow *> shown;
        for (int i = 0; i < 2; ++i) {
            QTimer::singleShot(0, s.form.get(), [&] {
                auto *about = qobject_cast<AboutWindow *>(QApplication::activeModalWidget());
                QVERIFY(about);
                shown << about;
                QVERIFY(about->cmdOK()->isVisible());
                QCOMPARE(about->cmdOK()->text(), QString("OK"));
                about->cmdOK()->click();
            });
            s.form->widgets().AboutTessary->trigger();
            QTRY_VERIFY(!s.form->aboutWindow());
        }
        QCOMPARE(shown.size(), 2);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Start-up, every toolbar choice, New, Open, a save, an apply and the
    // closing of a panel leave the keyboard in the page on screen.
    void keyboardStartsInThePageAndComesBackToIt()
    {
        Wired s;
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        QTRY_COMPARE(s.focus(), s.page);

        const QList<std::pair<const char *, std::function<void()>>> steps = {
            { "Bold", [&] { s.w().toolbarButtons.value("Bold")->trigger(); } },
            { "colour, cancelled", [&] { s.w().toolbarButtons.value("Color")->trigger(); } },
            { "font", [&] { s.chooseFromList(s.w().FontCombo, 2); } },
            { "size", [&] { s.chooseFromList(s.w().FontSizeCombo, 4); } },
            { "New", [&] { s.w().FileNew->trigger(); } },
            { "Open",
              [&] {
                  s.editor.dialogChoice = "/opened.htm";
                  s.w().FileOpen->trigger();
              } },
            { "Save", [&] { s.w().FileSave->trigger(); } },
            { "Save As, cancelled",
              [&] {
                  s.editor.dialogChoice.clear();
                  s.w().FileSaveAs->trigger();
              } },
            { "panel closed",
              [&] {
                  s.form->hooks().panelOpen(s.w().Framehtmlinsert);
                  s.w().txtHTMLInsert->setFocus();
                  s.form->hooks().panelReset();
              } },
        };
        s.editor.execs.clear();
        for (const auto &[name, step] : steps) {
            s.w().FontCombo->setFocus();
            QCOMPARE(s.focus(), s.w().FontCombo);
            step();
            QVERIFY2(s.focus() == s.page, name);
        }
        QList<int> ran; // the commands the choices ran, leaving out the refreshes' reads
        for (const RecordedExec &e : std::as_const(s.editor.execs)) {
            if (e.cmdId != DECMD_GETFONTNAME && e.cmdId != DECMD_GETFONTSIZE)
                ran << e.cmdId;
        }
        QCOMPARE(ran, (QList<int> { DECMD_BOLD, DECMD_SETFONTNAME, DECMD_SETFONTSIZE }));

        // In the source view its box is the page on screen.
        s.w().menuhtmlsource->trigger();
        QCOMPARE(s.focus(), s.w().txtHTML);
        QTest::keyClicks(s.w().txtHTML, "<p>x</p>");
        s.w().Toolbar1->setFocus();
        s.w().updatewysiwyg->trigger();
        QCOMPARE(s.focus(), s.w().txtHTML);
        s.w().menuweditor->trigger();
        QCOMPARE(s.focus(), s.page);
    }

    // Switching to the source view from a focused font box hides the box,
    // which hands the keyboard to the page; the view must still be the whole
    // source view.
    void sourceViewFromAFocusedFontBox()
    {
        Wired s;
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        MainWidgets &w = s.w();
        w.FontCombo->setFocus();
        w.menuhtmlsource->trigger();
        QVERIFY(w.Toolbar1->isHidden());
        for (QMenu *menu : { w.insert, w.Format, w.Table, w.D2D, w.pageproperty, w.updatemenu1 })
            QVERIFY2(!menu->menuAction()->isEnabled(), qPrintable(menu->objectName()));
        QVERIFY(w.htmlcode->menuAction()->isEnabled());
        QVERIFY(w.updatewysiwyg->isEnabled());
    }

    void escapeOutOfAMenuGivesTheKeyboardBack()
    {
        Wired s;
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        QTRY_COMPARE(s.focus(), s.page);
        QTest::keyClick(s.page, Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(), s.w().Edit);
        // The window system hands the menu the keyboard after it appears.
        QTRY_COMPARE(QGuiApplication::focusWindow(), s.w().Edit->windowHandle());
        QTest::keyClick(s.w().Edit, Qt::Key_Escape);
        QTRY_COMPARE(s.focus(), s.page);
        QTest::keyClicks(s.focus(), "ab");
        QCOMPARE(s.page->text(), QString("ab"));
    }

    // Ctrl+S on a page without a name asks for one, even after the File menu
    // greyed Save; once named, it saves under the name.
    void ctrlSAlwaysSaves()
    {
        Wired s;
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        QTRY_COMPARE(s.focus(), s.page);
        emit s.w().file->aboutToShow();
        QVERIFY(!s.w().FileSave->isEnabled());
        s.editor.dialogChoice = "/named.htm";
        QTest::keyClick(s.page, Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(s.editor.calls.filter("SaveDocument"), QStringList { "SaveDocument(,1)" });
        QVERIFY(s.w().FileSave->isEnabled());
        QTest::keyClick(s.page, Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(s.editor.calls.filter("SaveDocument").size(), 2);
        QCOMPARE(s.editor.calls.filter("SaveDocument").last(), "SaveDocument(/named.htm,0)");
    }

    // Yes to the question before leaving saves the source box's text too; text
    // the page refuses keeps the window open.
    void leavingSavesTheSourceBox()
    {
        for (bool refused : { false, true }) {
            Wired s;
            s.editor.path = "/a.htm";
            s.w().menuhtmlsource->trigger();
            s.w().txtHTML->selectAll();
            QTest::keyClicks(s.w().txtHTML, "<p>typed</p>");
            if (refused)
                s.editor.putError = ComponentError(ComponentErrorCode::Unexpected);
            s.editor.calls.clear();
            s.dialogs.answers << vbYes;
            s.form->close();
            QCOMPARE(s.form->isUnloaded(), !refused);
            if (refused) {
                QCOMPARE(s.dialogs.shown.size(), 2);
                QCOMPARE(s.dialogs.shown[1].text,
                         QString("Unrecognized DHTML Code, unable to update wysiwyg editor"));
                QVERIFY(s.editor.calls.filter("SaveDocument").isEmpty());
                QVERIFY(s.form->state().changed);
            } else {
                QCOMPARE(s.editor.html, QString("<p>typed</p>"));
                QCOMPARE(s.editor.calls.filter(QRegularExpression("put|Save")),
                         (QStringList { "putDocumentHTML", "SaveDocument(/a.htm,0)" }));
            }
        }
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

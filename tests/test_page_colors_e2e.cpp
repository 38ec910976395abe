// The page colours in the whole program, started as the user starts it, on
// the real editing engine: the Page Property menu, the panel's buttons, and
// the saved file.

#include "editor_program.h"
#include "file_bytes.h"
#include "web_test_main.h"

#include <QFile>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

class PageColorsEndToEndTest : public QObject
{
    Q_OBJECT
    RunningEditor app;
    WebEditingComponent *&editor = app.editor;
    ScriptedDialogs &dialogs = app.dialogs;
    ScriptedFileDialogs *&files = app.files;
    std::unique_ptr<MainForm> &form = app.form;
    QTemporaryDir dir;

    MainWidgets &w() { return app.w(); }
    QWidget *panelChild(const char *name, const QString &text = {})
    {
        for (auto *b : w().Framebgcolor->findChildren<QAbstractButton *>(name)) {
            if (text.isEmpty() || b->text() == text)
                return b;
        }
        return nullptr;
    }
    void openFromPagePropertyMenu(const QString &item)
    {
        chooseFromNextMenu(this, item);
        w().pageproperty->popup(form->menuBar()->mapToGlobal(QPoint(0, form->menuBar()->height())));
    }

private slots:
    void initTestCase() { QVERIFY(app.start(false)); }
    void cleanupTestCase() { app.stop(); }

    void greenBackgroundIsSavedInTheFile()
    {
        QVERIFY(!form->state().changed);
        openFromPagePropertyMenu("Body BackGround Color");
        QTRY_VERIFY(w().Framebgcolor->isVisible());
        QWidget *green = panelChild("Option1", "Green");
        QVERIFY(green);
        QTest::mouseClick(green, Qt::LeftButton);
        // Shown at once, and the page counts as changed.
        QTRY_VERIFY(editor->DocumentHTML().contains("bgcolor=\"Green\""));
        QTRY_VERIFY(form->state().changed);

        QTest::mouseClick(panelChild("Commandsetbgcolor"), Qt::LeftButton);
        QVERIFY(!w().Framebgcolor->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), editor->view()->focusProxy());

        const QString page = dir.filePath("green.htm");
        files->saveChoice = page;
        w().FileSaveAs->trigger();
        QTRY_VERIFY2(readBytes(page).contains("bgcolor=\"Green\""), readBytes(page).constData());
        QVERIFY(dialogs.shown.isEmpty());
    }

    void cancelTakesThePreviewBackOut()
    {
        openFromPagePropertyMenu("Link Color");
        QTRY_VERIFY(w().Framebgcolor->isVisible());
        QTest::mouseClick(panelChild("Option1", "Red"), Qt::LeftButton);
        QTRY_VERIFY(editor->DocumentHTML().contains("link=\"Red\""));
        QTest::mouseClick(panelChild("Commandcancelbgcolor"), Qt::LeftButton);
        QVERIFY(!editor->DocumentHTML().contains("link="));
        QVERIFY(editor->DocumentHTML().contains("bgcolor=\"Green\""));
        QVERIFY(!w().Framebgcolor->isVisible());
    }
};

WEB_TEST_MAIN(PageColorsEndToEndTest)
#include "test_page_colors_e2e.moc"

// The page colours in the whole program, started as the user starts it, on
// the real editing engine: the Page Property menu, the panel's buttons, and
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
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
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

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class PageColorsEndToEndTest : public QObject
{
    Q_OBJECT
    WebEditingComponent *editor = nullptr;
    HtmlStoreComponent store;
    ScriptedDialogs dialogs;
    ScriptedFileDialogs *files = nullptr;
    std::unique_ptr<MainForm> form;
    QTemporaryDir dir;

    MainWidgets &w() { return form->widgets(); }
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
        QTRY_VERIFY2(fileBytes(page).contains("bgcolor=\"Green\""), fileBytes(page).constData());
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

// The picture tool in the whole program on the real engine: Insert >
// Picture..., a JPEG picked in a folder of its own, its natural size in the
// fields, the picture shown in the page, and the img in the saved file.

#include "insert/insert_subsystem.h"
#include "insert/picture_panel.h"
#include "editor_program.h"
#include "web_test_main.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

QModelIndex fileIndex(QListView *view, const QString &name)
{
    const QModelIndex root = view->rootIndex();
    for (int i = 0; i < view->model()->rowCount(root); ++i) {
        const QModelIndex index = view->model()->index(i, 0, root);
        if (index.data().toString() == name)
            return index;
    }
    return {};
}

} // namespace

class PictureEndToEndTest : public QObject
{
    Q_OBJECT
    RunningEditor app;
    WebEditingComponent *&editor = app.editor;
    ScriptedDialogs &dialogs = app.dialogs;
    ScriptedFileDialogs *&files = app.files;
    std::unique_ptr<MainForm> &form = app.form;
    QTemporaryDir pictures, pages;
    QString home;

    MainWidgets &w() { return form->widgets(); }
    QVariant inPage(const QString &script) { return evaluateInEngine(editor, script); }

private slots:
    void initTestCase()
    {
        QVERIFY(pictures.isValid() && pages.isValid());
        QVERIFY(QImage(200, 100, QImage::Format_RGB32).save(pictures.filePath("Photo.JPG"), "JPG"));
        // The browser starts where the program was started.
        home = QDir::currentPath();
        QVERIFY(QDir::setCurrent(pictures.path()));
        QVERIFY(app.start(false));
    }
    void cleanupTestCase()
    {
        app.stop();
        QDir::setCurrent(home);
    }

    void pictureIsPickedInsertedShownAndSaved()
    {
        chooseFromNextMenu(this, "Picture...");
        w().insert->popup(form->menuBar()->mapToGlobal(QPoint(0, form->menuBar()->height())));
        QTRY_VERIFY(w().frameinsertpic->isVisible());
        PicturePanel *panel = form->findChild<InsertSubsystem *>()->picturePanel();
        QTRY_VERIFY(fileIndex(panel->File1, "Photo.JPG").isValid());
        const QModelIndex photo = fileIndex(panel->File1, "Photo.JPG");
        QTest::mouseClick(panel->File1->viewport(), Qt::LeftButton, {},
                          panel->File1->visualRect(photo).center());
        QCOMPARE(panel->txtwidth->text(), QStringLiteral("200"));
        QCOMPARE(panel->txtheight->text(), QStringLiteral("100"));
        panel->txtAltPicture->setText("Logo");
        QTest::mouseClick(panel->Command2, Qt::LeftButton);
        QVERIFY(!w().frameinsertpic->isVisible());

        const QString src = pictures.filePath("Photo.JPG");
        QTRY_VERIFY(editor->DocumentHTML().contains("src=\"" + src + "\""));
        QTRY_VERIFY(form->state().changed);
        // Served from outside the page's folder, the picture is shown.
        QTRY_COMPARE(inPage("document.querySelector('img').complete"
                            " && document.querySelector('img').naturalWidth")
                         .toInt(),
                     200);

        const QString page = pages.filePath("with-picture.htm");
        files->saveChoice = page;
        w().FileSaveAs->trigger();
        QFile saved(page);
        QTRY_VERIFY(saved.exists());
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QVERIFY2(bytes.contains(QString("<img src=\"%1\" border=\"0\" width=\"200\" height=\"100\" "
                                        "alt=\"Logo\">")
                                    .arg(src)
                                    .toUtf8()),
                 bytes.constData());
        QVERIFY(dialogs.shown.isEmpty());
    }
};

WEB_TEST_MAIN(PictureEndToEndTest)
#include "test_picture_e2e.moc"

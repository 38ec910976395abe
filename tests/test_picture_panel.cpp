// The picture panel: the preview's fit and the fields' numbers, the browser's
// folder and pattern rules on a real folder, and the insert with and without
// update mode, against a scripted editing component.

#include "app/main_form.h"
#include "app/main_widgets.h"
#include "fake_editing_component.h"
#include "insert/insert_subsystem.h"
#include "insert/picture_fit.h"
#include "insert/picture_panel.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileSystemModel>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A 1 x 1 GIF: Qt reads GIF but does not write it.
const QByteArray TinyGif
    = QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==");

QStringList listed(QListView *view)
{
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int i = 0; i < view->model()->rowCount(root); ++i)
        names << view->model()->index(i, 0, root).data().toString();
    names.sort();
    return names;
}

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

struct Rig
{
    FakeEditingComponent editor, store;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainForm> form;
    InsertSubsystem *tools = nullptr;
    PicturePanel *panel = nullptr;

    Rig()
    {
        form = std::make_unique<MainForm>(&editor, &store, &dialogs);
        tools = new InsertSubsystem(form->widgets(), form->state(), form->hooks(), form->dialogs(),
                                    form.get());
        panel = tools->picturePanel();
        form->Form_Load();
        form->show();
        editor.domResults["selectionType"] = "None";
    }
    MainWidgets &w() { return form->widgets(); }
    void click(const QString &name)
    {
        const QModelIndex index = fileIndex(panel->File1, name);
        QVERIFY2(index.isValid(), qPrintable(name));
        QTest::mouseClick(panel->File1->viewport(), Qt::LeftButton, {},
                          panel->File1->visualRect(index).center());
    }
};

} // namespace

class PicturePanelTest : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString home;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(QImage(200, 100, QImage::Format_RGB32).save(dir.filePath("Photo.JPG"), "JPG"));
        QFile gif(dir.filePath("tiny.gif"));
        QVERIFY(gif.open(QIODevice::WriteOnly) && gif.write(TinyGif) == TinyGif.size());
        gif.close();
        QFile fake(dir.filePath("broken.jpg"));
        QVERIFY(fake.open(QIODevice::WriteOnly) && fake.write("not a picture") > 0);
        fake.close();
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        home = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(home); }

    void previewFitsTheBoxKeepingProportions()
    {
        const PreviewSize wide = fitPreview(1815, 1590, 3000, 1500);
        QCOMPARE(wide.width, 1815.0f);
        QCOMPARE(wide.height, 907.5f);
        const PreviewSize tall = fitPreview(1815, 1590, 1000, 3000);
        QCOMPARE(tall.width, 530.0f);
        QCOMPARE(tall.height, 1590.0f);
        const PreviewSize small = fitPreview(1815, 1590, 900, 600);
        QCOMPARE(small.width, 900.0f);
        QCOMPARE(small.height, 600.0f);
        // Too wide and, after the width fit, still too tall.
        const PreviewSize both = fitPreview(1815, 1590, 3630, 6360);
        QCOMPARE(both.width, 907.5f);
        QCOMPARE(both.height, 1590.0f);
        QCOMPARE(singleText(200), QStringLiteral("200"));
        QCOMPARE(singleText(907.5f), QStringLiteral("907.5"));
        QCOMPARE(singleText(400.0f / 3), QStringLiteral("133.3333"));
        QCOMPARE(joinFilePath("/", "a.jpg"), QStringLiteral("/a.jpg"));
        QCOMPARE(joinFilePath("/web", "pic.jpg"), QStringLiteral("/web/pic.jpg"));
    }

    void browsingFollowsTheFolderAndItsPattern()
    {
        Rig rig;
        PicturePanel *p = rig.panel;
        QCOMPARE(p->dirPath(), dir.path());
        QCOMPARE(p->Drive1->itemText(0), QStringLiteral("/"));
        QVERIFY(p->Drive1->accessibleName().size() > 0);
        QCOMPARE(p->txtBorder->text(), QStringLiteral("0"));
        // Before any folder change only JPEG files are listed, in any case.
        QTRY_COMPARE(listed(p->File1), QStringList({ "Photo.JPG", "broken.jpg" }));
        p->Dir1_Click();
        QTRY_COMPARE(listed(p->File1), QStringList({ "Photo.JPG", "broken.jpg" }));
        p->Dir1_Change(dir.filePath("sub"));
        QCOMPARE(p->dirPath(), dir.filePath("sub"));
        QCOMPARE(p->pattern(), QStringLiteral("*.jpg;*.gif"));
        QTRY_COMPARE(listed(p->File1), QStringList());
        p->Dir1_Change(dir.filePath("sub") + "/..");
        QCOMPARE(p->dirPath(), dir.path());
        QTRY_COMPARE(listed(p->File1), QStringList({ "Photo.JPG", "broken.jpg", "tiny.gif" }));
        QTRY_VERIFY(listed(p->Dir1).contains("sub"));
        // The way up is a folder of the list too.
        QVERIFY(listed(p->Dir1).contains(".."));
        // A folder that cannot be opened leaves the panel where it was, and says so.
        p->Dir1_Change(dir.filePath("missing"));
        QCOMPARE(p->dirPath(), dir.path());
        QVERIFY(p->problem().contains("missing"));
        // A drive change lists the drive's root.
        p->Drive1->setCurrentIndex(0);
        p->Drive1_Change();
        QCOMPARE(p->dirPath(), QStringLiteral("/"));
        QVERIFY(p->problem().isEmpty());
    }

    void clickingAFilePreviewsItAndSetsTheSize()
    {
        Rig rig;
        PicturePanel *p = rig.panel;
        rig.w().insertpicture->trigger();
        p->Dir1_Change(dir.path());
        QTRY_VERIFY(fileIndex(p->File1, "tiny.gif").isValid());
        p->txtwidth->setText("typed");
        rig.click("Photo.JPG");
        QCOMPARE(p->fileName(), QStringLiteral("Photo.JPG"));
        QCOMPARE(p->txtwidth->text(), QStringLiteral("200"));
        QCOMPARE(p->txtheight->text(), QStringLiteral("100"));
        // 3000 x 1500 twips in the box: 1815 x 907.5 twips.
        QCOMPARE(p->previewimage->size(), QSize(121, 61));
        QCOMPARE(p->previewimage->pos(), QPoint(0, 0));
        QVERIFY(p->previewimage->isVisible());
        rig.click("tiny.gif");
        QCOMPARE(p->txtwidth->text(), QStringLiteral("1"));
        QCOMPARE(p->previewimage->size(), QSize(1, 1));
        // Not a picture: said in the panel, fields as they were, no box.
        rig.click("broken.jpg");
        QVERIFY(p->problem().contains("broken.jpg"));
        QCOMPARE(p->txtwidth->text(), QStringLiteral("1"));
        QVERIFY(!p->previewimage->isVisible());
        QVERIFY(rig.dialogs.shown.isEmpty());
        rig.click("Photo.JPG");
        QVERIFY(p->problem().isEmpty());
    }

    void insertPastesTheElementAndReplacesOnlyFromUpdate()
    {
        Rig rig;
        PicturePanel *p = rig.panel;
        MainWidgets &w = rig.w();
        // Nothing chosen: nothing pasted, the panel closes.
        w.insertpicture->trigger();
        QTest::mouseClick(p->Command2, Qt::LeftButton);
        QVERIFY(rig.editor.pasted.isEmpty());
        QVERIFY(!w.frameinsertpic->isVisibleTo(rig.form->centralWidget()));

        w.insertpicture->trigger();
        p->Dir1_Change(dir.path());
        QTRY_VERIFY(fileIndex(p->File1, "Photo.JPG").isValid());
        rig.click("Photo.JPG");
        p->txtAltPicture->setText("A \"big\" one");
        QTest::mouseClick(p->Command2, Qt::LeftButton);
        const QString expected = "<img src=\"" + dir.filePath("Photo.JPG")
            + "\" border=0 width=200 height=100 alt=\"A &quot;big&quot; one\">";
        QCOMPARE(rig.editor.pasted, QStringList({ expected }));
        QVERIFY(rig.editor.execs.isEmpty());
        // The fields are kept for the next opening.
        QCOMPARE(p->txtAltPicture->text(), QStringLiteral("A \"big\" one"));

        // Update > Picture over a selected picture deletes it first.
        rig.editor.domResults["selectionType"] = "Control";
        rig.editor.elementHTML = "<IMG src=\"old.gif\">";
        rig.tools->updatemenu1_Click();
        QVERIFY(w.updatepicture->isEnabled());
        w.updatepicture->trigger();
        QTest::mouseDClick(p->File1->viewport(), Qt::LeftButton, {},
                           p->File1->visualRect(fileIndex(p->File1, "Photo.JPG")).center());
        QCOMPARE(rig.editor.execs.size(), 1);
        QCOMPARE(rig.editor.execs[0].cmdId, int(DECMD_DELETE));
        QCOMPARE(rig.editor.pasted.size(), 2);
        QVERIFY(!w.frameinsertpic->isVisibleTo(rig.form->centralWidget()));
        // Insert > Picture afterwards, even over a selected control, does not.
        w.insertpicture->trigger();
        p->Command2->click();
        QCOMPARE(rig.editor.execs.size(), 1);
        QCOMPARE(rig.editor.pasted.size(), 3);

        // A refused paste is said; the panel stays open.
        rig.editor.pasteError = ComponentError(ComponentErrorCode::Unexpected, "no");
        w.insertpicture->trigger();
        p->Command2->click();
        QCOMPARE(rig.dialogs.shown.size(), 1);
        QVERIFY(w.frameinsertpic->isVisibleTo(rig.form->centralWidget()));
        p->Command3->click();
        QVERIFY(!w.frameinsertpic->isVisibleTo(rig.form->centralWidget()));
    }
};

QTEST_MAIN(PicturePanelTest)
#include "test_picture_panel.moc"

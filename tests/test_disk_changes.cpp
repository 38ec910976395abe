// The page's file changed by another program: the component notices, the
// window reloads or asks at activation, and a save over it asks first.

#include "app/disk_watch.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets_builder.h"
#include "document/document_subsystem.h"
#include "fake_editing_component.h"
#include "platform/editing/web_editing_component.h"
#include "scripted_dialogs.h"
#include "scripted_file_dialogs.h"
#include "web_test_main.h"

#include <QFile>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTemporaryDir>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

struct Rig
{
    QTemporaryDir files;
    QString page = files.filePath("a.htm");
    QMainWindow window;
    MainWidgets w;
    FormState state;
    FormHooks hooks;
    ScriptedDialogs dialogs;
    FakeEditingComponent edit1, edit2;
    QStringList log;
    DocumentSubsystem *doc;
    DiskWatch *watch;

    Rig()
    {
        buildMainWidgets(&window, w);
        w.DHTMLEdit1 = &edit1;
        w.DHTMLEdit2 = &edit2;
        hooks.TitleRefresh = [this] { log << "title"; };
        hooks.StatusRefresh = [this] { log << "status"; };
        edit1.html = "<p>edited</p>";
        writeFile(page, "<p>on disk</p>");
        edit1.path = page;
        doc = new DocumentSubsystem(w, state, hooks, dialogs, &window);
        watch = new DiskWatch(&window, w, state, hooks, dialogs, &window);
    }
    int loads() const { return edit1.calls.filter(QString("LoadDocument(%1,0)").arg(page)).size(); }
};

} // namespace

class TestDiskChanges : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // The component's own reads and writes are the file as it should be; any
    // other change, a replacement or a removal is seen.
    void theComponentSeesOtherProgramsChanges()
    {
        WebEditingComponent component;
        component.setFileDialogs(std::make_unique<ScriptedFileDialogs>());
        const QString path = dir.filePath("page.html");
        QVERIFY(writeFile(path, "<html><body><p>one</p></body></html>"));
        QVERIFY(!component.DocumentChangedOnDisk()); // nothing loaded yet
        COMPONENT_OK(component.LoadDocument(path));
        QVERIFY(!component.DocumentChangedOnDisk());

        QVERIFY(writeFile(path, "<html><body><p>changed elsewhere</p></body></html>"));
        QVERIFY(component.DocumentChangedOnDisk());
        component.AcceptDiskState();
        QVERIFY(!component.DocumentChangedOnDisk());

        COMPONENT_OK(component.SaveDocument(path));
        QVERIFY(!component.DocumentChangedOnDisk());

        // Same size, later time.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(60),
                              QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(component.DocumentChangedOnDisk());
        component.AcceptDiskState();

        QVERIFY(QFile::remove(path));
        QVERIFY(component.DocumentChangedOnDisk());
        COMPONENT_OK(component.NewDocument());
        QVERIFY(!component.DocumentChangedOnDisk()); // an untitled page has no file
    }

    void activationReloadsAPageWithoutEdits()
    {
        Rig r;
        r.edit1.changedOnDisk = true;
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&r.window, &activate);
        QCOMPARE(r.loads(), 0); // not inside the activation
        QTRY_COMPARE(r.loads(), 1);
        QVERIFY(r.dialogs.shown.isEmpty());
        QVERIFY(!r.state.changed);
        QVERIFY(r.log.contains("title"));

        // Nothing changed since: nothing happens.
        r.watch->check();
        QCOMPARE(r.loads(), 1);
    }

    void aPageWithEditsAsksFirst_data()
    {
        QTest::addColumn<bool>("sourceOnly");
        QTest::addColumn<int>("answer");
        QTest::newRow("edited, Yes") << false << int(vbYes);
        QTest::newRow("edited, No") << false << int(vbNo);
        QTest::newRow("source box edited, No") << true << int(vbNo);
    }
    void aPageWithEditsAsksFirst()
    {
        QFETCH(bool, sourceOnly);
        QFETCH(int, answer);
        Rig r;
        r.edit1.changedOnDisk = true;
        r.state.changed = !sourceOnly;
        r.state.sourceView = sourceOnly;
        r.state.sourceEdited = sourceOnly;
        r.dialogs.answers.enqueue(answer);
        r.watch->check();
        QCOMPARE(r.dialogs.shown.size(), 1);
        QVERIFY(r.dialogs.shown[0].text.contains(QDir::toNativeSeparators(r.page)));
        QCOMPARE(r.dialogs.shown[0].buttons, MsgButtons::YesNo);
        QCOMPARE(r.loads(), answer == vbYes ? 1 : 0);
        QCOMPARE(r.state.changed, answer != vbYes && !sourceOnly);
        QCOMPARE(r.edit1.html,
                 answer == vbYes ? QString("<html><body>loaded %1</body></html>").arg(r.page)
                                 : QString("<p>edited</p>"));
        // Asked once: the next activation does not ask again.
        r.watch->check();
        QCOMPARE(r.dialogs.shown.size(), 1);
    }

    void aRemovedFileIsSaidOnce()
    {
        Rig r;
        r.edit1.path = dir.filePath("never-there.htm");
        r.edit1.changedOnDisk = true;
        r.state.changed = true;
        r.watch->check();
        QCOMPARE(r.dialogs.shown.size(), 1);
        QVERIFY(r.dialogs.shown[0].text.contains("removed"));
        QCOMPARE(r.edit1.html, "<p>edited</p>");
        QVERIFY(r.state.changed);
        r.watch->check();
        QCOMPARE(r.dialogs.shown.size(), 1);
    }

    void aFailedReloadKeepsThePage()
    {
        Rig r;
        r.edit1.changedOnDisk = true;
        r.edit1.loadError = ComponentError(ComponentErrorCode::Frameset, "The page is a frameset.");
        r.watch->check();
        QCOMPARE(r.dialogs.shown.size(), 1);
        QVERIFY(r.dialogs.shown[0].text.contains("The page is a frameset."));
        QCOMPARE(r.edit1.html, "<p>edited</p>");
    }

    // A save under the page's own name over a file another program changed.
    void aSaveOverAChangedFileAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes saves") << int(vbYes);
        QTest::newRow("No keeps the other version") << int(vbNo);
    }
    void aSaveOverAChangedFileAsks()
    {
        QFETCH(int, answer);
        Rig r;
        const QString path = dir.filePath("save-over.htm");
        QVERIFY(writeFile(path, "<p>theirs</p>"));
        r.edit1.path = path;
        r.edit1.changedOnDisk = true;
        r.state.changed = true;
        r.dialogs.answers.enqueue(answer);
        QCOMPARE(r.doc->SaveDocument(false), answer == vbYes);
        QCOMPARE(r.dialogs.shown.size(), 1);
        QVERIFY(r.dialogs.shown[0].text.contains(QDir::toNativeSeparators(path)));
        QCOMPARE(r.edit1.calls.filter("SaveDocument").size(), answer == vbYes ? 1 : 0);
        QCOMPARE(r.state.changed, answer != vbYes);
    }

    void anUnchangedFileIsSavedWithoutAQuestion()
    {
        Rig r;
        const QString path = dir.filePath("plain.htm");
        QVERIFY(writeFile(path, "<p>ours</p>"));
        r.edit1.path = path;
        r.state.changed = true;
        QVERIFY(r.doc->SaveDocument(false));
        QVERIFY(r.dialogs.shown.isEmpty());
    }
};

WEB_TEST_MAIN(TestDiskChanges)
#include "test_disk_changes.moc"

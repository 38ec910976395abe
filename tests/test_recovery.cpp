// Unsaved work kept for the next run against a scripted editing component: the
// copy written once edits pause, removed when nothing is left unsaved, and
// offered back at the next start.

#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets_builder.h"
#include "app/recovery.h"
#include "document/document_subsystem.h"
#include "fake_editing_component.h"
#include "scripted_dialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

namespace {

// Edits 50 ms apart stay one burst even on a busy machine.
constexpr int IdleMs = 400;

struct Rig
{
    QTemporaryDir dir;
    QMainWindow window;
    MainWidgets w;
    FormState state;
    FormHooks hooks;
    ScriptedDialogs dialogs;
    FakeEditingComponent edit1, edit2;
    QStringList titles;
    int promptAnswer = vbNo;
    DocumentSubsystem *doc;
    std::unique_ptr<PageRecovery> recovery;

    Rig()
    {
        buildMainWidgets(&window, w);
        w.DHTMLEdit1 = &edit1;
        w.DHTMLEdit2 = &edit2;
        hooks.TitleRefresh = [this] { titles << edit1.path; };
        hooks.SaveChangesPrompt = [this] {
            if (!state.changed)
                return 0;
            return promptAnswer == vbNo ? 7 : 2;
        };
        // As the window does.
        QObject::connect(&edit1, &EditingComponent::ContentChanged, &window,
                         [this] { state.changed = true; });
        edit1.html = "<p>old</p>";
        edit1.path = "/pages/a.htm";
        edit1.encoding = "windows-1252";
        doc = new DocumentSubsystem(w, state, hooks, dialogs, &window);
        start();
    }
    void start()
    {
        recovery = std::make_unique<PageRecovery>(w, state, hooks, dialogs, dir.path());
        recovery->setIdleMs(IdleMs);
    }
    QString file() const { return recovery->filePath(); }
    void type(const QString &html)
    {
        edit1.html = html;
        edit1.fireDisplayChanged();
    }
    bool kept(RecoveredPage &page) const { return readRecoveryFile(file(), page); }
    // A copy a run that ended without cleaning up left.
    QString previous() const { return dir.filePath("unsaved-page-1-1.json"); }
    void keep(const RecoveredPage &page) const { QVERIFY(writeRecoveryFile(previous(), page)); }
};

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void theUnsavedPageIsWrittenOnceEditsPause()
    {
        Rig r;
        QVERIFY(r.file().startsWith(r.dir.path()));
        r.type("<p>one</p>");
        QTest::qWait(IdleMs / 8);
        r.type("<p>two</p>");
        QTest::qWait(IdleMs / 8);
        QVERIFY2(!QFile::exists(r.file()), "written before the edits paused");
        QTRY_VERIFY(QFile::exists(r.file()));
        RecoveredPage page;
        QVERIFY(r.kept(page));
        QCOMPARE(page.html, "<p>two</p>");
        QCOMPARE(page.path, "/pages/a.htm");
        QCOMPARE(page.encoding, "windows-1252");
        QVERIFY(QDateTime::fromString(page.savedAt, Qt::ISODate).isValid());
        QCOMPARE(QFile::permissions(r.file()) & (QFile::ReadOther | QFile::ReadGroup),
                 QFile::Permissions());

        // A later edit replaces the copy whole.
        r.type("<p>three</p>");
        QTRY_VERIFY(r.kept(page) && page.html == "<p>three</p>");
        QVERIFY(QDir(r.dir.path()).entryList({ "*.json" }, QDir::Files)
                == QStringList { QFileInfo(r.file()).fileName() });
    }

    // What was typed in the source box and not yet applied is the newer text.
    void sourceBoxTextWaitingToBeAppliedIsKept()
    {
        Rig r;
        r.state.sourceView = true;
        r.state.sourceEdited = true;
        r.w.txtHTML->setPlainText("<p>typed in the source</p>");
        QTRY_VERIFY(QFile::exists(r.file()));
        RecoveredPage page;
        QVERIFY(r.kept(page));
        QCOMPARE(page.html, "<p>typed in the source</p>");
    }

    void aBusyOrFailingEditorKeepsTheLastWholeCopy()
    {
        Rig r;
        r.type("<p>first</p>");
        QTRY_VERIFY(QFile::exists(r.file()));
        r.edit1.busy = true;
        r.type("<p>second</p>");
        QTest::qWait(IdleMs * 3);
        RecoveredPage page;
        QVERIFY(r.kept(page));
        QCOMPARE(page.html, "<p>first</p>");
        r.edit1.busy = false; // tried again until the editor is free
        QTRY_VERIFY(r.kept(page) && page.html == "<p>second</p>");

        r.edit1.getError = ComponentError(ComponentErrorCode::Timeout);
        r.type("<p>third</p>");
        QTest::qWait(IdleMs * 3);
        QVERIFY(r.kept(page));
        QCOMPARE(page.html, "<p>second</p>");
    }

    // A copy the editor keeps as the page changes costs nothing to take: it
    // is written while the user goes on typing, so that a kill loses at most
    // the last moment, and the page itself is never asked.
    void aKeptCopyIsWrittenWhileTheUserTypes()
    {
        Rig r;
        r.edit1.keepsCopy = true;
        QElapsedTimer clock;
        clock.start();
        QList<qint64> typedAt { 0 };
        // A key every 50 ms for two seconds: the edits never pause.
        while (clock.elapsed() < 2000) {
            typedAt << clock.elapsed();
            r.type(QString("<p>key %1</p>").arg(typedAt.size() - 1));
            QTest::qWait(50);
        }
        const qint64 end = clock.elapsed();
        RecoveredPage page;
        QVERIFY2(r.kept(page), "nothing written while the user typed");
        const int key = page.html.mid(7).section('<', 0, 0).toInt();
        QVERIFY2(key > 0 && end - typedAt[key] < 1000,
                 qPrintable(QString("the copy holds %1 of %2 keys, typed %3 ms before")
                                .arg(key)
                                .arg(typedAt.size() - 1)
                                .arg(end - typedAt.value(key))));
        QCOMPARE(r.edit1.pageReads, 0);
        // And once the user stops, the last key is in it.
        QTRY_VERIFY(r.kept(page) && page.html == QString("<p>key %1</p>").arg(typedAt.size() - 1));
    }

    // A copy that cannot be written (a full disk; here, a limit on how large
    // a file may grow) is said once, with the reason, and tried again until
    // it can be written; then the notice goes.
    void aCopyThatCannotBeWrittenIsSaidOnceAndRetried()
    {
        Rig r;
        QStringList shown, hidden;
        r.hooks.ShowNotice = [&](const QString &text) { shown << text; };
        r.hooks.HideNotice = [&](const QString &text) { hidden << text; };
        r.recovery->setRetryMs(200);
        r.edit1.keepsCopy = true;
        r.type("<p>small</p>");
        RecoveredPage kept;
        QTRY_VERIFY(r.kept(kept));
        struct FileSizeLimit
        {
            rlimit old {};
            FileSizeLimit()
            {
                ::signal(SIGXFSZ, SIG_IGN);
                ::getrlimit(RLIMIT_FSIZE, &old);
                rlimit small = old;
                small.rlim_cur = 1024;
                ::setrlimit(RLIMIT_FSIZE, &small);
            }
            ~FileSizeLimit() { lift(); }
            void lift() { ::setrlimit(RLIMIT_FSIZE, &old); }
        } limit;
        const QString page = "<p>" + QString(4000, 'x') + "</p>";
        r.type(page);
        QTRY_COMPARE(shown.size(), 1);
        QVERIFY2(shown[0].contains(QDir::toNativeSeparators(r.dir.path()))
                     && shown[0].contains(qt_error_string(EFBIG)),
                 qPrintable(shown[0]));
        // The copy written before is still whole: a cut-short write never
        // takes its place.
        QVERIFY(r.kept(kept));
        QCOMPARE(kept.html, "<p>small</p>");
        r.type(page + "<p>more</p>");
        QTest::qWait(1000); // written and retried meanwhile, in vain
        QCOMPARE(shown.size(), 1);
        QVERIFY(hidden.isEmpty());

        limit.lift(); // space again: the copy comes without another edit
        QTRY_VERIFY(r.kept(kept) && kept.html == page + "<p>more</p>");
        QTRY_COMPARE(hidden, shown);
    }

    // The run ends without the user's say (a signal, the display gone): the
    // page as it is at that moment is written and outlives the run. Inside
    // exit() the page is never asked; the copy written last then stays.
    void anEndingKeepsTheLatestCopy()
    {
        RecoveredPage page;
        {
            Rig r;
            r.edit1.keepsCopy = true;
            r.type("<p>typed just now</p>");
            r.recovery->writeFinal(false);
            QVERIFY(r.kept(page));
            QCOMPARE(page.html, "<p>typed just now</p>");
            const QString file = r.file();
            r.recovery.reset();
            QVERIFY(QFile::exists(file));
        }
        Rig r;
        r.type("<p>first</p>");
        QTRY_VERIFY(r.kept(page) && page.html == "<p>first</p>");
        r.type("<p>second</p>");
        const int reads = r.edit1.pageReads;
        r.recovery->writeFinal(false);
        QCOMPARE(r.edit1.pageReads, reads);
        QVERIFY(r.kept(page));
        QCOMPARE(page.html, "<p>first</p>");
        r.recovery->writeFinal(true); // from the event loop it may ask
        QVERIFY(r.kept(page));
        QCOMPARE(page.html, "<p>second</p>");
        const QString file = r.file();
        r.recovery.reset();
        QVERIFY(QFile::exists(file));
    }

    // Gone once nothing is unsaved; kept while something still is.
    void theCopyGoesWithTheUnsavedWork_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("kept");
        QTest::newRow("save") << "save" << false;
        QTest::newRow("failed save") << "failed save" << true;
        QTest::newRow("cancelled Save As") << "cancelled save as" << true;
        QTest::newRow("New, discarding") << "new" << false;
        QTest::newRow("Open, discarding") << "open" << false;
        QTest::newRow("Open, its dialog cancelled") << "cancelled open" << true;
        QTest::newRow("clean exit") << "exit" << false;
    }
    void theCopyGoesWithTheUnsavedWork()
    {
        QFETCH(QString, action);
        QFETCH(bool, kept);
        Rig r;
        r.type("<p>typed</p>");
        QTRY_VERIFY(QFile::exists(r.file()));
        if (action == "save") {
            QVERIFY(r.doc->SaveDocument(false));
        } else if (action == "failed save") {
            r.edit1.saveError = ComponentError(ComponentErrorCode::DiskFull);
            QVERIFY(!r.doc->SaveDocument(false));
        } else if (action == "cancelled save as") {
            r.edit1.dialogChoice.clear();
            QVERIFY(!r.doc->SaveDocument(true));
        } else if (action == "new") {
            r.doc->FileNew_Click();
        } else if (action == "open") {
            r.edit1.dialogChoice = "/pages/b.htm";
            r.doc->FileOpen_Click();
        } else if (action == "cancelled open") {
            r.edit1.dialogChoice.clear();
            r.doc->FileOpen_Click();
        } else if (action == "exit") {
            r.recovery.reset();
            QVERIFY(!QFile::exists(QDir(r.dir.path()).filePath("unsaved-page.json")));
            return;
        }
        QCOMPARE(r.state.changed, kept);
        QTRY_COMPARE(QFile::exists(r.file()), kept);
        // Nor does a pending write bring it back.
        QTest::qWait(IdleMs * 3);
        QCOMPARE(QFile::exists(r.file()), kept);
    }

    void nothingIsOfferedWithoutACopy()
    {
        Rig r;
        r.recovery->offerRestore();
        QVERIFY(r.dialogs.shown.isEmpty());
        QCOMPARE(r.edit1.putCount, 0);
    }

    void aCopyIsOfferedAndRestored_data()
    {
        QTest::addColumn<QString>("oldPath");
        QTest::addColumn<bool>("oldFileThere");
        QTest::addColumn<QString>("restoredPath");
        QTest::newRow("untitled") << "" << false << "";
        QTest::newRow("under its old path") << "page.htm" << true << "page.htm";
        QTest::newRow("its old file gone: untitled") << "gone.htm" << false << "";
    }
    void aCopyIsOfferedAndRestored()
    {
        QFETCH(QString, oldPath);
        QFETCH(bool, oldFileThere);
        QFETCH(QString, restoredPath);
        Rig r;
        QTemporaryDir pages;
        const QString full = oldPath.isEmpty() ? QString() : pages.filePath(oldPath);
        if (oldFileThere) {
            QFile f(full);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("<p>on disk</p>");
        }
        r.edit1.path.clear();
        r.keep({ full, "UTF-8", "<p>kept work</p>", "2026-01-02T03:04:05Z" });
        r.dialogs.answers.enqueue(vbYes);
        r.recovery->offerRestore();

        QCOMPARE(r.dialogs.shown.size(), 1);
        const ShownMessage &box = r.dialogs.shown[0];
        QCOMPARE(box.buttons, MsgButtons::YesNo);
        QVERIFY2(box.text.contains(oldPath.isEmpty() ? QString("an untitled page")
                                                     : QDir::toNativeSeparators(full)),
                 qPrintable(box.text));
        QVERIFY2(box.text.contains("2026-01-0"), qPrintable(box.text));
        QCOMPARE(r.edit1.html, "<p>kept work</p>");
        QCOMPARE(r.edit1.path, restoredPath.isEmpty() ? QString() : full);
        QVERIFY(r.state.changed);
        QVERIFY(!r.titles.isEmpty());
        QCOMPARE(r.titles.last(), r.edit1.path);
        // Still unsaved, so kept, now as this run's own copy.
        RecoveredPage now;
        QVERIFY(r.kept(now));
        QCOMPARE(now.html, "<p>kept work</p>");
        QVERIFY(!QFile::exists(r.previous()));
    }

    void noDeletesTheCopy()
    {
        Rig r;
        r.keep({ "", "", "<p>kept work</p>", "" });
        r.dialogs.answers.enqueue(vbNo);
        r.recovery->offerRestore();
        QCOMPARE(r.dialogs.shown.size(), 1);
        QVERIFY(!QFile::exists(r.previous()));
        QCOMPARE(r.edit1.putCount, 0);
        QVERIFY(!r.state.changed);
    }

    // A copy the editor refuses is set aside under its own name, which no
    // later save or exit removes, and the message names it.
    void aCopyThatCannotBeRestoredIsSetAside()
    {
        Rig r;
        r.keep({ "", "", "<frameset></frameset>", "" });
        r.edit1.putError = ComponentError(ComponentErrorCode::Frameset);
        r.dialogs.answers.enqueue(vbYes);
        r.recovery->offerRestore();
        QCOMPARE(r.dialogs.shown.size(), 2);
        QVERIFY(!QFile::exists(r.previous()));
        const QStringList aside = QDir(r.dir.path()).entryList({ "unrestored-page-*.json" });
        QCOMPARE(aside.size(), 1);
        const QString asidePath = QDir(r.dir.path()).filePath(aside[0]);
        QVERIFY2(r.dialogs.shown[1].text.contains(QDir::toNativeSeparators(asidePath)),
                 qPrintable(r.dialogs.shown[1].text));
        RecoveredPage page;
        QVERIFY(readRecoveryFile(asidePath, page));
        QCOMPARE(page.html, "<frameset></frameset>");
        r.recovery.reset(); // a clean exit
        QVERIFY(QFile::exists(asidePath));
        r.hooks.titleRefresh(); // the window goes on without it
        QCOMPARE(r.titles.size(), 2);
    }

    // Two windows of the editor keep a copy each: neither offers the other's
    // while it runs, nor removes it on leaving; once one is gone without
    // cleaning up, its copy is offered.
    void eachWindowKeepsItsOwnCopy()
    {
        Rig r;
        FakeEditingComponent other;
        MainWidgets w2 = r.w;
        w2.DHTMLEdit1 = &other;
        w2.txtHTML = nullptr;
        FormState state2;
        FormHooks hooks2;
        ScriptedDialogs dialogs2;
        auto second = std::make_unique<PageRecovery>(w2, state2, hooks2, dialogs2, r.dir.path());
        second->setIdleMs(IdleMs);
        QVERIFY(second->filePath() != r.file());
        QObject::connect(&other, &EditingComponent::ContentChanged, [&] { state2.changed = true; });
        other.html = "<p>second window</p>";
        other.fireDisplayChanged();
        r.type("<p>first window</p>");
        QTRY_VERIFY(QFile::exists(r.file()) && QFile::exists(second->filePath()));

        // A third start while both run offers nothing.
        PageRecovery third(r.w, r.state, r.hooks, r.dialogs, r.dir.path());
        third.offerRestore();
        QVERIFY(r.dialogs.shown.isEmpty());

        r.recovery.reset(); // the first leaves
        RecoveredPage page;
        QVERIFY(readRecoveryFile(second->filePath(), page));
        QCOMPARE(page.html, "<p>second window</p>");

        // The second ends without cleaning up (its copy put back as a crash
        // leaves it; a killed run's stale lock is the end-to-end test's): the
        // next start offers the copy.
        const QString secondFile = second->filePath();
        QVERIFY(QFile::copy(secondFile, secondFile + ".saved"));
        second.reset();
        QVERIFY(QFile::rename(secondFile + ".saved", secondFile));
        r.dialogs.answers.enqueue(vbNo);
        third.offerRestore();
        QCOMPARE(r.dialogs.shown.size(), 1);
        QVERIFY(!QFile::exists(secondFile));
    }

    // A file of that name that is not a whole copy of ours is not offered,
    // and set aside rather than deleted.
    void aForeignFileIsNotOfferedNorDeleted()
    {
        Rig r;
        QFile f(r.previous());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("{\"html\": 3}");
        f.close();
        RecoveredPage page;
        QVERIFY(!readRecoveryFile(r.previous(), page));
        r.recovery->offerRestore();
        QVERIFY(r.dialogs.shown.isEmpty());
        r.recovery.reset();
        const QStringList aside = QDir(r.dir.path()).entryList({ "unrestored-page-*.json" });
        QCOMPARE(aside.size(), 1);
        QFile moved(QDir(r.dir.path()).filePath(aside[0]));
        QVERIFY(moved.open(QIODevice::ReadOnly));
        QCOMPARE(moved.readAll(), QByteArray("{\"html\": 3}"));
    }
};

QTEST_MAIN(TestRecovery)
#include "test_recovery.moc"

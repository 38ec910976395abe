// New, Open, Save and the File menu against a scripted editing component.

#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets_builder.h"
#include "app/page_template.h"
#include "document/document_errors.h"
#include "document/document_subsystem.h"
#include "document_rig.h"
#include "fake_editing_component.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

struct Rig : DocumentRig
{
    Rig() : DocumentRig("<p>old</p>", "/a.htm", "/b.htm") {}
};

class TestDocument : public QObject
{
    Q_OBJECT
private slots:
    void errorTables()
    {
        namespace E = ComponentErrorCode;
        const QString unknown = "Unknown error";
        const struct
        {
            quint32 code;
            QString load, save;
        } rows[] = {
            { E::Frameset, "Document contains a frameset", unknown },
            { E::FileNotFound, "File not found", unknown },
            { E::AccessDenied, "Access denied", "Access denied" },
            { 70, "Access denied", "Access denied" },
            { E::DiskFull, unknown, "Disk is full" },
            { E::NotHtml, "File is not an HTML page", unknown },
            { E::PageTooLarge, "Document is larger than 32 MB, the most the editor opens", unknown },
            { E::PageTooDeep,
              "Document nests its elements more than 4000 levels deep, more than the editor can edit",
              unknown },
            { E::Timeout, "The editing engine did not respond in time",
              "The editing engine did not respond in time" },
            { E::PageReplaced, unknown,
              "The editor no longer holds the page that was opened, so nothing was written" },
            { 0x80004005, unknown, unknown },
        };
        for (const auto &row : rows) {
            QCOMPARE(loadErrorText(row.code), row.load);
            QCOMPARE(saveErrorText(row.code), row.save);
        }
        QCOMPARE(loadErrorMessage(E::Frameset),
                 "Error occurred while loading document: Document contains a frameset.");
        QCOMPARE(loadErrorMessage(E::NotHtml),
                 "Error occurred while loading document: File is not an HTML page.");
        QCOMPARE(saveErrorMessage(E::DiskFull),
                 "Corvan DHTML Editor cannot save this file. "
                 "Error occurred while saving document: Disk is full.");
    }

    void promptAnswerDecides_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<bool>("proceeds");
        for (bool open : { false, true }) {
            const char *cmd = open ? "open " : "new ";
            QTest::addRow("%scancel", cmd) << open << int(vbCancel) << false << false;
            QTest::addRow("%syes, save fails", cmd) << open << int(vbYes) << true << false;
            QTest::addRow("%syes, saved", cmd) << open << int(vbYes) << false << true;
            QTest::addRow("%sno", cmd) << open << int(vbNo) << false << true;
        }
    }
    void promptAnswerDecides()
    {
        QFETCH(bool, open);
        QFETCH(int, answer);
        QFETCH(bool, saveFails);
        QFETCH(bool, proceeds);
        Rig r;
        r.state.changed = true;
        r.promptAnswer = answer;
        if (saveFails)
            r.edit1.saveError = ComponentError(ComponentErrorCode::DiskFull);
        open ? r.doc->FileOpen_Click() : r.doc->FileNew_Click();

        QCOMPARE(r.edit1.html != "<p>old</p>", proceeds);
        QCOMPARE(r.state.changed, !proceeds);
        QCOMPARE(r.dialogs.shown.size(), saveFails ? 1 : 0);
        if (open) { // toolbar reset first, then the title, whatever the answer
            QCOMPARE(r.log.first(), "toolbarReset");
            QVERIFY(r.log.contains(proceeds ? "title:/b.htm" : "title:/a.htm"));
            QCOMPARE(r.log.mid(r.log.size() - 3),
                     (QStringList { proceeds ? "title:/b.htm" : "title:/a.htm", "statusRefresh",
                                    "focusPage" }));
        } else if (proceeds) {
            QCOMPARE(r.edit1.html, newDocumentTemplate(false));
        }
    }

    void newFromSourceViewDropsUnappliedEdits()
    {
        Rig r;
        r.doc->menuhtmlsource_Click();
        QTest::keyClicks(r.w.txtHTML, "<p>typed</p>");
        r.doc->FileNew_Click();
        QVERIFY(r.log.contains("prompt")); // typing counts as a change
        QVERIFY(r.dialogs.shown.isEmpty()); // but is not offered for applying
        QCOMPARE(r.edit1.html, newDocumentTemplate(false));
        QVERIFY(!r.state.sourceView && !r.state.sourceEdited);
        QVERIFY(r.log.contains("title:"));
    }

    // A page that opened with something the user must know (bytes that could
    // not be read): one message, and the page is open all the same.
    void openTellsWhatTheLoadWarnedAbout()
    {
        Rig r;
        r.edit1.dialogChoice = "/bad-bytes.htm";
        r.edit1.loadWarning = "Some bytes of this page are not valid UTF-8 (2 places).";
        r.doc->FileOpen_Click();
        QCOMPARE(r.dialogs.shown.size(), 1);
        QCOMPARE(r.dialogs.shown[0].text, r.edit1.loadWarning);
        QCOMPARE(r.dialogs.shown[0].icon, MsgIcon::Exclamation);
        QCOMPARE(r.edit1.CurrentDocumentPath(), QStringLiteral("/bad-bytes.htm"));
        QVERIFY(!r.state.changed);

        r.edit1.loadWarning.clear();
        r.doc->FileOpen_Click();
        QCOMPARE(r.dialogs.shown.size(), 1); // nothing more to say
    }

    // An engine that stops answering while a page is started: a message, the
    // window goes on, and nothing that was there is thrown away.
    void aComponentThatCannotStartAPageEndsNothing()
    {
        Rig r;
        r.edit1.html = "<p>kept</p>";
        r.edit1.newError = ComponentError(ComponentErrorCode::Timeout);
        r.doc->FileNew_Click();
        QCOMPARE(r.dialogs.shown.size(), 1);
        QCOMPARE(r.dialogs.shown[0].text, loadErrorMessage(ComponentErrorCode::Timeout));
        QCOMPARE(r.edit1.html, QStringLiteral("<p>kept</p>"));

        r.edit1.loadError = ComponentError(ComponentErrorCode::NotHtml);
        r.doc->FileOpen_Click(); // its error path starts a page too
        QCOMPARE(r.dialogs.shown.size(), 2);
        QCOMPARE(r.dialogs.shown[1].text, loadErrorMessage(ComponentErrorCode::NotHtml));
    }

    void failedLoadLeavesEmptyUntitledPage()
    {
        Rig r;
        r.state.changed = r.state.sourceEdited = true;
        r.edit1.loadError = ComponentError(ComponentErrorCode::Frameset);
        r.doc->FileOpen_Click();
        QCOMPARE(r.dialogs.shown.size(), 1);
        QCOMPARE(r.dialogs.shown[0].text, loadErrorMessage(ComponentErrorCode::Frameset));
        QCOMPARE(r.dialogs.shown[0].icon, MsgIcon::Critical);
        QVERIFY(r.edit1.html.isEmpty()); // not the template
        QVERIFY(r.log.contains("title:"));
        QVERIFY(r.state.changed && r.state.sourceEdited);
    }

    void saveResults()
    {
        Rig r;
        r.edit1.path.clear();
        r.edit1.dialogChoice.clear();
        r.state.changed = true;
        QVERIFY(!r.doc->SaveDocument(false)); // untitled: nothing saved or shown
        QVERIFY(!r.doc->SaveDocument(true)); // dialog cancelled
        QVERIFY(r.dialogs.shown.isEmpty() && r.state.changed);

        r.edit1.dialogChoice = "/new.htm";
        r.w.FileSaveAs->trigger();
        QVERIFY(!r.state.changed);

        r.state.changed = true;
        r.edit1.saveError = ComponentError(0x80004005);
        QVERIFY(!r.doc->SaveDocument(false));
        QCOMPARE(r.edit1.calls.last(), "SaveDocument(/new.htm,0)");
        QCOMPARE(r.dialogs.shown.size(), 1);
        QVERIFY(r.dialogs.shown[0].text.endsWith("Unknown error."));
        QVERIFY(r.state.changed);
    }

    // Save is enabled exactly while the page has a file, from the moment that
    // changes, menu opened or not; on an untitled page its key asks for a name.
    void saveFollowsThePathAndItsKeyAlwaysActs()
    {
        Rig r;
        // Which action holds Save's key; exactly one of the two may.
        const auto keyHolder = [&r] {
            const bool save = r.w.FileSave->isEnabled();
            const bool saveAs = r.w.FileSaveUntitled->isEnabled();
            return save == saveAs ? QString(save ? "both" : "neither")
                                  : QString(save ? "Save" : "Save As");
        };
        QCOMPARE(r.w.FileSaveUntitled->shortcut(), r.w.FileSave->shortcut());
        QCOMPARE(keyHolder(), "Save");
        QCOMPARE(keyHolder(), "Save");
        r.w.FileNew->trigger();
        QCOMPARE(keyHolder(), "Save As");

        r.state.changed = true;
        r.edit1.dialogChoice = "/named.htm";
        r.w.FileSaveUntitled->trigger();
        QCOMPARE(r.edit1.calls.last(), "SaveDocument(,1)");
        QCOMPARE(keyHolder(), "Save");
        r.w.FileSave->trigger();
        QCOMPARE(r.edit1.calls.last(), "SaveDocument(/named.htm,0)");

        r.w.FileNew->trigger();
        r.edit1.dialogChoice.clear();
        r.w.FileSaveUntitled->trigger(); // Save As cancelled: still untitled
        QCOMPARE(keyHolder(), "Save As");
        r.edit1.dialogChoice = "/opened.htm";
        r.w.FileOpen->trigger();
        QCOMPARE(keyHolder(), "Save");
        r.edit1.loadError = ComponentError(ComponentErrorCode::NotHtml);
        r.w.FileOpen->trigger(); // the failed load leaves an untitled page
        QCOMPARE(keyHolder(), "Save As");

        // Opening the menu still checks.
        r.edit1.path = "/elsewhere.htm";
        emit r.w.file->aboutToShow();
        QCOMPARE(keyHolder(), "Save");
    }

    // Save and Open grey the toolbar; once they are over, whatever their
    // outcome, the toolbar is set from the page again and the page has the keyboard.
    void toolbarAndKeyboardComeBackAfterSaveOrOpen_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("choice");
        QTest::newRow("save") << "save"
                              << "";
        QTest::newRow("save as cancelled") << "save as"
                                           << "";
        QTest::newRow("save as") << "save as"
                                 << "/b.htm";
        QTest::newRow("open cancelled") << "open"
                                        << "";
        QTest::newRow("open") << "open"
                              << "/b.htm";
    }
    void toolbarAndKeyboardComeBackAfterSaveOrOpen()
    {
        QFETCH(QString, operation);
        QFETCH(QString, choice);
        Rig r;
        r.edit1.dialogChoice = choice;
        if (operation == "save")
            r.w.FileSave->trigger();
        else if (operation == "save as")
            r.w.FileSaveAs->trigger();
        else
            r.w.FileOpen->trigger();
        const QStringList tail = r.sinceReset();
        QVERIFY2(tail.first() == "toolbarReset", qPrintable(r.log.join(',')));
        QCOMPARE(tail.mid(tail.size() - 2), (QStringList { "statusRefresh", "focusPage" }));
    }

    void newGivesThePageTheKeyboard()
    {
        Rig r;
        r.w.FileNew->trigger();
        QCOMPARE(r.log.last(), "focusPage");
    }
};

QTEST_MAIN(TestDocument)
#include "test_document.moc"

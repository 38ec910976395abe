// Open URL, the browser preview and printing, against the scripted editor,
// scripted answers and a scripted desktop shell.

#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "document/exchange_subsystem.h"
#include "document/open_url.h"
#include "fake_editing_component.h"
#include "platform/shell.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

struct ScriptedShell : DesktopShell
{
    QStringList opened;
    bool busyWhenCalled = false;
    bool openWithDefaultProgram(const QString &path) override
    {
        busyWhenCalled = QApplication::overrideCursor()
            && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        opened << path;
        return false; // a failing shell is ignored
    }
};

struct Bench
{
    QMainWindow window;
    MainWidgets w;
    FormState state;
    FormHooks hooks;
    FakeEditingComponent editor;
    ScriptedDialogs dialogs;
    ScriptedShell shell;
    QStringList events; // saves and what the shell did, in order
    bool saveResult = true;
    std::function<void()> duringSave;
    std::unique_ptr<ExchangeSubsystem> exchange;

    Bench()
    {
        w.window = &window;
        w.DHTMLEdit1 = &editor;
        w.openurl = new QAction("Open URL", &window);
        w.inbrowser1 = new QAction("In Default Browser", &window);
        w.inbrowser1->setProperty("index", 1);
        w.print = new QAction("Print", &window);
        w.txtHTML = new QPlainTextEdit(&window);
        hooks.SaveDocument = [this](bool prompt) {
            events << QString("SaveDocument(%1)").arg(prompt);
            if (duringSave)
                duringSave();
            return saveResult;
        };
        exchange = std::make_unique<ExchangeSubsystem>(w, state, hooks, dialogs, shell);
        window.show();
    }
};

OpenUrlDialog *openDialog()
{
    return qobject_cast<OpenUrlDialog *>(QApplication::activeModalWidget());
}

// Runs steps, one per showing of the modal dialog, while Open URL runs.
void whileDialogShows(Bench &b, QList<std::function<void(OpenUrlDialog *)>> steps)
{
    auto *poll = new QTimer(&b.window);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, steps]() mutable {
        OpenUrlDialog *dialog = openDialog();
        if (!dialog || !dialog->isVisible() || steps.isEmpty())
            return;
        const auto step = steps.takeFirst();
        if (steps.isEmpty())
            poll->deleteLater();
        step(dialog);
    });
    poll->start(20);
}

} // namespace

class ExchangeTest : public QObject
{
    Q_OBJECT
private slots:
    // The dialog is made afresh for every use: "http://" each time, whatever
    // was typed before. Cancel loads nothing and saves nothing.
    void urlDialogStartsFreshAndCancels()
    {
        Bench b;
        QStringList seen;
        const auto typeAndCancel = [&](OpenUrlDialog *d) {
            seen << d->Text1->text();
            QCOMPARE(d->windowTitle(), QString("Open URL"));
            QCOMPARE(d->Label1->text(), QString("Enter URL to be opened:"));
            QCOMPARE(d->Label1->buddy(), d->Text1);
            QCOMPARE(d->Command1->text(), QString("Open URL"));
            QCOMPARE(d->Command2->text(), QString("Cancel"));
            QVERIFY(d->isModal());
            QCOMPARE(QApplication::focusWidget(), d->Text1);
            QTest::keyClicks(d->Text1, "example.org");
            d->Command2->click();
        };
        whileDialogShows(b, { typeAndCancel });
        b.w.openurl->trigger();
        whileDialogShows(b, { typeAndCancel });
        b.w.openurl->trigger();
        QCOMPARE(seen, (QStringList { "http://", "http://" }));
        QVERIFY(!b.editor.calls.join(' ').contains("LoadURL"));
        QVERIFY(b.events.isEmpty());
        QVERIFY(!b.window.findChild<OpenUrlDialog *>());
    }

    // Unsaved work is offered for saving before an address replaces it; a
    // Cancel there shows no dialog and loads nothing.
    void urlAsksAboutUnsavedWorkFirst()
    {
        Bench b;
        int asked = 0;
        int answer = 2;
        b.hooks.SaveChangesPrompt = [&] {
            ++asked;
            return answer;
        };
        const auto cancel = [](OpenUrlDialog *d) { d->Command2->click(); };
        whileDialogShows(b, { cancel });
        b.w.openurl->trigger(); // nothing changed: nothing asked
        QCOMPARE(asked, 0);

        b.state.changed = true;
        b.w.openurl->trigger();
        QCOMPARE(asked, 1);
        QVERIFY(!b.editor.calls.join(' ').contains("LoadURL"));

        answer = 7; // No: the dialog comes up as usual
        bool shown = false;
        whileDialogShows(b, { [&](OpenUrlDialog *d) {
            shown = true;
            d->Command2->click();
        } });
        b.w.openurl->trigger();
        QCOMPARE(asked, 2);
        QVERIFY(shown);
    }

    // A refused address: the message, and the dialog stays with the text;
    // a corrected one loads, the dialog goes, then Save As comes up.
    void failedUrlKeepsTheDialogThenLoadsAndSaves()
    {
        Bench b;
        b.editor.loadError = ComponentError(ComponentErrorCode::HostNotFound);
        QString textAfterFailure;
        bool dialogDuringSave = true;
        b.duringSave = [&] { dialogDuringSave = b.window.findChild<OpenUrlDialog *>() != nullptr; };
        whileDialogShows(b, { [&](OpenUrlDialog *d) {
                             d->Text1->setText(" http://wrong.example/ ");
                             d->Command1->click();
                             textAfterFailure = d->Text1->text();
                             QVERIFY(d->isVisible());
                             b.editor.loadError.reset();
                             d->Text1->setText("http://right.example/");
                             QTest::keyClick(d->Text1, Qt::Key_Return); // Enter opens
                         } });
        b.w.openurl->trigger();
        QCOMPARE(textAfterFailure, QString(" http://wrong.example/ "));
        QCOMPARE(b.dialogs.shown.size(), 1);
        QCOMPARE(b.dialogs.shown[0].text, OpenUrlFailedText);
        QCOMPARE(b.dialogs.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(b.dialogs.shown[0].buttons, MsgButtons::OK);
        // Typed exactly, untrimmed.
        QCOMPARE(
            b.editor.calls,
            (QStringList { "LoadURL( http://wrong.example/ )", "LoadURL(http://right.example/)" }));
        QCOMPARE(b.events, QStringList { "SaveDocument(1)" });
        QVERIFY(!dialogDuringSave);
    }

    // In the source view, text waiting in the source box belongs to the old
    // page: the save that follows the load must not apply it.
    void urlLoadRefillsTheSourceBox()
    {
        Bench b;
        b.state.sourceView = true;
        b.w.txtHTML->setPlainText("<p>old unapplied edit</p>");
        b.state.sourceEdited = true;
        bool editedAtSave = true;
        QString boxAtSave;
        b.duringSave = [&] {
            editedAtSave = b.state.sourceEdited;
            boxAtSave = b.w.txtHTML->toPlainText();
        };
        whileDialogShows(b, { [](OpenUrlDialog *d) {
                             d->Text1->setText("http://site.example/");
                             d->Command1->click();
                         } });
        b.w.openurl->trigger();
        QVERIFY(!editedAtSave);
        QCOMPARE(boxAtSave, QString("<html><body>from http://site.example/</body></html>"));
    }

    // No does nothing at all; Yes always saves with the dialog, then hands
    // the saved file to the browser under the busy cursor. With no file
    // (Save As cancelled on a page never saved) the browser is not started.
    void previewSavesThenOpensTheBrowser()
    {
        Bench b;
        b.dialogs.answers.enqueue(vbNo);
        b.w.inbrowser1->trigger();
        QCOMPARE(b.dialogs.shown.size(), 1);
        QCOMPARE(b.dialogs.shown[0].text, PreviewQuestionText);
        QCOMPARE(b.dialogs.shown[0].buttons, MsgButtons::YesNo);
        QCOMPARE(b.dialogs.shown[0].icon, MsgIcon::None);
        QVERIFY(b.events.isEmpty());
        QVERIFY(b.shell.opened.isEmpty());

        b.editor.path = "/pages/a.htm"; // titled: Save As is still asked for
        b.duringSave = [&] { b.editor.path = "/pages/b.htm"; };
        b.dialogs.answers.enqueue(vbYes);
        b.w.inbrowser1->trigger();
        QCOMPARE(b.events, QStringList { "SaveDocument(1)" });
        QCOMPARE(b.shell.opened, QStringList { "/pages/b.htm" });
        QVERIFY(b.shell.busyWhenCalled);
        QVERIFY(!QApplication::overrideCursor());

        // A cancelled save shows the last saved file.
        b.duringSave = nullptr;
        b.saveResult = false;
        b.dialogs.answers.enqueue(vbYes);
        b.w.inbrowser1->trigger();
        QCOMPARE(b.shell.opened, (QStringList { "/pages/b.htm", "/pages/b.htm" }));

        b.editor.path.clear();
        b.dialogs.answers.enqueue(vbYes);
        b.w.inbrowser1->trigger();
        QCOMPARE(b.events.size(), 3);
        QCOMPARE(b.shell.opened.size(), 2);
    }

    // The visual view prints through the component's own dialog; a failure
    // there is reported instead of escaping.
    void visualPrintGoesThroughTheComponent()
    {
        Bench b;
        b.w.print->trigger();
        QCOMPARE(b.editor.calls, QStringList { "PrintDocument(1)" });
        QCOMPARE(b.dialogs.printDialogs, 0);
        b.editor.printError = ComponentError(ComponentErrorCode::Unexpected, "No printer.");
        b.w.print->trigger();
        QCOMPARE(b.dialogs.shown.size(), 1);
        QVERIFY(b.dialogs.shown[0].text.contains("No printer."));
        QCOMPARE(b.dialogs.shown[0].icon, MsgIcon::Critical);
    }

    // The source view prints the whole text once per copy, each its own
    // job of one copy and all pages; Cancel prints and says nothing, and a
    // failing job ends the rest silently.
    void sourcePrintIsOneJobPerCopy()
    {
        Bench b;
        b.state.sourceView = true;
        b.w.txtHTML->setPlainText("<html>\n<body>source</body>\n</html>");
        b.dialogs.printCopies.enqueue(2);
        b.w.print->trigger();
        QCOMPARE(b.dialogs.printJobs.size(), 2);
        for (const auto &job : b.dialogs.printJobs) {
            QCOMPARE(job.text, b.w.txtHTML->toPlainText());
            QCOMPARE(job.copyCount, 1);
            QCOMPARE(job.range, QPrinter::AllPages);
        }
        QVERIFY(!b.editor.calls.contains("PrintDocument(1)"));

        b.w.print->trigger(); // no answer scripted: the user cancels
        QCOMPARE(b.dialogs.printDialogs, 2);
        QCOMPARE(b.dialogs.printJobs.size(), 2);

        b.dialogs.printFails = true;
        b.dialogs.printCopies.enqueue(3);
        b.w.print->trigger();
        QCOMPARE(b.dialogs.printJobs.size(), 3);
        QVERIFY(b.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(ExchangeTest)
#include "test_exchange.moc"

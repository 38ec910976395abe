// The whole program with the real editing component: a page opened from a
// web address through File > Open URL and saved as a file, printed from the
// File menu to a PDF file.

#include "pdf_choice.h"
#include "app/main_form.h"
#include "app/main_widgets.h"
#include "app/start.h"
#include "app/wire_subsystems.h"
#include "document/exchange_subsystem.h"
#include "document/open_url.h"
#include "file_bytes.h"
#include "local_http_server.h"
#include "platform/editing/html_store_component.h"
#include "platform/editing/page_print_dialog.h"
#include "platform/editing/web_editing_component.h"
#include "scripted_dialogs.h"
#include "scripted_file_dialogs.h"
#include "web_test_main.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

namespace {

} // namespace

class ExchangeEndToEndTest : public QObject
{
    Q_OBJECT
    WebEditingComponent *editor = nullptr;
    HtmlStoreComponent store;
    ScriptedDialogs dialogs;
    ScriptedFileDialogs *files = nullptr;
    PdfChoice *printChoice = nullptr;
    std::unique_ptr<MainForm> form;
    LocalHttpServer server;
    QTemporaryDir dir;

    MainWidgets &w() { return form->widgets(); }

private slots:
    void initTestCase()
    {
        QVERIFY(server.start());
        server.routes["/news/today.html"]
            = { 200, "text/html; charset=utf-8",
                "<html><head><title>Today</title></head><body><h1>Raven news</h1>"
                "<img src=\"img/raven.gif\"><a href=\"archive.html\">archive</a></body></html>",
                false };
        server.routes["/silent.html"] = { 200, "text/html", {}, true };
        editor = new WebEditingComponent;
        auto scripted = std::make_unique<ScriptedFileDialogs>();
        files = scripted.get();
        editor->setFileDialogs(std::move(scripted));
        auto print = std::make_unique<PdfChoice>();
        printChoice = print.get();
        editor->setPrintDialog(std::move(print));
        form = startMainForm(editor, &store, &dialogs, wireSubsystems);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanupTestCase()
    {
        form.reset();
        delete editor;
    }

    // The address typed in the dialog opens the page, the dialog closes and
    // Save As stores it with its links made absolute; the window then names
    // the file.
    void openUrlThenSave()
    {
        const QString saved = dir.filePath("today.htm");
        files->saveChoice = saved;
        QTimer::singleShot(0, this, [this] {
            auto *dialog = qobject_cast<OpenUrlDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->Text1->setText(server.url("/news/today.html"));
            dialog->Command1->click();
        });
        w().openurl->trigger();
        QCOMPARE(files->saved, 1);
        QVERIFY2(dialogs.shown.isEmpty(),
                 dialogs.shown.isEmpty() ? "" : qPrintable(dialogs.shown[0].text));
        QCOMPARE(editor->CurrentDocumentPath(), saved);
        QVERIFY(form->windowTitle().endsWith(saved));
        const QByteArray file = readBytes(saved);
        QVERIFY2(file.contains("<h1>Raven news</h1>"), file.constData());
        QVERIFY(file.contains("src=\"" + server.url("/news/img/raven.gif").toUtf8() + "\""));
        QVERIFY(file.contains("href=\"" + server.url("/news/archive.html").toUtf8() + "\""));
    }

    // File > Print in the page view prints the page through the component.
    void printThePageToPdf()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is needed to read the PDF back");
        printChoice->file = dir.filePath("today.pdf");
        w().print->trigger();
        QVERIFY(dialogs.shown.isEmpty());
        QProcess text;
        text.start("pdftotext", { printChoice->file, "-" });
        QVERIFY(text.waitForFinished(30000));
        QVERIFY(QString::fromUtf8(text.readAllStandardOutput()).contains("Raven news"));
    }

    // A server that never answers: the dialog says it is loading and stays
    // live; Cancel stops the wait at once and leaves the page as it was.
    // A server's error is said on a second line under the message.
    void openUrlCancelsAndSaysWhy()
    {
        COMPONENT_OK(editor->setDocumentHTML("<html><body><p>kept page</p></body></html>"));
        QTest::qWait(200);
        form->state().changed = false;
        const int savesBefore = files->saved;
        bool loadingShown = false;
        QElapsedTimer sinceCancel;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<OpenUrlDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->Text1->setText(server.url("/silent.html"));
            QTimer::singleShot(700, dialog, [&, dialog] {
                loadingShown = dialog->Label2->isVisible() && dialog->Text1->isReadOnly();
                sinceCancel.start();
                dialog->Command2->click();
            });
            dialog->Command1->click();
        });
        w().openurl->trigger();
        const qint64 cancelMs = sinceCancel.elapsed();
        QVERIFY(loadingShown);
        QVERIFY2(cancelMs < 1000, qPrintable(QString::number(cancelMs)));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(files->saved, savesBefore);
        QVERIFY(editor->DocumentHTML().contains("kept page"));

        // Esc stops it too.
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<OpenUrlDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->Text1->setText(server.url("/silent.html"));
            QTimer::singleShot(500, dialog, [dialog] { QTest::keyClick(dialog, Qt::Key_Escape); });
            dialog->Command1->click();
        });
        QElapsedTimer clock;
        clock.start();
        w().openurl->trigger();
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(editor->DocumentHTML().contains("kept page"));

        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<OpenUrlDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->Text1->setText(server.url("/missing.html"));
            dialog->Command1->click();
            dialog->Command2->click();
        });
        w().openurl->trigger();
        QCOMPARE(dialogs.shown.size(), 1);
        const QStringList lines = dialogs.shown[0].text.split(u'\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], OpenUrlFailedText);
        QVERIFY2(lines[1].contains("404"), qPrintable(lines[1]));
        dialogs.shown.clear();
        QVERIFY(editor->DocumentHTML().contains("kept page"));
    }
};

WEB_TEST_MAIN(ExchangeEndToEndTest)
#include "test_exchange_e2e.moc"

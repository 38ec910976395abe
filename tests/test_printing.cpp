// Printing to a PDF file, read back as text: the page as the browser prints
// it, and the source text as the printer object prints it.

#include "pdf_choice.h"
#include "platform/editing/page_print_dialog.h"
#include "platform/editing/web_editing_component.h"
#include "platform/text_printer.h"
#include "web_test_main.h"

#include <QDir>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// The PDF's text, or empty when it cannot be read.
QString pdfText(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), path, "-" });
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class PrintingTest : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils, see scripts/install-deps.sh) is needed to read the "
                  "printed PDF back");
    }

    // The page prints with its words after the component's dialog; Cancel
    // prints nothing.
    void pagePrintsToPdf()
    {
        WebEditingComponent component;
        auto choice = std::make_unique<PdfChoice>();
        PdfChoice *dialog = choice.get();
        component.setPrintDialog(std::move(choice));
        COMPONENT_OK(component.NewDocument());
        COMPONENT_OK(component.setDocumentHTML(
            "<html><body><h1>Quarterly Ravens</h1><p>Printed from the editor.</p>"
            "<table border=\"1\"><tr><td>cell words</td></tr></table></body></html>"));

        COMPONENT_OK(component.PrintDocument(true));
        QCOMPARE(dialog->shown, 1);
        QVERIFY(QDir(dir.path()).entryList({ "*.pdf" }).isEmpty());

        dialog->file = dir.filePath("page.pdf");
        COMPONENT_OK(component.PrintDocument(true));
        const QString text = pdfText(dialog->file);
        for (const char *words : { "Quarterly Ravens", "Printed from the editor.", "cell words" })
            QVERIFY2(text.contains(QLatin1String(words)), qPrintable(text));
    }

    // Paper gets the page without the editing aids.
    void editingAidsAreNotPrinted()
    {
        WebEditingComponent component;
        auto choice = std::make_unique<PdfChoice>();
        choice->file = dir.filePath("aids.pdf");
        component.setPrintDialog(std::move(choice));
        COMPONENT_OK(component.NewDocument());
        COMPONENT_OK(component.setDocumentHTML(
            "<html><body><!-- note --><p>Plain words</p><style>p { }</style></body></html>"));
        component.setShowDetails(true);
        component.setShowBorders(true);
        QTest::qWait(500); // the glyphs are drawn a moment after a change
        COMPONENT_OK(component.PrintDocument(true));
        const QString text = pdfText(dir.filePath("aids.pdf"));
        QVERIFY2(text.contains("Plain words"), qPrintable(text));
        QVERIFY2(!text.contains("style") && !text.contains("<!-->"), qPrintable(text));
    }

    // The source text prints whole, markup and long lines included.
    void sourceTextPrintsWhole()
    {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("source.pdf"));
        QString longLine = "<p>";
        for (int i = 0; i < 40; ++i)
            longLine += QString("word%1 ").arg(i);
        longLine += "</p>";
        const QString source
            = "<html>\n<body bgcolor=\"Green\">\n" + longLine + "\n</body>\n</html>";
        QVERIFY(printPlainText(printer, source));
        const QString text = pdfText(dir.filePath("source.pdf")).simplified();
        QVERIFY2(text.contains("<body bgcolor=\"Green\">"), qPrintable(text));
        QVERIFY(text.contains("word0"));
        QVERIFY(text.contains("word39 </p>"));
        QVERIFY(text.contains("</html>"));
    }
};

WEB_TEST_MAIN(PrintingTest)
#include "test_printing.moc"

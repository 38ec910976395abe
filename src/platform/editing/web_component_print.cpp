// Printing the page as the browser prints it, after the component's own
// print dialog.

#include "platform/editing/editor_page.h"
#include "platform/editing/engine_bridge.h"
#include "platform/editing/page_print_dialog.h"
#include "platform/editing/web_editing_component.h"

#include <QEventLoop>
#include <QJsonObject>
#include <QPrinter>
#include <QTimer>
#include <QWebEngineView>

namespace {

// A PDF of a long page takes the browser a while; a printer job is not
// bounded, since the browser keeps the printer until it reports.
constexpr int PdfTimeoutMs = 120000;

} // namespace

void WebEditingComponent::setPrintDialog(std::unique_ptr<PagePrintDialog> dialog)
{
    m_printDialog = std::move(dialog);
}

void WebEditingComponent::PrintDocument(bool showDialog)
{
    if (!m_printDialog)
        m_printDialog = std::make_unique<QtPagePrintDialog>();
    QPrinter printer(QPrinter::HighResolution);
    if (showDialog && !m_printDialog->choose(printer, m_view->window()))
        return; // cancelled: nothing is printed
    printPage(printer);
}

void WebEditingComponent::printPage(QPrinter &printer)
{
    if (m_pageUrl.isEmpty())
        throw ComponentError(ComponentErrorCode::Unexpected,
                             QStringLiteral("There is no page to print."));
    // The dotted borders and detail glyphs are editing aids, not the page:
    // paper gets the page as a browser prints it.
    const bool aids = m_borders || m_details;
    if (aids)
        m_bridge->call(QStringLiteral("setView"),
                       QJsonObject { { "borders", false }, { "details", false } });
    struct RestoreAids
    {
        WebEditingComponent *self;
        bool on;
        ~RestoreAids()
        {
            if (!on)
                return;
            try {
                self->pushViewOptions();
            } catch (const ComponentError &) {
                // The next load sets them again.
            }
        }
    } restore { this, aids };
    bool finished = false;
    bool success = false;
    QEventLoop loop;
    const auto done = [&](bool ok) {
        finished = true;
        success = ok;
        loop.quit();
    };
    QList<QMetaObject::Connection> connections;
    connections << connect(m_page, &QWebEnginePage::renderProcessTerminated, &loop,
                           [&] { done(false); });
    QTimer timer;
    timer.setSingleShot(true);
    const QString file = printer.outputFileName();
    if (printer.outputFormat() == QPrinter::PdfFormat && !file.isEmpty()) {
        // A PDF file gets the browser's own PDF, text and all, rather than
        // pictures of its pages.
        connections << connect(m_page, &QWebEnginePage::pdfPrintingFinished, &loop,
                               [&](const QString &, bool ok) { done(ok); });
        connections << connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        m_page->printToPdf(file, printer.pageLayout(), printer.pageRanges());
        timer.start(PdfTimeoutMs);
    } else {
        connections << connect(m_view, &QWebEngineView::printFinished, &loop, done);
        m_view->print(&printer);
    }
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    for (const QMetaObject::Connection &c : connections)
        disconnect(c);
    if (!finished)
        throw ComponentError(ComponentErrorCode::Timeout,
                             QStringLiteral("The page was not printed in time."));
    if (!success)
        throw ComponentError(ComponentErrorCode::Unexpected,
                             file.isEmpty() ? QStringLiteral("The page could not be printed.")
                                            : QStringLiteral("The page could not be printed to "
                                                             "\"%1\".")
                                                  .arg(file));
}

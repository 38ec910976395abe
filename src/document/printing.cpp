// File > Print: the page through the component's own print dialog, or in
// the source view the source text, one print job per copy.

#include "app/editing_component.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/user_dialogs.h"
#include "document/busy_cursor.h"
#include "document/exchange_subsystem.h"

#include <QPlainTextEdit>
#include <QPrinter>

void ExchangeSubsystem::print_Click()
{
    if (state.sourceView) {
        printSourceText();
        return;
    }
    try {
        const BusyCursor busy; // comes off while the dialog is up
        w.DHTMLEdit1->PrintDocument(true);
    } catch (const ComponentError &error) {
        dialogs.MsgBox(QStringLiteral("The page could not be printed. %1").arg(error.message()),
                       MsgButtons::OK, MsgIcon::Critical);
    } catch (const std::exception &) {
        dialogs.MsgBox(QStringLiteral("The page could not be printed."), MsgButtons::OK,
                       MsgIcon::Critical);
    }
}

// Cancel and every failure end the command without a word.
void ExchangeSubsystem::printSourceText()
{
    try {
        QPrinter printer(QPrinter::HighResolution);
        if (!dialogs.ShowPrinter(printer))
            return;
        const int copies = printer.copyCount();
        // Each copy is its own job of the whole text: the printer must not
        // multiply them again, nor print only the pages chosen.
        printer.setCopyCount(1);
        printer.setPrintRange(QPrinter::AllPages);
        printer.setFromTo(0, 0);
        const QString text = w.txtHTML->toPlainText();
        const BusyCursor busy;
        for (int copy = 1; copy <= copies; ++copy) {
            if (!dialogs.PrintText(printer, text))
                return;
        }
    } catch (const std::exception &) {
    }
}

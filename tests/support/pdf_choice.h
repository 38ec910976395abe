#pragma once

// The component's print dialog with the user choosing "Print to File (PDF)"
// into `file`, or Cancel when `file` is empty.

#include "platform/editing/page_print_dialog.h"

#include <QPrinter>
#include <QString>

struct PdfChoice : PagePrintDialog
{
    QString file;
    int shown = 0;
    bool choose(QPrinter &printer, QWidget *) override
    {
        ++shown;
        if (file.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return true;
    }
};

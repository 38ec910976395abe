#pragma once

// The component's own print dialog, behind an interface so tests can choose
// a PDF file instead of a printer.

#include "platform/print_dialog.h"

class PagePrintDialog
{
public:
    virtual ~PagePrintDialog() = default;
    // False when the user cancelled; the choices go into printer.
    virtual bool choose(QPrinter &printer, QWidget *parent) = 0;
};

class QtPagePrintDialog : public PagePrintDialog
{
public:
    bool choose(QPrinter &printer, QWidget *parent) override
    {
        return runPrintDialog(printer, parent);
    }
};

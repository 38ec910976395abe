#pragma once

// The platform's print dialog, shared by the page's printing and the source
// text's.

class QPrinter;
class QWidget;

// Shows the dialog for printer; the user's choices (printer or PDF file,
// copies, range) go into it. False when the user cancelled.
bool runPrintDialog(QPrinter &printer, QWidget *parent);

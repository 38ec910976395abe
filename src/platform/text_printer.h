#pragma once

// The printer object's print-text: plain text as one print job.

#include <QString>

class QPrinter;

// Prints the whole text on printer as one job, in the fixed-width font,
// wrapped to the page. False when the printer failed.
bool printPlainText(QPrinter &printer, const QString &text);

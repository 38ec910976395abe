#include "platform/text_printer.h"

#include <QFontDatabase>
#include <QPrinter>
#include <QTextDocument>
#include <QTextOption>

bool printPlainText(QPrinter &printer, const QString &text)
{
    QTextDocument document;
    document.setDefaultFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(text);
    document.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

#include "platform/print_dialog.h"

#include <QPrintDialog>
#include <QPrinter>

bool runPrintDialog(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print"));
    return dialog.exec() == QDialog::Accepted;
}

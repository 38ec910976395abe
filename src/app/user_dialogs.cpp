#include "app/user_dialogs.h"

#include "document/help.h"
#include "platform/print_dialog.h"
#include "platform/text_printer.h"

#include <QColorDialog>
#include <QMessageBox>

int QtUserDialogs::MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                          const QString &caption)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (buttons) {
    case MsgButtons::OK: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    case QMessageBox::Ok: return vbOK;
    default: return buttons == MsgButtons::YesNo ? vbNo : (buttons == MsgButtons::OK ? vbOK : vbCancel);
    }
}

std::optional<quint32> UserDialogs::ChooseColor(quint32 initial)
{
    m_color = initial;
    const std::optional<quint32> chosen = showColorDialog(m_color);
    if (chosen)
        m_color = *chosen;
    return chosen;
}

quint32 UserDialogs::ShowColor()
{
    if (const std::optional<quint32> chosen = showColorDialog(m_color))
        m_color = *chosen;
    return m_color;
}

std::optional<quint32> QtUserDialogs::showColorDialog(quint32 start)
{
    const QColor initial(start & 0xFF, (start >> 8) & 0xFF, (start >> 16) & 0xFF);
    const QColor chosen = QColorDialog::getColor(initial, m_parent);
    if (!chosen.isValid())
        return std::nullopt;
    return quint32(chosen.red()) | (quint32(chosen.green()) << 8) | (quint32(chosen.blue()) << 16);
}

bool QtUserDialogs::ShowPrinter(QPrinter &printer)
{
    return runPrintDialog(printer, m_parent);
}

bool QtUserDialogs::PrintText(QPrinter &printer, const QString &text)
{
    return printPlainText(printer, text);
}

void QtUserDialogs::ShowHelp(const QString &helpFile)
{
    if (!m_help)
        m_help = new HelpWindow(m_parent);
    m_help->showFile(helpFile);
}

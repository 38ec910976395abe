#pragma once

// Dialog answers scripted by a test, with a record of every box shown.

#include "app/user_dialogs.h"

#include <QList>
#include <QPrinter>
#include <QQueue>
#include <QStringList>

struct ShownMessage
{
    QString text;
    MsgButtons buttons;
    MsgIcon icon;
    QString caption;
};

class ScriptedDialogs : public UserDialogs
{
public:
    QQueue<int> answers; // next MsgBox results; vbOK/vbCancel when empty
    QQueue<std::optional<quint32>> colors; // next colour dialog results
    QList<ShownMessage> shown;
    QList<quint32> colorRequests;
    // Print dialog: the copies the user chooses; the dialog is cancelled
    // when empty. Each job printed, with the printer's settings at the time.
    QQueue<int> printCopies;
    struct PrintJob
    {
        QString text;
        int copyCount;
        QPrinter::PrintRange range;
    };
    QList<PrintJob> printJobs;
    int printDialogs = 0;
    bool printFails = false;
    QStringList helpShown;

    bool ShowPrinter(QPrinter &printer) override
    {
        ++printDialogs;
        if (printCopies.isEmpty())
            return false;
        printer.setCopyCount(printCopies.dequeue());
        printer.setPrintRange(QPrinter::PageRange); // the user asked for pages 2 to 3
        printer.setFromTo(2, 3);
        return true;
    }
    bool PrintText(QPrinter &printer, const QString &text) override
    {
        printJobs.append({text, printer.copyCount(), printer.printRange()});
        return !printFails;
    }
    void ShowHelp(const QString &helpFile) override { helpShown << helpFile; }

    int MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
               const QString &caption = AppTitle) override
    {
        shown.append({text, buttons, icon, caption});
        if (!answers.isEmpty())
            return answers.dequeue();
        return buttons == MsgButtons::OK ? vbOK : vbCancel;
    }

protected:
    std::optional<quint32> showColorDialog(quint32 initial) override
    {
        colorRequests.append(initial);
        return colors.isEmpty() ? std::nullopt : colors.dequeue();
    }
};

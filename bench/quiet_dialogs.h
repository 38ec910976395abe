#pragma once

// Message boxes for an unattended run: nobody is there to answer, so every
// question is answered No, every message is written to stderr, and no dialog
// ever blocks the measurement.

#include "app/user_dialogs.h"

#include <cstdio>

class QuietDialogs : public UserDialogs
{
public:
    int MsgBox(const QString &text, MsgButtons buttons, MsgIcon, const QString &) override
    {
        std::fprintf(stderr, "message box: %s\n", qPrintable(text));
        return buttons == MsgButtons::OK ? vbOK : vbNo;
    }

protected:
    std::optional<quint32> showColorDialog(quint32) override { return std::nullopt; }
    bool ShowPrinter(QPrinter &) override { return false; }
    bool PrintText(QPrinter &, const QString &) override { return false; }
    void ShowHelp(const QString &path) override
    {
        std::fprintf(stderr, "help: %s\n", qPrintable(path));
    }
};

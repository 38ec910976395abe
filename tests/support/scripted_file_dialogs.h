#pragma once

// The component's Open and Save As dialogs with answers set by the test.

#include "platform/editing/page_file_dialogs.h"

class ScriptedFileDialogs : public PageFileDialogs
{
public:
    QString openChoice, saveChoice; // empty = the user cancels
    int opened = 0, saved = 0;
    QString openPagePath(QWidget *) override
    {
        ++opened;
        return openChoice;
    }
    QString savePagePath(QWidget *, const QString &) override
    {
        ++saved;
        return saveChoice;
    }
};

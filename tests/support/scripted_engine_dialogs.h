#pragma once

// The editing component's Find, Font and Hyperlink dialogs answered by a test.

#include "platform/editing/engine_dialogs.h"

#include <QList>

#include <optional>

struct ScriptedEngineDialogs : EngineDialogs
{
    FindFunction find;
    int findShown = 0;
    std::optional<FontChoice> font; // empty: the user cancels
    FontChoice fontShown;
    std::optional<QString> link;
    QString linkShown;
    LargePasteChoice largePaste = LargePasteChoice::Cancel;
    QList<qint64> largePasteAsked;
    bool wait = false; // reload: a stalled engine in a test is a fault anyway
    int waitAsked = 0;
    void showFind(QWidget *, const FindFunction &f) override
    {
        ++findShown;
        find = f;
    }
    bool chooseFont(QWidget *, FontChoice &choice) override
    {
        fontShown = choice;
        if (font)
            choice = *font;
        return font.has_value();
    }
    bool chooseLink(QWidget *, QString &url) override
    {
        linkShown = url;
        if (link)
            url = *link;
        return link.has_value();
    }
    LargePasteChoice askLargePaste(QWidget *, qint64 bytes, bool) override
    {
        largePasteAsked << bytes;
        return largePaste;
    }
    bool keepWaiting(QWidget *, int, const std::function<bool()> &) override
    {
        ++waitAsked;
        return wait;
    }
};

#pragma once

// Dialog answers scripted by a test, with a record of every box shown.

#include "app/user_dialogs.h"

#include <QList>
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

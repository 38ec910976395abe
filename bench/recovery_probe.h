#pragma once

// Typing on a large page while the copy against a crash is kept: what the
// kept copy costs the window and the page, measured with and without it.

#include <QJsonObject>
#include <QString>

class MainForm;
class UserDialogs;
class WebEditingComponent;

// The window's own event loop, which paints its frames, is watched by a 4 ms
// timer (its longest stall, and how many stalls took over 50 ms) while 60
// keys go in 30 ms apart; the engine's work per notice for the copy is timed
// inside the page, and taking a copy on the window's thread apart. Three
// rounds, with and without copies in turn; stalls are summed over them.
QJsonObject typingWithRecovery(MainForm &form, WebEditingComponent &editor, UserDialogs &dialogs,
                               const QString &html, const QString &folder);

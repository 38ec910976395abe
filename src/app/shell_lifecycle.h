#pragma once

// The window shell's document-level decisions: the caption, the question
// before a document is replaced, and the question before the program ends.

#include <QString>

struct MainWidgets;
struct FormState;
struct FormHooks;
class UserDialogs;

namespace ShellTexts {
inline const QString InitialCaption = QStringLiteral("Marl Web WYSIWYG DHTML Editor");
inline const QString Caption = QStringLiteral("Corvane Software WYSIWYG DHTML Editor");
inline const QString CaptionPrefix = QStringLiteral("Corvane Software WYSIWYG DHTML Editor - ");
inline const QString LeaveQuestion = QStringLiteral("Do you want to save your changes?");
inline const QString ChangedQuestion
    = QStringLiteral("The current document has changed.\r\n\r\nDo you want to save changes?");
} // namespace ShellTexts

class ShellLifecycle
{
public:
    ShellLifecycle(MainWidgets &w, FormState &state, FormHooks &hooks, UserDialogs &dialogs)
        : m_w(w)
        , m_state(state)
        , m_hooks(hooks)
        , m_dialogs(dialogs)
    {
    }

    // Sets the window caption from the document's path.
    void titleRefresh();
    // 0 nothing asked, 1 saved, 2 cancelled or not saved, 7 No.
    int saveChangesPrompt();
    // Asks before the program ends (close box or File > Exit). True when the
    // program may end: nothing to save, No, or Yes and the page was saved.
    // Cancel, or a save that failed or was cancelled, keeps the window open so
    // the page is not lost.
    bool mayLeave();

private:
    // Saves under the current path, or asks for one when there is none.
    bool save();

    MainWidgets &m_w;
    FormState &m_state;
    FormHooks &m_hooks;
    UserDialogs &m_dialogs;
};

#include "app/shell_lifecycle.h"

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/user_dialogs.h"
#include "platform/local_path.h"

#include <QMainWindow>

void ShellLifecycle::titleRefresh()
{
    const QString path = m_w.DHTMLEdit1 ? m_w.DHTMLEdit1->CurrentDocumentPath() : QString();
    m_w.window->setWindowTitle(path.isEmpty() ? ShellTexts::Caption
                                              : ShellTexts::CaptionPrefix + shownPath(path));
}

bool ShellLifecycle::save()
{
    const QString path = m_w.DHTMLEdit1 ? m_w.DHTMLEdit1->CurrentDocumentPath() : QString();
    return m_hooks.saveDocument(path.isEmpty());
}

int ShellLifecycle::saveChangesPrompt()
{
    if (!m_state.changed)
        return 0;
    switch (m_dialogs.MsgBox(ShellTexts::ChangedQuestion, MsgButtons::YesNoCancel,
                             MsgIcon::Exclamation)) {
    case vbYes:
        return save() ? 1 : 2;
    case vbNo:
        return 7;
    default:
        return 2;
    }
}

bool ShellLifecycle::mayLeave()
{
    if (!m_state.changed)
        return true;
    switch (m_dialogs.MsgBox(ShellTexts::LeaveQuestion, MsgButtons::YesNoCancel, MsgIcon::None)) {
    case vbYes:
        return save();
    case vbNo:
        return true;
    default:
        return false;
    }
}

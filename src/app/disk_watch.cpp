#include "app/disk_watch.h"

#include "app/editing_component.h"
#include "app/event_loop.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets.h"
#include "app/user_dialogs.h"
#include "platform/local_path.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTimer>
#include <QWidget>

DiskWatch::DiskWatch(QWidget *window, MainWidgets &w, FormState &state, FormHooks &hooks,
                     UserDialogs &dialogs, QObject *parent)
    : QObject(parent)
    , m_w(w)
    , m_state(state)
    , m_hooks(hooks)
    , m_dialogs(dialogs)
{
    if (window)
        window->installEventFilter(this);
}

bool DiskWatch::eventFilter(QObject *watched, QEvent *event)
{
    // Not inside the activation itself: the check may load and ask.
    if (event->type() == QEvent::WindowActivate && !m_queued) {
        m_queued = true;
        runFromEventLoop(this, [this] {
            m_queued = false;
            check();
        });
    }
    return QObject::eventFilter(watched, event);
}

void DiskWatch::check()
{
    EditingComponent *editor = m_w.DHTMLEdit1;
    // Our own question closing activates the window again; and a call still
    // waiting on the page must not have a load run inside it.
    if (m_checking || !editor || editor->Busy())
        return;
    m_checking = true;
    const auto done = qScopeGuard([this] { m_checking = false; });
    if (!editor->DocumentChangedOnDisk())
        return;
    const QString path = editor->CurrentDocumentPath();
    const QString shown = shownPath(path);
    if (!isRegularFile(path)) {
        editor->AcceptDiskState(); // said once, not at every activation
        m_dialogs.MsgBox(DiskTexts::Removed.arg(shown), MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    const bool unsaved = m_state.changed || (m_state.sourceView && m_state.sourceEdited);
    if (unsaved
        && m_dialogs.MsgBox(DiskTexts::ChangedReload.arg(shown), MsgButtons::YesNo,
                            MsgIcon::Exclamation)
            != vbYes) {
        // Theirs is kept; a later save writes it over the file knowingly.
        editor->AcceptDiskState();
        return;
    }
    try {
        editor->LoadDocument(path);
    } catch (const ComponentError &e) {
        editor->AcceptDiskState();
        m_dialogs.MsgBox(DiskTexts::ReloadFailed.arg(shown, e.message()), MsgButtons::OK,
                         MsgIcon::Exclamation);
        return;
    } catch (const std::exception &) {
        editor->AcceptDiskState();
        m_dialogs.MsgBox(DiskTexts::ReloadFailed.arg(shown, QString()), MsgButtons::OK,
                         MsgIcon::Exclamation);
        return;
    }
    m_state.changed = false;
    m_state.sourceEdited = false;
    if (m_state.sourceView && m_w.txtHTML) {
        // The source box shows the page as it is now.
        try {
            m_w.txtHTML->setPlainText(editor->DocumentHTML());
        } catch (const std::exception &) {
        }
        m_state.sourceEdited = false;
    }
    m_hooks.titleRefresh();
    m_hooks.statusRefresh();
}

// Pasting from the system clipboard, and an engine that does not answer in
// time. A paste above LargePasteChars asks first (paste, paste as plain
// text, or cancel) and runs under a busy cursor; the engine puts large
// content in whole, as one undo step (js/41-clipboard.js). A call the engine
// leaves unanswered asks whether to wait on or to reload the page from the
// copy the component keeps of it.

#include "platform/editing/editor_page.h"
#include "platform/editing/engine_bridge.h"
#include "platform/editing/engine_dialogs.h"
#include "platform/editing/web_editing_component.h"

#include <QApplication>
#include <QClipboard>
#include <QJsonObject>
#include <QMimeData>
#include <QTextDocumentFragment>
#include <QWebEngineView>

#include <csignal>

namespace {

struct OverrideCursor
{
    explicit OverrideCursor(bool on) : active(on)
    {
        if (active)
            QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~OverrideCursor()
    {
        if (active)
            QApplication::restoreOverrideCursor();
    }
    bool active;
};

} // namespace

void WebEditingComponent::pasteClipboard(int option)
{
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    QString html = mime && mime->hasHtml() ? mime->html() : QString();
    QString text = mime && mime->hasText() ? mime->text() : QString();
    const qint64 size = html.isEmpty() ? text.size() : html.size();
    if (size > LargePasteChars) {
        switch (engineDialogs()->askLargePaste(m_view->window(), size, !html.isEmpty())) {
        case LargePasteChoice::Cancel:
            return;
        case LargePasteChoice::PasteAsText:
            if (text.isEmpty())
                text = QTextDocumentFragment::fromHtml(html).toPlainText();
            html.clear();
            break;
        case LargePasteChoice::Paste:
            break;
        }
    }
    QJsonObject data;
    if (!html.isEmpty())
        data["html"] = html;
    if (!text.isEmpty())
        data["text"] = text;
    if (data.isEmpty())
        return;
    const bool large = size > LargePasteChars / 8;
    const OverrideCursor busy(large);
    // The engine puts a large paste in over many frames, and whatever reads
    // the page next waits for the rest (up to a minute for 20 MB on two busy
    // cores): that is no stall to ask about.
    if (large)
        m_bridge->allowSlowAnswers(int(std::min<qint64>(180000, 10000 + size / 256)));
    execInEngine(DECMD_PASTE, option, data);
}

void WebEditingComponent::watchForStalls()
{
    m_bridge->setSlowAnswerPrompt([this](int waitedMs, const std::function<bool()> &answered) {
        if (engineDialogs()->keepWaiting(m_view->window(), waitedMs / 1000, answered))
            return true;
        // The renderer is stuck in the page's work: ending it brings the page
        // back from the copy kept of it, as after any loss of the renderer.
        const qint64 pid = m_page->renderProcessPid();
        if (pid > 0)
            ::kill(pid_t(pid), SIGKILL);
        return false;
    });
}

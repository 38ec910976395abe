// The page lives in the browser's renderer process. When that process dies
// (a browser fault, the out-of-memory killer) the component loads its last
// copy of the page into a fresh one, so the user keeps their work; until then
// nothing can be saved from the view.

#include "app/event_loop.h"
#include "platform/editing/engine_bridge.h"
#include "platform/editing/editor_page.h"
#include "platform/editing/web_editing_component.h"

#include <QTimer>

void WebEditingComponent::watchRenderer()
{
    m_backupTimer = new QTimer(this);
    m_backupTimer->setSingleShot(true);
    m_backupTimer->setInterval(BackupIdleMs);
    connect(m_backupTimer, &QTimer::timeout, this, &WebEditingComponent::refreshBackup);
    // Serialising costs time on a large page: only once edits pause.
    connect(this, &EditingComponent::ContentChanged, m_backupTimer,
            qOverload<>(&QTimer::start));
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            &WebEditingComponent::onRendererGone);
}

void WebEditingComponent::rememberPage(const QString &html)
{
    m_backupHtml = html;
    m_backupTimer->stop();
}

void WebEditingComponent::refreshBackup()
{
    if (m_pageUrl.isEmpty())
        return; // nothing trustworthy to copy
    if (m_bridge->busy()) {
        m_backupTimer->start();
        return;
    }
    try {
        m_backupHtml = RecoveryHTML();
    } catch (const ComponentError &) {
        // The previous copy stays; it is older but whole.
    }
}

void WebEditingComponent::onRendererGone()
{
    // Saves are refused from now until the page is back, and calls waiting
    // for the dead engine fail now instead of at their timeout.
    m_pageUrl = QUrl();
    m_snapshotValid = false;
    m_bridge->failPending(ComponentErrorCode::Unexpected,
                          QStringLiteral("The editing engine stopped."));
    if (m_restoring)
        return;
    m_restoring = true;
    runFromEventLoop(this, [this] { restoreAfterRendererLoss(); });
}

void WebEditingComponent::restoreAfterRendererLoss()
{
    QString message;
    try {
        loadHtml(m_backupHtml, m_path);
        message = QStringLiteral(
            "The editing engine stopped unexpectedly and was restarted. The page was restored "
            "as it was when you last paused; the changes of the last few seconds may be "
            "missing. Check the page and save it.");
    } catch (const ComponentError &) {
        message = QStringLiteral(
            "The editing engine stopped unexpectedly and the page could not be restored. "
            "Nothing was saved over your file; open it again to go on.");
    }
    m_restoring = false;
    // The restored page differs from the file at least as much as before.
    emit ContentChanged();
    emit RendererRestarted(message);
}

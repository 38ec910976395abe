// The page lives in the browser's renderer process. When that process dies
// (a browser fault, the out-of-memory killer) the component loads the page
// into a fresh one from the copy it keeps of it (page_mirror.h), which every
// change notice brings up to date, and puts the caret back where it was;
// until then nothing can be saved from the view.

#include "app/event_loop.h"
#include "platform/editing/editor_page.h"
#include "platform/editing/engine_bridge.h"
#include "platform/editing/refresh_guard.h"
#include "platform/editing/web_editing_component.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWebEngineView>

void WebEditingComponent::watchRenderer()
{
    m_backupTimer = new QTimer(this);
    m_backupTimer->setSingleShot(true);
    m_backupTimer->setInterval(BackupIdleMs);
    connect(m_backupTimer, &QTimer::timeout, this, &WebEditingComponent::refreshBackup);
    // Serialising costs time on a large page: only once edits pause.
    connect(this, &EditingComponent::ContentChanged, m_backupTimer,
            qOverload<>(&QTimer::start));
    // Taken as it arrives, even while a call waits: the copy must be current
    // whenever the renderer or the program may end.
    connect(m_bridge, &EngineBridge::noticed, this, &WebEditingComponent::onNotice);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            &WebEditingComponent::onRendererGone);
}

// The page says how many keys it has taken with every notice, and when asked
// (the answer comes as a notice); on a busy machine it may be a second or
// more behind.
bool WebEditingComponent::InputPending()
{
    if (!m_bridge->keysUnshown())
        return false;
    m_bridge->send(QStringLiteral("tellKeys"));
    return true;
}

void WebEditingComponent::rememberPage(const QString &html)
{
    m_backupHtml = html;
    m_backupTimer->stop();
}

// Needed only while the engine keeps no copy for us (it starts one with
// each page, and again when ours lost track).
void WebEditingComponent::refreshBackup()
{
    if (m_pageUrl.isEmpty() || m_mirror.holds(m_pageInstance))
        return;
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

void WebEditingComponent::onNotice(const QString &name, const QJsonValue &payload)
{
    const QJsonObject notice = payload.toObject();
    if (notice.contains(QLatin1String("keys")) || name == QLatin1String("KeysSeen")) {
        const QJsonObject keys
            = name == QLatin1String("KeysSeen") ? notice : notice.value("keys").toObject();
        m_bridge->noteKeysShown(keys.value("instance").toString(),
                                keys.value("seen").toInteger());
    }
    QJsonObject update;
    if (name == QLatin1String("PageMirror"))
        update = notice;
    else if (name == QLatin1String("DisplayChanged"))
        update = notice.value("mirror").toObject();
    else
        return;
    if (notice.contains(QLatin1String("caret")))
        m_caret = notice.value("caret");
    if (update.isEmpty())
        return;
    switch (m_mirror.take(update)) {
    case PageMirror::Outcome::Applied:
        if (update.contains(QLatin1String("reset")))
            m_mirrorAsked = false;
        break;
    case PageMirror::Outcome::Lost:
        // The whole page again, once; until it comes the copy is not used.
        if (!m_mirrorAsked) {
            m_mirrorAsked = true;
            m_bridge->send(QStringLiteral("resetMirror"));
        }
        break;
    case PageMirror::Outcome::Ignored:
        break;
    }
}

// The kept pieces with what DocumentHTML puts back on the engine's HTML:
// the refresh declarations' names and the server code.
std::function<QString()> WebEditingComponent::mirroredPage() const
{
    const QStringList pieces = m_mirror.pieces();
    const QStringList names = m_sourceUrl == m_pageUrl ? m_refreshNames : QStringList();
    const ServerBlockTable blocks
        = m_pageUrl == m_serverBlocksUrl ? m_serverBlocks : ServerBlockTable();
    return [pieces, names, blocks] {
        return blocks.restore(rearmRefresh(pieces.join(QString()), names));
    };
}

std::function<QString()> WebEditingComponent::KeptRecoveryHTML()
{
    if (m_pageUrl.isEmpty() || !m_mirror.holds(m_pageInstance))
        return {};
    return mirroredPage();
}

void WebEditingComponent::onRendererGone()
{
    if (!m_restoring) {
        m_lostPage.reset();
        if (!m_pageUrl.isEmpty() && m_mirror.holds(m_pageInstance))
            m_lostPage = mirroredPage()();
        m_lostCaret = m_caret;
    }
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
    const bool whole = m_lostPage.has_value();
    const QString html = whole ? *m_lostPage : m_backupHtml;
    QString message;
    try {
        loadHtml(html, m_path);
        rememberPage(html);
        if (whole) {
            try {
                m_bridge->call(QStringLiteral("restoreCaret"), m_lostCaret);
            } catch (const ComponentError &) {
                // The page is back; the caret stays where the load put it.
            }
        }
        message = whole
            ? QStringLiteral("The editing engine stopped unexpectedly and was restarted. The page "
                             "was restored with all your changes. Check it and save it.")
            : QStringLiteral(
                "The editing engine stopped unexpectedly and was restarted. The page was "
                "restored as it was when you last paused; the changes of the last few seconds "
                "may be missing. Check the page and save it.");
    } catch (const ComponentError &) {
        message = QStringLiteral(
            "The editing engine stopped unexpectedly and the page could not be restored. "
            "Nothing was saved over your file; open it again to go on.");
    }
    m_lostPage.reset();
    m_restoring = false;
    // The restored page differs from the file at least as much as before.
    emit ContentChanged();
    emit RendererRestarted(message);
}

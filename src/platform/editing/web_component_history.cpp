// Undo and redo across a page put in whole (a page applied from the source
// view). The put loads a fresh page, which starts the engine's history anew,
// so the page left behind is kept as the whole pages its own history passed
// through (PageStates), each reached again by loading it.

#include "platform/editing/engine_bridge.h"
#include "platform/editing/html_rules.h"
#include "platform/editing/page_limits.h"
#include "platform/editing/web_editing_component.h"

#include <QDebug>
#include <QJsonObject>
#include <QWebEngineView>

#include <algorithm>

void WebEditingComponent::setDocumentHTML(const QString &html)
{
    checkPageAcceptable(html);
    checkPageLimits(html);
    const bool shown = !m_view->url().isEmpty();
    QString current;
    QStringList past;
    bool kept = false;
    if (shown) {
        const bool untouched = syncPutHistory();
        current = DocumentHTML();
        // The page it holds already (a refused apply puts the old page
        // back): nothing changes, its history included.
        if (current == html)
            return;
        // The empty page New starts from is no step to go back to.
        kept = !(untouched && m_pageUrl == m_blankPageUrl);
        if (kept)
            past = pagesAlongHistory(true);
    }
    loadHtml(html, m_path);
    rememberPage(html);
    if (kept) {
        m_pageStates.leave(past, current);
        publishPutHistory();
        watchOuterHistory();
    }
}

// The page at each step of its own history, one way (undone steps when
// going back), farthest first; the page is left as it was.
QStringList WebEditingComponent::pagesAlongHistory(bool back)
{
    QStringList pages;
    qsizetype chars = 0;
    const QJsonObject args { { "back", back } };
    while (pages.size() < PageStates::MaxStates && chars < PageStates::MaxChars
           && m_bridge->call(QStringLiteral("historyWalk"), args).toBool()) {
        pages.append(DocumentHTML());
        chars += pages.last().size();
    }
    const QJsonObject returning { { "back", !back } };
    for (qsizetype i = 0; i < pages.size(); ++i)
        m_bridge->call(QStringLiteral("historyWalk"), returning);
    std::reverse(pages.begin(), pages.end());
    return pages;
}

void WebEditingComponent::watchOuterHistory()
{
    if (m_historyWatched)
        return;
    m_historyWatched = true;
    // Ctrl+Z past the page's start arrives as an engine event.
    connect(m_bridge, &EngineBridge::engineEvent, this,
            [this](const QString &name, const QJsonValue &payload) {
                if (name != QLatin1String("OuterHistory"))
                    return;
                try {
                    stepAcrossPut(payload.toObject().value("undo").toBool());
                } catch (const ComponentError &e) {
                    qWarning() << "undo across a page load failed:" << e.message();
                }
            });
}

// The engine's flags are the truth: a page loaded any other way starts with
// both off, and a new edit turns redo off. True when nothing was edited since
// the page was loaded.
bool WebEditingComponent::syncPutHistory()
{
    const QJsonObject h = m_bridge->call(QStringLiteral("historyState")).toObject();
    if (!h.value("outerUndo").toBool())
        m_pageStates.dropBack();
    if (!h.value("outerRedo").toBool())
        m_pageStates.dropAhead();
    return h.value("atLoad").toBool();
}

void WebEditingComponent::publishPutHistory()
{
    setSnapshot(m_bridge->call(QStringLiteral("setHistory"),
                               QJsonObject { { "outerUndo", m_pageStates.canUndo() },
                                             { "outerRedo", m_pageStates.canRedo() } }));
}

void WebEditingComponent::stepAcrossPut(bool undo)
{
    syncPutHistory();
    if (undo ? !m_pageStates.canUndo() : !m_pageStates.canRedo())
        return;
    const QString current = DocumentHTML();
    // What was undone in this page waits ahead of it, or what was done in it
    // lies behind it.
    const QStringList other = pagesAlongHistory(!undo);
    const std::optional<QString> target
        = undo ? m_pageStates.undo(current, other) : m_pageStates.redo(other, current);
    loadHtml(*target, m_path);
    rememberPage(*target);
    publishPutHistory();
    // Going back to another page is a change to the document.
    QJsonObject changed = m_snapshot;
    changed["contentChanged"] = true;
    m_bridge->postEvent(QStringLiteral("DisplayChanged"), changed);
}

#include "platform/editing/editor_page.h"

#include "platform/editing/page_scheme.h"

#include <QDebug>
#include <QWebEngineSettings>

EditorPage::EditorPage(QObject *parent) : QWebEnginePage(editorProfile(), parent)
{
    QWebEngineSettings *s = settings();
    // Page scripts never run; the engine lives in its own world, which this
    // setting does not touch.
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    // Our pages are local content; the pictures and style sheets of a page
    // from the web (or a file naming web addresses) come from there.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
}

bool EditorPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    if (!isMainFrame)
        return true; // frames inside the page show their own content
    if (url == m_expected) {
        m_expected = QUrl();
        return true;
    }
    return false;
}

void EditorPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &message,
                                          int line, const QString &source)
{
    // The engine's own diagnostics, for developers only.
    if (qEnvironmentVariableIsSet("CORVANE_ENGINE_LOG"))
        qDebug().noquote() << "engine:" << source << line << message;
}

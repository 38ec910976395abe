#pragma once

// Pages reach the engine through a URL scheme of ours instead of data: URLs,
// which fail above about 1.2 MB. A page is served from memory at
//   editdoc://doc/<folder of the page>/<name>?g=<generation>
// so that its relative links and pictures resolve against its own folder;
// every other editdoc URL is served from disk.

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

class QWebEngineProfile;

inline constexpr char PageScheme[] = "editdoc";

// Must run before the QApplication is created.
void registerPageScheme();

class PageSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    // Publishes a page's text; returns the URL to load it from. documentPath
    // is the page's file path, or empty for a page without one.
    QUrl publish(const QString &documentPath, const QString &html);
    // Forgets a published page once it has been loaded.
    void withdraw(const QUrl &url);

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    QMutex m_mutex;
    QHash<QString, QByteArray> m_pages; // by URL text
    int m_generation = 0;
};

// The profile every editor page uses: in memory only, with our scheme installed.
QWebEngineProfile *editorProfile();
PageSchemeHandler *pageSchemeHandler();

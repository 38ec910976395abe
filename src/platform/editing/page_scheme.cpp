#include "platform/editing/page_scheme.h"

#include "platform/editing/request_policy.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrlQuery>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

void registerPageScheme()
{
    QWebEngineUrlScheme scheme(PageScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl PageSchemeHandler::publish(const QString &documentPath, const QString &html)
{
    QMutexLocker lock(&m_mutex);
    QUrl url;
    url.setScheme(PageScheme);
    url.setHost("doc");
    url.setPath(documentPath.isEmpty() ? QStringLiteral("/untitled/page.htm")
                                       : QFileInfo(documentPath).absoluteFilePath());
    url.setQuery(QStringLiteral("g=%1").arg(++m_generation));
    m_pages.insert(url.toString(), html.toUtf8());
    return url;
}

void PageSchemeHandler::withdraw(const QUrl &url)
{
    QMutexLocker lock(&m_mutex);
    m_pages.remove(url.toString());
}

void PageSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    const QUrl url = job->requestUrl();
    QByteArray body;
    QByteArray mime;
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_pages.constFind(url.toString());
        if (it != m_pages.constEnd()) {
            body = it.value();
            mime = "text/html;charset=utf-8";
        }
    }
    if (mime.isEmpty()) {
        // A picture or style sheet beside the page.
        QFile file(url.path());
        if (!file.open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        body = file.readAll();
        mime = QMimeDatabase().mimeTypeForFile(url.path()).name().toUtf8();
    }
    auto *buffer = new QBuffer(job);
    buffer->setData(body);
    buffer->open(QIODevice::ReadOnly);
    job->reply(mime, buffer);
}

PageSchemeHandler *pageSchemeHandler()
{
    static PageSchemeHandler *handler = new PageSchemeHandler(QCoreApplication::instance());
    return handler;
}

QWebEngineProfile *editorProfile()
{
    static QWebEngineProfile *profile = [] {
        auto *p = new QWebEngineProfile(QCoreApplication::instance()); // off the record
        p->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        p->installUrlSchemeHandler(PageScheme, pageSchemeHandler());
        // Opening a page asks nothing of the network beyond what it shows.
        p->setUrlRequestInterceptor(new PageRequestPolicy(p));
        return p;
    }();
    return profile;
}

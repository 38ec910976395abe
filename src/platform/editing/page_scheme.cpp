#include "platform/editing/page_scheme.h"

#include "platform/editing/request_policy.h"
#include "platform/local_path.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QMimeDatabase>
#include <QUrlQuery>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include <fcntl.h>
#include <unistd.h>

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
    // The path's own bytes, percent-encoded: what lies beside the page is
    // found by them (requestStarted).
    QUrl url = fileUrl(documentPath.isEmpty() ? QStringLiteral("/untitled/page.htm")
                                              : absolutePath(documentPath));
    url.setScheme(PageScheme);
    url.setHost("doc");
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
        // A picture or style sheet beside the page, by its name's bytes.
        QUrl local = url;
        local.setScheme(QStringLiteral("file"));
        local.setHost(QString());
        const QString path = pathFromUrl(local);
        QFile file;
        const int fd = ::open(pathBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat info;
        if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
            || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            if (fd >= 0)
                ::close(fd);
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        body = file.readAll();
        mime = QMimeDatabase().mimeTypeForFileNameAndData(shownPath(path), body).name().toUtf8();
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

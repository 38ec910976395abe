#include "platform/editing/page_fetch.h"

#include "platform/local_path.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

struct ContentType
{
    QString mediaType; // lower case, without parameters
    QString charset;
};

ContentType parseContentType(const QByteArray &header)
{
    ContentType type;
    const QList<QByteArray> parts = header.split(';');
    type.mediaType = QString::fromLatin1(parts.value(0).trimmed()).toLower();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray part = parts[i].trimmed();
        const qsizetype eq = part.indexOf('=');
        if (eq < 0 || part.left(eq).trimmed().toLower() != "charset")
            continue;
        QByteArray value = part.mid(eq + 1).trimmed();
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
            && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        type.charset = QString::fromLatin1(value);
        break;
    }
    return type;
}

// A server that names no type leaves it to us; the decoder still refuses
// what is not text.
bool isHtmlType(const QString &mediaType)
{
    return mediaType.isEmpty() || mediaType == QLatin1String("text/html")
        || mediaType == QLatin1String("application/xhtml+xml");
}

ComponentError networkError(QNetworkReply::NetworkError error, const QString &host,
                            const QString &detail)
{
    switch (error) {
    case QNetworkReply::HostNotFoundError:
        return ComponentError(ComponentErrorCode::HostNotFound,
                              QStringLiteral("The host \"%1\" could not be found.").arg(host));
    case QNetworkReply::ConnectionRefusedError:
        return ComponentError(ComponentErrorCode::CannotConnect,
                              QStringLiteral("The host \"%1\" refused the connection.").arg(host));
    case QNetworkReply::TimeoutError:
        return ComponentError(ComponentErrorCode::ConnectionTimeout,
                              QStringLiteral("The host \"%1\" did not answer in time.").arg(host));
    default:
        return ComponentError(ComponentErrorCode::DownloadFailure,
                              QStringLiteral("The page could not be read: %1").arg(detail));
    }
}

ComponentError cancelledError()
{
    return ComponentError(ComponentErrorCode::Cancelled, QStringLiteral("Opening was cancelled."));
}

FetchedPage fetchWeb(const QUrl &url, int timeoutMs, FetchCancel *cancel)
{
    QNetworkAccessManager manager; // owns the reply
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setRawHeader("Accept", "text/html,application/xhtml+xml;q=0.9,*/*;q=0.1");
    QNetworkReply *reply = manager.get(request);

    QByteArray body;
    bool timedOut = false;
    bool tooLarge = false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->readAll();
        if (body.size() > MaxFetchedPageBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (cancel)
        QObject::connect(cancel, &FetchCancel::cancelled, &loop, [&] { reply->abort(); });
    timer.start(timeoutMs);
    // The window stays live while the server takes its time: its Cancel
    // must be able to stop the wait.
    if (!reply->isFinished() && !(cancel && cancel->isCancelled()))
        loop.exec();
    if (cancel && cancel->isCancelled())
        throw cancelledError();
    if (reply->isOpen())
        body += reply->readAll();

    const QString host = url.host();
    if (timedOut)
        throw ComponentError(ComponentErrorCode::ConnectionTimeout,
                             QStringLiteral("The host \"%1\" did not send the page within %2 "
                                            "seconds.")
                                 .arg(host)
                                 .arg(timeoutMs / 1000.0));
    if (tooLarge)
        throw ComponentError(ComponentErrorCode::DownloadFailure,
                             QStringLiteral("The page is larger than %1 MB.")
                                 .arg(MaxFetchedPageBytes / (1024 * 1024)));
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
        // An error page has a body too; it is not the page asked for.
        const QString reason
            = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        throw ComponentError(
            ComponentErrorCode::ObjectNotFound,
            status.toInt() == 404
                ? QStringLiteral("The server has no page at this address (404 %1).").arg(reason)
                : QStringLiteral("The server answered with an error (%1 %2).")
                      .arg(status.toInt())
                      .arg(reason));
    }
    if (reply->error() != QNetworkReply::NoError)
        throw networkError(reply->error(), host, reply->errorString());

    const ContentType type = parseContentType(reply->rawHeader("Content-Type"));
    if (!isHtmlType(type.mediaType))
        throw ComponentError(
            ComponentErrorCode::NotHtml,
            QStringLiteral("The address gives \"%1\", not an HTML page.").arg(type.mediaType));
    FetchedPage fetched;
    fetched.url = reply->url();
    try {
        fetched.page = decodePage(body, type.charset);
    } catch (const ComponentError &e) {
        throw ComponentError(e.code(),
                             QStringLiteral("The address gives binary data, not an HTML page."));
    }
    return fetched;
}

} // namespace

FetchedPage fetchPage(const QString &address, int timeoutMs, FetchCancel *cancel)
{
    const QUrl url(address.trimmed());
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && scheme == QLatin1String("file")) {
        FetchedPage fetched;
        fetched.page = readPageFile(pathFromUrl(url));
        fetched.url = url;
        return fetched;
    }
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        throw ComponentError(ComponentErrorCode::InvalidUrl,
                             QStringLiteral("\"%1\" is not a web address the editor can open "
                                            "(http, https or file).")
                                 .arg(address));
    return fetchWeb(url, timeoutMs, cancel);
}

#include "platform/editing/request_policy.h"

#include "platform/editing/page_scheme.h"

#include <QUrl>

bool isLocalAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("file") || scheme == QLatin1String(PageScheme)
        || scheme == QLatin1String("data") || scheme == QLatin1String("blob")
        || scheme == QLatin1String("about") || scheme == QLatin1String("qrc");
}

bool pageMayRequest(QWebEngineUrlRequestInfo::ResourceType type, const QUrl &url)
{
    using Info = QWebEngineUrlRequestInfo;
    switch (type) {
    case Info::ResourceTypeMainFrame: // only our own loads navigate it (EditorPage)
    case Info::ResourceTypeImage:
    case Info::ResourceTypeStylesheet:
    case Info::ResourceTypeFontResource:
        return true;
    // Hints and media data are never needed to show the page, even from disk.
    case Info::ResourceTypePrefetch:
    case Info::ResourceTypeMedia:
        return false;
    default:
        // Frames, objects and embeds show pages beside this one's folder;
        // from the network they stay empty boxes of their own size.
        return isLocalAddress(url);
    }
}

void PageRequestPolicy::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (!pageMayRequest(info.resourceType(), info.requestUrl()))
        info.block(true);
}

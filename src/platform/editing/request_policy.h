#pragma once

// What an editor page may fetch. An editor needs what the page looks like,
// not what it would do: the pictures, style sheets and fonts it shows load
// from wherever they are; hints (prefetch), media data, and documents from
// the network in frames, objects and embeds do not, nor does anything else
// that would reach the network (scripts, pings, beacons, workers, favicons).

#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

class QUrl;

// True for addresses read from this machine: files, our page scheme, and
// documents made in the page itself (data:, blob:, about:srcdoc).
bool isLocalAddress(const QUrl &url);

bool pageMayRequest(QWebEngineUrlRequestInfo::ResourceType type, const QUrl &url);

// Installed on the editor's profile; refuses whatever pageMayRequest refuses.
class PageRequestPolicy : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
};

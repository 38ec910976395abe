#pragma once

// Reads a page from a web (http, https) or file address for LoadURL. Every
// failure is a ComponentError: an address the component does not read, an
// unknown host, a refused or timed-out connection, an error status from the
// server, an answer that is not an HTML page or that is too large.

#include "platform/editing/page_file.h"

#include <QObject>
#include <QUrl>

// Stops a fetch under way. The fetch waits taking the user's input, so a
// Cancel button of the window that started it reaches cancel(); the fetch
// then fails with ComponentErrorCode::Cancelled.
class FetchCancel : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void cancel()
    {
        m_cancelled = true;
        emit cancelled();
    }
    bool isCancelled() const { return m_cancelled; }

signals:
    void cancelled();

private:
    bool m_cancelled = false;
};

struct FetchedPage
{
    PageText page;
    // Where the page finally came from, after redirects; its relative links
    // resolve against it.
    QUrl url;
};

// Larger answers are refused rather than held in memory.
inline constexpr qint64 MaxFetchedPageBytes = 64 * 1024 * 1024;

// Waits at most timeoutMs for the whole answer. The wait takes user input:
// only the modal window that asked should then be open.
FetchedPage fetchPage(const QString &address, int timeoutMs, FetchCancel *cancel = nullptr);

// Pages opened from a web or file address. The page is served from memory
// like any other, with a base element of the engine's own in its head so that
// its relative links and pictures resolve against the address it came from;
// the base never reaches the HTML.

#include "platform/editing/html_rules.h"
#include "platform/editing/page_fetch.h"
#include "platform/editing/page_limits.h"
#include "platform/editing/web_editing_component.h"

#include <QRegularExpression>

namespace {

// The href of the page's own first base element, if any: it counts from
// the page's address.
QString ownBaseHref(const QString &html)
{
    static const QRegularExpression base(
        QStringLiteral("<base\\b[^>]*?\\bhref\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const qsizetype headEnd = html.indexOf(QLatin1String("</head"), 0, Qt::CaseInsensitive);
    const QRegularExpressionMatch m
        = base.match(QStringView(html).first(headEnd < 0 ? html.size() : headEnd));
    if (!m.hasMatch())
        return {};
    for (int i = 1; i <= 3; ++i) {
        if (m.capturedStart(i) >= 0)
            return m.captured(i).trimmed();
    }
    return {};
}

// Pages whose encoding only the server named, and that do not declare it,
// would be read back from disk as something else: they are saved as UTF-8,
// which always gets its declaration.
PageText formatForSaving(const PageText &page)
{
    PageText format = page;
    format.html.clear();
    format.replacedSequences = 0;
    if (!format.bom && !format.encoding.startsWith("UTF-")
        && !findCharsetDeclaration(page.html).isValid())
        return PageText();
    return format;
}

} // namespace

QString WebEditingComponent::withPageBase(const QString &html) const
{
    if (m_pageBase.isEmpty())
        return html;
    QUrl base = m_pageBase;
    const QString own = ownBaseHref(html);
    if (!own.isEmpty())
        base = m_pageBase.resolved(QUrl(own));
    QString href = base.toString(QUrl::FullyEncoded);
    href.replace(u'&', QLatin1String("&amp;")).replace(u'"', QLatin1String("%22"));
    QString out = html;
    out.insert(headInsertionPoint(html),
               QStringLiteral("<base href=\"%1\" data-corvane-ui=\"\">").arg(href));
    return out;
}

void WebEditingComponent::LoadURL(const QString &url)
{
    // The page in the editor stays until the new one has arrived whole.
    FetchCancel cancel;
    m_urlFetch = &cancel;
    FetchedPage fetched;
    try {
        fetched = fetchPage(url, m_urlTimeoutMs, &cancel);
    } catch (...) {
        m_urlFetch = nullptr;
        throw;
    }
    m_urlFetch = nullptr;
    checkPageAcceptable(fetched.page.html);
    checkPageLimits(fetched.page.html);
    const QUrl previousBase = m_pageBase;
    m_pageBase = fetched.url;
    try {
        loadHtml(fetched.page.html, QString());
    } catch (...) {
        m_pageBase = previousBase;
        throw;
    }
    rememberPage(fetched.page.html);
    m_loadWarning.clear();
    // Not a file of the user's until it is saved as one.
    m_path.clear();
    m_format = formatForSaving(fetched.page);
}

void WebEditingComponent::CancelLoadURL()
{
    if (m_urlFetch)
        m_urlFetch->cancel();
}

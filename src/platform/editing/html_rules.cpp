#include "platform/editing/html_rules.h"

#include "app/editing_component.h"
#include "platform/editing/server_blocks.h"

#include <QRegularExpression>

namespace {

bool startsTagAt(const QString &html, qsizetype at, QLatin1StringView name)
{
    // "<name" followed by a delimiter, case-insensitively.
    if (at + 1 + name.size() > html.size())
        return false;
    if (QStringView(html).mid(at + 1, name.size()).compare(name, Qt::CaseInsensitive) != 0)
        return false;
    const qsizetype after = at + 1 + name.size();
    if (after >= html.size())
        return true;
    const QChar c = html.at(after);
    return c.isSpace() || c == u'>' || c == u'/';
}

bool isFrameset(const QString &html)
{
    static const QLatin1StringView rawText[] = {QLatin1StringView("title"),
                                                QLatin1StringView("style"),
                                                QLatin1StringView("script")};
    qsizetype i = 0;
    const qsizetype n = html.size();
    while (i < n) {
        const QChar c = html.at(i);
        if (c != u'<') {
            if (!c.isSpace())
                return false; // visible text before any frameset: the page has a body
            ++i;
            continue;
        }
        if (QStringView(html).mid(i, 4) == QLatin1StringView("<!--")) {
            const qsizetype end = html.indexOf(QLatin1StringView("-->"), i + 4);
            if (end < 0)
                return false;
            i = end + 3;
            continue;
        }
        if (startsTagAt(html, i, QLatin1StringView("frameset")))
            return true;
        if (startsTagAt(html, i, QLatin1StringView("body")))
            return false;
        // Any other tag (doctype, html, head contents) is skipped; the text of
        // title, style and script elements is not visible text.
        const qsizetype end = html.indexOf(u'>', i);
        if (end < 0)
            return false;
        qsizetype next = end + 1;
        for (const auto &name : rawText) {
            if (startsTagAt(html, i, name)) {
                const qsizetype close =
                    html.indexOf(QStringLiteral("</") + name, next, Qt::CaseInsensitive);
                if (close < 0)
                    return false;
                next = close; // the end tag is skipped like any other
                break;
            }
        }
        i = next;
    }
    return false;
}

qsizetype nonBlankCount(QStringView text)
{
    qsizetype count = 0;
    for (const QChar c : text)
        if (!c.isSpace())
            ++count;
    return count;
}

bool isMostlyServerScript(const QString &html)
{
    const qsizetype total = nonBlankCount(html);
    if (total == 0)
        return false;
    // Server code is what the server runs: blocks with their closing
    // delimiter (server_blocks.h), and server-side script elements.
    static const QRegularExpression serverScript(
        QStringLiteral("<script\\b[^>]*\\brunat\\s*=\\s*[\"']?server[^>]*>.*?(</script\\s*>|$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const ServerBlockFinder blocks(html);
    qsizetype script = 0;
    for (qsizetype i = html.indexOf(u'<'); i >= 0; i = html.indexOf(u'<', i)) {
        qsizetype end = blocks.end(i);
        if (end < 0 && startsTagAt(html, i, QLatin1StringView("script"))) {
            const QRegularExpressionMatch m
                = serverScript.match(html, i, QRegularExpression::NormalMatch,
                                     QRegularExpression::AnchorAtOffsetMatchOption);
            if (m.hasMatch())
                end = m.capturedEnd();
        }
        if (end < 0) {
            ++i;
            continue;
        }
        script += nonBlankCount(QStringView(html).sliced(i, end - i));
        i = end;
    }
    return script * 2 > total;
}

} // namespace

quint32 pageRejectionCode(const QString &html)
{
    if (isFrameset(html))
        return ComponentErrorCode::Frameset;
    if (isMostlyServerScript(html))
        return ComponentErrorCode::ServerScript;
    return 0;
}

void checkPageAcceptable(const QString &html)
{
    switch (pageRejectionCode(html)) {
    case 0:
        return;
    case ComponentErrorCode::Frameset:
        throw ComponentError(ComponentErrorCode::Frameset,
                             QStringLiteral("The page is a frameset; it has no body to edit."));
    default:
        throw ComponentError(ComponentErrorCode::ServerScript,
                             QStringLiteral("The page is mostly server-side script."));
    }
}

#include "platform/editing/page_limits.h"

#include "app/editing_component.h"
#include "platform/editing/server_blocks.h"
#include "platform/local_path.h"

#include <QVector>

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':';
}

// Elements that never hold others, or whose end tag the parser supplies itself
// when the next one starts: neither can pile up levels.
bool neverNests(const QString &name)
{
    static const QStringList names = {
        "area",  "base",    "br",       "col",   "embed", "hr",     "img",      "input",   "link",
        "meta",  "param",   "source",   "track", "wbr",   "keygen", "basefont", "bgsound", "frame",
        "image", "isindex", "spacer",   "p",     "li",    "dt",     "dd",       "tr",      "td",
        "th",    "option",  "optgroup", "thead", "tbody", "tfoot",  "colgroup", "caption", "rb",
        "rt",    "rp",      "rtc",      "html",  "head",  "body",
    };
    return names.contains(name);
}

// Elements whose content is text up to their own end tag.
bool holdsRawText(const QString &name)
{
    static const QStringList names
        = { "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes" };
    return names.contains(name);
}

qsizetype skipPast(QStringView html, qsizetype from, QStringView end)
{
    const qsizetype at = html.indexOf(end, from, Qt::CaseInsensitive);
    return at < 0 ? html.size() : at + end.size();
}

// The end of a tag that starts at from (on its '<'), past its '>', quotes respected.
qsizetype tagEnd(QStringView html, qsizetype from)
{
    QChar quote;
    for (qsizetype i = from + 1; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if ((c == u'"' || c == u'\'') && i > 0 && html[i - 1] == u'=') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return html.size();
}

} // namespace

int pageNestingDepth(QStringView html, int limit)
{
    const ServerBlockFinder blocks(html);
    QVector<QString> open;
    int deepest = 0;
    qsizetype i = 0;
    const qsizetype n = html.size();
    while (i < n) {
        i = html.indexOf(u'<', i);
        if (i < 0)
            break;
        if (html.mid(i, 4) == u"<!--") {
            i = skipPast(html, i + 4, u"-->");
            continue;
        }
        if (const qsizetype end = blocks.end(i); end >= 0) {
            i = end; // server code is not markup
            continue;
        }
        if (i + 1 < n && html[i + 1] == u'?') {
            i = html.indexOf(u'>', i); // the parser's bogus comment
            i = i < 0 ? n : i + 1;
            continue;
        }
        if (i + 1 < n && html[i + 1] == u'!') {
            i = tagEnd(html, i);
            continue;
        }
        const bool closing = i + 1 < n && html[i + 1] == u'/';
        qsizetype nameStart = i + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < n && isNameChar(html[nameEnd]))
            ++nameEnd;
        if (nameEnd == nameStart || !html[nameStart].isLetter()) {
            ++i; // a lone '<' is text
            continue;
        }
        const QString name = html.mid(nameStart, nameEnd - nameStart).toString().toLower();
        const qsizetype end = tagEnd(html, i);
        i = end;
        if (closing) {
            // Closes the nearest open element of its name and all inside it.
            for (qsizetype k = open.size() - 1; k >= 0; --k) {
                if (open[k] == name) {
                    open.resize(k);
                    break;
                }
            }
            continue;
        }
        if (name == u"plaintext")
            break; // everything after it is text
        if (holdsRawText(name)) {
            i = skipPast(html, i, QString(QStringLiteral("</") + name));
            continue;
        }
        const bool selfClosed = end >= 2 && html[end - 2] == u'/';
        if (selfClosed || neverNests(name))
            continue;
        open.append(name);
        if (open.size() > deepest) {
            deepest = int(open.size());
            if (deepest > limit)
                break;
        }
    }
    return deepest;
}

void checkPageFileSize(const QString &path)
{
    struct stat info;
    if (statPath(path, info) && S_ISREG(info.st_mode) && info.st_size > MaxPageBytes)
        throw ComponentError(
            ComponentErrorCode::PageTooLarge,
            QStringLiteral("\"%1\" is %2 MB; the editor opens pages of up to %3 MB.")
                .arg(shownPath(path))
                .arg((qint64(info.st_size) + 1024 * 1024 - 1) / (1024 * 1024))
                .arg(MaxPageBytes / (1024 * 1024)));
}

void checkPageLimits(const QString &html)
{
    if (html.size() > MaxPageBytes)
        throw ComponentError(
            ComponentErrorCode::PageTooLarge,
            QStringLiteral("The page is larger than %1 MB.").arg(MaxPageBytes / (1024 * 1024)));
    if (pageNestingDepth(html) > MaxPageDepth)
        throw ComponentError(ComponentErrorCode::PageTooDeep,
                             QStringLiteral("The page nests its elements more than %1 levels deep.")
                                 .arg(MaxPageDepth));
}

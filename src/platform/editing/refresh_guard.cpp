#include "platform/editing/refresh_guard.h"

#include <QList>
#include <QRegularExpression>

#include <utility>

namespace {

const QLatin1StringView DisarmedName("data-corvane-http-equiv");

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool startsWithAt(QStringView text, qsizetype at, QLatin1StringView word)
{
    return text.sliced(at).startsWith(word, Qt::CaseInsensitive);
}

// Where the raw text of an element that starts at `at` ends (its end tag), or
// -1 when the element is not one whose content the parser takes as text.
qsizetype rawTextEnd(QStringView html, qsizetype at)
{
    static const QLatin1StringView rawTags[] = { QLatin1StringView("script"),
                                                 QLatin1StringView("style"),
                                                 QLatin1StringView("textarea"),
                                                 QLatin1StringView("title"),
                                                 QLatin1StringView("xmp") };
    for (QLatin1StringView tag : rawTags) {
        const qsizetype after = at + 1 + tag.size();
        if (!startsWithAt(html, at + 1, tag) || after >= html.size()
            || !(isSpace(html[after]) || html[after] == u'>' || html[after] == u'/'))
            continue;
        const QString close = QStringLiteral("</") + tag;
        const qsizetype end = html.indexOf(close, after, Qt::CaseInsensitive);
        return end < 0 ? html.size() : end;
    }
    return -1;
}

// Scans one start tag from `at` (just past its name) to its '>'; the names
// of http-equiv attributes whose value is "refresh" go into `spans`.
qsizetype scanMetaTag(QStringView html, qsizetype at, QList<std::pair<qsizetype, qsizetype>> &spans)
{
    qsizetype i = at;
    const qsizetype n = html.size();
    while (i < n && html[i] != u'>') {
        if (isSpace(html[i]) || html[i] == u'/') {
            ++i;
            continue;
        }
        const qsizetype nameStart = i;
        ++i; // a name may start with '=' but not end there
        while (i < n && !isSpace(html[i]) && html[i] != u'=' && html[i] != u'>' && html[i] != u'/')
            ++i;
        const QStringView name = html.sliced(nameStart, i - nameStart);
        while (i < n && isSpace(html[i]))
            ++i;
        QStringView value;
        if (i < n && html[i] == u'=') {
            ++i;
            while (i < n && isSpace(html[i]))
                ++i;
            if (i < n && (html[i] == u'"' || html[i] == u'\'')) {
                const qsizetype close = html.indexOf(html[i], i + 1);
                const qsizetype end = close < 0 ? n : close;
                value = html.sliced(i + 1, end - i - 1);
                i = close < 0 ? n : close + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < n && !isSpace(html[i]) && html[i] != u'>')
                    ++i;
                value = html.sliced(valueStart, i - valueStart);
            }
        }
        if (name.compare(QLatin1StringView("http-equiv"), Qt::CaseInsensitive) == 0
            && value.trimmed().compare(QLatin1StringView("refresh"), Qt::CaseInsensitive) == 0)
            spans.append({ nameStart, name.size() });
    }
    return i;
}

} // namespace

bool mayDeclareRefresh(QStringView html)
{
    return html.contains(QLatin1StringView("refresh"), Qt::CaseInsensitive);
}

QString disarmRefresh(const QString &html, QStringList *names)
{
    if (!mayDeclareRefresh(html))
        return html;
    QList<std::pair<qsizetype, qsizetype>> spans;
    const qsizetype n = html.size();
    qsizetype i = 0;
    while ((i = html.indexOf(u'<', i)) >= 0 && i + 1 < n) {
        if (startsWithAt(html, i, QLatin1StringView("<!--"))) {
            const qsizetype end = html.indexOf(QLatin1StringView("-->"), i + 4);
            i = end < 0 ? n : end + 3;
        } else if (const qsizetype end = rawTextEnd(html, i); end >= 0) {
            i = end;
        } else if (startsWithAt(html, i + 1, QLatin1StringView("meta")) && i + 5 < n
                   && (isSpace(html[i + 5]) || html[i + 5] == u'/')) {
            i = scanMetaTag(html, i + 5, spans);
        } else {
            ++i;
        }
    }
    if (spans.isEmpty())
        return html;
    QString out;
    out.reserve(html.size() + spans.size() * (DisarmedName.size() - 10));
    qsizetype copied = 0;
    for (const auto &[at, length] : std::as_const(spans)) {
        if (names)
            names->append(html.sliced(at, length));
        out += QStringView(html).sliced(copied, at - copied);
        out += DisarmedName;
        copied = at + length;
    }
    out += QStringView(html).sliced(copied);
    return out;
}

QString rearmRefresh(const QString &html, const QStringList &names)
{
    if (!html.contains(DisarmedName))
        return html;
    static const QRegularExpression disarmed(
        QStringLiteral("(<meta\\s[^>]*?)\\bdata-corvane-http-equiv(?=\\s*=)"),
        QRegularExpression::CaseInsensitiveOption);
    QList<std::pair<qsizetype, qsizetype>> spans; // where each renamed name stands
    for (QRegularExpressionMatchIterator it = disarmed.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        spans.append({m.capturedEnd(1), m.capturedEnd(0) - m.capturedEnd(1)});
    }
    const bool ownNames = spans.size() == names.size();
    QString out;
    out.reserve(html.size());
    qsizetype copied = 0;
    for (qsizetype k = 0; k < spans.size(); ++k) {
        out += QStringView(html).sliced(copied, spans[k].first - copied);
        out += ownNames ? names[k] : QStringLiteral("http-equiv");
        copied = spans[k].first + spans[k].second;
    }
    out += QStringView(html).sliced(copied);
    return out;
}

#include "insert/insert_texts.h"

#include <QRegularExpression>

QString ExtractQuotedText(const QString &text)
{
    QString result;
    bool inside = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            inside = !inside;
        else if (inside)
            result += c;
    }
    return result;
}

namespace {

QString decodeReferences(const QString &value)
{
    static const QRegularExpression ref(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-zA-Z]+);"));
    QString out;
    qsizetype last = 0;
    for (auto it = ref.globalMatch(value); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += value.mid(last, m.capturedStart() - last);
        const QString name = m.captured(1);
        QString replacement = m.captured(0);
        bool ok = false;
        if (name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)) {
            const uint code = name.mid(2).toUInt(&ok, 16);
            if (ok && code > 0 && code <= 0x10FFFF)
                replacement = QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        } else if (name.startsWith(QLatin1Char('#'))) {
            const uint code = name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF)
                replacement = QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        } else if (name == QLatin1String("amp")) {
            replacement = QStringLiteral("&");
        } else if (name == QLatin1String("quot")) {
            replacement = QStringLiteral("\"");
        } else if (name == QLatin1String("lt")) {
            replacement = QStringLiteral("<");
        } else if (name == QLatin1String("gt")) {
            replacement = QStringLiteral(">");
        } else if (name == QLatin1String("nbsp")) {
            replacement = QChar(0xA0);
        }
        out += replacement;
        last = m.capturedEnd();
    }
    return out + value.mid(last);
}

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
        || c == QLatin1Char('\r') || c == QLatin1Char('\f');
}

} // namespace

std::optional<QString> firstTagAttribute(const QString &html, const QString &name)
{
    qsizetype i = html.indexOf(QLatin1Char('<'));
    if (i < 0)
        return std::nullopt;
    const qsizetype n = html.size();
    ++i;
    while (i < n && !isSpace(html[i]) && html[i] != QLatin1Char('>') && html[i] != QLatin1Char('/'))
        ++i; // the tag name
    while (i < n) {
        while (i < n && (isSpace(html[i]) || html[i] == QLatin1Char('/')))
            ++i;
        if (i >= n || html[i] == QLatin1Char('>'))
            return std::nullopt;
        const qsizetype nameStart = i;
        while (i < n && !isSpace(html[i]) && html[i] != QLatin1Char('=')
               && html[i] != QLatin1Char('>'))
            ++i;
        const QString attribute = html.mid(nameStart, i - nameStart);
        while (i < n && isSpace(html[i]))
            ++i;
        QString value;
        if (i < n && html[i] == QLatin1Char('=')) {
            ++i;
            while (i < n && isSpace(html[i]))
                ++i;
            if (i < n && (html[i] == QLatin1Char('"') || html[i] == QLatin1Char('\''))) {
                const QChar quote = html[i++];
                const qsizetype end = html.indexOf(quote, i);
                const qsizetype stop = end < 0 ? n : end;
                value = html.mid(i, stop - i);
                i = end < 0 ? n : end + 1;
            } else {
                const qsizetype start = i;
                while (i < n && !isSpace(html[i]) && html[i] != QLatin1Char('>'))
                    ++i;
                value = html.mid(start, i - start);
            }
        }
        if (attribute.compare(name, Qt::CaseInsensitive) == 0)
            return decodeReferences(value);
    }
    return std::nullopt;
}

QString hyperlinkPrefill(const QString &elementHtml)
{
    return firstTagAttribute(elementHtml, QStringLiteral("href")).value_or(QString());
}

QString emailPrefill(const QString &elementHtml)
{
    QString address = hyperlinkPrefill(elementHtml).trimmed();
    if (address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
        address = address.mid(7);
    return address;
}

QString buttonPrefill(const QString &elementHtml)
{
    return firstTagAttribute(elementHtml, QStringLiteral("value")).value_or(QString());
}

QString quotedAttribute(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('"'), QLatin1String("&quot;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString bareNumberOrQuoted(const QString &value)
{
    static const QRegularExpression number(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
    return number.match(value).hasMatch() ? value : quotedAttribute(value);
}

QString buttonHtml(const QString &caption)
{
    return QStringLiteral("<Input Type=\"Submit\" value=") + quotedAttribute(caption)
        + QLatin1Char('>');
}

QString pictureHtml(const QString &path, const QString &border, const QString &width,
                    const QString &height, const QString &alt)
{
    return QStringLiteral("<img src=") + quotedAttribute(path) + QStringLiteral(" border=")
        + bareNumberOrQuoted(border) + QStringLiteral(" width=") + bareNumberOrQuoted(width)
        + QStringLiteral(" height=") + bareNumberOrQuoted(height) + QStringLiteral(" alt=")
        + quotedAttribute(alt) + QLatin1Char('>');
}

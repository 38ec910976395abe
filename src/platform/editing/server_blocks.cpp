#include "platform/editing/server_blocks.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

const QLatin1StringView TokenPrefix("_corvane_server_");

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool startsWith(QStringView s, qsizetype at, QStringView what)
{
    return s.mid(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

// The closing delimiter of a block opening at `at`, or an empty view when no
// block opens there.
QStringView blockCloser(QStringView s, qsizetype at)
{
    if (at + 1 >= s.size() || s[at] != u'<')
        return {};
    if (s[at + 1] == u'%')
        return u"%>";
    if (s[at + 1] == u'?' && !startsWith(s, at + 2, u"xml"))
        return u"?>";
    return {};
}

// "<?php" and white space: PHP runs such a block to the end of the file
// when it has no closing delimiter.
bool opensPhp(QStringView s, qsizetype at)
{
    return startsWith(s, at, u"<?php") && (at + 5 == s.size() || isSpace(s[at + 5]));
}

} // namespace

ServerBlockFinder::ServerBlockFinder(QStringView html)
    : m_s(html)
    , m_lastAspClose(html.lastIndexOf(u"%>"))
    , m_lastPhpClose(html.lastIndexOf(u"?>"))
{
}

qsizetype ServerBlockFinder::end(qsizetype at) const
{
    const QStringView closer = blockCloser(m_s, at);
    if (closer.isEmpty())
        return -1;
    // Past the last closer of its kind, an opener is never closed: found at
    // once, so a page full of "<%" in its text is not searched again for each.
    const qsizetype last = closer == u"%>" ? m_lastAspClose : m_lastPhpClose;
    const qsizetype close = last >= at + 2 ? m_s.indexOf(closer, at + 2) : -1;
    if (close >= 0)
        return close + closer.size();
    return closer == u"?>" && opensPhp(m_s, at) ? m_s.size() : -1;
}

namespace {

// Elements whose text the browser does not parse as markup. (With scripts
// off, noscript is ordinary markup.)
bool holdsRawText(const QString &name)
{
    static const QStringList names { "script",  "style",    "xmp",      "iframe",
                                     "noembed", "noframes", "textarea", "title" };
    return names.contains(name);
}

} // namespace

// A single pass over the page that follows the browser's tokenizer just far
// enough to know, at each block, whether it stands in content, in a tag (and
// where in it), or in text the browser keeps raw.
struct ServerBlockScanner
{
    enum class State {
        Data,
        TagName,
        BeforeAttrName,
        AttrName,
        AfterAttrName,
        BeforeAttrValue,
        ValueDoubleQuoted,
        ValueSingleQuoted,
        ValueUnquoted,
        AfterQuotedValue,
        Comment,
        Bogus,
        RawText,
        PlainText,
    };

    explicit ServerBlockScanner(QStringView page)
        : s(page)
        , blocks(page)
    {
    }

    QStringView s;
    ServerBlockFinder blocks;
    ProtectedPage result;
    qsizetype copied = 0;
    State state = State::Data;
    bool endTag = false;
    QString tagName;
    bool afterSpace = false; // in BeforeAttrName: whitespace came last
    qsizetype commentStart = 0;

    void run()
    {
        const qsizetype n = s.size();
        qsizetype i = 0;
        while (i < n) {
            const qsizetype end = blocks.end(i);
            if (end >= 0) {
                take(i, end);
                i = end;
            } else {
                i = step(i);
            }
        }
        if (result.table.isEmpty())
            result.html = s.toString();
        else
            result.html += s.sliced(copied);
    }

    void take(qsizetype at, qsizetype end)
    {
        ServerBlockTable &table = result.table;
        if (table.isEmpty()) {
            result.html.reserve(s.size() + 64);
            for (int k = 0;; ++k) {
                const QString prefix = TokenPrefix + QString::number(k) + u'_';
                if (!s.contains(prefix, Qt::CaseInsensitive)) {
                    table.m_key = QString::number(k);
                    break;
                }
            }
        }
        ServerBlock block;
        block.code = s.sliced(at, end - at).toString();
        switch (state) {
        case State::Data:
            block.form = ServerBlock::Form::Comment;
            break;
        case State::TagName:
        case State::BeforeAttrName:
        case State::AfterAttrName:
        case State::AfterQuotedValue:
            // Where an attribute could start: the block is one, or begins one.
            block.form = ServerBlock::Form::Attribute;
            block.glued = state == State::TagName || state == State::AfterQuotedValue
                || (state == State::BeforeAttrName && !afterSpace);
            block.standalone = end == s.size() || isSpace(s[end]) || s[end] == u'>'
                || s[end] == u'/' || blocks.end(end) >= 0;
            state = block.standalone ? State::BeforeAttrName : State::AttrName;
            afterSpace = false;
            break;
        case State::BeforeAttrValue:
            block.form = ServerBlock::Form::Text;
            state = State::ValueUnquoted;
            break;
        default:
            block.form = ServerBlock::Form::Text;
            break;
        }
        const QString token = table.token(table.m_blocks.size());
        result.html += s.sliced(copied, at - copied);
        switch (block.form) {
        case ServerBlock::Form::Comment:
            result.html += QLatin1StringView("<!--") + token + QLatin1StringView("-->");
            break;
        case ServerBlock::Form::Attribute:
            result.html += (block.glued ? QStringLiteral(" ") : QString()) + token;
            break;
        case ServerBlock::Form::Text:
            result.html += token;
            break;
        }
        copied = end;
        table.m_blocks.append(block);
    }

    void endOfTag()
    {
        if (endTag)
            state = State::Data;
        else if (tagName == QLatin1StringView("plaintext"))
            state = State::PlainText;
        else if (holdsRawText(tagName))
            state = State::RawText;
        else
            state = State::Data;
    }

    void startTag(bool isEnd)
    {
        state = State::TagName;
        endTag = isEnd;
        tagName.clear();
    }

    // Moves past one character (or one construct) outside blocks.
    qsizetype step(qsizetype i)
    {
        const qsizetype n = s.size();
        const QChar c = s[i];
        const QChar next = i + 1 < n ? s[i + 1] : QChar();
        switch (state) {
        case State::Data:
            if (c != u'<')
                return i + 1;
            if (startsWith(s, i, u"<!--")) {
                state = State::Comment;
                commentStart = i + 4;
                return i + 4;
            }
            if (next == u'!' || next == u'?') { // a doctype, <?xml, CDATA
                state = State::Bogus;
                return i + 2;
            }
            if (next == u'/') {
                const QChar third = i + 2 < n ? s[i + 2] : QChar();
                if (isAsciiLetter(third)) {
                    startTag(true);
                    return i + 2;
                }
                if (third != u'>' && i + 2 < n)
                    state = State::Bogus;
                return i + (third == u'>' ? 3 : 2);
            }
            if (isAsciiLetter(next))
                startTag(false);
            return i + 1;
        case State::TagName:
            if (isSpace(c)) {
                state = State::BeforeAttrName;
                afterSpace = true;
            } else if (c == u'/') {
                state = State::BeforeAttrName;
                afterSpace = false;
            } else if (c == u'>') {
                endOfTag();
            } else {
                tagName += c.toLower();
            }
            return i + 1;
        case State::BeforeAttrName:
            if (isSpace(c))
                afterSpace = true;
            else if (c == u'/')
                afterSpace = false;
            else if (c == u'>')
                endOfTag();
            else
                state = State::AttrName;
            return i + 1;
        case State::AttrName:
            if (isSpace(c)) {
                state = State::AfterAttrName;
            } else if (c == u'/') {
                state = State::BeforeAttrName;
                afterSpace = false;
            } else if (c == u'=') {
                state = State::BeforeAttrValue;
            } else if (c == u'>') {
                endOfTag();
            }
            return i + 1;
        case State::AfterAttrName:
            if (c == u'/') {
                state = State::BeforeAttrName;
                afterSpace = false;
            } else if (c == u'=') {
                state = State::BeforeAttrValue;
            } else if (c == u'>') {
                endOfTag();
            } else if (!isSpace(c)) {
                state = State::AttrName;
            }
            return i + 1;
        case State::BeforeAttrValue:
            if (c == u'"')
                state = State::ValueDoubleQuoted;
            else if (c == u'\'')
                state = State::ValueSingleQuoted;
            else if (c == u'>')
                endOfTag();
            else if (!isSpace(c))
                state = State::ValueUnquoted;
            return i + 1;
        case State::ValueDoubleQuoted:
            if (c == u'"')
                state = State::AfterQuotedValue;
            return i + 1;
        case State::ValueSingleQuoted:
            if (c == u'\'')
                state = State::AfterQuotedValue;
            return i + 1;
        case State::ValueUnquoted:
            if (isSpace(c)) {
                state = State::BeforeAttrName;
                afterSpace = true;
            } else if (c == u'>') {
                endOfTag();
            }
            return i + 1;
        case State::AfterQuotedValue:
            if (isSpace(c)) {
                state = State::BeforeAttrName;
                afterSpace = true;
            } else if (c == u'/') {
                state = State::BeforeAttrName;
                afterSpace = false;
            } else if (c == u'>') {
                endOfTag();
            } else {
                state = State::AttrName;
            }
            return i + 1;
        case State::Comment:
            if (i == commentStart && c == u'>') { // <!-->
                state = State::Data;
                return i + 1;
            }
            if (i == commentStart && startsWith(s, i, u"->")) { // <!--->
                state = State::Data;
                return i + 2;
            }
            if (startsWith(s, i, u"-->")) {
                state = State::Data;
                return i + 3;
            }
            if (startsWith(s, i, u"--!>")) {
                state = State::Data;
                return i + 4;
            }
            return i + 1;
        case State::Bogus:
            if (c == u'>')
                state = State::Data;
            return i + 1;
        case State::RawText: {
            // Only this element's own end tag closes it.
            const qsizetype after = i + 2 + tagName.size();
            if (c == u'<' && next == u'/' && startsWith(s, i + 2, tagName)
                && (after >= n || isSpace(s[after]) || s[after] == u'/' || s[after] == u'>')) {
                const QString name = tagName;
                startTag(true);
                tagName = name;
                return after;
            }
            return i + 1;
        }
        case State::PlainText:
            return i + 1;
        }
        return i + 1;
    }
};

QString ServerBlockTable::token(qsizetype n) const
{
    return TokenPrefix + m_key + u'_' + QString::number(n) + u'_';
}

QString ServerBlockTable::restore(const QString &html) const
{
    if (m_blocks.isEmpty())
        return html;
    const QString prefix = TokenPrefix + m_key + u'_';
    QString out;
    qsizetype copied = 0;
    qsizetype from = 0;
    for (qsizetype at; (at = html.indexOf(prefix, from)) >= 0;) {
        qsizetype digits = at + prefix.size();
        qsizetype n = 0;
        while (digits < html.size() && html[digits].isDigit() && digits - at - prefix.size() < 9)
            n = n * 10 + html[digits++].digitValue();
        from = at + 1;
        if (digits == at + prefix.size() || digits >= html.size() || html[digits] != u'_'
            || n >= m_blocks.size())
            continue;
        const ServerBlock &block = m_blocks[n];
        qsizetype start = at;
        qsizetype stop = digits + 1;
        if (block.form == ServerBlock::Form::Comment) {
            if (start - 4 >= copied && QStringView(html).mid(start - 4, 4) == u"<!--"
                && QStringView(html).mid(stop, 3) == u"-->") {
                start -= 4;
                stop += 3;
            }
        } else if (block.form == ServerBlock::Form::Attribute) {
            if (block.standalone && QStringView(html).mid(stop, 3) == u"=\"\"")
                stop += 3;
            if (block.glued && start - 1 >= copied && html[start - 1] == u' ')
                --start;
        }
        if (out.isEmpty())
            out.reserve(html.size());
        out += QStringView(html).sliced(copied, start - copied);
        out += block.code;
        copied = stop;
        from = stop;
    }
    if (copied == 0)
        return html;
    out += QStringView(html).sliced(copied);
    return out;
}

QJsonObject ServerBlockTable::toJson() const
{
    QJsonArray blocks;
    for (const ServerBlock &b : m_blocks) {
        const char *form = b.form == ServerBlock::Form::Comment ? "comment"
            : b.form == ServerBlock::Form::Attribute            ? "attribute"
                                                                : "text";
        blocks.append(QJsonObject { { "code", b.code },
                                    { "form", QLatin1StringView(form) },
                                    { "standalone", b.standalone },
                                    { "glued", b.glued } });
    }
    return QJsonObject { { "key", m_key }, { "blocks", blocks } };
}

bool hasServerBlocks(QStringView html)
{
    const ServerBlockFinder blocks(html);
    for (qsizetype i = html.indexOf(u'<'); i >= 0; i = html.indexOf(u'<', i + 1)) {
        if (blocks.end(i) >= 0)
            return true;
    }
    return false;
}

ProtectedPage protectServerBlocks(const QString &html)
{
    if (!hasServerBlocks(html))
        return { html, {} };
    ServerBlockScanner scanner(html);
    scanner.run();
    return std::move(scanner.result);
}

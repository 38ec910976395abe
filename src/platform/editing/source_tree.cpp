#include "platform/editing/source_tree.h"

#include <QByteArray>
#include <QJsonArray>

#include <QThreadPool>

#include <gumbo.h>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

struct Builder
{
    const QByteArray &utf8;
    std::vector<int> unitAt; // byte offset -> UTF-16 offset
    SourceTree tree;

    int at(unsigned int byte) const
    {
        return unitAt[std::min<size_t>(byte, unitAt.size() - 1)];
    }

    static int utf16Length(const char *text)
    {
        int n = 0;
        for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
            if ((*p & 0xC0) != 0x80)
                ++n;
            if (*p >= 0xF0)
                ++n; // a surrogate pair
        }
        return n;
    }

    static QString tagName(const GumboElement &e)
    {
        if (e.tag != GUMBO_TAG_UNKNOWN)
            return QString::fromLatin1(gumbo_normalized_tagname(e.tag));
        GumboStringPiece piece = e.original_tag;
        gumbo_tag_from_original_text(&piece);
        return QString::fromUtf8(piece.data, qsizetype(piece.length)).toLower();
    }

    int add(const QString &name, int size, bool ok)
    {
        tree.names.append(name);
        tree.childCounts.append(0);
        tree.sizes.append(size);
        tree.positions.append({0, 0, 0, 0});
        tree.reliable.append(ok);
        return int(tree.names.size()) - 1;
    }

    void setSpan(int i, int s0, int s1, int e0, int e1)
    {
        int *p = tree.positions.data() + 4 * i;
        p[0] = s0;
        p[1] = s1;
        p[2] = e0;
        p[3] = e1;
    }

    // Adds the children in order and returns where the last one ends; a
    // child that starts before the one before it ends is out of place.
    int addChildren(int parent, const GumboVector &children, int from)
    {
        int cursor = from;
        int count = 0;
        for (unsigned int k = 0; k < children.length; ++k) {
            const int child = addNode(static_cast<const GumboNode *>(children.data[k]));
            if (child < 0)
                continue;
            ++count;
            // Text that overlaps the text before it: a table whose text
            // holds what was fostered out of it before the table, a comment
            // after </html> whose text lies among the body's.
            const int *p = tree.positions.constData() + 4 * child;
            if (p[0] < cursor)
                tree.reliable[child] = false;
            cursor = std::max(cursor, p[3]);
        }
        tree.childCounts[parent] = count;
        return cursor;
    }

    int addNode(const GumboNode *node)
    {
        constexpr unsigned int moved = GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT
            | GUMBO_INSERTION_ADOPTION_AGENCY_CLONED | GUMBO_INSERTION_ADOPTION_AGENCY_MOVED
            | GUMBO_INSERTION_FOSTER_PARENTED;
        const bool inPlace = !(node->parse_flags & moved);
        switch (node->type) {
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
            const GumboElement &e = node->v.element;
            const int i = add(tagName(e), int(e.attributes.length), inPlace);
            const int s0 = at(e.start_pos.offset);
            const int s1 = at(e.start_pos.offset + unsigned(e.original_tag.length));
            // A template's content is no child of it in the browser's tree;
            // its text goes along with the element.
            const int last = node->type == GUMBO_NODE_TEMPLATE
                ? s1
                : addChildren(i, e.children, s1);
            int e0 = at(e.end_pos.offset);
            int e1 = at(e.end_pos.offset + unsigned(e.original_end_tag.length));
            if (e.original_end_tag.length == 0 || last > e0) {
                // No end tag, or content after it (text after </body>): the
                // end tag, if any, lies among the children's text.
                e0 = e1 = std::max(last, s1);
            }
            if (node->type == GUMBO_NODE_TEMPLATE && e1 < s1)
                tree.reliable[i] = false;
            setSpan(i, s0, s1, e0, e1);
            return i;
        }
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
        case GUMBO_NODE_COMMENT: {
            const GumboText &t = node->v.text;
            const bool comment = node->type == GUMBO_NODE_COMMENT;
            const int i = add(comment ? QStringLiteral("#comment") : QStringLiteral("#text"),
                              utf16Length(t.text), inPlace);
            const int b = at(t.start_pos.offset);
            const int e = at(t.start_pos.offset + unsigned(t.original_text.length));
            setSpan(i, b, b, e, e);
            return i;
        }
        default:
            return -1;
        }
    }
};

} // namespace

SourceTree parseSourceTree(const QString &html)
{
    const QByteArray utf8 = html.toUtf8();
    Builder b{utf8, {}, {}};
    b.unitAt.resize(size_t(utf8.size()) + 1);
    int unit = 0;
    for (qsizetype k = 0; k < utf8.size(); ++k) {
        const auto c = static_cast<unsigned char>(utf8[k]);
        b.unitAt[size_t(k)] = unit;
        if ((c & 0xC0) != 0x80)
            unit += c >= 0xF0 ? 2 : 1;
    }
    b.unitAt[size_t(utf8.size())] = unit;

    GumboOutput *output
        = gumbo_parse_with_options(&kGumboDefaultOptions, utf8.constData(), size_t(utf8.size()));
    if (!output)
        return {};
    const int doc = b.add(QStringLiteral("#document"), 0, true);
    const int end = int(html.size());
    b.addChildren(doc, output->document->v.document.children, 0);
    b.setSpan(doc, 0, 0, end, end);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return std::move(b.tree);
}

// Numbers as one block of little-endian 32-bit integers in base64, names as
// one string: a large page has a million numbers, which as JSON arrays cost
// seconds to build, send and read.
QJsonObject SourceTree::toJson() const
{
    const qsizetype n = names.size();
    QByteArray numbers;
    numbers.reserve(n * 7 * 4);
    auto put = [&numbers](int v) {
        const quint32 u = quint32(v);
        const char bytes[4] = { char(u & 0xff), char((u >> 8) & 0xff), char((u >> 16) & 0xff),
                                char(u >> 24) };
        numbers.append(bytes, 4);
    };
    for (int v : childCounts)
        put(v);
    for (int v : sizes)
        put(v);
    for (bool v : reliable)
        put(v ? 1 : 0);
    for (int v : positions)
        put(v);
    return QJsonObject{ { "count", double(n) },
                        { "names", names.join(QLatin1Char(' ')) },
                        { "numbers", QString::fromLatin1(numbers.toBase64()) } };
}

std::optional<QString> joinPieces(const QString &text, const QJsonArray &pieces)
{
    QString page;
    page.reserve(text.size() + 1024);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QJsonValue piece = pieces.at(i);
        if (piece.isString()) {
            page += piece.toString();
            continue;
        }
        if (i + 1 >= pieces.size() || !piece.isDouble() || !pieces.at(i + 1).isDouble())
            return std::nullopt;
        const double from = piece.toDouble(), to = pieces.at(++i).toDouble();
        if (from < 0 || to < from || to > double(text.size()))
            return std::nullopt;
        page += QStringView(text).mid(qsizetype(from), qsizetype(to - from));
    }
    return page;
}

struct SourceParse::State
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    SourceTree tree;
};

SourceParse::SourceParse(const QString &html) : m_state(std::make_shared<State>())
{
    // The worker holds the state and the text: a page replaced meanwhile only
    // drops its own handle.
    QThreadPool::globalInstance()->start([state = m_state, html] {
        SourceTree tree = parseSourceTree(html);
        const std::lock_guard<std::mutex> lock(state->mutex);
        state->tree = std::move(tree);
        state->done = true;
        state->finished.notify_all();
    });
}

bool SourceParse::isReady() const
{
    if (!m_state)
        return false;
    const std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->done;
}

SourceTree SourceParse::take()
{
    if (!m_state)
        return {};
    std::unique_lock<std::mutex> lock(m_state->mutex);
    m_state->finished.wait(lock, [this] { return m_state->done; });
    SourceTree tree = std::move(m_state->tree);
    lock.unlock();
    m_state.reset();
    return tree;
}

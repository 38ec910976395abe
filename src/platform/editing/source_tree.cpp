#include "platform/editing/source_tree.h"

#include <QByteArray>
#include <QJsonArray>

#include <QSet>
#include <QThreadPool>

#include <gumbo.h>

#include <cctype>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

// Elements an end tag of another name does not close past.
bool isSpecial(const QString &name)
{
    static const QSet<QString> special = [] {
        QSet<QString> s;
        for (const char *n :
             { "address", "applet", "area", "article", "aside", "base", "basefont", "bgsound",
               "blockquote", "body", "br", "button", "caption", "center", "col", "colgroup", "dd",
               "details", "dir", "div", "dl", "dt", "embed", "fieldset", "figcaption", "figure",
               "footer", "form", "frame", "frameset", "h1", "h2", "h3", "h4", "h5", "h6", "head",
               "header", "hgroup", "hr", "html", "iframe", "img", "input", "keygen", "li", "link",
               "listing", "main", "marquee", "menu", "meta", "nav", "noembed", "noframes",
               "noscript", "object", "ol", "p", "param", "plaintext", "pre", "script", "search",
               "section", "select", "source", "style", "summary", "table", "tbody", "td",
               "template", "textarea", "tfoot", "th", "thead", "title", "tr", "track", "ul", "wbr",
               "xmp", "mi", "mo", "mn", "ms", "mtext", "annotation-xml", "foreignobject", "desc" })
            s.insert(QString::fromLatin1(n));
        return s;
    }();
    return special.contains(name);
}

// Builds the tree as the browser has it from gumbo's. Gumbo tells elements
// of names it does not know apart by name only in their text: any such end
// tag closes the innermost unknown element, where the browser closes the
// element of that name (Word's <o:p/>, <xml>). Its end tags are therefore
// applied again here to the elements open at that point, which decides the
// parent of everything after them.
struct Builder
{
    const QByteArray &utf8;
    std::vector<int> unitAt; // byte offset -> UTF-16 offset
    SourceTree tree;
    std::vector<int> parent;

    struct Open
    {
        int node;
        int last; // where its last child ends
        QString name;
        bool placed; // a formatting element opened again: placed at its first child
    };
    std::vector<Open> open; // the document first
    std::vector<char> isOpen;

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

    // The name an end tag's text gives ("</o:p >" gives "o:p").
    static QString endTagName(const GumboStringPiece &text)
    {
        qsizetype n = 2;
        const qsizetype length = qsizetype(text.length);
        while (n < length && !std::isspace(static_cast<unsigned char>(text.data[n]))
               && text.data[n] != '/' && text.data[n] != '>')
            ++n;
        return QString::fromUtf8(text.data + 2, std::max<qsizetype>(0, n - 2)).toLower();
    }

    int add(const QString &name, int size, bool ok)
    {
        tree.names.append(name);
        tree.childCounts.append(0);
        tree.sizes.append(size);
        tree.positions.append({0, 0, 0, 0});
        tree.reliable.append(ok ? 1 : 0);
        const int i = int(tree.names.size()) - 1;
        const int up = open.empty() ? -1 : open.back().node;
        parent.push_back(up);
        isOpen.push_back(0);
        if (up >= 0)
            ++tree.childCounts[up];
        return i;
    }

    int *span(int i) { return tree.positions.data() + 4 * i; }

    // A child starts: the elements opened again by the parser around it
    // that have no child yet take their place there.
    void childAt(int start)
    {
        for (size_t k = open.size(); k-- > 0 && !open[k].placed;) {
            open[k].placed = true;
            int *p = span(open[k].node);
            p[0] = p[1] = start;
            open[k].last = start;
        }
    }

    void childEnds(int end)
    {
        if (!open.empty())
            open.back().last = std::max(open.back().last, end);
    }

    // Pops the innermost open element; its end tag, if it has one of its
    // own, stands at e0..e1.
    void pop(int e0 = -1, int e1 = -1)
    {
        const Open top = open.back();
        open.pop_back();
        isOpen[size_t(top.node)] = 0;
        int *p = span(top.node);
        if (!top.placed) {
            // Opened again with nothing in it: where, only an end tag tells.
            if (e0 < 0) {
                tree.reliable[top.node] = 0;
                e0 = e1 = std::max(0, open.back().last);
            }
            p[0] = p[1] = e0;
        }
        const int last = std::max(top.last, p[1]);
        if (e0 < 0 || last > e0) {
            // No end tag, or content after it (text after </body>): the
            // end tag, if any, lies among the children's text.
            e0 = e1 = last;
        }
        p[2] = e0;
        p[3] = e1;
        childEnds(e1);
    }

    // The end tag `name` at e0..e1 as the browser applies it to the open
    // elements: it closes the innermost element of that name and all
    // inside it, unless an element of the special kind stands before.
    void endTag(const QString &name, int e0, int e1)
    {
        for (size_t k = open.size(); k-- > 1;) {
            if (open[k].name == name) {
                while (open.size() > k + 1)
                    pop();
                pop(e0, e1);
                return;
            }
            if (isSpecial(open[k].name))
                return;
        }
    }

    void addNode(const GumboNode *node)
    {
        constexpr unsigned int moved = GUMBO_INSERTION_ADOPTION_AGENCY_CLONED
            | GUMBO_INSERTION_ADOPTION_AGENCY_MOVED;
        const bool inPlace = !(node->parse_flags & moved);
        switch (node->type) {
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
            const GumboElement &e = node->v.element;
            const int s0 = at(e.start_pos.offset);
            const int s1 = at(e.start_pos.offset + unsigned(e.original_tag.length));
            // An element the parser opened again has no text of its own (its
            // positions are the first one's): it starts where its first
            // child does.
            const bool reopened = node->parse_flags & GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT;
            if (!reopened)
                childAt(s0);
            const QString name = tagName(e);
            const int i = add(name, int(e.attributes.length), inPlace);
            int *p = span(i);
            p[0] = s0;
            p[1] = s1;
            open.push_back({i, reopened ? -1 : s1, name, !reopened});
            isOpen[size_t(i)] = 1;
            // A template's content is no child of it in the browser's tree;
            // its text goes along with the element.
            if (node->type != GUMBO_NODE_TEMPLATE) {
                for (unsigned int k = 0; k < e.children.length; ++k)
                    addNode(static_cast<const GumboNode *>(e.children.data[k]));
            }
            const bool hasEnd = e.original_end_tag.length > 0;
            const int e0 = at(e.end_pos.offset);
            const int e1 = at(e.end_pos.offset + unsigned(e.original_end_tag.length));
            if (e.tag == GUMBO_TAG_UNKNOWN && hasEnd) {
                endTag(endTagName(e.original_end_tag), e0, e1);
            } else if (isOpen[size_t(i)]) {
                while (open.back().node != i)
                    pop();
                if (hasEnd)
                    pop(e0, e1);
                else
                    pop();
            }
            if (node->type == GUMBO_NODE_TEMPLATE && p[3] < p[1])
                tree.reliable[i] = 0;
            return;
        }
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
        case GUMBO_NODE_COMMENT: {
            const GumboText &t = node->v.text;
            const bool comment = node->type == GUMBO_NODE_COMMENT;
            unsigned int from = t.start_pos.offset;
            // Text that starts with CR LF starts at the CR.
            if (!comment && from > 0 && from < unsigned(utf8.size()) && utf8[from] == '\n'
                && utf8[from - 1] == '\r')
                --from;
            const int b = at(from);
            const int e = at(t.start_pos.offset + unsigned(t.original_text.length));
            childAt(b);
            const int i = add(comment ? QStringLiteral("#comment") : QStringLiteral("#text"),
                              utf16Length(t.text), inPlace);
            int *p = span(i);
            p[0] = p[1] = b;
            p[2] = p[3] = e;
            childEnds(e);
            return;
        }
        default:
            return;
        }
    }

    // Per parent, in order: a child whose text lies inside the table after
    // it was put out of that table by the parser (fostered); it is written
    // with the table. Any other child that starts before the one before it
    // ends is out of place: a comment after </html> whose text lies among
    // the body's.
    void markPlacement()
    {
        const int n = int(tree.names.size());
        std::vector<int> firstChild(size_t(n), -1), nextSibling(size_t(n), -1),
            lastChild(size_t(n), -1);
        for (int i = 1; i < n; ++i) {
            const int up = parent[size_t(i)];
            if (up < 0)
                continue;
            if (lastChild[size_t(up)] < 0)
                firstChild[size_t(up)] = i;
            else
                nextSibling[size_t(lastChild[size_t(up)])] = i;
            lastChild[size_t(up)] = i;
        }
        std::vector<int> kids;
        for (int up = 0; up < n; ++up) {
            kids.clear();
            for (int c = firstChild[size_t(up)]; c >= 0; c = nextSibling[size_t(c)])
                kids.push_back(c);
            int table = -1;
            for (size_t k = kids.size(); k-- > 0;) {
                const int c = kids[k];
                const int *p = span(c);
                if (table >= 0 && p[0] > span(table)[0] && p[3] <= span(table)[3]) {
                    if (tree.reliable[c])
                        tree.reliable[c] = 2;
                    continue;
                }
                table = tree.names[c] == QLatin1String("table") ? c : -1;
            }
            int cursor = span(up)[1];
            for (const int c : kids) {
                if (tree.reliable[c] == 2)
                    continue;
                const int *p = span(c);
                if (p[0] < cursor)
                    tree.reliable[c] = 0;
                cursor = std::max(cursor, p[3]);
            }
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
    b.open.push_back({doc, 0, QString(), true});
    b.isOpen[0] = 1;
    const GumboVector &children = output->document->v.document.children;
    for (unsigned int k = 0; k < children.length; ++k)
        b.addNode(static_cast<const GumboNode *>(children.data[k]));
    while (b.open.size() > 1)
        b.pop();
    const int end = int(html.size());
    int *p = b.span(doc);
    p[0] = p[1] = 0;
    p[2] = p[3] = end;
    b.markPlacement();
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
    for (int v : reliable)
        put(v);
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

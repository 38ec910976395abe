#pragma once

// The page's text as an HTML parser reads it, with where each node stands in
// the text. An edited page is saved as its own text wherever the edit did not
// reach (js/11-source.js); this tree says which text belongs to which node.

#include <QJsonObject>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class QJsonArray;

struct SourceTree
{
    // One entry per node in document order, the document itself first.
    // Element names are lower case; text is "#text", comments "#comment".
    QStringList names;
    QList<int> childCounts;
    // Text and comments: the data's length; elements: how many attributes.
    QList<int> sizes;
    // Four offsets per node into the text (UTF-16 units): start tag begin and
    // end, end tag begin and end. A text or comment spans the first to the
    // last. Implied tags are empty.
    QList<int> positions;
    // 1 for a node whose text stands where the tree puts it. 0 where it does
    // not (moved by the parser, or out of order): never written from the
    // text. 2 for a node the parser put out of the table after it, whose
    // text lies inside that table's: written with the table.
    QList<int> reliable;

    bool isEmpty() const { return names.isEmpty(); }
    // As the engine reads it (js/11-source.js, readTree).
    QJsonObject toJson() const;
};

// Empty when the text cannot be parsed.
SourceTree parseSourceTree(const QString &html);

// The page the engine's pieces stand for (js/11-source.js, Pieces): ranges
// of text, as two numbers each, and strings. Nothing when a range lies
// outside the text.
std::optional<QString> joinPieces(const QString &text, const QJsonArray &pieces);

// The parse of a page's text, started on a worker thread as soon as the page
// is loaded, so that the first save of an edited page does not wait for it
// (a second or more on a 5 MB page).
class SourceParse
{
public:
    SourceParse() = default;
    explicit SourceParse(const QString &html);
    bool isStarted() const { return bool(m_state); }
    bool isReady() const;
    // The tree, waiting for the parse if it is still running; the parse is
    // handed over once.
    SourceTree take();

private:
    struct State;
    std::shared_ptr<State> m_state;
};

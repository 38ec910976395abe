#pragma once

// The page's text as an HTML parser reads it, with where each node stands in
// the text. An edited page is saved as its own text wherever the edit did not
// reach (js/11-source.js); this tree says which text belongs to which node.

#include <QJsonObject>
#include <QList>
#include <QString>

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
    // Nodes whose text does not stand where the tree puts them (moved by the
    // parser, or out of order): never written from the text.
    QList<bool> reliable;

    bool isEmpty() const { return names.isEmpty(); }
    QJsonObject toJson() const;
};

// Empty when the text cannot be parsed.
SourceTree parseSourceTree(const QString &html);

#pragma once

// Server code in a page (<% ... %>, and <? ... ?> except <?xml) means nothing
// to a browser, which would turn it into a comment or escaped text. Before a
// page reaches the engine every such block is swapped for a token the browser
// keeps as it is, and the tokens are swapped back for the code, byte for byte,
// whenever the page is read out.
//
// Where a block stands decides its token's form:
//  - in content, a comment <!--TOKEN-->, which the engine shows as a marked
//    placeholder;
//  - inside a tag, inside comments and in the text of script, style,
//    textarea, title and the like, the bare token, which survives as
//    attribute or raw text;
//  - between attributes, the bare token as an attribute of its own, which the
//    browser writes back as TOKEN="".
// A token reads _corvane_server_<key>_<n>_: lower case (attribute names are
// lower-cased), no character any serialisation escapes, and a key chosen so
// that the page as written never contains it.
//
// A block runs to its closing delimiter. An opener that is never closed is
// text ("less than 5<% of sales"), but for "<?php", which PHP runs to the
// end of the file without one (PHP files often leave the last block open).
// Blocks take priority over the page's markup, as on the server: a quote or
// a "-->" inside a block does not end the attribute value or comment around
// it.

#include <QJsonObject>
#include <QList>
#include <QString>

struct ServerBlock
{
    enum class Form { Comment, Text, Attribute };
    QString code; // as written, delimiters included
    Form form = Form::Text;
    // Attribute form: the block is a whole attribute, so ="" comes off again.
    bool standalone = false;
    // Attribute form: nothing separated the block from what came before it
    // (a tag name, a closing quote); the space given to its token comes off.
    bool glued = false;
};

class ServerBlockTable
{
public:
    bool isEmpty() const { return m_blocks.isEmpty(); }
    const QList<ServerBlock> &blocks() const { return m_blocks; }
    const QString &key() const { return m_key; }
    QString token(qsizetype n) const;

    // The page with every token the table knows put back as its code.
    // Anything else, a token of another table included, is left as it is.
    QString restore(const QString &html) const;
    // What the engine needs to show and copy the blocks: the key and, for
    // each block, its code and attribute flags.
    QJsonObject toJson() const;

private:
    friend struct ServerBlockScanner;
    QString m_key;
    QList<ServerBlock> m_blocks;
};

struct ProtectedPage
{
    QString html;
    ServerBlockTable table;
};

// Where the server block that opens at a position of the page ends.
class ServerBlockFinder
{
public:
    explicit ServerBlockFinder(QStringView html);
    // Just past the block's closing delimiter (the end of the page for an
    // open "<?php"), or -1 when no block opens at `at`.
    qsizetype end(qsizetype at) const;

private:
    QStringView m_s;
    qsizetype m_lastAspClose;
    qsizetype m_lastPhpClose;
};

// True when the page holds at least one server block.
bool hasServerBlocks(QStringView html);

ProtectedPage protectServerBlocks(const QString &html);

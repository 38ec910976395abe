#pragma once

// Pages for the measurements: generated text that looks like what people
// edit (headings, paragraphs with inline markup, links, lists and tables), so
// the engine's parser, serialiser and editing commands see their usual work.

#include <QString>

// A whole page of at least minBytes UTF-8 bytes. The same size always gives
// the same text.
QString generatePage(qsizetype minBytes);

// Pages made of a few very large blocks, where the top level offers nothing to
// skip: the same sections inside one div, and one long pre of program text.
QString generateOneDivPage(qsizetype minBytes);
QString generatePrePage(qsizetype minBytes);

// Writes text as UTF-8; false if the file could not be written whole.
bool writeUtf8File(const QString &path, const QString &text);

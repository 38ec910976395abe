#pragma once

// The encoding of a page that names none: no byte order mark and no charset
// declaration. Browsers guess such a page's encoding from its content; so do
// we, but only where the guess is sure, since a wrong one shows the page as
// garbage and writes the garbage back.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The encoding to read an undeclared page in, by the first rule that holds:
//  - bytes that are all ASCII: ISO-2022-JP when they shift into its Japanese
//    sets and read cleanly in it, else UTF-8;
//  - bytes that are valid UTF-8: UTF-8;
//  - what ICU's charset detector finds in the page's text (markup left out)
//    when it is sure: a Japanese, Chinese or Korean multi-byte encoding at a
//    confidence of 50 or more, a single-byte one (Cyrillic, Greek, Central
//    European, ...) at 30 or more, at least 15 above windows-1252's own
//    score, with 20 non-ASCII bytes or more in the text judged, and only
//    where it reads some byte otherwise than windows-1252 does; the bytes
//    must also read in it with at most one error per 100 non-ASCII bytes;
//  - otherwise windows-1252.
// Names are those canonicalEncodingName gives (EUC-KR is read as its
// superset windows-949, ISO-8859-9 as windows-1254, as browsers do).
QByteArray detectUndeclaredEncoding(QByteArrayView bytes);

// The page's text as the detector wants it: tags, comments and the content
// of script and style elements left out, runs of white space made one
// space. When it does not fit in `limit` bytes, the stretches of text that
// hold non-ASCII bytes come first.
QByteArray detectionSample(QByteArrayView bytes, qsizetype limit);

// The first `limit` bytes as Latin-1 text for the search for a charset
// declaration, with the double-byte runs of ISO-2022-JP blanked (in 7-bit
// text, up to the line end at most): their bytes are ASCII characters and
// could seem to open a tag or a comment.
QString declarationSearchText(QByteArrayView bytes, qsizetype limit);

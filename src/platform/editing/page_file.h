#pragma once

// Page files on disk: bytes <-> text in the encoding the page came in, and the
// file access around it. The HTML itself is never parsed or normalised here;
// only the charset declaration is looked for (and, on saving, kept true).

#include "app/editing_component.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringView>

struct PageText
{
    QString html;
    // Canonical name: "UTF-8", "UTF-16LE", "UTF-16BE", "windows-1252",
    // "ISO-8859-1", "US-ASCII", or an ICU converter name such as "EUC-KR".
    QByteArray encoding = "UTF-8";
    bool bom = false;
    // Byte sequences that were not valid in the encoding and were read as
    // U+FFFD; the user is told, since saving cannot bring them back.
    int replacedSequences = 0;
};

// A charset declaration found in a META element: the label and where its
// value sits in the text (so it can be rewritten in place).
struct CharsetDeclaration
{
    QString label;
    qsizetype valueStart = -1;
    qsizetype valueLength = 0;
    bool isValid() const { return valueStart >= 0; }
};

// The first META charset declaration of the page, either form
// (<meta charset=...> or http-equiv Content-Type with charset=...).
CharsetDeclaration findCharsetDeclaration(QStringView html);

// The canonical encoding for a charset label, or empty when unsupported.
QByteArray canonicalEncodingName(QStringView label);

// Throws ComponentError(NotHtml) for binary data. UTF-16 is recognised with
// or without a byte order mark.
PageText decodePage(const QByteArray &bytes);
// The same for bytes that came with a charset of their own, such as an HTTP
// Content-Type's: it counts after a byte order mark and before the page's
// declaration. A charset that is empty or unknown is left out.
PageText decodePage(const QByteArray &bytes, QStringView transportCharset);

// Where an element that belongs in the head goes in the page's text without
// changing how the rest is parsed: right after the <head> start tag, else
// where the parser would open the head.
qsizetype headInsertionPoint(QStringView html);

// The page with a UTF-8 Content-Type declaration added, unless it declares a
// charset already: at the start of the head, or where the parser would open
// the head. A Content-Type pragma without a charset gets one instead.
QString withUtf8Declaration(const QString &html);

// Characters the encoding cannot hold become numeric character references.
// A declared charset that differs from the encoding written is rewritten; an
// empty encoding means UTF-8, and a UTF-8 page without a byte order mark gets
// a declaration if it has none.
QByteArray encodePage(const QString &html, const QByteArray &encoding, bool bom);

// Both throw ComponentError with the component's error codes. The bytes as
// read go to *bytesRead when it is given.
PageText readPageFile(const QString &path, QByteArray *bytesRead = nullptr);
// The old file stays intact on any failure. The saved file keeps the old
// one's owner, mode bits and user.* extended attributes; a file with several
// hard links is rewritten in place behind a backup copy, so the links stay.
void writePageFile(const QString &path, const QString &html, const PageText &format);
// Writes bytes as they are, with the same care as writePageFile.
void writePageBytes(const QString &path, const QByteArray &bytes);

enum class FileAccess { Read, Write };
// Maps a failed file operation to a component error code. sysError is the
// errno of the failing call (0 if unknown); path lets a missing file be told
// from a missing folder.
quint32 errorCodeForFileError(QFileDevice::FileError error, int sysError, FileAccess access,
                              const QString &path = {});

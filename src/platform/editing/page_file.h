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

// Throws ComponentError(NotHtml) for binary data.
PageText decodePage(const QByteArray &bytes);

// Characters the encoding cannot hold become numeric character references.
// A declared charset that differs from the encoding written is rewritten; an
// empty encoding means UTF-8.
QByteArray encodePage(const QString &html, const QByteArray &encoding, bool bom);

// Both throw ComponentError with the component's error codes.
PageText readPageFile(const QString &path);
// Atomic: the old file stays intact on any failure; its permissions are kept.
void writePageFile(const QString &path, const QString &html, const PageText &format);

enum class FileAccess { Read, Write };
// Maps a failed file operation to a component error code. sysError is the
// errno of the failing call (0 if unknown); path lets a missing file be told
// from a missing folder.
quint32 errorCodeForFileError(QFileDevice::FileError error, int sysError, FileAccess access,
                              const QString &path = {});

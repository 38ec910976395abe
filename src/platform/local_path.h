#pragma once

// File names on Linux are bytes in no particular encoding. Qt reads them as
// UTF-8 and turns every byte that is not into U+FFFD, so a name such as
// "bad\xff\xfename.htm" cannot be reached again through Qt's file classes
// (and Qt's directory listings leave it out). The editor keeps each path as
// a QString in which every byte that is not part of valid UTF-8 is the lone
// surrogate U+DC00 + byte, the "surrogate escape" other runtimes use. Valid
// UTF-8 never decodes to those code points, so the form is lossless; an
// ordinary path is the very string Qt has for it. Where a path reaches the
// system it goes back to its bytes (pathBytes) through POSIX calls, or as a
// percent-encoded file: URL.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <sys/stat.h>

class QUrl;

QString pathFromBytes(QByteArrayView bytes);
QByteArray pathBytes(QStringView path);

// How a path is shown to the user: each byte that is not UTF-8 as U+FFFD,
// as Qt and the file dialogs show it.
QString shownPath(QStringView path);

// The file: URL of a path, with its bytes percent-encoded (for an ordinary
// path, the URL QUrl::fromLocalFile gives), and back. pathFromUrl gives an
// empty string for a URL that is not a local file's.
QUrl fileUrl(QStringView path);
QString pathFromUrl(const QUrl &url);

// The working folder, exactly.
QString currentFolder();
// The path made absolute against the working folder and cleaned of "." and
// ".." and doubled slashes, by its text alone.
QString absolutePath(const QString &path);
// The folder that holds the file a path names (by its text alone).
QString folderOfPath(const QString &path);

// stat() of the path's bytes; false with errno set when it fails.
bool statPath(const QString &path, struct stat &info);
bool isRegularFile(const QString &path);
bool isFolder(const QString &path);

// A path as Qt hands it back from a file dialog: where a name on disk has
// bytes that are not UTF-8, it holds U+FFFD. Each part with U+FFFD that does
// not exist as written is matched against the names in its folder, shown
// the same way; the path on disk when exactly one name matches, else the
// path as given.
QString pathOnDisk(const QString &shown);

// The program's arguments with their bytes kept (QCoreApplication::arguments
// decodes them as UTF-8 and loses what is not).
QStringList argumentsFromBytes(int argc, char **argv);

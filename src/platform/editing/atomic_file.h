#pragma once

// A file's content replaced as one step, on the path's own bytes (see
// platform/local_path.h), so that any file name the system allows can be
// saved, including one that is not UTF-8.

#include <QByteArrayView>
#include <QString>

#include <functional>

// The bytes go to a new file beside the target, are flushed to disk, and the
// new file is renamed over the target; the folder is flushed after. A
// symbolic link is followed: its target is replaced and the link stays. An
// existing target this process may not write is refused (EACCES) rather than
// replaced. prepare(fd) runs on the new file before its content is written
// (to give it the old file's owner, mode and attributes).
// Returns false with errno set on failure: the target is then untouched and
// no new file stays behind.
bool replaceFileAtomically(const QString &path, QByteArrayView bytes,
                           const std::function<void(int fd)> &prepare = {});

// The file a chain of symbolic links ends at (the path itself when it is
// not a link, or when the chain is too long to follow).
QString linkTarget(const QString &path);

#include "platform/editing/atomic_file.h"

#include "platform/local_path.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Chains longer than the system's own limit are not followed.
constexpr int MaxLinkDepth = 40;

bool writeAll(int fd, QByteArrayView data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, size_t(data.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}

void syncFolder(const QString &folder)
{
    const int dir = ::open(pathBytes(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// A new file beside target, readable and writable as the umask allows.
int createBeside(const QByteArray &target, QByteArray &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + '.'
            + QByteArray::number(QRandomGenerator::global()->generate64(), 36).right(8);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

QString linkTarget(const QString &path)
{
    QByteArray current = pathBytes(absolutePath(path));
    for (int depth = 0; depth < MaxLinkDepth; ++depth) {
        struct stat info;
        if (::lstat(current.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return pathFromBytes(current);
        QByteArray target(info.st_size > 0 ? qsizetype(info.st_size) + 1 : 4096,
                          Qt::Uninitialized);
        const ssize_t length = ::readlink(current.constData(), target.data(), size_t(target.size()));
        if (length < 0 || length >= target.size())
            return path;
        target.truncate(length);
        if (!target.startsWith('/'))
            target = current.left(current.lastIndexOf('/') + 1) + target;
        current = pathBytes(absolutePath(pathFromBytes(target)));
    }
    return path;
}

bool replaceFileAtomically(const QString &path, QByteArrayView bytes,
                           const std::function<void(int fd)> &prepare)
{
    const QString finalPath = linkTarget(path);
    const QByteArray target = pathBytes(finalPath);
    struct stat info;
    if (::stat(target.constData(), &info) == 0
        && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return false;

    QByteArray temporary;
    const int fd = createBeside(target, temporary);
    if (fd < 0)
        return false;
    const auto fail = [&](int err) {
        ::unlink(temporary.constData());
        errno = err;
        return false;
    };
    if (prepare)
        prepare(fd);
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(err);
    }
    if (::close(fd) != 0 || ::rename(temporary.constData(), target.constData()) != 0)
        return fail(errno);
    syncFolder(folderOfPath(finalPath));
    return true;
}

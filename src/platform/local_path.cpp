#include "platform/local_path.h"

#include <QDir>
#include <QUrl>

#include <cerrno>
#include <dirent.h>
#include <unistd.h>

namespace {

constexpr char16_t EscapeBase = 0xDC00;

void appendUtf8(QByteArray &out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// The length of the valid UTF-8 sequence at s (Unicode's table of
// well-formed sequences: no overlong forms, no surrogates, nothing above
// U+10FFFF), with its code point; 0 when the byte there starts none.
int validSequence(const uchar *s, qsizetype left, char32_t &cp)
{
    const uchar b = s[0];
    int length = 0;
    uchar low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        cp = b & 0x0F;
        if (b == 0xE0)
            low = 0xA0;
        else if (b == 0xED)
            high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        cp = b & 0x07;
        if (b == 0xF0)
            low = 0x90;
        else if (b == 0xF4)
            high = 0x8F;
    }
    if (length == 0 || left < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        const uchar c = s[k];
        if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF))
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    return length;
}

bool exists(const QString &path)
{
    struct stat info;
    return ::lstat(pathBytes(path).constData(), &info) == 0;
}

// The names in a folder that show as name, as found on disk.
QStringList namesShownAs(const QString &folder, const QString &name)
{
    QStringList found;
    DIR *dir = ::opendir(pathBytes(folder.isEmpty() ? QStringLiteral("/") : folder).constData());
    if (!dir)
        return found;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView bytes(entry->d_name, qstrlen(entry->d_name));
        if (QString::fromUtf8(bytes) == name)
            found << pathFromBytes(bytes);
    }
    ::closedir(dir);
    return found;
}

} // namespace

QString pathFromBytes(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto *s = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        if (s[i] < 0x80) {
            out += QChar(char16_t(s[i++]));
            continue;
        }
        char32_t cp = 0;
        const int length = validSequence(s + i, n - i, cp);
        if (length == 0) {
            out += QChar(char16_t(EscapeBase + s[i++]));
            continue;
        }
        if (QChar::requiresSurrogates(cp)) {
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            out += QChar(char16_t(cp));
        }
        i += length;
    }
    return out;
}

QByteArray pathBytes(QStringView path)
{
    QByteArray out;
    out.reserve(path.size());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = path[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && path[i + 1].isLowSurrogate()) {
            appendUtf8(out, QChar::surrogateToUcs4(u, path[++i].unicode()));
        } else if (u >= EscapeBase + 0x80 && u <= EscapeBase + 0xFF) {
            out += char(u - EscapeBase);
        } else if (QChar::isSurrogate(u)) {
            appendUtf8(out, 0xFFFD); // no byte was ever read as this
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

QString shownPath(QStringView path)
{
    return QDir::toNativeSeparators(QString::fromUtf8(pathBytes(path)));
}

QUrl fileUrl(QStringView path)
{
    const QByteArray bytes = pathBytes(path);
    if (QString::fromUtf8(bytes) == path)
        return QUrl::fromLocalFile(path.toString());
    // Tolerant parsing keeps a percent-encoded byte that is not UTF-8 as it
    // is, and so the name's bytes.
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(bytes.toPercentEncoding("/")), QUrl::TolerantMode);
    return url;
}

QString pathFromUrl(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    QString path = pathFromBytes(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    // As QUrl::toLocalFile has it: a host makes a network share's path.
    const QString host = url.host();
    if (!host.isEmpty())
        path = QStringLiteral("//") + host
            + (path.isEmpty() || path.startsWith(u'/') ? path : u'/' + path);
    return path;
}

QString currentFolder()
{
    QByteArray buffer(4096, Qt::Uninitialized);
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (::getcwd(buffer.data(), size_t(buffer.size())))
            return pathFromBytes(QByteArrayView(buffer.constData(), qstrlen(buffer.constData())));
        if (errno != ERANGE)
            break;
        buffer.resize(buffer.size() * 2);
    }
    return QDir::currentPath();
}

QString absolutePath(const QString &path)
{
    if (path.isEmpty())
        return path;
    return QDir::cleanPath(path.startsWith(u'/') ? path : currentFolder() + u'/' + path);
}

QString folderOfPath(const QString &path)
{
    const QString absolute = absolutePath(path);
    const qsizetype slash = absolute.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : absolute.left(slash);
}

bool statPath(const QString &path, struct stat &info)
{
    return ::stat(pathBytes(path).constData(), &info) == 0;
}

bool isRegularFile(const QString &path)
{
    struct stat info;
    return statPath(path, info) && S_ISREG(info.st_mode);
}

bool isFolder(const QString &path)
{
    struct stat info;
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

QString pathOnDisk(const QString &shown)
{
    if (!shown.contains(QChar(QChar::ReplacementCharacter)) || exists(shown))
        return shown;
    const QStringList parts = absolutePath(shown).split(u'/', Qt::SkipEmptyParts);
    QString found;
    for (const QString &part : parts) {
        QString next = found + u'/' + part;
        if (part.contains(QChar(QChar::ReplacementCharacter)) && !exists(next)) {
            const QStringList names = namesShownAs(found, part);
            if (names.size() != 1)
                return shown; // none, or several that cannot be told apart
            next = found + u'/' + names.first();
        }
        found = next;
    }
    return found;
}

QStringList argumentsFromBytes(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << pathFromBytes(QByteArrayView(argv[i], qstrlen(argv[i])));
    return arguments;
}

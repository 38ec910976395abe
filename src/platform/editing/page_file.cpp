#include "platform/editing/page_file.h"

#include "platform/editing/atomic_file.h"
#include "platform/editing/encoding_detect.h"
#include "platform/local_path.h"

#include <QHash>
#include <QList>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Browsers look for the declaration in the first kilobyte and again while
// parsing the head; a generous fixed window covers long leading comments.
constexpr qsizetype DeclarationScanLimit = 64 * 1024;

// windows-1252 bytes 0x80-0x9F. The five undefined bytes map to the C1 code
// points of the same value, as browsers do, so that every byte round-trips.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode() | 0x20;
    return u >= u'a' && u <= u'z';
}

struct Attribute
{
    QString name;
    qsizetype valueStart;
    qsizetype valueLength;
};

// Reads the attributes of a tag from just after its name; returns the
// position after the closing '>' (or the end of the text).
qsizetype readAttributes(QStringView s, qsizetype pos, QList<Attribute> &attrs)
{
    const qsizetype n = s.size();
    while (pos < n) {
        while (pos < n && (isSpace(s[pos]) || s[pos] == u'/'))
            ++pos;
        if (pos >= n)
            break;
        if (s[pos] == u'>')
            return pos + 1;
        const qsizetype nameStart = pos;
        while (pos < n && !isSpace(s[pos]) && s[pos] != u'=' && s[pos] != u'>' && s[pos] != u'/')
            ++pos;
        Attribute attr { s.sliced(nameStart, pos - nameStart).toString().toLower(), pos, 0 };
        while (pos < n && isSpace(s[pos]))
            ++pos;
        if (pos < n && s[pos] == u'=') {
            ++pos;
            while (pos < n && isSpace(s[pos]))
                ++pos;
            if (pos < n && (s[pos] == u'"' || s[pos] == u'\'')) {
                const QChar quote = s[pos++];
                attr.valueStart = pos;
                while (pos < n && s[pos] != quote)
                    ++pos;
                attr.valueLength = pos - attr.valueStart;
                if (pos < n)
                    ++pos;
            } else {
                attr.valueStart = pos;
                while (pos < n && !isSpace(s[pos]) && s[pos] != u'>')
                    ++pos;
                attr.valueLength = pos - attr.valueStart;
            }
        }
        attrs.append(attr);
    }
    return n;
}

// Narrows [start, start+len) to its non-blank part.
CharsetDeclaration trimmedDeclaration(QStringView s, qsizetype start, qsizetype len)
{
    while (len > 0 && isSpace(s[start])) {
        ++start;
        --len;
    }
    while (len > 0 && isSpace(s[start + len - 1]))
        --len;
    if (len == 0)
        return {};
    return { s.sliced(start, len).toString(), start, len };
}

// The charset=... inside a Content-Type value starting at contentStart.
CharsetDeclaration charsetInContent(QStringView s, qsizetype contentStart, qsizetype contentLength)
{
    const QStringView content = s.sliced(contentStart, contentLength);
    const qsizetype n = content.size();
    qsizetype pos = 0;
    while ((pos = content.indexOf(u"charset", pos, Qt::CaseInsensitive)) >= 0) {
        pos += 7;
        qsizetype p = pos;
        while (p < n && isSpace(content[p]))
            ++p;
        if (p >= n || content[p] != u'=')
            continue;
        ++p;
        while (p < n && isSpace(content[p]))
            ++p;
        if (p >= n)
            return {};
        qsizetype start = p;
        if (content[p] == u'"' || content[p] == u'\'') {
            const QChar quote = content[p];
            start = p + 1;
            p = content.indexOf(quote, start);
            if (p < 0)
                return {};
        } else {
            while (p < n && !isSpace(content[p]) && content[p] != u';')
                ++p;
        }
        return trimmedDeclaration(s, contentStart + start, p - start);
    }
    return {};
}

CharsetDeclaration declarationInMeta(QStringView s, const QList<Attribute> &attrs)
{
    bool contentType = false;
    const Attribute *content = nullptr;
    for (const Attribute &a : attrs) {
        if (a.name == u"charset") {
            const CharsetDeclaration d = trimmedDeclaration(s, a.valueStart, a.valueLength);
            if (d.isValid())
                return d;
        } else if (a.name == u"http-equiv") {
            contentType = s.sliced(a.valueStart, a.valueLength)
                              .trimmed()
                              .compare(u"content-type", Qt::CaseInsensitive)
                == 0;
        } else if (a.name == u"content" && !content) {
            content = &a;
        }
    }
    if (contentType && content)
        return charsetInContent(s, content->valueStart, content->valueLength);
    return {};
}

bool isRawTextElement(QStringView name)
{
    for (const char16_t *raw : { u"script", u"style", u"title", u"textarea", u"xmp" }) {
        if (name.compare(QStringView(raw), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool sameEncoding(const QByteArray &a, const QByteArray &b)
{
    return a == b || (a.startsWith("UTF-16") && b.startsWith("UTF-16"));
}

QString decodeCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const uchar b = uchar(byte);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

// The windows-1252 byte for a code point, or -1.
int cp1252Byte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    for (int i = 0; i < 32; ++i) {
        if (Cp1252High[i] == cp)
            return 0x80 + i;
    }
    return -1;
}

constexpr auto ConverterFlags
    = QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

// What a decoder put in for input it could not read: Qt's own decoders write
// U+FFFD, the platform's (ICU) converters U+001A. Both characters can also be
// in the file for real, so those written out in the input are not counted.
int replacementsMade(QStringView text, QByteArrayView bytes, const QByteArray &encoding,
                     bool decoderError)
{
    qsizetype made = text.count(QChar(QChar::ReplacementCharacter)) + text.count(QChar(0x1A))
        - bytes.count('\x1A');
    QStringEncoder encoder(encoding.constData(), ConverterFlags);
    if (encoder.isValid()) {
        const QByteArray genuine = encoder.encode(QStringView(u"\uFFFD"));
        QStringDecoder back(encoding.constData(), ConverterFlags);
        if (!encoder.hasError() && !genuine.isEmpty() && QString(back.decode(genuine)) == u"\uFFFD")
            made -= bytes.count(genuine);
    }
    if (decoderError && made <= 0)
        made = 1; // the decoder knows something was wrong, even if not where
    return int(std::clamp<qsizetype>(made, 0, std::numeric_limits<int>::max()));
}

// Qt's UTF-16 decoder passes unpaired surrogates through and turns an odd
// last byte into U+FFFD. Neither survives the trip to the page (nor can be
// saved again), so each unpaired surrogate becomes U+FFFD here and is counted
// with the odd byte.
QString decodeUtf16(QStringConverter::Encoding encoding, QByteArrayView bytes, int *replaced)
{
    QStringDecoder decoder(encoding, ConverterFlags);
    QString text = decoder.decode(bytes);
    int count = bytes.size() % 2;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            text[i] = QChar::ReplacementCharacter;
            ++count;
        }
    }
    if (replaced)
        *replaced = count;
    return text;
}

QString decodeUtf8(QByteArrayView bytes, int *replaced)
{
    QStringDecoder decoder(QStringConverter::Utf8, ConverterFlags);
    QString text = decoder.decode(bytes);
    if (replaced)
        *replaced = decoder.hasError() ? replacementsMade(text, bytes, "UTF-8", true) : 0;
    return text;
}

// replaced, when given, receives the number of replacement characters the
// decoding put in for bytes that are not valid in the encoding.
QString decodeAs(const QByteArray &encoding, QByteArrayView bytes, int *replaced = nullptr)
{
    if (replaced)
        *replaced = 0;
    if (encoding == "UTF-8")
        return decodeUtf8(bytes, replaced);
    if (encoding == "UTF-16LE")
        return decodeUtf16(QStringConverter::Utf16LE, bytes, replaced);
    if (encoding == "UTF-16BE")
        return decodeUtf16(QStringConverter::Utf16BE, bytes, replaced);
    if (encoding == "windows-1252" || encoding == "ISO-8859-1" || encoding == "US-ASCII")
        return decodeCp1252(bytes); // every byte has a character
    QStringDecoder decoder(encoding.constData(), ConverterFlags);
    QString text = decoder.decode(bytes);
    if (replaced && decoder.hasError())
        *replaced = replacementsMade(text, bytes, encoding, true);
    return text;
}

// Binary data shows as NULs or as a high share of control characters.
struct BinaryCount
{
    qsizetype controls = 0;
    bool nul = false;
    void add(uint c)
    {
        if (c == 0)
            nul = true;
        else if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1B)
                 || c == 0x7F)
            ++controls;
    }
    bool binary(qsizetype total) const { return nul || controls * 4 > total; }
};

bool looksBinary(QByteArrayView bytes)
{
    BinaryCount count;
    for (const char b : bytes)
        count.add(uchar(b));
    return count.binary(bytes.size());
}

bool looksBinary(QStringView text)
{
    BinaryCount count;
    for (const QChar c : text)
        count.add(c.unicode());
    return count.binary(text.size());
}

// Whether bytes read as UTF-16 in one byte order are text: no NUL units, no
// unpaired surrogates or noncharacters, few controls. Random or structured
// binary data fails this almost at once (one unit in 32 is a surrogate).
// markup tells whether both '<' and '>' occur as units. A sample cut from a
// longer file may end inside a surrogate pair.
bool readsAsUtf16Text(QByteArrayView b, bool bigEndian, bool cut, bool *markup)
{
    BinaryCount count;
    bool open = false, close = false, pendingHigh = false;
    const qsizetype units = b.size() / 2;
    for (qsizetype i = 0; i < units; ++i) {
        const uchar first = uchar(b[2 * i]), second = uchar(b[2 * i + 1]);
        const char16_t u
            = bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first);
        if (pendingHigh != QChar::isLowSurrogate(u))
            return false;
        pendingHigh = QChar::isHighSurrogate(u);
        if (u == 0 || u == 0xFFFE || u == 0xFFFF)
            return false;
        count.add(u);
        open = open || u == u'<';
        close = close || u == u'>';
    }
    *markup = open && close;
    return (cut || !pendingHigh) && !count.binary(units);
}

// UTF-16 without a byte order mark. Pages are mostly ASCII markup, so one
// byte of each pair is usually zero, which also tells the byte order. Text in
// CJK scripts has few zero bytes, so a reading that is valid UTF-16 all
// through and holds markup counts too; that is checked on the first 64 KB, so
// a stray surrogate further on is read as U+FFFD (and counted) rather than
// refusing the page. Bytes without any zero cannot hold '<' in UTF-16 and are
// left to the 8-bit readings.
QByteArray sniffUtf16(const QByteArray &b)
{
    if (b.size() < 2 || b.size() % 2 != 0 || !b.contains('\0'))
        return {};
    const qsizetype window = qMin<qsizetype>(b.size(), 4096);
    qsizetype evenZeros = 0, oddZeros = 0;
    for (qsizetype i = 0; i < window; i += 2) {
        evenZeros += b[i] == 0;
        oddZeros += b[i + 1] == 0;
    }
    const qsizetype units = window / 2;
    // Little-endian ASCII has its zeros in the odd bytes.
    const bool littleFirst = oddZeros >= evenZeros;
    const QByteArrayView sample = QByteArrayView(b).first(qMin<qsizetype>(b.size(), 64 * 1024));
    for (const bool bigEndian : { !littleFirst, littleFirst }) {
        const qsizetype highZeros = bigEndian ? evenZeros : oddZeros;
        bool markup = false;
        if (readsAsUtf16Text(sample, bigEndian, sample.size() < b.size(), &markup)
            && (markup || highZeros * 4 >= units))
            return bigEndian ? "UTF-16BE" : "UTF-16LE";
    }
    return {};
}

ComponentError notHtml()
{
    return ComponentError(ComponentErrorCode::NotHtml,
                          QStringLiteral("The file is not an HTML page: it contains binary data."));
}

// Encodes text, writing every code point canEncode refuses as "&#N;".
template<typename CanEncode, typename EncodeRun>
QByteArray encodeWithReferences(QStringView text, CanEncode canEncode, EncodeRun encodeRun)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    const qsizetype n = text.size();
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < n;) {
        char32_t cp = text[i].unicode();
        qsizetype len = 1;
        if (QChar::isHighSurrogate(cp) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text[i], text[i + 1]);
            len = 2;
        }
        // A lone surrogate cannot be encoded anywhere.
        if ((cp >= 0xD800 && cp <= 0xDFFF) || !canEncode(cp)) {
            encodeRun(text.sliced(runStart, i - runStart), out);
            encodeRun(QStringLiteral("&#%1;").arg(uint(cp)), out);
            runStart = i + len;
        }
        i += len;
    }
    encodeRun(text.sliced(runStart), out);
    return out;
}

QByteArray encodeAs(QStringView text, const QByteArray &encoding)
{
    const auto everything = [](char32_t) { return true; };
    const auto withQt = [](QStringConverter::Encoding e) {
        return [e](QStringView run, QByteArray &out) {
            QStringEncoder encoder(e, ConverterFlags);
            out += encoder.encode(run);
        };
    };
    if (encoding == "UTF-8")
        return encodeWithReferences(text, everything, withQt(QStringConverter::Utf8));
    if (encoding == "UTF-16LE")
        return encodeWithReferences(text, everything, withQt(QStringConverter::Utf16LE));
    if (encoding == "UTF-16BE")
        return encodeWithReferences(text, everything, withQt(QStringConverter::Utf16BE));
    if (encoding == "windows-1252" || encoding == "ISO-8859-1" || encoding == "US-ASCII") {
        // ISO-8859-1 pages are read as windows-1252, so they are written the
        // same way and their bytes come back unchanged. US-ASCII keeps to ASCII.
        const bool ascii = encoding == "US-ASCII";
        const auto can = [ascii](char32_t cp) { return ascii ? cp < 0x80 : cp1252Byte(cp) >= 0; };
        const auto run = [](QStringView r, QByteArray &out) {
            for (const QChar c : r)
                out += char(cp1252Byte(c.unicode()));
        };
        return encodeWithReferences(text, can, run);
    }
    // Other encodings through the platform's converters; whether a code point
    // fits is found once by converting it there and back.
    QHash<char32_t, bool> fits;
    const auto can = [&](char32_t cp) {
        if (cp < 0x80)
            return true;
        const auto it = fits.constFind(cp);
        if (it != fits.constEnd())
            return *it;
        const QString s = QString::fromUcs4(&cp, 1);
        QStringEncoder encoder(encoding.constData(), ConverterFlags);
        const QByteArray bytes = encoder.encode(s);
        QStringDecoder decoder(encoding.constData(), ConverterFlags);
        const QString back = decoder.decode(bytes);
        const bool ok = !encoder.hasError() && !decoder.hasError() && back == s;
        fits.insert(cp, ok);
        return ok;
    };
    // One encoder for the whole page, so that a stateful encoding (ISO-2022-JP)
    // shifts back to ASCII before a reference and, at the end, for good.
    QStringEncoder encoder(encoding.constData());
    const auto run = [&encoder](QStringView r, QByteArray &out) { out += encoder.encode(r); };
    QByteArray out = encodeWithReferences(text, can, run);
    return out + QByteArray(encoder.encode(u"a")).chopped(1);
}

bool folderExists(const QString &path)
{
    return isFolder(folderOfPath(path));
}

[[noreturn]] void throwFileError(QFileDevice::FileError error, int sysError, FileAccess access,
                                 const QString &path, const QString &detail)
{
    using namespace ComponentErrorCode;
    const quint32 code = errorCodeForFileError(error, sysError, access, path);
    const QString name = shownPath(path);
    QString message;
    switch (code) {
    case FileNotFound:
        message = QStringLiteral("The file \"%1\" was not found.").arg(name);
        break;
    case PathNotFound:
        message = QStringLiteral("The folder for \"%1\" was not found.").arg(name);
        break;
    case AccessDenied:
        message = QStringLiteral("Access to \"%1\" was denied.").arg(name);
        break;
    case DiskFull:
        message = QStringLiteral("There is not enough disk space to save \"%1\".").arg(name);
        break;
    default:
        message = (access == FileAccess::Read ? QStringLiteral("\"%1\" could not be read: %2")
                                              : QStringLiteral("\"%1\" could not be saved: %2"))
                      .arg(name, detail);
    }
    throw ComponentError(code, message);
}

void checkPathArgument(const QString &path, FileAccess access)
{
    if (path.isEmpty())
        throw ComponentError(ComponentErrorCode::InvalidArg, QStringLiteral("No file name given."));
    if (isFolder(path))
        throwFileError(QFileDevice::OpenError, EISDIR, access, path, {});
}

// Copies the user.* extended attributes (tags, origin, comments that desktop
// tools keep) from the old file to the new one. Only that namespace: the
// others belong to the system or need privileges. A file system without
// extended attributes has none to copy, and an attribute that cannot be set
// is left out rather than failing the save of the page itself.
void copyUserAttributes(const QByteArray &from, int to)
{
    QByteArray names;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = ::listxattr(from.constData(), nullptr, 0);
        if (size <= 0)
            return;
        names.resize(size);
        const ssize_t got = ::listxattr(from.constData(), names.data(), names.size());
        if (got >= 0) {
            names.resize(got);
            break;
        }
        if (errno != ERANGE)
            return;
        names.clear(); // the list grew meanwhile
    }
    for (const QByteArray &name : names.split('\0')) {
        if (!name.startsWith("user."))
            continue;
        QByteArray value;
        ssize_t got = -1;
        for (int attempt = 0; attempt < 4; ++attempt) {
            const ssize_t size = ::getxattr(from.constData(), name.constData(), nullptr, 0);
            if (size < 0)
                break;
            value.resize(size);
            got = ::getxattr(from.constData(), name.constData(), value.data(), value.size());
            if (got >= 0 || errno != ERANGE)
                break;
        }
        if (got >= 0)
            ::fsetxattr(to, name.constData(), value.constData(), size_t(got), 0);
    }
}

// The new file takes the old one's owner, mode and user attributes, so that
// a save is invisible to everything but the content. Saving as root must not
// hand somebody's page over to root.
void keepFileAttributes(int fd, const struct stat &old, const QByteArray &oldPath)
{
    struct stat now;
    if (::fstat(fd, &now) != 0)
        return;
    if (now.st_uid != old.st_uid || now.st_gid != old.st_gid) {
        if (::fchown(fd, old.st_uid, old.st_gid) == 0)
            now = old;
    }
    // Every mode bit, set after the chown (which clears set-user-ID and
    // set-group-ID). Those two only keep their meaning with the same owner:
    // on a file that now belongs to someone else they are dropped.
    mode_t mode = old.st_mode & 07777;
    if (now.st_uid != old.st_uid || now.st_gid != old.st_gid)
        mode &= ~mode_t(S_ISUID | S_ISGID);
    ::fchmod(fd, mode);
    copyUserAttributes(oldPath, fd);
}

bool writeAllAt(int fd, QByteArrayView data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd, data.data() + done, size_t(data.size() - done), done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}

// Writes data as the whole content of fd and flushes it to disk; false with
// errno set on failure.
bool replaceContent(int fd, QByteArrayView data)
{
    return writeAllAt(fd, data) && ::ftruncate(fd, data.size()) == 0 && ::fsync(fd) == 0;
}

bool readAll(int fd, QByteArray &out)
{
    out.clear();
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        out.append(buffer, n);
    }
}

void syncFolderOf(const QString &path)
{
    const int dir
        = ::open(pathBytes(folderOfPath(path)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

[[noreturn]] void throwSystemError(int err, const QString &path, const QString &extra = {})
{
    try {
        throwFileError(QFileDevice::WriteError, err, FileAccess::Write, path,
                       QString::fromLocal8Bit(::strerror(err)));
    } catch (const ComponentError &e) {
        if (extra.isEmpty())
            throw;
        throw ComponentError(e.code(), e.message() + u' ' + extra);
    }
}

// A file with more than one hard link is rewritten in place: renaming a new
// file over one of its names would leave the other names on the old content.
// Writing in place cannot be atomic; what keeps it safe is the order. The old
// content is first copied to a backup file beside the page, and that copy
// (and the folder entry naming it) is flushed to disk before the page is
// touched; the backup is removed only once the new content is complete and
// flushed. A crash at any moment therefore leaves either the page untouched
// or a full copy of it on disk. If the write fails, the old content (the
// backup's bytes, kept in memory) is put back and the error is reported as
// for any save; only if that also fails does the backup stay, and the message
// names it.
void writeThroughLinks(const QString &path, const QByteArray &bytes)
{
    const QByteArray native = pathBytes(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        throwSystemError(errno, path);
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    QByteArray old;
    if (!readAll(fd, old))
        throwSystemError(errno, path);

    // A named file (not an unnamed O_TMPFILE, which a crash would take with
    // it), private to the user like any temporary file.
    QByteArray backupName = pathBytes(absolutePath(path)) + ".backup-XXXXXX";
    const int backup = ::mkostemp(backupName.data(), O_CLOEXEC);
    if (backup < 0)
        throwSystemError(errno, path);
    bool keepBackup = false;
    const auto dropBackup = qScopeGuard([&] {
        ::close(backup);
        if (!keepBackup)
            ::unlink(backupName.constData());
    });
    if (!replaceContent(backup, old))
        throwSystemError(errno, path);
    syncFolderOf(path);

    if (!replaceContent(fd, bytes)) {
        const int err = errno;
        if (replaceContent(fd, old))
            throwSystemError(err, path);
        keepBackup = true;
        throwSystemError(err, path,
                         QStringLiteral("Its previous content is kept in \"%1\".")
                             .arg(shownPath(pathFromBytes(backupName))));
    }
}

// Calls visit(name, attributes, end) for each start tag outside comments and
// raw-text elements, until it returns true; end is the position after the tag.
template<typename Visit> void forEachStartTag(QStringView s, Visit visit)
{
    const qsizetype n = s.size();
    qsizetype pos = 0;
    while ((pos = s.indexOf(u'<', pos)) >= 0) {
        if (s.sliced(pos).startsWith(u"<!--")) {
            const qsizetype end = s.indexOf(u"-->", pos + 4);
            if (end < 0)
                return;
            pos = end + 3;
            continue;
        }
        qsizetype p = pos + 1;
        const bool endTag = p < n && s[p] == u'/';
        if (endTag)
            ++p;
        if (p < n && isAsciiLetter(s[p])) {
            const qsizetype nameStart = p;
            while (p < n && !isSpace(s[p]) && s[p] != u'>' && s[p] != u'/')
                ++p;
            const QStringView name = s.sliced(nameStart, p - nameStart);
            QList<Attribute> attrs;
            pos = readAttributes(s, p, attrs);
            if (endTag)
                continue;
            if (visit(name, std::as_const(attrs), pos))
                return;
            if (isRawTextElement(name)) {
                const qsizetype end
                    = s.indexOf(QStringLiteral("</") + name.toString(), pos, Qt::CaseInsensitive);
                if (end < 0)
                    return;
                pos = end;
            }
            continue;
        }
        if (endTag || (p < n && (s[p] == u'!' || s[p] == u'?'))) {
            const qsizetype end = s.indexOf(u'>', p);
            if (end < 0)
                return;
            pos = end + 1;
            continue;
        }
        pos = p;
    }
}

// Where a charset declaration goes in a page that has none: right after the
// <head> start tag; without one, before the first element other than <html>
// (the parser opens the head for it there); in a page without elements,
// after the doctype and any comments or processing instructions before it,
// which must stay first.
qsizetype charsetInsertionPoint(QStringView s)
{
    const qsizetype n = s.size();
    qsizetype pos = 0;
    qsizetype afterHtml = -1;
    qsizetype prologEnd = 0;
    while (pos < n) {
        qsizetype p = pos;
        while (p < n && isSpace(s[p]))
            ++p;
        if (p >= n || s[p] != u'<')
            break; // text: the body starts here
        const QStringView rest = s.sliced(p);
        qsizetype end = -1;
        if (rest.startsWith(u"<!--")) {
            end = s.indexOf(u"-->", p + 4);
            end = end < 0 ? -1 : end + 3;
        } else if (rest.startsWith(u"<?")) {
            end = s.indexOf(u"?>", p + 2);
            end = end < 0 ? -1 : end + 2;
        } else if (rest.startsWith(u"<!") || rest.startsWith(u"</")) {
            end = s.indexOf(u'>', p + 2);
            end = end < 0 ? -1 : end + 1;
        } else if (rest.size() > 1 && isAsciiLetter(rest[1])) {
            qsizetype q = p + 1;
            while (q < n && !isSpace(s[q]) && s[q] != u'>' && s[q] != u'/')
                ++q;
            const QStringView name = s.sliced(p + 1, q - p - 1);
            QList<Attribute> attrs;
            const qsizetype after = readAttributes(s, q, attrs);
            if (name.compare(u"head", Qt::CaseInsensitive) == 0)
                return after;
            if (name.compare(u"html", Qt::CaseInsensitive) != 0 || afterHtml >= 0)
                return p;
            afterHtml = after;
            pos = after;
            continue;
        } else {
            break; // a '<' that starts no tag is text
        }
        if (end < 0)
            break;
        pos = end;
        if (afterHtml < 0)
            prologEnd = pos;
    }
    return afterHtml >= 0 ? afterHtml : prologEnd;
}

} // namespace

CharsetDeclaration findCharsetDeclaration(QStringView html)
{
    const QStringView s = html.first(qMin(html.size(), DeclarationScanLimit));
    CharsetDeclaration found;
    forEachStartTag(s, [&](QStringView name, const QList<Attribute> &attrs, qsizetype) {
        if (name.compare(u"meta", Qt::CaseInsensitive) != 0)
            return false;
        found = declarationInMeta(s, attrs);
        return found.isValid();
    });
    return found;
}

QString withUtf8Declaration(const QString &html)
{
    if (findCharsetDeclaration(html).isValid())
        return html;
    QString out = html;
    // A Content-Type pragma without a charset gets one: a second pragma
    // would make the page invalid.
    const QStringView s = QStringView(html).first(qMin(html.size(), DeclarationScanLimit));
    std::optional<Attribute> pragmaContent;
    forEachStartTag(s, [&](QStringView name, const QList<Attribute> &attrs, qsizetype) {
        if (name.compare(u"meta", Qt::CaseInsensitive) != 0)
            return false;
        const auto attribute = [&attrs](QStringView wanted) -> const Attribute * {
            for (const Attribute &a : attrs) {
                if (a.name == wanted)
                    return &a;
            }
            return nullptr;
        };
        const Attribute *equiv = attribute(u"http-equiv");
        if (!equiv
            || s.sliced(equiv->valueStart, equiv->valueLength)
                    .trimmed()
                    .compare(u"content-type", Qt::CaseInsensitive)
                != 0)
            return false;
        if (const Attribute *content = attribute(u"content"))
            pragmaContent = *content;
        return pragmaContent.has_value();
    });
    if (pragmaContent) {
        QString type
            = s.sliced(pragmaContent->valueStart, pragmaContent->valueLength).trimmed().toString();
        while (type.endsWith(u';'))
            type = type.chopped(1).trimmed();
        if (type.isEmpty())
            type = QStringLiteral("text/html");
        const qsizetype start = pragmaContent->valueStart;
        const bool quoted = start > 0 && (s[start - 1] == u'"' || s[start - 1] == u'\'');
        qsizetype before = start;
        while (before > 0 && isSpace(s[before - 1]))
            --before;
        const bool hasValue = quoted || (before > 0 && s[before - 1] == u'=');
        QString value = type + QStringLiteral("; charset=utf-8");
        if (!quoted)
            value = (hasValue ? QStringLiteral("\"") : QStringLiteral("=\"")) + value + u'"';
        out.replace(start, pragmaContent->valueLength, value);
        return out;
    }
    qsizetype at = charsetInsertionPoint(html);
    // Stray text before <head> (a captured CGI header) starts the body, but
    // the declaration still goes inside the head as written.
    forEachStartTag(s, [&at](QStringView name, const QList<Attribute> &, qsizetype after) {
        if (name.compare(u"head", Qt::CaseInsensitive) == 0)
            at = after;
        return name.compare(u"html", Qt::CaseInsensitive) != 0;
    });
    out.insert(at, QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                                  "charset=utf-8\">"));
    return out;
}

QByteArray canonicalEncodingName(QStringView label)
{
    const QString l = label.trimmed().toString().toLower();
    static const QHash<QString, QByteArray> known = [] {
        QHash<QString, QByteArray> h;
        const auto add = [&h](std::initializer_list<const char *> labels, const char *name) {
            for (const char *x : labels)
                h.insert(QString::fromLatin1(x), name);
        };
        add({ "utf-8", "utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8",
              "x-unicode20utf8" },
            "UTF-8");
        add({ "utf-16", "utf-16le", "unicode", "ucs-2", "csunicode", "iso-10646-ucs-2",
              "unicodefeff" },
            "UTF-16LE");
        add({ "utf-16be", "unicodefffe" }, "UTF-16BE");
        add({ "windows-1252", "cp1252", "x-cp1252" }, "windows-1252");
        add({ "iso-8859-1", "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "latin1",
              "l1", "cp819", "ibm819", "csisolatin1", "iso-ir-100" },
            "ISO-8859-1");
        add({ "us-ascii", "ascii", "ansi_x3.4-1968", "iso646-us", "cp367", "ibm367", "csascii",
              "us" },
            "US-ASCII");
        return h;
    }();
    if (const auto it = known.constFind(l); it != known.constEnd())
        return *it;
    // UTF-7 and UTF-32 are not safe or sensible for pages; browsers refuse them.
    if (l.isEmpty() || l.startsWith(u"utf") || l.startsWith(u"x-utf") || l.size() > 40)
        return {};
    for (const QChar c : l) {
        if (c.unicode() > 0x7E || c.unicode() <= 0x20)
            return {};
    }
    const QByteArray name = l.toLatin1();
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid() || !QStringEncoder(name.constData()).isValid())
        return {};
    const QByteArray canonical = decoder.name();
    return QStringDecoder(canonical.constData()).isValid() ? canonical : name;
}

PageText decodePage(const QByteArray &bytes)
{
    PageText page;
    QByteArray utf16;
    qsizetype skip = 0;
    if (bytes.startsWith("\xFF\xFE")) {
        utf16 = "UTF-16LE";
        skip = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        utf16 = "UTF-16BE";
        skip = 2;
    } else {
        utf16 = sniffUtf16(bytes);
    }
    if (!utf16.isEmpty()) {
        page.encoding = utf16;
        page.bom = skip > 0;
        page.html = decodeAs(utf16, QByteArrayView(bytes).sliced(skip), &page.replacedSequences);
        if (looksBinary(QStringView(page.html)))
            throw notHtml();
        return page;
    }
    if (looksBinary(QByteArrayView(bytes)))
        throw notHtml();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        page.bom = true;
        page.html = decodeAs("UTF-8", QByteArrayView(bytes).sliced(3), &page.replacedSequences);
        return page;
    }
    // The declaration is searched in a Latin-1 view: its characters are ASCII.
    const QString head = declarationSearchText(bytes, DeclarationScanLimit);
    const CharsetDeclaration declaration = findCharsetDeclaration(head);
    QByteArray declared
        = declaration.isValid() ? canonicalEncodingName(declaration.label) : QByteArray();
    if (declared.startsWith("UTF-16"))
        declared = "UTF-8"; // bytes without NULs cannot be UTF-16; browsers do the same
    if (!declared.isEmpty()) {
        page.encoding = declared;
        page.html = decodeAs(declared, bytes, &page.replacedSequences);
        return page;
    }
    // Undeclared: told from the content, as browsers do (encoding_detect.h).
    page.encoding = detectUndeclaredEncoding(bytes);
    page.html = decodeAs(page.encoding, bytes, &page.replacedSequences);
    return page;
}

PageText decodePage(const QByteArray &bytes, QStringView transportCharset)
{
    const QByteArray transport = canonicalEncodingName(transportCharset);
    // A mark or UTF-16 told by its zero bytes is read as for files; bytes
    // without zeros cannot be UTF-16, whatever the label says.
    if (transport.isEmpty() || transport.startsWith("UTF-16") || bytes.startsWith("\xEF\xBB\xBF")
        || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")
        || !sniffUtf16(bytes).isEmpty())
        return decodePage(bytes);
    if (looksBinary(QByteArrayView(bytes)))
        throw notHtml();
    PageText page;
    page.encoding = transport;
    page.html = decodeAs(transport, bytes, &page.replacedSequences);
    if (looksBinary(QStringView(page.html)))
        throw notHtml();
    return page;
}

qsizetype headInsertionPoint(QStringView html)
{
    return charsetInsertionPoint(html);
}

QByteArray encodePage(const QString &html, const QByteArray &encoding, bool bom)
{
    QByteArray target = encoding.isEmpty() ? QByteArray("UTF-8")
                                           : canonicalEncodingName(QString::fromLatin1(encoding));
    if (target.isEmpty())
        target = "UTF-8";
    // A UTF-8 page without a byte order mark needs a declaration, or the
    // browser guesses; the other encodings are kept only where one is present.
    QString text = target == "UTF-8" && !bom ? withUtf8Declaration(html) : html;
    const CharsetDeclaration declaration = findCharsetDeclaration(text);
    if (declaration.isValid() && !sameEncoding(canonicalEncodingName(declaration.label), target)) {
        text.replace(declaration.valueStart, declaration.valueLength, QString::fromLatin1(target));
    }
    QByteArray out;
    if (bom) {
        if (target == "UTF-8")
            out = "\xEF\xBB\xBF";
        else if (target == "UTF-16LE")
            out = "\xFF\xFE";
        else if (target == "UTF-16BE")
            out = "\xFE\xFF";
    }
    out += encodeAs(text, target);
    return out;
}

PageText readPageFile(const QString &path, QByteArray *bytesRead)
{
    checkPathArgument(path, FileAccess::Read);
    // On the name's own bytes, whatever they are. Not waiting for a writer:
    // a pipe or a device is no page, and opening one would hang the editor.
    const int fd = ::open(pathBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        throwFileError(QFileDevice::OpenError, err, FileAccess::Read, path,
                       QString::fromLocal8Bit(::strerror(err)));
    }
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat info;
    if (::fstat(fd, &info) == 0 && !S_ISREG(info.st_mode))
        throw ComponentError(ComponentErrorCode::AccessDenied,
                             QStringLiteral("\"%1\" is not a regular file.").arg(shownPath(path)));
    QByteArray bytes;
    if (!readAll(fd, bytes)) {
        const int err = errno;
        throwFileError(QFileDevice::ReadError, err, FileAccess::Read, path,
                       QString::fromLocal8Bit(::strerror(err)));
    }
    if (bytesRead)
        *bytesRead = bytes;
    try {
        return decodePage(bytes);
    } catch (const ComponentError &e) {
        throw ComponentError(e.code(),
                             QStringLiteral("\"%1\" is not an HTML page: it contains "
                                            "binary data.")
                                 .arg(shownPath(path)));
    }
}

void writePageFile(const QString &path, const QString &html, const PageText &format)
{
    writePageBytes(path, encodePage(html, format.encoding, format.bom));
}

void writePageBytes(const QString &path, const QByteArray &bytes)
{
    checkPathArgument(path, FileAccess::Write);
    // Renaming a new file over a device, a pipe or a folder would destroy it
    // rather than write to it: only regular files are pages.
    struct stat old;
    const bool exists = statPath(path, old);
    if (exists && !S_ISREG(old.st_mode))
        throw ComponentError(ComponentErrorCode::AccessDenied,
                             QStringLiteral("%1 is not a regular file.").arg(shownPath(path)));
    if (exists && old.st_nlink > 1) {
        writeThroughLinks(path, bytes);
        return;
    }
    // The page goes to a temporary file beside the old one, which is renamed
    // over it only once everything is on disk.
    const QByteArray native = pathBytes(path);
    const bool replaced = replaceFileAtomically(path, bytes, [&](int fd) {
        if (exists)
            keepFileAttributes(fd, old, native);
    });
    if (!replaced)
        throwSystemError(errno, path);
}

quint32 errorCodeForFileError(QFileDevice::FileError error, int sysError, FileAccess access,
                              const QString &path)
{
    using namespace ComponentErrorCode;
    switch (sysError) {
    case ENOENT:
        // Saving creates the file, so only its folder can be missing.
        if (access == FileAccess::Write || (!path.isEmpty() && !folderExists(path)))
            return PathNotFound;
        return FileNotFound;
    case ENOTDIR:
        return PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return AccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return DiskFull;
    default:
        break;
    }
    if (error == QFileDevice::PermissionsError)
        return AccessDenied;
    if (error == QFileDevice::ResourceError && access == FileAccess::Write)
        return DiskFull; // what Qt reports for ENOSPC
    if (sysError == 0 && !path.isEmpty()) {
        if (!folderExists(path))
            return PathNotFound;
        struct stat info;
        if (access == FileAccess::Read && !statPath(path, info))
            return FileNotFound;
    }
    return Unexpected;
}

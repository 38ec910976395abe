// Page files: encodings on disk, atomic saving and the error codes of real
// file-system failures.

#include "platform/editing/page_file.h"
#include "platform/editing/page_file_dialogs.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <optional>

#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

quint32 failureCode(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const ComponentError &e) {
        return e.code();
    }
    return 0;
}

QByteArray encoded(QStringConverter::Encoding e, const QString &text)
{
    QStringEncoder encoder(e);
    return encoder.encode(text);
}

// Root ignores permission bits; a different file-system uid does not.
struct ActAsNobody
{
    ActAsNobody() { ::setfsuid(65534); }
    ~ActAsNobody() { ::setfsuid(0); }
};

} // namespace

class TestPageFile : public QObject
{
    Q_OBJECT

private slots:
    void roundTripsEachEncoding_data();
    void roundTripsEachEncoding();
    void roundTripsEucKr();
    void unencodableCharactersBecomeReferences();
    void declarationIsKeptTrue();
    void utf8DeclarationIsAdded_data();
    void utf8DeclarationIsAdded();
    void utf8DeclarationOnlyWhereNeeded();
    void utf16WithoutMark_data();
    void utf16WithoutMark();
    void invalidBytesAreCounted_data();
    void invalidBytesAreCounted();
    void binaryFilesAreRefused();
    void missingFileAndFolder();
    void accessDenied();
    void diskFullLeavesOldFileIntact();
    void saveKeepsPermissionsAndOwner();
    void saveKeepsEveryModeBit_data();
    void saveKeepsEveryModeBit();
    void saveKeepsUserAttributes();
    void saveKeepsHardLinks();
    void failedSaveThroughLinksLeavesThePage();
    void largePage();
    void defaultExtension();

private:
    QTemporaryDir m_dir;
};

void TestPageFile::roundTripsEachEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<bool>("bom");
    QTest::addColumn<QString>("text");

    const QString page = QStringLiteral(
        "<!-- written by hand -->\r\n<!DOCTYPE html><html><head>%1</head>"
        "<body><p>Gr\u00fc\u00dfe &amp; \u65e5\u672c &nbsp;&#x263A;</p></body></html>");
    const QString utf8Page = page.arg(QStringLiteral("<meta charset=\"utf-8\">"));
    QTest::newRow("UTF-8, declared") << utf8Page.toUtf8() << QByteArray("UTF-8") << false
                                     << QStringLiteral("Gr\u00fc\u00dfe &amp; \u65e5\u672c");
    QTest::newRow("UTF-8 with BOM")
        << "\xEF\xBB\xBF" + page.arg(QString()).toUtf8() << QByteArray("UTF-8") << true
        << QStringLiteral("\u65e5\u672c");
    const QString utf16Page = page.arg(QStringLiteral("<meta charset=\"utf-16\">"));
    QTest::newRow("UTF-16LE") << "\xFF\xFE" + encoded(QStringConverter::Utf16LE, utf16Page)
                              << QByteArray("UTF-16LE") << true << QStringLiteral("\u65e5\u672c");
    QTest::newRow("UTF-16BE") << "\xFE\xFF" + encoded(QStringConverter::Utf16BE, utf16Page)
                              << QByteArray("UTF-16BE") << true << QStringLiteral("\u65e5\u672c");
    QTest::newRow("UTF-16LE, no BOM")
        << encoded(QStringConverter::Utf16LE, utf16Page) << QByteArray("UTF-16LE") << false
        << QStringLiteral("\u65e5\u672c");
    QTest::newRow("windows-1252, http-equiv")
        << QByteArray("<html><head><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                      "charset=windows-1252\"></head><body>\x93quoted\x94 \x80 5 caf\xE9</body>")
        << QByteArray("windows-1252") << false
        << QStringLiteral("\u201cquoted\u201d \u20ac 5 caf\u00e9");
    // Browsers read Latin-1 labels as windows-1252; the bytes still come back.
    QTest::newRow("ISO-8859-1")
        << QByteArray("<meta charset='ISO-8859-1'><p>\xE9t\xE9 \xE0 M\xFCnchen \x80 \x81</p>")
        << QByteArray("ISO-8859-1") << false
        << QStringLiteral("\u00e9t\u00e9 \u00e0 M\u00fcnchen \u20ac \u0081");
    QTest::newRow("undeclared, not UTF-8")
        << QByteArray("<html><body>na\xEFve \x93x\x94</body></html>") << QByteArray("windows-1252")
        << false << QStringLiteral("na\u00efve \u201cx\u201d");
}

void TestPageFile::roundTripsEachEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, encoding);
    QFETCH(bool, bom);
    QFETCH(QString, text);

    const QString path = m_dir.filePath(QStringLiteral("page.htm"));
    putFile(path, bytes);
    const PageText page = readPageFile(path);
    QCOMPARE(page.encoding, encoding);
    QCOMPARE(page.bom, bom);
    QVERIFY2(page.html.contains(text), qPrintable(page.html));
    QVERIFY(!page.html.startsWith(QChar(0xFEFF)));

    writePageFile(path, page.html, page);
    QCOMPARE(fileBytes(path), bytes);
}

void TestPageFile::roundTripsEucKr()
{
    if (!QStringDecoder("EUC-KR").isValid())
        QSKIP("This Qt has no EUC-KR converter");
    const QString text = QStringLiteral("<meta http-equiv=Content-Type content=\"text/html; "
                                        "charset=euc-kr\"><p>\ud55c\uad6d\uc5b4 page</p>");
    QStringEncoder encoder("EUC-KR");
    const QByteArray bytes = encoder.encode(text);
    const QString path = m_dir.filePath(QStringLiteral("korean.htm"));
    putFile(path, bytes);
    const PageText page = readPageFile(path);
    QCOMPARE(page.encoding, QByteArray("EUC-KR"));
    QCOMPARE(page.html, text);
    writePageFile(path, page.html, page);
    QCOMPARE(fileBytes(path), bytes);

    // A character outside the Korean set is written as a reference.
    const QByteArray out = encodePage(page.html + QStringLiteral("\u0915"), page.encoding, false);
    QVERIFY(out.endsWith("&#2325;"));
}

void TestPageFile::unencodableCharactersBecomeReferences()
{
    const QString html = QStringLiteral("<p>\u20ac \u65e5 \U0001F600 caf\u00e9</p>");
    QCOMPARE(encodePage(html, "windows-1252", false),
             QByteArray("<p>\x80 &#26085; &#128512; caf\xE9</p>"));
    QCOMPARE(encodePage(html, "US-ASCII", false),
             QByteArray("<p>&#8364; &#26085; &#128512; caf&#233;</p>"));
    // UTF-16 references are themselves UTF-16; a lone surrogate has no encoding.
    const QByteArray utf16 = encodePage(QStringLiteral("a") + QChar(0xD800), "UTF-16LE", true);
    QCOMPARE(utf16, "\xFF\xFE" + encoded(QStringConverter::Utf16LE, QStringLiteral("a&#55296;")));
}

void TestPageFile::declarationIsKeptTrue()
{
    // Written in another encoding than declared: the declaration follows.
    QCOMPARE(encodePage(QStringLiteral("<meta charset=\"windows-1252\"><p>\u00e9"), "UTF-8", false),
             QByteArray("<meta charset=\"UTF-8\"><p>\xC3\xA9"));
    QCOMPARE(encodePage(QStringLiteral("<meta http-equiv='content-type' "
                                       "content='text/html;charset=iso-8859-1'>"),
                        "UTF-8", false),
             QByteArray("<meta http-equiv='content-type' content='text/html;charset=UTF-8'>"));
    // A synonym of the encoding written is left as the author wrote it.
    const QString latin = QStringLiteral("<META CHARSET=latin1>");
    QCOMPARE(encodePage(latin, "ISO-8859-1", false), latin.toLatin1());
    QCOMPARE(encodePage(QStringLiteral("<meta charset=utf-16>x"), "UTF-16LE", false),
             encoded(QStringConverter::Utf16LE, QStringLiteral("<meta charset=utf-16>x")));
    // New pages: UTF-8, no BOM, and a declaration saying so.
    QCOMPARE(encodePage(QStringLiteral("<p>\u00e9"), QByteArray(), false),
             QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                        "<p>\xC3\xA9"));
}

void TestPageFile::utf8DeclarationIsAdded_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");
    const QString meta
        = QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
    const auto row = [&](const char *name, const char *html, const char *expected) {
        QTest::newRow(name) << QString::fromUtf8(html)
                            << QString::fromUtf8(expected).replace(u'@', meta);
    };
    row("head with attributes", "<html lang=en><head profile=\"x\" id=h><title>t</title></head>",
        "<html lang=en><head profile=\"x\" id=h>@<title>t</title></head>");
    row("uppercase HEAD", "<HTML>\n<HEAD>\n<TITLE>t</TITLE></HEAD>",
        "<HTML>\n<HEAD>@\n<TITLE>t</TITLE></HEAD>");
    row("head behind comments", "<!-- <head> --><!DOCTYPE html><!-- b --><html><head></head>",
        "<!-- <head> --><!DOCTYPE html><!-- b --><html><head>@</head>");
    row("no head", "<html>\n<body><p>x</p></body></html>", "<html>\n@<body><p>x</p></body></html>");
    row("header is not head", "<html><header>h</header>", "<html>@<header>h</header>");
    row("doctype and comments first, no html",
        "<!DOCTYPE html>\n<!-- one -->\n<!-- two -->\n<title>t</title><p>x",
        "<!DOCTYPE html>\n<!-- one -->\n<!-- two -->\n@<title>t</title><p>x");
    row("xml declaration stays first", "<?xml version=\"1.0\"?>\n<p>x</p>",
        "<?xml version=\"1.0\"?>\n@<p>x</p>");
    row("doctype only", "<!DOCTYPE html>", "<!DOCTYPE html>@");
    row("text only", "just text", "@just text");
    row("text after html", "<html>text", "<html>@text");
    row("empty page", "", "@");
    // A pragma without a charset takes one rather than getting a second pragma.
    row("pragma without charset, quoted",
        "<head><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html;\"></head>",
        "<head><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\"></head>");
    row("pragma without charset, unquoted", "<meta http-equiv=content-type content=text/html>",
        "<meta http-equiv=content-type content=\"text/html; charset=utf-8\">");
    // Declarations of either form are left as they are.
    row("meta charset", "<html><head><meta charset=\"utf-8\"></head>",
        "<html><head><meta charset=\"utf-8\"></head>");
    row("pragma with charset",
        "<head><title>t</title><meta http-equiv='content-type' content='text/html; "
        "charset=iso-8859-1'></head>",
        "<head><title>t</title><meta http-equiv='content-type' content='text/html; "
        "charset=iso-8859-1'></head>");
}

void TestPageFile::utf8DeclarationIsAdded()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    const QString declared = withUtf8Declaration(html);
    QCOMPARE(declared, expected);
    // What was added is found as a UTF-8 declaration, so a second save adds nothing.
    if (declared != html)
        QCOMPARE(canonicalEncodingName(findCharsetDeclaration(declared).label),
                 QByteArray("UTF-8"));
    QCOMPARE(withUtf8Declaration(declared), declared);
}

void TestPageFile::utf8DeclarationOnlyWhereNeeded()
{
    const QString page = QStringLiteral("<html><head></head><body>caf\u00e9</body></html>");
    const QByteArray withMeta
        = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
          "</head><body>caf\xC3\xA9</body></html>";
    QCOMPARE(encodePage(page, "UTF-8", false), withMeta);
    // A byte order mark already says UTF-8; other encodings keep the page as it is.
    QCOMPARE(encodePage(page, "UTF-8", true), "\xEF\xBB\xBF" + page.toUtf8());
    QCOMPARE(encodePage(page, "windows-1252", false), page.toLatin1());
    QCOMPARE(encodePage(page, "UTF-16LE", false), encoded(QStringConverter::Utf16LE, page));

    // A declaration hidden in a comment or a script does not count, for
    // reading (the page is UTF-8) or for saving (it gets a real one).
    const QString hidden = QStringLiteral(
        "<!-- a > b <meta charset=\"windows-1252\"> --><script>s='<meta charset=latin1>'"
        "</script><p>\u00e9</p>");
    const QString path = m_dir.filePath(QStringLiteral("hidden.htm"));
    putFile(path, hidden.toUtf8());
    const PageText read = readPageFile(path);
    QCOMPARE(read.encoding, QByteArray("UTF-8"));
    QCOMPARE(read.html, hidden);
    writePageFile(path, read.html, read);
    const QByteArray saved = fileBytes(path);
    QVERIFY2(saved.startsWith("<!-- a > b <meta charset=\"windows-1252\"> --><meta "
                              "http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                              "<script>"),
             saved.constData());
    // Saved once more, the page stays as it is.
    writePageFile(path, readPageFile(path).html, read);
    QCOMPARE(fileBytes(path), saved);
}

void TestPageFile::utf16WithoutMark_data()
{
    QTest::addColumn<QString>("text");
    const QString cjk = QString(300, QChar(0x65E5)) + QString(300, QChar(0x8A9E));
    QTest::newRow("accented letter first")
        << QStringLiteral("\u00e9t\u00e9 <b>chaud</b>\r\n<p>na\u00efve</p>");
    QTest::newRow("CJK first, little markup") << QStringLiteral("\u65e5\u672c\u8a9e") + cjk
            + QStringLiteral("<p>") + cjk + QStringLiteral("</p>");
    QTest::newRow("CJK with a surrogate pair")
        << QStringLiteral("\U00020000\u4e00<br>\u3000\u4e01");
    QTest::newRow("plain text, no markup") << QStringLiteral("Just a note, in UTF-16.\n");
}

void TestPageFile::utf16WithoutMark()
{
    QFETCH(QString, text);
    const QString path = m_dir.filePath(QStringLiteral("utf16.htm"));
    for (const auto &[encoding, name] :
         { std::pair(QStringConverter::Utf16LE, QByteArray("UTF-16LE")),
           std::pair(QStringConverter::Utf16BE, QByteArray("UTF-16BE")) }) {
        const QByteArray bytes = encoded(encoding, text);
        putFile(path, bytes);
        const PageText page = readPageFile(path);
        QCOMPARE(page.encoding, name);
        QCOMPARE(page.bom, false);
        QCOMPARE(page.html, text);
        QCOMPARE(page.replacedSequences, 0);
        writePageFile(path, page.html, page);
        QCOMPARE(fileBytes(path), bytes);
    }
}

void TestPageFile::invalidBytesAreCounted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<int>("replaced");

    // A U+FFFD written in the file is not a replacement.
    QTest::newRow("declared UTF-8") << QByteArray("<meta charset=utf-8><p>a\x80"
                                                  "b \xFF\xFE c\xEF\xBF\xBD d\xC3</p>")
                                    << QByteArray("UTF-8") << 4;
    QTest::newRow("UTF-8 with BOM")
        << QByteArray("\xEF\xBB\xBF<p>\xE2\x82</p>\xEF\xBF\xBD") << QByteArray("UTF-8") << 2;
    QTest::newRow("valid UTF-8 with a real U+FFFD")
        << QByteArray("<meta charset=utf-8><p>\xEF\xBF\xBD \xC3\xA9</p>") << QByteArray("UTF-8")
        << 0;
    // Undeclared and not UTF-8: every byte is a windows-1252 character.
    QTest::newRow("undeclared") << QByteArray("<p>\x80\xFF\xC3</p>") << QByteArray("windows-1252")
                                << 0;
    // Unpaired surrogates and an odd last byte.
    QTest::newRow("UTF-16LE") << "\xFF\xFE"
            + encoded(QStringConverter::Utf16LE, QStringLiteral("<p>a</p>"))
            + QByteArray("\x00\xD8<\x00\x00\xDC\x3D\xD8\x00\xDE\xFD\xFF!", 13)
                              << QByteArray("UTF-16LE") << 3;
    if (QStringDecoder("EUC-KR").isValid())
        QTest::newRow("declared EUC-KR")
            << QByteArray("<meta charset=euc-kr><p>\xC7\xD1 \xFF \x1A \xC7</p>")
            << QByteArray("EUC-KR") << 2;
}

void TestPageFile::invalidBytesAreCounted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, encoding);
    QFETCH(int, replaced);
    const QString path = m_dir.filePath(QStringLiteral("invalid.htm"));
    putFile(path, bytes);
    const PageText page = readPageFile(path);
    QCOMPARE(page.encoding, encoding);
    QCOMPARE(page.replacedSequences, replaced);
    // What the page holds is well-formed text, whatever the file held.
    for (qsizetype i = 0; i < page.html.size(); ++i) {
        if (page.html[i].isHighSurrogate() && i + 1 < page.html.size()
            && page.html[i + 1].isLowSurrogate())
            ++i;
        else
            QVERIFY2(!page.html[i].isSurrogate(), "an unpaired surrogate reached the page");
    }
}

void TestPageFile::binaryFilesAreRefused()
{
    QList<QByteArray> binaries = {
        QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
        QByteArray("<html>\x01\x02\x03\x04\x05\x06\x07\x08\x0E\x0F\x10\x11\x12"),
        QByteArray("\xFF\xFE\x01\x00\x02\x00\x03\x00", 8),
        // Without a byte order mark, none of these reads as UTF-16 text.
        QByteArray("\x7F"
                   "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0",
                   20),
        QByteArray("<\0h\0t\0m\0l\0>\0\0\0\0\0\x01\0\x02\0", 20),
        QByteArray("\x01\0\x02\0\x03\0<\0>\0\x04\0", 12),
        QByteArray("<html><body>a stray\0byte</body></html>", 38),
        QByteArray(4096, '\0'),
    };
    // Random data with many zero bytes, both brackets, and no NUL unit or
    // control either way round: only its surrogates give it away.
    QByteArray noise(8192, Qt::Uninitialized);
    QRandomGenerator random(15);
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = i % 4 == 0 ? char(0) : char(random.bounded(1, 256));
    noise.replace(100, 4, QByteArray("<\0>\0", 4));
    binaries.append(noise);
    const QString path = m_dir.filePath(QStringLiteral("binary.htm"));
    for (const QByteArray &bytes : binaries) {
        putFile(path, bytes);
        try {
            readPageFile(path);
            QFAIL("binary data was loaded");
        } catch (const ComponentError &e) {
            QCOMPARE(e.code(), ComponentErrorCode::NotHtml);
            QVERIFY(e.message().contains(QStringLiteral("binary.htm")));
        }
    }
    // An empty file is an empty page.
    QCOMPARE(decodePage(QByteArray()).html, QString());
}

void TestPageFile::missingFileAndFolder()
{
    using namespace ComponentErrorCode;
    const QString missingFolder = m_dir.filePath(QStringLiteral("no/such/page.htm"));
    QCOMPARE(failureCode([&] { readPageFile(m_dir.filePath(QStringLiteral("none.htm"))); }),
             FileNotFound);
    QCOMPARE(failureCode([&] { readPageFile(missingFolder); }), PathNotFound);
    QCOMPARE(failureCode([&] { writePageFile(missingFolder, QStringLiteral("x"), {}); }),
             PathNotFound);
}

void TestPageFile::accessDenied()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    putFile(path, "<p>old</p>");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    {
        std::optional<ActAsNobody> nobody;
        if (::geteuid() == 0) {
            nobody.emplace();
        } else {
            QFile::setPermissions(path, {});
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        }
        QCOMPARE(failureCode([&] { readPageFile(path); }), ComponentErrorCode::AccessDenied);
        QCOMPARE(failureCode([&] { writePageFile(path, QStringLiteral("<p>new</p>"), {}); }),
                 ComponentErrorCode::AccessDenied);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(fileBytes(path), QByteArray("<p>old</p>"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "page.htm" });
}

void TestPageFile::diskFullLeavesOldFileIntact()
{
    const QString mountPoint = m_dir.filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(mountPoint));
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("Cannot mount a small file system here (needs root)");
    const auto unmount
        = qScopeGuard([&] { ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH); });

    const QString path = mountPoint + QStringLiteral("/page.htm");
    writePageFile(path, QStringLiteral("<p>old page</p>"), {});
    const QByteArray old = fileBytes(path);
    const QString huge = QStringLiteral("<p>%1</p>").arg(QString(200 * 1024, u'x'));
    try {
        writePageFile(path, huge, {});
        QFAIL("a save larger than the disk succeeded");
    } catch (const ComponentError &e) {
        QCOMPARE(e.code(), ComponentErrorCode::DiskFull);
    }
    QCOMPARE(fileBytes(path), old);
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList { "page.htm" });
}

void TestPageFile::saveKeepsPermissionsAndOwner()
{
    const QString path = m_dir.filePath(QStringLiteral("shared.htm"));
    putFile(path, "<p>old</p>");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
        | QFile::ReadOther | QFile::ReadUser | QFile::WriteUser;
    QVERIFY(QFile::setPermissions(path, permissions));
    const bool root = ::geteuid() == 0;
    if (root)
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);

    PageText format;
    format.encoding = "windows-1252";
    writePageFile(path, QStringLiteral("<p>new</p>"), format);
    QCOMPARE(fileBytes(path), QByteArray("<p>new</p>"));
    QCOMPARE(QFile::permissions(path), permissions);
    if (root) {
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(st.st_uid, uid_t(65534));
        QCOMPARE(st.st_gid, gid_t(65534));
    }
}

void TestPageFile::saveKeepsEveryModeBit_data()
{
    QTest::addColumn<int>("mode");
    for (const int mode : { 0444, 0000, 04755, 02750, 06711, 01777, 0600 })
        QTest::newRow(qPrintable(QString::number(mode, 8).rightJustified(4, u'0'))) << mode;
}

void TestPageFile::saveKeepsEveryModeBit()
{
    QFETCH(int, mode);
    const bool root = ::geteuid() == 0;
    if (!root && !(mode & S_IWUSR))
        QSKIP("Only root saves over a file its owner may not write");
    const QString path = m_dir.filePath(QStringLiteral("mode.htm"));
    const QByteArray native = QFile::encodeName(path);
    // Owned by somebody else, the chown that keeps the owner also clears the
    // set-ID bits: they must come back all the same.
    for (const bool foreign : { false, true }) {
        if (foreign && !root)
            continue;
        QFile::remove(path);
        putFile(path, "<p>old</p>");
        if (foreign)
            QCOMPARE(::chown(native.constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(native.constData(), mode_t(mode)), 0);

        PageText format;
        format.encoding = "windows-1252";
        writePageFile(path, QStringLiteral("<p>new</p>"), format);
        QCOMPARE(fileBytes(path), QByteArray("<p>new</p>"));
        struct stat st;
        QCOMPARE(::stat(native.constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), mode);
        QCOMPARE(st.st_uid, foreign ? uid_t(65534) : ::geteuid());
    }
}

void TestPageFile::saveKeepsUserAttributes()
{
    // Without extended attributes on the file system, saves work as ever.
    const QString ramfs = m_dir.filePath(QStringLiteral("ramfs"));
    QVERIFY(QDir().mkpath(ramfs));
    if (::mount("ramfs", QFile::encodeName(ramfs).constData(), "ramfs", 0, nullptr) == 0) {
        const auto unmount
            = qScopeGuard([&] { ::umount2(QFile::encodeName(ramfs).constData(), MNT_DETACH); });
        const QString page = ramfs + QStringLiteral("/page.htm");
        writePageFile(page, QStringLiteral("<p>one</p>"), {});
        writePageFile(page, QStringLiteral("<p>two</p>"), {});
        QVERIFY(fileBytes(page).endsWith("<p>two</p>"));
    }

    const QString path = m_dir.filePath(QStringLiteral("tagged.htm"));
    const QByteArray native = QFile::encodeName(path);
    putFile(path, "<p>old</p>");
    const QByteArray binary("colour\0blue\xFF", 12);
    if (::setxattr(native.constData(), "user.tag", binary.constData(), binary.size(), 0) != 0) {
        if (errno == ENOTSUP || errno == EOPNOTSUPP)
            QSKIP("This file system has no user extended attributes");
        QFAIL(qPrintable(QString::fromLocal8Bit(::strerror(errno))));
    }
    const QByteArray large(3000, 'x');
    QCOMPARE(::setxattr(native.constData(), "user.xdg.comment", large.constData(), large.size(), 0),
             0);
    QCOMPARE(::setxattr(native.constData(), "user.empty", "", 0, 0), 0);

    writePageFile(path, QStringLiteral("<p>new</p>"), {});
    QVERIFY(fileBytes(path).endsWith("<p>new</p>"));
    const auto attribute = [&](const char *name) {
        QByteArray value(8192, Qt::Uninitialized);
        const ssize_t n = ::getxattr(native.constData(), name, value.data(), value.size());
        return n < 0 ? QByteArray("<missing>") : value.left(n);
    };
    QCOMPARE(attribute("user.tag"), binary);
    QCOMPARE(attribute("user.xdg.comment"), large);
    QCOMPARE(attribute("user.empty"), QByteArray(""));
}

void TestPageFile::saveKeepsHardLinks()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("page.htm"));
    const QString second = dir.filePath(QStringLiteral("other-name.htm"));
    putFile(first, "<p>old</p>");
    QCOMPARE(::chmod(QFile::encodeName(first).constData(), 0640), 0);
    QCOMPARE(::link(QFile::encodeName(first).constData(), QFile::encodeName(second).constData()),
             0);
    const auto inode = [](const QString &path) {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0
            ? std::pair(st.st_ino, st.st_nlink)
            : std::pair(ino_t(0), nlink_t(0));
    };
    const auto before = inode(first);
    QCOMPARE(before.second, nlink_t(2));

    PageText format;
    format.encoding = "windows-1252";
    writePageFile(first, QStringLiteral("<p>a new and longer page</p>"), format);
    QCOMPARE(fileBytes(second), QByteArray("<p>a new and longer page</p>"));
    // Shorter through the other name: nothing of the longer one is left over.
    writePageFile(second, QStringLiteral("<p>short</p>"), format);
    QCOMPARE(fileBytes(first), QByteArray("<p>short</p>"));
    QCOMPARE(inode(first), before);
    QCOMPARE(inode(second), before);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(first).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    // The safety copy is gone.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList({ "other-name.htm", "page.htm" }));
}

void TestPageFile::failedSaveThroughLinksLeavesThePage()
{
    const auto linkedPair = [](const QString &folder) {
        const QString first = folder + QStringLiteral("/page.htm");
        putFile(first, "<p>old page</p>");
        ::link(QFile::encodeName(first).constData(),
               QFile::encodeName(folder + QStringLiteral("/link.htm")).constData());
        return first;
    };
    const QStringList both { "link.htm", "page.htm" };

    // The disk fills up in the middle of the new content: the old one is put back.
    const QString mountPoint = m_dir.filePath(QStringLiteral("small-linked"));
    QVERIFY(QDir().mkpath(mountPoint));
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") == 0) {
        const auto unmount = qScopeGuard(
            [&] { ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH); });
        const QString path = linkedPair(mountPoint);
        const QString huge = QStringLiteral("<p>%1</p>").arg(QString(200 * 1024, u'x'));
        QCOMPARE(failureCode([&] { writePageFile(path, huge, {}); }), ComponentErrorCode::DiskFull);
        QCOMPARE(fileBytes(path), QByteArray("<p>old page</p>"));
        QCOMPARE(fileBytes(mountPoint + QStringLiteral("/link.htm")),
                 QByteArray("<p>old page</p>"));
        QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden | QDir::System), both);
    } else {
        qWarning("Cannot mount a small file system here (needs root): disk-full case not run");
    }

    // No safety copy can be made (the folder is closed to the user, the file
    // is not): the page is not touched at all.
    QTemporaryDir dir;
    const QString path = linkedPair(dir.path());
    QFile::setPermissions(path, QFileDevice::Permissions(0x6666));
    const auto reopen = qScopeGuard([&] {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    // Readable and searchable for all (the file-system group stays root's).
    QFile::setPermissions(dir.path(),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                              | QFile::ReadOther | QFile::ExeOther);
    {
        std::optional<ActAsNobody> nobody;
        if (::geteuid() == 0)
            nobody.emplace();
        QCOMPARE(failureCode([&] { writePageFile(path, QStringLiteral("<p>new</p>"), {}); }),
                 ComponentErrorCode::AccessDenied);
    }
    QCOMPARE(fileBytes(path), QByteArray("<p>old page</p>"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), both);
}

void TestPageFile::largePage()
{
    QString html = QStringLiteral("<html><head><meta charset=\"windows-1252\"></head><body>");
    const QString line
        = QStringLiteral("<p>Caf\u00e9 \u201cna\u00efve\u201d \u20ac 12 &amp; \u65e5</p>\r\n");
    while (html.size() < 5 * 1024 * 1024)
        html += line;
    const QString path = m_dir.filePath(QStringLiteral("large.htm"));
    for (const QByteArray &encoding : { QByteArray("windows-1252"), QByteArray("UTF-8") }) {
        PageText format;
        format.encoding = encoding;
        writePageFile(path, html, format);
        const PageText back = readPageFile(path);
        QCOMPARE(back.encoding, encoding);
        QString expected = html;
        if (encoding == "windows-1252")
            expected.replace(QStringLiteral("\u65e5"), QStringLiteral("&#26085;"));
        else
            expected.replace(QStringLiteral("windows-1252"), QStringLiteral("UTF-8"));
        QVERIFY(back.html == expected);
    }
}

void TestPageFile::defaultExtension()
{
    const QList<std::pair<const char *, const char *>> cases = {
        { "/home/u/page", "/home/u/page.htm" },
        { "/home/u.v2/page", "/home/u.v2/page.htm" },
        { "/home/u/page.", "/home/u/page.htm" },
        { "/home/u/.page", "/home/u/.page.htm" },
        { "/home/u/page.html", "/home/u/page.html" },
        { "/home/u/notes.txt", "/home/u/notes.txt" },
        { "", "" },
    };
    for (const auto &[given, expected] : cases)
        QCOMPARE(withDefaultPageExtension(QString::fromUtf8(given)), QString::fromUtf8(expected));
}

QTEST_GUILESS_MAIN(TestPageFile)
#include "test_page_file.moc"

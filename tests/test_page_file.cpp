// Page files: encodings on disk, atomic saving and the error codes of real
// file-system failures.

#include "platform/editing/page_file.h"
#include "platform/editing/page_file_dialogs.h"

#include <QDir>
#include <QFile>
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
#include <unistd.h>

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
    void binaryFilesAreRefused();
    void missingFileAndFolder();
    void accessDenied();
    void diskFullLeavesOldFileIntact();
    void saveKeepsPermissionsAndOwner();
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
    // A declaration inside a comment or a script does not count.
    QTest::newRow("commented-out declaration")
        << QStringLiteral(
               "<!-- a > b <meta charset=\"windows-1252\"> --><script>s='<meta charset=latin1>'"
               "</script><p>\u00e9</p>")
               .toUtf8()
        << QByteArray("UTF-8") << false << QStringLiteral("<p>\u00e9</p>");
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
    // New pages: UTF-8, no BOM.
    QCOMPARE(encodePage(QStringLiteral("<p>\u00e9"), QByteArray(), false),
             QByteArray("<p>\xC3\xA9"));
}

void TestPageFile::binaryFilesAreRefused()
{
    const QList<QByteArray> binaries = {
        QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
        QByteArray("<html>\x01\x02\x03\x04\x05\x06\x07\x08\x0E\x0F\x10\x11\x12"),
        QByteArray("\xFF\xFE\x01\x00\x02\x00\x03\x00", 8),
    };
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

    writePageFile(path, QStringLiteral("<p>new</p>"), {});
    QCOMPARE(fileBytes(path), QByteArray("<p>new</p>"));
    QCOMPARE(QFile::permissions(path), permissions);
    if (root) {
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(st.st_uid, uid_t(65534));
        QCOMPARE(st.st_gid, gid_t(65534));
    }
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

// File names as bytes: any name the system allows survives the trip through
// the editor's strings, its file: URLs and the names the file dialogs give.

#include "platform/local_path.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool createFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace

class TestLocalPath : public QObject
{
    Q_OBJECT
private slots:
    // Every byte string comes back as it went in; valid UTF-8 reads as the
    // text Qt would make of it, and only the other bytes are escaped.
    void bytesRoundTrip()
    {
        QList<QByteArray> names = {
            "bad\xff\xfename.htm",
            "caf\xc3\xa9.htm", // valid: é
            "\xf0\x9f\x98\x80.htm", // valid: outside the BMP
            "\xc3", // a sequence cut short at the end
            "\xc0\xaf", // overlong "/"
            "\xed\xa0\x80", // an encoded surrogate
            "\xf4\x90\x80\x80", // above U+10FFFF
            "\xe2\x82", // cut short
        };
        for (int n = 0; n < 300; ++n) {
            QByteArray random(QRandomGenerator::global()->bounded(1, 24), Qt::Uninitialized);
            for (char &c : random)
                c = char(QRandomGenerator::global()->bounded(1, 256));
            names << random;
        }
        for (const QByteArray &bytes : names) {
            const QString path = pathFromBytes(bytes);
            QCOMPARE(pathBytes(path), bytes);
            QCOMPARE(shownPath(path), QString::fromUtf8(bytes));
        }
        QCOMPARE(pathFromBytes("caf\xc3\xa9.htm"), QString::fromUtf8("caf\xc3\xa9.htm"));
        QCOMPARE(pathFromBytes("\xf0\x9f\x98\x80"), QString::fromUtf8("\xf0\x9f\x98\x80"));
        // The escapes are told apart from any text Qt reads from UTF-8.
        QVERIFY(pathFromBytes("a\xff") != pathFromBytes("a\xef\xbf\xbd"));
        QVERIFY(pathFromBytes("\xc0\xaf") != QStringLiteral("/"));
    }

    // A path's file: URL carries its bytes and gives them back; an ordinary
    // path's is the URL Qt makes; a URL that is not a local file's gives none.
    void fileUrlsRoundTrip()
    {
        const QStringList paths = {
            pathFromBytes("/tmp/bad\xff\xfename.htm"),
            QString::fromUtf8("/tmp/caf\xc3\xa9 100%/a#b?c[d]^{e}`|;=&+,$!'()*~@:\\\"<>.htm"),
            QStringLiteral("/tmp/plain.htm"),
        };
        for (const QString &path : paths) {
            const QUrl url = fileUrl(path);
            QVERIFY(url.isValid());
            QCOMPARE(pathFromUrl(url), path);
            QCOMPARE(pathFromUrl(QUrl(url.toString(QUrl::FullyEncoded))), path);
        }
        QCOMPARE(fileUrl(QStringLiteral("/tmp/plain.htm")),
                 QUrl::fromLocalFile(QStringLiteral("/tmp/plain.htm")));
        QCOMPARE(fileUrl(paths[1]), QUrl::fromLocalFile(paths[1]));
        QCOMPARE(fileUrl(paths[0]).toString(QUrl::FullyEncoded),
                 QStringLiteral("file:///tmp/bad%FF%FEname.htm"));
        QCOMPARE(pathFromUrl(QUrl(QStringLiteral("file:///tmp/x%FFy.htm"))),
                 pathFromBytes("/tmp/x\xffy.htm"));
        QCOMPARE(pathFromUrl(QUrl(QStringLiteral("http://example.com/a.htm"))), QString());
    }

    // A name the dialog hands back with U+FFFD for its bytes is the one on
    // disk when exactly one name shows that way; else it stays as given.
    void pathOnDiskFindsTheName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray folder = QFile::encodeName(dir.path());
        QVERIFY(createFile(folder + "/bad\xff\xfename.htm"));
        QVERIFY(::mkdir((folder + "/sub\xe9").constData(), 0755) == 0);
        QVERIFY(createFile(folder + "/sub\xe9/in\xff.htm"));
        QVERIFY(createFile(folder + "/two\xfe.htm"));
        QVERIFY(createFile(folder + "/two\xfd.htm"));

        const QString shown = QString::fromUtf8(folder + "/bad\xff\xfename.htm");
        QVERIFY(shown.contains(QChar(QChar::ReplacementCharacter)));
        const QString onDisk = pathOnDisk(shown);
        QCOMPARE(pathBytes(onDisk), folder + "/bad\xff\xfename.htm");
        QVERIFY(isRegularFile(onDisk));
        QVERIFY(!isRegularFile(shown));

        // A folder with such a name on the way there too.
        QCOMPARE(pathBytes(pathOnDisk(QString::fromUtf8(folder + "/sub\xe9/in\xff.htm"))),
                 folder + "/sub\xe9/in\xff.htm");
        // Two names that show alike cannot be told apart.
        const QString ambiguous = QString::fromUtf8(folder + "/two\xfe.htm");
        QCOMPARE(pathOnDisk(ambiguous), ambiguous);
        // A name not on disk, and an ordinary one, stay as they are.
        const QString missing = QString::fromUtf8(folder + "/gone\xff.htm");
        QCOMPARE(pathOnDisk(missing), missing);
        QCOMPARE(pathOnDisk(dir.path() + "/plain.htm"), dir.path() + "/plain.htm");

        // Qt's listings leave these names out, so its temporary folder
        // cannot remove them.
        for (const char *name : { "/bad\xff\xfename.htm", "/sub\xe9/in\xff.htm", "/two\xfe.htm",
                                  "/two\xfd.htm" })
            ::unlink((folder + name).constData());
        ::rmdir((folder + "/sub\xe9").constData());
    }

    // The program's arguments keep their bytes.
    void argumentsKeepTheirBytes()
    {
        QByteArray name("bad\xff\xfename.htm");
        QByteArray program("corvane-editor");
        char *argv[] = { program.data(), name.data() };
        const QStringList arguments = argumentsFromBytes(2, argv);
        QCOMPARE(arguments.size(), 2);
        QCOMPARE(arguments[0], QStringLiteral("corvane-editor"));
        QCOMPARE(pathBytes(arguments[1]), name);
    }
};

QTEST_GUILESS_MAIN(TestLocalPath)
#include "test_local_path.moc"

// A page whose file name is not UTF-8, as Linux allows: the real program,
// started from a shell with that name, opens it, saves it back under the
// same bytes, and after a kill offers the unsaved page back under that very
// name. It runs on a private X server driven by xdotool.

#include "private_display.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QByteArray Name("bad\xff\xfename.htm");

// The names in a folder, as bytes.
QList<QByteArray> namesIn(const QByteArray &folder)
{
    QList<QByteArray> names;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names << name;
        }
        ::closedir(dir);
    }
    return names;
}

QByteArray readBytes(const QByteArray &path)
{
    QByteArray out;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    ::close(fd);
    return out;
}

bool writeBytes(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && ok;
}

} // namespace

class TestByteNamesE2e : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    PrivateDisplay x;
    QProcess editor;

    QString window(const QString &namePattern)
    {
        return x.xdo({ "search", "--onlyvisible", "--name", namePattern }).section('\n', 0, 0);
    }
    QString waitForWindow(const QString &namePattern)
    {
        QString id;
        (void)QTest::qWaitFor([&] { return !(id = window(namePattern)).isEmpty(); }, 30000);
        return id;
    }
    QString keptHtml() const
    {
        const QDir data(home.filePath("data/Corvane DHTML Editor"));
        const QStringList files = data.entryList({ "unsaved-page*.json" }, QDir::Files, QDir::Time);
        QFile f(data.filePath(files.value(0)));
        if (files.isEmpty() || !f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object().value("html").toString();
    }
    // As a shell starts it: the name's bytes as they are, on its command
    // line, relative to the working folder.
    void startEditor(const QString &folder, bool named)
    {
        editor.setProcessEnvironment(x.environment(home));
        editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        editor.setStandardOutputFile(QProcess::nullDevice());
        editor.setWorkingDirectory(folder);
        if (named)
            editor.start("/bin/sh",
                         { "-c", "exec \"$0\" \"$(printf 'bad\\377\\376name.htm')\"",
                           EDITOR_BINARY });
        else
            editor.start(EDITOR_BINARY, {});
        QVERIFY(editor.waitForStarted());
    }
    void killEditor()
    {
        editor.kill();
        QVERIFY(editor.waitForFinished(10000));
    }
    void typeIntoPage(const QString &mainWindow, const QString &text)
    {
        x.xdo({ "windowfocus", "--sync", mainWindow });
        x.xdo({ "mousemove", "--window", mainWindow, "300", "300", "click", "1" });
        QTest::qWait(300);
        x.xdo({ "type", "--delay", "15", text });
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()
            || QStandardPaths::findExecutable("xdotool").isEmpty())
            QSKIP("needs Xvfb and xdotool");
        QVERIFY(home.isValid());
        QVERIFY(x.start());
    }
    void cleanupTestCase()
    {
        if (editor.state() != QProcess::NotRunning)
            killEditor();
        x.stop();
        // Qt's listings leave such a name out, so its temporary folder
        // cannot remove it.
        ::unlink((QFile::encodeName(home.filePath("pages")) + '/' + Name).constData());
    }

    void openSaveAndRecoverUnderTheSameBytes()
    {
        const QString folder = home.filePath("pages");
        QVERIFY(QDir().mkpath(folder));
        const QByteArray folderBytes = QFile::encodeName(folder);
        const QByteArray page = folderBytes + '/' + Name;
        QVERIFY(writeBytes(page, "<html><body><p>first words</p></body></html>"));

        // Opened from the command line: the caption names it.
        startEditor(folder, true);
        const QString main = waitForWindow("name\\.htm");
        QVERIFY2(!main.isEmpty(), "the page did not open");

        // Ctrl+S writes the same file; no other appears beside it.
        typeIntoPage(main, "typed and saved");
        QVERIFY(QTest::qWaitFor([&] { return keptHtml().contains("typed and saved"); }, 15000));
        x.xdo({ "key", "--window", main, "ctrl+s" });
        QVERIFY2(QTest::qWaitFor([&] { return readBytes(page).contains("typed and saved"); }, 15000),
                 readBytes(page).constData());
        QVERIFY(readBytes(page).contains("first words"));
        QCOMPARE(namesIn(folderBytes), QList<QByteArray> { Name });

        // Unsaved words, then a kill: the next start offers them back under
        // the page's own name, and Save writes them there.
        typeIntoPage(main, " kept unsaved");
        QVERIFY(QTest::qWaitFor([&] { return keptHtml().contains("kept unsaved"); }, 15000));
        killEditor();

        startEditor(folder, false);
        const QString box = waitForWindow("^Corvane DHTML Editor$");
        QVERIFY2(!box.isEmpty(), "no question at start");
        x.xdo({ "windowfocus", "--sync", box });
        x.xdo({ "key", "--window", box, "alt+y" });
        QVERIFY(QTest::qWaitFor([&] { return window("^Corvane DHTML Editor$").isEmpty(); }, 10000));
        const QString restored = waitForWindow("name\\.htm");
        QVERIFY2(!restored.isEmpty(), "the kept page is not under its name");
        x.xdo({ "windowfocus", "--sync", restored });
        x.xdo({ "key", "--window", restored, "ctrl+s" });
        QVERIFY2(QTest::qWaitFor([&] { return readBytes(page).contains("kept unsaved"); }, 15000),
                 readBytes(page).constData());
        QVERIFY(readBytes(page).contains("typed and saved"));
        QCOMPARE(namesIn(folderBytes), QList<QByteArray> { Name });
        killEditor();
    }
};

QTEST_MAIN(TestByteNamesE2e)
#include "test_byte_names_e2e.moc"

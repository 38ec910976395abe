// The help window and the user guide the project ships, cvhelp.hlp.

#include "app/main_widgets.h"
#include "app/main_widgets_builder.h"
#include "document/help.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

namespace {

// Shipped at the top of the repository, beside the tests' folder.
const QString GuidePath = QFileInfo(QStringLiteral(TEST_DATA_DIR)).path() + "/../cvhelp.hlp";

QString guideSource()
{
    QFile file(GuidePath);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString plain(const QString &caption)
{
    QString text = caption;
    text.remove(u'&');
    if (text.endsWith(QLatin1String("...")))
        text.chop(3);
    return text.trimmed();
}

} // namespace

class HelpTest : public QObject
{
    Q_OBJECT
private slots:
    // The working directory's guide wins; without one, an installed program
    // finds the guide in the data folder beside its bin folder; with
    // neither, the working directory's path is shown as the one missing.
    void guideIsFoundInTheWorkingDirectoryThenTheInstall()
    {
        QTemporaryDir prefix, work;
        QVERIFY(QDir(prefix.path()).mkpath("bin") && QDir(prefix.path()).mkpath("share"));
        const QString program = prefix.path() + "/bin";
        const QString local = work.path() + "/cvhelp.hlp";
        QCOMPARE(helpFileFor(work.path(), program), local);

        QVERIFY(QDir(prefix.path()).mkpath("share/corvane-editor/cvhelp.hlp"));
        QCOMPARE(helpFileFor(work.path(), program), local); // a folder is no guide
        QVERIFY(QDir(prefix.path()).rmdir("share/corvane-editor/cvhelp.hlp"));
        const QString installed = prefix.path() + "/share/corvane-editor/cvhelp.hlp";
        QVERIFY(QFile::copy(GuidePath, installed));
        QCOMPARE(installedHelpFilePath(program), installed);
        QCOMPARE(helpFileFor(work.path(), program), installed);

        QVERIFY(QFile::copy(GuidePath, local));
        QCOMPARE(helpFileFor(work.path(), program), local);
    }

    // A file that is not there is reported in the viewer, naming the path.
    void missingFileIsReported()
    {
        QTemporaryDir dir;
        HelpWindow help;
        const QString path = helpFilePath(dir.path());
        help.showFile(path);
        QVERIFY(help.isVisible());
        const QString text = help.browser()->toPlainText();
        QVERIFY2(text.contains(path) && text.contains("could not be opened"), qPrintable(text));
        QVERIFY(help.browser()->hasFocus() || !QApplication::activeWindow());
    }

    // The guide shows as HTML, whatever its name; its contents links move
    // within it, Back and Contents return.
    void guideShowsAndNavigates()
    {
        HelpWindow help;
        help.resize(400, 300);
        help.showFile(GuidePath);
        QTextBrowser *browser = help.browser();
        QVERIFY(browser->toPlainText().startsWith("Corvane DHTML Editor"));
        QVERIFY(!browser->toPlainText().contains("<h1"));
        QPushButton *backButton = nullptr, *contents = nullptr;
        for (QPushButton *b : help.findChildren<QPushButton *>()) {
            if (b->text() == "&Back")
                backButton = b;
            if (b->text() == "&Contents")
                contents = b;
        }
        QVERIFY(backButton && contents);
        QVERIFY(!backButton->isEnabled());
        browser->setSource(QUrl("#messages"));
        QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);
        QVERIFY(backButton->isEnabled());
        contents->click();
        QTRY_COMPARE(browser->verticalScrollBar()->value(), 0);

        // Shown again, it starts afresh.
        browser->setSource(QUrl("#messages"));
        help.showFile(GuidePath);
        QVERIFY(!backButton->isEnabled());
    }

    // Every contents link leads somewhere, and every menu and menu item of
    // the window is described.
    void guideCoversTheWindow()
    {
        const QString guide = guideSource();
        QVERIFY(!guide.isEmpty());
        static const QRegularExpression link("href=\"#([^\"]+)\"");
        for (auto it = link.globalMatch(guide); it.hasNext();) {
            const QString id = it.next().captured(1);
            QVERIFY2(guide.contains("id=\"" + id + "\""), qPrintable(id));
        }
        QMainWindow window;
        MainWidgets w;
        buildMainWidgets(&window, w);
        QTextDocument document;
        document.setHtml(guide);
        const QString text = document.toPlainText();
        for (QAction *top : window.menuBar()->actions()) {
            QVERIFY2(text.contains("The " + plain(top->text()) + " menu"),
                     qPrintable(plain(top->text())));
            for (QAction *item : top->menu()->actions()) {
                if (!item->isSeparator() && !plain(item->text()).isEmpty())
                    QVERIFY2(text.contains(plain(item->text())), qPrintable(item->text()));
            }
        }
    }
};

QTEST_MAIN(HelpTest)
#include "test_help.moc"

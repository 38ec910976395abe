// Pages handed over the desktop's way, against a scripted editing component:
// the command line's names and page files dropped on the window.

#include "app/editing_component.h"
#include "app/form_hooks.h"
#include "app/form_state.h"
#include "app/main_widgets_builder.h"
#include "document/desktop_open.h"
#include "document/document_errors.h"
#include "document/document_subsystem.h"
#include "document_rig.h"
#include "fake_editing_component.h"
#include "scripted_dialogs.h"

#include <QMainWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolBar>
#include <QUrl>

namespace {

struct Rig : DocumentRig
{
    Rig() : DocumentRig("<p>start-up page</p>") { edit1.calls.clear(); }
};

// Sends a drag of the given files over a widget and drops it there, as the
// window system would; returns whether the drop was taken.
bool dragAndDrop(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace

class TestDesktopOpen : public QObject
{
    Q_OBJECT
private slots:
    // Names and file: URLs become absolute local paths in order; options
    // are not pages, except after "--".
    void commandLineNamesPages()
    {
        const QString here = "/home/user/site";
        QCOMPARE(pageArguments({}, here), QStringList());
        QCOMPARE(pageArguments({ "index.htm", "../b.html", "/tmp/c.htm" }, here),
                 (QStringList { "/home/user/site/index.htm", "/home/user/b.html", "/tmp/c.htm" }));
        QCOMPARE(pageArguments({ "file:///tmp/My%20Page.html", "FILE:///tmp/x.htm" }, here),
                 (QStringList { "/tmp/My Page.html", "/tmp/x.htm" }));
        QCOMPARE(pageArguments({ "--reverse", "-style=fusion", "a.htm", "--", "-dash.htm" }, here),
                 (QStringList { "/home/user/site/a.htm", "/home/user/site/-dash.htm" }));
        // Another machine's file has no local path: it stays as given, and
        // opening it says the file was not found.
        QCOMPARE(pageArguments({ "file://server/share/a.htm" }, here).size(), 1);
        QVERIFY(!pageArguments({ "file://server/share/a.htm" }, here).first().startsWith("/share"));
    }

    // Only a drag whose first file is an HTML or XHTML page is the window's.
    void dropsThatArePages()
    {
        QVERIFY(isPageFileName("/a/b.htm") && isPageFileName("/a/B.HTML"));
        QVERIFY(isPageFileName("/a/b.xhtml") && isPageFileName("/a/b.shtml"));
        QVERIFY(!isPageFileName("/a/b.png") && !isPageFileName("/a/b.txt"));
        QVERIFY(!isPageFileName("/a/htm") && !isPageFileName("/a/.htm"));

        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile("/a/p.htm"), QUrl("https://example.org/q.htm"),
                       QUrl::fromLocalFile("/a/pic.png") });
        QCOMPARE(droppedPageFiles(&data), (QStringList { "/a/p.htm", "/a/pic.png" }));
        data.setUrls({ QUrl::fromLocalFile("/a/pic.png"), QUrl::fromLocalFile("/a/p.htm") });
        QCOMPARE(droppedPageFiles(&data), QStringList());
        QMimeData text;
        text.setText("/a/p.htm");
        text.setHtml("<b>fragment</b>");
        QCOMPARE(droppedPageFiles(&text), QStringList());
        QCOMPARE(droppedPageFiles(nullptr), QStringList());
    }

    // A named page loads by its path, without the dialog, as File > Open's
    // choice does: no unsaved work to ask about, title, Save item, toolbar
    // and keyboard refreshed. More than one: the first, and a message.
    void namedPagesOpenTheFirst()
    {
        Rig r;
        r.state.changed = true;
        r.promptAnswer = vbNo;
        r.hooks.openFiles({ "/site/one.htm" });
        QCOMPARE(r.edit1.calls, QStringList { "LoadDocument(/site/one.htm,0)" });
        QCOMPARE(r.log,
                 (QStringList { "toolbarReset", "prompt", "title:/site/one.htm", "statusRefresh",
                                "focusPage" }));
        QVERIFY(!r.state.changed);
        QVERIFY(r.w.FileSave->isEnabled());
        QVERIFY(r.dialogs.shown.isEmpty());

        r.edit1.calls.clear();
        r.hooks.openFiles({ "/site/two.htm", "/site/three.htm" });
        QCOMPARE(r.edit1.calls, QStringList { "LoadDocument(/site/two.htm,0)" });
        QCOMPARE(r.messages(), QStringList { OnePageAtATimeMessage });
        QCOMPARE(r.dialogs.shown.first().icon, MsgIcon::Information);

        // The engine's warning about the bytes read is said, as after Open.
        r.dialogs.shown.clear();
        r.edit1.loadWarning = "Some bytes of this page are not valid";
        r.hooks.openFiles({ "/site/four.htm" });
        QCOMPARE(r.messages(), QStringList { "Some bytes of this page are not valid" });
    }

    // A page that cannot be opened is said with the load message; the page
    // shown stays (no NewDocument), as does its name and changed flag.
    // Cancel at the prompt opens nothing.
    void failedOrCancelledOpenKeepsThePage()
    {
        Rig r;
        r.edit1.loadError = ComponentError(ComponentErrorCode::FileNotFound, "gone");
        r.hooks.openFiles({ "/site/missing.htm", "/site/other.htm" });
        QCOMPARE(r.messages(),
                 (QStringList { loadErrorMessage(ComponentErrorCode::FileNotFound),
                                OnePageAtATimeMessage }));
        QCOMPARE(r.dialogs.shown.first().icon, MsgIcon::Critical);
        QCOMPARE(r.edit1.calls, QStringList { "LoadDocument(/site/missing.htm,0)" });
        QCOMPARE(r.edit1.html, QString("<p>start-up page</p>"));
        QVERIFY(r.edit1.path.isEmpty());
        QVERIFY(!r.w.FileSave->isEnabled());

        Rig c;
        c.state.changed = true;
        c.promptAnswer = vbCancel;
        c.hooks.openFiles({ "/site/one.htm" });
        QVERIFY(c.edit1.calls.isEmpty());
        QVERIFY(c.state.changed);
        QVERIFY(c.dialogs.shown.isEmpty());
        QVERIFY(c.log.contains("prompt"));
    }

    // A page file dropped anywhere on the window (a toolbar, the source box)
    // is taken, and opens from the event loop after the save-changes prompt;
    // a picture or a drop on another window is not the window's.
    void droppedPageOpens()
    {
        Rig r;
        r.window.show();
        r.state.changed = true;
        QWidget *targets[] = { r.w.txtHTML, r.w.Toolbar1, &r.window };
        for (QWidget *target : targets) {
            r.edit1.calls.clear();
            r.log.clear();
            r.state.changed = true;
            QVERIFY(dragAndDrop(target, { QUrl::fromLocalFile("/site/dropped.htm") }));
            QVERIFY(r.edit1.calls.isEmpty()); // not inside the drag's delivery
            QTRY_COMPARE(r.edit1.calls, QStringList { "LoadDocument(/site/dropped.htm,0)" });
            QCOMPARE(r.log.mid(0, 2), (QStringList { "toolbarReset", "prompt" }));
        }

        r.edit1.calls.clear();
        QVERIFY(!dragAndDrop(r.w.txtHTML, { QUrl::fromLocalFile("/site/picture.png") }));
        QWidget elsewhere;
        elsewhere.setAcceptDrops(true);
        QVERIFY(!dragAndDrop(&elsewhere, { QUrl::fromLocalFile("/site/dropped.htm") }));
        QTest::qWait(20);
        QVERIFY(r.edit1.calls.isEmpty());
    }
};

QTEST_MAIN(TestDesktopOpen)
#include "test_desktop_open.moc"

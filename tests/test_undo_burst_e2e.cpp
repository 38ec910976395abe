// The whole program, offscreen, through the last actions before a crash seen
// once in random use: typing, Ctrl+Delete and Shift+Return around a
// triple-click and a drag selection, a toolbar format, then Ctrl+Z, Ctrl+Y,
// Ctrl+Z, Ctrl+Y, Ctrl+Z sent without waiting. The program must live through
// it, keep answering, and end on the page as it was before the format.

#include "editor_program.h"
#include "web_test_main.h"

#include <QToolBar>
#include <QWebEngineView>

class UndoBurstTest : public QObject
{
    Q_OBJECT
    RunningEditor app;

    QWidget *page() { return app.typingTarget(); }
    QString html() { return app.html(); }
    // The page as it stands once the keys and clicks sent so far have landed.
    QString settled()
    {
        QString last = html(), now;
        for (int i = 0; i < 20 && (QTest::qWait(100), now = html()) != last; ++i)
            last = now;
        return now;
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(page(), k, mods); }

private slots:
    void initTestCase() { QVERIFY(app.start(false)); }
    void cleanupTestCase() { app.stop(); }

    void formatThenQuickUndoRedo()
    {
        QTRY_COMPARE(QApplication::focusWidget(), page());
        QTest::keyClicks(page(), "first words here");
        key(Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(page(), "second line text");
        key(Qt::Key_Home);
        key(Qt::Key_Delete, Qt::ControlModifier);
        QTRY_VERIFY2(html().contains("line text"), qPrintable(html()));
        // The first line's words are near the page's top left.
        const QPoint word(40, 16);
        QTest::mouseDClick(page(), Qt::LeftButton, {}, word);
        QTest::mouseClick(page(), Qt::LeftButton, {}, word);
        QTest::keyClicks(page(), "typed over");
        QTest::mousePress(page(), Qt::LeftButton, {}, QPoint(12, 16));
        QTest::mouseMove(page(), QPoint(60, 20));
        QTest::mouseMove(page(), QPoint(140, 36));
        QTest::mouseRelease(page(), Qt::LeftButton, {}, QPoint(140, 36));
        key(Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(page(), "after");
        const QString before = settled();
        QVERIFY2(before.contains("after"), qPrintable(before));

        // A selection for the format to act on, then the button itself.
        for (int i = 0; i < 5; ++i)
            key(Qt::Key_Left, Qt::ShiftModifier);
        QTRY_COMPARE(app.editor->DOM().selectionType(), QStringLiteral("Text"));
        QAction *bold = app.w().toolbarButtons.value("Bold");
        QWidget *button = app.w().Toolbar1->widgetForAction(bold);
        QVERIFY(button && bold->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        const QString formatted = settled();
        QVERIFY2(formatted != before, qPrintable(formatted));

        page()->setFocus();
        for (const Qt::Key k : { Qt::Key_Z, Qt::Key_Y, Qt::Key_Z, Qt::Key_Y, Qt::Key_Z })
            key(k, Qt::ControlModifier);
        QCOMPARE(settled(), before);
        // Still whole: redo brings the format back, and the toolbar follows.
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(settled(), formatted);
        QTRY_VERIFY(bold->isEnabled());
    }
};

WEB_TEST_MAIN(UndoBurstTest)
#include "test_undo_burst_e2e.moc"

// The whole pages kept for undo and redo across pages put in whole.

#include "platform/editing/page_states.h"

#include <QTest>

class PageStatesTest : public QObject
{
    Q_OBJECT
private slots:
    void pagesComeBackInTheOrderTheyWereLeft()
    {
        PageStates states;
        // A page whose history passed through a0 and a1 is replaced.
        states.leave({ "a0", "a1" }, "a2");
        // From the new page b (with one undone step b1 ahead of it): back.
        QCOMPARE(states.undo("b", { "b1" }), std::optional<QString>("a2"));
        QCOMPARE(states.undo("a2", {}), std::optional<QString>("a1"));
        // Forward again: a2, then the new page, then its undone step.
        QCOMPARE(states.redo({}, "a1"), std::optional<QString>("a2"));
        QCOMPARE(states.redo({}, "a2"), std::optional<QString>("b"));
        QCOMPARE(states.redo({}, "b"), std::optional<QString>("b1"));
        QVERIFY(!states.canRedo());
        QCOMPARE(states.undo("b1", {}), std::optional<QString>("b"));
        // Leaving for another page ends what lay ahead.
        states.leave({}, "b");
        QVERIFY(!states.canRedo());
        QCOMPARE(states.undo("c", {}), std::optional<QString>("b"));
    }

    void theFarthestPagesGoFirst()
    {
        PageStates states;
        QStringList many;
        for (int i = 0; i < PageStates::MaxStates + 10; ++i)
            many << QString::number(i);
        states.leave(many, "last");
        int count = 0;
        std::optional<QString> page;
        QString current = "new";
        while ((page = states.undo(current, {}))) {
            current = *page;
            ++count;
        }
        QCOMPARE(count, PageStates::MaxStates);
        QCOMPARE(current, QString::number(11));

        // One page over the size bound is still kept: it is the nearest.
        PageStates large;
        const QString big(PageStates::MaxChars / 2 + 1, u'x');
        large.leave({ big, big }, big);
        QVERIFY(large.undo("new", {}).has_value());
        QVERIFY(!large.undo(big, {}).has_value());
    }
};

QTEST_APPLESS_MAIN(PageStatesTest)
#include "test_page_states.moc"

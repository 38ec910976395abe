// The whole program used from the keyboard alone: every menu item has a
// mnemonic of its own in its menu, and each panel below the page, opened
// from its menu, takes the keyboard, lets Tab go round its controls and on
// out of it, and Esc acts as its Cancel: the panel goes and the page has the
// keyboard again.

#include "editor_program.h"
#include "web_test_main.h"

#include <QFrame>
#include <QMenuBar>
#include <QSet>

namespace {

// The mnemonic letter of a caption, lower case; none for a caption without.
QChar mnemonic(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'&') {
            if (text[i + 1] != u'&')
                return text[i + 1].toLower();
            ++i;
        }
    }
    return {};
}

bool takesKeyboard(QWidget *w, QWidget *panel)
{
    return w->window() == panel->window() && w->isVisibleTo(panel) && w->isEnabled()
        && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
}

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT
    RunningEditor app;

    QWidget *focused() { return QApplication::focusWidget(); }
    bool pageHasKeyboard()
    {
        QWidget *f = focused();
        QWidget *view = app.editor->widget();
        return f && (f == view || view->isAncestorOf(f));
    }

private slots:
    void initTestCase() { QVERIFY(app.start()); }
    void cleanupTestCase() { app.stop(); }

    // Alt and a letter opens each menu, one more letter runs each item. The
    // Format menu's items are the page's block formats, named by the engine.
    void everyMenuItemHasItsOwnMnemonic()
    {
        QSet<QChar> titles;
        for (QAction *menuAction : app.form->menuBar()->actions()) {
            const QChar title = mnemonic(menuAction->text());
            QVERIFY2(!title.isNull() && !titles.contains(title),
                     qPrintable("menu without a letter of its own: " + menuAction->text()));
            titles << title;
            QMenu *menu = menuAction->menu();
            if (!menu || menu == app.w().Format)
                continue;
            QSet<QChar> letters;
            for (QAction *a : menu->actions()) {
                if (a->isSeparator())
                    continue;
                const QChar letter = mnemonic(a->text());
                QVERIFY2(!letter.isNull() && !letters.contains(letter),
                         qPrintable(QString("%1 > %2 has no letter of its own")
                                        .arg(menuAction->text(), a->text())));
                letters << letter;
            }
        }
    }

    void panelsAreUsedFromTheKeyboard_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("frame");
        QTest::newRow("hyperlink") << "Inserthyperlink" << "FrameInsertHyperLink";
        QTest::newRow("button") << "InsertButton" << "Frame1";
        QTest::newRow("html") << "InsertHTML" << "Framehtmlinsert";
        QTest::newRow("e-mail") << "sendemail" << "FrameSendemail";
        QTest::newRow("picture") << "insertpicture" << "frameinsertpic";
        QTest::newRow("table") << "TableSub" << "FrameInserttable";
        QTest::newRow("page colour") << "BodyBackGroudColor" << "Framebgcolor";
    }
    void panelsAreUsedFromTheKeyboard()
    {
        QFETCH(QString, item);
        QFETCH(QString, frame);
        app.editor->setDocumentHTML("<html><body><p id=\"a\">some words</p></body></html>");
        QTRY_VERIFY(bodyOf(app.editor).contains("some words"));
        selectIn(app.editor, "#a"); // the link items need text
        auto *panel = app.form->findChild<QFrame *>(frame);
        QVERIFY(panel);
        QAction *open = nullptr;
        for (QAction *a : app.form->findChildren<QAction *>(item)) {
            if (!open || a->property("index").toInt() == 0)
                open = a;
        }
        QVERIFY(open);
        open->trigger();
        QTRY_VERIFY(panel->isVisible());
        QTRY_VERIFY2(focused() && panel->isAncestorOf(focused()),
                     "the panel did not take the keyboard");

        // Tab goes on through the panel's controls and out of it, Shift+Tab
        // back through those before the first and out the other way: every
        // control is reached.
        QSet<QWidget *> controls;
        for (QWidget *w : panel->findChildren<QWidget *>()) {
            if (takesKeyboard(w, panel))
                controls << w;
        }
        QWidget *first = focused();
        QSet<QWidget *> reached;
        for (const auto modifier : { Qt::NoModifier, Qt::ShiftModifier }) {
            first->setFocus(Qt::TabFocusReason);
            QTRY_COMPARE(focused(), first);
            bool left = false;
            for (int i = 0; i < 40 && !left; ++i) {
                reached << focused();
                QTest::keyClick(focused(), Qt::Key_Tab, modifier);
                left = !focused() || !panel->isAncestorOf(focused());
            }
            QVERIFY2(left, "Tab never left the panel");
            QVERIFY(focused() && focused()->isVisible());
        }
        for (QWidget *w : std::as_const(controls))
            QVERIFY2(reached.contains(w),
                     qPrintable("Tab never reached " + w->objectName() + " "
                                + w->metaObject()->className()));
        first->setFocus(Qt::TabFocusReason);

        // Esc is the panel's Cancel.
        QTest::keyClick(focused(), Qt::Key_Escape);
        QTRY_VERIFY(!panel->isVisible());
        QTRY_VERIFY2(pageHasKeyboard(), "the page did not get the keyboard back");
        QCOMPARE(bodyOf(app.editor), QString("<p id=\"a\">some words</p>"));
    }
};

WEB_TEST_MAIN(KeyboardTest)
#include "test_keyboard_e2e.moc"

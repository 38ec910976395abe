// The Page Property menu and its colour panel, in the real window with its
// panel opener and reset, against a scripted editing component.

#include "app/editing_component.h"
#include "app/main_form.h"
#include "app/main_widgets.h"
#include "fake_editing_component.h"
#include "page/page_subsystem.h"
#include "panel_form_rig.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

struct Rig : PanelFormRig<PageSubsystem>
{
    PageSubsystem *&colors = subsystem;

    bool panelOpen() { return w().Framebgcolor->isVisibleTo(form->centralWidget()); }
    QRadioButton *option(const QString &caption)
    {
        for (QRadioButton *o : colors->Option1()) {
            if (o->text() == caption)
                return o;
        }
        return nullptr;
    }
    void click(const QString &caption) { QTest::mouseClick(option(caption), Qt::LeftButton); }
    void click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    int checkedOptions()
    {
        int n = 0;
        for (QRadioButton *o : colors->Option1())
            n += o->isChecked();
        return n;
    }
};

struct Mode
{
    QAction *MainWidgets::*menu;
    const char *key, *caption, *property;
};
const Mode Modes[] = {
    { &MainWidgets::pagetitle, "fgcolor", "Set FG Color", "fgColor" },
    { &MainWidgets::BodyBackGroudColor, "bgcolor", "Set BG Color", "bgColor" },
    { &MainWidgets::linkcolor, "linkcolor", "Set Link Color", "linkColor" },
    { &MainWidgets::vlinkcolor, "vlinkcolor", "Set VLink Color", "vlinkColor" },
};

} // namespace

class TestPageColors : public QObject
{
    Q_OBJECT
private slots:
    void panelHasItsControlsWhereTheOpenerFindsThem()
    {
        Rig r;
        QCOMPARE(r.colors->Option1().size(), 6);
        QCOMPARE(r.colors->Picture2().size(), 6);
        const QStringList captions { "Red", "Yellow", "Blue", "White", "Green", "Black" };
        const QList<QColor> swatches { QColor(255, 0, 0), QColor(255, 255, 0),
                                       QColor(0, 0, 255), QColor(255, 255, 255),
                                       QColor(0, 192, 0), QColor(0, 0, 0) };
        for (int i = 0; i < 6; ++i) {
            QRadioButton *o = r.colors->Option1()[i];
            QCOMPARE(o->text(), captions[i]);
            QCOMPARE(o->parentWidget(), r.w().Framebgcolor);
            QCOMPARE(r.colors->Picture2()[i]->palette().color(QPalette::Window), swatches[i]);
        }
        r.w().BodyBackGroudColor->trigger();
        // Two rows of three, each swatch left of its option: Red Yellow Green
        // over Blue White Black.
        const auto pos = [&](const QString &c) { return r.option(c)->geometry().center(); };
        QCOMPARE(pos("Red").y(), pos("Green").y());
        QVERIFY(pos("Red").y() < pos("Blue").y());
        QVERIFY(pos("Red").x() < pos("Yellow").x() && pos("Yellow").x() < pos("Green").x());
        QVERIFY(pos("Blue").x() < pos("White").x() && pos("White").x() < pos("Black").x());
        for (int i = 0; i < 6; ++i) {
            QWidget *swatch = r.colors->Picture2()[i];
            QVERIFY(swatch->geometry().right() < r.colors->Option1()[i]->geometry().left());
            QVERIFY(r.w().Framebgcolor->rect().contains(swatch->geometry()));
            QVERIFY(r.w().Framebgcolor->rect().contains(r.colors->Option1()[i]->geometry()));
        }
        for (QPushButton *b : { r.colors->Commandpreview(), r.colors->Commandsetbgcolor(),
                                r.colors->Commandcancelbgcolor() })
            QVERIFY(r.w().Framebgcolor->rect().contains(b->geometry()));
        QCOMPARE(r.colors->Commandpreview()->text(), QStringLiteral("Custom Color"));
        QCOMPARE(r.colors->Commandcancelbgcolor()->text(), QStringLiteral("Cancel"));
    }

    void eachMenuOpensThePanelInItsMode()
    {
        Rig r;
        QVERIFY(r.active);
        for (const Mode &m : Modes) {
            (r.w().*m.menu)->trigger();
            QVERIFY(r.panelOpen());
            QCOMPARE(r.colors->mode(), QString::fromLatin1(m.key));
            QCOMPARE(r.colors->Commandsetbgcolor()->text(), QString::fromLatin1(m.caption));
            QCOMPARE(r.colors->ColorLabel()->text(), QString::fromLatin1(m.caption));
            QCOMPARE(r.colors->Commandsetbgcolor()->objectName(),
                     QStringLiteral("Commandsetbgcolor"));
            // The keyboard is in the panel.
            QCOMPARE(QApplication::focusWidget(), r.colors->Option1().first());
        }
    }

    void presetsWriteTheirCaptionIntoTheModesProperty()
    {
        Rig r;
        QVERIFY(r.active);
        for (const Mode &m : Modes) {
            r.editor.bodyAttributes = { { "bgColor", "Blue" },
                                        { "fgColor", "Blue" },
                                        { "linkColor", "Blue" },
                                        { "vlinkColor", "Blue" } };
            (r.w().*m.menu)->trigger();
            for (const char *caption : { "Red", "Yellow", "Blue", "White", "Green", "Black" }) {
                r.click(caption);
                QCOMPARE(r.editor.bodyAttributes.value(m.property), QString::fromLatin1(caption));
                QVERIFY(r.panelOpen());
            }
            // The other three colours are untouched.
            int untouched = 0;
            for (auto it = r.editor.bodyAttributes.cbegin(); it != r.editor.bodyAttributes.cend();
                 ++it)
                untouched += it.key() != QLatin1String(m.property) && it.value() == "Blue";
            QCOMPARE(untouched, 3);
            r.click(r.colors->Commandsetbgcolor());
            QVERIFY(!r.panelOpen());
            // OK keeps the last choice, and the keyboard is back in the page.
            QCOMPARE(r.editor.bodyAttributes.value(m.property), QStringLiteral("Black"));
            QCOMPARE(QApplication::focusWidget(), r.page);
        }
    }

    void cancelPutsBackTheColourOfTheOpening()
    {
        Rig r;
        QVERIFY(r.active);
        r.editor.bodyAttributes = { { "bgColor", "#123456" } };
        r.w().BodyBackGroudColor->trigger();
        r.click("Red");
        r.click("Green");
        r.click(r.colors->Commandcancelbgcolor());
        QCOMPARE(r.editor.bodyAttributes.value("bgColor"), QStringLiteral("#123456"));
        QVERIFY(!r.panelOpen());
        QCOMPARE(QApplication::focusWidget(), r.page);

        // A page without the colour gets none back: the attribute goes again.
        r.w().linkcolor->trigger();
        r.click("Yellow");
        r.click(r.colors->Commandcancelbgcolor());
        QVERIFY(!r.editor.bodyAttributes.contains("linkColor"));

        // Each opening takes a fresh saved colour: the one OK left.
        r.w().BodyBackGroudColor->trigger();
        r.click("White");
        r.click(r.colors->Commandsetbgcolor());
        r.w().BodyBackGroudColor->trigger();
        r.click("Black");
        QTest::keyClick(r.option("Black"), Qt::Key_Escape); // Esc is Cancel
        QCOMPARE(r.editor.bodyAttributes.value("bgColor"), QStringLiteral("White"));
        QVERIFY(!r.panelOpen());
    }

    void openingClearsTheOptions()
    {
        Rig r;
        r.w().BodyBackGroudColor->trigger();
        r.click("Green");
        QVERIFY(r.option("Green")->isChecked());
        r.click(r.colors->Commandsetbgcolor());
        r.w().BodyBackGroudColor->trigger();
        QCOMPARE(r.checkedOptions(), 0);
        r.click("Red");
        r.w().vlinkcolor->trigger(); // straight from one mode to another
        QCOMPARE(r.checkedOptions(), 0);
        // Clearing them wrote nothing into the page.
        QVERIFY(!r.editor.bodyAttributes.contains("vlinkColor"));
        QCOMPARE(r.editor.bodyAttributes.value("bgColor"), QStringLiteral("Red"));
    }

    void customColourFromTheSharedDialog()
    {
        Rig r;
        r.w().pagetitle->trigger();
        // Cancelled before any use: the dialog held black.
        r.click(r.colors->Commandpreview());
        QCOMPARE(r.editor.bodyAttributes.value("fgColor"), QStringLiteral("#000000"));
        r.dialogs.colors.enqueue(0x030201u);
        r.click(r.colors->Commandpreview());
        QCOMPARE(r.editor.bodyAttributes.value("fgColor"), QStringLiteral("#010203"));
        QVERIFY(r.panelOpen());
        r.click(r.colors->Commandsetbgcolor());
        QCOMPARE(r.editor.bodyAttributes.value("fgColor"), QStringLiteral("#010203"));

        // The dialog comes up at the colour it holds, also one the toolbar's
        // text-colour button chose, and gives that back when cancelled.
        r.dialogs.colors.enqueue(0xFF0000u);
        QCOMPARE(r.dialogs.ChooseColor(0), std::optional<quint32>(0xFF0000u));
        r.w().BodyBackGroudColor->trigger();
        r.dialogs.colorRequests.clear();
        r.click(r.colors->Commandpreview());
        QCOMPARE(r.dialogs.colorRequests, QList<quint32> { 0xFF0000u });
        QCOMPARE(r.editor.bodyAttributes.value("bgColor"), QStringLiteral("#0000FF"));
        // The toolbar starts its dialog at black, and a cancel there leaves
        // black held.
        QVERIFY(!r.dialogs.ChooseColor(0));
        r.click(r.colors->Commandpreview());
        QCOMPARE(r.editor.bodyAttributes.value("bgColor"), QStringLiteral("#000000"));
    }

    void aPageThatFailsIsReportedNotCrashedOn()
    {
        Rig r;
        r.editor.domError = ComponentError(ComponentErrorCode::Timeout, "no answer");
        r.w().BodyBackGroudColor->trigger();
        QVERIFY(!r.panelOpen());
        QCOMPARE(r.dialogs.shown.size(), 1);
        QCOMPARE(r.dialogs.shown[0].icon, MsgIcon::Critical);

        r.editor.domError.reset();
        r.w().BodyBackGroudColor->trigger();
        QVERIFY(r.panelOpen());
        r.editor.domError = ComponentError(ComponentErrorCode::Timeout, "no answer");
        r.click("Red");
        QCOMPARE(r.dialogs.shown.size(), 2);
        QVERIFY(r.panelOpen());
    }

    void cancelAfterANewPageLeavesThatPagesColour()
    {
        Rig r;
        r.editor.bodyAttributes = { { "bgColor", "Blue" } };
        r.w().BodyBackGroudColor->trigger();
        r.click("Red");
        // Another page arrives (Open, New, the source applied) with its own colour.
        r.editor.bodyAttributes = { { "bgColor", "Yellow" } };
        r.editor.fireDocumentComplete();
        r.click(r.colors->Commandcancelbgcolor());
        QCOMPARE(r.editor.bodyAttributes.value("bgColor"), QStringLiteral("Yellow"));
    }
};

QTEST_MAIN(TestPageColors)
#include "test_page_colors.moc"

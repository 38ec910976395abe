// Every control a user reaches in the main window, its panels included, has
// a name a screen reader can say: what Qt's accessibility layer reports for
// it (a caption, a buddy label's text, or the name set), as AT-SPI hands it on.

#include "app/main_form.h"
#include "app/main_widgets.h"
#include "app/wire_subsystems.h"
#include "fake_editing_component.h"
#include "scripted_dialogs.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

namespace {

QString spokenName(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name).trimmed() : QString();
}

// Controls the user works with; labels, layouts' frames and scroll areas'
// insides are read out through these, not on their own.
bool isInteractive(QWidget *widget)
{
    if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget)
        || qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractSpinBox *>(widget)
        || qobject_cast<QPlainTextEdit *>(widget) || qobject_cast<QTextEdit *>(widget)
        || qobject_cast<QAbstractSlider *>(widget))
        return true;
    // An item view's viewport belongs to the view; the view is the control.
    return qobject_cast<QAbstractItemView *>(widget) != nullptr;
}

bool isQtPart(QWidget *widget)
{
    if (qobject_cast<QScrollBar *>(widget))
        return true;
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (w->objectName().startsWith(QLatin1String("qt_")))
            return true;
        if (w != widget && qobject_cast<QComboBox *>(w))
            return true;
    }
    return false;
}

QString describe(QWidget *widget)
{
    QStringList chain;
    for (QWidget *w = widget; w; w = w->parentWidget())
        chain.prepend(QString("%1(%2)").arg(w->metaObject()->className(), w->objectName()));
    return chain.join(" > ");
}

} // namespace

class TestAccessibleNames : public QObject
{
    Q_OBJECT
private slots:
    void everyControlAndPanelIsNamed()
    {
        FakeEditingComponent editor, store;
        QLineEdit page; // stands in for the page's view; the browser names its contents
        editor.control = &page;
        ScriptedDialogs dialogs;
        MainForm form(&editor, &store, &dialogs);
        wireSubsystems(form);
        form.Form_Load();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QStringList unnamed;
        const auto widgets = form.findChildren<QWidget *>();
        int checked = 0;
        for (QWidget *widget : widgets) {
            // Hidden on its own (not merely inside a closed panel): scratch
            // storage no user reaches.
            if (!isInteractive(widget) || widget->isHidden())
                continue;
            // Qt's own pieces (a combo box's pop-up list, the overflow
            // buttons, scroll bars) are named by Qt's accessibility layer
            // from the control they serve.
            if (isQtPart(widget))
                continue;
            ++checked;
            if (spokenName(widget).isEmpty())
                unnamed << describe(widget);
        }
        QVERIFY(checked > 40);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join("\n")));

        // Each panel says what it is for, as a group a screen reader enters.
        MainWidgets &w = form.widgets();
        QStringList names;
        for (QFrame *panel :
             { w.Framehtmlinsert, w.frameinsertpic, w.Frame1, w.FrameInsertHyperLink,
               w.Framebgcolor, w.FrameInserttable, w.FrameSendemail }) {
            QVERIFY(panel);
            const QString name = spokenName(panel);
            QVERIFY2(!name.isEmpty(), qPrintable(panel->objectName()));
            names << name;
        }
        names.removeDuplicates();
        QCOMPARE(names.size(), 7);
    }
};

QTEST_MAIN(TestAccessibleNames)
#include "test_accessible_names.moc"

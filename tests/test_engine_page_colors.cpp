// The page colours in the real engine: the document object's four colour
// properties are the BODY's attributes, each put is an edit of its own.

#include "platform/editing/web_editing_component.h"
#include "web_test_main.h"

#include <QRegularExpression>
#include <QSignalSpy>

class EnginePageColorsTest : public QObject
{
    Q_OBJECT
    ShownComponent shown;
    WebEditingComponent *component = nullptr;

    QString bodyTag()
    {
        static const QRegularExpression re("<body[^>]*>");
        return re.match(component->DocumentHTML()).captured(0);
    }
    int status(int cmd) { return component->QueryStatus(cmd); }
    void undo() { component->ExecCommand(DECMD_UNDO, OLECMDEXECOPT_DONTPROMPTUSER); }
    // Waits until the engine's notifications for the last change are in.
    void settle()
    {
        QSignalSpy display(component, &EditingComponent::DisplayChanged);
        while (display.wait(150)) { }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(shown.start());
        component = shown.component;
    }
    void cleanupTestCase() { shown.stop(); }

    void putReadBackAndUndoEachColour()
    {
        component->setDocumentHTML("<html><body link=\"#123456\"><p>text</p></body></html>");
        settle();
        PageDom dom = component->DOM();
        QCOMPARE(dom.bodyAttribute("bgColor"), QString());
        QCOMPARE(dom.bodyAttribute("linkColor"), QStringLiteral("#123456"));

        QSignalSpy changed(component, &EditingComponent::ContentChanged);
        const struct
        {
            const char *property, *attribute, *value;
        } colours[] = {
            { "bgColor", "bgcolor", "Green" },
            { "fgColor", "text", "#010203" },
            { "linkColor", "link", "Red" },
            { "vlinkColor", "vlink", "#FFFFFF" },
        };
        QStringList tags { bodyTag() };
        for (const auto &c : colours) {
            COMPONENT_OK(dom.setBodyAttribute(c.property, c.value));
            QCOMPARE(dom.bodyAttribute(c.property), QString::fromLatin1(c.value));
            const QString tag = bodyTag();
            QVERIFY2(tag.contains(QStringLiteral("%1=\"%2\"").arg(c.attribute, c.value)),
                     qPrintable(tag));
            tags << tag;
        }
        QTRY_VERIFY(changed.count() > 0);

        // One undo step per put, newest first.
        settle();
        for (int i = tags.size() - 2; i >= 0; --i) {
            QCOMPARE(status(DECMD_UNDO), int(DECMDF_ENABLED));
            undo();
            QCOMPARE(bodyTag(), tags[i]);
        }
        QCOMPARE(dom.bodyAttribute("linkColor"), QStringLiteral("#123456"));
    }

    void emptyValueRemovesTheAttributeAndSameValueIsNoEdit()
    {
        component->setDocumentHTML("<html><body bgcolor=\"Blue\"><p>text</p></body></html>");
        settle();
        PageDom dom = component->DOM();
        COMPONENT_OK(dom.setBodyAttribute("bgColor", ""));
        QVERIFY2(!bodyTag().contains("bgcolor"), qPrintable(bodyTag()));
        QCOMPARE(dom.bodyAttribute("bgColor"), QString());
        undo();
        QCOMPARE(dom.bodyAttribute("bgColor"), QStringLiteral("Blue"));
        settle();

        // Writing back what the page holds (a Cancel with nothing chosen)
        // neither marks the page changed nor adds a step.
        QSignalSpy changed(component, &EditingComponent::ContentChanged);
        COMPONENT_OK(dom.setBodyAttribute("bgColor", "Blue"));
        COMPONENT_OK(dom.setBodyAttribute("vlinkColor", ""));
        settle();
        QCOMPARE(changed.count(), 0);
        // A new step would have ended the redo history of the removal.
        QCOMPARE(status(DECMD_REDO), int(DECMDF_ENABLED));
    }

    void onlyTheFourColoursAreWritable()
    {
        component->setDocumentHTML("<html><body><p>text</p></body></html>");
        PageDom dom = component->DOM();
        QVERIFY_THROWS_EXCEPTION(ComponentError, dom.setBodyAttribute("onload", "x()"));
        QVERIFY_THROWS_EXCEPTION(ComponentError, dom.bodyAttribute("style"));
        QVERIFY(!bodyTag().contains("onload"));
    }
};

WEB_TEST_MAIN(EnginePageColorsTest)
#include "test_engine_page_colors.moc"

// 2D positioning in the real engine: making an element absolute where it
// stands and back, the stacking commands, the lock, and dragging.

#include "platform/editing/web_editing_component.h"
#include "web_test_main.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>

namespace {

const char *kHead = "<style>body{margin:0} p{margin:0;height:30px}</style>";
// Two positioned boxes that overlap and one far away.
const char *kLayers
    = "<p id=\"p\">top</p>"
      "<div id=\"o1\" style=\"position:absolute; left:0px; top:200px; width:50px; height:50px; "
      "z-index:1\">o1</div>"
      "<div id=\"o2\" style=\"position:absolute; left:30px; top:220px; width:50px; height:50px; "
      "z-index:2\">o2</div>"
      "<div id=\"far\" style=\"position:absolute; left:500px; top:500px; width:10px; "
      "height:10px; z-index:9\">far</div>";

} // namespace

class EnginePositioningTest : public QObject
{
    Q_OBJECT
    ShownComponent shown;
    WebEditingComponent *component = nullptr;
    QTemporaryDir dir;

    void load(const QString &body)
    {
        component->setDocumentHTML("<html><head>" + QString::fromLatin1(kHead) + "</head><body>"
                                   + body + "</body></html>");
        settle();
    }
    void settle()
    {
        QSignalSpy display(component, &EditingComponent::DisplayChanged);
        while (display.wait(150)) { }
    }
    QString body() { return bodyOf(component); }
    void exec(int cmd)
    {
        COMPONENT_OK(component->ExecCommand(cmd, OLECMDEXECOPT_DONTPROMPTUSER));
        settle();
    }
    int status(int cmd) { return component->QueryStatus(cmd); }
    void choose(const QString &selector)
    {
        component->domCall("selectControl", QJsonObject { { "selector", selector } });
        settle();
    }
    QRectF rect(const QString &selector)
    {
        const QJsonObject r
            = component->domCall("boundingRect", QJsonObject { { "selector", selector } })
                  .toObject();
        return QRectF(r["left"].toDouble(), r["top"].toDouble(), r["width"].toDouble(),
                      r["height"].toDouble());
    }
    // The element's z-index as written in its style.
    int zIndex(const QString &id)
    {
        const QRegularExpression re("id=\"" + id + "\" style=\"[^\"]*z-index: ?(-?\\d+)");
        const QRegularExpressionMatch m = re.match(body());
        return m.hasMatch() ? m.captured(1).toInt() : 0;
    }
    void dragBy(const QPoint &from, const QPoint &by)
    {
        QWidget *target = component->view()->focusProxy();
        QTest::mousePress(target, Qt::LeftButton, {}, from);
        QTest::mouseMove(target, from + by / 2);
        QTest::mouseMove(target, from + by);
        QTest::mouseRelease(target, Qt::LeftButton, {}, from + by);
        settle();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(shown.start());
        component = shown.component;
        component->view()->focusProxy()->setFocus();
    }
    void cleanupTestCase() { shown.stop(); }

    void makeAbsoluteKeepsThePlaceAndBackInFlowDropsIt()
    {
        load("<p id=\"p\">top</p><div id=\"d\" style=\"margin-left:20px; width:100px\">box</div>"
             "<p><img id=\"pic\" src=\"none.gif\" width=\"40\" height=\"30\"></p>");
        selectIn(component, "#d", {}, "start");
        for (const int cmd : { DECMD_MAKE_ABSOLUTE, DECMD_BRING_TO_FRONT, DECMD_LOCK_ELEMENT,
                               DECMD_SEND_BELOW_TEXT })
            QCOMPARE(status(cmd), int(DECMDF_DISABLED));
        // The whole of the div's text selected chooses the div.
        selectIn(component, "#d");
        QCOMPARE(status(DECMD_MAKE_ABSOLUTE), int(DECMDF_ENABLED));
        QCOMPARE(status(DECMD_BRING_TO_FRONT), int(DECMDF_DISABLED));
        const QString original = body();
        const QRectF before = rect("#d");
        exec(DECMD_MAKE_ABSOLUTE);
        QVERIFY2(body().contains("position: absolute"), qPrintable(body()));
        QCOMPARE(rect("#d"), before);
        QVERIFY(!body().contains("corvane"));
        QCOMPARE(status(DECMD_MAKE_ABSOLUTE), int(DECMDF_LATCHED));
        QCOMPARE(status(DECMD_SEND_TO_BACK), int(DECMDF_ENABLED));
        QCOMPARE(status(DECMD_LOCK_ELEMENT), int(DECMDF_ENABLED));
        const QString absolute = body();
        exec(DECMD_MAKE_ABSOLUTE);
        static const QRegularExpression placed("position|[\" ](left|top):");
        QVERIFY2(!body().contains(placed), qPrintable(body()));
        QCOMPARE(status(DECMD_MAKE_ABSOLUTE), int(DECMDF_ENABLED));
        exec(DECMD_UNDO);
        QCOMPARE(body(), absolute);
        exec(DECMD_UNDO);
        QCOMPARE(body(), original);

        // A picture chosen with the mouse's click.
        choose("#pic");
        QCOMPARE(status(DECMD_MAKE_ABSOLUTE), int(DECMDF_ENABLED));
        const QRectF picture = rect("#pic");
        exec(DECMD_MAKE_ABSOLUTE);
        QCOMPARE(rect("#pic"), picture);
        QCOMPARE(status(DECMD_MAKE_ABSOLUTE), int(DECMDF_LATCHED));
    }

    void stackingAmongTheOverlappingKeepsTheSideOfTheText()
    {
        load(kLayers);
        const QString original = body();
        struct Step
        {
            const char *element;
            int cmd;
            int z;
        };
        // far (z-index 9) overlaps neither and never counts.
        const Step steps[] = {
            { "o1", DECMD_BRING_TO_FRONT, 3 },   { "o2", DECMD_SEND_TO_BACK, 0 },
            { "o1", DECMD_BRING_FORWARD, 3 },    { "o2", DECMD_SEND_BACKWARD, 0 },
            { "o1", DECMD_SEND_BELOW_TEXT, -2 },
        };
        for (const Step &s : steps) {
            choose(QStringLiteral("#") + s.element);
            QCOMPARE(status(s.cmd), int(DECMDF_ENABLED));
            const QString before = body();
            exec(s.cmd);
            QCOMPARE(zIndex(s.element), s.z);
            exec(DECMD_UNDO);
            QCOMPARE(body(), before);
        }
        // Below the text, sending to the back stays below it.
        choose("#o1");
        exec(DECMD_SEND_BELOW_TEXT);
        exec(DECMD_SEND_TO_BACK);
        QCOMPARE(zIndex("o1"), -2);
        choose("#o2");
        exec(DECMD_SEND_BELOW_TEXT);
        QCOMPARE(zIndex("o2"), -3);
        choose("#o1");
        exec(DECMD_BRING_TO_FRONT);
        QCOMPARE(zIndex("o1"), -2);
        exec(DECMD_SEND_TO_BACK);
        QCOMPARE(zIndex("o1"), -4);
        exec(DECMD_BRING_ABOVE_TEXT);
        QCOMPARE(zIndex("o1"), 3);
        for (int i = 0; i < 4; ++i)
            exec(DECMD_UNDO);
        QCOMPARE(body(), original);
    }

    void aDragMovesAndALockHoldsThroughASave()
    {
        load(kLayers);
        const QString original = body();
        // One press chooses the box and drags it.
        dragBy(QPoint(10, 205), QPoint(40, 30));
        QVERIFY2(body().contains("left: 40px; top: 230px"), qPrintable(body()));
        exec(DECMD_UNDO);
        QCOMPARE(body(), original);

        choose("#o1");
        QCOMPARE(status(DECMD_LOCK_ELEMENT), int(DECMDF_ENABLED));
        exec(DECMD_LOCK_ELEMENT);
        QCOMPARE(status(DECMD_LOCK_ELEMENT), int(DECMDF_LATCHED));
        QVERIFY2(body().contains("design_time_lock=\"true\""), qPrintable(body()));
        const QString locked = body();
        selectIn(component, "#p");
        dragBy(QPoint(10, 205), QPoint(40, 30));
        QCOMPARE(body(), locked);

        const QString path = dir.filePath("layers.htm");
        COMPONENT_OK(component->SaveDocument(path));
        load("<p>other</p>");
        COMPONENT_OK(component->LoadDocument(path));
        settle();
        choose("#o1");
        QCOMPARE(status(DECMD_LOCK_ELEMENT), int(DECMDF_LATCHED));
        exec(DECMD_LOCK_ELEMENT);
        QVERIFY(!body().contains("design_time_lock"));
        selectIn(component, "#p");
        dragBy(QPoint(10, 205), QPoint(40, 30));
        QVERIFY2(body().contains("left: 40px; top: 230px"), qPrintable(body()));
    }
};

WEB_TEST_MAIN(EnginePositioningTest)
#include "test_engine_positioning.moc"

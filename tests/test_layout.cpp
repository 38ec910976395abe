// The layout arithmetic of the main window, on plain values.

#include "app/layout.h"

#include <QTest>

namespace {

LayoutModel window(float width, float height)
{
    LayoutModel m;
    m.windowWidth = width;
    m.windowHeight = height;
    return sizeControls(m);
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private slots:
    void fullPaneWithoutPanel()
    {
        const LayoutModel m = window(12000, 9000);
        QVERIFY(!m.windowEnlarged);
        QCOMPARE(m.Picture1, (TwipsRect { 0, 450, 11870, 7850 }));
        QCOMPARE(m.Picturehtmlbox, m.Picture1);
        QCOMPARE(m.DHTMLEdit1, (TwipsRect { 100, 100, 11570, 7550 }));
        QCOMPARE(m.txtHTML, m.DHTMLEdit1);
        QCOMPARE(m.picShadow, (TwipsRect { 200, 200, 11570, 7550 }));
        QCOMPARE(m.PicHTMLShadow, m.picShadow);
        QVERIFY(m.frames.isEmpty());
    }

    void minimumSize()
    {
        LayoutModel m = window(8235, 4840);
        QVERIFY(!m.windowEnlarged);
        QCOMPARE(m.windowWidth, 8235.0f);
        QCOMPARE(m.windowHeight, 4840.0f);

        m = window(8234, 4840);
        QVERIFY(m.windowEnlarged);
        QCOMPARE(m.windowWidth, 8235.0f);
        QCOMPARE(m.Picture1.width, 8105.0f);

        m = window(100, 100);
        QCOMPARE(m.windowHeight, 4840.0f);
        QCOMPARE(m.Picture1.height, 3690.0f);
        // The run that follows the enlargement finds nothing to correct.
        QVERIFY(!sizeControls(m).windowEnlarged);
    }

    void minimizedLeavesLayoutAlone()
    {
        LayoutModel m = window(12000, 9000);
        m.minimized = true;
        m.windowWidth = 2000;
        m.windowHeight = 300;
        const LayoutModel after = sizeControls(m);
        QCOMPARE(after.Picture1, (TwipsRect { 0, 450, 11870, 7850 }));
        QCOMPARE(after.windowWidth, 2000.0f);
        QVERIFY(!after.windowEnlarged);
    }

    void tablePanelOpens()
    {
        const LayoutModel m = panelOpen(panelReset(window(12000, 9000)), "FrameInserttable");
        QCOMPARE(m.panelHeight, qint16(2190));
        QCOMPARE(m.panelName, QString("FrameInserttable"));
        QCOMPARE(m.Picture1.height, 5660.0f);
        QCOMPARE(m.DHTMLEdit1.height, 5360.0f);
        QCOMPARE(m.frames.value("FrameInserttable"), (TwipsRect { 0, 6160, 11870, 2190 }));
        // Every frame gets its own height whichever one opens.
        QCOMPARE(m.frames.value("frameinsertpic").height, 3390.0f);
        QCOMPARE(m.frames.value("FrameSendemail").height, 630.0f);
        // Laying out again gives the same result.
        QCOMPARE(sizeControls(m).frames, m.frames);
        QCOMPARE(sizeControls(m).Picture1, m.Picture1);
    }

    void hyperlinkAfterTable()
    {
        LayoutModel m = panelOpen(panelReset(window(12000, 9000)), "FrameInserttable");
        m = panelReset(m);
        QVERIFY(!m.panelOpen());
        QCOMPARE(m.panelHeight, qint16(0));
        QCOMPARE(m.Picture1.height, 7850.0f);
        // The closed panel was placed once more on the way out.
        QCOMPARE(m.frames.value("FrameInserttable").top, 8350.0f);

        m = panelOpen(m, "FrameInsertHyperLink");
        QCOMPARE(m.Picture1.height, 7850.0f - 540.0f);
        QCOMPARE(m.frames.value("FrameInsertHyperLink"), (TwipsRect { 0, 7810, 11870, 540 }));
        QCOMPARE(m.currentPanel, QString("FrameInsertHyperLink"));
    }

    void htmlPanelFitFollowsCurrentPanel()
    {
        for (const QString &name : { QString("Frame1"), QString("Framehtmlinsert") }) {
            const LayoutModel m = panelOpen(window(12000, 9000), name);
            QCOMPARE(m.frames.value("Framehtmlinsert").height, 2500.0f);
            QCOMPARE(m.frames.value("Framehtmlinsert").width, 11870.0f);
            QCOMPARE(m.txtHTMLInsert, (TwipsRect { 0, 0, 11860, 2000 }));
            QCOMPARE(m.Commandinserthtml.left, 10120.0f);
            QCOMPARE(m.Commandcancelhtml.left, 8320.0f);
            QCOMPARE(m.Commandinserthtml.top, 2080.0f);
            QCOMPARE(m.Commandcancelhtml.top, 2080.0f);
        }
    }

    void resizeWithPanelOpenMovesPanel()
    {
        LayoutModel m = panelOpen(window(12000, 9000), "Framebgcolor");
        m.windowWidth = 9000;
        m.windowHeight = 7000;
        m = sizeControls(m);
        QCOMPARE(m.Picture1.height, 7000.0f - 1150.0f - 1290.0f);
        QCOMPARE(m.frames.value("Framebgcolor"), (TwipsRect { 0, 5060, 8870, 1290 }));
        QCOMPARE(m.txtHTMLInsert.width, 8860.0f);
    }
};

QTEST_APPLESS_MAIN(TestLayout)
#include "test_layout.moc"

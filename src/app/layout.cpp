#include "app/layout.h"

using namespace LayoutValues;

const QStringList &panelFrameNames()
{
    static const QStringList names
        = { "Framehtmlinsert", "frameinsertpic",   "Frame1",        "FrameInsertHyperLink",
            "Framebgcolor",    "FrameInserttable", "FrameSendemail" };
    return names;
}

float panelFrameHeight(const QString &frameName)
{
    static const QHash<QString, float> heights = {
        { "Framehtmlinsert", 2500 },     { "frameinsertpic", 3390 }, { "Frame1", 690 },
        { "FrameInsertHyperLink", 540 }, { "Framebgcolor", 1290 },   { "FrameInserttable", 2190 },
        { "FrameSendemail", 630 },
    };
    return heights.value(frameName, 0);
}

LayoutModel sizeControls(LayoutModel m)
{
    m.windowEnlarged = false;
    if (m.minimized)
        return m;
    // Enlarging the window raises another resize, which lays it out again at
    // the corrected size; doing it here at once gives the same result.
    if (m.windowWidth < MinWindowWidth) {
        m.windowWidth = MinWindowWidth;
        m.windowEnlarged = true;
    }
    if (m.windowHeight < MinWindowHeight) {
        m.windowHeight = MinWindowHeight;
        m.windowEnlarged = true;
    }

    m.Picture1 = { 0, PaneTop, m.windowWidth - PaneWidthMargin,
                   m.windowHeight - PaneHeightMargin - float(m.panelHeight) };
    m.Picturehtmlbox = m.Picture1;
    m.PicHTMLShadow = { ShadowInset, ShadowInset, m.Picturehtmlbox.width - InnerShrink,
                        m.Picturehtmlbox.height - InnerShrink };
    m.picShadow = { ShadowInset, ShadowInset, m.Picture1.width - InnerShrink,
                    m.Picture1.height - InnerShrink };
    m.DHTMLEdit1 = { InnerInset, InnerInset, m.Picture1.width - InnerShrink,
                     m.Picture1.height - InnerShrink };
    m.txtHTML = { InnerInset, InnerInset, m.Picturehtmlbox.width - InnerShrink,
                  m.Picturehtmlbox.height - InnerShrink };

    if (!m.panelOpen())
        return m;
    TwipsRect &panel = m.frames[m.currentPanel];
    panel.top = m.Picture1.height + PanelGap;
    panel.width = m.Picture1.width;
    return htmlPanelFit(std::move(m));
}

LayoutModel htmlPanelFit(LayoutModel m)
{
    const float panelWidth = m.frames.value(m.currentPanel).width;
    TwipsRect &frame = m.frames["Framehtmlinsert"];
    frame.height = panelFrameHeight("Framehtmlinsert");
    frame.width = m.Picturehtmlbox.width;

    m.txtHTMLInsert.width = panelWidth - HtmlBoxNarrower;
    m.txtHTMLInsert.height = frame.height - HtmlBoxShorter;
    m.txtHTMLInsert.top = 0;
    m.Commandinserthtml.left = panelWidth - HtmlButtonStep;
    m.Commandcancelhtml.left = m.Commandinserthtml.left - HtmlButtonStep - HtmlButtonGap;
    m.Commandinserthtml.top = m.txtHTMLInsert.height + HtmlButtonDrop;
    m.Commandcancelhtml.top = m.Commandinserthtml.top;
    return m;
}

LayoutModel panelOpen(LayoutModel m, const QString &frameName)
{
    for (const QString &name : panelFrameNames())
        m.frames[name].height = panelFrameHeight(name);
    TwipsRect &frame = m.frames[frameName];
    frame.width = m.Picture1.width;
    frame.left = 0;
    m.panelHeight = qint16(frame.height);

    // Lays out with the previous panel name, so only the pane moves here.
    m = sizeControls(std::move(m));
    m.frames[frameName].top = m.Picture1.height + PanelGap;
    m.panelName = frameName;
    m.currentPanel = frameName;
    return htmlPanelFit(std::move(m));
}

LayoutModel panelReset(LayoutModel m)
{
    m.panelHeight = 0;
    // The closed panel is still named here, so it is placed once more.
    m = sizeControls(std::move(m));
    m.panelName.clear();
    return m;
}

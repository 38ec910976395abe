#pragma once

// The main window's layout arithmetic, free of widgets: a value describing the
// window's size, the panel state and every placed control's geometry (twips,
// single precision) goes in, the updated value comes out. MainForm keeps one
// such value and applies it to its controls.

#include <QHash>
#include <QString>
#include <QStringList>

struct TwipsRect
{
    float left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipsRect &) const = default;
};

namespace LayoutValues {
constexpr float MinWindowWidth = 8235;
constexpr float MinWindowHeight = 4840;
constexpr float PaneTop = 450;
constexpr float PaneWidthMargin = 130;
constexpr float PaneHeightMargin = 1150;
constexpr float InnerInset = 100;
constexpr float ShadowInset = 200;
constexpr float InnerShrink = 300;
constexpr float PanelGap = 500;
constexpr float HtmlBoxNarrower = 10;
constexpr float HtmlBoxShorter = 500;
constexpr float HtmlButtonStep = 1750;
constexpr float HtmlButtonGap = 50;
constexpr float HtmlButtonDrop = 80;
} // namespace LayoutValues

// The panel frames in the order their heights are given out.
const QStringList &panelFrameNames();
// The fixed height of a panel frame; 0 for an unknown name.
float panelFrameHeight(const QString &frameName);

struct LayoutModel
{
    // Outer size of the window (frame included).
    float windowWidth = 0, windowHeight = 0;
    bool minimized = false;
    // True when the last run had to enlarge the window to its minimum size.
    bool windowEnlarged = false;

    // Panel state.
    qint16 panelHeight = 0;
    QString panelName; // the open panel; blank when none is open
    QString currentPanel; // last panel opened; never cleared

    TwipsRect Picture1, Picturehtmlbox, PicHTMLShadow, picShadow, DHTMLEdit1, txtHTML;
    QHash<QString, TwipsRect> frames; // by frame name
    TwipsRect txtHTMLInsert, Commandinserthtml, Commandcancelhtml;

    bool panelOpen() const { return !panelName.trimmed().isEmpty(); }
};

// Lays the window out from its size and panel state. A window smaller than
// the minimum is enlarged first (windowEnlarged is then set) and laid out at
// the new size; a minimized window is left untouched.
LayoutModel sizeControls(LayoutModel m);

// Sizes the HTML fragment panel's contents to the current panel's width.
LayoutModel htmlPanelFit(LayoutModel m);

// Gives every panel frame its height and opens the named one below the pane.
LayoutModel panelOpen(LayoutModel m, const QString &frameName);

// Closes the open panel and gives the pane its full height back. The frames
// themselves are hidden by the caller.
LayoutModel panelReset(LayoutModel m);

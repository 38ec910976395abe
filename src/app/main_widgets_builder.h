#pragma once

// Creates every named control of the main window: menu bar, formatting
// toolbar, panes, splitter parts and the empty panel frames. It holds no
// behaviour, so any subsystem's test can build the controls on a bare window.

#include "app/main_widgets.h"

class QMainWindow;

// Fills w with new controls owned by window. Each control's objectName is its
// member name; items of a control array share the array's name and carry a
// dynamic property "index". w.DHTMLEdit1 and w.DHTMLEdit2 are left untouched.
void buildMainWidgets(QMainWindow *window, MainWidgets &w);

// One pixel of the window is this many twips.
constexpr int TwipsPerPixel = 15;
inline int twipsToPixels(double twips)
{
    return int(twips / TwipsPerPixel + (twips < 0 ? -0.5 : 0.5));
}

#include "platform/panel_hider.h"

#include "app/main_widgets.h"

#include <QFrame>

void ClearAllFrame(MainWidgets &w)
{
    for (QFrame *f : { w.Framehtmlinsert, w.frameinsertpic, w.Frame1, w.FrameInsertHyperLink,
                       w.Framebgcolor, w.FrameInserttable, w.FrameSendemail }) {
        if (f)
            f->hide();
    }
}

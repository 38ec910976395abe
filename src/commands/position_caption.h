#pragma once

// The first 2D DHTML item follows the make-absolute status after every click
// on a 2D item: its caption says which way the toggle goes.

#include <QString>

struct PositionItemState
{
    QString caption;
    bool enabled;
};

PositionItemState PositionItemFromStatus(int makeAbsoluteStatus);

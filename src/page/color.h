#pragma once

#include <QString>
#include <QtGlobal>

// Turns a colour value as the colour dialog gives it (0x00BBGGRR, red in the
// low byte) into the "#RRGGBB" text HTML uses. Values above 0xFFFFFF have no
// such form: the result is then a null string and callers must not apply it.
QString ColorToHtml(quint32 colour);

#pragma once

#include <QString>
#include <QtGlobal>

// Turns a colour value as the colour dialog gives it (0x00BBGGRR, red in the
// low byte) into the "#RRGGBB" text HTML uses. Values above 0xFFFFFF have no
// such form: the result is then a null string and callers must not apply it.
QString ColorToHtml(quint32 colour);

// A dialog colour value taken apart by division, as the custom colour
// button does it: blue is the third byte, green the second, red the rest.
struct ColorParts
{
    quint32 red = 0, green = 0, blue = 0;
};
ColorParts splitColor(quint32 colour);

// Two uppercase hexadecimal digits for one colour component: "00" for 0,
// "0" and the digit for 1 to 15, the two digits otherwise.
QString hexComponent(quint32 component);

// "#" + red + green + blue from splitColor and hexComponent: the custom
// colour's text. Like ColorToHtml, a null string above 0xFFFFFF, whose blue
// part would need more than two digits.
QString customColorText(quint32 colour);

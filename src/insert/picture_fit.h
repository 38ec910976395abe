#pragma once

// The picture tool's arithmetic: the preview's size in its box, the numbers
// the width and height fields show, and the full path of the chosen file.

#include <QString>

struct PreviewSize
{
    float width;
    float height;
};

// Shrinks a picture of the given natural size (twips), keeping its
// proportions, until it fits the box's width and then its height; a picture
// that fits is left at its natural size. Single precision throughout.
PreviewSize fitPreview(float boxWidth, float boxHeight, float width, float height);

// A single-precision number as the fields show it: at most seven significant
// digits, no trailing zeros (whole numbers without a point).
QString singleText(float value);

// The folder and the file joined by one "/", never doubled at a root.
QString joinFilePath(const QString &folder, const QString &fileName);

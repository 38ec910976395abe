#include "insert/picture_fit.h"

PreviewSize fitPreview(float boxWidth, float boxHeight, float width, float height)
{
    PreviewSize s { width, height };
    if (s.width > 0) {
        const float r = boxWidth / s.width;
        if (r < 1) {
            s.width *= r;
            s.height *= r;
        }
    }
    if (s.height > 0) {
        const float r = boxHeight / s.height;
        if (r < 1) {
            s.width *= r;
            s.height *= r;
        }
    }
    return s;
}

QString singleText(float value)
{
    return QString::number(value, 'g', 7);
}

QString joinFilePath(const QString &folder, const QString &fileName)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + fileName;
    return folder + QLatin1Char('/') + fileName;
}

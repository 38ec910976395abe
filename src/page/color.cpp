#include "page/color.h"

QString ColorToHtml(quint32 colour)
{
    if (colour > 0xFFFFFFu)
        return {};
    const auto hex = [](quint32 byte) {
        return QStringLiteral("%1").arg(byte & 0xFFu, 2, 16, QLatin1Char('0')).toUpper();
    };
    return QLatin1Char('#') + hex(colour) + hex(colour >> 8) + hex(colour >> 16);
}

ColorParts splitColor(quint32 colour)
{
    ColorParts parts;
    parts.blue = colour / 65536;
    parts.green = (colour - parts.blue * 65536) / 256;
    parts.red = colour - parts.blue * 65536 - parts.green * 256;
    return parts;
}

QString hexComponent(quint32 component)
{
    const QString digits = QString::number(component, 16).toUpper();
    return digits.size() < 2 ? QLatin1Char('0') + digits : digits;
}

QString customColorText(quint32 colour)
{
    if (colour > 0xFFFFFFu)
        return {};
    const ColorParts parts = splitColor(colour);
    return QLatin1Char('#') + hexComponent(parts.red) + hexComponent(parts.green)
        + hexComponent(parts.blue);
}

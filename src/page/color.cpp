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

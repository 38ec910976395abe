#include "insert/table_fields.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

QString attributeValue(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('"'), QLatin1String("&quot;"));
}

} // namespace

std::optional<double> ParseDecimal(const QString &text)
{
    static const QRegularExpression plain(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!plain.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok); // QString::toDouble is C-locale
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double RoundHalfEven(double value)
{
    const double down = std::floor(value);
    const double fraction = value - down;
    if (fraction > 0.5)
        return down + 1;
    if (fraction < 0.5)
        return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

std::optional<int> TableCount(const QString &text)
{
    const std::optional<double> value = ParseDecimal(text);
    if (!value || !(*value > 0))
        return std::nullopt;
    const double rounded = RoundHalfEven(*value);
    if (rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(rounded);
}

QString TableAttributeText(const QString &border, const QString &padding, const QString &spacing)
{
    return QLatin1String("Border=\"") + attributeValue(border) + QLatin1String("\"")
        + QLatin1String("  Cellpadding=\"") + attributeValue(padding)
        + QLatin1String("\" Cellspacing=\"") + attributeValue(spacing) + QLatin1String("\"");
}

QString CellAttributeText(const QString &verticalAlignment)
{
    return QLatin1String(" Valign=\"") + verticalAlignment + QLatin1String("\"");
}

#pragma once

// What the table panel makes of its fields: the row and column counts and the
// attribute texts handed to the editing component's insert-table command.

#include <QString>

#include <optional>

// A plain decimal number (optional sign, digits with an optional point and
// fraction, optional exponent, blanks around it), read in the C locale.
std::optional<double> ParseDecimal(const QString &text);

// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

// The count a row or column field gives: a number greater than 0, rounded
// halves to even (0.4 passes and gives 0). Empty when the field fails, and
// when the count would not fit a 32-bit integer.
std::optional<int> TableCount(const QString &text);

// Border="b"  Cellpadding="p" Cellspacing="s". Quotes and ampersands typed
// into the fields are written as character references, so a field's text
// stays inside its attribute value.
QString TableAttributeText(const QString &border, const QString &padding, const QString &spacing);

//  Valign="v"
QString CellAttributeText(const QString &verticalAlignment);

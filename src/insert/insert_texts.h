#pragma once

// The texts the insert tools build and read: the HTML they paste, and what
// the Update menu takes out of a selected element's outer HTML.

#include <QString>

#include <optional>

// The characters of text that lie between double quotes, every quoted
// stretch in order; after an unmatched last quote, the rest of the text.
QString ExtractQuotedText(const QString &text);

// The value of an attribute of the first tag in html (quoted or bare, with
// character references decoded); empty when the tag has no such attribute.
std::optional<QString> firstTagAttribute(const QString &html, const QString &name);

// Prefills of the Update items: the link's target; the e-mail link's address
// (its target without "mailto:"); the button's caption.
QString hyperlinkPrefill(const QString &elementHtml);
QString emailPrefill(const QString &elementHtml);
QString buttonPrefill(const QString &elementHtml);

// An attribute value in double quotes with &, " and < escaped.
QString quotedAttribute(const QString &value);
// A plain number as it is; anything else quoted.
QString bareNumberOrQuoted(const QString &value);

// <Input Type="Submit" value="caption">
QString buttonHtml(const QString &caption);
// <img src="path" border=b width=w height=h alt="alt">
QString pictureHtml(const QString &path, const QString &border, const QString &width,
                    const QString &height, const QString &alt);

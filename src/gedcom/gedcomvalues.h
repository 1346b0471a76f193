#pragma once

#include "cardrecord.h"

#include <QString>

namespace kinfolio::Gedcom {

// A card text made fit for a one-line value: line breaks and other control
// characters become spaces, and the ends are trimmed.
QString oneLine(const QString &text);

// A card text made fit for a text of several lines: control characters other
// than the line breaks become spaces.
QString multiLine(const QString &text);

// The DATE value for a free-text card date, or an empty text for a blank one.
// A text already in GEDCOM's shape ("12 MAR 1850", "ABT 1850", "BET 1850 AND
// 1860") stays as it is; a few common forms ("12 March 1850", "March 12, 1850",
// "about 1850", "1850-03-12") are converted; anything else becomes a date
// phrase in parentheses, so no text is lost and no invalid date is written.
QString date(const QString &cardText);

// True when `value` is a date value in GEDCOM's shape, date phrases included.
bool isGedcomDate(const QString &value);

// The NAME value for a card name: the last word is the surname, between
// slashes, unless the name already holds a slash. Empty for a blank name.
QString personalName(const QString &cardText);

} // namespace kinfolio::Gedcom

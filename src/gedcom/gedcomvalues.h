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
// A range that ends before it begins ("between 1860 and 1850") is a phrase
// too, and sets `reversedRange`.
QString date(const QString &cardText, bool *reversedRange = nullptr);

// True when `value` is a date value in GEDCOM's shape, date phrases included.
bool isGedcomDate(const QString &value);

// The NAME value for a card name: the last word is the surname, between
// slashes, unless the name holds exactly two slashes, which mark its surname.
// Any other number of slashes cannot mark a surname, and readers would split
// the name at them: each is written as a fraction slash (U+2044), which looks
// the same. Empty for a blank name.
QString personalName(const QString &cardText);

// The character that stands for a slash of a card name in a NAME value.
constexpr char16_t NameSlash = 0x2044;

// The values GEDCOM limits in length, and their limits in characters.
enum class Limited { Name, Date, Place };
constexpr int maxCharacters(Limited kind)
{
    return kind == Limited::Date ? 35 : 120;
}

// `value` as it fits one line of GEDCOM: at most the characters GEDCOM allows
// its kind and `maxBytes` bytes once written ('@' doubled, UTF-8). A longer
// value is cut and ends in "…" ("…/" for a name whose surname the cut opened,
// "…)" for a date, which becomes a date phrase); the exporter writes the
// whole value in a note beside it.
QString shortened(Limited kind, const QString &value, qsizetype maxBytes);

} // namespace kinfolio::Gedcom

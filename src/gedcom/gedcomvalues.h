#pragma once

#include "format/cardrecord.h"

#include <QString>

namespace kinfolio::Gedcom {

// The DATE value for a free-text card date, or an empty text for a blank one.
// A date value of GEDCOM 5.5.1 ("12 MAR 1850", "ABT 1850", "BET 1850 AND
// 1860", "@#DJULIAN@ 1 MAR 1699/00", "INT 1850 (in the census)", "(in the
// war)") stays as it is, with single spaces between its words; a date phrase
// keeps its spaces as written. A few common forms ("12 March 1850", "March 12,
// 1850", "about 1850", "1850-03-12") are converted; anything else becomes a
// date phrase in parentheses, so no text is lost and no invalid date is
// written. A range that ends before it begins ("between 1860 and 1850") is a
// phrase too, and sets `reversedRange`.
QString date(const QString &cardText, bool *reversedRange = nullptr);

// True when `value` is a date value of GEDCOM 5.5.1, date phrases included.
// Years may have one to four digits, as readers take them.
bool isGedcomDate(const QString &value);

// The NAME value for a card name. Two slashes or more: the first two mark the
// surname, as GEDCOM readers take them, and any further slash is written as
// a fraction slash (U+2044), which looks the same; an empty surname with
// nothing after it ("Mary //") marks no surname, and the name is written
// without slashes ("Mary"). Fewer: one word is a given name, written as it
// is ("Édouard"); of several words the last is the surname ("Mary Ann
// /Holt/"), and a lone slash is a fraction slash. Empty for a blank name.
QString personalName(const QString &cardText);

// The parts GEDCOM readers take from a NAME value: the given names before the
// first slash, the surname between the first two, and what follows, each
// trimmed; a fraction slash counts as a slash of the text.
struct NameParts
{
    QString given, surname, rest;
    bool operator==(const NameParts &o) const
    {
        return given == o.given && surname == o.surname && rest == o.rest;
    }
};
NameParts nameParts(const QString &gedcomName);

// The card text for a NAME value: the text that the export writes back as
// that value, the plainest first ("Mary Ann /Holt/" is "Mary Ann Holt",
// "Mary Ann" is "Mary Ann //"); or else one it writes with the same parts
// ("Mary //" is "Mary"); or else the value as it is.
QString cardName(const QString &gedcomName);

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

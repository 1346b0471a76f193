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

// A DATE value of GEDCOM 7 as GEDCOM 5.5.1 writes it: its calendar words
// (GREGORIAN, JULIAN, FRENCH_R, HEBREW) before a date become the escapes
// ("JULIAN 1401" is "@#DJULIAN@ 1401", "BET JULIAN 1400 AND 1401" is
// "BET @#DJULIAN@ 1400 AND 1401"). Anything else is returned as it is.
QString fromGedcom7Date(const QString &value);

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

// --- what a card's fields cannot hold, told in its notes ---
//
// The import writes these lines at the head of a card's notes, and the
// export reads them back from there, so that they survive the round trip and
// the user can see and change them. `who` is the person's name as the card
// holds it, or "The husband" / "The wife" where the card has none.

// The person of one side of a card as these lines name them: by `name`, or
// as "The husband" / "The wife" where the name is empty or the same as
// `otherName`, the other side's, so that a line names one person only.
QString subjectOf(const QString &name, const QString &otherName, Spouse side);

// The sex of a person where the side of the card does not tell it: "Ann Lee
// is a man." on the wife's side, "Tom Lee is a woman." on the husband's, "The
// sex of Sam Lee is not known." on either.
enum class Sex { Male, Female, Unknown };
QString sexLine(const QString &who, Sex sex);

// How a person stands to a family that did not give birth to them, by the
// word GEDCOM gives (PEDI adopted, foster, sealing, step; _FREL, _MREL; an
// empty word is birth) for the father and the mother, whose names (as the
// cards hold them) are `father` and `mother`, either empty when the family
// has no such parent: "Eva Holm was adopted by Carl Holm and Dora Holm.",
// "… was fostered by …", "… was sealed to …", "… is a stepchild of …", "… is a
// child (guardian) of …", or where the two differ "… is a child of Carl Holm
// (adopted) and Dora Holm (by birth)."
struct ParentsLine
{
    QString father, mother;
    QString fatherRelation, motherRelation;
};
QString parentsLine(const QString &who, const ParentsLine &parents);

// A line of the notes read back: the sex it tells of `who`, or the parents
// (with `father` holding the names as written, "Carl Holm and Dora Holm", and
// `mother` empty, where both parents share one word). False when the line is
// neither.
bool readSexLine(const QString &line, const QString &who, Sex &sex);
bool readParentsLine(const QString &line, const QString &who, ParentsLine &parents);

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

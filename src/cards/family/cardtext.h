#pragma once

#include "format/cardrecord.h"

#include <QString>
#include <QStringList>

#include <tuple>

// What a card's texts mean to the programs that read them beside the card
// window: one-line values, how sure a date is and its year, the fields' names,
// and one spouse's facts taken out of a card. The GEDCOM mapping, the printed
// sheets and the find dialog read cards through these, so that a card means
// the same to each of them.
namespace kinfolio::CardText {

// A value on one line: line breaks (CR LF counts as one) and other control
// characters become spaces, and the ends are trimmed. Runs of spaces inside
// are kept as typed.
QString oneLine(const QString &text);

// A value on one line as the sheets print it: oneLine, each run of spaces
// one space.
QString printedLine(const QString &text);

// A name as a reader sees it: printedLine, without the slashes that mark a
// surname of several words on the card ("Nguyen /Thi Hang/" is "Nguyen Thi
// Hang", "Mary Ann //" is "Mary Ann"). A slash inside a word ("a/b") is a
// letter of the name and stays.
QString shownName(const QString &name);

// Names joined with other words ("A and B"), each set in its own direction
// between U+2068 and U+2069 when either holds a right-to-left letter: a
// right-to-left name at the head of the line then neither takes the line's
// direction nor reorders the words after it. Names of left-to-right scripts
// alone are joined as they are, since the marks would change nothing there
// and a font without them would be embedded for them.
QString joinedNames(const QString &first, const QString &joiner, const QString &second);

// A text of several lines: control characters other than CR and LF become
// spaces.
QString multiLine(const QString &text);

// The names of fields 1 to 16 (Notes has none), in field order, as the find
// dialog lists them: "Husband", "Husband's BirthDate" … "Wife's Mother".
const QStringList &fieldNames();

// A field in words, for messages: "husband's birth date", "notes".
QString fieldInWords(CardField field);

// How sure a date is, as its first word says.
enum class DateQualifier { None, About, Estimated, Calculated, Before, After, Between, From };

// The qualifier a word stands for, in any case and without its final dots:
// "abt.", "About", "circa", "c." are About, "bef" and "before" Before.
DateQualifier dateQualifier(QString word);

// The year of a free-text date as a short text: "3 MAR 1821" gives "1821",
// "about 1878" "c. 1878", "bef. 1900" "bef. 1900", "aft 1900" "aft. 1900"; a
// date without a year ("in the war") is kept as written (printedLine).
QString yearOf(const QString &date);

// A lifespan in years, as the pedigree chart and the site's lists show it:
// "1821 – 1890", "b. 1821", "d. in the war", or empty.
QString lifespan(const QString &bornDate, const QString &diedDate);

// The first year in a date, or a number past every year when it has none.
int yearNumber(const QString &date);

// The seven facts a card gives of its husband or its wife.
struct SpouseFacts
{
    QString name, bornDate, bornPlace, diedDate, diedPlace, father, mother;

    // True when any of them is more than blank.
    bool tellsAnything() const;

    auto tied() const { return std::tie(name, bornDate, bornPlace, diedDate, diedPlace, father, mother); }
    auto tied() { return std::tie(name, bornDate, bornPlace, diedDate, diedPlace, father, mother); }
    bool operator==(const SpouseFacts &o) const { return tied() == o.tied(); }
    bool operator<(const SpouseFacts &o) const { return tied() < o.tied(); }
};

SpouseFacts spouseFacts(const CardFields &card, Spouse spouse);
void setSpouseFacts(CardFields &card, Spouse spouse, const SpouseFacts &facts);
// Each fact as printed (printedLine), the names as shown (shownName).
SpouseFacts printed(SpouseFacts facts);

} // namespace kinfolio::CardText

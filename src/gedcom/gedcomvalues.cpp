#include "gedcomvalues.h"

#include "family/cardtext.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace kinfolio::Gedcom {

using CardText::oneLine;

namespace {

// --- dates ---

enum class Calendar { Gregorian, Julian, Hebrew, French, Unknown };

using MonthCodes = std::array<const char *, 13>;
constexpr MonthCodes monthCodes = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL",
                                   "AUG", "SEP", "OCT", "NOV", "DEC", nullptr};
constexpr MonthCodes hebrewMonths = {"TSH", "CSH", "KSL", "TVT", "SHV", "ADR", "ADS",
                                     "NSN", "IYR", "SVN", "TMZ", "AAV", "ELL"};
constexpr MonthCodes frenchMonths = {"VEND", "BRUM", "FRIM", "NIVO", "PLUV", "VENT", "GERM",
                                     "FLOR", "PRAI", "MESS", "THER", "FRUC", "COMP"};

// 1..13 for a month code of the calendar, 0 otherwise. Case-sensitive: the
// standard spells them in capitals.
int monthFromCode(const QString &token, Calendar calendar)
{
    const MonthCodes &codes =
        calendar == Calendar::Hebrew ? hebrewMonths : calendar == Calendar::French ? frenchMonths : monthCodes;
    for (size_t m = 0; m < codes.size() && codes[m]; ++m) {
        if (token == QLatin1String(codes[m]))
            return int(m + 1);
    }
    return 0;
}

// 1..12 for an English month name or its usual abbreviation, any case.
int monthFromWord(const QString &word)
{
    static const char *const names[12] = {"january", "february", "march",     "april",   "may",      "june",
                                          "july",    "august",   "september", "october", "november", "december"};
    const QString w = word.toLower();
    if (w == QLatin1String("sept"))
        return 9;
    for (int m = 0; m < 12; ++m) {
        const QLatin1String name(names[m]);
        if (w == name || w == name.left(3))
            return m + 1;
    }
    return 0;
}

int monthDays(int month, int year, Calendar calendar)
{
    if (calendar == Calendar::Hebrew)
        return 30;
    if (calendar == Calendar::French)
        return month == 13 ? 6 : 30;
    static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = calendar == Calendar::Julian ? year % 4 == 0
                                                   : (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return lengths[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool isDay(const QString &token, int month, int year, Calendar calendar)
{
    static const QRegularExpression re(QStringLiteral("^\\d{1,2}$"));
    return re.match(token).hasMatch() && token.toInt() >= 1 && token.toInt() <= monthDays(month, year, calendar);
}

// One <DATE> of GEDCOM: [calendar escape] [[day] month] year, the year
// perhaps dual ("1699/00", Gregorian or Julian) and perhaps B.C.
struct CalendarDate
{
    Calendar calendar = Calendar::Gregorian;
    // The first and the last day it can mean, as year * 10000 + month * 100 +
    // day; B.C. years count below zero.
    int first = 0, last = 0;
};

std::optional<CalendarDate> calendarDate(QStringList t, bool gedcomYears)
{
    CalendarDate d;
    if (!t.isEmpty() && t.first().startsWith(QLatin1String("@#D"))) {
        static const std::pair<const char *, Calendar> escapes[] = {
            {"@#DGREGORIAN@", Calendar::Gregorian}, {"@#DJULIAN@", Calendar::Julian},
            {"@#DHEBREW@", Calendar::Hebrew},       {"@#DFRENCH R@", Calendar::French},
            {"@#DROMAN@", Calendar::Unknown},       {"@#DUNKNOWN@", Calendar::Unknown},
        };
        const auto found = std::find_if(std::begin(escapes), std::end(escapes),
                                        [&t](const auto &e) { return t.first() == QLatin1String(e.first); });
        if (found == std::end(escapes))
            return std::nullopt;
        d.calendar = found->second;
        t.removeFirst();
    }
    const bool bc = !t.isEmpty() && t.last() == QLatin1String("B.C.") && d.calendar != Calendar::Hebrew
                    && d.calendar != Calendar::French;
    if (bc)
        t.removeLast();
    if (t.isEmpty() || t.size() > 3)
        return std::nullopt;
    // Readers take years of one or two digits too; a date typed on a card
    // needs three or four, so that "12 March 50" is not taken for the year 50.
    static const QRegularExpression gedcomYear(QStringLiteral("^(\\d{1,4})(/\\d{2})?$"));
    static const QRegularExpression typedYear(QStringLiteral("^(\\d{3,4})(/\\d{2})?$"));
    const auto year = (gedcomYears ? gedcomYear : typedYear).match(t.last());
    const bool dual = year.hasMatch() && !year.captured(2).isEmpty();
    if (!year.hasMatch() || (dual && d.calendar != Calendar::Gregorian && d.calendar != Calendar::Julian))
        return std::nullopt;
    const int y = year.captured(1).toInt();
    const int month = t.size() >= 2 ? monthFromCode(t.at(t.size() - 2), d.calendar) : 0;
    if (t.size() >= 2 && month == 0)
        return std::nullopt;
    if (t.size() == 3 && !isDay(t.first(), month, y, d.calendar))
        return std::nullopt;
    const int day = t.size() == 3 ? t.first().toInt() : 0;
    const int signedYear = bc ? -y : y;
    d.first = signedYear * 10000 + (month ? month : 1) * 100 + (day ? day : 1);
    d.last = (signedYear + (dual ? 1 : 0)) * 10000 + (month ? month : 13) * 100 + (day ? day : 31);
    return d;
}

// The words of a date, the French calendar's escape one word; none where
// words are parted by more than one space.
std::optional<QStringList> dateWords(const QString &value)
{
    QStringList t = value.split(u' ');
    if (t.contains(QString()))
        return std::nullopt;
    const qsizetype french = t.indexOf(QStringLiteral("@#DFRENCH"));
    if (french >= 0 && french + 1 < t.size() && t.at(french + 1) == QLatin1String("R@")) {
        t[french] += QStringLiteral(" R@");
        t.removeAt(french + 1);
    }
    return t;
}

// Splits `t` at the first `word`; false when it is missing or ends a side empty.
bool splitAt(const QStringList &t, const QString &word, QStringList &before, QStringList &after)
{
    const qsizetype at = t.indexOf(word);
    if (at <= 0 || at == t.size() - 1)
        return false;
    before = t.mid(0, at);
    after = t.mid(at + 1);
    return true;
}

bool isPhrase(const QString &value)
{
    return value.size() >= 2 && value.startsWith(u'(') && value.endsWith(u')');
}

// The two dates of a range or period ("BET a AND b", "FROM a TO b"), both
// valid; none for a value of another shape.
std::optional<std::pair<CalendarDate, CalendarDate>> twoDates(const QStringList &t)
{
    QStringList first, second;
    if (!(t.first() == QLatin1String("BET") && splitAt(t.mid(1), QStringLiteral("AND"), first, second))
        && !(t.first() == QLatin1String("FROM") && splitAt(t.mid(1), QStringLiteral("TO"), first, second)))
        return std::nullopt;
    const auto a = calendarDate(first, true), b = calendarDate(second, true);
    if (!a || !b)
        return std::nullopt;
    return std::make_pair(*a, *b);
}

// True for a range or period whose second date is certainly before its first
// (both in one calendar that the comparison knows).
bool isReversedRange(const QString &value)
{
    const auto words = dateWords(value);
    const auto dates = words ? twoDates(*words) : std::nullopt;
    if (!dates || dates->first.calendar != dates->second.calendar
        || (dates->first.calendar != Calendar::Gregorian && dates->first.calendar != Calendar::Julian))
        return false;
    return dates->first.first > dates->second.last;
}

bool isDateValue(const QString &value)
{
    if (isPhrase(value))
        return true;
    // INT <DATE> (<DATE_PHRASE>): the phrase keeps its spaces.
    if (value.startsWith(QLatin1String("INT "))) {
        const qsizetype open = value.indexOf(QLatin1String(" ("));
        const auto words = dateWords(value.mid(4, open - 4));
        return open > 4 && isPhrase(value.mid(open + 1)) && words && calendarDate(*words, true);
    }
    const auto words = dateWords(value);
    if (!words)
        return false;
    const QStringList &t = *words;
    const QString &head = t.first();
    for (const char *qualifier : {"ABT", "CAL", "EST", "BEF", "AFT", "TO"}) {
        if (head == QLatin1String(qualifier))
            return calendarDate(t.mid(1), true).has_value();
    }
    if (head == QLatin1String("FROM") && !t.contains(QStringLiteral("TO")))
        return calendarDate(t.mid(1), true).has_value();
    if (head == QLatin1String("BET") || head == QLatin1String("FROM"))
        return twoDates(t).has_value();
    return calendarDate(t, true).has_value();
}

QString monthCode(int month)
{
    return QLatin1String(monthCodes[size_t(month - 1)]);
}

// One calendar date in a common form, converted to GEDCOM's; empty when not
// recognised. `t` holds lower-case words without commas or final dots.
QString convertPlainDate(const QStringList &t)
{
    if (t.isEmpty())
        return {};
    const auto isYear = [](const QString &word) { return calendarDate({word}, false).has_value(); };
    if (t.size() == 1) {
        static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})(?:-(\\d{2}))?$"));
        const auto m = iso.match(t.first());
        if (m.hasMatch()) {
            const int month = m.captured(2).toInt();
            if (month < 1 || month > 12)
                return {};
            if (m.captured(3).isEmpty())
                return monthCode(month) + u' ' + m.captured(1);
            const QString day = QString::number(m.captured(3).toInt());
            if (!isDay(day, month, m.captured(1).toInt(), Calendar::Gregorian))
                return {};
            return day + u' ' + monthCode(month) + u' ' + m.captured(1);
        }
        return isYear(t.first()) ? t.first() : QString();
    }
    if (!isYear(t.last()))
        return {};
    if (t.size() == 2) {
        const int month = monthFromWord(t.first());
        return month ? monthCode(month) + u' ' + t.last() : QString();
    }
    if (t.size() != 3)
        return {};
    // "12 march 1850" or "march 12 1850"; all-numeric forms are ambiguous
    // between day-month and month-day, so they are left as phrases.
    QString day = t.at(0);
    int month = monthFromWord(t.at(1));
    if (month == 0) {
        month = monthFromWord(t.at(0));
        day = t.at(1);
    }
    if (month == 0 || !isDay(day, month, t.last().left(4).toInt(), Calendar::Gregorian))
        return {};
    return QString::number(day.toInt()) + u' ' + monthCode(month) + u' ' + t.last();
}

QString convertDate(const QString &simplified)
{
    QStringList t;
    static const QRegularExpression ordinal(QStringLiteral("^(\\d{1,2})(st|nd|rd|th)$"));
    for (QString word : simplified.toLower().replace(u',', u' ').split(u' ', Qt::SkipEmptyParts)) {
        while (word.endsWith(u'.'))
            word.chop(1);
        const auto m = ordinal.match(word);
        if (m.hasMatch())
            word = m.captured(1);
        if (!word.isEmpty() && word != QLatin1String("of"))
            t.append(word);
    }
    if (t.isEmpty())
        return {};

    using Q = CardText::DateQualifier;
    QStringList first, second;
    switch (CardText::dateQualifier(t.first())) {
    case Q::None:
        return convertPlainDate(t);
    case Q::Between: {
        if (!splitAt(t.mid(1), QStringLiteral("and"), first, second))
            return {};
        const QString a = convertPlainDate(first), b = convertPlainDate(second);
        return a.isEmpty() || b.isEmpty() ? QString() : QStringLiteral("BET %1 AND %2").arg(a, b);
    }
    case Q::From: {
        if (!splitAt(t.mid(1), QStringLiteral("to"), first, second)) {
            const QString a = convertPlainDate(t.mid(1));
            return a.isEmpty() ? QString() : QStringLiteral("FROM ") + a;
        }
        const QString a = convertPlainDate(first), b = convertPlainDate(second);
        return a.isEmpty() || b.isEmpty() ? QString() : QStringLiteral("FROM %1 TO %2").arg(a, b);
    }
    default: {
        static const QMap<Q, QString> codes = {{Q::About, QStringLiteral("ABT")},
                                               {Q::Estimated, QStringLiteral("EST")},
                                               {Q::Calculated, QStringLiteral("CAL")},
                                               {Q::Before, QStringLiteral("BEF")},
                                               {Q::After, QStringLiteral("AFT")}};
        const QString d = convertPlainDate(t.mid(1));
        return d.isEmpty() ? QString() : codes.value(CardText::dateQualifier(t.first())) + u' ' + d;
    }
    }
}

// A date with single spaces between its words, but a phrase in parentheses
// as written.
QString simplifiedDate(const QString &line)
{
    const qsizetype open = line.indexOf(u'(');
    if (open < 0)
        return line.simplified();
    const QString before = line.left(open).simplified();
    return before.isEmpty() ? line.mid(open) : before + u' ' + line.mid(open);
}

} // namespace

QString fromGedcom7Date(const QString &value)
{
    static const QMap<QString, QString> escapes{{"GREGORIAN", "@#DGREGORIAN@"},
                                                {"JULIAN", "@#DJULIAN@"},
                                                {"FRENCH_R", "@#DFRENCH R@"},
                                                {"HEBREW", "@#DHEBREW@"}};
    static const QSet<QString> before{"BEF", "AFT", "ABT", "CAL", "EST", "BET", "AND", "FROM", "TO", "INT"};
    static const QRegularExpression calendarWord(QStringLiteral("\\b(GREGORIAN|JULIAN|FRENCH_R|HEBREW)\\b"));
    if (value.startsWith(u'(') || !value.contains(calendarWord))
        return value;
    QStringList words = value.split(u' ');
    bool changed = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words.at(i).startsWith(u'('))
            break; // the phrase of an INT date
        const auto escape = escapes.constFind(words.at(i));
        if (escape != escapes.constEnd() && (i == 0 || before.contains(words.at(i - 1)))) {
            words[i] = escape.value();
            changed = true;
        }
    }
    return changed ? words.join(u' ') : value;
}

bool isGedcomDate(const QString &value)
{
    return isDateValue(value);
}

QString date(const QString &cardText, bool *reversedRange)
{
    if (reversedRange)
        *reversedRange = false;
    const QString line = oneLine(cardText);
    if (line.isEmpty())
        return {};
    const QString simplified = simplifiedDate(line);
    const QString value = isDateValue(simplified) ? simplified : convertDate(line.simplified());
    if (!value.isEmpty() && isDateValue(value)) {
        if (!isReversedRange(value))
            return value;
        if (reversedRange)
            *reversedRange = true;
    }
    return u'(' + line + u')';
}

// --- names ---

QString personalName(const QString &cardText)
{
    QString name = oneLine(cardText);
    const qsizetype first = name.indexOf(u'/');
    const qsizetype second = first < 0 ? -1 : name.indexOf(u'/', first + 1);
    if (second >= 0) {
        const QString given = name.left(first);
        const QString surname = name.mid(first + 1, second - first - 1);
        const QString rest = name.mid(second + 1).replace(u'/', QChar(NameSlash));
        if (isBlank(surname) && isBlank(rest) && !isBlank(given))
            return given.trimmed();
        return given + u'/' + surname + u'/' + rest;
    }
    name.replace(u'/', QChar(NameSlash));
    qsizetype lastStart = name.size();
    while (lastStart > 0 && !name.at(lastStart - 1).isSpace())
        --lastStart;
    qsizetype givenEnd = lastStart;
    while (givenEnd > 0 && name.at(givenEnd - 1).isSpace())
        --givenEnd;
    if (givenEnd == 0)
        return name; // one word: a given name
    return name.left(givenEnd) + QStringLiteral(" /") + name.mid(lastStart) + u'/';
}

NameParts nameParts(const QString &gedcomName)
{
    const QString name = QString(gedcomName).replace(QChar(NameSlash), u'/');
    const qsizetype first = name.indexOf(u'/');
    if (first < 0)
        return {name.trimmed(), {}, {}};
    const qsizetype second = name.indexOf(u'/', first + 1);
    if (second < 0)
        return {name.left(first).trimmed(), name.mid(first + 1).trimmed(), {}};
    return {name.left(first).trimmed(), name.mid(first + 1, second - first - 1).trimmed(),
            name.mid(second + 1).trimmed()};
}

QString cardName(const QString &gedcomName)
{
    const QString name = oneLine(gedcomName);
    QStringList candidates;
    const qsizetype first = name.indexOf(u'/');
    const qsizetype second = first < 0 ? -1 : name.indexOf(u'/', first + 1);
    if (second >= 0)
        candidates << oneLine(QString(name).remove(second, 1).remove(first, 1));
    candidates << QString(name).replace(QChar(NameSlash), u'/');
    if (first < 0)
        candidates << name + QStringLiteral(" //");
    for (const QString &candidate : candidates) {
        if (personalName(candidate) == name)
            return candidate;
    }
    const NameParts parts = nameParts(name);
    for (const QString &candidate : candidates) {
        if (nameParts(personalName(candidate)) == parts)
            return candidate;
    }
    return candidates.at(second >= 0 ? 1 : 0);
}

namespace {

// The length of the longest start of `value` within `maxChars` characters
// and `maxBytes` bytes as written: '@' doubled, UTF-8, a surrogate pair one
// character.
qsizetype fittingLength(const QString &value, qsizetype maxChars, qsizetype maxBytes)
{
    qsizetype i = 0, chars = 0, bytes = 0;
    while (i < value.size()) {
        const bool pair = value.at(i).isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate();
        const char16_t c = value.at(i).unicode();
        const int width = c == u'@' ? 2 : 1;
        const int size = pair ? 4 : c == u'@' ? 2 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (chars + width > maxChars || bytes + size > maxBytes)
            break;
        chars += width;
        bytes += size;
        i += pair ? 2 : 1;
    }
    return i;
}

} // namespace

QString shortened(Limited kind, const QString &value, qsizetype maxBytes)
{
    const qsizetype maxChars = maxCharacters(kind);
    if (fittingLength(value, maxChars, maxBytes) == value.size())
        return value;
    // "…" is one character and three bytes.
    const QString ellipsis(QChar(0x2026));
    switch (kind) {
    case Limited::Place:
        return value.left(fittingLength(value, maxChars - 1, maxBytes - 3)) + ellipsis;
    case Limited::Date: {
        // The phrase of an INT date is cut, so that the date stays a date;
        // any other date becomes a phrase.
        const qsizetype open = value.startsWith(QLatin1String("INT ")) ? value.indexOf(QLatin1String(" (")) + 1 : -1;
        const QString head = open > 0 && open + 8 < maxChars ? value.left(open + 1) : QStringLiteral("(");
        const QString text = head.size() > 1 ? value.mid(head.size()).chopped(1)
                             : isPhrase(value)  ? value.mid(1).chopped(1)
                                                : value;
        const qsizetype room = maxChars - head.size() - 2, bytes = maxBytes - head.toUtf8().size() - 4;
        return head + text.left(fittingLength(text, room, bytes)) + ellipsis + u')';
    }
    case Limited::Name: {
        const QString start = value.left(fittingLength(value, maxChars - 2, maxBytes - 4));
        return start + ellipsis + (start.count(u'/') % 2 ? QStringLiteral("/") : QString());
    }
    }
    return value;
}

// --- what a card's fields cannot hold, told in its notes ---

namespace {

// The words of each relation: the sentence's verb, the adjective of a
// parent where the two differ, and the word written back to GEDCOM.
struct RelationWords
{
    const char *relation, *verb, *adjective;
};
constexpr RelationWords relationWords[] = {{"adopted", "was adopted by", "adopted"},
                                           {"foster", "was fostered by", "foster"},
                                           {"sealing", "was sealed to", "sealed"},
                                           {"step", "is a stepchild of", "step"},
                                           {"", "is a child of", "by birth"}};

const RelationWords *wordsOf(const QString &relation)
{
    const QString r = relation.toLower() == QLatin1String("stepchild") ? QStringLiteral("step") : relation.toLower();
    for (const RelationWords &w : relationWords) {
        if (r == QLatin1String(w.relation))
            return &w;
    }
    return nullptr;
}

QString verbOf(const QString &relation)
{
    const RelationWords *w = wordsOf(relation);
    return w ? QString::fromLatin1(w->verb) : QStringLiteral("is a child (%1) of").arg(relation);
}

QString adjectiveOf(const QString &relation)
{
    const RelationWords *w = wordsOf(relation);
    return w ? QString::fromLatin1(w->adjective) : relation;
}

QString relationOfAdjective(const QString &adjective)
{
    for (const RelationWords &w : relationWords) {
        if (adjective == QLatin1String(w.adjective))
            return QString::fromLatin1(w.relation);
    }
    return adjective;
}

} // namespace

QString subjectOf(const QString &name, const QString &otherName, Spouse side)
{
    if (!isBlank(name) && name != otherName)
        return name;
    return side == Spouse::Husband ? QStringLiteral("The husband") : QStringLiteral("The wife");
}

QString sexLine(const QString &who, Sex sex)
{
    if (sex == Sex::Unknown)
        return QStringLiteral("The sex of %1 is not known.").arg(who);
    return QStringLiteral("%1 is a %2.").arg(who, sex == Sex::Male ? QStringLiteral("man") : QStringLiteral("woman"));
}

bool readSexLine(const QString &line, const QString &who, Sex &sex)
{
    for (Sex s : {Sex::Male, Sex::Female, Sex::Unknown}) {
        if (line == sexLine(who, s)) {
            sex = s;
            return true;
        }
    }
    return false;
}

QString parentsLine(const QString &who, const ParentsLine &p)
{
    if (p.father.isEmpty() || p.mother.isEmpty() || p.fatherRelation == p.motherRelation) {
        const QString &relation = p.father.isEmpty() ? p.motherRelation : p.fatherRelation;
        const QString names = p.father.isEmpty()   ? p.mother
                              : p.mother.isEmpty() ? p.father
                                                   : p.father + QStringLiteral(" and ") + p.mother;
        return QStringLiteral("%1 %2 %3.").arg(who, verbOf(relation), names);
    }
    return QStringLiteral("%1 is a child of %2 (%3) and %4 (%5).")
        .arg(who, p.father, adjectiveOf(p.fatherRelation), p.mother, adjectiveOf(p.motherRelation));
}

bool readParentsLine(const QString &line, const QString &who, ParentsLine &parents)
{
    if (!line.startsWith(who + u' ') || !line.endsWith(u'.'))
        return false;
    const QString rest = line.mid(who.size() + 1).chopped(1);
    static const QRegularExpression mixed(
        QStringLiteral("^is a child of (.+) \\(([^()]+)\\) and (.+) \\(([^()]+)\\)$"));
    static const QRegularExpression other(QStringLiteral("^is a child \\(([^()]+)\\) of (.+)$"));
    if (const QRegularExpressionMatch m = mixed.match(rest); m.hasMatch()) {
        parents = {m.captured(1), m.captured(3), relationOfAdjective(m.captured(2)),
                   relationOfAdjective(m.captured(4))};
        return parents.fatherRelation != parents.motherRelation;
    }
    if (const QRegularExpressionMatch m = other.match(rest); m.hasMatch() && !wordsOf(m.captured(1))) {
        parents = {m.captured(2), {}, m.captured(1), m.captured(1)};
        return true;
    }
    for (const RelationWords &w : relationWords) {
        const QString verb = QString::fromLatin1(w.verb) + u' ';
        if (*w.relation && rest.startsWith(verb) && rest.size() > verb.size()) {
            parents = {rest.mid(verb.size()), {}, QString::fromLatin1(w.relation), QString::fromLatin1(w.relation)};
            return true;
        }
    }
    return false;
}

} // namespace kinfolio::Gedcom

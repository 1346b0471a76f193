#include "gedcomvalues.h"

#include <QRegularExpression>
#include <QStringList>

#include <optional>
#include <utility>

namespace kinfolio::Gedcom {

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// Control characters have no place in a GEDCOM value; a tab or a stray control
// code from a hand-edited file reads best as a space.
QChar printable(QChar c)
{
    return c.category() == QChar::Other_Control ? QChar(u' ') : c;
}

const char *const monthCodes[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                    "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// 1..12 for a GEDCOM month code, 0 otherwise. Case-sensitive: the standard
// spells them in capitals.
int monthFromCode(const QString &token)
{
    for (int m = 0; m < 12; ++m) {
        if (token == QLatin1String(monthCodes[m]))
            return m + 1;
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

// A year as GEDCOM writes it: three or four digits, optionally with the
// second year of a dual date ("1699/00"). Returns the (first) year.
std::optional<int> parseYear(const QString &token)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{3,4})(/\\d{2})?$"));
    const auto m = re.match(token);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toInt();
}

bool validDay(const QString &token, int month, int year)
{
    static const QRegularExpression re(QStringLiteral("^\\d{1,2}$"));
    if (!re.match(token).hasMatch())
        return false;
    static const int lengths[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int day = token.toInt();
    if (day < 1 || day > lengths[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

// One calendar date already in GEDCOM's shape: "1850", "MAR 1850" or
// "12 MAR 1850".
bool isPlainDate(const QStringList &t)
{
    if (t.isEmpty() || t.size() > 3)
        return false;
    const auto year = parseYear(t.last());
    if (!year)
        return false;
    if (t.size() == 1)
        return true;
    const int month = monthFromCode(t.at(t.size() - 2));
    if (month == 0)
        return false;
    return t.size() == 2 || validDay(t.first(), month, *year);
}

QString monthCode(int month)
{
    return QLatin1String(monthCodes[month - 1]);
}

// One calendar date in a common form, converted to GEDCOM's; empty when not
// recognised. `t` holds lower-case words without commas or final dots.
QString convertPlainDate(const QStringList &t)
{
    if (t.isEmpty())
        return {};
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
            if (!validDay(day, month, m.captured(1).toInt()))
                return {};
            return day + u' ' + monthCode(month) + u' ' + m.captured(1);
        }
        return parseYear(t.first()) ? t.first() : QString();
    }
    const auto year = parseYear(t.last());
    if (!year)
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
    if (month == 0 || !validDay(day, month, *year))
        return {};
    return QString::number(day.toInt()) + u' ' + monthCode(month) + u' ' + t.last();
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

// The first and the last day a date in GEDCOM's shape can mean, as
// year * 10000 + month * 100 + day; a dual year ("1699/00") may be either.
std::pair<int, int> dateSpan(const QStringList &t)
{
    const int year = *parseYear(t.last());
    const int lastYear = t.last().contains(u'/') ? year + 1 : year;
    const int month = t.size() >= 2 ? monthFromCode(t.at(t.size() - 2)) : 0;
    const int day = t.size() == 3 ? t.first().toInt() : 0;
    return {year * 10000 + (month ? month : 1) * 100 + (day ? day : 1),
            lastYear * 10000 + (month ? month : 12) * 100 + (day ? day : 31)};
}

// True for "BET a AND b" or "FROM a TO b" in GEDCOM's shape where b is
// certainly before a.
bool isReversedRange(const QString &value)
{
    const QStringList t = value.split(u' ');
    QStringList first, second;
    if (!(t.first() == QLatin1String("BET") && splitAt(t.mid(1), QStringLiteral("AND"), first, second))
        && !(t.first() == QLatin1String("FROM") && splitAt(t.mid(1), QStringLiteral("TO"), first, second)))
        return false;
    return dateSpan(first).first > dateSpan(second).second;
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

    struct Qualifier
    {
        const char *word;
        const char *code;
    };
    static const Qualifier qualifiers[] = {
        {"abt", "ABT"},     {"about", "ABT"},  {"circa", "ABT"},  {"ca", "ABT"},       {"c", "ABT"},
        {"approx", "ABT"},  {"bef", "BEF"},    {"before", "BEF"}, {"aft", "AFT"},      {"after", "AFT"},
        {"est", "EST"},     {"estimated", "EST"}, {"cal", "CAL"}, {"calculated", "CAL"},
    };
    for (const Qualifier &q : qualifiers) {
        if (t.first() == QLatin1String(q.word)) {
            const QString d = convertPlainDate(t.mid(1));
            return d.isEmpty() ? QString() : QLatin1String(q.code) + u' ' + d;
        }
    }

    QStringList first, second;
    if (t.first() == QLatin1String("bet") || t.first() == QLatin1String("between")) {
        if (!splitAt(t.mid(1), QStringLiteral("and"), first, second))
            return {};
        const QString a = convertPlainDate(first), b = convertPlainDate(second);
        return a.isEmpty() || b.isEmpty() ? QString() : QStringLiteral("BET %1 AND %2").arg(a, b);
    }
    if (t.first() == QLatin1String("from")) {
        if (!splitAt(t.mid(1), QStringLiteral("to"), first, second)) {
            const QString a = convertPlainDate(t.mid(1));
            return a.isEmpty() ? QString() : QStringLiteral("FROM ") + a;
        }
        const QString a = convertPlainDate(first), b = convertPlainDate(second);
        return a.isEmpty() || b.isEmpty() ? QString() : QStringLiteral("FROM %1 TO %2").arg(a, b);
    }
    return convertPlainDate(t);
}

} // namespace

QString oneLine(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isLineBreak(c)) {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out.append(u' ');
        } else {
            out.append(printable(c));
        }
    }
    return out.trimmed();
}

QString multiLine(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c != u'\r' && c != u'\n')
            c = printable(c);
    }
    return out;
}

bool isGedcomDate(const QString &value)
{
    if (value.size() >= 2 && value.startsWith(u'(') && value.endsWith(u')'))
        return true;
    const QStringList t = value.split(u' ');
    if (t.contains(QString()))
        return false; // doubled, leading or trailing spaces
    const QString &head = t.first();
    if (head == QLatin1String("ABT") || head == QLatin1String("CAL") || head == QLatin1String("EST")
        || head == QLatin1String("BEF") || head == QLatin1String("AFT") || head == QLatin1String("TO"))
        return isPlainDate(t.mid(1));
    QStringList first, second;
    if (head == QLatin1String("BET"))
        return splitAt(t.mid(1), QStringLiteral("AND"), first, second) && isPlainDate(first) && isPlainDate(second);
    if (head == QLatin1String("FROM")) {
        if (!t.contains(QStringLiteral("TO")))
            return isPlainDate(t.mid(1));
        return splitAt(t.mid(1), QStringLiteral("TO"), first, second) && isPlainDate(first) && isPlainDate(second);
    }
    return isPlainDate(t);
}

QString date(const QString &cardText, bool *reversedRange)
{
    if (reversedRange)
        *reversedRange = false;
    const QString line = oneLine(cardText);
    if (line.isEmpty())
        return {};
    const QString simplified = line.simplified();
    QString value = isGedcomDate(simplified) ? simplified : convertDate(simplified);
    if (!value.isEmpty() && isGedcomDate(value)) {
        if (!isReversedRange(value))
            return value;
        if (reversedRange)
            *reversedRange = true;
    }
    return u'(' + line + u')';
}

QString personalName(const QString &cardText)
{
    QString name = oneLine(cardText);
    const qsizetype slashes = name.count(u'/');
    if (name.isEmpty() || slashes == 2)
        return name;
    name.replace(u'/', QChar(NameSlash));
    qsizetype lastStart = name.size();
    while (lastStart > 0 && !name.at(lastStart - 1).isSpace())
        --lastStart;
    qsizetype givenEnd = lastStart;
    while (givenEnd > 0 && name.at(givenEnd - 1).isSpace())
        --givenEnd;
    const QString surname = u'/' + name.mid(lastStart) + u'/';
    return givenEnd == 0 ? surname : name.left(givenEnd) + u' ' + surname;
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
        const bool phrase = value.startsWith(u'(') && value.endsWith(u')');
        const QString text = phrase ? value.mid(1).chopped(1) : value;
        return u'(' + text.left(fittingLength(text, maxChars - 3, maxBytes - 5)) + ellipsis + u')';
    }
    case Limited::Name: {
        const QString start = value.left(fittingLength(value, maxChars - 2, maxBytes - 4));
        return start + ellipsis + (start.count(u'/') % 2 ? QStringLiteral("/") : QString());
    }
    }
    return value;
}

} // namespace kinfolio::Gedcom

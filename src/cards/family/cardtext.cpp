#include "family/cardtext.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <tuple>

namespace kinfolio::CardText {

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// A tab or a stray control code (the code page's unassigned bytes among
// them) reads best as a space.
QChar printable(QChar c)
{
    return c.category() == QChar::Other_Control ? QChar(u' ') : c;
}

const QRegularExpression &yearPattern()
{
    static const QRegularExpression year(QStringLiteral("(?<![0-9])[0-9]{3,4}(?![0-9])"));
    return year;
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

QString printedLine(const QString &text)
{
    return oneLine(text).simplified();
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

const QStringList &fieldNames()
{
    static const QStringList names = {
        QStringLiteral("Husband"),
        QStringLiteral("Husband's BirthDate"),
        QStringLiteral("Husband's Birth Place"),
        QStringLiteral("Married Date"),
        QStringLiteral("Married Place"),
        QStringLiteral("Husband's Death Date"),
        QStringLiteral("Husband's Death Place"),
        QStringLiteral("Husband's Father"),
        QStringLiteral("Husband's Mother"),
        QStringLiteral("Wife's Name"),
        QStringLiteral("Wife's BirthDate"),
        QStringLiteral("Wife's Birth Place"),
        QStringLiteral("Wife's Death Date"),
        QStringLiteral("Wife's Death Place"),
        QStringLiteral("Wife's Father"),
        QStringLiteral("Wife's Mother"),
    };
    return names;
}

QString fieldInWords(CardField field)
{
    static const char *const words[CardFieldCount] = {
        "husband's name",     "husband's birth date", "husband's birth place", "marriage date",
        "marriage place",     "husband's death date", "husband's death place", "husband's father",
        "husband's mother",   "wife's name",          "wife's birth date",     "wife's birth place",
        "wife's death date",  "wife's death place",   "wife's father",         "wife's mother",
        "notes",
    };
    return QLatin1String(words[int(field)]);
}

DateQualifier dateQualifier(QString word)
{
    struct Word
    {
        const char *word;
        DateQualifier qualifier;
    };
    static const Word words[] = {
        {"abt", DateQualifier::About},        {"about", DateQualifier::About},
        {"circa", DateQualifier::About},      {"ca", DateQualifier::About},
        {"c", DateQualifier::About},          {"approx", DateQualifier::About},
        {"est", DateQualifier::Estimated},    {"estimated", DateQualifier::Estimated},
        {"cal", DateQualifier::Calculated},   {"calculated", DateQualifier::Calculated},
        {"bef", DateQualifier::Before},       {"before", DateQualifier::Before},
        {"aft", DateQualifier::After},        {"after", DateQualifier::After},
        {"bet", DateQualifier::Between},      {"between", DateQualifier::Between},
        {"from", DateQualifier::From},
    };
    while (word.endsWith(u'.'))
        word.chop(1);
    word = word.toLower();
    for (const Word &w : words) {
        if (word == QLatin1String(w.word))
            return w.qualifier;
    }
    return DateQualifier::None;
}

QString yearOf(const QString &date)
{
    const QString text = printedLine(date);
    const QRegularExpressionMatch found = yearPattern().match(text);
    if (!found.hasMatch())
        return text;
    // A year alone would read as certain; a date that is not says so.
    switch (dateQualifier(text.section(u' ', 0, 0))) {
    case DateQualifier::None:
        return found.captured(0);
    case DateQualifier::Before:
        return QStringLiteral("bef. ") + found.captured(0);
    case DateQualifier::After:
        return QStringLiteral("aft. ") + found.captured(0);
    default:
        return QStringLiteral("c. ") + found.captured(0);
    }
}

QString lifespan(const QString &bornDate, const QString &diedDate)
{
    const QString born = yearOf(bornDate), died = yearOf(diedDate);
    if (!born.isEmpty() && !died.isEmpty())
        return born + QStringLiteral(" \u2013 ") + died;
    if (!born.isEmpty())
        return QStringLiteral("b. ") + born;
    if (!died.isEmpty())
        return QStringLiteral("d. ") + died;
    return QString();
}

int yearNumber(const QString &date)
{
    const QRegularExpressionMatch found = yearPattern().match(date);
    return found.hasMatch() ? found.captured(0).toInt() : std::numeric_limits<int>::max();
}

bool SpouseFacts::tellsAnything() const
{
    return std::apply([](const auto &...fact) { return (!isBlank(fact) || ...); }, tied());
}

SpouseFacts spouseFacts(const CardFields &card, Spouse spouse)
{
    const SpouseFields &f = spouseFields(spouse);
    return {card[f.name],     card[f.bornDate], card[f.bornPlace], card[f.diedDate],
            card[f.diedPlace], card[f.father],  card[f.mother]};
}

void setSpouseFacts(CardFields &card, Spouse spouse, const SpouseFacts &facts)
{
    const SpouseFields &f = spouseFields(spouse);
    card[f.name] = facts.name;
    card[f.bornDate] = facts.bornDate;
    card[f.bornPlace] = facts.bornPlace;
    card[f.diedDate] = facts.diedDate;
    card[f.diedPlace] = facts.diedPlace;
    card[f.father] = facts.father;
    card[f.mother] = facts.mother;
}

SpouseFacts printed(SpouseFacts facts)
{
    std::apply([](auto &...fact) { ((fact = printedLine(fact)), ...); }, facts.tied());
    for (QString *name : {&facts.name, &facts.father, &facts.mother})
        *name = shownName(*name);
    return facts;
}

QString shownName(const QString &name)
{
    QString shown = printedLine(name);
    if (!shown.contains(u'/'))
        return shown;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const bool edgeBefore = i == 0 || shown.at(i - 1) == u' ' || shown.at(i - 1) == u'/';
        const bool edgeAfter = i + 1 == shown.size() || shown.at(i + 1) == u' ' || shown.at(i + 1) == u'/';
        if (shown.at(i) == u'/' && (edgeBefore || edgeAfter))
            shown[i] = u' ';
    }
    return shown.simplified();
}

QString joinedNames(const QString &first, const QString &joiner, const QString &second)
{
    const auto rightToLeft = [](const QString &text) {
        return std::any_of(text.begin(), text.end(), [](QChar c) {
            const QChar::Direction d = c.direction();
            return d == QChar::DirR || d == QChar::DirAL;
        });
    };
    if (!rightToLeft(first) && !rightToLeft(second))
        return first + joiner + second;
    const QChar isolate(0x2068), pop(0x2069);
    return isolate + first + pop + joiner + isolate + second + pop;
}

} // namespace kinfolio::CardText

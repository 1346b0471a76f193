#include "cardgenerator.h"

#include "format/cardstore.h"

#include <array>
#include <cstdint>

namespace kinfolio::bench {

namespace {

// A small deterministic generator, so that every run measures the same file.
class Dice
{
public:
    explicit Dice(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t next()
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return std::uint32_t(m_state >> 33);
    }
    int below(int n) { return int(next() % std::uint32_t(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template<std::size_t N>
    QString pick(const std::array<const char *, N> &list)
    {
        return QString::fromUtf8(list[std::size_t(below(int(N)))]);
    }

private:
    std::uint64_t m_state;
};

const std::array<const char *, 24> maleNames = {
    "Jonas", "Thomas", "William", "John", "Henrik", "Samuel", "James", "George", "Joseph", "Owen",
    "Anders", "Per", "Friedrich", "Johann", "Pierre", "Giovanni", "Patrick", "Michael", "Robert",
    "Edward", "Charles", "Hugh", "Matthias", "Dafydd"};
const std::array<const char *, 24> femaleNames = {
    "Ellen", "Sarah", "Mary", "Hannah", "Karin", "Ingrid", "Martha", "Ann", "Elizabeth", "Margaret",
    "Brita", "Catherine", "Bridget", "Johanna", "Marie", "Agnes", "Jane", "Alice", "Esther",
    "Dorothea", "Louise", "Rebecca", "Susannah", "Gwen"};
const std::array<const char *, 28> surnames = {
    "Ashworth", "Pryce", "Whitfield", "Dahlberg", "Lindqvist", "Whitcombe", "Cole", "Crabtree",
    "Holt", "Lloyd", "O'Sullivan", "Schäfer", "Müller", "Dubois", "Rossi", "Nilsdotter",
    "Olsdotter", "Fairweather", "Blackburn", "Greenhalgh", "Thorne", "Hargreaves", "McAllister",
    "Van der Berg", "Kowalski", "Fitzgerald", "Brontë", "Haworth"};
const std::array<const char *, 20> towns = {
    "Leeds", "Bradford", "Halifax", "Wrexham", "Växjö", "Kalmar", "Minneapolis", "St. Paul",
    "Bristol", "Cork", "Mainz", "Lyon", "Genova", "Boston", "Albany", "Pittsburgh", "Preston",
    "Skipton", "Limerick", "Göteborg"};
const std::array<const char *, 14> regions = {
    "Yorkshire, England", "Denbighshire, Wales", "Småland, Sweden", "Hennepin, Minnesota",
    "Gloucestershire, England", "Co. Cork, Ireland", "Rheinhessen, Germany", "Rhône, France",
    "Liguria, Italy", "Suffolk, Massachusetts", "Albany, New York", "Allegheny, Pennsylvania",
    "Lancashire, England", "Co. Limerick, Ireland"};
const std::array<const char *, 12> months = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                              "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const std::array<const char *, 16> noteLines = {
    "Weaver at the Bank Mills.",
    "Seven children, five survived infancy.",
    "Emigration papers searched, none found.",
    "Parents unknown; check the parish registers.",
    "Census 1851: living with her widowed mother.",
    "Baptised at St. Mary's, sponsors John and Ann Holt.",
    "Marriage by banns, both signed with a mark.",
    "Sailed from Liverpool on the Ellen Austin, arrived New York.",
    "Will proved at York; estate under 100 pounds.",
    "Buried in the churchyard, grave marked by a small stone.",
    "Letter from cousin Agnes gives her maiden name as Thorne.",
    "Naturalised 1889, Hennepin County district court.",
    "Farm labourer, later a carter for the brewery.",
    "Two spellings of the surname appear in the registers.",
    "Served in the militia 1859-1864.",
    "Photograph in the family album, taken at Skipton.",
};

QString personName(Dice &d, bool male, const QString &surname)
{
    QString name = d.pick(male ? maleNames : femaleNames);
    if (d.chance(25))
        name += u' ' + d.pick(male ? maleNames : femaleNames);
    return name + u' ' + surname;
}

QString date(Dice &d, int year, int unknownPercent)
{
    if (d.chance(unknownPercent))
        return QString();
    const int form = d.below(10);
    if (form == 0)
        return QStringLiteral("ABT %1").arg(year);
    if (form == 1)
        return QString::number(year);
    return QStringLiteral("%1 %2 %3").arg(1 + d.below(28)).arg(d.pick(months)).arg(year);
}

QString place(Dice &d, int unknownPercent)
{
    if (d.chance(unknownPercent))
        return QString();
    return d.pick(towns) + QStringLiteral(", ") + d.pick(regions);
}

} // namespace

CardFields generatedCard(int index)
{
    Dice d(std::uint64_t(index) + 1);
    const QString surname = d.pick(surnames);
    const QString wifeSurname = d.pick(surnames);
    const int born = 1780 + d.below(140);
    const int wifeBorn = born + d.below(9) - 3;

    CardFields c;
    c[CardField::Name] = personName(d, true, surname);
    c[CardField::BornDate] = date(d, born, 10);
    c[CardField::BornPlace] = place(d, 20);
    c[CardField::MarriedDate] = date(d, born + 20 + d.below(15), 25);
    c[CardField::MarriedPlace] = place(d, 35);
    c[CardField::DiedDate] = date(d, born + 30 + d.below(60), 40);
    c[CardField::DiedPlace] = place(d, 50);
    c[CardField::Father] = d.chance(80) ? personName(d, true, surname) : QString();
    c[CardField::Mother] = d.chance(70) ? personName(d, false, d.pick(surnames)) : QString();
    c[CardField::WifeName] = personName(d, false, wifeSurname);
    c[CardField::WifeBornDate] = date(d, wifeBorn, 20);
    c[CardField::WifeBornPlace] = place(d, 30);
    c[CardField::WifeDiedDate] = date(d, wifeBorn + 30 + d.below(60), 45);
    c[CardField::WifeDiedPlace] = place(d, 55);
    c[CardField::WifeFather] = d.chance(65) ? personName(d, true, wifeSurname) : QString();
    c[CardField::WifeMother] = d.chance(55) ? personName(d, false, d.pick(surnames)) : QString();

    QStringList notes;
    const int lines = d.below(4); // zero to three lines
    for (int i = 0; i < lines; ++i)
        notes << d.pick(noteLines);
    c[CardField::Notes] = notes.join(QStringLiteral("\r\n"));
    return c;
}

QByteArray generatedCardFile(int count)
{
    CardStore store;
    for (int i = 0; i < count; ++i)
        store.appendCard(generatedCard(i));
    return store.cardFileBytes();
}

QByteArray hugeValueCardFile(CardField field, qsizetype size)
{
    CardFields card = generatedCard(1);
    const QString line = QStringLiteral("Baptised at St Mary's, Leeds; witnesses John Holt and Mary Pryce.");
    const QString separator = field == CardField::Notes ? QStringLiteral("\r\n") : QStringLiteral(" ");
    QString value;
    value.reserve(size + line.size() + 2);
    while (value.size() < size)
        value += line + separator;
    card[field] = value;
    CardStore store;
    store.appendCard(card);
    return store.cardFileBytes();
}

} // namespace kinfolio::bench

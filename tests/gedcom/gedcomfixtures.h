#pragma once

#include "cardfiles.h"
#include "family/cardtext.h"
#include "gedcomreader.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <vector>

namespace kinfolio::testing {

// The people and families the whole sample family exports to.
constexpr int sampleFamilyIndividuals = 27;
constexpr int sampleFamilyFamilies = 14;

// Cards that once gave invalid or lossy GEDCOM: slashes that mark no
// surname, values longer than GEDCOM allows, notes of one-letter words or
// spaces, notes that begin with '@', reversed ranges, and two cards each the
// other's parents.
inline std::vector<CardFields> hostileCards()
{
    using F = CardField;
    return {
        makeCard({{F::Name, "a/b"}, {F::WifeName, "/"}, {F::Notes, "@ at @@ sign"}}),
        makeCard({{F::Name, "Name / with / slashes /"}, {F::WifeName, "Mary /" + QString(130, u'L') + "/"},
                  {F::Notes, "@N1@"}}),
        makeCard({{F::Name, QStringLiteral("Given ").repeated(30) + "Last"},
                  {F::BornDate, "in the great war of the eighteen hundreds"},
                  {F::BornPlace, QString(130, QChar(0x20AC))},
                  {F::MarriedDate, "between 29 September 1699/00 and 30 September 1700/01"},
                  {F::Notes, QStringLiteral("a ").repeated(300) + QString(600, u' ') + "end"}}),
        makeCard({{F::Name, "Reversed"}, {F::BornDate, "between 1860 and 1850"}, {F::DiedDate, "FROM 1900 TO 1899"},
                  {F::MarriedDate, "BET MAR 1850 AND 1850"}}),
        makeCard({{F::Name, "Adam Loop"}, {F::WifeName, "Eve Loop"}, {F::Father, "Cain Loop"}, {F::Mother, "Awan Loop"}}),
        makeCard({{F::Name, "Cain Loop"}, {F::WifeName, "Awan Loop"}, {F::Father, "Adam Loop"}, {F::Mother, "Eve Loop"}}),
    };
}

// Cards at random from values that have broken the round trip: names with
// and without slashes, in other scripts, with C1 control characters and runs
// of spaces; dates of every kind; children of earlier couples, and the same
// person on several cards.
inline std::vector<CardFields> generatedCards(quint32 seed, int count = 40)
{
    QRandomGenerator random(seed);
    const QStringList names = {"Jonas Ashworth", "Mary Ann Holt", QStringLiteral("\u00c9douard"), "Mary //",
                               "Jan /van der Berg/ Jr.", "Maria /Cruz/ /Garcia/", "a/b", "  Ewa   Nowak ",
                               QStringLiteral("\u0141ucja Wa\u0142\u0119sa"), QStringLiteral("\u0410\u043d\u043d\u0430"),
                               QStringLiteral("Karl\u0085Berg"), QStringLiteral("Olof \u0081Berg"), ""};
    const QStringList dates = {"12 MAR 1850", "about 1850", "@#DJULIAN@ 1 MAR 1699/00", "INT 1850 (in  the census)",
                               "in  the   war", "(a  phrase)", "between 1860 and 1850", "12 March 50",
                               QStringLiteral("\u0085 1850"), "", ""};
    const QStringList places = {"Leeds,  Yorkshire", QStringLiteral("\u0141\u00f3d\u017a"), QStringLiteral("a\u0085b"), ""};
    const QStringList notes = {"", "Line one\r\nline two", "  spaced   note  ", "@ at sign", QStringLiteral("x\u0081y\u0085"),
                               QStringLiteral("\u0011\u0085")};
    const auto pick = [&random](const QStringList &from) { return from.at(int(random.bounded(from.size()))); };
    std::vector<CardFields> cards;
    for (int i = 0; i < count; ++i) {
        CardFields card;
        for (int f = 0; f < CardFieldCount; ++f) {
            const QString label = CardText::fieldInWords(CardField(f));
            card[f] = pick(label.endsWith("date") ? dates : label.endsWith("place") ? places
                           : f == int(CardField::Notes)   ? notes
                                                          : names);
        }
        const CardFields earlier = cards.empty() ? card : cards[random.bounded(quint32(cards.size()))];
        if (random.bounded(2)) {
            card[CardField::WifeFather] = earlier[CardField::Name];
            card[CardField::WifeMother] = earlier[CardField::WifeName];
        }
        if (random.bounded(4) == 0)
            CardText::setSpouseFacts(card, Spouse::Husband, CardText::spouseFacts(earlier, Spouse::Husband));
        cards.push_back(card);
    }
    return cards;
}

// A GEDCOM file the export wrote, read back with the product's reader and
// walked by tag and by link as a reader of the file walks it.
class WrittenGedcom
{
public:
    // One line and the lines under it. A line that is not there reads as
    // "<none>", and so does everything under it.
    struct Line
    {
        const Gedcom::GedcomFile *file = nullptr;
        qsizetype at = -1;

        explicit operator bool() const { return at >= 0; }
        QString tag() const { return at >= 0 ? file->at(at).tag : QStringLiteral("<none>"); }
        QString xref() const { return at >= 0 ? file->at(at).xref : QStringLiteral("<none>"); }
        QString value() const { return at >= 0 ? file->at(at).value : QStringLiteral("<none>"); }
        Line child(QStringView tag) const { return {file, at >= 0 ? file->child(at, tag) : -1}; }
        QString childValue(QStringView tag) const { return child(tag).value(); }
        QString childValue(QStringView tag, QStringView sub) const { return child(tag).childValue(sub); }
        // The tags of the lines directly under it, or their values for one tag.
        QStringList childTags() const { return children({}); }
        QStringList childValues(QStringView tag) const { return children(tag); }

    private:
        QStringList children(QStringView tag) const
        {
            QStringList out;
            for (qsizetype c : at >= 0 ? file->children(at) : std::vector<qsizetype>()) {
                if (tag.isEmpty() || file->at(c).tag == tag)
                    out << (tag.isEmpty() ? file->at(c).tag : file->at(c).value);
            }
            return out;
        }
    };

    explicit WrittenGedcom(const QByteArray &bytes)
    {
        if (const kinfolio::Result<> read = m_file.read(bytes); !read) {
            problem = read.error();
            return;
        }
        problem = m_file.warnings().join(u'\n');
        // The lines GEDCOM allows: CR LF at their end, 255 bytes at most with it.
        for (const QByteArray &line : bytes.chopped(bytes.endsWith('\n') ? 1 : 0).split('\n')) {
            if (line.indexOf('\r') != line.size() - 1 || line.size() + 1 > 255)
                problem += QStringLiteral("\nbad line: ") + QString::fromUtf8(line);
        }
    }

    WrittenGedcom(const WrittenGedcom &) = delete;
    WrittenGedcom &operator=(const WrittenGedcom &) = delete;

    QString problem; // empty when the file reads without a warning

    const Gedcom::GedcomFile &read() const { return m_file; }
    Line header() const { return {&m_file, 0}; }
    Line record(const QString &xref) const { return {&m_file, m_file.record(xref)}; }
    QStringList recordTags() const { return records({}).tags; }
    std::vector<Line> all(const QString &tag) const { return records(tag).lines; }

    // The individual of this NAME; none when there is none or there are several.
    Line person(const QString &gedcomName) const
    {
        std::vector<Line> found;
        for (const Line &p : all(QStringLiteral("INDI"))) {
            if (p.childValue(u"NAME") == gedcomName)
                found.push_back(p);
        }
        return found.size() == 1 ? found.front() : Line{};
    }
    // The family a person is a child of, and a person's name by link.
    Line parentsOf(const Line &person) const { return record(person.childValue(u"FAMC")); }
    QString nameOf(const QString &xref) const { return record(xref).childValue(u"NAME"); }

private:
    struct Records
    {
        std::vector<Line> lines;
        QStringList tags;
    };
    Records records(const QString &tag) const
    {
        Records out;
        for (qsizetype i = 0; i < m_file.lineCount(); i = m_file.end(i)) {
            if (tag.isEmpty() || m_file.tag(i) == tag) {
                out.lines.push_back({&m_file, i});
                out.tags << m_file.tag(i);
            }
        }
        return out;
    }

    Gedcom::GedcomFile m_file;
};

} // namespace kinfolio::testing

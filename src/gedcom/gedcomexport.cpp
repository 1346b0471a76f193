#include "gedcomexport.h"

#include "session/cardfileread.h"
#include "family/cardlinks.h"
#include "format/cardstore.h"
#include "family/cardtext.h"
#include "format/filekind.h"
#include "gedcomlines.h"
#include "gedcomvalues.h"
#include "files/safefile.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

namespace kinfolio::Gedcom {

namespace {

struct Event
{
    QString date;  // the DATE value, converted from the card
    QString place; // the card's place on one line
};

// A family that took a child in without giving birth to them.
struct OtherParents
{
    int family = 0;
    QString fatherRelation, motherRelation;
};

struct Individual
{
    QString name;
    char sex = 'U';
    Event birth;
    Event death;
    int childOf = 0;
    std::vector<OtherParents> others;
    std::vector<int> spouseOf;
    QString notes; // the notes of a card that shows the person alone
};

struct Family
{
    int husband = 0;
    int wife = 0;
    std::vector<int> children;
    std::vector<std::pair<int, OtherParents>> othersChildren; // the child, and how
    Event marriage;
    QString notes;
};

char sexOf(Spouse spouse)
{
    return spouse == Spouse::Husband ? 'M' : 'F';
}

char sexLetter(Sex sex)
{
    return sex == Sex::Male ? 'M' : sex == Sex::Female ? 'F' : 'U';
}

QString individualId(int n)
{
    return QStringLiteral("@I%1@").arg(n);
}

QString familyId(int n)
{
    return QStringLiteral("@F%1@").arg(n);
}

QString noteId(size_t n)
{
    return QStringLiteral("@N%1@").arg(n);
}

const QString submitterId = QStringLiteral("@U1@");

// The room for each limited value on its line.
const qsizetype nameRoom = LineWriter::valueRoom(1, QStringLiteral("NAME"));
const qsizetype dateRoom = LineWriter::valueRoom(2, QStringLiteral("DATE"));
const qsizetype placeRoom = LineWriter::valueRoom(2, QStringLiteral("PLAC"));

constexpr Spouse bothSides[] = {Spouse::Husband, Spouse::Wife};

// The records follow the people and couples of CardLinks: an individual for
// each person, then a family for each card that is not empty and does not
// show its person alone, then the families of parents whom no card holds.
class Builder
{
public:
    explicit Builder(const std::vector<CardFields> &cards)
        : m_cards(cards)
        , m_links(cards)
        , m_individualOf(size_t(m_links.personCount()))
        , m_familyOf(cards.size())
        , m_namedFamily(size_t(m_links.namedParentsCount()))
        , m_onlyParents(cards.size())
        , m_notes(cards.size())
        , m_sex(size_t(m_links.personCount()), 0)
        , m_others(size_t(m_links.personCount()))
    {
        findOnlyParents();
        for (size_t i = 0; i < cards.size(); ++i)
            readFacts(i);
        for (int p = 0; p < m_links.personCount(); ++p)
            placePerson(p);
        for (size_t i = 0; i < cards.size(); ++i)
            placeCard(i);
        for (int p = 0; p < m_links.personCount(); ++p)
            placeParents(p);
        for (int p = 0; p < m_links.personCount(); ++p)
            placeOtherParents(p);
        for (const CardLinks::LeftOut &left : m_links.leftOut()) {
            m_warnings << QStringLiteral("card %1: the %2's parents are the couple of card %3, who are among his "
                                         "or her own descendants; that link is left out")
                              .arg(left.card + 1)
                              .arg(left.spouse == Spouse::Husband ? QStringLiteral("husband") : QStringLiteral("wife"))
                              .arg(left.parentsCard + 1);
        }
    }

    QByteArray write(const Progress &progress) const;
    ExportCounts counts() const { return {int(m_families.size()), int(m_people.size()), m_warnings}; }

private:
    int addPerson(const QString &name, char sex)
    {
        Individual p;
        p.name = name;
        p.sex = sex;
        m_people.push_back(std::move(p));
        return int(m_people.size());
    }

    int addFamily()
    {
        m_families.emplace_back();
        return int(m_families.size());
    }

    Individual &individual(int id) { return m_people[size_t(id - 1)]; }
    Family &family(int id) { return m_families[size_t(id - 1)]; }

    void findOnlyParents();
    void readFacts(size_t i);
    void placePerson(int person);
    void placeOtherParents(int person);
    void placeCard(size_t i);
    void placeParents(int person);
    int addParents(size_t i, const SpouseFields &side);
    Event eventOf(size_t i, CardField date, CardField place);
    void checkLength(size_t i, CardField field, Limited kind, const QString &value, qsizetype room);
    void warn(size_t i, CardField field, const QString &what);

    // The notes that begin with '@', written as records after the families.
    using NoteRecords = std::vector<QString>;
    void writeNote(LineWriter &w, int level, const QString &text, NoteRecords &records) const;
    void writeName(LineWriter &w, const QString &name, NoteRecords &records) const;
    void writeEvent(LineWriter &w, const char *tag, const Event &e, NoteRecords &records) const;

    const std::vector<CardFields> &m_cards;
    const CardLinks m_links;
    std::vector<int> m_individualOf; // per person of m_links
    std::vector<int> m_familyOf;     // per card, 0 for none
    std::vector<int> m_namedFamily;  // per named couple of parents, 0 until made
    std::vector<bool> m_onlyParents; // per card: it names nothing but parents (see findOnlyParents)
    std::vector<QString> m_notes;    // per card: the notes less the facts read from their head
    std::vector<char> m_sex;         // per person: 'M', 'F', 'U', or 0 for what the side says
    // Per person: the card of each couple that took them in, and how.
    std::vector<std::vector<std::pair<int, ParentsLine>>> m_others;
    QHash<QString, int> m_coupleCards; // "Carl Holm and Dora Holm", "Carl Holm": a card, or -1 for several
    std::vector<Individual> m_people;
    std::vector<Family> m_families;
    QStringList m_warnings;
};

// A card that holds nothing but the names of a couple, who stand on no other
// card, and that has children is what parents named on other cards become
// on the way in from GEDCOM. It is written as such parents are (an individual
// of each name and a family of them and the children, where the first child
// is placed), so that the export reads back to the same bytes.
void Builder::findOnlyParents()
{
    std::vector<int> places(size_t(m_links.personCount()));
    for (size_t i = 0; i < m_cards.size(); ++i) {
        for (Spouse spouse : bothSides) {
            if (m_links.person(int(i), spouse) >= 0)
                ++places[size_t(m_links.person(int(i), spouse))];
        }
    }
    for (size_t i = 0; i < m_cards.size(); ++i) {
        const CardFields &card = m_cards[i];
        bool only = !m_links.children(int(i)).empty() && isBlank(card[CardField::MarriedDate])
                    && isBlank(card[CardField::MarriedPlace]) && isBlank(card[CardField::Notes]);
        for (Spouse spouse : bothSides) {
            CardText::SpouseFacts facts = CardText::spouseFacts(card, spouse);
            facts.name.clear();
            const int person = m_links.person(int(i), spouse);
            only = only && !facts.tellsAnything() && (person < 0 || places[size_t(person)] == 1);
        }
        m_onlyParents[i] = only;
    }
}

namespace {
// How the notes name a couple, and how the couple cards are found by name:
// "Carl Holm and Dora Holm", or the one name a card gives.
QString coupleNames(const QString &father, const QString &mother)
{
    return isBlank(mother) ? father : isBlank(father) ? mother : father + QStringLiteral(" and ") + mother;
}
} // namespace

// The lines at the head of a card's notes that tell what its fields cannot
// (see parentsLine and sexLine) become the person's sex and the families that
// took them in. A line of parents whose couple no single card holds stays in
// the notes, as does everything after the first line of another kind.
void Builder::readFacts(size_t i)
{
    const CardFields &card = m_cards[i];
    if (m_coupleCards.isEmpty()) {
        for (size_t k = 0; k < m_cards.size(); ++k) {
            const QString husband = m_cards[k][CardField::Name], wife = m_cards[k][CardField::WifeName];
            if (m_links.standsAlone(int(k)) || (isBlank(husband) && isBlank(wife)))
                continue;
            const QString key = coupleNames(husband, wife);
            m_coupleCards.insert(key, m_coupleCards.contains(key) ? -1 : int(k));
        }
        m_coupleCards.insert(QString(), -1);
    }
    QStringList lines = card[CardField::Notes].split(QStringLiteral("\r\n"));
    qsizetype head = 0, kept = 0;
    for (; head < lines.size(); ++head) {
        bool fact = false;
        for (Spouse side : bothSides) {
            const int person = m_links.person(int(i), side);
            const Spouse other = side == Spouse::Husband ? Spouse::Wife : Spouse::Husband;
            const QString subject = subjectOf(card[spouseFields(side).name], card[spouseFields(other).name], side);
            Sex sex = Sex::Unknown;
            ParentsLine parents;
            if (person >= 0 && readSexLine(lines.at(head), subject, sex)) {
                if (!m_sex[size_t(person)])
                    m_sex[size_t(person)] = sexLetter(sex);
                fact = true;
            } else if (person >= 0 && readParentsLine(lines.at(head), subject, parents)) {
                const QString names = parents.mother.isEmpty()
                                          ? parents.father
                                          : parents.father + QStringLiteral(" and ") + parents.mother;
                // Not a family the person heads, nor the one they were born
                // to, nor one of the same names as their parents by birth:
                // there is no telling which of the two the words mean.
                const int couple = m_coupleCards.value(names, -1);
                const CardLinks::Child at = m_links.firstPlace(person);
                const CardFields &born = m_cards[size_t(at.card)];
                const bool husband = at.spouse == Spouse::Husband;
                const QString birthNames = coupleNames(born[husband ? CardField::Father : CardField::WifeFather],
                                                       born[husband ? CardField::Mother : CardField::WifeMother]);
                if (couple >= 0 && m_links.person(couple, Spouse::Husband) != person
                    && m_links.person(couple, Spouse::Wife) != person
                    && m_links.parentsCard(at.card, at.spouse) != couple && names != birthNames) {
                    auto &others = m_others[size_t(person)];
                    const auto same = [couple](const auto &o) { return o.first == couple; };
                    if (std::none_of(others.begin(), others.end(), same))
                        others.push_back({couple, parents});
                } else {
                    lines[kept++] = lines.at(head); // no telling which family: the words stay
                }
                fact = true;
            }
            if (fact)
                break;
        }
        if (!fact)
            break;
    }
    // The empty line after the facts goes with them, unless some stay.
    if (head > 0 && kept == 0 && head < lines.size() && lines.at(head).isEmpty())
        ++head;
    lines.erase(lines.begin() + kept, lines.begin() + head);
    m_notes[i] = head == 0 ? card[CardField::Notes] : lines.join(QStringLiteral("\r\n"));
}

void Builder::placeOtherParents(int person)
{
    const int child = m_individualOf[size_t(person)];
    for (const auto &[card, parents] : m_others[size_t(person)]) {
        const int family = m_familyOf[size_t(card)];
        if (!family || family == individual(child).childOf)
            continue;
        const OtherParents other{family, parents.fatherRelation, parents.motherRelation};
        individual(child).others.push_back(other);
        this->family(family).othersChildren.push_back({child, other});
    }
}

void Builder::placePerson(int person)
{
    const CardLinks::Child at = m_links.firstPlace(person);
    const size_t i = size_t(at.card);
    if (m_onlyParents[i])
        return; // made with the parents' family
    const SpouseFields &side = spouseFields(at.spouse);
    const char sex = m_sex[size_t(person)];
    const int id = addPerson(m_cards[i][side.name], sex ? sex : sexOf(at.spouse));
    checkLength(i, side.name, Limited::Name, personalName(m_cards[i][side.name]), nameRoom);
    individual(id).birth = eventOf(i, side.bornDate, side.bornPlace);
    individual(id).death = eventOf(i, side.diedDate, side.diedPlace);
    m_individualOf[size_t(person)] = id;
}

void Builder::placeCard(size_t i)
{
    const CardFields &card = m_cards[i];
    const bool notes = !isBlank(m_notes[i]);
    if (m_onlyParents[i])
        return; // made with the first child's parents
    if (m_links.standsAlone(int(i))) {
        for (Spouse spouse : bothSides) {
            const int person = m_links.person(int(i), spouse);
            if (person >= 0 && notes)
                individual(m_individualOf[size_t(person)]).notes = m_notes[i];
        }
        return;
    }
    const bool people = m_links.person(int(i), Spouse::Husband) >= 0 || m_links.person(int(i), Spouse::Wife) >= 0;
    const bool marriage = !isBlank(card[CardField::MarriedDate]) || !isBlank(card[CardField::MarriedPlace]);
    if (!people && !marriage && !notes)
        return; // an empty card has nothing to export

    const int id = addFamily();
    m_familyOf[i] = id;
    family(id).marriage = eventOf(i, CardField::MarriedDate, CardField::MarriedPlace);
    if (notes)
        family(id).notes = m_notes[i];
    const bool one = m_links.person(int(i), Spouse::Husband) < 0 || m_links.person(int(i), Spouse::Wife) < 0;
    for (Spouse spouse : bothSides) {
        const int person = m_links.person(int(i), spouse);
        if (person < 0)
            continue;
        const int spouseId = m_individualOf[size_t(person)];
        individual(spouseId).spouseOf.push_back(id);
        // A family of one person has them as HUSB, or as WIFE when a woman,
        // whichever side of the card they stand on: the import puts them
        // back on the side of their sex.
        const bool husband = one ? individual(spouseId).sex != 'F' : spouse == Spouse::Husband;
        (husband ? family(id).husband : family(id).wife) = spouseId;
    }
}

void Builder::placeParents(int person)
{
    const CardLinks::Child at = m_links.firstPlace(person);
    const size_t i = size_t(at.card);
    const SpouseFields &side = spouseFields(at.spouse);
    if (isBlank(m_cards[i][side.father]) && isBlank(m_cards[i][side.mother]))
        return;

    // The parents are the couple of another card, or a couple named alike
    // on several cards, or else (several cards hold a couple of those
    // names, and none can be chosen) a family of this child alone.
    int parents = 0;
    const int parentsCard = m_links.parentsCard(at.card, at.spouse);
    const int named = m_links.namedParents(at.card, at.spouse);
    if (parentsCard >= 0) {
        int &family = m_familyOf[size_t(parentsCard)];
        if (!family)
            family = addParents(i, side); // a card of nothing but the parents' names
        parents = family;
    } else if (named >= 0) {
        int &shared = m_namedFamily[size_t(named)];
        if (!shared)
            shared = addParents(i, side);
        parents = shared;
    } else {
        parents = addParents(i, side);
    }
    const int child = m_individualOf[size_t(person)];
    family(parents).children.push_back(child);
    individual(child).childOf = parents;
}

int Builder::addParents(size_t i, const SpouseFields &side)
{
    const int parents = addFamily();
    const QString &father = m_cards[i][side.father];
    const QString &mother = m_cards[i][side.mother];
    checkLength(i, side.father, Limited::Name, personalName(father), nameRoom);
    checkLength(i, side.mother, Limited::Name, personalName(mother), nameRoom);
    if (!isBlank(father)) {
        const int id = addPerson(father, 'M');
        individual(id).spouseOf.push_back(parents);
        family(parents).husband = id;
    }
    if (!isBlank(mother)) {
        const int id = addPerson(mother, 'F');
        individual(id).spouseOf.push_back(parents);
        family(parents).wife = id;
    }
    return parents;
}

Event Builder::eventOf(size_t i, CardField dateField, CardField placeField)
{
    bool reversed = false;
    const Event e{date(m_cards[i][dateField], &reversed), CardText::oneLine(m_cards[i][placeField])};
    if (reversed)
        warn(i, dateField, QStringLiteral("is a range that ends before it begins; it is written as a date phrase"));
    checkLength(i, dateField, Limited::Date, e.date, dateRoom);
    checkLength(i, placeField, Limited::Place, e.place, placeRoom);
    return e;
}

void Builder::checkLength(size_t i, CardField field, Limited kind, const QString &value, qsizetype room)
{
    if (shortened(kind, value, room) != value)
        warn(i, field, QStringLiteral("is longer than GEDCOM allows there (%1 characters); it is shortened, "
                                      "and written whole in a note")
                           .arg(maxCharacters(kind)));
}

void Builder::warn(size_t i, CardField field, const QString &what)
{
    m_warnings << QStringLiteral("card %1: the %2 %3").arg(i + 1).arg(CardText::fieldInWords(field), what);
}

void Builder::writeNote(LineWriter &w, int level, const QString &text, NoteRecords &records) const
{
    // Readers may take a note value that begins with '@' for a link to a
    // record (Gramps does when it ends with one too) and lose its text; the
    // text of a note record is never taken so.
    if (text.startsWith(u'@')) {
        records.push_back(text);
        w.pointer(level, QStringLiteral("NOTE"), noteId(records.size()));
    } else {
        w.text(level, QStringLiteral("NOTE"), text);
    }
}

void Builder::writeName(LineWriter &w, const QString &name, NoteRecords &records) const
{
    const QString value = shortened(Limited::Name, name, nameRoom);
    w.line(1, QStringLiteral("NAME"), value);
    if (value != name)
        writeNote(w, 2, name, records);
}

void Builder::writeEvent(LineWriter &w, const char *tag, const Event &e, NoteRecords &records) const
{
    if (e.date.isEmpty() && e.place.isEmpty())
        return;
    w.line(1, QLatin1String(tag));
    const QString d = shortened(Limited::Date, e.date, dateRoom);
    if (!d.isEmpty())
        w.date(2, d);
    if (!e.place.isEmpty()) {
        const QString place = shortened(Limited::Place, e.place, placeRoom);
        w.line(2, QStringLiteral("PLAC"), place);
        if (place != e.place)
            writeNote(w, 3, e.place, records);
    }
    if (d != e.date)
        writeNote(w, 2, e.date, records);
}

QByteArray Builder::write(const Progress &progress) const
{
    const qint64 records = qint64(m_people.size() + m_families.size());
    LineWriter w;
    w.line(0, QStringLiteral("HEAD"));
    w.line(1, QStringLiteral("SOUR"), QStringLiteral("kinfolio-gedcom"));
    w.line(2, QStringLiteral("VERS"), QStringLiteral(KINFOLIO_GEDCOM_VERSION));
    w.line(2, QStringLiteral("NAME"), QStringLiteral("Kinfolio"));
    w.pointer(1, QStringLiteral("SUBM"), submitterId);
    w.line(1, QStringLiteral("GEDC"));
    w.line(2, QStringLiteral("VERS"), QStringLiteral("5.5.1"));
    w.line(2, QStringLiteral("FORM"), QStringLiteral("LINEAGE-LINKED"));
    w.line(1, QStringLiteral("CHAR"), QStringLiteral("UTF-8"));
    w.record(submitterId, QStringLiteral("SUBM"));
    w.line(1, QStringLiteral("NAME"), QStringLiteral("Kinfolio user"));

    NoteRecords notes;

    for (size_t n = 0; n < m_people.size(); ++n) {
        if (progress && (n & 0x3FF) == 0)
            progress(qint64(n), records);
        const Individual &p = m_people[n];
        w.record(individualId(int(n + 1)), QStringLiteral("INDI"));
        const QString name = personalName(p.name);
        if (!name.isEmpty())
            writeName(w, name, notes);
        w.line(1, QStringLiteral("SEX"), QString(QLatin1Char(p.sex)));
        writeEvent(w, "BIRT", p.birth, notes);
        writeEvent(w, "DEAT", p.death, notes);
        if (p.childOf)
            w.pointer(1, QStringLiteral("FAMC"), familyId(p.childOf));
        for (const OtherParents &other : p.others) {
            w.pointer(1, QStringLiteral("FAMC"), familyId(other.family));
            // PEDI says one word for both parents; where they differ, the
            // family's CHIL says each.
            if (other.fatherRelation == other.motherRelation)
                w.line(2, QStringLiteral("PEDI"), other.fatherRelation);
        }
        for (int f : p.spouseOf)
            w.pointer(1, QStringLiteral("FAMS"), familyId(f));
        if (!p.notes.isEmpty())
            writeNote(w, 1, CardText::multiLine(p.notes), notes);
    }

    for (size_t n = 0; n < m_families.size(); ++n) {
        if (progress && (n & 0x3FF) == 0)
            progress(qint64(m_people.size() + n), records);
        const Family &f = m_families[n];
        w.record(familyId(int(n + 1)), QStringLiteral("FAM"));
        if (f.husband)
            w.pointer(1, QStringLiteral("HUSB"), individualId(f.husband));
        if (f.wife)
            w.pointer(1, QStringLiteral("WIFE"), individualId(f.wife));
        for (int c : f.children)
            w.pointer(1, QStringLiteral("CHIL"), individualId(c));
        for (const auto &[child, other] : f.othersChildren) {
            w.pointer(1, QStringLiteral("CHIL"), individualId(child));
            if (other.fatherRelation != other.motherRelation) {
                w.line(2, QStringLiteral("_FREL"), other.fatherRelation.isEmpty() ? QStringLiteral("Birth")
                                                                                  : other.fatherRelation);
                w.line(2, QStringLiteral("_MREL"), other.motherRelation.isEmpty() ? QStringLiteral("Birth")
                                                                                  : other.motherRelation);
            }
        }
        writeEvent(w, "MARR", f.marriage, notes);
        if (!f.notes.isEmpty())
            writeNote(w, 1, CardText::multiLine(f.notes), notes);
    }

    for (size_t n = 0; n < notes.size(); ++n)
        w.text(0, QStringLiteral("NOTE"), notes[n], noteId(n + 1));
    w.line(0, QStringLiteral("TRLR"));
    return w.bytes();
}

} // namespace

QByteArray fromCards(const std::vector<CardFields> &cards, ExportCounts *counts, const Progress &progress)
{
    // Text goes out composed (NFC), as the card file stores it, and control
    // characters as the spaces they are written as, so that what is blank is
    // judged on what is written and what the import brings back is the same.
    std::vector<CardFields> written = cards;
    for (CardFields &card : written) {
        for (QString &text : card.texts)
            text = CardText::multiLine(text.normalized(QString::NormalizationForm_C));
    }
    const Builder builder(written);
    if (counts)
        *counts = builder.counts();
    return builder.write(progress);
}

Result<ExportCounts> exportCardFile(const QString &cardFile, const QString &gedcomFile, const Progress &progress)
{
    const Result<CardFileContents> read = readCardFile(cardFile);
    if (!read)
        return Failure{read.error()};

    // Writing over the card file would replace the cards with their export.
    if (isSameFile(gedcomFile, cardFile))
        return Failure{QStringLiteral("%1 is the card file itself; name another file for the GEDCOM output")
                           .arg(gedcomFile)};
    if (const std::optional<QString> refusal = outputRefusal(gedcomFile, FileKind::Gedcom))
        return Failure{*refusal};

    ExportCounts made;
    const QByteArray bytes = fromCards(read->cards, &made, progress);
    made.warnings = read->notes + made.warnings;
    if (const Result<> written = writeFileSafely(gedcomFile, bytes); !written)
        return Failure{QStringLiteral("%1 could not be written: %2").arg(gedcomFile, written.error())};
    return made;
}

} // namespace kinfolio::Gedcom

#include "gedcomimport.h"

#include "family/ancestorwalk.h"
#include "format/ansitext.h"
#include "session/cardfilesession.h"
#include "session/cardfileread.h"
#include "family/cardlinks.h"
#include "format/cardstore.h"
#include "family/cardtext.h"
#include "format/filekind.h"
#include "gedcomexport.h"
#include "gedcomlines.h"
#include "gedcomreader.h"
#include "gedcomvalues.h"
#include "files/safefile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

namespace kinfolio::Gedcom {

namespace {

// How a child stands to one parent of a family, as PEDI, ADOP, _FREL or _MREL
// say: empty for birth, or else the word of the file ("adopted", "foster").
// A word that says nobody knows is birth, as a relation not given is.
QString relationOf(const QString &value)
{
    const QString v = CardText::oneLine(value); // as the export writes it back
    static const QSet<QString> birth{"", "birth", "natural", "biological", "unknown"};
    return birth.contains(v.toLower()) ? QString() : v;
}

// The words of relations a file uses, each kept once: a relation is its
// index, 0 for birth. A tree of many thousand children holds a few words.
class RelationWords
{
public:
    quint16 of(const QString &word)
    {
        const qsizetype at = m_words.indexOf(word);
        if (at >= 0 || m_words.size() > 0xFFFF)
            return quint16(std::max<qsizetype>(at, 0));
        m_words << word;
        return quint16(m_words.size() - 1);
    }
    const QString &text(quint16 relation) const { return m_words.at(relation); }

private:
    QStringList m_words{QString()};
};

// A family a person is a child of, and how they stand to its two parents.
struct ParentFamily
{
    int family = -1;
    quint16 fatherRelation = 0, motherRelation = 0; // RelationWords
    qint32 famc = -1; // the person's FAMC line, or -1 where only the family lists them

    bool isBirth() const { return fatherRelation == 0 && motherRelation == 0; }
};

// The link to `family` among `links`, added as a link of birth when missing.
ParentFamily &linkTo(std::vector<ParentFamily> &links, int family)
{
    const auto found =
        std::find_if(links.begin(), links.end(), [family](const ParentFamily &l) { return l.family == family; });
    if (found != links.end())
        return *found;
    links.push_back({family, 0, 0, -1});
    return links.back();
}

// A record of the file, with any second record of the same cross-reference
// (some services write each person twice: the full record, then a stub of
// its family links), read as one.
struct Record
{
    QString xref;
    qint32 line = 0; // the first; PeopleReader::m_more has the others
};

struct Person : Record
{
    // As SEX says; without one, as the side of the card says. Beside the
    // record's line, where the struct has room: a large tree holds many.
    std::optional<Sex> sex;
    QString name; // as the card holds it
    QString bornDate, bornPlace, diedDate, diedPlace;
    QStringList notes;
    std::vector<ParentFamily> parents; // as the file links them, by birth or not
    int childOf = -1;                  // the family of birth
    int spouseIn = 0; // the families they are a spouse in
    bool onlyName = true; // nothing a card holds but the name
};

struct Family : Record
{
    int lineNumber = 0;
    int husband = -1, wife = -1;
    struct Listed
    {
        int person;
        quint16 fatherRelation, motherRelation; // _FREL and _MREL, as RelationWords
    };
    std::vector<Listed> listed;  // CHIL
    std::vector<int> children;   // born to it
    bool othersChildren = false; // adopted, fostered or otherwise not born to it
    QString marriedDate, marriedPlace;
    QStringList notes;
};

// Structures that only restate what the cards hold, or keep the file's books.
bool restates(const QString &tag)
{
    static const QSet<QString> tags{"CHAN", "RIN", "TYPE", "GIVN", "SURN", "NPFX", "SPFX", "NSFX"};
    return tags.contains(tag);
}

Sex sexOf(const QString &value)
{
    const QString v = value.trimmed().toUpper();
    return v.startsWith(u'M') ? Sex::Male : v.startsWith(u'F') ? Sex::Female : Sex::Unknown;
}

Sex sexOf(Spouse side)
{
    return side == Spouse::Husband ? Sex::Male : Sex::Female;
}

// The people and families of a file, linked by their indexes: all that the
// cards need, so that the file can go before they are made.
struct People
{
    std::vector<Person> people;
    std::vector<Family> families;
    RelationWords relations;
};

// Reads the people and families out of a GEDCOM file: who is whose spouse
// and child, by birth or not, their names, events and notes. What the cards
// cannot hold is counted, and what the file says in a way it may not mean
// is warned of.
class PeopleReader
{
public:
    PeopleReader(const GedcomFile &file, ImportCounts &counts);
    People read(const Progress &progress);

private:
    void readFamily(Family &f);
    void readPerson(Person &p);
    void readAdoption(qsizetype event, Person &p);
    void readEvent(qsizetype event, QString &date, QString &place);
    void settleParents(int person);
    void placeOneParentBySex();
    QString noteText(qsizetype note);
    QString restored(qsizetype line, Limited kind, qsizetype noteOwner, qsizetype &fromNote);
    void leaveOutChildren(qsizetype line, qsizetype except);
    // The records of people and families in file order: their first lines, and their indexes.
    using RecordIndex = std::vector<std::pair<qsizetype, int>>;
    static int indexOf(const RecordIndex &index, qsizetype record);
    int pointee(qsizetype line, const RecordIndex &index, const char *what);
    void leaveOut(qsizetype line) { ++m_counts.leftOut[m_file.tag(line)]; }
    void warnOfLoops();
    std::vector<qsizetype> childrenOf(const Record &r) const;

    const GedcomFile &m_file;
    ImportCounts &m_counts;
    std::vector<Person> m_people;
    std::vector<Family> m_families;
    RelationWords m_relations;
    RecordIndex m_personAt, m_familyAt;
    QSet<qsizetype> m_notesUsed;
    std::vector<qsizetype> m_noteRecords;
    QSet<QString> m_places;
    std::map<qsizetype, std::vector<qsizetype>> m_more; // a record's second records, by its first line
};

// Builds the cards of the people and families read: a card for each family
// and for each person who is a spouse in none, with what the fields cannot
// tell in the notes. Counts the cards and the records no card shows.
class CardBuilder
{
public:
    CardBuilder(People read, ImportCounts &counts);
    std::vector<CardFields> cards();

private:
    QString parentsInWords(const QString &subject, const ParentFamily &link) const;
    bool isParentsOnly(int family) const;
    bool hasNamedParent(const Family &f) const;
    void keepApart(std::vector<CardFields> &cards, const std::vector<int> &personCardOwners,
                   std::vector<bool> &dropped);
    void addNotes(QStringList &notes, int person, const QString &heading);
    void addFacts(QStringList &facts, int person, Spouse side, int other);
    void tellSiblings();

    ImportCounts &m_counts;
    std::vector<Person> m_people;
    std::vector<Family> m_families;
    RelationWords m_relations;
    std::vector<bool> m_notesPlaced;
    std::vector<bool> m_shown; // on a card, or named on one as a parent
};

PeopleReader::PeopleReader(const GedcomFile &file, ImportCounts &counts)
    : m_file(file)
    , m_counts(counts)
{
}

People PeopleReader::read(const Progress &progress)
{
    size_t people = 0, families = 0;
    for (qsizetype i = 0; i < m_file.lineCount(); i = m_file.end(i)) {
        people += m_file.tag(i) == QLatin1String("INDI");
        families += m_file.tag(i) == QLatin1String("FAM");
    }
    m_people.reserve(people);
    m_families.reserve(families);
    m_personAt.reserve(people);
    m_familyAt.reserve(families);
    for (qsizetype i = 0; i < m_file.lineCount(); i = m_file.end(i)) {
        const QString &tag = m_file.tag(i);
        const QString xref = m_file.xref(i);
        qsizetype first = xref.isEmpty() ? -1 : m_file.record(xref);
        if (first < 0)
            first = i;
        const bool person = tag == QLatin1String("INDI"), family = tag == QLatin1String("FAM");
        if (first != i) {
            const bool merged = (person || family) && m_file.tag(first) == tag;
            m_counts.warnings << QStringLiteral("line %1: a second record %2 (the first is on line %3); %4")
                                     .arg(m_file.lineNumber(i))
                                     .arg(xref)
                                     .arg(m_file.lineNumber(first))
                                     .arg(merged ? QStringLiteral("what it holds is read as part of the first")
                                                 : QStringLiteral("links to %1 go to the first, and this one is "
                                                                  "left out")
                                                       .arg(xref));
            if (merged)
                m_more[first].push_back(i);
            else
                ++m_counts.recordsLeftOut[tag];
            continue;
        }
        Record r{xref, qint32(i)};
        if (person) {
            m_personAt.emplace_back(i, int(m_people.size()));
            m_people.push_back({});
            static_cast<Record &>(m_people.back()) = std::move(r);
        } else if (family) {
            m_familyAt.emplace_back(i, int(m_families.size()));
            m_families.push_back({});
            static_cast<Record &>(m_families.back()) = std::move(r);
            m_families.back().lineNumber = m_file.lineNumber(i);
        } else if (tag == QLatin1String("NOTE")) {
            m_noteRecords.push_back(i);
        } else if (tag != QLatin1String("HEAD") && tag != QLatin1String("TRLR") && tag != QLatin1String("SUBM")
                   && tag != QLatin1String("SUBN")) {
            ++m_counts.recordsLeftOut[tag];
        }
    }
    m_counts.people = int(m_people.size());
    m_counts.families = int(m_families.size());

    const qint64 total = qint64(m_people.size() + m_families.size());
    qint64 done = 0;
    const auto step = [&]() {
        if (progress && (++done & 0x3FF) == 0)
            progress(done, total);
    };
    for (Family &f : m_families) {
        readFamily(f);
        step();
    }
    for (Person &p : m_people) {
        readPerson(p);
        step();
    }
    for (size_t n = 0; n < m_families.size(); ++n) {
        const Family &f = m_families[n];
        for (int spouse : {f.husband, f.wife}) {
            if (spouse >= 0)
                ++m_people[size_t(spouse)].spouseIn;
        }
        // The family's word on a child counts where the child's own FAMC
        // says nothing; a child it alone lists is linked by it.
        for (const Family::Listed &listed : f.listed) {
            ParentFamily &link = linkTo(m_people[size_t(listed.person)].parents, int(n));
            if (link.isBirth()) {
                link.fatherRelation = listed.fatherRelation;
                link.motherRelation = listed.motherRelation;
            }
        }
    }
    for (size_t n = 0; n < m_people.size(); ++n)
        settleParents(int(n));
    placeOneParentBySex();
    for (qsizetype note : m_noteRecords) {
        if (!m_notesUsed.contains(note))
            ++m_counts.recordsLeftOut[QStringLiteral("NOTE")];
    }
    warnOfLoops();
    return {std::move(m_people), std::move(m_families), std::move(m_relations)};
}

// A family of one parent (the other absent, or telling nothing a card
// holds) shows that parent on the side of their sex, as a card of one
// person alone does, so that no line of the notes tells it again, and the
// card reads back the same from its export, which writes one parent so.
void PeopleReader::placeOneParentBySex()
{
    const auto tellsNothing = [this](int person) {
        if (person < 0)
            return true;
        const Person &p = m_people[size_t(person)];
        const Family *parents = p.childOf >= 0 ? &m_families[size_t(p.childOf)] : nullptr;
        const auto named = [this](int parent) { return parent >= 0 && !isBlank(m_people[size_t(parent)].name); };
        return isBlank(p.name) && p.bornDate.isEmpty() && p.bornPlace.isEmpty() && p.diedDate.isEmpty()
               && p.diedPlace.isEmpty() && !(parents && (named(parents->husband) || named(parents->wife)));
    };
    const auto stated = [this](int person, Sex sex) { return person >= 0 && m_people[size_t(person)].sex == sex; };
    for (Family &f : m_families) {
        if ((tellsNothing(f.wife) && stated(f.husband, Sex::Female))
            || (tellsNothing(f.husband) && (stated(f.wife, Sex::Male) || stated(f.wife, Sex::Unknown))))
            std::swap(f.husband, f.wife);
    }
}

std::vector<qsizetype> PeopleReader::childrenOf(const Record &r) const
{
    std::vector<qsizetype> all = m_file.children(r.line);
    const auto more = m_more.find(r.line);
    for (qsizetype line : more != m_more.end() ? more->second : std::vector<qsizetype>()) {
        const std::vector<qsizetype> more = m_file.children(line);
        all.insert(all.end(), more.begin(), more.end());
    }
    return all;
}

// The card's parents are the first family the person was born to; a family
// that adopted or fostered them is told in their notes, in words.
void PeopleReader::settleParents(int person)
{
    Person &p = m_people[size_t(person)];
    for (const ParentFamily &link : p.parents) {
        Family &f = m_families[size_t(link.family)];
        p.onlyName = false;
        if (!link.isBirth()) {
            f.othersChildren = true;
        } else if (p.childOf < 0) {
            p.childOf = link.family;
            f.children.push_back(person);
        } else if (link.famc >= 0) {
            leaveOut(link.famc); // a second family of birth
        }
    }
}

int PeopleReader::indexOf(const RecordIndex &index, qsizetype record)
{
    const auto found = std::lower_bound(index.begin(), index.end(), std::make_pair(record, 0));
    return found != index.end() && found->first == record ? found->second : -1;
}

int PeopleReader::pointee(qsizetype line, const RecordIndex &index, const char *what)
{
    const QString value = m_file.value(line);
    const qsizetype record = m_file.isPointer(line) ? m_file.record(value) : -1;
    if (const int found = record >= 0 ? indexOf(index, record) : -1; found >= 0)
        return found;
    m_counts.warnings << QStringLiteral("line %1: %2 %3 links to no %4 in the file; the link is left out")
                             .arg(m_file.lineNumber(line))
                             .arg(m_file.tag(line), value.left(60), QLatin1String(what));
    return -1;
}

QString PeopleReader::noteText(qsizetype note)
{
    const QString value = m_file.value(note);
    if (!m_file.isPointer(note))
        return value;
    const qsizetype record = m_file.record(value);
    if (record < 0 || m_file.tag(record) != QLatin1String("NOTE")) {
        m_counts.warnings << QStringLiteral("line %1: the note %2 is not in the file; it is left out")
                                 .arg(m_file.lineNumber(note))
                                 .arg(value);
        return {};
    }
    m_notesUsed.insert(record);
    return m_file.value(record);
}

// The whole of the NAME, DATE or PLAC value on `line` where the export
// shortened it: the note it wrote beside the value, under `noteOwner`, holds
// it. Otherwise the value as it is. `fromNote` is the note used, or -1.
QString PeopleReader::restored(qsizetype line, Limited kind, qsizetype noteOwner, qsizetype &fromNote)
{
    const QString value = m_file.value(line);
    const qsizetype room = LineWriter::valueRoom(m_file.level(line), m_file.tag(line));
    fromNote = -1;
    for (qsizetype c : m_file.children(noteOwner)) {
        if (m_file.tag(c) != QLatin1String("NOTE"))
            continue;
        const qsizetype record = m_file.isPointer(c) ? m_file.record(m_file.value(c)) : -1;
        const QString note = m_file.value(record >= 0 ? record : c);
        if (note != value && shortened(kind, note, room) == value) {
            fromNote = c;
            return noteText(c);
        }
    }
    return value;
}

void PeopleReader::leaveOutChildren(qsizetype line, qsizetype except)
{
    for (qsizetype c : m_file.children(line)) {
        if (c != except && !restates(m_file.tag(c)))
            leaveOut(c);
    }
}

void PeopleReader::readEvent(qsizetype event, QString &date, QString &place)
{
    qsizetype dateNote = -1, placeNote = -1;
    for (qsizetype c : m_file.children(event)) {
        const QString &tag = m_file.tag(c);
        if (tag == QLatin1String("DATE")) {
            date = CardText::oneLine(restored(c, Limited::Date, event, dateNote));
            // GEDCOM 7 writes a date's phrase under it, and its calendars as words.
            const qsizetype phrase = m_file.child(c, u"PHRASE");
            const QString words = phrase >= 0 ? CardText::oneLine(m_file.value(phrase)) : QString();
            date = fromGedcom7Date(date);
            if (!words.isEmpty())
                date = date.isEmpty() ? u'(' + words + u')' : QStringLiteral("INT %1 (%2)").arg(date, words);
            leaveOutChildren(c, phrase);
        } else if (tag == QLatin1String("PLAC")) {
            place = CardText::oneLine(restored(c, Limited::Place, c, placeNote));
            // Many people of a tree were born and died in the same few
            // places: each place is held once.
            place = *m_places.insert(place);
            leaveOutChildren(c, placeNote);
        }
    }
    for (qsizetype c : m_file.children(event)) {
        const QString &tag = m_file.tag(c);
        if (tag != QLatin1String("DATE") && tag != QLatin1String("PLAC") && c != dateNote && !restates(tag))
            leaveOut(c);
    }
}

void PeopleReader::readFamily(Family &f)
{
    bool marriage = false;
    for (qsizetype c : childrenOf(f)) {
        const QString &tag = m_file.tag(c);
        if (tag == QLatin1String("HUSB") || tag == QLatin1String("WIFE")) {
            int &spouse = tag == QLatin1String("HUSB") ? f.husband : f.wife;
            const int p = pointee(c, m_personAt, "person");
            if (p >= 0 && spouse >= 0 && p != spouse)
                m_counts.warnings << QStringLiteral("line %1: the family %2 has a second %3, %4; a card holds "
                                                    "one, so the second is not on the family's card")
                                         .arg(m_file.lineNumber(c))
                                         .arg(f.xref,
                                              tag == QLatin1String("HUSB") ? QStringLiteral("husband")
                                                                           : QStringLiteral("wife"),
                                              m_file.value(c));
            else if (p >= 0)
                spouse = p;
        } else if (tag == QLatin1String("CHIL")) {
            const int p = pointee(c, m_personAt, "person");
            const bool again = std::any_of(f.listed.begin(), f.listed.end(),
                                           [p](const Family::Listed &l) { return l.person == p; });
            if (p >= 0 && !again)
                f.listed.push_back({p, m_relations.of(relationOf(m_file.childValue(c, u"_FREL"))),
                                    m_relations.of(relationOf(m_file.childValue(c, u"_MREL")))});
        } else if (tag == QLatin1String("MARR") && !marriage) {
            marriage = true;
            readEvent(c, f.marriedDate, f.marriedPlace);
        } else if (tag == QLatin1String("NOTE")) {
            f.notes << noteText(c);
        } else if (!restates(tag)) {
            leaveOut(c);
        }
    }
}

void PeopleReader::readPerson(Person &p)
{
    bool name = false, birth = false, death = false;
    for (qsizetype c : childrenOf(p)) {
        const QString &tag = m_file.tag(c);
        if (tag == QLatin1String("NAME") && !name) {
            name = true;
            qsizetype nameNote = -1;
            QString value = restored(c, Limited::Name, c, nameNote);
            leaveOutChildren(c, nameNote);
            if (isBlank(value) && !isBlank(m_file.childValue(c, u"GIVN") + m_file.childValue(c, u"SURN")))
                value = m_file.childValue(c, u"GIVN") + QStringLiteral(" /") + m_file.childValue(c, u"SURN") + u'/';
            p.name = cardName(value);
        } else if (tag == QLatin1String("SEX")) {
            p.sex = sexOf(m_file.value(c));
        } else if (tag == QLatin1String("BIRT") && !birth) {
            birth = true;
            readEvent(c, p.bornDate, p.bornPlace);
            p.onlyName = p.onlyName && p.bornDate.isEmpty() && p.bornPlace.isEmpty();
        } else if (tag == QLatin1String("DEAT") && !death) {
            death = true;
            readEvent(c, p.diedDate, p.diedPlace);
            p.onlyName = p.onlyName && p.diedDate.isEmpty() && p.diedPlace.isEmpty();
        } else if (tag == QLatin1String("FAMC")) {
            const int f = pointee(c, m_familyAt, "family");
            const quint16 pedigree = m_relations.of(relationOf(m_file.childValue(c, u"PEDI")));
            if (f >= 0) {
                ParentFamily &link = linkTo(p.parents, f);
                if (link.famc >= 0) {
                    leaveOut(c); // the same family twice
                    continue;
                }
                link.famc = qint32(c);
                if (link.isBirth()) // an ADOP event before it says more
                    link.fatherRelation = link.motherRelation = pedigree;
            }
        } else if (tag == QLatin1String("FAMS")) {
            pointee(c, m_familyAt, "family"); // the family's HUSB and WIFE say who is on its card
        } else if (tag == QLatin1String("NOTE")) {
            p.notes << noteText(c);
            p.onlyName = false;
        } else if (tag == QLatin1String("ADOP")) {
            readAdoption(c, p);
            leaveOut(c); // its date and place have no field on a card
        } else if (!restates(tag)) {
            leaveOut(c);
        }
    }
}

// "1 ADOP / 2 FAMC @F1@ / 3 ADOP BOTH": the family adopted the person, both
// parents, or only the husband (HUSB) or the wife (WIFE).
void PeopleReader::readAdoption(qsizetype event, Person &p)
{
    const qsizetype famc = m_file.child(event, u"FAMC");
    if (famc < 0 || !m_file.isPointer(famc))
        return;
    const qsizetype record = m_file.record(m_file.value(famc));
    const int family = indexOf(m_familyAt, record);
    if (family < 0)
        return;
    const QString by = m_file.childValue(famc, u"ADOP").trimmed().toUpper();
    const quint16 adopted = m_relations.of(QStringLiteral("adopted"));
    ParentFamily &link = linkTo(p.parents, family);
    link.fatherRelation = by == u"WIFE" ? 0 : adopted;
    link.motherRelation = by == u"HUSB" ? 0 : adopted;
}

void PeopleReader::warnOfLoops()
{
    const auto parent = [this](int person, int side) {
        const int family = m_people[size_t(person)].childOf;
        if (family < 0)
            return -1;
        return side == 0 ? m_families[size_t(family)].husband : m_families[size_t(family)].wife;
    };
    walkAncestors(int(m_people.size()), parent, [this](int, int, int ancestor) {
        const Person &a = m_people[size_t(ancestor)];
        m_counts.warnings << QStringLiteral("line %1: %2 is his or her own ancestor; the cards keep the names, "
                                            "and an export leaves out the link that closes the loop")
                                 .arg(m_file.lineNumber(a.line))
                                 .arg(isBlank(a.name) ? QStringLiteral("the person %1").arg(a.xref)
                                                      : QStringLiteral("%1 (%2)").arg(a.name, a.xref));
    });
}

CardBuilder::CardBuilder(People read, ImportCounts &counts)
    : m_counts(counts)
    , m_people(std::move(read.people))
    , m_families(std::move(read.families))
    , m_relations(std::move(read.relations))
    , m_notesPlaced(m_people.size())
    , m_shown(m_people.size())
{
    tellSiblings();
    // Only a person with nothing a card holds may be on no card, and be
    // named so in the summary: the others need no cross-reference any more.
    for (Person &p : m_people) {
        if (!isBlank(p.name) || !p.onlyName || !p.notes.isEmpty() || p.childOf >= 0)
            p.xref = QString();
    }
}

QString CardBuilder::parentsInWords(const QString &subject, const ParentFamily &link) const
{
    const Family &f = m_families[size_t(link.family)];
    const auto nameOf = [this](int person) {
        return person >= 0 && !isBlank(m_people[size_t(person)].name) ? m_people[size_t(person)].name : QString();
    };
    ParentsLine parents{nameOf(f.husband), nameOf(f.wife), m_relations.text(link.fatherRelation),
                        m_relations.text(link.motherRelation)};
    if (parents.father.isEmpty() && parents.mother.isEmpty()) {
        parents.father = QStringLiteral("the family %1").arg(f.xref);
        parents.motherRelation = parents.fatherRelation =
            parents.fatherRelation.isEmpty() ? parents.motherRelation : parents.fatherRelation;
    }
    return parentsLine(subject, parents);
}

// Children of a family that names no parent would be strangers to each
// other on their cards: their notes say who their brothers and sisters are.
void CardBuilder::tellSiblings()
{
    for (const Family &f : m_families) {
        if (f.children.empty() || hasNamedParent(f))
            continue;
        m_counts.noParents << f.xref;
        for (int child : f.children) {
            QStringList others;
            for (int sibling : f.children) {
                if (sibling != child)
                    others << (isBlank(m_people[size_t(sibling)].name) ? m_people[size_t(sibling)].xref
                                                                      : m_people[size_t(sibling)].name);
            }
            m_people[size_t(child)].notes
                << (others.isEmpty()
                        ? QStringLiteral("A child of the family %1, which names no parents.").arg(f.xref)
                        : QStringLiteral("A child of the family %1, which names no parents; brothers and sisters: "
                                         "%2.")
                              .arg(f.xref, others.join(QStringLiteral(", "))));
        }
    }
}

bool CardBuilder::hasNamedParent(const Family &f) const
{
    return (f.husband >= 0 && !isBlank(m_people[size_t(f.husband)].name))
           || (f.wife >= 0 && !isBlank(m_people[size_t(f.wife)].name));
}

bool CardBuilder::isParentsOnly(int n) const
{
    const Family &f = m_families[size_t(n)];
    if (f.children.empty() || f.othersChildren || !f.marriedDate.isEmpty() || !f.marriedPlace.isEmpty()
        || !f.notes.isEmpty() || !hasNamedParent(f))
        return false;
    for (Spouse side : {Spouse::Husband, Spouse::Wife}) {
        const int spouse = side == Spouse::Husband ? f.husband : f.wife;
        if (spouse < 0)
            continue;
        const Person &p = m_people[size_t(spouse)];
        // A parent whose sex the side of a card does not tell needs a card to say it.
        if (!(p.onlyName && p.spouseIn == 1 && (!p.sex || *p.sex == sexOf(side))))
            return false;
    }
    return true;
}

// A family that only names parents keeps a card where its names alone, on
// its children's cards, would be taken for another couple's (CardLinks links
// them to the card of a couple of the same names) or would join the children
// of another such family into one. `cards` holds a card for each family, in
// order, then those of the people in no family; the cards of dropped
// families are set aside while the links are found, so that no copy of the
// cards is needed. The cards of the families that stay dropped stay empty.
void CardBuilder::keepApart(std::vector<CardFields> &cards, const std::vector<int> &personCardOwners,
                       std::vector<bool> &dropped)
{
    std::map<size_t, CardFields> aside;
    for (size_t n = 0; n < m_families.size(); ++n) {
        if (dropped[n])
            aside[n] = std::exchange(cards[n], CardFields{});
    }
    while (!aside.empty()) {
        std::vector<CardLinks::Child> firstPlace(m_people.size(), {-1, Spouse::Husband});
        const auto stands = [&firstPlace](int person, int card, Spouse spouse) {
            if (person >= 0 && firstPlace[size_t(person)].card < 0)
                firstPlace[size_t(person)] = {card, spouse};
        };
        for (size_t n = 0; n < m_families.size(); ++n) {
            if (dropped[n] || cards[n] == CardFields{})
                continue;
            stands(m_families[n].husband, int(n), Spouse::Husband);
            stands(m_families[n].wife, int(n), Spouse::Wife);
        }
        for (size_t k = 0; k < personCardOwners.size(); ++k) {
            const int owner = personCardOwners[k];
            stands(owner, int(m_families.size() + k),
                   m_people[size_t(owner)].sex == Sex::Female ? Spouse::Wife : Spouse::Husband);
        }

        const CardLinks links(cards);
        std::set<size_t> apart;
        std::map<int, size_t> namedBy; // named parents of CardLinks: the family whose children name them
        for (size_t n = 0; n < m_families.size(); ++n) {
            if (!dropped[n])
                continue;
            for (int child : m_families[n].children) {
                const CardLinks::Child at = firstPlace[size_t(child)];
                if (at.card < 0)
                    continue;
                const int named = links.namedParents(at.card, at.spouse);
                if (links.parentsCard(at.card, at.spouse) >= 0) {
                    apart.insert(n);
                } else if (named >= 0) {
                    const auto [other, added] = namedBy.emplace(named, n);
                    if (!added && other->second != n) {
                        apart.insert(n);
                        apart.insert(other->second);
                    }
                }
            }
        }
        if (apart.empty())
            break;
        for (size_t n : apart) {
            dropped[n] = false;
            cards[n] = std::move(aside[n]);
            aside.erase(n);
            QStringList names;
            for (int spouse : {m_families[n].husband, m_families[n].wife}) {
                if (spouse >= 0 && !isBlank(m_people[size_t(spouse)].name))
                    names << m_people[size_t(spouse)].name;
            }
            m_counts.warnings << QStringLiteral("line %1: the family %2 (%3) has the names of another couple in the "
                                                "file; it keeps a card of its own, so that its children are not "
                                                "taken for theirs")
                                     .arg(m_families[n].lineNumber)
                                     .arg(m_families[n].xref, names.join(QStringLiteral(" and ")));
        }
    }
}

// A person's own notes go on the first card that shows them, under a heading
// where the card shows two people.
void CardBuilder::addNotes(QStringList &notes, int person, const QString &heading)
{
    const Person &p = m_people[size_t(person)];
    if (m_notesPlaced[size_t(person)] || p.notes.isEmpty())
        return;
    const QString text = p.notes.join(QStringLiteral("\n\n"));
    notes << (heading.isEmpty() ? text : (isBlank(p.name) ? heading : p.name) + QStringLiteral(":\n") + text);
    m_notesPlaced[size_t(person)] = true;
}

// What the card's fields cannot tell of a person (a sex its side does not
// say, the families that adopted or fostered them), in the lines the export
// reads back, on every card that shows them.
void CardBuilder::addFacts(QStringList &facts, int person, Spouse side, int other)
{
    const Person &p = m_people[size_t(person)];
    const QString subject = subjectOf(p.name, other >= 0 ? m_people[size_t(other)].name : QString(), side);
    if (p.sex && *p.sex != sexOf(side))
        facts << sexLine(subject, *p.sex);
    for (const ParentFamily &link : p.parents) {
        if (!link.isBirth())
            facts << parentsInWords(subject, link);
    }
}

std::vector<CardFields> CardBuilder::cards()
{
    const auto finish = [](CardFields &card, const QStringList &facts, const QStringList &notes) {
        QStringList all = notes;
        if (!facts.isEmpty())
            all.prepend(facts.join(u'\n'));
        // Notes keep the card file's CR LF line ends.
        card[CardField::Notes] = all.join(QStringLiteral("\n\n")).replace(u'\n', QStringLiteral("\r\n"));
        bool blank = true;
        for (QString &text : card.texts) {
            // As the card file keeps it: composed (a text of no letter that
            // composes is so already, and stays shared with the person's).
            // A double quote stays one: the card file keeps it as a reference.
            if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x300; }))
                text = text.normalized(QString::NormalizationForm_C);
            blank = blank && isBlank(text);
        }
        if (blank)
            card = {};
    };
    const auto fill = [this](CardFields &card, Spouse spouse, const Person &p) {
        CardText::SpouseFacts facts{p.name, p.bornDate, p.bornPlace, p.diedDate, p.diedPlace, {}, {}};
        if (p.childOf >= 0) {
            const Family &parents = m_families[size_t(p.childOf)];
            if (parents.husband >= 0)
                facts.father = m_people[size_t(parents.husband)].name;
            if (parents.wife >= 0)
                facts.mother = m_people[size_t(parents.wife)].name;
        }
        CardText::setSpouseFacts(card, spouse, facts);
    };

    // The families' cards in family order, then those of the people in no family.
    std::vector<CardFields> cards(m_families.size());
    const auto alone = [](const Person &p) { return p.spouseIn == 0; };
    cards.reserve(m_families.size() + size_t(std::count_if(m_people.begin(), m_people.end(), alone)));
    std::vector<bool> dropped(m_families.size());
    for (size_t n = 0; n < m_families.size(); ++n) {
        const Family &f = m_families[n];
        dropped[n] = isParentsOnly(int(n));
        CardFields &card = cards[n];
        QStringList notes = f.notes, facts;
        card[CardField::MarriedDate] = f.marriedDate;
        card[CardField::MarriedPlace] = f.marriedPlace;
        if (f.husband >= 0) {
            fill(card, Spouse::Husband, m_people[size_t(f.husband)]);
            addFacts(facts, f.husband, Spouse::Husband, f.wife);
            addNotes(notes, f.husband, QStringLiteral("The husband"));
        }
        if (f.wife >= 0) {
            fill(card, Spouse::Wife, m_people[size_t(f.wife)]);
            addFacts(facts, f.wife, Spouse::Wife, f.husband);
            addNotes(notes, f.wife, QStringLiteral("The wife"));
        }
        finish(card, facts, notes);
    }
    std::vector<int> personCardOwners;
    for (size_t n = 0; n < m_people.size(); ++n) {
        const Person &p = m_people[n];
        if (p.spouseIn > 0)
            continue;
        CardFields card;
        QStringList notes, facts;
        const Spouse side = p.sex == Sex::Female ? Spouse::Wife : Spouse::Husband;
        fill(card, side, p);
        addFacts(facts, int(n), side, -1);
        addNotes(notes, int(n), QString());
        finish(card, facts, notes);
        if (card != CardFields{}) {
            cards.push_back(std::move(card));
            personCardOwners.push_back(int(n));
        }
    }
    keepApart(cards, personCardOwners, dropped);

    size_t kept = 0;
    for (size_t n = 0; n < m_families.size(); ++n) {
        const Family &f = m_families[n];
        if (dropped[n])
            ++m_counts.parentsOnly;
        const bool shown = !dropped[n] && cards[n] != CardFields{};
        if (shown)
            cards[kept++] = std::move(cards[n]);
        for (int spouse : {f.husband, f.wife}) {
            if (spouse >= 0 && (shown || dropped[n]))
                m_shown[size_t(spouse)] = true;
        }
        if (!shown && !dropped[n] && f.children.empty() && f.husband < 0 && f.wife < 0)
            m_counts.notOnCards << f.xref; // a family of nobody
    }
    m_counts.familyCards = int(kept);
    m_counts.personCards = int(personCardOwners.size());
    const auto personCardsStart = cards.begin() + qsizetype(m_families.size());
    cards.erase(std::move(personCardsStart, cards.end(), cards.begin() + qsizetype(kept)), cards.end());
    for (int owner : personCardOwners)
        m_shown[size_t(owner)] = true;
    for (size_t n = 0; n < m_people.size(); ++n) {
        if (!m_shown[n])
            m_counts.notOnCards << m_people[n].xref;
    }
    return cards;
}

} // namespace

std::vector<CardFields> toCards(const GedcomFile &file, ImportCounts *counts)
{
    ImportCounts made;
    made.characterSet = file.characterSet();
    made.warnings = file.warnings();
    std::vector<CardFields> cards = CardBuilder(PeopleReader(file, made).read({}), made).cards();
    if (counts)
        *counts = made;
    return cards;
}

bool importGedcomFile(const QString &gedcomFile, const QString &cardFile, bool append, QString *error,
                      ImportCounts *counts, const ImportProgress &progress)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo in(gedcomFile), out(cardFile);
    if (isSameFile(gedcomFile, cardFile))
        return fail(QStringLiteral("%1 is the GEDCOM file itself; name another card file").arg(cardFile));

    QByteArray bytes;
    QString reason;
    if (!in.exists())
        return fail(QStringLiteral("the GEDCOM file %1 does not exist").arg(gedcomFile));
    if (in.isDir())
        return fail(QStringLiteral("%1 is a folder, not a GEDCOM file").arg(gedcomFile));
    if (!readRegularFile(gedcomFile, bytes, &reason))
        return fail(QStringLiteral("the GEDCOM file %1 could not be read: %2").arg(gedcomFile, reason));
    const auto stepProgress = [&progress](ImportStep step) {
        return progress ? Progress([&progress, step](qint64 done, qint64 total) { progress(step, done, total); })
                        : Progress();
    };
    ImportCounts made;
    std::vector<CardFields> cards;
    if (fileKindOf(bytes) == FileKind::Cards) {
        // Cards that Kinfolio kept aside (the changes of a journal it could
        // not apply) come back as they are.
        QStringList notes;
        if (!readCardFile(gedcomFile, cards, &reason, &notes))
            return fail(reason);
        made.warnings << notes;
        made.cardFile = true;
        made.familyCards = int(cards.size());
    } else {
        GedcomFile file;
        if (!file.read(std::move(bytes), &reason, stepProgress(ImportStep::Reading)))
            return fail(QStringLiteral("%1: %2").arg(gedcomFile, reason));
        made.characterSet = file.characterSet();
        made.warnings = file.warnings();
        People people = PeopleReader(file, made).read(stepProgress(ImportStep::Mapping));
        file = GedcomFile(); // the people and families hold all the cards need
        cards = CardBuilder(std::move(people), made).cards();
    }
    if (cards.size() > size_t(CardStore::MaxCards))
        return fail(QStringLiteral("%1 makes %2 cards, more than the %3 a card file holds; nothing was written")
                        .arg(gedcomFile)
                        .arg(cards.size())
                        .arg(CardStore::MaxCards));

    // Nothing may change the card file between its load and the save.
    if (!out.absoluteDir().exists())
        return fail(QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(out.absolutePath())));
    CardFileSession session(cardFile);
    const CardFileSession::Opening opening = session.open(CardFileSession::Access::Edit);
    if (opening.refused)
        return fail(session.refusal() + QStringLiteral("\nNothing was written."));
    if (opening.readOnly)
        return fail(QStringLiteral("the folder %1 cannot be written: %2; nothing was written")
                        .arg(session.lock().folder(), session.lock().reason()));
    const QString refusal = outputRefusal(cardFile, FileKind::Cards);
    if (!refusal.isEmpty())
        return fail(refusal);
    CardStore &store = session.store();
    if (!opening.loadedWhole && store.loadResult() != CardStore::LoadResult::Missing)
        return fail(cardFileProblem(store));
    // A card window that did not end through Exit left its changes in the
    // journal; they belong to the cards the imported ones go after.
    const CardJournal::Recovery &recovery = opening.recovery;
    made.recoveredChanges = recovery.replayed;
    if (!recovery.complete())
        made.warnings << recoveryText(recovery, session.journal().path())
                             .replace(QStringLiteral("\n\n"), QStringLiteral(" "))
                             .replace(u'\n', u' ');
    made.cardsBefore = store.cardCount();
    if (made.cardsBefore > 0 && !append)
        return fail(QStringLiteral("%1 already holds %2 cards, and the import never overwrites cards; add "
                                   "--append to add the imported cards after them, or name a new card file")
                        .arg(cardFile)
                        .arg(made.cardsBefore));
    if (size_t(made.cardsBefore) + cards.size() > size_t(CardStore::MaxCards))
        return fail(QStringLiteral("%1 makes %2 cards%3, more than the %4 a card file holds; nothing was written")
                        .arg(gedcomFile)
                        .arg(cards.size())
                        .arg(made.cardsBefore ? QStringLiteral(", with the %1 of %2 %3 in all")
                                                    .arg(made.cardsBefore)
                                                    .arg(cardFile)
                                                    .arg(size_t(made.cardsBefore) + cards.size())
                                              : QString())
                        .arg(CardStore::MaxCards));
    for (const CardFields &card : cards)
        store.appendCard(card);
    if (!cards.empty()) {
        if (!session.save())
            return fail(store.errorString());
        session.end();
    }
    if (counts)
        *counts = made;
    return true;
}

} // namespace kinfolio::Gedcom

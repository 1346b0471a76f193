#include "gedcompeople.h"

#include "family/ancestorwalk.h"
#include "family/cardtext.h"
#include "gedcomlines.h"

#include <algorithm>

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

} // namespace

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

} // namespace kinfolio::Gedcom

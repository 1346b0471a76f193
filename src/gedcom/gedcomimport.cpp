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
#include <set>

namespace kinfolio::Gedcom {

namespace {

// How a child stands to one parent of a family, as PEDI, ADOP, _FREL or _MREL
// say: empty for birth, or else the word of the file ("adopted", "foster").
QString relationOf(const QString &value)
{
    const QString v = value.trimmed();
    static const QSet<QString> birth{"", "birth", "natural", "biological"};
    return birth.contains(v.toLower()) ? QString() : v;
}

// A family a person is a child of, and how they stand to its two parents.
struct ParentFamily
{
    int family = -1;
    QString fatherRelation, motherRelation;
    qsizetype famc = -1; // the person's FAMC line, or -1 where only the family lists them

    bool isBirth() const { return fatherRelation.isEmpty() && motherRelation.isEmpty(); }
};

// The link to `family` among `links`, added as a link of birth when missing.
ParentFamily &linkTo(std::vector<ParentFamily> &links, int family)
{
    const auto found =
        std::find_if(links.begin(), links.end(), [family](const ParentFamily &l) { return l.family == family; });
    if (found != links.end())
        return *found;
    links.push_back({family, {}, {}, -1});
    return links.back();
}

struct Person
{
    qsizetype line = 0; // the INDI record
    QString name;       // as the card holds it
    bool female = false;
    QString bornDate, bornPlace, diedDate, diedPlace;
    QStringList notes;
    std::vector<ParentFamily> parents; // as the file links them
    int childOf = -1;                  // the family of birth
    std::vector<int> spouseIn;
    bool onlyName = true; // nothing a card holds but the name
    bool notesPlaced = false;
};

struct Family
{
    qsizetype line = 0; // the FAM record
    int husband = -1, wife = -1;
    struct Listed
    {
        int person;
        QString fatherRelation, motherRelation; // _FREL and _MREL
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

class Mapper
{
public:
    Mapper(const GedcomFile &file, ImportCounts &counts);
    std::vector<CardFields> cards();

private:
    void readFamily(Family &f);
    void readPerson(Person &p);
    void readAdoption(qsizetype event, Person &p);
    void readEvent(qsizetype event, QString &date, QString &place);
    void settleParents(int person);
    QString parentsInWords(const ParentFamily &link) const;
    QString noteText(qsizetype note);
    QString restored(qsizetype line, Limited kind, qsizetype noteOwner, qsizetype &fromNote);
    void leaveOutChildren(qsizetype line, qsizetype except);
    int pointee(qsizetype line, const QHash<qsizetype, int> &index, const char *what);
    void leaveOut(qsizetype line) { ++m_counts.leftOut[m_file.at(line).tag]; }
    bool isParentsOnly(int family) const;
    void keepApart(const std::vector<CardFields> &familyCards, const std::vector<CardFields> &personCards,
                   const std::vector<int> &personCardOwners, std::vector<bool> &dropped);
    void addNotes(QStringList &notes, int person, const QString &heading);
    void warnOfLoops();

    const GedcomFile &m_file;
    ImportCounts &m_counts;
    std::vector<Person> m_people;
    std::vector<Family> m_families;
    QHash<qsizetype, int> m_personAt, m_familyAt; // by record line
    QSet<qsizetype> m_notesUsed;
    std::vector<qsizetype> m_noteRecords;
};

Mapper::Mapper(const GedcomFile &file, ImportCounts &counts)
    : m_file(file)
    , m_counts(counts)
{
    for (qsizetype i = 0; i < qsizetype(file.lines().size()); i = file.at(i).end) {
        const QString &tag = file.at(i).tag;
        if (tag == QLatin1String("INDI")) {
            m_personAt.insert(i, int(m_people.size()));
            m_people.push_back({});
            m_people.back().line = i;
        } else if (tag == QLatin1String("FAM")) {
            m_familyAt.insert(i, int(m_families.size()));
            m_families.push_back({});
            m_families.back().line = i;
        } else if (tag == QLatin1String("NOTE")) {
            m_noteRecords.push_back(i);
        } else if (tag != QLatin1String("HEAD") && tag != QLatin1String("TRLR") && tag != QLatin1String("SUBM")
                   && tag != QLatin1String("SUBN")) {
            ++m_counts.recordsLeftOut[tag];
        }
    }
    m_counts.people = int(m_people.size());
    m_counts.families = int(m_families.size());

    for (Family &f : m_families)
        readFamily(f);
    for (Person &p : m_people)
        readPerson(p);
    for (size_t n = 0; n < m_families.size(); ++n) {
        const Family &f = m_families[n];
        for (int spouse : {f.husband, f.wife}) {
            if (spouse >= 0)
                m_people[size_t(spouse)].spouseIn.push_back(int(n));
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
    for (qsizetype note : m_noteRecords) {
        if (!m_notesUsed.contains(note))
            ++m_counts.recordsLeftOut[QStringLiteral("NOTE")];
    }
    warnOfLoops();
}

// The card's parents are the first family the person was born to; a family
// that adopted or fostered them is told in their notes, in words.
void Mapper::settleParents(int person)
{
    Person &p = m_people[size_t(person)];
    for (const ParentFamily &link : p.parents) {
        Family &f = m_families[size_t(link.family)];
        p.onlyName = false;
        if (!link.isBirth()) {
            f.othersChildren = true;
            p.notes << parentsInWords(link);
        } else if (p.childOf < 0) {
            p.childOf = link.family;
            f.children.push_back(person);
        } else if (link.famc >= 0) {
            leaveOut(link.famc); // a second family of birth
        }
    }
}

QString Mapper::parentsInWords(const ParentFamily &link) const
{
    const Family &f = m_families[size_t(link.family)];
    const auto nameOf = [this](int person) {
        return person >= 0 && !isBlank(m_people[size_t(person)].name) ? m_people[size_t(person)].name : QString();
    };
    const QString father = nameOf(f.husband), mother = nameOf(f.wife);
    struct Words
    {
        const char *relation, *verb, *adjective;
    };
    static const Words known[] = {{"adopted", "Adopted by", "adopted"},  {"foster", "Fostered by", "foster"},
                                  {"sealing", "Sealed to", "sealed"},    {"step", "Stepchild of", "step"},
                                  {"stepchild", "Stepchild of", "step"}, {"", "Child of", "by birth"}};
    const auto wordsFor = [](const QString &relation) {
        for (const Words &w : known) {
            if (relation.toLower() == QLatin1String(w.relation))
                return std::make_pair(QString::fromLatin1(w.verb), QString::fromLatin1(w.adjective));
        }
        return std::make_pair(QStringLiteral("Child (%1) of").arg(relation), relation);
    };
    if (father.isEmpty() && mother.isEmpty()) {
        return QStringLiteral("%1 the family %2.")
            .arg(wordsFor(link.fatherRelation.isEmpty() ? link.motherRelation : link.fatherRelation).first,
                 m_file.at(f.line).xref);
    }
    if (father.isEmpty() || mother.isEmpty() || link.fatherRelation == link.motherRelation) {
        const QString &relation = father.isEmpty() ? link.motherRelation : link.fatherRelation;
        const QString names = father.isEmpty() ? mother : mother.isEmpty() ? father : father + " and " + mother;
        return wordsFor(relation.isEmpty() ? link.motherRelation : relation).first + u' ' + names + u'.';
    }
    return QStringLiteral("Child of %1 (%2) and %3 (%4).")
        .arg(father, wordsFor(link.fatherRelation).second, mother, wordsFor(link.motherRelation).second);
}

int Mapper::pointee(qsizetype line, const QHash<qsizetype, int> &index, const char *what)
{
    const GedcomLine &l = m_file.at(line);
    const qsizetype record = l.pointer ? m_file.record(l.value) : -1;
    if (record >= 0 && index.contains(record))
        return index.value(record);
    m_counts.warnings << QStringLiteral("line %1: %2 %3 links to no %4 in the file; the link is left out")
                             .arg(l.lineNumber)
                             .arg(l.tag, l.value.left(60), QLatin1String(what));
    return -1;
}

QString Mapper::noteText(qsizetype note)
{
    const GedcomLine &l = m_file.at(note);
    if (!l.pointer)
        return l.value;
    const qsizetype record = m_file.record(l.value);
    if (record < 0 || m_file.at(record).tag != QLatin1String("NOTE")) {
        m_counts.warnings << QStringLiteral("line %1: the note %2 is not in the file; it is left out")
                                 .arg(l.lineNumber)
                                 .arg(l.value);
        return {};
    }
    m_notesUsed.insert(record);
    return m_file.at(record).value;
}

// The whole of the NAME, DATE or PLAC value on `line` where the export
// shortened it: the note it wrote beside the value, under `noteOwner`, holds
// it. Otherwise the value as it is. `fromNote` is the note used, or -1.
QString Mapper::restored(qsizetype line, Limited kind, qsizetype noteOwner, qsizetype &fromNote)
{
    const GedcomLine &l = m_file.at(line);
    const qsizetype room = LineWriter::valueRoom(l.level, l.tag);
    fromNote = -1;
    for (qsizetype c : m_file.children(noteOwner)) {
        const GedcomLine &n = m_file.at(c);
        const qsizetype record = n.pointer ? m_file.record(n.value) : -1;
        const QString &note = record >= 0 ? m_file.at(record).value : n.value;
        if (n.tag == QLatin1String("NOTE") && note != l.value && shortened(kind, note, room) == l.value) {
            fromNote = c;
            return noteText(c);
        }
    }
    return l.value;
}

void Mapper::leaveOutChildren(qsizetype line, qsizetype except)
{
    for (qsizetype c : m_file.children(line)) {
        if (c != except && !restates(m_file.at(c).tag))
            leaveOut(c);
    }
}

void Mapper::readEvent(qsizetype event, QString &date, QString &place)
{
    qsizetype dateNote = -1, placeNote = -1;
    for (qsizetype c : m_file.children(event)) {
        const QString &tag = m_file.at(c).tag;
        if (tag == QLatin1String("DATE")) {
            date = CardText::oneLine(restored(c, Limited::Date, event, dateNote));
            leaveOutChildren(c, -1);
        } else if (tag == QLatin1String("PLAC")) {
            place = CardText::oneLine(restored(c, Limited::Place, c, placeNote));
            leaveOutChildren(c, placeNote);
        }
    }
    for (qsizetype c : m_file.children(event)) {
        const QString &tag = m_file.at(c).tag;
        if (tag != QLatin1String("DATE") && tag != QLatin1String("PLAC") && c != dateNote && !restates(tag))
            leaveOut(c);
    }
}

void Mapper::readFamily(Family &f)
{
    bool marriage = false;
    for (qsizetype c : m_file.children(f.line)) {
        const QString &tag = m_file.at(c).tag;
        if (tag == QLatin1String("HUSB") || tag == QLatin1String("WIFE")) {
            int &spouse = tag == QLatin1String("HUSB") ? f.husband : f.wife;
            const int p = pointee(c, m_personAt, "person");
            if (p >= 0 && spouse >= 0)
                m_counts.warnings << QStringLiteral("line %1: the family %2 has a second %3, %4; a card holds "
                                                    "one, so the second is not on the family's card")
                                         .arg(m_file.at(c).lineNumber)
                                         .arg(m_file.at(f.line).xref,
                                              tag == QLatin1String("HUSB") ? QStringLiteral("husband")
                                                                           : QStringLiteral("wife"),
                                              m_file.at(c).value);
            else if (p >= 0)
                spouse = p;
        } else if (tag == QLatin1String("CHIL")) {
            const int p = pointee(c, m_personAt, "person");
            if (p >= 0)
                f.listed.push_back({p, relationOf(m_file.childValue(c, u"_FREL")),
                                    relationOf(m_file.childValue(c, u"_MREL"))});
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

void Mapper::readPerson(Person &p)
{
    bool name = false, birth = false, death = false;
    for (qsizetype c : m_file.children(p.line)) {
        const GedcomLine &l = m_file.at(c);
        if (l.tag == QLatin1String("NAME") && !name) {
            name = true;
            qsizetype nameNote = -1;
            QString value = restored(c, Limited::Name, c, nameNote);
            leaveOutChildren(c, nameNote);
            if (isBlank(value) && !isBlank(m_file.childValue(c, u"GIVN") + m_file.childValue(c, u"SURN")))
                value = m_file.childValue(c, u"GIVN") + QStringLiteral(" /") + m_file.childValue(c, u"SURN") + u'/';
            p.name = cardName(value);
        } else if (l.tag == QLatin1String("SEX")) {
            p.female = l.value.trimmed().startsWith(u'F', Qt::CaseInsensitive);
        } else if (l.tag == QLatin1String("BIRT") && !birth) {
            birth = true;
            readEvent(c, p.bornDate, p.bornPlace);
            p.onlyName = p.onlyName && p.bornDate.isEmpty() && p.bornPlace.isEmpty();
        } else if (l.tag == QLatin1String("DEAT") && !death) {
            death = true;
            readEvent(c, p.diedDate, p.diedPlace);
            p.onlyName = p.onlyName && p.diedDate.isEmpty() && p.diedPlace.isEmpty();
        } else if (l.tag == QLatin1String("FAMC")) {
            const int f = pointee(c, m_familyAt, "family");
            const QString pedigree = relationOf(m_file.childValue(c, u"PEDI"));
            if (f >= 0) {
                ParentFamily &link = linkTo(p.parents, f);
                if (link.famc >= 0) {
                    leaveOut(c); // the same family twice
                    continue;
                }
                link.famc = c;
                if (link.isBirth()) // an ADOP event before it says more
                    link.fatherRelation = link.motherRelation = pedigree;
            }
        } else if (l.tag == QLatin1String("FAMS")) {
            pointee(c, m_familyAt, "family"); // the family's HUSB and WIFE say who is on its card
        } else if (l.tag == QLatin1String("NOTE")) {
            p.notes << noteText(c);
            p.onlyName = false;
        } else if (l.tag == QLatin1String("ADOP")) {
            readAdoption(c, p);
            leaveOut(c); // its date and place have no field on a card
        } else if (!restates(l.tag)) {
            leaveOut(c);
        }
    }
}

// "1 ADOP / 2 FAMC @F1@ / 3 ADOP BOTH": the family adopted the person, both
// parents, or only the husband (HUSB) or the wife (WIFE).
void Mapper::readAdoption(qsizetype event, Person &p)
{
    const qsizetype famc = m_file.child(event, u"FAMC");
    if (famc < 0 || !m_file.at(famc).pointer)
        return;
    const qsizetype record = m_file.record(m_file.at(famc).value);
    if (!m_familyAt.contains(record))
        return;
    const QString by = m_file.childValue(famc, u"ADOP").trimmed().toUpper();
    const QString adopted = QStringLiteral("adopted");
    ParentFamily &link = linkTo(p.parents, m_familyAt.value(record));
    link.fatherRelation = by == u"WIFE" ? QString() : adopted;
    link.motherRelation = by == u"HUSB" ? QString() : adopted;
}

bool Mapper::isParentsOnly(int n) const
{
    const Family &f = m_families[size_t(n)];
    if (f.children.empty() || f.othersChildren || !f.marriedDate.isEmpty() || !f.marriedPlace.isEmpty()
        || !f.notes.isEmpty())
        return false;
    for (int spouse : {f.husband, f.wife}) {
        if (spouse >= 0 && !(m_people[size_t(spouse)].onlyName && m_people[size_t(spouse)].spouseIn.size() == 1))
            return false;
    }
    return true;
}

// A family that only names parents keeps a card where its names alone, on
// its children's cards, would be taken for another couple's (CardLinks links
// them to the card of a couple of the same names) or would join the children
// of another such family into one.
void Mapper::keepApart(const std::vector<CardFields> &familyCards, const std::vector<CardFields> &personCards,
                       const std::vector<int> &personCardOwners, std::vector<bool> &dropped)
{
    for (;;) {
        std::vector<CardFields> cards;
        std::vector<CardLinks::Child> firstPlace(m_people.size(), {-1, Spouse::Husband});
        const auto stands = [&firstPlace, &cards](int person, Spouse spouse) {
            if (person >= 0 && firstPlace[size_t(person)].card < 0)
                firstPlace[size_t(person)] = {int(cards.size()) - 1, spouse};
        };
        for (size_t n = 0; n < m_families.size(); ++n) {
            if (dropped[n] || familyCards[n] == CardFields{})
                continue;
            cards.push_back(familyCards[n]);
            stands(m_families[n].husband, Spouse::Husband);
            stands(m_families[n].wife, Spouse::Wife);
        }
        for (size_t k = 0; k < personCards.size(); ++k) {
            cards.push_back(personCards[k]);
            const int owner = personCardOwners[k];
            stands(owner, m_people[size_t(owner)].female ? Spouse::Wife : Spouse::Husband);
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
            return;
        for (size_t n : apart) {
            dropped[n] = false;
            QStringList names;
            for (int spouse : {m_families[n].husband, m_families[n].wife}) {
                if (spouse >= 0 && !isBlank(m_people[size_t(spouse)].name))
                    names << m_people[size_t(spouse)].name;
            }
            m_counts.warnings << QStringLiteral("the family %1 (%2) has the names of another couple in the file; it "
                                                "keeps a card of its own, so that its children are not taken for "
                                                "theirs")
                                     .arg(m_file.at(m_families[n].line).xref, names.join(QStringLiteral(" and ")));
        }
    }
}

// A person's own notes go on the first card that shows them, under a heading
// where the card shows two people.
void Mapper::addNotes(QStringList &notes, int person, const QString &heading)
{
    Person &p = m_people[size_t(person)];
    if (p.notesPlaced || p.notes.isEmpty())
        return;
    const QString text = p.notes.join(QStringLiteral("\n\n"));
    notes << (heading.isEmpty() ? text : (isBlank(p.name) ? heading : p.name) + QStringLiteral(":\n") + text);
    p.notesPlaced = true;
}

void Mapper::warnOfLoops()
{
    const auto parent = [this](int person, int side) {
        const int family = m_people[size_t(person)].childOf;
        if (family < 0)
            return -1;
        return side == 0 ? m_families[size_t(family)].husband : m_families[size_t(family)].wife;
    };
    walkAncestors(int(m_people.size()), parent, [this](int, int, int ancestor) {
        const Person &a = m_people[size_t(ancestor)];
        const QString &xref = m_file.at(a.line).xref;
        m_counts.warnings << QStringLiteral("%1 is his or her own ancestor; the cards keep the names, "
                                            "and an export leaves out the link that closes the loop")
                                 .arg(isBlank(a.name) ? QStringLiteral("the person %1").arg(xref)
                                                      : QStringLiteral("%1 (%2)").arg(a.name, xref));
    });
}

std::vector<CardFields> Mapper::cards()
{
    const auto finish = [this](CardFields &card, const QStringList &notes) {
        // Notes keep the card file's CR LF line ends.
        card[CardField::Notes] = notes.join(QStringLiteral("\n\n")).replace(u'\n', QStringLiteral("\r\n"));
        bool blank = true;
        for (QString &text : card.texts) {
            // As the card file keeps it: composed, and no double quote.
            text = AnsiText::makeStorable(text).normalized(QString::NormalizationForm_C);
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

    std::vector<CardFields> familyCards(m_families.size());
    std::vector<bool> dropped(m_families.size());
    for (size_t n = 0; n < m_families.size(); ++n) {
        const Family &f = m_families[n];
        dropped[n] = isParentsOnly(int(n));
        CardFields &card = familyCards[n];
        QStringList notes = f.notes;
        card[CardField::MarriedDate] = f.marriedDate;
        card[CardField::MarriedPlace] = f.marriedPlace;
        if (f.husband >= 0) {
            fill(card, Spouse::Husband, m_people[size_t(f.husband)]);
            addNotes(notes, f.husband, QStringLiteral("The husband"));
        }
        if (f.wife >= 0) {
            fill(card, Spouse::Wife, m_people[size_t(f.wife)]);
            addNotes(notes, f.wife, QStringLiteral("The wife"));
        }
        finish(card, notes);
    }
    std::vector<CardFields> personCards;
    std::vector<int> personCardOwners;
    for (size_t n = 0; n < m_people.size(); ++n) {
        const Person &p = m_people[n];
        if (!p.spouseIn.empty())
            continue;
        CardFields card;
        QStringList notes;
        fill(card, p.female ? Spouse::Wife : Spouse::Husband, p);
        addNotes(notes, int(n), QString());
        finish(card, notes);
        if (card != CardFields{}) {
            personCards.push_back(std::move(card));
            personCardOwners.push_back(int(n));
        }
    }
    keepApart(familyCards, personCards, personCardOwners, dropped);

    std::vector<CardFields> cards;
    for (size_t n = 0; n < m_families.size(); ++n) {
        if (dropped[n])
            ++m_counts.parentsOnly;
        else if (familyCards[n] != CardFields{})
            cards.push_back(std::move(familyCards[n]));
    }
    m_counts.familyCards = int(cards.size());
    m_counts.personCards = int(personCards.size());
    cards.insert(cards.end(), std::make_move_iterator(personCards.begin()),
                 std::make_move_iterator(personCards.end()));
    return cards;
}

} // namespace

std::vector<CardFields> toCards(const GedcomFile &file, ImportCounts *counts)
{
    ImportCounts made;
    made.characterSet = file.characterSet();
    made.warnings = file.warnings();
    Mapper mapper(file, made);
    std::vector<CardFields> cards = mapper.cards();
    if (counts)
        *counts = made;
    return cards;
}

bool importGedcomFile(const QString &gedcomFile, const QString &cardFile, bool append, QString *error,
                      ImportCounts *counts)
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
        if (!file.read(bytes, &reason))
            return fail(QStringLiteral("%1: %2").arg(gedcomFile, reason));
        cards = toCards(file, &made);
    }

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
        made.warnings << recoveryText(recovery, session.journal().path(), QStringLiteral("\n"))
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

#include "gedcomimport.h"

#include "format/ansitext.h"
#include "session/cardfilesession.h"
#include "session/cardfileread.h"
#include "family/cardlinks.h"
#include "format/cardstore.h"
#include "family/cardtext.h"
#include "format/filekind.h"
#include "gedcomexport.h"
#include "gedcompeople.h"
#include "gedcomreader.h"
#include "gedcomvalues.h"
#include "files/safefile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace kinfolio::Gedcom {

namespace {

Sex sexOf(Spouse side)
{
    return side == Spouse::Husband ? Sex::Male : Sex::Female;
}

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

Result<ImportCounts> importGedcomFile(const QString &gedcomFile, const QString &cardFile, bool append,
                                     const ImportProgress &progress)
{
    const auto fail = [](const QString &why) { return Failure{why}; };
    const QFileInfo in(gedcomFile), out(cardFile);
    if (isSameFile(gedcomFile, cardFile))
        return fail(QStringLiteral("%1 is the GEDCOM file itself; name another card file").arg(cardFile));

    if (!in.exists())
        return fail(QStringLiteral("the GEDCOM file %1 does not exist").arg(gedcomFile));
    if (in.isDir())
        return fail(QStringLiteral("%1 is a folder, not a GEDCOM file").arg(gedcomFile));
    Result<QByteArray> read = readRegularFile(gedcomFile);
    if (!read)
        return fail(QStringLiteral("the GEDCOM file %1 could not be read: %2").arg(gedcomFile, read.error()));
    QByteArray bytes = std::move(*read);
    const auto stepProgress = [&progress](ImportStep step) {
        return progress ? Progress([&progress, step](qint64 done, qint64 total) { progress(step, done, total); })
                        : Progress();
    };
    ImportCounts made;
    std::vector<CardFields> cards;
    if (fileKindOf(bytes) == FileKind::Cards) {
        // Cards that Kinfolio kept aside (the changes of a journal it could
        // not apply) come back as they are.
        Result<CardFileContents> kept = readCardFile(gedcomFile);
        if (!kept)
            return fail(kept.error());
        cards = std::move(kept->cards);
        made.warnings << kept->notes;
        made.cardFile = true;
        made.familyCards = int(cards.size());
    } else {
        GedcomFile file;
        if (const Result<> parsed = file.read(std::move(bytes), stepProgress(ImportStep::Reading)); !parsed)
            return fail(QStringLiteral("%1: %2").arg(gedcomFile, parsed.error()));
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
    const Result<CardFileSession::Opening> opened = session.open(CardFileSession::Access::Edit);
    if (!opened)
        return fail(opened.error() + QStringLiteral("\nNothing was written."));
    const CardFileSession::Opening &opening = *opened;
    if (opening.readOnly)
        return fail(QStringLiteral("the folder %1 cannot be written: %2; nothing was written")
                        .arg(session.lock().folder(), session.lock().reason()));
    if (const std::optional<QString> refusal = outputRefusal(cardFile, FileKind::Cards))
        return fail(*refusal);
    CardStore &store = session.store();
    if (!opening.loaded && store.loadResult() != CardStore::LoadResult::Missing)
        return fail(cardFileProblem(store, opening.loaded));
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
        if (const Result<> saved = session.save(); !saved)
            return fail(saved.error());
        session.end();
    }
    return made;
}

} // namespace kinfolio::Gedcom

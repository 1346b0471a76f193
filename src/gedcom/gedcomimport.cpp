#include "gedcomimport.h"

#include "ancestorwalk.h"
#include "ansitext.h"
#include "cardfilelock.h"
#include "cardfileread.h"
#include "cardstore.h"
#include "filekind.h"
#include "gedcomexport.h"
#include "gedcomlines.h"
#include "gedcomreader.h"
#include "gedcomvalues.h"
#include "safefile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace kinfolio::Gedcom {

namespace {

struct Person
{
    qsizetype line = 0; // the INDI record
    QString name;       // as the card holds it
    bool female = false;
    QString bornDate, bornPlace, diedDate, diedPlace;
    QStringList notes;
    int childOf = -1; // a family
    std::vector<int> spouseIn;
    bool onlyName = true; // nothing a card holds but the name
    bool notesPlaced = false;
};

struct Family
{
    qsizetype line = 0; // the FAM record
    int husband = -1, wife = -1;
    std::vector<int> children;
    QString marriedDate, marriedPlace;
    QStringList notes;
};

// Structures that only restate what the cards hold, or keep the file's books.
bool restates(const QString &tag)
{
    static const QSet<QString> tags{"CHAN", "RIN", "TYPE", "GIVN", "SURN", "NPFX", "SPFX", "NSFX"};
    return tags.contains(tag);
}

// A GEDCOM value on one line of a card.
QString oneLineValue(const QString &value)
{
    QString v = value;
    v.replace(u'\n', u' ');
    return v.trimmed();
}

// A NAME value as the card writes it: without the surname's slashes where the
// export would put them back in the same place (the surname is the last word),
// otherwise as written. A fraction slash is a slash of the card name.
QString cardName(const QString &gedcomName)
{
    QString name = oneLineValue(gedcomName);
    if (name.count(u'/') == 2) {
        QString bare = name;
        bare.remove(u'/');
        if (personalName(bare) == name)
            name = bare;
    }
    return name.replace(QChar(NameSlash), u'/');
}

class Mapper
{
public:
    Mapper(const GedcomFile &file, ImportCounts &counts);
    std::vector<CardFields> cards();

private:
    void readFamily(Family &f);
    void readPerson(Person &p);
    void readEvent(qsizetype event, QString &date, QString &place);
    QString noteText(qsizetype note);
    QString restored(qsizetype line, Limited kind, qsizetype noteOwner, qsizetype &fromNote);
    void leaveOutChildren(qsizetype line, qsizetype except);
    int pointee(qsizetype line, const QHash<qsizetype, int> &index, const char *what);
    void leaveOut(qsizetype line) { ++m_counts.leftOut[m_file.at(line).tag]; }
    bool isParentsOnly(int family) const;
    void addNotes(QStringList &notes, int person, const QString &who);
    void warnOfLoops();
    QString storable(const QString &text);

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
        // Without a FAMC of their own, the first family that lists a child is theirs.
        for (int child : f.children) {
            Person &c = m_people[size_t(child)];
            if (c.childOf < 0) {
                c.childOf = int(n);
                c.onlyName = false;
            }
        }
    }
    for (qsizetype note : m_noteRecords) {
        if (!m_notesUsed.contains(note))
            ++m_counts.recordsLeftOut[QStringLiteral("NOTE")];
    }
    warnOfLoops();
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
            date = oneLineValue(restored(c, Limited::Date, event, dateNote));
            leaveOutChildren(c, -1);
        } else if (tag == QLatin1String("PLAC")) {
            place = oneLineValue(restored(c, Limited::Place, c, placeNote));
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
                f.children.push_back(p);
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
            if (f >= 0 && p.childOf < 0) {
                p.childOf = f;
                p.onlyName = false;
            } else if (f >= 0) {
                leaveOut(c); // a second family of parents
            }
        } else if (l.tag == QLatin1String("FAMS")) {
            pointee(c, m_familyAt, "family"); // the family's HUSB and WIFE say who is on its card
        } else if (l.tag == QLatin1String("NOTE")) {
            p.notes << noteText(c);
            p.onlyName = false;
        } else if (!restates(l.tag)) {
            leaveOut(c);
        }
    }
}

bool Mapper::isParentsOnly(int n) const
{
    const Family &f = m_families[size_t(n)];
    if (f.children.empty() || !f.marriedDate.isEmpty() || !f.marriedPlace.isEmpty() || !f.notes.isEmpty())
        return false;
    for (int spouse : {f.husband, f.wife}) {
        if (spouse >= 0 && !(m_people[size_t(spouse)].onlyName && m_people[size_t(spouse)].spouseIn.size() == 1))
            return false;
    }
    for (int child : f.children) {
        if (m_people[size_t(child)].childOf != n)
            return false;
    }
    return true;
}

// A person's own notes go on the first card that shows them, under their name.
void Mapper::addNotes(QStringList &notes, int person, const QString &who)
{
    Person &p = m_people[size_t(person)];
    if (p.notesPlaced || p.notes.isEmpty())
        return;
    notes << (isBlank(p.name) ? who : p.name) + QStringLiteral(":\n") + p.notes.join(QStringLiteral("\n\n"));
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

// A text as the card file stores it: every letter stays (the card file keeps
// those beyond its code page as character references).
QString Mapper::storable(const QString &text)
{
    return AnsiText::makeStorable(text);
}

std::vector<CardFields> Mapper::cards()
{
    std::vector<CardFields> cards;
    const auto add = [this, &cards](CardFields card, QStringList notes) {
        // Notes keep the card file's CR LF line ends.
        card[CardField::Notes] = notes.join(QStringLiteral("\n\n")).replace(u'\n', QStringLiteral("\r\n"));
        bool blank = true;
        for (QString &text : card.texts) {
            text = storable(text);
            blank = blank && isBlank(text);
        }
        if (!blank)
            cards.push_back(std::move(card));
        return !blank;
    };
    const auto fill = [this](CardFields &card, Spouse spouse, const Person &p) {
        const SpouseFields &s = spouseFields(spouse);
        card[s.name] = p.name;
        card[s.bornDate] = p.bornDate;
        card[s.bornPlace] = p.bornPlace;
        card[s.diedDate] = p.diedDate;
        card[s.diedPlace] = p.diedPlace;
        if (p.childOf >= 0) {
            const Family &parents = m_families[size_t(p.childOf)];
            if (parents.husband >= 0)
                card[s.father] = m_people[size_t(parents.husband)].name;
            if (parents.wife >= 0)
                card[s.mother] = m_people[size_t(parents.wife)].name;
        }
    };

    for (size_t n = 0; n < m_families.size(); ++n) {
        if (isParentsOnly(int(n))) {
            ++m_counts.parentsOnly;
            continue;
        }
        const Family &f = m_families[n];
        CardFields card;
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
        m_counts.familyCards += add(card, notes);
    }
    for (size_t n = 0; n < m_people.size(); ++n) {
        const Person &p = m_people[n];
        if (!p.spouseIn.empty())
            continue;
        CardFields card;
        QStringList notes;
        fill(card, p.female ? Spouse::Wife : Spouse::Husband, p);
        addNotes(notes, int(n), p.female ? QStringLiteral("The wife") : QStringLiteral("The husband"));
        m_counts.personCards += add(card, notes);
    }
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
    GedcomFile file;
    if (!file.read(bytes, &reason))
        return fail(QStringLiteral("%1: %2").arg(gedcomFile, reason));
    ImportCounts made;
    const std::vector<CardFields> cards = toCards(file, &made);

    // Nothing may change the card file between its load and the save.
    if (!out.absoluteDir().exists())
        return fail(QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(out.absolutePath())));
    CardFileLock lock(cardFile);
    switch (lock.tryLock()) {
    case CardFileLock::Result::Locked:
        break;
    case CardFileLock::Result::HeldElsewhere:
        return fail(QStringLiteral("Kinfolio is open on the card file %1; exit it there, then import again")
                        .arg(cardFile));
    case CardFileLock::Result::HeldByAnotherComputer:
        return fail(QStringLiteral("Kinfolio is open on the card file %1 on the computer %2, which holds the lock "
                                   "file %3; exit it there, then import again (if Kinfolio is not open there, "
                                   "delete the lock file)")
                        .arg(cardFile, lock.holderComputer(), lock.lockFilePath()));
    case CardFileLock::Result::NotPossible:
        return fail(QStringLiteral("the folder %1 takes no lock file, so the import cannot make sure that Kinfolio "
                                   "is not open on %2; nothing was written")
                        .arg(lock.folder(), cardFile));
    }
    const QString refusal = outputRefusal(cardFile, FileKind::Cards);
    if (!refusal.isEmpty())
        return fail(refusal);
    CardStore store(cardFile);
    if (!store.loadCardFile() && store.loadResult() != CardStore::LoadResult::Missing)
        return fail(cardFileProblem(store));
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
    if (!cards.empty() && !store.saveCardFile())
        return fail(store.errorString());
    if (counts)
        *counts = made;
    return true;
}

} // namespace kinfolio::Gedcom

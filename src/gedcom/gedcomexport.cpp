#include "gedcomexport.h"

#include "cardfileread.h"
#include "cardlinks.h"
#include "cardstore.h"
#include "filekind.h"
#include "gedcomlines.h"
#include "gedcomvalues.h"
#include "safefile.h"

#include <QStringList>

namespace kinfolio::Gedcom {

namespace {

struct Event
{
    QString date;  // the DATE value, converted from the card
    QString place; // the card's place on one line
};

struct Individual
{
    QString name;
    char sex = 'U';
    Event birth;
    Event death;
    int childOf = 0;
    std::vector<int> spouseOf;
};

struct Family
{
    int husband = 0;
    int wife = 0;
    std::vector<int> children;
    Event marriage;
    QString notes;
};

// A person is exported when the card names them or tells anything about them:
// a husband whose name is unknown but whose birth or parents are known is
// still somebody's child.
bool hasPerson(const CardFields &card, const SpouseFields &s)
{
    for (CardField f : {s.name, s.bornDate, s.bornPlace, s.diedDate, s.diedPlace, s.father, s.mother}) {
        if (!isBlank(card[f]))
            return true;
    }
    return false;
}

char sexOf(Spouse spouse)
{
    return spouse == Spouse::Husband ? 'M' : 'F';
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

// What the warnings call each field of a card.
const char *const fieldLabels[CardFieldCount] = {
    "husband's name",       "husband's birth date", "husband's birth place", "marriage date",
    "marriage place",       "husband's death date", "husband's death place", "husband's father",
    "husband's mother",     "wife's name",          "wife's birth date",     "wife's birth place",
    "wife's death date",    "wife's death place",   "wife's father",         "wife's mother",
    "notes",
};

class Builder
{
public:
    explicit Builder(const std::vector<CardFields> &cards)
        : m_cards(cards)
        , m_links(cards)
        , m_placed(cards.size())
    {
        for (size_t i = 0; i < cards.size(); ++i)
            placeCouple(i);
        for (size_t i = 0; i < cards.size(); ++i) {
            placeParents(i, Spouse::Husband, m_placed[i].husband);
            placeParents(i, Spouse::Wife, m_placed[i].wife);
        }
        for (const CardLinks::LeftOut &left : m_links.leftOut()) {
            m_warnings << QStringLiteral("card %1: the %2's parents are the couple of card %3, who are among his "
                                         "or her own descendants; that link is left out")
                              .arg(left.card + 1)
                              .arg(left.spouse == Spouse::Husband ? QStringLiteral("husband") : QStringLiteral("wife"))
                              .arg(left.parentsCard + 1);
        }
    }

    QByteArray write() const;
    ExportCounts counts() const { return {int(m_families.size()), int(m_people.size()), m_warnings}; }

private:
    struct Placed
    {
        int family = 0;
        int husband = 0;
        int wife = 0;
    };

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

    Individual &person(int id) { return m_people[size_t(id - 1)]; }
    Family &family(int id) { return m_families[size_t(id - 1)]; }

    void placeCouple(size_t i);
    void placeParents(size_t i, Spouse spouse, int child);
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
    std::vector<Placed> m_placed;
    std::vector<Individual> m_people;
    std::vector<Family> m_families;
    QStringList m_warnings;
};

void Builder::placeCouple(size_t i)
{
    const CardFields &card = m_cards[i];
    const bool husband = hasPerson(card, spouseFields(Spouse::Husband));
    const bool wife = hasPerson(card, spouseFields(Spouse::Wife));
    const bool marriage = !isBlank(card[CardField::MarriedDate]) || !isBlank(card[CardField::MarriedPlace]);
    const bool notes = !isBlank(card[CardField::Notes]);
    if (!husband && !wife && !marriage && !notes)
        return; // an empty card has nothing to export

    Placed &placed = m_placed[i];
    placed.family = addFamily();
    family(placed.family).marriage = eventOf(i, CardField::MarriedDate, CardField::MarriedPlace);
    if (notes)
        family(placed.family).notes = card[CardField::Notes];

    for (Spouse spouse : {Spouse::Husband, Spouse::Wife}) {
        const SpouseFields &side = spouseFields(spouse);
        if (!hasPerson(card, side))
            continue;
        const int id = addPerson(card[side.name], sexOf(spouse));
        checkLength(i, side.name, Limited::Name, personalName(card[side.name]), nameRoom);
        person(id).birth = eventOf(i, side.bornDate, side.bornPlace);
        person(id).death = eventOf(i, side.diedDate, side.diedPlace);
        person(id).spouseOf.push_back(placed.family);
        const bool isHusband = spouse == Spouse::Husband;
        (isHusband ? placed.husband : placed.wife) = id;
        (isHusband ? family(placed.family).husband : family(placed.family).wife) = id;
    }
}

void Builder::placeParents(size_t i, Spouse spouse, int child)
{
    if (child == 0)
        return;
    const SpouseFields &side = spouseFields(spouse);
    const QString &father = m_cards[i][side.father];
    const QString &mother = m_cards[i][side.mother];
    if (isBlank(father) && isBlank(mother))
        return;

    // The parents are the couple of another card: the child joins that card's family.
    const int parentsCard = m_links.parentsCard(int(i), spouse);
    if (parentsCard >= 0) {
        const int parents = m_placed[size_t(parentsCard)].family;
        family(parents).children.push_back(child);
        person(child).childOf = parents;
        return;
    }

    const int parents = addFamily();
    checkLength(i, side.father, Limited::Name, personalName(father), nameRoom);
    checkLength(i, side.mother, Limited::Name, personalName(mother), nameRoom);
    if (!isBlank(father)) {
        const int id = addPerson(father, 'M');
        person(id).spouseOf.push_back(parents);
        family(parents).husband = id;
    }
    if (!isBlank(mother)) {
        const int id = addPerson(mother, 'F');
        person(id).spouseOf.push_back(parents);
        family(parents).wife = id;
    }
    family(parents).children.push_back(child);
    person(child).childOf = parents;
}

Event Builder::eventOf(size_t i, CardField dateField, CardField placeField)
{
    bool reversed = false;
    const Event e{date(m_cards[i][dateField], &reversed), oneLine(m_cards[i][placeField])};
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
    m_warnings << QStringLiteral("card %1: the %2 %3").arg(i + 1).arg(QLatin1String(fieldLabels[int(field)]), what);
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
        w.line(2, QStringLiteral("DATE"), d);
    if (!e.place.isEmpty()) {
        const QString place = shortened(Limited::Place, e.place, placeRoom);
        w.line(2, QStringLiteral("PLAC"), place);
        if (place != e.place)
            writeNote(w, 3, e.place, records);
    }
    if (d != e.date)
        writeNote(w, 2, e.date, records);
}

QByteArray Builder::write() const
{
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
        for (int f : p.spouseOf)
            w.pointer(1, QStringLiteral("FAMS"), familyId(f));
    }

    for (size_t n = 0; n < m_families.size(); ++n) {
        const Family &f = m_families[n];
        w.record(familyId(int(n + 1)), QStringLiteral("FAM"));
        if (f.husband)
            w.pointer(1, QStringLiteral("HUSB"), individualId(f.husband));
        if (f.wife)
            w.pointer(1, QStringLiteral("WIFE"), individualId(f.wife));
        for (int c : f.children)
            w.pointer(1, QStringLiteral("CHIL"), individualId(c));
        writeEvent(w, "MARR", f.marriage, notes);
        if (!f.notes.isEmpty())
            writeNote(w, 1, multiLine(f.notes), notes);
    }

    for (size_t n = 0; n < notes.size(); ++n)
        w.text(0, QStringLiteral("NOTE"), notes[n], noteId(n + 1));
    w.line(0, QStringLiteral("TRLR"));
    return w.bytes();
}

} // namespace

QByteArray fromCards(const std::vector<CardFields> &cards, ExportCounts *counts)
{
    const Builder builder(cards);
    if (counts)
        *counts = builder.counts();
    return builder.write();
}

bool exportCardFile(const QString &cardFile, const QString &gedcomFile, QString *error, ExportCounts *counts)
{
    std::vector<CardFields> cards;
    if (!readCardFile(cardFile, cards, error))
        return false;

    // Writing over the card file would replace the cards with their export.
    if (isSameFile(gedcomFile, cardFile)) {
        if (error)
            *error = QStringLiteral("%1 is the card file itself; name another file for the GEDCOM output")
                         .arg(gedcomFile);
        return false;
    }
    const QString refusal = outputRefusal(gedcomFile, FileKind::Gedcom);
    if (!refusal.isEmpty()) {
        if (error)
            *error = refusal;
        return false;
    }

    ExportCounts made;
    const QByteArray bytes = fromCards(cards, &made);
    QString reason;
    if (!writeFileSafely(gedcomFile, bytes, &reason)) {
        if (error)
            *error = QStringLiteral("%1 could not be written: %2").arg(gedcomFile, reason);
        return false;
    }
    if (counts)
        *counts = made;
    return true;
}

} // namespace kinfolio::Gedcom

#include "gedcomexport.h"

#include "cardstore.h"
#include "gedcomlines.h"
#include "gedcomvalues.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <map>
#include <utility>

namespace kinfolio::Gedcom {

namespace {

struct Event
{
    QString date;
    QString place;
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

// One side of a card: the fields of the husband or of the wife.
struct Side
{
    CardField name, bornDate, bornPlace, diedDate, diedPlace, father, mother;
    char sex;
};

const Side husbandSide{CardField::Name,     CardField::BornDate, CardField::BornPlace, CardField::DiedDate,
                       CardField::DiedPlace, CardField::Father,   CardField::Mother,    'M'};
const Side wifeSide{CardField::WifeName,     CardField::WifeBornDate, CardField::WifeBornPlace,
                    CardField::WifeDiedDate, CardField::WifeDiedPlace, CardField::WifeFather,
                    CardField::WifeMother,   'F'};

// A person is exported when the card names them or tells anything about them:
// a husband whose name is unknown but whose birth or parents are known is
// still somebody's child.
bool hasPerson(const CardFields &card, const Side &s)
{
    for (CardField f : {s.name, s.bornDate, s.bornPlace, s.diedDate, s.diedPlace, s.father, s.mother}) {
        if (!isBlank(card[f]))
            return true;
    }
    return false;
}

QString individualId(int n)
{
    return QStringLiteral("@I%1@").arg(n);
}

QString familyId(int n)
{
    return QStringLiteral("@F%1@").arg(n);
}

const QString submitterId = QStringLiteral("@U1@");

class Builder
{
public:
    explicit Builder(const std::vector<CardFields> &cards)
        : m_cards(cards)
        , m_placed(cards.size())
    {
        for (size_t i = 0; i < cards.size(); ++i)
            placeCouple(i);
        for (size_t i = 0; i < cards.size(); ++i) {
            placeParents(i, husbandSide, m_placed[i].husband);
            placeParents(i, wifeSide, m_placed[i].wife);
        }
    }

    QByteArray write() const;
    ExportCounts counts() const { return {int(m_families.size()), int(m_people.size())}; }

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
    void placeParents(size_t i, const Side &side, int child);
    void writeEvent(LineWriter &w, const char *tag, const Event &e) const;

    const std::vector<CardFields> &m_cards;
    std::vector<Placed> m_placed;
    std::vector<Individual> m_people;
    std::vector<Family> m_families;
    // Cards by their couple's two names, exactly as written.
    std::map<std::pair<QString, QString>, std::vector<size_t>> m_couples;
};

void Builder::placeCouple(size_t i)
{
    const CardFields &card = m_cards[i];
    const bool husband = hasPerson(card, husbandSide);
    const bool wife = hasPerson(card, wifeSide);
    const bool marriage = !isBlank(card[CardField::MarriedDate]) || !isBlank(card[CardField::MarriedPlace]);
    const bool notes = !isBlank(card[CardField::Notes]);
    if (!husband && !wife && !marriage && !notes)
        return; // an empty card has nothing to export

    Placed &placed = m_placed[i];
    placed.family = addFamily();
    family(placed.family).marriage = {card[CardField::MarriedDate], card[CardField::MarriedPlace]};
    if (notes)
        family(placed.family).notes = card[CardField::Notes];

    for (const Side *side : {&husbandSide, &wifeSide}) {
        if (!hasPerson(card, *side))
            continue;
        const int id = addPerson(card[side->name], side->sex);
        person(id).birth = {card[side->bornDate], card[side->bornPlace]};
        person(id).death = {card[side->diedDate], card[side->diedPlace]};
        person(id).spouseOf.push_back(placed.family);
        (side == &husbandSide ? placed.husband : placed.wife) = id;
        (side == &husbandSide ? family(placed.family).husband : family(placed.family).wife) = id;
    }

    if (!isBlank(card[CardField::Name]) && !isBlank(card[CardField::WifeName]))
        m_couples[{card[CardField::Name], card[CardField::WifeName]}].push_back(i);
}

void Builder::placeParents(size_t i, const Side &side, int child)
{
    if (child == 0)
        return;
    const QString &father = m_cards[i][side.father];
    const QString &mother = m_cards[i][side.mother];
    if (isBlank(father) && isBlank(mother))
        return;

    // Both names equal to one other card's couple: the child belongs to that
    // card's family. Two such cards leave no way to tell which couple is
    // meant, so nothing is joined then.
    if (!isBlank(father) && !isBlank(mother)) {
        const auto found = m_couples.find({father, mother});
        if (found != m_couples.end()) {
            std::vector<size_t> others;
            for (size_t j : found->second) {
                if (j != i)
                    others.push_back(j);
            }
            if (others.size() == 1) {
                const int parents = m_placed[others.front()].family;
                family(parents).children.push_back(child);
                person(child).childOf = parents;
                return;
            }
        }
    }

    const int parents = addFamily();
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

void Builder::writeEvent(LineWriter &w, const char *tag, const Event &e) const
{
    const QString d = date(e.date);
    const QString place = oneLine(e.place);
    if (d.isEmpty() && place.isEmpty())
        return;
    w.line(1, QLatin1String(tag));
    if (!d.isEmpty())
        w.line(2, QStringLiteral("DATE"), d);
    if (!place.isEmpty())
        w.line(2, QStringLiteral("PLAC"), place);
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

    for (size_t n = 0; n < m_people.size(); ++n) {
        const Individual &p = m_people[n];
        w.record(individualId(int(n + 1)), QStringLiteral("INDI"));
        const QString name = personalName(p.name);
        if (!name.isEmpty())
            w.line(1, QStringLiteral("NAME"), name);
        w.line(1, QStringLiteral("SEX"), QString(QLatin1Char(p.sex)));
        writeEvent(w, "BIRT", p.birth);
        writeEvent(w, "DEAT", p.death);
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
        writeEvent(w, "MARR", f.marriage);
        if (!f.notes.isEmpty())
            w.text(1, QStringLiteral("NOTE"), multiLine(f.notes));
    }

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

bool readCardFile(const QString &path, std::vector<CardFields> &cards, QString *error)
{
    cards.clear();
    const QFileInfo info(path);
    QString reason;
    if (!info.exists()) {
        reason = QStringLiteral("the card file %1 does not exist").arg(path);
    } else if (info.isDir()) {
        reason = QStringLiteral("%1 is a folder, not a card file").arg(path);
    } else if (QFile probe(path); !probe.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("the card file %1 could not be read: %2").arg(path, probe.errorString());
    } else {
        // The card program's own load, so a file it would not read whole (a
        // card cut short, more cards than it holds) is not exported either.
        CardStore store(path);
        if (!store.LoadCardFile()) {
            reason = store.isFull()
                ? QStringLiteral("the card file %1 holds more than %2 cards").arg(path).arg(CardStore::MaxCards)
                : QStringLiteral("the card file %1 is damaged: card %2 is incomplete, the file ends inside it")
                      .arg(path)
                      .arg(store.CardCount() + 1);
        } else {
            cards.reserve(size_t(store.CardCount()));
            for (int i = 0; i < store.CardCount(); ++i)
                cards.push_back(store.fields(i));
        }
    }
    if (reason.isEmpty())
        return true;
    cards.clear();
    if (error)
        *error = reason;
    return false;
}

bool exportCardFile(const QString &cardFile, const QString &gedcomFile, QString *error, ExportCounts *counts)
{
    std::vector<CardFields> cards;
    if (!readCardFile(cardFile, cards, error))
        return false;

    // Writing over the card file would replace the cards with their export.
    const QFileInfo out(gedcomFile);
    if (out.exists() && out.canonicalFilePath() == QFileInfo(cardFile).canonicalFilePath()) {
        if (error)
            *error = QStringLiteral("%1 is the card file itself; name another file for the GEDCOM output")
                         .arg(gedcomFile);
        return false;
    }

    ExportCounts made;
    const QByteArray bytes = fromCards(cards, &made);
    QSaveFile file(gedcomFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1 could not be written: %2").arg(gedcomFile, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (counts)
        *counts = made;
    return true;
}

} // namespace kinfolio::Gedcom

#pragma once

#include "gedcomimport.h"
#include "gedcomreader.h"
#include "gedcomvalues.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

// The first half of the import: the people and families of a GEDCOM file
// as plain records, linked by their indexes. The cards are made of them
// (gedcomimport.cpp) after the file has gone.

namespace kinfolio::Gedcom {

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
    // Once: what was read goes to the caller. `progress` hears of the records read.
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

} // namespace kinfolio::Gedcom

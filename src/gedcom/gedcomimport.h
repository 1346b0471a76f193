#pragma once

#include "base/result.h"
#include "format/cardrecord.h"
#include "gedcomreader.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

#include <vector>

namespace kinfolio::Gedcom {

struct ImportCounts
{
    bool cardFile = false; // the file read was a card file, its cards taken as they are
    QString characterSet;
    int people = 0;      // INDI records read
    int families = 0;    // FAM records read
    int familyCards = 0; // cards made from families
    int personCards = 0; // cards of one person who is a spouse in no family
    int parentsOnly = 0; // families that only name the parents on other cards
    int cardsBefore = 0; // the cards the card file held before (with --append)
    // Changes of a card window session that did not end through Exit, found
    // in the card file's journal: replayed and saved with the imported cards.
    int recoveredChanges = 0;
    // What the cards cannot hold, by tag: structures of people and families,
    // and records of other kinds (sources, repositories, media).
    QMap<QString, int> leftOut;
    QMap<QString, int> recordsLeftOut;
    // Records that no card shows, by cross-reference: people with nothing a
    // card holds, families of nobody.
    QStringList notOnCards;
    // Families that name no parent: their children's notes say who their
    // brothers and sisters are.
    QStringList noParents;
    // What was read in a way the file may not have meant, one line each,
    // most with the line of the file they are about.
    QStringList warnings;
};

// The steps of an import, for a progress line.
enum class ImportStep { Reading, Mapping };
using ImportProgress = std::function<void(ImportStep step, qint64 done, qint64 total)>;

// The cards for a GEDCOM file: one for each family (FAM), in file order,
// then one for each person who is a spouse in no family. A family whose card
// would hold only the couple's names, and whose children are each on a card
// naming them as parents, gets no card: it is how the export writes the
// parents on a card; unless its children would then be taken for another
// couple's of the same names. Card parents are the family of birth; others
// are told in the notes. See the README for the mapping.
std::vector<CardFields> toCards(const GedcomFile &file, ImportCounts *counts = nullptr);

// Imports a GEDCOM file into a card file, through the card program's store,
// after everything has been read and checked, holding the card file's lock.
// An existing card file that holds cards is refused unless `append`, which
// adds the imported cards after its own. On failure the card file is as it
// was.
// The GEDCOM file is let go before the cards are made, so that the import
// holds little more than the file's size at any time. A file that makes more
// cards than a card file holds is refused before the card file is touched.
Result<ImportCounts> importGedcomFile(const QString &gedcomFile, const QString &cardFile, bool append,
                                     const ImportProgress &progress = {});

} // namespace kinfolio::Gedcom

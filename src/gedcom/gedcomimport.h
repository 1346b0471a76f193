#pragma once

#include "format/cardrecord.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

namespace kinfolio::Gedcom {

class GedcomFile;

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
    // What was read in a way the file may not have meant, one line each.
    QStringList warnings;
};

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
// adds the imported cards after its own. On failure `error` says why and the
// card file is as it was.
bool importGedcomFile(const QString &gedcomFile, const QString &cardFile, bool append, QString *error,
                      ImportCounts *counts = nullptr);

} // namespace kinfolio::Gedcom

#pragma once

#include "base/result.h"
#include "format/cardrecord.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kinfolio {

class CardStore;

// Why `store` could not load its card file, as a message names it; `loaded`
// is what the load gave.
QString cardFileProblem(const CardStore &store, const Result<> &loaded);

struct CardFileContents
{
    std::vector<CardFields> cards;
    // A line for each thing found beside the cards, ready to print.
    QStringList notes;
};

// Reads every card of a card file for a program that only reads it (an
// export, a printout). Fails, with the reason ready to print, when
// the file is missing, a folder or unreadable, plainly not a card file (a
// GEDCOM file, a PDF, a text without quoted items: the message names the
// likely slip), or damaged (a card cut short, more cards than the card
// program holds): output made from part of the cards would look complete
// when it is not.
//
// The cards are those the user was last told of: the changes of a card
// window still open, or of one that did not end through Exit, are read from
// its journal too (the files stay as they are), and the notes say so.
Result<CardFileContents> readCardFile(const QString &path);

} // namespace kinfolio

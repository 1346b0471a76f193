#pragma once

#include "cardrecord.h"
#include "cardstore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace kinfolio::Gedcom {

struct ExportCounts
{
    int families = 0;
    int individuals = 0;
    // What the export changed or left out of the cards, one line each.
    QStringList warnings;
};

// The GEDCOM 5.5.1 file (lineage-linked, UTF-8, CR LF line ends) for a list of
// cards. Each card is a family of the husband and the wife; their parents are
// individuals in a parents' family, unless exactly one other card holds a
// couple of the same two names, in which case the child joins that card's
// family. The output depends on nothing but the cards.
QByteArray fromCards(const std::vector<CardFields> &cards, ExportCounts *counts = nullptr);

// Why `store` could not load its card file, for a message.
QString cardFileProblem(const CardStore &store);

// Reads every card of a card file. Fails, with the reason in `error`, when the
// file is missing or unreadable, or damaged (a card cut short): an export of
// part of the cards would look complete when it is not.
bool readCardFile(const QString &path, std::vector<CardFields> &cards, QString *error);

// Exports a card file to a GEDCOM file. The output is replaced whole or not at
// all; on failure `error` says why and no output file is left behind.
bool exportCardFile(const QString &cardFile, const QString &gedcomFile, QString *error,
                    ExportCounts *counts = nullptr);

} // namespace kinfolio::Gedcom

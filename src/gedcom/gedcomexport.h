#pragma once

#include "base/result.h"
#include "format/cardrecord.h"
#include "gedcomreader.h"

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
// cards. Each card is a family of the husband and the wife, or the one person
// it shows alone; people and parents are linked and merged as CardLinks says.
// The output depends on nothing but the cards, and importing it gives cards
// that export to the same bytes.
// `progress` hears of the records written.
QByteArray fromCards(const std::vector<CardFields> &cards, ExportCounts *counts = nullptr,
                     const Progress &progress = {});

// Exports a card file to a GEDCOM file. The output is replaced whole or not at
// all; on failure no output file is left behind.
Result<ExportCounts> exportCardFile(const QString &cardFile, const QString &gedcomFile, const Progress &progress = {});

} // namespace kinfolio::Gedcom

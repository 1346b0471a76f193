#pragma once

#include "base/result.h"
#include "format/cardrecord.h"
#include "sheetlayout.h"

#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace kinfolio::Sheets {

struct PrintOptions
{
    Paper paper = Paper::A4;
    int card = -1; // print this card alone (0-based); -1 prints every card
    QString source; // the card file's name, for the footers
    // Hears how far the work has come: the cards laid out (the pages are
    // counted first), then the pages written.
    enum class Step { Counting, Writing };
    std::function<void(Step step, int done, int total)> progress;
};

struct PrintCounts
{
    int sheets = 0; // family group sheets (one per card, of one or more pages)
    int charts = 0; // pedigree charts (one page per card)
    int pages = 0;
    // What the reading of the card file found to tell, one line each.
    QStringList notes;
};

// The fonts the pages are set in, Liberation and Noto for the scripts it
// lacks, when one is not installed: another font in its place would change
// the pages, or leave a script's letters as boxes. None when all are.
std::optional<QString> missingFonts();

// Writes the family group sheet and the pedigree chart of each card, in card
// order, as a PDF to `device`, page after page: no more than one page is
// held in memory. Needs a QGuiApplication. `options.card` must be a card of
// `cards`.
Result<PrintCounts> writePdf(QIODevice *device, const std::vector<CardFields> &cards, const PrintOptions &options);

// Reads a card file and writes its sheets and charts to a PDF file. The PDF
// is replaced whole or not at all; on failure nothing is written. A damaged card file, an empty one and a card number it does
// not hold are failures.
Result<PrintCounts> printCardFile(const QString &cardFile, const QString &pdfFile, const PrintOptions &options);

} // namespace kinfolio::Sheets

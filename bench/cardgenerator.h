#pragma once

#include "format/cardrecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kinfolio::bench {

// An invented family card with the field lengths of real ones: full names,
// dates in the usual genealogical forms (some unknown), places with county
// and country, and zero to three lines of notes. The same index always gives
// the same card.
CardFields generatedCard(int index);

// The bytes of a card file holding generatedCard(0) to generatedCard(count - 1).
QByteArray generatedCardFile(int count);

// A card file of one card whose `field` holds about `size` characters of
// text: lines of words for the notes, one long line for any other field.
QByteArray hugeValueCardFile(CardField field, qsizetype size);

} // namespace kinfolio::bench

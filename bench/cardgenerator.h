#pragma once

#include "cardrecord.h"

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

} // namespace kinfolio::bench

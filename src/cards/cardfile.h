#pragma once

#include "cardrecord.h"

#include <QString>
#include <QStringView>

#include <array>

namespace kinfolio {

class ItemReader;

// Reads the seventeen items of one card. False on a read failure (the card is
// cut short); `card` is then incomplete and must be dropped.
bool readCard(ItemReader &reader, CardFields &card);
// The same, with the items as views into the reader's text (see
// ItemReader::readItem), for a caller that keeps its own copy.
bool readCard(ItemReader &reader, std::array<QStringView, CardFieldCount> &card);

// Appends the seventeen items of one card, one line each.
void writeCard(QString &out, const CardFields &card);

} // namespace kinfolio

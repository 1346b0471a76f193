#pragma once

#include "cardrecord.h"

#include <QString>

namespace kinfolio {

class ItemReader;

// Reads the seventeen items of one card. False on a read failure (the card is
// cut short); `card` is then incomplete and must be dropped.
bool readCard(ItemReader &reader, CardFields &card);

// Appends the seventeen items of one card, one line each.
void writeCard(QString &out, const CardFields &card);

} // namespace kinfolio

#pragma once

#include "commands/cardmessage.h"

class QWidget;

namespace kinfolio {

class WaysOut;

// How a failed Exit ended.
enum class WayOut {
    Stay,           // OK, or a way out given up: the window stays with what it holds
    SavedElsewhere, // Save As wrote a copy: the window closes
    Left,           // Leave Without Saving, confirmed
};

// The dialogue of a failed Exit, the same for every window that keeps a
// file: shows `failure`, then runs the way out the user chooses. Save As
// proposes a new name and asks again after a refused or failed choice, until
// a copy is written or the user cancels.
WayOut offerWaysOut(QWidget *window, WaysOut &waysOut, const CardMessage &failure);

} // namespace kinfolio

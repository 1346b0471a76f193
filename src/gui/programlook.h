#pragma once

namespace kinfolio {

// The look of every window of both programs, set once at start: the Fusion
// style, so windows look the same on every desktop, and Liberation Sans 8 pt,
// which has Arial's metrics, so captions fit where the layouts place them.
void applyProgramLook();

} // namespace kinfolio

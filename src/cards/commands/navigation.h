#pragma once

namespace kinfolio {

enum class NavButton { Beginning, BackOne, ForwardOne, End };

// What a click on a navigation button does, decided from the store's two
// numbers alone.
struct NavDecision
{
    enum Kind { Nothing, FirstRecordReached, LastRecordReached, MoveTo };
    Kind kind = Nothing;
    int position = 0; // the new CurrentCard, for MoveTo

    bool operator==(const NavDecision &o) const
    {
        return kind == o.kind && (kind != MoveTo || position == o.position);
    }
};

// Forward tests the end before the empty table, so on an empty table whose
// CurrentCard is -1 it alone reports "Last record reached.". A move that
// would leave the table (a state the store never produces) is a failing step
// and is skipped: nothing happens.
NavDecision decideNavigation(NavButton button, int cardCount, int currentCard);

} // namespace kinfolio

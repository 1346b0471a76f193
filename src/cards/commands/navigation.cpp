#include "commands/navigation.h"

namespace kinfolio {

NavDecision decideNavigation(NavButton button, int cardCount, int currentCard)
{
    if (button == NavButton::ForwardOne && currentCard + 1 == cardCount)
        return {NavDecision::LastRecordReached};
    if (cardCount == 0)
        return {NavDecision::Nothing};

    int target = 0;
    switch (button) {
    case NavButton::Beginning:
    case NavButton::BackOne:
        if (currentCard == 0)
            return {NavDecision::FirstRecordReached};
        target = button == NavButton::Beginning ? 0 : currentCard - 1;
        break;
    case NavButton::ForwardOne:
        target = currentCard + 1;
        break;
    case NavButton::End:
        if (currentCard + 1 == cardCount)
            return {NavDecision::LastRecordReached};
        target = cardCount - 1;
        break;
    }
    if (target < 0 || target >= cardCount)
        return {NavDecision::Nothing};
    return {NavDecision::MoveTo, target};
}

} // namespace kinfolio

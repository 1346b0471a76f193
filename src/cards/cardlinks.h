#pragma once

#include "cardrecord.h"

#include <array>
#include <vector>

namespace kinfolio {

// How cards join into a family tree, by exact names and nothing weaker: the
// husband (or the wife) of card c is a child of card p when his father and
// mother are, character for character, the husband's and the wife's names of
// p, both given, and no other card than c holds that couple as well (two such
// cards leave no way to tell which is meant, so neither is linked). People
// are never merged on anything weaker.
//
// A link that would make a card its own ancestor is left out. The cards are
// followed in order, husband before wife, so of the links that close a loop
// the one met last in that walk is the one left out.
class CardLinks
{
public:
    struct Child
    {
        int card;
        Spouse spouse;
    };

    struct LeftOut
    {
        int card;        // the child's card
        Spouse spouse;   // which of its spouses is the child
        int parentsCard; // the card of the parents it was not linked to
    };

    explicit CardLinks(const std::vector<CardFields> &cards);

    // The card of the parents of `spouse` of card `card`, or -1.
    int parentsCard(int card, Spouse spouse) const;

    // The spouses on other cards who are children of card `card`, in card
    // order, husbands before wives on the same card.
    const std::vector<Child> &children(int card) const { return m_children[size_t(card)]; }

    // The links left out because they would close a loop.
    const std::vector<LeftOut> &leftOut() const { return m_leftOut; }

private:
    void leaveOutLoops();

    // Per card: the parents' card of the husband and of the wife, or -1.
    std::vector<std::array<int, 2>> m_parents;
    std::vector<std::vector<Child>> m_children;
    std::vector<LeftOut> m_leftOut;
};

} // namespace kinfolio

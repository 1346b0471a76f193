#pragma once

#include "format/cardrecord.h"

#include <array>
#include <vector>

namespace kinfolio {

// How cards join into a family tree, by exact names and nothing weaker. The
// GEDCOM export and the printed sheets and charts follow these rules alike.
//
// People: the husband or the wife of a card is a person when the card tells
// anything of them. A person who stands on several cards, on the same side,
// with the same name (not blank) and the same birth, death and parents,
// character for character, is one person with a family on each card. A
// card that holds one person, no marriage and no children shows that person
// alone; such a person is never taken for anyone else.
//
// Parents: the father and the mother a card names for a person are the
// couple of another card when that card's husband's and wife's names are
// exactly theirs (a blank name matching only a blank one, not both blank)
// and no other card holds that couple, the naming card included. Parents
// that no card holds are one couple for everybody who names them. Parents
// whose couple several cards hold are none of them, and nobody else's
// either: nothing tells which is meant; nor are those of a card that holds
// them itself.
//
// A link that would make a person his or her own ancestor is left out. The
// people are followed in order, husband before wife, so of the links that
// close a loop the one met last in that walk is the one left out.
class CardLinks
{
public:
    // Where a person stands: a card and its side.
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

    // The person the husband or the wife of `card` is, or -1 when the card
    // tells nothing of them. People are numbered from 0: those on the cards
    // of families first, then those alone, each in card order.
    int person(int card, Spouse spouse) const;
    int personCount() const { return int(m_firstPlace.size()); }
    // The first card a person stands on.
    Child firstPlace(int person) const { return m_firstPlace[size_t(person)]; }

    // True when the card shows its one person alone (see above).
    bool standsAlone(int card) const { return m_alone[size_t(card)]; }

    // The card of the parents of `spouse` of card `card`, or -1.
    int parentsCard(int card, Spouse spouse) const;

    // The couple, numbered from 0, that `spouse` of card `card` names as
    // parents when no card holds it; -1 otherwise.
    int namedParents(int card, Spouse spouse) const;
    int namedParentsCount() const { return m_namedParentsCount; }

    // The children of card `card`: each person whose parents are its couple,
    // once, at their first place, in the order of the people.
    const std::vector<Child> &children(int card) const { return m_children[size_t(card)]; }

    // The links left out because they would close a loop.
    const std::vector<LeftOut> &leftOut() const { return m_leftOut; }

private:
    void numberPeople(const std::vector<CardFields> &cards);
    void leaveOutLoops();

    // Per card: the person of the husband and of the wife, or -1.
    std::vector<std::array<int, 2>> m_people;
    std::vector<bool> m_alone;
    std::vector<Child> m_firstPlace;
    // Per person: the parents' card or -1, and the named parents or -1.
    std::vector<int> m_parentsCard;
    std::vector<int> m_namedParents;
    int m_namedParentsCount = 0;
    std::vector<std::vector<Child>> m_children;
    std::vector<LeftOut> m_leftOut;
};

} // namespace kinfolio

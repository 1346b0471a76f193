#include "family/cardlinks.h"

#include "family/ancestorwalk.h"
#include "family/cardtext.h"

#include <map>
#include <optional>
#include <utility>

namespace kinfolio {

namespace {

size_t sideIndex(Spouse spouse)
{
    return spouse == Spouse::Husband ? 0 : 1;
}

constexpr Spouse bothSides[] = {Spouse::Husband, Spouse::Wife};

// A couple's two names, a blank one as empty; none when both are blank.
using Couple = std::pair<QString, QString>;
std::optional<Couple> coupleOf(const QString &husband, const QString &wife)
{
    Couple couple{isBlank(husband) ? QString() : husband, isBlank(wife) ? QString() : wife};
    if (couple.first.isEmpty() && couple.second.isEmpty())
        return std::nullopt;
    return couple;
}

bool tellsOf(const CardFields &card, Spouse spouse)
{
    return CardText::spouseFacts(card, spouse).tellsAnything();
}

} // namespace

CardLinks::CardLinks(const std::vector<CardFields> &cards)
    : m_people(cards.size(), {-1, -1})
    , m_alone(cards.size(), false)
    , m_children(cards.size())
{
    std::map<Couple, std::vector<int>> couples;
    for (size_t i = 0; i < cards.size(); ++i) {
        if (const auto couple = coupleOf(cards[i][CardField::Name], cards[i][CardField::WifeName]))
            couples[*couple].push_back(int(i));
    }

    // The parents each card names: the one card that holds them, or the
    // names when no card does; neither when several do, or only the card
    // that names them.
    struct Parents
    {
        int card = -1;
        std::optional<Couple> named;
    };
    std::vector<std::array<Parents, 2>> parents(cards.size());
    std::vector<bool> hasChildren(cards.size(), false);
    for (size_t i = 0; i < cards.size(); ++i) {
        for (Spouse spouse : bothSides) {
            const SpouseFields &f = spouseFields(spouse);
            const auto couple = coupleOf(cards[i][f.father], cards[i][f.mother]);
            if (!couple)
                continue;
            const auto found = couples.find(*couple);
            Parents &p = parents[i][sideIndex(spouse)];
            if (found == couples.end()) {
                p.named = couple;
            } else if (found->second.size() == 1 && found->second.front() != int(i)) {
                p.card = found->second.front();
                hasChildren[size_t(p.card)] = true;
            }
        }
    }
    for (size_t i = 0; i < cards.size(); ++i) {
        const CardFields &card = cards[i];
        const bool married = !isBlank(card[CardField::MarriedDate]) || !isBlank(card[CardField::MarriedPlace]);
        m_alone[i] = tellsOf(card, Spouse::Husband) != tellsOf(card, Spouse::Wife) && !married && !hasChildren[i];
    }

    numberPeople(cards);
    std::map<Couple, int> named;
    for (const Child &at : m_firstPlace) {
        const Parents &p = parents[size_t(at.card)][sideIndex(at.spouse)];
        m_parentsCard.push_back(p.card);
        m_namedParents.push_back(
            p.named ? named.try_emplace(*p.named, int(named.size())).first->second : -1);
    }
    m_namedParentsCount = int(named.size());
    leaveOutLoops();

    for (int person = 0; person < personCount(); ++person) {
        const int parentsCard = m_parentsCard[size_t(person)];
        if (parentsCard >= 0)
            m_children[size_t(parentsCard)].push_back(m_firstPlace[size_t(person)]);
    }
}

void CardLinks::numberPeople(const std::vector<CardFields> &cards)
{
    std::map<std::pair<size_t, CardText::SpouseFacts>, int> known;
    for (const bool alone : {false, true}) {
        for (size_t i = 0; i < cards.size(); ++i) {
            if (m_alone[i] != alone)
                continue;
            for (Spouse spouse : bothSides) {
                const CardText::SpouseFacts facts = CardText::spouseFacts(cards[i], spouse);
                if (!facts.tellsAnything())
                    continue;
                int &person = m_people[i][sideIndex(spouse)];
                person = personCount();
                if (!alone && !isBlank(facts.name))
                    person = known.try_emplace({sideIndex(spouse), facts}, person).first->second;
                if (person == personCount())
                    m_firstPlace.push_back({int(i), spouse});
            }
        }
    }
}

void CardLinks::leaveOutLoops()
{
    const auto parent = [this](int person, int side) {
        const int parentsCard = m_parentsCard[size_t(person)];
        return parentsCard < 0 ? -1 : m_people[size_t(parentsCard)][size_t(side)];
    };
    walkAncestors(personCount(), parent, [this](int person, int, int) {
        const Child at = m_firstPlace[size_t(person)];
        m_leftOut.push_back({at.card, at.spouse, m_parentsCard[size_t(person)]});
        m_parentsCard[size_t(person)] = -1;
    });
}

int CardLinks::person(int card, Spouse spouse) const
{
    return m_people[size_t(card)][sideIndex(spouse)];
}

int CardLinks::parentsCard(int card, Spouse spouse) const
{
    const int p = person(card, spouse);
    return p < 0 ? -1 : m_parentsCard[size_t(p)];
}

int CardLinks::namedParents(int card, Spouse spouse) const
{
    const int p = person(card, spouse);
    return p < 0 ? -1 : m_namedParents[size_t(p)];
}

} // namespace kinfolio

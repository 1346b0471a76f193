#include "cardlinks.h"

#include "ancestorwalk.h"

#include <map>
#include <utility>

namespace kinfolio {

namespace {
size_t sideIndex(Spouse spouse)
{
    return spouse == Spouse::Husband ? 0 : 1;
}
} // namespace

CardLinks::CardLinks(const std::vector<CardFields> &cards)
    : m_parents(cards.size(), {-1, -1})
{
    // Cards by their couple's two names, exactly as written.
    std::map<std::pair<QString, QString>, std::vector<int>> couples;
    for (size_t i = 0; i < cards.size(); ++i) {
        const QString &husband = cards[i][CardField::Name];
        const QString &wife = cards[i][CardField::WifeName];
        if (!isBlank(husband) && !isBlank(wife))
            couples[{husband, wife}].push_back(int(i));
    }

    for (size_t i = 0; i < cards.size(); ++i) {
        for (Spouse spouse : {Spouse::Husband, Spouse::Wife}) {
            const SpouseFields &f = spouseFields(spouse);
            const QString &father = cards[i][f.father];
            const QString &mother = cards[i][f.mother];
            if (isBlank(father) || isBlank(mother))
                continue;
            const auto found = couples.find({father, mother});
            if (found == couples.end())
                continue;
            int other = -1;
            int others = 0;
            for (int j : found->second) {
                if (j != int(i)) {
                    other = j;
                    ++others;
                }
            }
            if (others == 1)
                m_parents[i][sideIndex(spouse)] = other;
        }
    }
    leaveOutLoops();

    m_children.resize(cards.size());
    for (size_t c = 0; c < m_parents.size(); ++c) {
        for (Spouse spouse : {Spouse::Husband, Spouse::Wife}) {
            const int parents = m_parents[c][sideIndex(spouse)];
            if (parents >= 0)
                m_children[size_t(parents)].push_back({int(c), spouse});
        }
    }
}

void CardLinks::leaveOutLoops()
{
    walkAncestors(
        int(m_parents.size()), [this](int card, int side) { return m_parents[size_t(card)][size_t(side)]; },
        [this](int card, int side, int parents) {
            m_leftOut.push_back({card, side == 0 ? Spouse::Husband : Spouse::Wife, parents});
            m_parents[size_t(card)][size_t(side)] = -1;
        });
}

int CardLinks::parentsCard(int card, Spouse spouse) const
{
    return m_parents[size_t(card)][sideIndex(spouse)];
}

} // namespace kinfolio

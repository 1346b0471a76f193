#include "cardlinks.h"

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
    // A depth-first walk up the parent links, from each card in order; a link
    // to a card still on the walk's path closes a loop and is taken out.
    enum State : char { Unseen, OnPath, Done };
    std::vector<State> state(m_parents.size(), Unseen);
    struct Step
    {
        int card;
        size_t next; // the side to follow next: 0 husband, 1 wife, 2 done
    };
    std::vector<Step> path;
    for (size_t start = 0; start < m_parents.size(); ++start) {
        if (state[start] != Unseen)
            continue;
        path.push_back({int(start), 0});
        state[start] = OnPath;
        while (!path.empty()) {
            Step &step = path.back();
            if (step.next == 2) {
                state[size_t(step.card)] = Done;
                path.pop_back();
                continue;
            }
            const size_t side = step.next++;
            int &parents = m_parents[size_t(step.card)][side];
            if (parents < 0)
                continue;
            if (state[size_t(parents)] == OnPath) {
                m_leftOut.push_back({step.card, side == 0 ? Spouse::Husband : Spouse::Wife, parents});
                parents = -1;
            } else if (state[size_t(parents)] == Unseen) {
                state[size_t(parents)] = OnPath;
                path.push_back({parents, 0});
            }
        }
    }
}

int CardLinks::parentsCard(int card, Spouse spouse) const
{
    return m_parents[size_t(card)][sideIndex(spouse)];
}

} // namespace kinfolio

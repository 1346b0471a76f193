#pragma once

#include <vector>

namespace kinfolio {

// Walks up the links from each of `count` people (or cards) to their two
// parents, depth first and in order, without recursing, so a line of
// thousands of generations is no risk. `parent(node, side)` gives the parent
// on side 0 or 1, or -1. Each link that leads to someone still on the walk's
// path makes a person his or her own ancestor: `closesLoop(node, side,
// parent)` is called for it (the walk does not follow it, and the caller may
// drop it). Which link closes a loop follows from the order of the walk.
template<typename Parent, typename ClosesLoop>
void walkAncestors(int count, Parent parent, ClosesLoop closesLoop)
{
    enum State : char { Unseen, OnPath, Done };
    std::vector<State> state(size_t(count), Unseen);
    struct Step
    {
        int node;
        int next; // the side to follow next: 0, 1, or 2 when both are done
    };
    std::vector<Step> path;
    for (int start = 0; start < count; ++start) {
        if (state[size_t(start)] != Unseen)
            continue;
        path.push_back({start, 0});
        state[size_t(start)] = OnPath;
        while (!path.empty()) {
            const int node = path.back().node;
            const int side = path.back().next++;
            if (side == 2) {
                state[size_t(node)] = Done;
                path.pop_back();
                continue;
            }
            const int up = parent(node, side);
            if (up < 0)
                continue;
            if (state[size_t(up)] == OnPath) {
                closesLoop(node, side, up);
            } else if (state[size_t(up)] == Unseen) {
                state[size_t(up)] = OnPath;
                path.push_back({up, 0});
            }
        }
    }
}

} // namespace kinfolio

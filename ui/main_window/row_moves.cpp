#include "row_moves.h"

#include <numeric>
#include <utility>

namespace row_moves {

std::vector<int> dropped(int count, const std::vector<int> &rows, int destination)
{
    std::vector<bool> moving(static_cast<std::size_t>(count), false);
    for (int row : rows)
        moving[static_cast<std::size_t>(row)] = true;
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row <= count; ++row) {
        if (row == destination)
            order.insert(order.end(), rows.begin(), rows.end());
        if (row < count && !moving[static_cast<std::size_t>(row)])
            order.push_back(row);
    }
    return order;
}

std::vector<int> stepped(int count, const std::vector<int> &rows, int step)
{
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::vector<bool> moving(static_cast<std::size_t>(count), false);
    for (int row : rows)
        moving[static_cast<std::size_t>(row)] = true;
    // Walking towards the edge the names move to, each given name swaps with the one before it
    // unless that one is given too and could not move: runs at the edge stay put.
    const bool up = step < 0;
    const int first = up ? 0 : count - 1;
    const int last = up ? count : -1;
    const int direction = up ? 1 : -1;
    bool blocked = true; // the edge itself blocks
    for (int row = first; row != last; row += direction) {
        const auto at = static_cast<std::size_t>(row);
        if (!moving[at]) {
            blocked = false;
            continue;
        }
        if (blocked)
            continue;
        const auto before = static_cast<std::size_t>(row - direction);
        std::swap(order[at], order[before]);
        moving[before] = true;
        moving[at] = false;
    }
    return order;
}

} // namespace row_moves

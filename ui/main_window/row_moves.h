// How the rows of the selected list are rearranged when names are dragged to a new place or
// stepped one place up or down: the new order, as the old row each new row comes from.
#pragma once

#include <vector>

namespace row_moves {

// The rows (ascending, no repeats) taken out and put back, in their order, before the row that
// was at `destination` (count: at the end). The other rows keep their order.
std::vector<int> dropped(int count, const std::vector<int> &rows, int destination);

// Every row given (ascending, no repeats) moves one place up (step -1) or down (step +1), past the
// next row not given; a run of given rows already at the top (or bottom) stays where it is.
std::vector<int> stepped(int count, const std::vector<int> &rows, int step);

} // namespace row_moves

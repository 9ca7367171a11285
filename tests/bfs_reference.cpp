#include "tests/bfs_reference.h"

#include <algorithm>
#include <set>

namespace
{

const int DR[4] = {-1, 1, 0, 0};
const int DC[4] = {0, 0, -1, 1};

// Rows padded with walls to one width; cells are r * cols + c.
struct Board {
    int cols = 0;
    std::vector<std::string> cells;
    bool floor(int r, int c) const
    {
        if (r < 0 || c < 0 || r >= static_cast<int>(cells.size()) || c >= cols) return false;
        return std::string("-.$*@+").find(cells[r][c]) != std::string::npos;
    }
    bool bank(int cell) const { return std::string(".*+").find(cells[cell / cols][cell % cols]) != std::string::npos; }
};

// Sorted treasures, and the player as the first cell it can walk to, so
// positions that differ by a walk are one.
using Position = std::pair<std::vector<int>, int>;

std::vector<bool> walkable(const Board& b, const std::vector<int>& treasures, int from)
{
    std::vector<bool> seen(b.cells.size() * b.cols, false);
    std::vector<int> stack{from};
    seen[from] = true;
    while (!stack.empty()) {
        const int at = stack.back();
        stack.pop_back();
        for (int d = 0; d < 4; ++d) {
            const int r = at / b.cols + DR[d], c = at % b.cols + DC[d], to = r * b.cols + c;
            if (!b.floor(r, c) || seen[to] || std::count(treasures.begin(), treasures.end(), to)) continue;
            seen[to] = true;
            stack.push_back(to);
        }
    }
    return seen;
}

int first_walkable(const Board& b, const std::vector<int>& treasures, int from)
{
    const std::vector<bool> v = walkable(b, treasures, from);
    return static_cast<int>(std::find(v.begin(), v.end(), true) - v.begin());
}

} // namespace

Bfs_answer bfs_fewest_pushes(const std::vector<std::string>& rows, size_t max_positions)
{
    Board b;
    for (const std::string& r : rows)
        b.cols = std::max(b.cols, static_cast<int>(r.size()));
    for (const std::string& r : rows)
        b.cells.push_back(r + std::string(b.cols - r.size(), '#'));
    std::vector<int> treasures;
    int player = -1;
    for (int cell = 0; cell < static_cast<int>(rows.size()) * b.cols; ++cell) {
        const char ch = b.cells[cell / b.cols][cell % b.cols];
        if (ch == '$' || ch == '*') treasures.push_back(cell);
        if (ch == '@' || ch == '+') player = cell;
    }
    if (player < 0) return {};
    std::vector<Position> layer{{treasures, first_walkable(b, treasures, player)}};
    std::set<Position> seen(layer.begin(), layer.end());
    for (int pushes = 1; !layer.empty(); ++pushes) {
        std::vector<Position> next;
        for (const auto& [at, walker] : layer) {
            const std::vector<bool> reach = walkable(b, at, walker);
            for (size_t i = 0; i < at.size(); ++i)
                for (int d = 0; d < 4; ++d) {
                    const int tr = at[i] / b.cols, tc = at[i] % b.cols, ahead = at[i] + DR[d] * b.cols + DC[d];
                    if (!b.floor(tr - DR[d], tc - DC[d]) || !reach[at[i] - DR[d] * b.cols - DC[d]]) continue;
                    if (!b.floor(tr + DR[d], tc + DC[d]) || std::count(at.begin(), at.end(), ahead)) continue;
                    std::vector<int> moved = at;
                    moved[i] = ahead;
                    std::sort(moved.begin(), moved.end());
                    if (std::all_of(moved.begin(), moved.end(), [&](int t) { return b.bank(t); }))
                        return {true, pushes};
                    Position q{moved, first_walkable(b, moved, at[i])};
                    if (!seen.insert(q).second) continue;
                    if (seen.size() > max_positions) return {};
                    next.push_back(q);
                }
        }
        layer.swap(next);
    }
    return {true, -1};
}

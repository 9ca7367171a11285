#include "tests/bfs_reference.h"

#include <algorithm>
#include <queue>
#include <set>
#include <tuple>

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

// Pads the rows into `b` and lists the treasures; the player's cell, or -1.
int read_board(const std::vector<std::string>& rows, Board& b, std::vector<int>& treasures)
{
    for (const std::string& r : rows)
        b.cols = std::max(b.cols, static_cast<int>(r.size()));
    for (const std::string& r : rows)
        b.cells.push_back(r + std::string(b.cols - r.size(), '#'));
    int player = -1;
    for (int cell = 0; cell < static_cast<int>(rows.size()) * b.cols; ++cell) {
        const char ch = b.cells[cell / b.cols][cell % b.cols];
        if (ch == '$' || ch == '*') treasures.push_back(cell);
        if (ch == '@' || ch == '+') player = cell;
    }
    return player;
}

} // namespace

Bfs_answer bfs_fewest_pushes(const std::vector<std::string>& rows, size_t max_positions)
{
    Board b;
    std::vector<int> treasures;
    const int player = read_board(rows, b, treasures);
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

Bfs_answer reference_fewest_moves(const std::vector<std::string>& rows, bool pushes_first, size_t max_positions)
{
    Board b;
    std::vector<int> start;
    const int player = read_board(rows, b, start);
    if (player < 0) return {};
    // (cost, pushes, moves, solved, position); the player is kept exactly.
    using Entry = std::tuple<long long, int, int, bool, Position>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    open.emplace(0, 0, 0, false, Position{start, player});
    std::set<Position> done;
    while (!open.empty()) {
        const auto [cost, pushes, moves, solved, position] = open.top();
        open.pop();
        if (solved) return {true, pushes, moves};
        if (!done.insert(position).second) continue;
        if (done.size() > max_positions) return {};
        const auto& [at, walker] = position;
        for (int d = 0; d < 4; ++d) {
            const int r = walker / b.cols + DR[d], c = walker % b.cols + DC[d], to = r * b.cols + c;
            if (!b.floor(r, c)) continue;
            std::vector<int> moved = at;
            const auto pushed = std::find(moved.begin(), moved.end(), to);
            const bool push = pushed != moved.end();
            if (push) {
                const int ahead = to + DR[d] * b.cols + DC[d];
                if (!b.floor(r + DR[d], c + DC[d]) || std::count(at.begin(), at.end(), ahead)) continue;
                *pushed = ahead;
                std::sort(moved.begin(), moved.end());
            }
            const int p = pushes + push, m = moves + 1;
            const bool all_banked = std::all_of(moved.begin(), moved.end(), [&](int t) { return b.bank(t); });
            open.emplace(pushes_first ? p * 1000000LL + m : m, p, m, push && all_banked, Position{moved, to});
        }
    }
    return {true, -1, -1};
}

int reference_start_bound(const std::vector<std::string>& rows)
{
    Board b;
    std::vector<int> treasures;
    const int player = read_board(rows, b, treasures);
    std::vector<int> banks;
    for (int cell = 0; cell < static_cast<int>(b.cells.size()) * b.cols; ++cell)
        if (b.bank(cell)) banks.push_back(cell);
    // distance[i][j]: pushes that take treasure i alone to bank j; -1: never.
    std::vector<std::vector<int>> distance(treasures.size(), std::vector<int>(banks.size(), -1));
    for (size_t i = 0; i < treasures.size(); ++i) {
        std::vector<std::pair<int, int>> layer{{treasures[i], first_walkable(b, {treasures[i]}, player)}};
        std::set<std::pair<int, int>> seen(layer.begin(), layer.end());
        for (int pushes = 0; !layer.empty(); ++pushes) {
            std::vector<std::pair<int, int>> next;
            for (const auto& [at, walker] : layer) {
                const auto bank = std::find(banks.begin(), banks.end(), at);
                if (bank != banks.end() && distance[i][bank - banks.begin()] < 0)
                    distance[i][bank - banks.begin()] = pushes;
                const std::vector<bool> reach = walkable(b, {at}, walker);
                const int r = at / b.cols, c = at % b.cols;
                for (int d = 0; d < 4; ++d) {
                    if (!b.floor(r - DR[d], c - DC[d]) || !reach[at - DR[d] * b.cols - DC[d]]) continue;
                    if (!b.floor(r + DR[d], c + DC[d])) continue;
                    const int ahead = at + DR[d] * b.cols + DC[d];
                    const std::pair<int, int> q{ahead, first_walkable(b, {ahead}, at)};
                    if (seen.insert(q).second) next.push_back(q);
                }
            }
            layer.swap(next);
        }
    }
    // Every way of giving the treasures distinct banks, the cheapest kept.
    std::vector<int> order(banks.size());
    for (size_t j = 0; j < order.size(); ++j)
        order[j] = static_cast<int>(j);
    int best = -1;
    do {
        int sum = 0;
        for (size_t i = 0; i < treasures.size() && sum >= 0; ++i)
            sum = distance[i][order[i]] < 0 ? -1 : sum + distance[i][order[i]];
        if (sum >= 0 && (best < 0 || sum < best)) best = sum;
    } while (std::next_permutation(order.begin(), order.end()));
    return best;
}

#include "tests/bfs_reference.h"

#include <algorithm>
#include <set>

namespace
{

struct Board {
    int cols = 0;
    std::vector<std::string> cells; // padded with walls
    bool floor(int r, int c) const
    {
        if (r < 0 || c < 0 || r >= static_cast<int>(cells.size()) || c >= cols) return false;
        return std::string("-.$*@+").find(cells[r][c]) != std::string::npos;
    }
    bool bank(int r, int c) const { return std::string(".*+").find(cells[r][c]) != std::string::npos; }
};

const int DR[4] = {-1, 1, 0, 0};
const int DC[4] = {0, 0, -1, 1};

// Treasures as r * cols + c, sorted; the player as the first cell it can
// walk to, so positions that differ by a walk are one.
struct Position {
    std::vector<int> treasures;
    int player;
    bool operator<(const Position& o) const
    {
        return treasures != o.treasures ? treasures < o.treasures : player < o.player;
    }
};

std::vector<bool> walkable(const Board& b, const std::vector<int>& treasures, int from)
{
    std::vector<bool> seen(b.cells.size() * b.cols, false);
    std::vector<int> stack{from};
    seen[from] = true;
    while (!stack.empty()) {
        int at = stack.back();
        stack.pop_back();
        for (int d = 0; d < 4; ++d) {
            int r = at / b.cols + DR[d], c = at % b.cols + DC[d];
            int to = r * b.cols + c;
            if (!b.floor(r, c) || seen[to] || std::count(treasures.begin(), treasures.end(), to)) continue;
            seen[to] = true;
            stack.push_back(to);
        }
    }
    return seen;
}

int first_true(const std::vector<bool>& v)
{
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
    Position start{{}, -1};
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < b.cols; ++c) {
            char ch = b.cells[r][c];
            if (ch == '$' || ch == '*') start.treasures.push_back(r * b.cols + c);
            if (ch == '@' || ch == '+') start.player = r * b.cols + c;
        }
    Bfs_answer answer;
    if (start.player < 0) return answer;
    start.player = first_true(walkable(b, start.treasures, start.player));
    std::set<Position> seen{start};
    std::vector<Position> layer{start};
    for (int pushes = 1; !layer.empty(); ++pushes) {
        std::vector<Position> next;
        for (const Position& p : layer) {
            std::vector<bool> reach = walkable(b, p.treasures, p.player);
            for (size_t i = 0; i < p.treasures.size(); ++i)
                for (int d = 0; d < 4; ++d) {
                    int tr = p.treasures[i] / b.cols, tc = p.treasures[i] % b.cols;
                    int pr = tr - DR[d], pc = tc - DC[d], ar = tr + DR[d], ac = tc + DC[d];
                    int ahead = ar * b.cols + ac;
                    if (!b.floor(pr, pc) || !reach[pr * b.cols + pc] || !b.floor(ar, ac)) continue;
                    if (std::count(p.treasures.begin(), p.treasures.end(), ahead)) continue;
                    Position q{p.treasures, 0};
                    q.treasures[i] = ahead;
                    std::sort(q.treasures.begin(), q.treasures.end());
                    bool done = std::all_of(q.treasures.begin(), q.treasures.end(),
                                            [&](int t) { return b.bank(t / b.cols, t % b.cols); });
                    if (done) return Bfs_answer{true, pushes};
                    q.player = first_true(walkable(b, q.treasures, p.treasures[i]));
                    if (!seen.insert(q).second) continue;
                    if (seen.size() > max_positions) return answer;
                    next.push_back(q);
                }
        }
        layer.swap(next);
    }
    return Bfs_answer{true, -1};
}

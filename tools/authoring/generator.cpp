// How a level is made: a room is carved (a rectangle with notched corners
// and scattered wall pieces), banks are chosen, and a breadth-first search
// pulls the treasures backwards from the banks. The position it reaches last
// is as many pushes from solved as any it found, which the forward solver
// then proves. Of several rooms the hardest is kept, floor the solution
// never touches is walled up, and the level must pass the game's own replay.
#include "tools/authoring/generator.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "files/pack_records.h"
#include "tools/authoring/level_text.h"
#include "tools/authoring/solution_replay.h"

namespace
{

struct Rng {
    uint64_t s;
    uint64_t next()
    {
        uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 1 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n)); }
};

using Rows = std::vector<std::string>;

bool playable(char c)
{
    return c == '-' || c == '.' || c == '$' || c == '*' || c == '@' || c == '+';
}

// Keeps the largest connected floor area; the rest becomes wall.
void keep_largest_area(Rows& g)
{
    const int R = static_cast<int>(g.size()), C = static_cast<int>(g[0].size());
    std::vector<int> label(R * C, -1);
    int best = -1, best_size = 0, next_label = 0;
    for (int start = 0; start < R * C; ++start) {
        if (!playable(g[start / C][start % C]) || label[start] >= 0) continue;
        std::vector<int> queue{start};
        label[start] = next_label;
        for (size_t i = 0; i < queue.size(); ++i) {
            int c = queue[i];
            for (int n : {c - C, c + C, c - 1, c + 1}) {
                if (n < 0 || n >= R * C || label[n] >= 0 || !playable(g[n / C][n % C])) continue;
                if ((n == c - 1 || n == c + 1) && n / C != c / C) continue;
                label[n] = next_label;
                queue.push_back(n);
            }
        }
        if (static_cast<int>(queue.size()) > best_size) {
            best_size = static_cast<int>(queue.size());
            best = next_label;
        }
        ++next_label;
    }
    for (int c = 0; c < R * C; ++c)
        if (playable(g[c / C][c % C]) && label[c] != best) g[c / C][c % C] = '#';
}

// Wall pieces scattered over a room: offsets (row, column) of each.
struct Piece {
    int n;
    int cells[4][2];
};
const Piece PIECES[] = {
    {1, {{0, 0}}},
    {2, {{0, 0}, {0, 1}}},
    {2, {{0, 0}, {1, 0}}},
    {3, {{0, 0}, {0, 1}, {1, 0}}},
    {3, {{0, 0}, {0, 1}, {1, 1}}},
    {3, {{0, 0}, {0, 1}, {0, 2}}},
    {3, {{0, 0}, {1, 0}, {2, 0}}},
    {4, {{0, 0}, {0, 1}, {1, 0}, {1, 1}}},
};

Rows carve_room(int R, int C, Rng& rng)
{
    Rows g(R, std::string(C, '#'));
    for (int r = 1; r < R - 1; ++r)
        for (int c = 1; c < C - 1; ++c)
            g[r][c] = '-';
    const int ih = R - 2, iw = C - 2;
    // Notched corners make rooms that are not plain boxes.
    for (int corner = 0; corner < 4; ++corner) {
        if (rng.below(2) == 0) continue;
        int h = 1 + rng.below(std::max(1, ih / 3)), w = 1 + rng.below(std::max(1, iw / 3));
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                int rr = corner & 1 ? R - 2 - r : 1 + r, cc = corner & 2 ? C - 2 - c : 1 + c;
                g[rr][cc] = '#';
            }
    }
    int target = ih * iw * (14 + rng.below(18)) / 100, placed = 0;
    for (int tries = 0; placed < target && tries < 200; ++tries) {
        const Piece& p = PIECES[rng.below(static_cast<int>(sizeof PIECES / sizeof PIECES[0]))];
        int r0 = 1 + rng.below(ih), c0 = 1 + rng.below(iw);
        for (int i = 0; i < p.n; ++i) {
            int r = r0 + p.cells[i][0], c = c0 + p.cells[i][1];
            if (r < R - 1 && c < C - 1 && g[r][c] == '-') {
                g[r][c] = '#';
                ++placed;
            }
        }
    }
    keep_largest_area(g);
    return g;
}

// A position of the backward search: treasure cells ascending, then the
// normalised player.
using Position = std::vector<uint16_t>;

struct Pull_search {
    const Rows& g;
    int R, C, k;
    std::vector<uint8_t> box;
    std::vector<int> mark;
    int stamp = 0;

    Pull_search(const Rows& rows, int treasures)
        : g(rows), R(static_cast<int>(rows.size())), C(static_cast<int>(rows[0].size())), k(treasures), box(R * C, 0),
          mark(R * C, 0)
    {
    }
    bool floor(int c) const { return playable(g[c / C][c % C]); }
    bool free(int c) const { return floor(c) && !box[c]; }

    // Marks the cells the player reaches from `from`; returns the lowest.
    int reach(int from)
    {
        ++stamp;
        std::vector<int> queue{from};
        mark[from] = stamp;
        int lowest = from;
        for (size_t i = 0; i < queue.size(); ++i) {
            int c = queue[i];
            lowest = std::min(lowest, c);
            for (int n : {c - C, c + C, c - 1, c + 1})
                if (free(n) && mark[n] != stamp) {
                    mark[n] = stamp;
                    queue.push_back(n);
                }
        }
        return lowest;
    }

    void place(const Position& p, bool on)
    {
        for (int i = 0; i < k; ++i)
            box[p[i]] = on;
    }
};

constexpr size_t PULL_BEAM = 3000;

std::string key_of(const Position& p)
{
    return std::string(reinterpret_cast<const char*>(p.data()), p.size() * 2);
}

// Pulls treasures away from `banks` breadth-first. Returns the positions of
// the last layer reached and its depth in pulls.
std::vector<Position> pull_away(const Rows& g, const std::vector<int>& banks, uint64_t limit, Rng& rng, int* depth)
{
    Pull_search s(g, static_cast<int>(banks.size()));
    std::unordered_set<std::string> seen;
    std::vector<Position> layer;
    Position goal(banks.begin(), banks.end());
    std::sort(goal.begin(), goal.end());
    goal.push_back(0);
    s.place(goal, true);
    for (int c = 0; c < s.R * s.C; ++c) {
        if (!s.free(c)) continue;
        Position p = goal;
        p.back() = static_cast<uint16_t>(s.reach(c));
        if (seen.insert(key_of(p)).second) layer.push_back(p);
    }
    s.place(goal, false);
    *depth = 0;
    std::vector<Position> last = layer;
    const int dirs[4] = {-s.C, s.C, -1, 1};
    while (!layer.empty() && seen.size() < limit) {
        std::vector<Position> next;
        for (const Position& p : layer) {
            s.place(p, true);
            s.reach(p.back());
            // Each pull's own search below re-marks cells, so keep these.
            std::vector<uint8_t> can_stand(s.mark.size());
            for (size_t c = 0; c < can_stand.size(); ++c)
                can_stand[c] = s.mark[c] == s.stamp;
            for (int i = 0; i < s.k; ++i) {
                int b = p[i];
                for (int d : dirs) {
                    int a = b + d, a2 = b + 2 * d;
                    if (!can_stand[a] || !s.free(a2)) continue;
                    Position q = p;
                    q[i] = static_cast<uint16_t>(a);
                    std::sort(q.begin(), q.begin() + s.k);
                    s.box[b] = 0;
                    s.box[a] = 1;
                    q.back() = static_cast<uint16_t>(s.reach(a2));
                    s.box[a] = 0;
                    s.box[b] = 1;
                    if (seen.insert(key_of(q)).second) next.push_back(q);
                }
            }
            s.place(p, false);
            if (seen.size() >= limit) break;
        }
        if (next.empty()) break;
        // With many treasures the layers grow too fast to reach far; a
        // random sample of each wide layer goes on, and the solver finds
        // the true distance of whatever is chosen.
        if (next.size() > PULL_BEAM) {
            for (size_t i = 0; i < PULL_BEAM; ++i)
                std::swap(next[i], next[i + rng.below(static_cast<int>(next.size() - i))]);
            next.resize(PULL_BEAM);
        }
        last = next;
        layer.swap(next);
        ++*depth;
    }
    return last;
}

struct Candidate {
    Rows rows;
    Solve_result solution;
    int difficulty = -1;
};

// Cells the solution walks or pushes over, marked in a grid like `rows`.
std::vector<uint8_t> touched_cells(const Rows& rows, const std::string& moves)
{
    const int R = static_cast<int>(rows.size()), C = static_cast<int>(rows[0].size());
    std::vector<uint8_t> box(R * C, 0), touched(R * C, 0);
    int player = 0;
    for (int c = 0; c < R * C; ++c) {
        char ch = rows[c / C][c % C];
        if (ch == '$' || ch == '*') box[c] = touched[c] = 1;
        if (ch == '@' || ch == '+') player = c;
        if (ch == '.' || ch == '*' || ch == '+') touched[c] = 1;
    }
    touched[player] = 1;
    for (char m : moves) {
        int d = m == '^' ? -C : m == 'v' ? C : m == '<' ? -1 : 1;
        int n = player + d;
        if (box[n]) {
            box[n] = 0;
            box[n + d] = 1;
            touched[n + d] = 1;
        }
        player = n;
        touched[n] = 1;
    }
    return touched;
}

// Walls up floor that plays no part: cells with nothing touched around
// them, then dead-end pockets, then whatever the player can no longer reach.
void wall_up_unused(Rows& rows, const std::string& moves)
{
    const int R = static_cast<int>(rows.size()), C = static_cast<int>(rows[0].size());
    std::vector<uint8_t> touched = touched_cells(rows, moves);
    Rows out = rows;
    for (int r = 1; r < R - 1; ++r)
        for (int c = 1; c < C - 1; ++c) {
            if (rows[r][c] != '-' || touched[r * C + c]) continue;
            bool near = false;
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc)
                    near = near || touched[(r + dr) * C + c + dc];
            if (!near) out[r][c] = '#';
        }
    for (bool changed = true; changed;) {
        changed = false;
        for (int r = 1; r < R - 1; ++r)
            for (int c = 1; c < C - 1; ++c) {
                if (out[r][c] != '-' || touched[r * C + c]) continue;
                int walls =
                    (out[r - 1][c] == '#') + (out[r + 1][c] == '#') + (out[r][c - 1] == '#') + (out[r][c + 1] == '#');
                if (walls >= 3) {
                    out[r][c] = '#';
                    changed = true;
                }
            }
    }
    keep_largest_area(out);
    rows.swap(out);
}

Solve_result solve_rows(const Rows& rows, Solve_goal goal, const Generate_options& o)
{
    Puzzle p;
    Solve_result none;
    if (puzzle_from_rows(rows, p) != 0) return none;
    Solve_options so;
    so.goal = goal;
    so.time_limit_seconds = o.solve_seconds;
    so.max_states = o.solve_states;
    return solve_puzzle(p, so);
}

bool make_candidate(const Generate_options& o, Rng& rng, Candidate& out)
{
    Rows g = carve_room(o.rows, o.cols, rng);
    const int C = o.cols;
    std::vector<int> floor;
    for (int c = 0; c < o.rows * C; ++c)
        if (g[c / C][c % C] == '-') floor.push_back(c);
    if (static_cast<int>(floor.size()) < o.treasures * 3 + 3) return false;
    std::vector<int> banks;
    while (static_cast<int>(banks.size()) < o.treasures) {
        int c = floor[rng.below(static_cast<int>(floor.size()))];
        if (std::find(banks.begin(), banks.end(), c) == banks.end()) banks.push_back(c);
    }
    int depth = 0;
    std::vector<Position> far = pull_away(g, banks, o.pull_limit, rng, &depth);
    if (depth < 1 || far.empty()) return false;
    // Prefer positions where no treasure already stands on a bank.
    auto on_banks = [&](const Position& p) {
        int n = 0;
        for (int i = 0; i < o.treasures; ++i)
            n += std::find(banks.begin(), banks.end(), p[i]) != banks.end();
        return n;
    };
    int fewest = o.treasures + 1;
    for (const Position& p : far)
        fewest = std::min(fewest, on_banks(p));
    std::vector<const Position*> pick;
    for (const Position& p : far)
        if (on_banks(p) == fewest) pick.push_back(&p);
    const Position& start = *pick[rng.below(static_cast<int>(pick.size()))];

    for (int b : banks)
        g[b / C][b % C] = '.';
    for (int i = 0; i < o.treasures; ++i) {
        char& ch = g[start[i] / C][start[i] % C];
        ch = ch == '.' ? '*' : '$';
    }
    Pull_search s(g, o.treasures);
    s.place(start, true);
    s.reach(start.back());
    std::vector<int> region;
    for (int c = 0; c < o.rows * C; ++c)
        if (s.mark[c] == s.stamp) region.push_back(c);
    int pc = region[rng.below(static_cast<int>(region.size()))];
    char& ch = g[pc / C][pc % C];
    ch = ch == '.' ? '+' : '@';

    Solve_result r = solve_rows(g, SOLVE_PUSHES, o);
    if (r.status != SOLVE_FOUND) return false;
    out.rows = g;
    out.solution = r;
    out.difficulty = difficulty_score(r);
    return true;
}

Rows transform(const Rows& rows, int t)
{
    const int R = static_cast<int>(rows.size()), C = R ? static_cast<int>(rows[0].size()) : 0;
    const bool swap = t & 4;
    Rows out(swap ? C : R, std::string(swap ? R : C, ' '));
    for (int r = 0; r < R; ++r)
        for (int c = 0; c < C; ++c) {
            int rr = t & 1 ? R - 1 - r : r, cc = t & 2 ? C - 1 - c : c;
            if (swap) std::swap(rr, cc);
            out[rr][cc] = rows[r][c];
        }
    return out;
}

Rows trimmed(const Rows& rows)
{
    int top = -1, bottom = -1, left = 1 << 20, right = -1;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < static_cast<int>(rows[r].size()); ++c)
            if (rows[r][c] != ' ') {
                if (top < 0) top = r;
                bottom = r;
                left = std::min(left, c);
                right = std::max(right, c);
            }
    Rows out;
    if (top < 0) return out;
    for (int r = top; r <= bottom; ++r) {
        std::string row = rows[r] + std::string(static_cast<size_t>(right + 1), ' ');
        out.push_back(row.substr(left, right - left + 1));
    }
    return out;
}

} // namespace

int difficulty_score(const Solve_result& s)
{
    return s.pushes + s.treasure_changes + 4 * (s.pushes - s.lower_bound) +
           static_cast<int>(std::lround(3 * std::log2(1.0 + static_cast<double>(s.expanded))));
}

std::vector<std::string> finish_layout(const std::vector<std::string>& rows)
{
    const int R = static_cast<int>(rows.size()) + 2;
    int C = 0;
    for (const std::string& r : rows)
        C = std::max(C, static_cast<int>(r.size()));
    C += 2;
    Rows pad(R, std::string(C, ' ')), out(R, std::string(C, ' '));
    for (int r = 0; r < R - 2; ++r)
        for (int c = 0; c < static_cast<int>(rows[r].size()); ++c)
            pad[r + 1][c + 1] = rows[r][c];
    for (int r = 0; r < R; ++r)
        for (int c = 0; c < C; ++c) {
            if (playable(pad[r][c])) {
                out[r][c] = pad[r][c];
                continue;
            }
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    int rr = r + dr, cc = c + dc;
                    if (rr >= 0 && rr < R && cc >= 0 && cc < C && playable(pad[rr][cc])) out[r][c] = '#';
                }
        }
    Rows t = trimmed(out);
    const int h = static_cast<int>(t.size()), w = h ? static_cast<int>(t[0].size()) : 0;
    if (h > LEVEL_ROWS || w > LEVEL_COLS) return t;
    Rows board(LEVEL_ROWS, std::string(LEVEL_COLS, ' '));
    const int top = (LEVEL_ROWS - h) / 2, left = (LEVEL_COLS - w) / 2;
    for (int r = 0; r < h; ++r)
        board[top + r].replace(left, w, t[r]);
    return board;
}

std::string canonical_shape(const std::vector<std::string>& rows)
{
    Rows plain = trimmed(rows);
    for (std::string& r : plain)
        for (char& c : r)
            c = c == '@' ? '-' : c == '+' ? '.' : c;
    std::string best;
    for (int t = 0; t < 8; ++t) {
        std::string s;
        for (const std::string& r : transform(plain, t))
            s += r + "\n";
        if (t == 0 || s < best) best = s;
    }
    return best;
}

std::vector<Generated_level> generate_levels(Game_state& judge, const Generate_options& o, int count)
{
    std::vector<Generated_level> out;
    std::unordered_set<std::string> shapes;
    Rng rng{o.seed * 0x2545F4914F6CDD1Dull + 17};
    int failures = 0;
    while (static_cast<int>(out.size()) < count && failures < 50) {
        Candidate best;
        for (int i = 0; i < o.candidates; ++i) {
            Candidate c;
            if (make_candidate(o, rng, c) && c.difficulty > best.difficulty) best = c;
        }
        if (best.difficulty < 0) {
            ++failures;
            continue;
        }
        Rows rows = best.rows;
        wall_up_unused(rows, best.solution.moves);
        Generated_level level;
        level.rows = finish_layout(rows);
        // The score comes from the normalised push search; the stored
        // solution is the one with the fewest steps among the push-optimal.
        Solve_result by_pushes = solve_rows(level.rows, SOLVE_PUSHES, o);
        Solve_result by_moves = solve_rows(level.rows, SOLVE_MOVES, o);
        level.solution = solve_rows(level.rows, SOLVE_PUSHES_THEN_MOVES, o);
        if (level.solution.status != SOLVE_FOUND) level.solution = by_pushes;
        if (by_pushes.status != SOLVE_FOUND || !shapes.insert(canonical_shape(level.rows)).second) {
            ++failures;
            continue;
        }
        level.fewest_moves = by_moves.status == SOLVE_FOUND ? by_moves.move_count : level.solution.move_count;
        level.difficulty = difficulty_score(by_pushes);
        auto pack = pack_of_level(Authored_level{"candidate", level.rows, "", {}, {}});
        if (!pack || !replay_solution(judge, *pack->levels, level.solution.moves).solved) {
            ++failures;
            continue;
        }
        out.push_back(level);
    }
    return out;
}

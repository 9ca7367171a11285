// How a level is made: a room is carved (a rectangle with notched corners
// and scattered wall pieces), banks are chosen, and a breadth-first search
// pulls the treasures backwards from the banks. The position it reaches last
// is as many pushes from solved as any it found, which the forward solver
// then proves. Of several rooms the hardest is kept, floor the solution
// never touches is walled up, and the level must pass the game's own replay.
#include "tools/authoring/generator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_set>

#include "engine/pack_records.h"
#include "tools/authoring/level_text.h"
#include "tools/authoring/pull_search.h"
#include "tools/authoring/room_carving.h"
#include "tools/authoring/solution_replay.h"

namespace
{

using Rows = std::vector<std::string>;

struct Candidate {
    Rows rows;
    Solve_result solution;
    int difficulty;
};

int player_cell(const Rows& rows)
{
    const int R = static_cast<int>(rows.size()), C = static_cast<int>(rows[0].size());
    for (int c = 0; c < R * C; ++c)
        if (is_zandrek_cell(rows[c / C][c % C])) return c;
    return 0;
}

// Cells the solution walks or pushes over from `player`, marked in a grid
// like `rows`.
std::vector<bool> touched_cells(const Rows& rows, int player, const std::string& moves)
{
    const int R = static_cast<int>(rows.size()), C = static_cast<int>(rows[0].size());
    std::vector<bool> box(R * C);
    for (int c = 0; c < R * C; ++c)
        box[c] = is_treasure_cell(rows[c / C][c % C]);
    std::vector<bool> touched = box;
    touched[player] = true;
    for (char m : moves) {
        const int d = m == '^' ? -C : m == 'v' ? C : m == '<' ? -1 : 1;
        player += d;
        touched[player] = true;
        if (box[player]) {
            box[player] = false;
            box[player + d] = true;
            touched[player + d] = true;
        }
    }
    return touched;
}

} // namespace

void wall_up_unused(Rows& rows, const std::string& moves)
{
    const int R = static_cast<int>(rows.size()), C = static_cast<int>(rows[0].size());
    const int player = player_cell(rows);
    const std::vector<bool> touched = touched_cells(rows, player, moves);
    auto wall_mirrored = [&](int r, int c, int axes) {
        int rr = axes & 1 ? R - 1 - r : r, cc = axes & 2 ? C - 1 - c : c;
        return rows[rr][cc] == '#';
    };
    // The symmetry the walls have, if any: left-right, top-bottom, both.
    int axes = 0;
    for (int a : {2, 1, 3}) {
        bool same = true;
        for (int r = 0; r < R && same; ++r)
            for (int c = 0; c < C && same; ++c)
                same = (rows[r][c] == '#') == wall_mirrored(r, c, a);
        if (same) {
            axes = a;
            break;
        }
    }
    Rows out = rows;
    for (int r = 1; r < R - 1; ++r)
        for (int c = 1; c < C - 1; ++c) {
            if (rows[r][c] != '-' || touched[r * C + c]) continue;
            int rr = axes & 1 ? R - 1 - r : r, cc = axes & 2 ? C - 1 - c : c;
            if (!touched[rr * C + cc]) out[r][c] = '#';
        }
    drop_specks(out);
    // A mirror of a used cell may be left apart from the rest, across a
    // walled-up middle; only the player's own area is played.
    keep_area_of(out, player / C, player % C);
    rows.swap(out);
}

namespace
{

// `upper_bound`: a solution's cost already known, 0 when none is.
Solve_result solve_rows(const Rows& rows, Solve_goal goal, const Generate_options& o, int upper_bound = 0)
{
    Puzzle p;
    Solve_result none;
    if (puzzle_from_rows(rows, p) != 0) return none;
    Solve_options so;
    so.goal = goal;
    so.time_limit_seconds = o.solve_seconds;
    so.max_states = o.solve_states;
    so.any_first_share = 0;
    so.upper_bound = upper_bound;
    return solve_puzzle(p, so);
}

std::optional<Candidate> make_candidate(const Generate_options& o, Generator_random& rng)
{
    Rows g = carve_room(o.rows, o.cols, rng);
    const int C = o.cols;
    std::vector<int> floor;
    for (int c = 0; c < o.rows * C; ++c)
        if (g[c / C][c % C] == '-') floor.push_back(c);
    if (static_cast<int>(floor.size()) < o.treasures * 3 + 3) return std::nullopt;
    // Banks mostly lie together, a vault the treasures are brought to; now
    // and then they are scattered.
    std::vector<int> banks;
    if (rng.below(4) != 0) {
        std::vector<int> queue{floor[rng.below(static_cast<int>(floor.size()))]};
        for (size_t i = 0; i < queue.size() && static_cast<int>(banks.size()) < o.treasures; ++i) {
            int c = queue[i];
            if (std::find(banks.begin(), banks.end(), c) != banks.end()) continue;
            banks.push_back(c);
            int dirs[4] = {-C, C, -1, 1};
            for (int k = 3; k > 0; --k)
                std::swap(dirs[k], dirs[rng.below(k + 1)]);
            for (int d : dirs)
                if (g[(c + d) / C][(c + d) % C] == '-') queue.push_back(c + d);
        }
    }
    while (static_cast<int>(banks.size()) < o.treasures) {
        int c = floor[rng.below(static_cast<int>(floor.size()))];
        if (std::find(banks.begin(), banks.end(), c) == banks.end()) banks.push_back(c);
    }
    int depth = 0;
    std::vector<Pull_position> far = pull_away(g, banks, o.pull_limit, o.pull_beam, rng, &depth);
    if (depth < 1 || far.empty()) return std::nullopt;
    // Prefer positions where no treasure already stands on a bank.
    auto on_banks = [&](const Pull_position& p) {
        int n = 0;
        for (int i = 0; i < o.treasures; ++i)
            n += std::find(banks.begin(), banks.end(), p[i]) != banks.end();
        return n;
    };
    int fewest = o.treasures + 1;
    for (const Pull_position& p : far)
        fewest = std::min(fewest, on_banks(p));
    std::vector<const Pull_position*> pick;
    for (const Pull_position& p : far)
        if (on_banks(p) == fewest) pick.push_back(&p);
    const Pull_position& start = *pick[rng.below(static_cast<int>(pick.size()))];

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

    // The fast mode drops rooms with no solution, or with one shorter than
    // wanted, before the optimal search is paid for, and bounds that search.
    // The bound is one above what it found, so the optimal search itself
    // still finds the optimum and the level comes out as it always did.
    Solve_result any = solve_rows(g, SOLVE_ANY, o);
    if (any.status == SOLVE_NONE || (any.status == SOLVE_FOUND && any.pushes < o.min_pushes)) return std::nullopt;
    Solve_result r = solve_rows(g, SOLVE_PUSHES, o, any.status == SOLVE_FOUND ? any.pushes + 1 : 0);
    if (r.status != SOLVE_FOUND || r.pushes < o.min_pushes || r.pushes > o.max_pushes) return std::nullopt;
    return Candidate{g, r, difficulty_score(r)};
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
    int top = -1, bottom = -1, left = std::numeric_limits<int>::max(), right = -1;
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
    const int R = static_cast<int>(rows.size());
    int C = 0;
    for (const std::string& r : rows)
        C = std::max(C, static_cast<int>(r.size()));
    // A cell of the rows given, or a space beyond them.
    auto at = [&](int r, int c) {
        return r >= 0 && r < R && c >= 0 && c < static_cast<int>(rows[r].size()) ? rows[r][c] : ' ';
    };
    // The rows with a cell more on every side, for the walls round them.
    Rows out(R + 2, std::string(C + 2, ' '));
    for (int r = 0; r < R + 2; ++r)
        for (int c = 0; c < C + 2; ++c) {
            const char here = at(r - 1, c - 1);
            if (is_play_cell(here)) {
                out[r][c] = here;
                continue;
            }
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc)
                    if (is_play_cell(at(r - 1 + dr, c - 1 + dc))) out[r][c] = '#';
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
    std::vector<std::string> shapes(8);
    for (int t = 0; t < 8; ++t)
        for (const std::string& r : transform(plain, t))
            shapes[t] += r + "\n";
    return *std::min_element(shapes.begin(), shapes.end());
}

std::vector<Generated_level> generate_levels(Game_state& judge, const Generate_options& o, int count)
{
    std::vector<Generated_level> out;
    std::unordered_set<std::string> shapes;
    Generator_random rng{o.seed * 0x2545F4914F6CDD1Dull + 17};
    int failures = 0, rooms = 0;
    while (static_cast<int>(out.size()) < count && failures < 50) {
        std::optional<Candidate> best;
        for (int i = 0; i < o.candidates; ++i) {
            std::optional<Candidate> c = make_candidate(o, rng);
            if (c && (!best || c->difficulty > best->difficulty)) best = std::move(c);
            if (o.progress) o.progress(static_cast<int>(out.size()), ++rooms);
        }
        if (!best) { // no room of this round could be made
            ++failures;
            continue;
        }
        Rows rows = best->rows;
        wall_up_unused(rows, best->solution.moves);
        Generated_level level;
        level.rows = finish_layout(rows);
        // The score comes from the normalised push search; the stored
        // solution is the one with the fewest steps among the push-optimal.
        Solve_result by_pushes = solve_rows(level.rows, SOLVE_PUSHES, o);
        Solve_result by_moves;
        if (o.fewest_moves) by_moves = solve_rows(level.rows, SOLVE_MOVES, o);
        level.solution = solve_rows(level.rows, SOLVE_PUSHES_THEN_MOVES, o);
        if (level.solution.status != SOLVE_FOUND) level.solution = by_pushes;
        if (by_pushes.status != SOLVE_FOUND || !shapes.insert(canonical_shape(level.rows)).second) {
            ++failures;
            continue;
        }
        level.fewest_moves = by_moves.status == SOLVE_FOUND ? by_moves.move_count : 0;
        level.difficulty = difficulty_score(by_pushes);
        level.search_states = by_pushes.expanded;
        auto pack = pack_of_level(Authored_level{"candidate", level.rows, "", {}, {}});
        if (!pack || !replay_solution(judge, *pack->levels, level.solution.moves).solved) {
            ++failures;
            continue;
        }
        out.push_back(level);
    }
    return out;
}

// The search. A position is the set of treasure cells plus where the player
// stands; only pushes change it, so the search steps from push to push and
// walks in between are found by breadth-first search over the free cells.
//
// - Cells are renumbered over the floor only, so a position is a short list
//   of small numbers and the neighbour table has no walls in it.
// - A* over positions, the lowest f = g + h first, then the lowest h, then
//   the newest (a stack per bucket), which dives toward the goal. With the
//   push goal g counts pushes and the player is normalised to the lowest
//   cell it can reach, so positions that differ only by a walk are one. With
//   the moves goal g counts steps and the player's cell is exact. Pushes then
//   moves keeps the player exact and breaks ties of f by steps plus h.
// - The fast mode (any solution) is a best-first search over the same
//   positions, ordered by progress before distance: treasures packed in
//   their goal room's order (found by pulling treasures out of the filled
//   banks, nearest the player first, and packing in reverse), then the
//   number of regions the empty floor is cut into, then h. It takes turns
//   with three weighings, each with its share of the limits. Positions are
//   never reopened. Running out of positions still proves there is none.
// - An optimal search first runs the fast mode with a share of the limits;
//   a solution found bounds the A*, which then stores no position that
//   cannot beat it, and proves the first solution optimal if it finds none.
// - h is the minimum-cost assignment of treasures to distinct banks, each
//   cost the pushes that treasure alone needs to reach that bank from the
//   side of it the player stands on (other treasures can move away, walls
//   cannot, so a treasure the player can only push away from every bank has
//   no cost at all). A push
//   changes any such cost by at least -1, so h never falls by more than one
//   per push and the first goal taken from the open list is optimal. The
//   assignment is solved once per expanded position (Hungarian method, made
//   square with free dummy rows); a child whose pushed treasure came one push
//   nearer its assigned bank has h - 1 outright, any other needs only one
//   augmenting path for the changed row.
// - Closed set: open addressing over chunked node storage, keyed by Zobrist
//   hashes updated by two XORs per push. Nodes never move, so the table is
//   the only thing that grows by copying, and the memory limit counts all.
// - Pruned pushes: onto a dead cell (no bank reachable from it even alone),
//   into a freeze (the pushed treasure is stuck on both axes by walls, dead
//   cells or treasures stuck in turn, and one of them is off a bank), and
//   into positions where no assignment of treasures to banks exists.
// - Corrals (see corral_pushes): where the player cannot enter a region
//   whose fence treasures can only go into it, only the pushes into it are
//   searched (with the step goals only the verdict that none exists is
//   used), and a fence with no push into it is a deadlock, kept in a table
//   for the rest of the search and matched against every later push.
// - The game calls a level solved only after a push, so the start is never
//   the goal, even when every treasure starts on a bank.
#include "tools/authoring/solver.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "engine/pack_records.h"
#include "tools/authoring/level_text.h"

namespace
{

constexpr int CELLS = FIELD_MAX_CELLS;
constexpr int UNREACHABLE = 1 << 20;
constexpr int MAX_TREASURES = 64;
constexpr char DIR_CHARS[4] = {'^', 'v', '<', '>'};
constexpr uint32_t CHUNK_SHIFT = 15;
constexpr uint32_t CHUNK = 1u << CHUNK_SHIFT;
constexpr double TABLE_LOAD = 0.6;
// The fast mode's weights, in pushes of the bound: each treasure not yet
// packed in order, each cut-off region. No one weighing suits every level,
// so the fast mode tries several in turn, each with its share of the limits.
struct Any_weights {
    int pack, part;
    double share;
};
constexpr Any_weights ANY_TURNS[] = {{3, 1, 0.4}, {1, 1, 0.3}, {6, 3, 0.3}};
// A turn's positions when the caller gave no limit; the last turn has none.
constexpr uint64_t ANY_TURN_STATES = 400000;
// The learned deadlock table: so many corrals, each of so many cells at most.
constexpr size_t MAX_PATTERNS = 4096;
constexpr size_t MAX_PATTERN_CELLS = 24;
// The fast mode's positions before an optimal search with no limits of its
// own; more only delays the search on levels the fast mode finds hard.
constexpr uint64_t ANY_FIRST_STATES = 200000;
constexpr int SIDES = 5; // four directions, and none
constexpr uint8_t NO_SIDE = 4;

int opposite(int d)
{
    return d ^ 1;
}

// The floor, renumbered: `next` is -1 toward a wall or off the grid.
struct Grid {
    int n = 0;
    int m = 0; // banks
    std::vector<int16_t> board_of;
    int16_t compact_of[CELLS];
    std::vector<std::array<int16_t, 4>> next;
    std::vector<uint8_t> bank, dead;
    std::vector<int> banks;
    uint32_t floor_rows[LEVEL_ROWS] = {}; // bit c of row r: board cell (r, c) is floor
    int top = LEVEL_ROWS, bottom = -1;    // rows that hold floor

    explicit Grid(const Puzzle& p)
    {
        for (int c = 0; c < CELLS; ++c) {
            compact_of[c] = -1;
            if (p.wall[c]) continue;
            compact_of[c] = static_cast<int16_t>(n++);
            board_of.push_back(static_cast<int16_t>(c));
            floor_rows[c / LEVEL_COLS] |= 1u << (c % LEVEL_COLS);
            top = std::min(top, c / LEVEL_COLS);
            bottom = std::max(bottom, c / LEVEL_COLS);
        }
        next.resize(n);
        bank.assign(n, 0);
        for (int i = 0; i < n; ++i) {
            int c = board_of[i], row = c / LEVEL_COLS, col = c % LEVEL_COLS;
            const int cand[4] = {row > 0 ? c - LEVEL_COLS : -1, row < LEVEL_ROWS - 1 ? c + LEVEL_COLS : -1,
                                 col > 0 ? c - 1 : -1, col < LEVEL_COLS - 1 ? c + 1 : -1};
            for (int d = 0; d < 4; ++d)
                next[i][d] = cand[d] >= 0 ? compact_of[cand[d]] : static_cast<int16_t>(-1);
            bank[i] = p.bank[c];
            if (bank[i]) banks.push_back(i);
        }
        m = static_cast<int>(banks.size());
        // Pulling backwards from the banks: a treasure at s reaches t = s + d
        // when the player can stand at s - d. A cell no pull reaches is dead.
        dead.assign(n, 1);
        std::vector<int> queue = banks;
        for (int b : banks)
            dead[b] = 0;
        for (size_t qi = 0; qi < queue.size(); ++qi) {
            const int t = queue[qi];
            for (int d = 0; d < 4; ++d) {
                const int s = next[t][opposite(d)];
                if (s < 0 || next[s][opposite(d)] < 0 || !dead[s]) continue;
                dead[s] = 0;
                queue.push_back(s);
            }
        }
        find_sides();
        find_side_costs();
    }

    // side_of[t * n + c]: which part of the floor round a treasure on t the
    // cell c lies in, named by the first direction from t into that part;
    // NO_SIDE where the player could never stand next to it. Other treasures
    // are left out: they can always move, walls cannot.
    std::vector<uint8_t> side_of;
    // [(t * SIDES + side) * m + b]: pushes that take a treasure on t, the
    // player on `side`, to bank b with no other treasure on the board.
    std::vector<int> side_cost;

    size_t state(int cell, int player) const { return static_cast<size_t>(cell) * SIDES + side_of[cell * n + player]; }
    const int* costs_of(size_t state) const { return &side_cost[state * m]; }

  private:
    void find_sides()
    {
        side_of.assign(static_cast<size_t>(n) * n, NO_SIDE);
        std::vector<int> queue;
        for (int t = 0; t < n; ++t) {
            uint8_t* mark = &side_of[static_cast<size_t>(t) * n];
            for (int d = 0; d < 4; ++d) {
                int start = next[t][d];
                if (start < 0 || mark[start] != NO_SIDE) continue;
                mark[start] = static_cast<uint8_t>(d);
                queue.assign(1, start);
                for (size_t qi = 0; qi < queue.size(); ++qi)
                    for (int e = 0; e < 4; ++e) {
                        int c = next[queue[qi]][e];
                        if (c < 0 || c == t || mark[c] != NO_SIDE) continue;
                        mark[c] = static_cast<uint8_t>(d);
                        queue.push_back(c);
                    }
            }
        }
    }

    // Pulled back from each bank over (cell, side) states: a push from p,
    // the player behind it, lands on t with the player on p.
    void find_side_costs()
    {
        side_cost.assign(static_cast<size_t>(n) * SIDES * m, UNREACHABLE);
        std::vector<size_t> queue;
        for (int b = 0; b < m; ++b) {
            queue.clear();
            for (int s = 0; s < SIDES; ++s) {
                size_t st = static_cast<size_t>(banks[b]) * SIDES + s;
                side_cost[st * m + b] = 0;
                queue.push_back(st);
            }
            for (size_t qi = 0; qi < queue.size(); ++qi) {
                const int t = static_cast<int>(queue[qi] / SIDES), s = static_cast<int>(queue[qi] % SIDES);
                const int here = side_cost[queue[qi] * m + b];
                for (int e = 0; e < 4; ++e) {
                    int p = next[t][opposite(e)];
                    if (p < 0 || side_of[static_cast<size_t>(t) * n + p] != s) continue;
                    int behind = next[p][opposite(e)];
                    if (behind < 0) continue;
                    size_t from = state(p, behind);
                    if (side_cost[from * m + b] != UNREACHABLE) continue;
                    side_cost[from * m + b] = here + 1;
                    queue.push_back(from);
                }
            }
        }
    }
};

struct Node {
    uint32_t parent;
    uint32_t moves; // kept where the player's cell is exact
    uint16_t pushes;
    uint16_t h;
    uint16_t player;
    uint16_t push_from;
    uint8_t push_dir;
    uint8_t closed;
    uint16_t rank; // the fast mode's order; the bound by itself elsewhere
};

// Storage in fixed blocks: nothing is copied as it grows, and no block is
// large, which matters in a 32-bit address space.
template <typename T> class Chunked
{
  public:
    void set_stride(size_t stride) { stride_ = stride; }
    T* at(uint32_t i) { return &blocks_[i >> CHUNK_SHIFT][(i & (CHUNK - 1)) * stride_]; }
    const T* at(uint32_t i) const { return &blocks_[i >> CHUNK_SHIFT][(i & (CHUNK - 1)) * stride_]; }
    uint32_t add()
    {
        if ((size_ >> CHUNK_SHIFT) == blocks_.size()) blocks_.emplace_back(new T[CHUNK * stride_]);
        return static_cast<uint32_t>(size_++);
    }
    size_t size() const { return size_; }
    uint64_t bytes() const { return static_cast<uint64_t>(blocks_.size()) * CHUNK * stride_ * sizeof(T); }

  private:
    std::vector<std::unique_ptr<T[]>> blocks_;
    size_t stride_ = 1;
    size_t size_ = 0;
};

// Buckets by f, each with stacks by the tie key: pops are the lowest f, the
// lowest tie, the newest entry.
class Open_list
{
  public:
    void push(size_t f, size_t tie, uint32_t index)
    {
        if (f >= buckets_.size()) buckets_.resize(f + 1);
        Bucket& b = buckets_[f];
        if (tie >= b.by_tie.size()) b.by_tie.resize(tie + 1);
        b.by_tie[tie].push_back(index);
        b.low = std::min(b.low, tie);
        low_ = std::min(low_, f);
        ++entries_;
    }
    // false when empty
    bool pop(size_t* f, size_t* tie, uint32_t* index)
    {
        for (; low_ < buckets_.size(); ++low_) {
            Bucket& b = buckets_[low_];
            for (; b.low < b.by_tie.size(); ++b.low) {
                std::vector<uint32_t>& s = b.by_tie[b.low];
                if (s.empty()) continue;
                *f = low_;
                *tie = b.low;
                *index = s.back();
                s.pop_back();
                --entries_;
                return true;
            }
            b.low = SIZE_MAX;
            b.by_tie.clear();
            b.by_tie.shrink_to_fit();
        }
        return false;
    }
    size_t lowest() const { return low_; }
    uint64_t bytes() const { return entries_ * sizeof(uint32_t) * 3 / 2; }

  private:
    struct Bucket {
        std::vector<std::vector<uint32_t>> by_tie;
        size_t low = SIZE_MAX;
    };
    std::vector<Bucket> buckets_;
    size_t low_ = SIZE_MAX;
    uint64_t entries_ = 0;
};

uint64_t split_mix(uint64_t& s)
{
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Widens `v` to the whole runs of `f` that it touches, both ways along a
// row: an add carries it up, a doubling fill carries it down.
uint32_t span_fill(uint32_t v, uint32_t f)
{
    v &= f;
    v |= ((v + f) ^ f) & f;
    uint32_t p = f;
    v |= p & (v >> 1);
    p &= p >> 1;
    v |= p & (v >> 2);
    p &= p >> 2;
    v |= p & (v >> 4);
    p &= p >> 4;
    v |= p & (v >> 8);
    p &= p >> 8;
    v |= p & (v >> 16);
    return v;
}

// The assignment of rows (treasures, then free dummy rows) to banks with its
// dual prices; `p` names each bank's row, 1-based, as the method has it.
struct Assignment {
    int u[MAX_TREASURES + 1];
    int v[MAX_TREASURES + 1];
    int p[MAX_TREASURES + 1];
};

class Search
{
  public:
    Search(const Puzzle& puzzle, const Solve_options& options, const Any_weights& weights = ANY_TURNS[0])
        : puzzle_(puzzle), options_(options), weights_(weights), grid_(puzzle),
          k_(static_cast<int>(puzzle.treasures.size()))
    {
        uint64_t seed = 0x5A4E44524B;
        zob_treasure_.resize(grid_.n);
        zob_player_.resize(grid_.n);
        for (int c = 0; c < grid_.n; ++c) {
            zob_treasure_[c] = split_mix(seed);
            zob_player_[c] = split_mix(seed);
        }
        occupied_.assign(grid_.n, 0);
        fixed_.assign(grid_.n, 0);
        stamp_.assign(grid_.n, 0);
        dist_.assign(grid_.n, 0);
        queue_.assign(grid_.n, 0);
        can_stand_.assign(grid_.n, 0);
        treasures_.set_stride(std::max(k_, 1));
        const int w = grid_.m + 1;
        cost_.assign(static_cast<size_t>(w) * w, 0);
        corral_id_.assign(grid_.n, -1);
        if (options_.goal == SOLVE_ANY) find_packing_order();
    }

    Solve_result run();

  private:
    const Puzzle& puzzle_;
    Solve_options options_;
    Any_weights weights_;
    Grid grid_;
    int k_;
    std::vector<uint64_t> zob_treasure_, zob_player_;

    Chunked<Node> nodes_;
    Chunked<uint16_t> treasures_; // k_ per node, ascending
    std::vector<uint64_t> table_; // high half: hash bits; low half: node index + 1
    bool table_full_ = false;     // it may not grow within the memory limit: the search gives up
    Open_list open_;
    uint64_t generated_ = 0;

    std::vector<uint8_t> occupied_, fixed_;
    uint32_t occupied_rows_[LEVEL_ROWS] = {}; // occupied_ as row bits of board cells
    std::vector<uint32_t> stamp_;
    uint32_t stamp_now_ = 0;
    std::vector<int16_t> dist_, queue_, walk_;
    std::vector<uint8_t> can_stand_;
    std::vector<int> cost_; // (m + 1) x (m + 1), 1-based rows and columns

    bool exact_player() const { return options_.goal != SOLVE_PUSHES && options_.goal != SOLVE_ANY; }
    size_t f_of(const Node& n) const
    {
        if (options_.goal == SOLVE_ANY) return n.rank;
        return static_cast<size_t>(options_.goal == SOLVE_MOVES ? n.moves : n.pushes) + n.h;
    }
    size_t tie_of(const Node& n) const
    {
        return options_.goal == SOLVE_PUSHES_THEN_MOVES ? static_cast<size_t>(n.moves) + n.h : n.h;
    }
    // A known solution of `upper_bound` makes positions that cannot beat it
    // useless; with pushes then steps an equal push count may still win.
    bool beyond_bound(uint32_t pushes, uint32_t moves, int h) const
    {
        const uint32_t u = static_cast<uint32_t>(options_.upper_bound);
        if (u == 0 || options_.goal == SOLVE_ANY) return false;
        if (options_.goal == SOLVE_MOVES) return moves + h >= u;
        if (options_.goal == SOLVE_PUSHES_THEN_MOVES) return pushes + h > u;
        return pushes + h >= u;
    }
    bool better(uint32_t pushes, uint32_t moves, const Node& old) const
    {
        if (options_.goal == SOLVE_ANY) return false;
        if (options_.goal == SOLVE_PUSHES) return pushes < old.pushes;
        if (options_.goal == SOLVE_MOVES) return moves < old.moves;
        return pushes < old.pushes || (pushes == old.pushes && moves < old.moves);
    }
    uint64_t bytes() const
    {
        return nodes_.bytes() + treasures_.bytes() + static_cast<uint64_t>(table_.size()) * sizeof(uint64_t) +
               open_.bytes();
    }
    void reach(int from);
    int lowest_reachable(int from);
    void occupy(int cell, bool on)
    {
        occupied_[cell] = on;
        int b = grid_.board_of[cell];
        uint32_t bit = 1u << (b % LEVEL_COLS);
        occupied_rows_[b / LEVEL_COLS] =
            on ? occupied_rows_[b / LEVEL_COLS] | bit : occupied_rows_[b / LEVEL_COLS] & ~bit;
    }
    void set_row(int row, size_t state);
    void augment(Assignment& a, int row);
    int total(const Assignment& a) const;
    int frozen(int cell);
    uint32_t find(const uint16_t* t, int player, uint64_t hash) const;
    void insert(uint32_t index, uint64_t hash);
    void insert_slot(uint32_t index, uint64_t hash);
    uint32_t add_node(const Node& n, const uint16_t* t, uint64_t hash);
    uint64_t treasure_hash(const uint16_t* t) const
    {
        uint64_t h = 0;
        for (int i = 0; i < k_; ++i)
            h ^= zob_treasure_[t[i]];
        return h;
    }
    // The slot comes from the treasures alone, so it is known (and fetched)
    // before the player is normalised; the tag has the player too. Positions
    // that differ only by the player's region sit side by side.
    static uint64_t key_of(uint64_t treasures, uint64_t player)
    {
        return (treasures & 0xFFFFFFFFull) | ((treasures ^ player) & 0xFFFFFFFF00000000ull);
    }
    void prefetch(uint64_t key) const
    {
#if defined(__GNUC__)
        __builtin_prefetch(&table_[key & (table_.size() - 1)]);
#else
        (void)key;
#endif
    }
    void expand(uint32_t index);
    Solve_result result_for(uint32_t goal);

    std::vector<int16_t> corral_id_;
    std::vector<uint8_t> corral_bank_;
    uint64_t corral_cuts_ = 0;
    bool touches(int cell, int corral) const
    {
        for (int d = 0; d < 4; ++d) {
            int c = grid_.next[cell][d];
            if (c >= 0 && corral_id_[c] == corral) return true;
        }
        return false;
    }
    int corral_pushes(const uint16_t* cur, uint8_t* allowed);
    int tunnel_end(int cell, int d) const;

    struct Pattern {
        std::vector<int16_t> fence; // treasure cells
        std::vector<int16_t> empty; // the corral they shut
    };
    std::vector<Pattern> patterns_;
    std::unordered_multimap<int16_t, uint32_t> patterns_of_; // fence cell -> pattern
    std::unordered_set<uint64_t> pattern_keys_;
    uint64_t pattern_cuts_ = 0;
    void learn(const uint16_t* cur, int corral);
    bool matches_pattern(int cell, int player) const;

    std::vector<std::vector<int>> rooms_; // banks that touch, each room in its packing order
    void find_packing_order();
    int packed() const;
    int floor_parts();
    uint16_t any_rank(int h);
};

// Corrals: parts of the empty floor the player cannot enter, fenced by walls
// and treasures (the fence). A corral whose fence treasures can only ever be
// pushed into it, by a player who can reach every such push now, must be
// opened by one of those pushes before any solution goes on, unless it is
// done already; and the pushes elsewhere can wait without costing a push.
// Returns how many pushes it leaves (a bit per direction in `allowed` for
// each treasure index), 0 for a deadlock, or -1 when no corral narrows.
int Search::corral_pushes(const uint16_t* cur, uint8_t* allowed)
{
    const int n = grid_.n;
    std::fill(corral_id_.begin(), corral_id_.end(), -1);
    corral_bank_.clear();
    int count = 0;
    for (int c = 0; c < n; ++c) {
        if (occupied_[c] || can_stand_[c] || corral_id_[c] >= 0) continue;
        bool has_bank = false;
        int head = 0, tail = 0;
        queue_[tail++] = static_cast<int16_t>(c);
        corral_id_[c] = static_cast<int16_t>(count);
        while (head < tail) {
            int x = queue_[head++];
            has_bank |= grid_.bank[x] != 0;
            for (int d = 0; d < 4; ++d) {
                int y = grid_.next[x][d];
                if (y < 0 || occupied_[y] || corral_id_[y] >= 0) continue;
                corral_id_[y] = static_cast<int16_t>(count);
                queue_[tail++] = static_cast<int16_t>(y);
            }
        }
        corral_bank_.push_back(has_bank);
        ++count;
    }
    int best = -1;
    for (int id = 0; id < count && best != 0; ++id) {
        uint8_t mask[MAX_TREASURES] = {};
        int pushes = 0;
        bool fenced = true;
        // An empty bank inside must be filled when every bank is needed.
        bool open_work = corral_bank_[id] && k_ == grid_.m;
        for (int i = 0; i < k_ && fenced; ++i) {
            const int t = cur[i];
            if (!touches(t, id)) continue;
            open_work |= !grid_.bank[t];
            for (int d = 0; d < 4 && fenced; ++d) {
                const int side = grid_.next[t][opposite(d)], dest = grid_.next[t][d];
                if (side < 0 || dest < 0) continue;
                // Shut until the corral opens: the player would stand inside
                // it or where another fence treasure stands.
                const bool side_shut = corral_id_[side] == id || (occupied_[side] && touches(side, id));
                if (!occupied_[dest] && corral_id_[dest] == id) {
                    if (grid_.dead[dest]) continue;
                    if (can_stand_[side]) {
                        mask[i] |= static_cast<uint8_t>(1u << d);
                        ++pushes;
                    } else if (!side_shut) {
                        fenced = false; // it may become possible later, from outside
                    }
                } else if (!side_shut && !grid_.dead[dest] && !(occupied_[dest] && touches(dest, id))) {
                    fenced = false; // a push out of the corral, now or later
                }
            }
        }
        if (!fenced || !open_work || (best >= 0 && pushes >= best)) continue;
        best = pushes;
        std::memcpy(allowed, mask, sizeof mask);
        if (pushes == 0) learn(cur, id);
    }
    return best;
}

// A corral with no push into it was judged by its fence, its own cells and
// the walls alone, so the same fence round the same empty cells is dead in
// any other position too, whatever else stands on the board.
void Search::learn(const uint16_t* cur, int corral)
{
    if (patterns_.size() >= MAX_PATTERNS) return;
    Pattern p;
    for (int c = 0; c < grid_.n; ++c)
        if (corral_id_[c] == corral) p.empty.push_back(static_cast<int16_t>(c));
    for (int i = 0; i < k_; ++i)
        if (touches(cur[i], corral)) p.fence.push_back(static_cast<int16_t>(cur[i]));
    if (p.empty.size() > MAX_PATTERN_CELLS || p.fence.empty()) return;
    // The same dead corral is met again wherever the search has not cut it
    // (a fence closed by a walk, not a push); it is kept once.
    uint64_t key = 0x9E3779B97F4A7C15ull;
    for (int16_t c : p.fence)
        key = (key ^ static_cast<uint64_t>(c)) * 0x100000001B3ull;
    for (int16_t c : p.empty)
        key = (key ^ static_cast<uint64_t>(c + CELLS)) * 0x100000001B3ull;
    if (!pattern_keys_.insert(key).second) return;
    const uint32_t id = static_cast<uint32_t>(patterns_.size());
    for (int16_t c : p.fence)
        patterns_of_.emplace(c, id);
    patterns_.push_back(std::move(p));
}

// Whether a learned dead fence stands complete once a treasure reaches
// `cell`, the player (on `player`) outside it.
bool Search::matches_pattern(int cell, int player) const
{
    auto range = patterns_of_.equal_range(static_cast<int16_t>(cell));
    for (auto it = range.first; it != range.second; ++it) {
        const Pattern& p = patterns_[it->second];
        bool all = true;
        for (int16_t c : p.fence)
            all = all && occupied_[c];
        for (int16_t c : p.empty)
            all = all && !occupied_[c] && c != player;
        if (all) return true;
    }
    return false;
}

// Pushes that take a treasure just pushed onto `cell` on through a tunnel
// (walls on both sides across the push) to where it leaves it; 1 when it is
// in no tunnel or cannot go on. Banks end a tunnel: the treasure may be
// wanted there.
int Search::tunnel_end(int cell, int d) const
{
    const int across = d < 2 ? 2 : 0;
    int run = 1;
    for (int c = cell;; ++run) {
        const bool walled = grid_.next[c][across] < 0 && grid_.next[c][across + 1] < 0;
        const int n = grid_.next[c][d];
        if (!walled || grid_.bank[c] || n < 0 || occupied_[n] || grid_.dead[n]) return run;
        c = n;
    }
}

// Pulled back from the full banks: a bank the player can pull its treasure
// out of, the rest still filled, is packed last; the nearest to the player
// goes first. What cannot be pulled out at all is packed first.
void Search::find_packing_order()
{
    const int n = grid_.n;
    std::vector<uint8_t> filled(n, 0);
    for (int b : grid_.banks)
        filled[b] = 1;
    std::vector<int> removed, queue;
    std::vector<int> dist(n);
    const int start = grid_.compact_of[puzzle_.player];
    for (;;) {
        std::fill(dist.begin(), dist.end(), -1);
        if (!filled[start]) {
            dist[start] = 0;
            queue.assign(1, start);
            for (size_t qi = 0; qi < queue.size(); ++qi)
                for (int d = 0; d < 4; ++d) {
                    int c = grid_.next[queue[qi]][d];
                    if (c < 0 || filled[c] || dist[c] >= 0) continue;
                    dist[c] = dist[queue[qi]] + 1;
                    queue.push_back(c);
                }
        }
        int best = -1, best_dist = 0;
        for (int b : grid_.banks) {
            if (!filled[b]) continue;
            for (int d = 0; d < 4; ++d) {
                int p = grid_.next[b][d];
                int q = p >= 0 ? grid_.next[p][d] : -1;
                if (q < 0 || filled[p] || filled[q] || dist[p] < 0) continue;
                if (best < 0 || dist[p] < best_dist) {
                    best = b;
                    best_dist = dist[p];
                }
            }
        }
        if (best < 0) break;
        filled[best] = 0;
        removed.push_back(best);
    }
    std::vector<int> order;
    for (int b : grid_.banks)
        if (filled[b]) order.push_back(b);
    order.insert(order.end(), removed.rbegin(), removed.rend());
    // Rooms: banks joined side by side.
    std::vector<int> room_of(n, -1);
    int rooms = 0;
    for (int b : grid_.banks) {
        if (room_of[b] >= 0) continue;
        room_of[b] = rooms;
        queue.assign(1, b);
        for (size_t qi = 0; qi < queue.size(); ++qi)
            for (int d = 0; d < 4; ++d) {
                int c = grid_.next[queue[qi]][d];
                if (c < 0 || !grid_.bank[c] || room_of[c] >= 0) continue;
                room_of[c] = rooms;
                queue.push_back(c);
            }
        ++rooms;
    }
    rooms_.assign(rooms, {});
    for (int b : order)
        rooms_[room_of[b]].push_back(b);
}

// Treasures on banks with every bank before them in their room's packing
// order filled too.
int Search::packed() const
{
    int count = 0;
    for (const std::vector<int>& room : rooms_)
        for (int b : room) {
            if (!occupied_[b]) break;
            ++count;
        }
    return count;
}

// Parts of the empty floor cut off from each other: each one more is a
// region the player must open again.
int Search::floor_parts()
{
    ++stamp_now_;
    int parts = 0;
    for (int c = 0; c < grid_.n; ++c) {
        if (occupied_[c] || stamp_[c] == stamp_now_) continue;
        ++parts;
        int head = 0, tail = 0;
        queue_[tail++] = static_cast<int16_t>(c);
        stamp_[c] = stamp_now_;
        while (head < tail) {
            int x = queue_[head++];
            for (int d = 0; d < 4; ++d) {
                int y = grid_.next[x][d];
                if (y < 0 || occupied_[y] || stamp_[y] == stamp_now_) continue;
                stamp_[y] = stamp_now_;
                queue_[tail++] = static_cast<int16_t>(y);
            }
        }
    }
    return parts;
}

// The fast mode weighs progress before distance: treasures packed in order,
// then fewer cut-off regions, then the assignment bound.
uint16_t Search::any_rank(int h)
{
    if (options_.goal != SOLVE_ANY) return 0;
    const int unpacked = k_ - packed();
    const int parts = floor_parts();
    const int rank = unpacked * weights_.pack + (parts - 1) * weights_.part + h;
    return static_cast<uint16_t>(std::min(rank, 0xFFFF));
}

// Breadth-first over free cells from `from`; marks reached cells with the
// current stamp and their distance.
void Search::reach(int from)
{
    ++stamp_now_;
    int head = 0, tail = 0;
    queue_[tail++] = static_cast<int16_t>(from);
    stamp_[from] = stamp_now_;
    dist_[from] = 0;
    while (head < tail) {
        int c = queue_[head++];
        for (int d = 0; d < 4; ++d) {
            int n = grid_.next[c][d];
            if (n < 0 || occupied_[n] || stamp_[n] == stamp_now_) continue;
            stamp_[n] = stamp_now_;
            dist_[n] = static_cast<int16_t>(dist_[c] + 1);
            queue_[tail++] = static_cast<int16_t>(n);
        }
    }
}

// The normalised player: the lowest cell reachable from `from`, found by
// flooding row bit masks, sweeping down and up until nothing changes. The
// breadth-first search above does the same cell by cell, several times
// slower, and remains for the walks, which need distances.
int Search::lowest_reachable(int from)
{
    uint32_t free[LEVEL_ROWS], x[LEVEL_ROWS] = {};
    const int top = grid_.top, bottom = grid_.bottom;
    for (int r = top; r <= bottom; ++r)
        free[r] = grid_.floor_rows[r] & ~occupied_rows_[r];
    const int b = grid_.board_of[from];
    x[b / LEVEL_COLS] = span_fill(1u << (b % LEVEL_COLS), free[b / LEVEL_COLS]);
    for (bool changed = true; changed;) {
        changed = false;
        for (int r = top + 1; r <= bottom; ++r) {
            if (!(x[r - 1] & ~x[r] & free[r])) continue;
            uint32_t v = span_fill(x[r] | x[r - 1], free[r]);
            changed |= v != x[r];
            x[r] = v;
        }
        for (int r = bottom - 1; r >= top; --r) {
            if (!(x[r + 1] & ~x[r] & free[r])) continue;
            uint32_t v = span_fill(x[r] | x[r + 1], free[r]);
            changed |= v != x[r];
            x[r] = v;
        }
    }
    for (int r = top; r <= bottom; ++r)
        if (x[r]) {
            int col = 0;
            while (!(x[r] >> col & 1u))
                ++col;
            return grid_.compact_of[r * LEVEL_COLS + col];
        }
    return from;
}

void Search::set_row(int row, size_t state)
{
    const int w = grid_.m + 1;
    const int* from = grid_.costs_of(state);
    std::copy(from, from + grid_.m, &cost_[static_cast<size_t>(row) * w + 1]);
}

// One augmenting path for an unassigned row (the e-maxx form of the
// Hungarian method). Reduced costs must be non-negative on entry.
void Search::augment(Assignment& a, int row)
{
    const int m = grid_.m, w = m + 1;
    int minv[MAX_TREASURES + 1], way[MAX_TREASURES + 1];
    bool used[MAX_TREASURES + 1];
    for (int j = 0; j <= m; ++j) {
        minv[j] = UNREACHABLE * 4;
        used[j] = false;
    }
    a.p[0] = row;
    int j0 = 0;
    do {
        used[j0] = true;
        int i0 = a.p[j0], delta = UNREACHABLE * 4, j1 = 0;
        const int* c = &cost_[static_cast<size_t>(i0) * w];
        for (int j = 1; j <= m; ++j) {
            if (used[j]) continue;
            int cur = c[j] - a.u[i0] - a.v[j];
            if (cur < minv[j]) {
                minv[j] = cur;
                way[j] = j0;
            }
            if (minv[j] < delta) {
                delta = minv[j];
                j1 = j;
            }
        }
        for (int j = 0; j <= m; ++j) {
            if (used[j]) {
                a.u[a.p[j]] += delta;
                a.v[j] -= delta;
            } else {
                minv[j] -= delta;
            }
        }
        j0 = j1;
    } while (a.p[j0] != 0);
    do {
        int j1 = way[j0];
        a.p[j0] = a.p[j1];
        j0 = j1;
    } while (j0);
}

int Search::total(const Assignment& a) const
{
    const int w = grid_.m + 1;
    int sum = 0;
    for (int j = 1; j <= grid_.m; ++j)
        sum += cost_[static_cast<size_t>(a.p[j]) * w + j];
    return sum >= UNREACHABLE ? UNREACHABLE : sum;
}

// 0: the treasure on `cell` can still move; 1: stuck, every stuck treasure
// it leans on is banked; 2: stuck with one of them off a bank. A treasure
// leaned on is judged as if this one were a wall, which keeps pairs that
// hold each other from recursing forever.
int Search::frozen(int cell)
{
    fixed_[cell] = 1;
    bool off_bank = !grid_.bank[cell];
    for (int axis = 0; axis < 2; ++axis) {
        int a = grid_.next[cell][axis * 2], b = grid_.next[cell][axis * 2 + 1];
        bool blocked = a < 0 || b < 0 || fixed_[a] || fixed_[b] || (grid_.dead[a] && grid_.dead[b]);
        for (int side : {a, b}) {
            if (blocked) break;
            if (!occupied_[side]) continue;
            int r = frozen(side);
            if (r) {
                blocked = true;
                if (r == 2) off_bank = true;
            }
        }
        if (!blocked) {
            fixed_[cell] = 0;
            return 0;
        }
    }
    fixed_[cell] = 0;
    return off_bank ? 2 : 1;
}

uint32_t Search::find(const uint16_t* t, int player, uint64_t hash) const
{
    const size_t mask = table_.size() - 1;
    const uint64_t tag = hash & 0xFFFFFFFF00000000ull;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        uint64_t e = table_[slot];
        if (!e) return 0;
        if ((e & 0xFFFFFFFF00000000ull) != tag) continue;
        uint32_t index = static_cast<uint32_t>(e) - 1;
        if (nodes_.at(index)->player == player && std::equal(t, t + k_, treasures_.at(index))) return index + 1;
    }
}

void Search::insert(uint32_t index, uint64_t hash)
{
    if (static_cast<double>(nodes_.size()) > TABLE_LOAD * static_cast<double>(table_.size()) && !table_full_) {
        // The old table and the new one are held at once while it grows.
        if (bytes() + static_cast<uint64_t>(table_.size()) * 2 * sizeof(uint64_t) > options_.max_bytes) {
            table_full_ = true;
            return insert_slot(index, hash);
        }
        std::vector<uint64_t> old;
        old.swap(table_);
        table_.assign(old.size() * 2, 0);
        const size_t mask = table_.size() - 1;
        for (uint64_t e : old) {
            if (!e) continue;
            // The low key bits were the old slot; the treasures give them back.
            size_t slot = treasure_hash(treasures_.at(static_cast<uint32_t>(e) - 1)) & mask;
            while (table_[slot])
                slot = (slot + 1) & mask;
            table_[slot] = e;
        }
    }
    insert_slot(index, hash);
}

void Search::insert_slot(uint32_t index, uint64_t hash)
{
    const size_t mask = table_.size() - 1;
    size_t slot = hash & mask;
    while (table_[slot])
        slot = (slot + 1) & mask;
    table_[slot] = (hash & 0xFFFFFFFF00000000ull) | (index + 1u);
}

uint32_t Search::add_node(const Node& n, const uint16_t* t, uint64_t hash)
{
    uint32_t index = nodes_.add();
    treasures_.add();
    *nodes_.at(index) = n;
    std::copy(t, t + k_, treasures_.at(index));
    if (index != 0) insert(index, hash);
    open_.push(f_of(n), tie_of(n), index);
    return index;
}

void Search::expand(uint32_t index)
{
    const Node node = *nodes_.at(index);
    uint16_t cur[MAX_TREASURES], next[MAX_TREASURES];
    std::copy(treasures_.at(index), treasures_.at(index) + k_, cur);
    for (int i = 0; i < k_; ++i)
        occupy(cur[i], true);
    const uint64_t parent_hash = treasure_hash(cur);
    reach(node.player);
    // The normalising searches below reuse the marks, so keep this one.
    const uint32_t reached = stamp_now_;
    for (int c = 0; c < grid_.n; ++c)
        can_stand_[c] = stamp_[c] == reached;
    if (exact_player()) walk_ = dist_;
    const std::vector<uint8_t>& can_stand = can_stand_;
    const std::vector<int16_t>& walk = walk_;

    // The parent's assignment; rows past k_ are free dummies.
    const int m = grid_.m, w = m + 1;
    Assignment base{};
    for (int i = 0; i < k_; ++i)
        set_row(i + 1, grid_.state(cur[i], node.player));
    for (int row = 1; row <= m; ++row)
        augment(base, row);
    int bank_of_row[MAX_TREASURES + 1];
    for (int j = 1; j <= m; ++j)
        bank_of_row[base.p[j]] = j;

    // A corral that must be opened first leaves only the pushes into it;
    // the order of pushes elsewhere does not change the count, but it does
    // change the steps, so a step goal keeps only the deadlock verdict.
    uint8_t allowed[MAX_TREASURES];
    const int narrowed = options_.corrals ? corral_pushes(cur, allowed) : -1;
    if (narrowed >= 0) ++corral_cuts_;
    const bool narrow = narrowed == 0 || (narrowed > 0 && !exact_player());

    for (int i = 0; i < k_; ++i) {
        const int t = cur[i];
        for (int d = 0; d < 4; ++d) {
            if (narrow && !(allowed[i] >> d & 1)) continue;
            int behind = grid_.next[t][opposite(d)];
            int first = grid_.next[t][d];
            if (behind < 0 || first < 0 || !can_stand[behind]) continue;
            if (occupied_[first] || grid_.dead[first]) continue;
            // The fast mode also pushes on through a tunnel in one go, as a
            // second child beside the single push, so nothing is lost.
            const int run_end = options_.goal == SOLVE_ANY ? tunnel_end(first, d) : 1;
            for (int run = 1; run <= run_end; run = run == 1 && run_end > 1 ? run_end : run_end + 1) {
                int ahead = first;
                for (int r = 1; r < run; ++r)
                    ahead = grid_.next[ahead][d];
                const int pusher = run == 1 ? t : grid_.next[ahead][opposite(d)];
                ++generated_;
                occupy(t, false);
                occupy(ahead, true);
                int h = UNREACHABLE;
                const bool learned_dead = !patterns_.empty() && matches_pattern(ahead, pusher);
                pattern_cuts_ += learned_dead;
                if (!learned_dead && frozen(ahead) != 2) {
                    const int row = i + 1, j = bank_of_row[row];
                    const int* was = &cost_[static_cast<size_t>(row) * w];
                    const size_t moved = grid_.state(ahead, pusher);
                    const int* now = grid_.costs_of(moved);
                    if (run == 1 && now[j - 1] == was[j] - 1) {
                        h = node.h - 1;
                    } else {
                        Assignment a = base;
                        int saved[MAX_TREASURES + 1];
                        std::copy(was, was + w, saved);
                        set_row(row, moved);
                        // Augmenting's first step sets the row's potential
                        // from its new costs, so the stale one can stay.
                        a.p[j] = 0;
                        augment(a, row);
                        h = total(a);
                        std::copy(saved, saved + w, &cost_[static_cast<size_t>(row) * w]);
                    }
                }
                if (h < UNREACHABLE) {
                    // Keep the list sorted: slide the moved treasure into place.
                    int n = 0;
                    for (int s = 0; s < k_; ++s)
                        if (s != i) next[n++] = cur[s];
                    int pos = k_ - 1;
                    while (pos > 0 && next[pos - 1] > ahead) {
                        next[pos] = next[pos - 1];
                        --pos;
                    }
                    next[pos] = static_cast<uint16_t>(ahead);
                    const uint64_t th = parent_hash ^ zob_treasure_[t] ^ zob_treasure_[ahead];
                    prefetch(th);
                    int player = exact_player() ? t : lowest_reachable(pusher);
                    uint32_t pushes = node.pushes + static_cast<uint32_t>(run);
                    uint32_t moves = exact_player() ? node.moves + walk[behind] + 1u : 0u;
                    uint64_t hash = key_of(th, zob_player_[player]);
                    if (beyond_bound(pushes, moves, h)) {
                        // cannot beat the solution known: not stored
                    } else if (const uint32_t e = find(next, player, hash)) {
                        Node& old = *nodes_.at(e - 1);
                        if (!old.closed && better(pushes, moves, old)) {
                            old.pushes = static_cast<uint16_t>(pushes);
                            old.moves = moves;
                            old.parent = index;
                            old.push_from = static_cast<uint16_t>(t);
                            old.push_dir = static_cast<uint8_t>(d);
                            open_.push(f_of(old), tie_of(old), e - 1);
                        }
                    } else if (pushes < 0xFFFF) {
                        add_node(Node{index, moves, static_cast<uint16_t>(pushes), static_cast<uint16_t>(h),
                                      static_cast<uint16_t>(player), static_cast<uint16_t>(t),
                                      static_cast<uint8_t>(d | (run - 1) << 2), 0, any_rank(h)},
                                 next, hash);
                    }
                }
                occupy(ahead, false);
                occupy(t, true);
            }
        }
    }
    for (int i = 0; i < k_; ++i)
        occupy(cur[i], false);
}

Solve_result Search::run()
{
    Solve_result result;
    auto started = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };
    auto finish = [&](Solve_status status) {
        result.status = status;
        result.generated = generated_;
        result.corral_cuts = corral_cuts_;
        result.pattern_cuts = pattern_cuts_;
        result.stored = nodes_.size();
        result.bytes = bytes();
        result.seconds = elapsed();
        return result;
    };

    if (k_ > MAX_TREASURES || grid_.m > MAX_TREASURES) return finish(SOLVE_GAVE_UP);
    if (k_ == 0 || k_ > grid_.m) return finish(SOLVE_NONE);
    uint16_t start[MAX_TREASURES];
    for (int i = 0; i < k_; ++i)
        start[i] = static_cast<uint16_t>(grid_.compact_of[puzzle_.treasures[i]]);
    std::sort(start, start + k_);
    Assignment a{};
    const int start_player = grid_.compact_of[puzzle_.player];
    for (int i = 0; i < k_; ++i)
        set_row(i + 1, grid_.state(start[i], start_player));
    for (int row = 1; row <= grid_.m; ++row)
        augment(a, row);
    int h = total(a);
    if (h >= UNREACHABLE) return finish(SOLVE_NONE);
    for (int i = 0; i < k_; ++i)
        occupy(start[i], true);
    int player = exact_player() ? start_player : lowest_reachable(start_player);
    const uint16_t rank = any_rank(h);
    for (int i = 0; i < k_; ++i)
        occupy(start[i], false);
    table_.assign(1u << 12, 0);
    // The start stays out of the table: reaching its position again by a
    // push is a different thing when every treasure starts banked.
    add_node(Node{0, 0, 0, static_cast<uint16_t>(h), static_cast<uint16_t>(player), 0, 0, 0, rank}, start, 0);
    result.lower_bound = h;

    double next_report = options_.progress ? options_.progress_seconds : 0;
    size_t f = 0, tie = 0;
    uint32_t index = 0;
    while (open_.pop(&f, &tie, &index)) {
        Node& n = *nodes_.at(index);
        if (n.closed || f_of(n) != f || tie_of(n) != tie) continue;
        n.closed = 1;
        if (index != 0 && n.h == 0) {
            Solve_result found = result_for(index);
            found.expanded = result.expanded;
            found.lower_bound = result.lower_bound;
            result = found;
            return finish(SOLVE_FOUND);
        }
        ++result.expanded;
        if ((result.expanded & 1023) == 0) {
            double now = elapsed();
            if (options_.time_limit_seconds > 0 && now > options_.time_limit_seconds) return finish(SOLVE_GAVE_UP);
            if (options_.progress && now >= next_report) {
                next_report = now + options_.progress_seconds;
                options_.progress(Solve_progress{result.expanded, nodes_.size(), static_cast<int>(f), now, bytes()});
            }
        }
        if ((options_.max_states && nodes_.size() >= options_.max_states) || bytes() > options_.max_bytes ||
            table_full_)
            return finish(SOLVE_GAVE_UP);
        expand(index);
    }
    return finish(SOLVE_NONE);
}

// Plays the chain of pushes back from the start, walking by the shortest
// path to each push.
Solve_result Search::result_for(uint32_t goal)
{
    Solve_result r;
    std::vector<std::pair<int, int>> pushes; // treasure cell, direction
    for (uint32_t i = goal; i != 0; i = nodes_.at(i)->parent) {
        const int d = nodes_.at(i)->push_dir & 3, run = (nodes_.at(i)->push_dir >> 2) + 1;
        std::vector<int> cells{nodes_.at(i)->push_from};
        for (int r = 1; r < run; ++r)
            cells.push_back(grid_.next[cells.back()][d]);
        for (auto c = cells.rbegin(); c != cells.rend(); ++c)
            pushes.emplace_back(*c, d);
    }
    std::reverse(pushes.begin(), pushes.end());

    std::fill(occupied_.begin(), occupied_.end(), 0);
    for (int t : puzzle_.treasures)
        occupied_[grid_.compact_of[t]] = 1;
    int player = grid_.compact_of[puzzle_.player], last_treasure = -1;
    std::vector<int8_t> came(grid_.n);
    for (auto [from, d] : pushes) {
        int target = grid_.next[from][opposite(d)];
        ++stamp_now_;
        int head = 0, tail = 0;
        queue_[tail++] = static_cast<int16_t>(player);
        stamp_[player] = stamp_now_;
        while (head < tail && queue_[head] != target) {
            int c = queue_[head++];
            for (int dd = 0; dd < 4; ++dd) {
                int n = grid_.next[c][dd];
                if (n < 0 || occupied_[n] || stamp_[n] == stamp_now_) continue;
                stamp_[n] = stamp_now_;
                came[n] = static_cast<int8_t>(dd);
                queue_[tail++] = static_cast<int16_t>(n);
            }
        }
        std::string walk;
        for (int c = target; c != player; c = grid_.next[c][opposite(came[c])])
            walk += DIR_CHARS[came[c]];
        r.moves.append(walk.rbegin(), walk.rend());
        r.moves += DIR_CHARS[d];
        if (from != last_treasure) ++r.treasure_changes;
        int to = grid_.next[from][d];
        occupied_[from] = 0;
        occupied_[to] = 1;
        last_treasure = to;
        player = from;
    }
    --r.treasure_changes; // a solution has a push, and its first is no change
    r.pushes = static_cast<int>(pushes.size());
    r.move_count = static_cast<int>(r.moves.size());
    return r;
}

int puzzle_from_grid(const char (*layout)[LEVEL_COLS], Puzzle& p, std::string* error)
{
    p = Puzzle{};
    int starts = 0;
    for (int row = 0; row < LEVEL_ROWS; ++row) {
        for (int col = 0; col < LEVEL_COLS; ++col) {
            int c = row * LEVEL_COLS + col;
            char ch = layout[row][col];
            p.wall[c] = !is_play_cell(ch);
            p.bank[c] = is_bank_cell(ch);
            if (is_treasure_cell(ch)) p.treasures.push_back(c);
            if (is_zandrek_cell(ch)) {
                p.player = c;
                ++starts;
            }
        }
    }
    if (starts == 0 && !p.wall[0]) starts = 1; // the game's default start is the top left cell
    if (starts == 0) {
        if (error) *error = "the level has no start";
        return -1;
    }
    // The game starts the player on the last start and leaves the others on
    // the board as pushable figures that are not treasures; no level should.
    if (starts > 1) {
        if (error) *error = "the level has " + std::to_string(starts) + " starts; it must have one";
        return -1;
    }
    return 0;
}

} // namespace

int puzzle_from_level(const Level_info& level, Puzzle& puzzle, std::string* error)
{
    int rc = puzzle_from_grid(level.layout, puzzle, error);
    // The last start in reading order is the game's start.
    if (rc == 0) puzzle.player = level.start_y * LEVEL_COLS + level.start_x;
    if (rc == 0 && puzzle.wall[puzzle.player]) {
        if (error) *error = "the start is not on a floor cell";
        return -1;
    }
    return rc;
}

int puzzle_from_rows(const std::vector<std::string>& rows, Puzzle& puzzle, std::string* error)
{
    char layout[LEVEL_ROWS][LEVEL_COLS];
    std::memset(layout, ' ', sizeof layout);
    for (size_t r = 0; r < rows.size() && r < LEVEL_ROWS; ++r)
        for (size_t c = 0; c < rows[r].size() && c < LEVEL_COLS; ++c)
            layout[r][c] = rows[r][c];
    return puzzle_from_grid(layout, puzzle, error);
}

namespace
{

Solve_result search_once(const Puzzle& puzzle, const Solve_options& options, const Any_weights& weights = ANY_TURNS[0])
{
    Search search(puzzle, options, weights);
    return search.run();
}

// Searches run one after another report their work together: the counts and
// times add up; the memory is the most any one held, as they held it in turn.
void add_effort(Solve_result& into, const Solve_result& other)
{
    into.expanded += other.expanded;
    into.generated += other.generated;
    into.corral_cuts += other.corral_cuts;
    into.pattern_cuts += other.pattern_cuts;
    into.stored += other.stored;
    into.bytes = std::max(into.bytes, other.bytes);
    into.seconds += other.seconds;
}

// The fast mode's turns. Any turn that runs out of positions proves there is
// no solution, since every rule it prunes by keeps all solutions.
Solve_result search_any(const Puzzle& puzzle, const Solve_options& options)
{
    Solve_result total;
    const size_t turns = sizeof ANY_TURNS / sizeof ANY_TURNS[0];
    double left = options.time_limit_seconds;
    for (size_t i = 0; i < turns; ++i) {
        const Any_weights& w = ANY_TURNS[i];
        const bool last = i + 1 == turns;
        Solve_options o = options;
        if (options.time_limit_seconds > 0) o.time_limit_seconds = last ? left : options.time_limit_seconds * w.share;
        if (options.max_states > 0)
            o.max_states = last ? options.max_states : static_cast<uint64_t>(options.max_states * w.share);
        else if (options.time_limit_seconds <= 0 && !last)
            o.max_states = ANY_TURN_STATES;
        if (o.time_limit_seconds <= 0 && options.time_limit_seconds > 0) break;
        Solve_result r = search_once(puzzle, o, w);
        add_effort(r, total);
        total = r;
        if (r.status != SOLVE_GAVE_UP) break;
        left = options.time_limit_seconds - total.seconds;
    }
    return total;
}

// The cost a solution has in the goal's first measure.
int measure(const Solve_result& r, Solve_goal goal)
{
    return goal == SOLVE_MOVES ? r.move_count : r.pushes;
}

} // namespace

Solve_result solve_puzzle(const Puzzle& puzzle, const Solve_options& options)
{
    if (options.goal == SOLVE_ANY) return search_any(puzzle, options);
    if (options.any_first_share <= 0) return search_once(puzzle, options);
    Solve_options first = options;
    first.goal = SOLVE_ANY;
    first.time_limit_seconds = options.time_limit_seconds * options.any_first_share;
    first.max_states = static_cast<uint64_t>(static_cast<double>(options.max_states) * options.any_first_share);
    if (first.time_limit_seconds <= 0 && first.max_states == 0) first.max_states = ANY_FIRST_STATES;
    Solve_result any = search_any(puzzle, first);
    if (any.status == SOLVE_NONE) return any;
    Solve_options rest = options;
    if (rest.time_limit_seconds > 0) rest.time_limit_seconds = std::max(0.001, rest.time_limit_seconds - any.seconds);
    const bool have = any.status == SOLVE_FOUND;
    if (have && (rest.upper_bound == 0 || measure(any, options.goal) < rest.upper_bound))
        rest.upper_bound = measure(any, options.goal);
    Solve_result best = search_once(puzzle, rest);
    if (best.status == SOLVE_FOUND || !have) {
        add_effort(best, any);
        return best;
    }
    // The optimal search found nothing under the bound: the first solution
    // is the best there is, or not known to be when it stopped at a limit.
    Solve_result out = any;
    out.status = best.status == SOLVE_NONE ? SOLVE_FOUND : SOLVE_UNPROVEN;
    add_effort(out, best);
    return out;
}

std::vector<bool> dead_cells(const Puzzle& puzzle)
{
    Grid grid(puzzle);
    std::vector<bool> out(CELLS);
    for (int i = 0; i < grid.n; ++i)
        out[grid.board_of[i]] = grid.dead[i];
    return out;
}

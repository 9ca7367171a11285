// The solver as it was before the fast mode and the corral and reach rules:
// kept verbatim beside the benchmarks so every run measures today's solver
// against the one it replaced, on the same machine at the same time.
#include "bench/previous_solver.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "engine/pack_records.h"

namespace previous_solver
{
namespace
{

constexpr int CELLS = FIELD_MAX_CELLS;
constexpr int UNREACHABLE = 1 << 20;
constexpr int MAX_TREASURES = 64;
constexpr char DIR_CHARS[4] = {'^', 'v', '<', '>'};
constexpr uint32_t CHUNK_SHIFT = 15;
constexpr uint32_t CHUNK = 1u << CHUNK_SHIFT;
constexpr double TABLE_LOAD = 0.6;

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
    std::vector<int> cost;                // [cell * m + bank]: pushes alone, or UNREACHABLE
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
        // Pulling backwards from each bank: a treasure at s reaches t = s + d
        // when the player can stand at s - d.
        cost.assign(static_cast<size_t>(n) * m, UNREACHABLE);
        std::vector<int> queue;
        for (int b = 0; b < m; ++b) {
            cost[static_cast<size_t>(banks[b]) * m + b] = 0;
            queue.assign(1, banks[b]);
            for (size_t qi = 0; qi < queue.size(); ++qi) {
                int t = queue[qi];
                for (int d = 0; d < 4; ++d) {
                    int s = next[t][opposite(d)];
                    if (s < 0 || next[s][opposite(d)] < 0 || cost[static_cast<size_t>(s) * m + b] != UNREACHABLE)
                        continue;
                    cost[static_cast<size_t>(s) * m + b] = cost[static_cast<size_t>(t) * m + b] + 1;
                    queue.push_back(s);
                }
            }
        }
        dead.assign(n, 1);
        for (int c = 0; c < n; ++c)
            for (int b = 0; b < m; ++b)
                if (cost[static_cast<size_t>(c) * m + b] != UNREACHABLE) dead[c] = 0;
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
    Search(const Puzzle& puzzle, const Solve_options& options)
        : puzzle_(puzzle), options_(options), grid_(puzzle), k_(static_cast<int>(puzzle.treasures.size()))
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
        treasures_.set_stride(k_ > 0 ? k_ : 1);
        const int w = grid_.m + 1;
        cost_.assign(static_cast<size_t>(w) * w, 0);
    }

    Solve_result run();

  private:
    const Puzzle& puzzle_;
    Solve_options options_;
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

    bool exact_player() const { return options_.goal != SOLVE_PUSHES; }
    size_t f_of(const Node& n) const
    {
        return static_cast<size_t>(options_.goal == SOLVE_MOVES ? n.moves : n.pushes) + n.h;
    }
    size_t tie_of(const Node& n) const
    {
        return options_.goal == SOLVE_PUSHES_THEN_MOVES ? static_cast<size_t>(n.moves) + n.h : n.h;
    }
    bool better(uint32_t pushes, uint32_t moves, const Node& old) const
    {
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
    void set_row(int row, int cell);
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
};

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

void Search::set_row(int row, int cell)
{
    const int w = grid_.m + 1;
    const int* from = &grid_.cost[static_cast<size_t>(cell) * grid_.m];
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
        set_row(i + 1, cur[i]);
    for (int row = 1; row <= m; ++row)
        augment(base, row);
    int bank_of_row[MAX_TREASURES + 1];
    for (int j = 1; j <= m; ++j)
        bank_of_row[base.p[j]] = j;

    for (int i = 0; i < k_; ++i) {
        const int t = cur[i];
        for (int d = 0; d < 4; ++d) {
            int behind = grid_.next[t][opposite(d)];
            int ahead = grid_.next[t][d];
            if (behind < 0 || ahead < 0 || !can_stand[behind]) continue;
            if (occupied_[ahead] || grid_.dead[ahead]) continue;
            ++generated_;
            occupy(t, false);
            occupy(ahead, true);
            int h = UNREACHABLE;
            if (frozen(ahead) != 2) {
                const int row = i + 1, j = bank_of_row[row];
                const int* was = &cost_[static_cast<size_t>(row) * w];
                const int* now = &grid_.cost[static_cast<size_t>(ahead) * m];
                if (now[j - 1] == was[j] - 1) {
                    h = node.h - 1;
                } else {
                    Assignment a = base;
                    int saved[MAX_TREASURES + 1];
                    std::copy(was, was + w, saved);
                    set_row(row, ahead);
                    a.p[j] = 0;
                    int lowest = UNREACHABLE * 4;
                    for (int jj = 1; jj <= m; ++jj)
                        lowest = std::min(lowest, now[jj - 1] - a.v[jj]);
                    a.u[row] = lowest;
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
                int player = exact_player() ? t : lowest_reachable(t);
                uint32_t pushes = node.pushes + 1u;
                uint32_t moves = exact_player() ? node.moves + walk[behind] + 1u : 0u;
                uint64_t hash = key_of(th, zob_player_[player]);
                uint32_t e = find(next, player, hash);
                if (e) {
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
                                  static_cast<uint16_t>(player), static_cast<uint16_t>(t), static_cast<uint8_t>(d), 0},
                             next, hash);
                }
            }
            occupy(ahead, false);
            occupy(t, true);
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
    for (int i = 0; i < k_; ++i)
        set_row(i + 1, start[i]);
    for (int row = 1; row <= grid_.m; ++row)
        augment(a, row);
    int h = total(a);
    if (h >= UNREACHABLE) return finish(SOLVE_NONE);
    for (int i = 0; i < k_; ++i)
        occupy(start[i], true);
    const int start_player = grid_.compact_of[puzzle_.player];
    int player = exact_player() ? start_player : lowest_reachable(start_player);
    for (int i = 0; i < k_; ++i)
        occupy(start[i], false);
    table_.assign(1u << 12, 0);
    // The start stays out of the table: reaching its position again by a
    // push is a different thing when every treasure starts banked.
    add_node(Node{0, 0, 0, static_cast<uint16_t>(h), static_cast<uint16_t>(player), 0, 0, 0}, start, 0);
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
    for (uint32_t i = goal; i != 0; i = nodes_.at(i)->parent)
        pushes.emplace_back(nodes_.at(i)->push_from, nodes_.at(i)->push_dir);
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
    r.treasure_changes = r.treasure_changes > 0 ? r.treasure_changes - 1 : 0;
    r.pushes = static_cast<int>(pushes.size());
    r.move_count = static_cast<int>(r.moves.size());
    return r;
}

} // namespace

Solve_result solve_puzzle(const Puzzle& puzzle, const Solve_options& options)
{
    Search search(puzzle, options);
    return search.run();
}

} // namespace previous_solver

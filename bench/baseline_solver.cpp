// The solver as it stood before the closed set was made compact and the
// assignment bound incremental, kept only so that the benchmark can give the
// ratio of the two in one run on one machine.
#include "bench/baseline_solver.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "files/pack_records.h"

namespace
{

constexpr int CELLS = FIELD_MAX_CELLS;
constexpr int UNREACHABLE = 1 << 20;
constexpr char DIR_CHARS[4] = {'^', 'v', '<', '>'};

int opposite(int d)
{
    return d ^ 1;
}

// The grid with walls folded into the neighbour table: -1 is a wall or off
// the grid, so the searches never look at the wall flags.
struct Grid {
    int16_t next[CELLS][4];
    bool bank[CELLS];
    bool dead[CELLS];
    std::vector<int> banks;
    std::vector<std::vector<int>> bank_distance; // [bank][cell] pushes alone

    explicit Grid(const Puzzle& p)
    {
        for (int c = 0; c < CELLS; ++c) {
            int row = c / LEVEL_COLS, col = c % LEVEL_COLS;
            const int cand[4] = {row > 0 ? c - LEVEL_COLS : -1, row < LEVEL_ROWS - 1 ? c + LEVEL_COLS : -1,
                                 col > 0 ? c - 1 : -1, col < LEVEL_COLS - 1 ? c + 1 : -1};
            for (int d = 0; d < 4; ++d)
                next[c][d] = static_cast<int16_t>(cand[d] >= 0 && !p.wall[cand[d]] && !p.wall[c] ? cand[d] : -1);
            bank[c] = p.bank[c] && !p.wall[c];
            if (bank[c]) banks.push_back(c);
        }
        // Pulling backwards from each bank: a treasure at s reaches t = s + d
        // when the player can stand at s - d.
        std::vector<int> queue;
        for (int b : banks) {
            std::vector<int> dist(CELLS, UNREACHABLE);
            dist[b] = 0;
            queue.assign(1, b);
            for (size_t qi = 0; qi < queue.size(); ++qi) {
                int t = queue[qi];
                for (int d = 0; d < 4; ++d) {
                    int s = next[t][opposite(d)];
                    if (s < 0 || next[s][opposite(d)] < 0 || dist[s] != UNREACHABLE) continue;
                    dist[s] = dist[t] + 1;
                    queue.push_back(s);
                }
            }
            bank_distance.push_back(std::move(dist));
        }
        for (int c = 0; c < CELLS; ++c) {
            dead[c] = true;
            for (const auto& dist : bank_distance)
                if (dist[c] != UNREACHABLE) dead[c] = false;
        }
    }
};

struct Node {
    uint64_t hash;
    uint32_t parent;
    uint32_t moves; // kept where the player's cell is exact
    uint16_t pushes;
    uint16_t h;
    uint16_t player;
    uint16_t push_from;
    uint8_t push_dir;
    uint8_t closed;
};

uint64_t split_mix(uint64_t& s)
{
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class Search
{
  public:
    Search(const Puzzle& puzzle, const Solve_options& options)
        : puzzle_(puzzle), options_(options), grid_(puzzle), k_(static_cast<int>(puzzle.treasures.size()))
    {
        uint64_t seed = 0x5A4E44524B;
        for (int c = 0; c < CELLS; ++c) {
            zob_treasure_[c] = split_mix(seed);
            zob_player_[c] = split_mix(seed);
        }
        std::memset(occupied_, 0, sizeof occupied_);
        std::memset(fixed_, 0, sizeof fixed_);
        std::memset(stamp_, 0, sizeof stamp_);
        int banks = static_cast<int>(grid_.banks.size());
        cost_.assign(static_cast<size_t>(k_ + 1) * (banks + 1), 0);
        u_.assign(k_ + 1, 0);
        for (auto* v : {&v_, &p_, &way_, &minv_})
            v->assign(banks + 1, 0);
        used_.assign(banks + 1, 0);
    }

    Solve_result run();

  private:
    const Puzzle& puzzle_;
    Solve_options options_;
    Grid grid_;
    int k_;
    uint64_t zob_treasure_[CELLS];
    uint64_t zob_player_[CELLS];

    std::vector<Node> nodes_;
    std::vector<uint16_t> treasures_; // k_ per node
    std::vector<uint32_t> table_;     // node index + 1; 0 empty
    struct Open_entry {
        uint64_t tie;
        uint32_t index;
        // Heap order: the lower tie key first, then the newer position.
        bool operator<(const Open_entry& o) const { return tie > o.tie || (tie == o.tie && index < o.index); }
    };
    std::vector<std::vector<Open_entry>> open_; // one heap per f value
    size_t lowest_open_ = 0;

    uint8_t occupied_[CELLS];
    uint8_t fixed_[CELLS];
    uint32_t stamp_[CELLS];
    uint32_t stamp_now_ = 0;
    int16_t dist_[CELLS];
    int16_t queue_[CELLS];
    std::vector<int> cost_;
    std::vector<int> u_, v_, p_, way_, minv_; // matching scratch
    std::vector<char> used_;

    bool moves_goal() const { return options_.goal == SOLVE_MOVES; }
    bool exact_player() const { return options_.goal != SOLVE_PUSHES; }
    size_t f_of(const Node& n) const { return static_cast<size_t>(moves_goal() ? n.moves : n.pushes) + n.h; }
    // Among equal f: with pushes then moves, the fewer steps; then the lower
    // h, which dives toward the goal.
    uint64_t tie_of(const Node& n) const
    {
        uint64_t t = n.h;
        if (options_.goal == SOLVE_PUSHES_THEN_MOVES) t |= static_cast<uint64_t>(n.moves + n.h) << 16;
        return t;
    }
    bool better(uint32_t pushes, uint32_t moves, const Node& old) const
    {
        if (options_.goal == SOLVE_PUSHES) return pushes < old.pushes;
        if (options_.goal == SOLVE_MOVES) return moves < old.moves;
        return pushes < old.pushes || (pushes == old.pushes && moves < old.moves);
    }
    int reach(int from, bool want_min);
    int matching(const uint16_t* t);
    int frozen(int cell);
    uint64_t hash_of(const uint16_t* t, int player) const;
    uint32_t find(const uint16_t* t, int player, uint64_t hash) const;
    void insert_index(uint32_t index);
    void push_open(uint32_t index);
    void expand(uint32_t index);
    Solve_result result_for(uint32_t goal);
};

// Breadth-first over free cells from `from`; marks reached cells with the
// current stamp and their distance. Returns the lowest reached index.
int Search::reach(int from, bool want_min)
{
    ++stamp_now_;
    int head = 0, tail = 0, lowest = from;
    queue_[tail++] = static_cast<int16_t>(from);
    stamp_[from] = stamp_now_;
    dist_[from] = 0;
    while (head < tail) {
        int c = queue_[head++];
        if (want_min && c < lowest) lowest = c;
        for (int d = 0; d < 4; ++d) {
            int n = grid_.next[c][d];
            if (n < 0 || occupied_[n] || stamp_[n] == stamp_now_) continue;
            stamp_[n] = stamp_now_;
            dist_[n] = static_cast<int16_t>(dist_[c] + 1);
            queue_[tail++] = static_cast<int16_t>(n);
        }
    }
    return lowest;
}

// Minimum total of pushes to bring each treasure to its own bank.
int Search::matching(const uint16_t* t)
{
    const int n = k_, m = static_cast<int>(grid_.banks.size());
    if (n == 0) return 0;
    const int w = m + 1;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= m; ++j)
            cost_[i * w + j] = grid_.bank_distance[j - 1][t[i - 1]];
    int* u = u_.data();
    int* v = v_.data();
    int* p = p_.data();
    int* way = way_.data();
    int* minv = minv_.data();
    char* used = used_.data();
    std::fill(u_.begin(), u_.end(), 0);
    std::fill(v_.begin(), v_.end(), 0);
    std::fill(p_.begin(), p_.end(), 0);
    for (int i = 1; i <= n; ++i) {
        p[0] = i;
        int j0 = 0;
        for (int j = 0; j <= m; ++j) {
            minv[j] = UNREACHABLE * 4;
            used[j] = 0;
        }
        do {
            used[j0] = 1;
            int i0 = p[j0], delta = UNREACHABLE * 4, j1 = 0;
            for (int j = 1; j <= m; ++j) {
                if (used[j]) continue;
                int cur = cost_[i0 * w + j] - u[i0] - v[j];
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
                    u[p[j]] += delta;
                    v[j] -= delta;
                } else {
                    minv[j] -= delta;
                }
            }
            j0 = j1;
        } while (p[j0] != 0);
        do {
            int j1 = way[j0];
            p[j0] = p[j1];
            j0 = j1;
        } while (j0);
    }
    int total = 0;
    for (int j = 1; j <= m; ++j)
        if (p[j]) total += cost_[p[j] * w + j];
    return total;
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

uint64_t Search::hash_of(const uint16_t* t, int player) const
{
    uint64_t h = zob_player_[player];
    for (int i = 0; i < k_; ++i)
        h ^= zob_treasure_[t[i]];
    return h;
}

uint32_t Search::find(const uint16_t* t, int player, uint64_t hash) const
{
    size_t mask = table_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        uint32_t e = table_[slot];
        if (!e) return 0;
        const Node& n = nodes_[e - 1];
        if (n.hash == hash && n.player == player &&
            std::equal(t, t + k_, treasures_.begin() + static_cast<size_t>(e - 1) * k_))
            return e;
    }
}

void Search::insert_index(uint32_t index)
{
    if ((nodes_.size() + 1) * 2 > table_.size()) {
        std::vector<uint32_t> old;
        old.swap(table_);
        table_.assign(old.empty() ? 1u << 16 : old.size() * 2, 0);
        for (uint32_t e : old)
            if (e) {
                size_t mask = table_.size() - 1, slot = nodes_[e - 1].hash & mask;
                while (table_[slot])
                    slot = (slot + 1) & mask;
                table_[slot] = e;
            }
    }
    size_t mask = table_.size() - 1, slot = nodes_[index].hash & mask;
    while (table_[slot])
        slot = (slot + 1) & mask;
    table_[slot] = index + 1;
}

void Search::push_open(uint32_t index)
{
    size_t f = f_of(nodes_[index]);
    if (f >= open_.size()) open_.resize(f + 1);
    open_[f].push_back(Open_entry{tie_of(nodes_[index]), index});
    std::push_heap(open_[f].begin(), open_[f].end());
    if (f < lowest_open_) lowest_open_ = f;
}

void Search::expand(uint32_t index)
{
    const Node node = nodes_[index];
    uint16_t cur[64], next[64];
    std::copy(treasures_.begin() + static_cast<size_t>(index) * k_,
              treasures_.begin() + static_cast<size_t>(index + 1) * k_, cur);
    for (int i = 0; i < k_; ++i)
        occupied_[cur[i]] = 1;
    reach(node.player, false);
    // The normalising searches below reuse the marks, so keep this one.
    const uint32_t reached = stamp_now_;
    uint8_t can_stand[CELLS];
    int16_t walk[CELLS];
    for (int c = 0; c < CELLS; ++c)
        can_stand[c] = stamp_[c] == reached;
    if (exact_player()) std::copy(dist_, dist_ + CELLS, walk);

    for (int i = 0; i < k_; ++i) {
        const int t = cur[i];
        for (int d = 0; d < 4; ++d) {
            int behind = grid_.next[t][opposite(d)];
            int ahead = grid_.next[t][d];
            if (behind < 0 || ahead < 0 || !can_stand[behind]) continue;
            if (occupied_[ahead] || grid_.dead[ahead]) continue;
            occupied_[t] = 0;
            occupied_[ahead] = 1;
            bool stuck = frozen(ahead) == 2;
            int h = stuck ? UNREACHABLE : 0;
            if (!stuck) {
                // Keep the list sorted: slide the moved treasure into place.
                int j = 0;
                for (int s = 0; s < k_; ++s)
                    if (s != i) next[j++] = cur[s];
                int pos = k_ - 1;
                while (pos > 0 && next[pos - 1] > ahead) {
                    next[pos] = next[pos - 1];
                    --pos;
                }
                next[pos] = static_cast<uint16_t>(ahead);
                h = matching(next);
            }
            if (h < UNREACHABLE) {
                int player = exact_player() ? t : reach(t, true);
                uint32_t pushes = node.pushes + 1u;
                uint32_t moves = exact_player() ? node.moves + walk[behind] + 1u : 0u;
                uint64_t hash = hash_of(next, player);
                uint32_t e = find(next, player, hash);
                if (e) {
                    Node& old = nodes_[e - 1];
                    if (!old.closed && better(pushes, moves, old)) {
                        old.pushes = static_cast<uint16_t>(pushes);
                        old.moves = moves;
                        old.parent = index;
                        old.push_from = static_cast<uint16_t>(t);
                        old.push_dir = static_cast<uint8_t>(d);
                        push_open(e - 1);
                    }
                } else if (pushes < 0xFFFF) {
                    Node n{hash,
                           index,
                           moves,
                           static_cast<uint16_t>(pushes),
                           static_cast<uint16_t>(h),
                           static_cast<uint16_t>(player),
                           static_cast<uint16_t>(t),
                           static_cast<uint8_t>(d),
                           0};
                    nodes_.push_back(n);
                    treasures_.insert(treasures_.end(), next, next + k_);
                    uint32_t added = static_cast<uint32_t>(nodes_.size() - 1);
                    insert_index(added);
                    push_open(added);
                }
            }
            occupied_[ahead] = 0;
            occupied_[t] = 1;
        }
    }
    for (int i = 0; i < k_; ++i)
        occupied_[cur[i]] = 0;
}

Solve_result Search::run()
{
    Solve_result result;
    auto started = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };

    if (k_ == 0 || k_ > 63 || k_ > static_cast<int>(grid_.banks.size())) {
        result.status = k_ > 63 ? SOLVE_GAVE_UP : SOLVE_NONE;
        result.seconds = elapsed();
        return result;
    }
    uint16_t start[64];
    for (int i = 0; i < k_; ++i)
        start[i] = static_cast<uint16_t>(puzzle_.treasures[i]);
    std::sort(start, start + k_);
    for (int i = 0; i < k_; ++i)
        occupied_[start[i]] = 1;
    int player = exact_player() ? puzzle_.player : reach(puzzle_.player, true);
    for (int i = 0; i < k_; ++i)
        occupied_[start[i]] = 0;
    int h = matching(start);
    if (h >= UNREACHABLE) {
        result.status = SOLVE_NONE;
        result.seconds = elapsed();
        return result;
    }
    // The start stays out of the table: reaching its position again by a
    // push is a different thing when every treasure starts banked.
    nodes_.push_back(
        Node{hash_of(start, player), 0, 0, 0, static_cast<uint16_t>(h), static_cast<uint16_t>(player), 0, 0, 0});
    treasures_.insert(treasures_.end(), start, start + k_);
    table_.assign(1u << 16, 0);
    push_open(0);

    result.status = SOLVE_NONE;
    while (true) {
        while (lowest_open_ < open_.size() && open_[lowest_open_].empty())
            ++lowest_open_;
        if (lowest_open_ >= open_.size()) break;
        std::vector<Open_entry>& bucket = open_[lowest_open_];
        std::pop_heap(bucket.begin(), bucket.end());
        const Open_entry entry = bucket.back();
        bucket.pop_back();
        uint32_t index = entry.index;
        Node& n = nodes_[index];
        if (n.closed || f_of(n) != lowest_open_ || tie_of(n) != entry.tie) continue;
        n.closed = 1;
        if (index != 0 && n.h == 0) {
            uint64_t expanded = result.expanded;
            result = result_for(index);
            result.expanded = expanded;
            result.lower_bound = nodes_[0].h;
            break;
        }
        ++result.expanded;
        if ((result.expanded & 255) == 0 && options_.time_limit_seconds > 0 &&
            elapsed() > options_.time_limit_seconds) {
            result.status = SOLVE_GAVE_UP;
            break;
        }
        if (options_.max_states && nodes_.size() >= options_.max_states) {
            result.status = SOLVE_GAVE_UP;
            break;
        }
        expand(index);
    }
    result.stored = nodes_.size();
    result.seconds = elapsed();
    return result;
}

// Plays the chain of pushes back from the start, walking by the shortest
// path to each push.
Solve_result Search::result_for(uint32_t goal)
{
    Solve_result r;
    r.status = SOLVE_FOUND;
    std::vector<std::pair<int, int>> pushes; // treasure cell, direction
    for (uint32_t i = goal; i != 0; i = nodes_[i].parent)
        pushes.emplace_back(nodes_[i].push_from, nodes_[i].push_dir);
    std::reverse(pushes.begin(), pushes.end());

    std::memset(occupied_, 0, sizeof occupied_);
    for (int t : puzzle_.treasures)
        occupied_[t] = 1;
    int player = puzzle_.player, last_treasure = -1;
    int8_t came[CELLS];
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

Solve_result baseline_solve(const Puzzle& puzzle, const Solve_options& options)
{
    Search search(puzzle, options);
    return search.run();
}

#include "tools/authoring/pull_search.h"

#include <algorithm>
#include <unordered_set>

Pull_search::Pull_search(const std::vector<std::string>& rows, int treasures)
    : g(rows), R(static_cast<int>(rows.size())), C(static_cast<int>(rows[0].size())), k(treasures), box(R * C, 0),
      mark(R * C, 0)
{
}

int Pull_search::reach(int from)
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

void Pull_search::place(const Pull_position& p, bool on)
{
    for (int i = 0; i < k; ++i)
        box[p[i]] = on;
}

namespace
{

std::string key_of(const Pull_position& p)
{
    return std::string(reinterpret_cast<const char*>(p.data()), p.size() * 2);
}

} // namespace

std::vector<Pull_position> pull_away(const std::vector<std::string>& g, const std::vector<int>& banks, uint64_t limit,
                                     size_t beam, Generator_random& rng, int* depth)
{
    Pull_search s(g, static_cast<int>(banks.size()));
    std::unordered_set<std::string> seen;
    std::vector<Pull_position> layer;
    Pull_position goal(banks.begin(), banks.end());
    std::sort(goal.begin(), goal.end());
    goal.push_back(0);
    s.place(goal, true);
    for (int c = 0; c < s.R * s.C; ++c) {
        if (!s.free(c)) continue;
        Pull_position p = goal;
        p.back() = static_cast<uint16_t>(s.reach(c));
        if (seen.insert(key_of(p)).second) layer.push_back(p);
    }
    // The goal's treasures stay placed: every first position holds them, and
    // each position's treasures are taken off once it has been searched.

    // Walking distance of every cell to the nearest bank: positions whose
    // treasures stand far from the banks are kept first.
    std::vector<int> near(s.R * s.C, 1 << 20);
    std::vector<int> queue(banks.begin(), banks.end());
    for (int b : banks)
        near[b] = 0;
    for (size_t i = 0; i < queue.size(); ++i)
        for (int n : {queue[i] - s.C, queue[i] + s.C, queue[i] - 1, queue[i] + 1})
            if (s.floor(n) && near[n] > near[queue[i]] + 1) {
                near[n] = near[queue[i]] + 1;
                queue.push_back(n);
            }
    auto spread = [&](const Pull_position& p) {
        int sum = 0;
        for (int i = 0; i < s.k; ++i)
            sum += near[p[i]];
        return sum;
    };
    *depth = 0;
    std::vector<Pull_position> last = layer;
    const int dirs[4] = {-s.C, s.C, -1, 1};
    uint64_t visited = 0;
    while (!layer.empty() && visited < limit) {
        std::vector<Pull_position> next;
        std::unordered_set<std::string> fresh;
        for (const Pull_position& p : layer) {
            ++visited;
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
                    Pull_position q = p;
                    q[i] = static_cast<uint16_t>(a);
                    std::sort(q.begin(), q.begin() + s.k);
                    s.box[b] = 0;
                    s.box[a] = 1;
                    q.back() = static_cast<uint16_t>(s.reach(a2));
                    s.box[a] = 0;
                    s.box[b] = 1;
                    std::string key = key_of(q);
                    if (!seen.count(key) && fresh.insert(key).second) next.push_back(q);
                }
            }
            s.place(p, false);
        }
        if (next.empty()) break;
        // With many treasures the layers grow too fast to reach far: half
        // of each wide layer goes on because its treasures stand farthest
        // out, half at random; the solver finds the true distance of
        // whatever is chosen.
        if (next.size() > beam) {
            const size_t best = beam / 2;
            std::partial_sort(next.begin(), next.begin() + best, next.end(),
                              [&](const Pull_position& a, const Pull_position& b) { return spread(a) > spread(b); });
            for (size_t i = best; i < beam; ++i)
                std::swap(next[i], next[i + rng.below(static_cast<int>(next.size() - i))]);
            next.resize(beam);
        }
        for (const Pull_position& q : next)
            seen.insert(key_of(q));
        last = next;
        layer.swap(next);
        ++*depth;
    }
    return last;
}

// The hard set: levels made here that the previous solver cannot settle
// within ten seconds each (tests/data/hard_set.zrp). For each mode, how many
// it settles within ten seconds each, the time in all, and the memory the
// searches and the process held at their peak. Run from the repository root,
// niced; a whole run takes up to half an hour. In December 2026, on two
// shared cores under load, the previous solver settled 6 of the 49 (458 s in
// all, 523 MB at its peak), the fast mode 39 (125 s, 61 MB), and the
// push-optimal mode 10 (411 s, 560 MB).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <vector>

#include "bench/pack_puzzles.h"
#include "bench/previous_solver.h"
#include "engine/pack_records.h"
#include "files/pack_reader.h"
#include "tools/authoring/solver.h"

namespace
{

constexpr double SECONDS_EACH = 10;
constexpr const char* HARD_SET = "tests/data/hard_set.zrp";

const std::vector<Puzzle>& hard_set()
{
    static const std::vector<Puzzle> puzzles = pack_puzzles(HARD_SET);
    return puzzles;
}

double max_rss_mb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

enum Mode { PREVIOUS_OPTIMAL, ANY, OPTIMAL };

// Settled: a solution (proven optimal in the optimal modes) or a proof that
// there is none, within the limit.
bool settled(const Solve_result& r)
{
    return r.status == SOLVE_FOUND || r.status == SOLVE_NONE;
}

void BM_HardSet(benchmark::State& state)
{
    const auto& all = hard_set();
    if (all.empty()) {
        state.SkipWithError("tests/data/hard_set.zrp not found; run from the repository root");
        return;
    }
    const Mode mode = static_cast<Mode>(state.range(0));
    int settled_count = 0;
    double seconds = 0;
    uint64_t peak = 0;
    for (auto _ : state) {
        for (const Puzzle& p : all) {
            Solve_options o;
            o.time_limit_seconds = SECONDS_EACH;
            if (mode == ANY) o.goal = SOLVE_ANY;
            Solve_result r = mode == PREVIOUS_OPTIMAL ? previous_solver::solve_puzzle(p, o) : solve_puzzle(p, o);
            settled_count += settled(r);
            seconds += r.seconds;
            peak = std::max(peak, r.bytes);
        }
    }
    state.counters["levels"] = static_cast<double>(all.size());
    state.counters["settled"] = settled_count;
    state.counters["total s"] = seconds;
    state.counters["peak MB"] = static_cast<double>(peak) / 1e6;
    state.counters["process MB"] = max_rss_mb();
}
// 0: the previous push-optimal solver; 1: the fast mode; 2: push-optimal now.
BENCHMARK(BM_HardSet)
    ->ArgName("mode")
    ->Arg(PREVIOUS_OPTIMAL)
    ->Arg(ANY)
    ->Arg(OPTIMAL)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

} // namespace

// The solver on the fifty built-in levels, push-optimal. Run from the
// repository root. Reports positions expanded per second beside the times.
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "files/pack_reader.h"
#include "files/pack_records.h"
#include "tools/authoring/solver.h"

namespace
{

const std::vector<Puzzle>& builtin_puzzles()
{
    static std::vector<Puzzle> puzzles = [] {
        std::vector<Puzzle> out;
        std::ifstream in("assets/levels/builtin.zrp", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string bytes = text.str();
        std::unique_ptr<Pack_info> pack = read_pack_bytes(bytes.data(), bytes.size());
        for (const Level_info* l = pack ? pack->levels.get() : nullptr; l; l = l->next.get()) {
            Puzzle p;
            if (puzzle_from_level(*l, p) == 0) out.push_back(p);
        }
        return out;
    }();
    return puzzles;
}

void solve_and_count(benchmark::State& state, const std::vector<const Puzzle*>& which, Solve_goal goal)
{
    uint64_t expanded = 0;
    int failed = 0;
    Solve_options options;
    options.goal = goal;
    for (auto _ : state) {
        for (const Puzzle* p : which) {
            Solve_result r = solve_puzzle(*p, options);
            expanded += r.expanded;
            failed += r.status != SOLVE_FOUND;
            benchmark::DoNotOptimize(r.pushes);
        }
    }
    state.counters["expanded"] = benchmark::Counter(static_cast<double>(expanded), benchmark::Counter::kAvgIterations);
    state.counters["positions/s"] = benchmark::Counter(static_cast<double>(expanded), benchmark::Counter::kIsRate);
    if (failed) state.SkipWithError("a built-in level was not solved");
}

void BM_SolveBuiltinLevel(benchmark::State& state)
{
    const auto& all = builtin_puzzles();
    size_t n = static_cast<size_t>(state.range(0));
    if (n < 1 || n > all.size()) {
        state.SkipWithError("assets/levels/builtin.zrp not found or too short; run from the repository root");
        return;
    }
    solve_and_count(state, {&all[n - 1]}, SOLVE_PUSHES);
}
BENCHMARK(BM_SolveBuiltinLevel)->DenseRange(1, 50)->Unit(benchmark::kMillisecond);

void BM_SolveAllFifty(benchmark::State& state)
{
    const auto& all = builtin_puzzles();
    if (all.size() != 50) {
        state.SkipWithError("assets/levels/builtin.zrp must hold fifty levels; run from the repository root");
        return;
    }
    std::vector<const Puzzle*> which;
    for (const Puzzle& p : all)
        which.push_back(&p);
    solve_and_count(state, which, state.range(0) ? SOLVE_MOVES : SOLVE_PUSHES);
}
// 0: push-optimal, 1: move-optimal.
BENCHMARK(BM_SolveAllFifty)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

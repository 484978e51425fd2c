// Benchmarks of the analysis engine on the classic families: the explicit
// search alone (states/s, firings/s, bytes per state beyond the packed
// marking) and the whole behavioural analysis with its components pass.

#include "../tests/analysis/NetFamilies.h"
#include "Analysis.h"
#include "Reachability.h"

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

TAnalysisNet Family(int which, int n)
{
    return which == 0 ? NetFamilies::Kanban(n) : NetFamilies::Philosophers(n);
}

void Search(benchmark::State &state)
{
    const TAnalysisNet net = Family(int(state.range(0)), int(state.range(1)));
    const TFiringNet firing(net, false);
    TAnalysisOptions options;
    options.Threads = int(state.range(2));
    int64_t states = 0, firings = 0, bytes = 0, marking = 0;
    double mainSeconds = 0;
    for (auto _ : state) {
        timespec from{}, to{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &from);
        const TSearchLimits limits(options);
        TReachability graph(firing, net.Marking, options.MaxStates);
        QString reason;
        if (graph.Run(limits, &reason) != TReachability::TEnd::Complete)
            state.SkipWithError("search incomplete");
        states = graph.StateCount();
        firings = graph.Firings;
        marking = graph.Store.Stride();
        bytes = graph.MemoryBytes() - states * marking;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &to);
        mainSeconds += double(to.tv_sec - from.tv_sec) + double(to.tv_nsec - from.tv_nsec) / 1e9;
    }
    // The calling thread is one of the workers and does the sequential
    // steps: its CPU time is what the wall clock would show on idle cores
    // (less any wait for the other workers), which a loaded machine hides.
    state.counters["caller_ms"] = 1000 * mainSeconds / double(state.iterations());
    state.counters["states"] = double(states);
    state.counters["states/s"] = benchmark::Counter(double(states), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["firings/s"] = benchmark::Counter(double(firings), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["marking_bytes"] = double(marking);
    state.counters["bytes/state"] = double(bytes) / double(states);
}

void Analyse(benchmark::State &state)
{
    const TAnalysisNet net = Family(int(state.range(0)), int(state.range(1)));
    TAnalysisOptions options;
    options.Structure = false;
    TAnalysisResult result;
    for (auto _ : state)
        result = AnalyseNet(net, options);
    if (!result.Complete)
        state.SkipWithError("analysis incomplete");
    state.counters["states"] = double(result.States);
    state.counters["bytes/state"] = double(result.MemoryBytes) / double(result.States) - result.BytesPerMarking;
}

void Families(benchmark::internal::Benchmark *b)
{
    // family 0: Kanban, 1: dining philosophers.
    b->ArgNames({"family", "n", "threads"});
    for (int threads : {1, 2}) {
        for (int n : {3, 4, 5})
            b->Args({0, n, threads});
        b->Args({1, 10, threads});
    }
    b->Unit(benchmark::kMillisecond);
    b->MeasureProcessCPUTime();
}

void AnalyseFamilies(benchmark::internal::Benchmark *b)
{
    // family 0: Kanban, 1: dining philosophers.
    b->ArgNames({"family", "n"});
    for (int n : {3, 4, 5})
        b->Args({0, n});
    b->Args({1, 10});
    b->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(Search)->Apply(Families);
BENCHMARK(Analyse)->Apply(AnalyseFamilies);
BENCHMARK_MAIN();

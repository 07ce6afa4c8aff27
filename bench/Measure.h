#pragma once
// What the benchmarks measure with: a case beside its floor, a clock that all
// processes share, a process's own memory, and fresh processes to measure in.
#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>
#include <vector>

// Runs this benchmark program again with `args` and returns what it printed.
// A fresh process owes nothing to this one's heap or to what it has loaded.
std::string runSelf(const std::vector<std::string> &args);

// Resident memory now and at its highest, in bytes.
struct Memory {
    std::int64_t resident = 0;
    std::int64_t peak = 0;
};
Memory memory();
// Starts the count of the highest resident memory again from now.
void resetPeak();

// Nanoseconds on the monotonic clock, which every process on the machine reads
// alike, so that a child's reading can be set against its parent's.
std::int64_t monotonicNs();

// How long `work` takes, in seconds.
template <class Work>
double secondsOf(Work work)
{
    const std::int64_t start = monotonicNs();
    work();
    return double(monotonicNs() - start) / 1e9;
}

// Runs a case and its floor in turn, once each per iteration, so that both
// meet the same moment's noise; each returns the seconds its timed part took.
// The case's time is the benchmark's (manual time), the floor's the counter
// "floor".
template <class Case, class Floor>
void paired(benchmark::State &state, Case runCase, Floor runFloor)
{
    double floor = 0;
    for (auto _ : state) {
        state.SetIterationTime(runCase());
        floor += runFloor();
    }
    state.counters["floor"] = floor / double(state.iterations());
}

// Takes "--smoke" out of the arguments: every benchmark once, on small sizes,
// to check the benchmark code rather than to measure. `smoke` tells which.
bool takeSmokeFlag(int &argc, char **argv);
extern bool smoke;

// Sets a benchmark up as all of ours are: times in milliseconds, taken by the
// benchmark itself; once in a smoke run, else `iterations` times when given.
benchmark::internal::Benchmark *set(benchmark::internal::Benchmark *b, int iterations = 0);

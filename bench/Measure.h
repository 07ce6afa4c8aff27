#pragma once
// What the benchmarks measure with: a case beside its floor, a clock that all
// processes share, a process's own memory, and fresh processes to measure in.
#include "Process.h"
#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>
#include <vector>

// Runs this benchmark program again with `args` and returns what it printed.
// A fresh process owes nothing to this one's heap or to what it has loaded.
std::string runSelf(const std::vector<std::string> &args);
// Runs `program` with `args` and returns what it printed, or nothing when it
// failed.
std::string runChild(const std::string &program, const std::vector<std::string> &args);

// How long `work` takes, in seconds.
template <class Work>
double secondsOf(Work work)
{
    const std::int64_t start = monotonicNs();
    work();
    return double(monotonicNs() - start) / 1e9;
}

// Runs a case and its floor in turn, once each per iteration and each first
// every other time, so that both meet the same moment's noise and neither
// always follows the other; each returns the seconds its timed part took.
// The case's time is the benchmark's (manual time), the floor's the counter
// "floor".
template <class Case, class Floor>
void paired(benchmark::State &state, Case runCase, Floor runFloor)
{
    double floor = 0;
    bool caseFirst = true;
    for (auto _ : state) {
        if (caseFirst) {
            state.SetIterationTime(runCase());
            floor += runFloor();
        } else {
            floor += runFloor();
            state.SetIterationTime(runCase());
        }
        caseFirst = !caseFirst;
    }
    state.counters["floor"] = floor / double(state.iterations());
}

// Takes "--smoke" out of the arguments: every benchmark once, on small sizes,
// to check the benchmark code rather than to measure. `smoke` tells which.
bool takeSmokeFlag(int &argc, char **argv);
extern bool smoke;
// Takes the smoke flag, then hands the rest to Google Benchmark; false when
// an argument is not known.
bool startBenchmarks(int &argc, char **argv);

// Sets a benchmark up as all of ours are: times in milliseconds, taken by the
// benchmark itself; once in a smoke run, else `iterations` times when given.
benchmark::internal::Benchmark *set(benchmark::internal::Benchmark *b, int iterations = 0);

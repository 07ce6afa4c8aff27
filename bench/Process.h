#pragma once
// Measurements that need a process of their own, and what a process can tell
// of itself: its memory and a clock that all processes share.
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

// Takes "--smoke" out of the arguments: every benchmark once, on small sizes,
// to check the benchmark code rather than to measure.
bool takeSmokeFlag(int &argc, char **argv);

#pragma once
// What a measured process reads of itself: the clock that all processes
// share, and its own memory. Header only, so that the bare window's program
// links nothing but Qt Widgets.
#include <cstdint>
#include <fstream>
#include <string>
#include <time.h>

// Nanoseconds on the monotonic clock, which every process on the machine reads
// alike, so that a child's reading can be set against its parent's.
inline std::int64_t monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Resident memory now and at its highest, in bytes.
struct Memory {
    std::int64_t resident = 0;
    std::int64_t peak = 0;
};

inline Memory memory()
{
    Memory m;
    std::ifstream status("/proc/self/status");
    for (std::string key; status >> key;) {
        std::int64_t kb = 0;
        if (key == "VmRSS:" && status >> kb)
            m.resident = kb * 1024;
        else if (key == "VmHWM:" && status >> kb)
            m.peak = kb * 1024;
    }
    return m;
}

// Starts the count of the highest resident memory again from now.
inline void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

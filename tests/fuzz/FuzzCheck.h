#pragma once
// What a fuzz target needs besides the code it exercises: a check that stops
// the run, so libFuzzer keeps the input that broke a rule.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

inline void check(bool holds, const char *rule)
{
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", rule);
        std::abort();
    }
}

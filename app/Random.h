#pragma once
// The runtime's pseudo-random generator: a 64-bit linear congruence.
#include <QtGlobal>

class Random {
public:
    void seed(quint32 value) { state = value; }
    // 0..2147483647: bits 32 to 62 of the next state.
    int next();

private:
    quint64 state = 1;
};

#include "app/Random.h"

int Random::next()
{
    constexpr quint64 multiplier = (quint64(346) << 32) + 20021;
    state = state * multiplier + 1;
    return int((state >> 32) & 0x7FFFFFFF);
}

// Any bytes as a wave file: the duration read from its header agrees with a
// reference written another way, and the wait for it never passes the cap.
#include "FuzzCheck.h"
#include "app/WaveHeader.h"
#include <algorithm>
#include <cstring>

namespace {
// The same header rules, byte by byte over the first 4,096 bytes of a file of
// `n` bytes: -1 unless a "fmt " chunk of 16 bytes or more lies inside both,
// with byte rate == sample rate * block align != 0, and a "data" chunk after
// it ends within the file.
int64_t reference(const uint8_t *p, size_t n)
{
    const size_t head = std::min<size_t>(n, 4096);
    const auto number = [&](size_t at, int bytes) {
        uint64_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | p[at + size_t(i)];
        return value;
    };
    if (head < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
        return -1;
    uint64_t byteRate = 0;
    for (uint64_t at = 12; at + 8 <= head;) {
        const uint64_t size = number(at + 4, 4), end = at + 8 + size;
        if (end > n)
            return -1;
        if (std::memcmp(p + at, "fmt ", 4) == 0) {
            if (size < 16 || end > head)
                return -1;
            byteRate = number(at + 16, 4);
            if (byteRate == 0 || byteRate != number(at + 12, 4) * number(at + 20, 2))
                return -1;
        } else if (std::memcmp(p + at, "data", 4) == 0) {
            return byteRate == 0 ? -1 : int64_t(size * 1000 / byteRate);
        }
        at = end + size % 2;
    }
    return -1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView head(data, qsizetype(std::min<size_t>(size, 4096)));
    const qint64 duration = waveDurationMs(head, qint64(size));
    check(duration == reference(data, size), "the duration differs from the reference");
    if (duration >= 0) {
        const int wait = soundWaitMs(duration);
        check(wait >= 500 && wait <= longestSoundMs + 500, "the wait passes the cap");
        check(wait == std::min<qint64>(duration, longestSoundMs) + 500, "the wait is not the duration cut at the cap");
    }
    return 0;
}

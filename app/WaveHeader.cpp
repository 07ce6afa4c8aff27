#include "app/WaveHeader.h"
#include <QtEndian>
#include <algorithm>

qint64 waveDurationMs(QByteArrayView head, qint64 fileSize)
{
    const auto u16 = [&](qint64 at) { return qint64(qFromLittleEndian<quint16>(head.data() + at)); };
    const auto u32 = [&](qint64 at) { return qint64(qFromLittleEndian<quint32>(head.data() + at)); };
    if (head.size() < 12 || !head.startsWith("RIFF") || head.sliced(8, 4) != "WAVE")
        return -1;
    qint64 byteRate = 0;
    for (qint64 at = 12; at + 8 <= head.size();) {
        const QByteArrayView id = head.sliced(at, 4);
        const qint64 size = u32(at + 4), end = at + 8 + size;
        // A size past the file's end would have the player allocate it.
        if (end > fileSize)
            return -1;
        if (id == "fmt ") {
            if (size < 16 || end > head.size())
                return -1;
            byteRate = u32(at + 16);
            if (byteRate == 0 || byteRate != u32(at + 12) * u16(at + 20))
                return -1;
        } else if (id == "data") {
            return byteRate ? size * 1000 / byteRate : -1;
        }
        at = end + (size & 1);
    }
    return -1;
}

int soundWaitMs(qint64 durationMs)
{
    return int(std::clamp<qint64>(durationMs, 0, longestSoundMs) + 500);
}

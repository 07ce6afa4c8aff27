#include "app/WaveHeader.h"
#include <QFile>
#include <QtEndian>
#include <algorithm>

namespace {
// What the header holds: the "fmt " chunk's fields and where the data lie.
struct Header {
    qint64 formatTag = 0, channels = 0, sampleRate = 0, byteRate = 0, blockAlign = 0, bits = 0;
    qint64 dataAt = 0, dataSize = 0;
};

std::optional<Header> readHeader(QByteArrayView head, qint64 fileSize)
{
    const auto u16 = [&](qint64 at) { return qint64(qFromLittleEndian<quint16>(head.data() + at)); };
    const auto u32 = [&](qint64 at) { return qint64(qFromLittleEndian<quint32>(head.data() + at)); };
    if (head.size() < 12 || !head.startsWith("RIFF") || head.sliced(8, 4) != "WAVE")
        return std::nullopt;
    Header h;
    for (qint64 at = 12; at + 8 <= head.size();) {
        const QByteArrayView id = head.sliced(at, 4);
        const qint64 size = u32(at + 4), end = at + 8 + size;
        // A size past the file's end would have the player allocate it.
        if (end > fileSize)
            return std::nullopt;
        if (id == "fmt ") {
            if (size < 16 || end > head.size())
                return std::nullopt;
            h = {u16(at + 8), u16(at + 10), u32(at + 12), u32(at + 16), u16(at + 20), u16(at + 22)};
            if (h.byteRate == 0 || h.byteRate != h.sampleRate * h.blockAlign)
                return std::nullopt;
        } else if (id == "data") {
            if (h.byteRate == 0)
                return std::nullopt;
            h.dataAt = at + 8;
            h.dataSize = size;
            return h;
        }
        at = end + (size & 1);
    }
    return std::nullopt;
}
} // namespace

qint64 waveDurationMs(QByteArrayView head, qint64 fileSize)
{
    const auto h = readHeader(head, fileSize);
    return h ? h->dataSize * 1000 / h->byteRate : -1;
}

std::optional<Sound> decodeWave(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const auto h = readHeader(file.read(4096), file.size());
    // Integer samples (plain or "extensible"), of whole bytes that fill the
    // block, at a rate and in channels that a sound card could have.
    if (!h || (h->formatTag != 1 && h->formatTag != 0xFFFE) || (h->bits != 8 && h->bits != 16)
        || h->channels == 0 || h->channels > 32 || h->sampleRate > 1000000
        || h->blockAlign != h->channels * h->bits / 8)
        return std::nullopt;
    const qint64 frames = std::min(h->dataSize, h->byteRate * longestSoundMs / 1000) / h->blockAlign;
    if (!file.seek(h->dataAt))
        return std::nullopt;
    const QByteArray data = file.read(frames * h->blockAlign);
    Sound sound{QByteArray(data.size() / h->blockAlign * h->channels * 2, Qt::Uninitialized),
                int(h->sampleRate), int(h->channels)};
    auto *out = reinterpret_cast<qint16 *>(sound.samples.data());
    const qsizetype count = sound.samples.size() / 2;
    for (qsizetype i = 0; i < count; ++i)
        out[i] = h->bits == 8 ? qint16((quint8(data[i]) - 128) << 8)
                              : qFromLittleEndian<qint16>(data.constData() + 2 * i);
    return sound;
}

int soundWaitMs(qint64 durationMs)
{
    return int(std::clamp<qint64>(durationMs, 0, longestSoundMs) + 500);
}

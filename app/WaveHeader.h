#pragma once
// What a wave file's header says about its sound, checked against the file
// itself before anything plays it, and the sound itself decoded once.
#include "app/AudioOutput.h"
#include <QByteArrayView>
#include <optional>

class QString;

// A sound longer than this is cut there, so that no wave file holds the program for long.
inline constexpr qint64 longestSoundMs = 30000;

// The playing time in milliseconds of the wave file whose first bytes are
// `head` and whose real size is `fileSize`; -1 unless the header holds: a "fmt "
// chunk of at least 16 bytes lying wholly inside the file, a byte rate equal
// to the sample rate times the block align and not zero, and a "data" chunk
// after it that fits in the file.
qint64 waveDurationMs(QByteArrayView head, qint64 fileSize);

// The sound of the wave file at `path` as 16-bit samples, at its own rate and
// channels, cut at longestSoundMs; nothing unless the header holds (above) and
// the samples are integers of 8 or 16 bits.
std::optional<Sound> decodeWave(const QString &path);

// How long to wait for a sound of `durationMs` to end: the duration, cut at
// longestSoundMs, and a margin for the audio device.
int soundWaitMs(qint64 durationMs);

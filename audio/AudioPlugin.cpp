#include "audio/AudioPlugin.h"
#include "audio/Flite.h"
#include <QAudioDevice>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QSemaphore>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>

namespace {
// The silence for a gap in what is read: with the voice's own silence at the
// end and the start of the pieces around it (about 0.4 s) a pause of about 0.6 s.
constexpr int pauseMs = 200;
// How much the device is given ahead of what it plays: the delay before a
// sound is heard.
constexpr int aheadMs = 80;
// How long the stream goes on with silence after a sound before it is paused,
// so that an idle program leaves the device alone.
constexpr int keptMs = 5000;

// `sound` in `format` (16-bit), resampled by straight lines between samples;
// each channel of the output takes the sound's channel of its number, or its
// last one.
QByteArray converted(const Sound &sound, const QAudioFormat &format)
{
    const int inChannels = sound.channels, outChannels = format.channelCount();
    if (inChannels <= 0 || sound.sampleRate <= 0 || outChannels <= 0)
        return {};
    const auto *in = reinterpret_cast<const qint16 *>(sound.samples.constData());
    const qint64 inFrames = sound.samples.size() / 2 / inChannels;
    const qint64 outFrames = inFrames * format.sampleRate() / sound.sampleRate;
    QByteArray out(outFrames * outChannels * 2, Qt::Uninitialized);
    auto *o = reinterpret_cast<qint16 *>(out.data());
    const double step = double(sound.sampleRate) / format.sampleRate();
    for (qint64 f = 0; f < outFrames; ++f) {
        const double at = double(f) * step;
        const qint64 i = std::min<qint64>(qint64(at), inFrames - 1), j = std::min(i + 1, inFrames - 1);
        const double t = at - double(i);
        for (int c = 0; c < outChannels; ++c) {
            const int ic = std::min(c, inChannels - 1);
            *o++ = qint16(in[i * inChannels + ic] * (1 - t) + in[j * inChannels + ic] * t);
        }
    }
    return out;
}
} // namespace

// What the device reads: the sounds queued, then silence. Lives on the audio thread.
class Stream : public QIODevice {
public:
    // Whether a device was found and its stream started: -1 until known.
    std::atomic<int> opened = -1;
    QSemaphore known;

    void start()
    {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (!device.isNull()) {
            format = device.preferredFormat();
            format.setSampleFormat(QAudioFormat::Int16);
            sink = std::make_unique<QAudioSink>(device, format);
            sink->setBufferSize(format.bytesForDuration(aheadMs * 1000));
            QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
            sink->start(this);
            watch.setInterval(5);
            QObject::connect(&watch, &QTimer::timeout, this, [this] { check(); });
            watch.start();
        }
        opened = sink && sink->error() == QAudio::NoError;
        known.release();
    }

    // Drops what is queued and makes `current` the request whose sounds play.
    void clear(int current)
    {
        queue.clear();
        headAt = 0;
        endAt = -1;
        ended = nullptr;
        request = current;
    }

    // Queues `sound` of `current`; `whenEnded` runs once the device has played it.
    void append(const Sound &sound, int current, std::function<void()> whenEnded = nullptr)
    {
        if (current != request || !sink)
            return;
        const QByteArray samples = converted(sound, format);
        queue.push_back(samples);
        endAt = handedOut + queued();
        ended = std::move(whenEnded);
        idleSince = -1;
        if (sink->state() == QAudio::SuspendedState)
            sink->resume();
        emit readyRead();
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return sink ? sink->bufferSize() : 0; }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        qint64 n = 0;
        while (n < max && !queue.empty()) {
            const QByteArray &head = queue.front();
            const qint64 part = std::min(max - n, head.size() - headAt);
            std::memcpy(data + n, head.constData() + headAt, size_t(part));
            n += part;
            headAt += part;
            if (headAt == head.size()) {
                queue.pop_front();
                headAt = 0;
            }
        }
        std::memset(data + n, 0, size_t(max - n)); // silence after the sounds
        handedOut += max;
        return max;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    qint64 queued() const
    {
        qint64 bytes = -headAt;
        for (const QByteArray &q : queue)
            bytes += q.size();
        return bytes;
    }

    // The sound awaited has ended once the device has played past its last
    // sample; an idle stream is paused.
    void check()
    {
        if (!sink || sink->state() == QAudio::SuspendedState)
            return;
        // A stream the server has ended plays nothing more: no more waiting for it.
        if (sink->state() == QAudio::StoppedState)
            opened = 0;
        const qint64 played = format.bytesForDuration(sink->processedUSecs());
        // After an underrun (a busy machine) the sink reads again only when told,
        // and a stream that has stopped moving (the server waiting for more
        // than it was given) is started again.
        if (sink->state() == QAudio::IdleState)
            emit readyRead();
        if (played != lastPlayed) {
            lastPlayed = played;
            sinceMoved.restart();
        } else if (sinceMoved.elapsed() > 30) {
            sink->suspend();
            sink->resume();
            sinceMoved.restart();
        }
        if (ended && handedOut >= endAt && played >= endAt) {
            auto done = std::move(ended);
            ended = nullptr;
            done();
        }
        if (!queue.empty() || ended) {
            idleSince = -1;
        } else if (idleSince < 0) {
            idleSince = played;
        } else if (played - idleSince > format.bytesForDuration(keptMs * 1000)) {
            sink->suspend();
        }
    }

    QAudioFormat format;
    std::unique_ptr<QAudioSink> sink;
    QTimer watch{this}; // a child, so that it moves to the audio thread with the stream
    std::deque<QByteArray> queue;
    qint64 headAt = 0;
    // Bytes handed to the device since the stream started, where the sound
    // awaited ends among them, and where the stream fell idle.
    qint64 handedOut = 0, endAt = -1, idleSince = -1;
    std::function<void()> ended;
    int request = 0;
    qint64 lastPlayed = -1;
    QElapsedTimer sinceMoved;
};

AudioPlugin::AudioPlugin() : audioThread(new QThread), stream(new Stream)
{
    stream->moveToThread(audioThread);
    audioThread->start();
    QMetaObject::invokeMethod(stream, [s = stream] { s->start(); });
    voiceThread.setMaxThreadCount(1);
    // The voice loads beside everything else, ready for the first reading.
    voiceThread.start([] { fliteLoaded(); });
}

AudioPlugin::~AudioPlugin()
{
    // Whatever is queued, only the sentence being read is waited for.
    ++request;
    voiceThread.clear();
    voiceThread.waitForDone();
    QMetaObject::invokeMethod(stream, [s = stream] { delete s; });
    audioThread->quit();
    // A thread held by a sound server that hangs is left to the end of the process.
    if (audioThread->wait(300))
        delete audioThread;
}

bool AudioPlugin::open()
{
    if (stream->opened < 0 && stream->known.tryAcquire(1, 3000))
        stream->known.release();
    return stream->opened == 1;
}

void AudioPlugin::play(const Sound &sound, std::function<void()> ended)
{
    const int current = ++request;
    // The end is told on this thread, unless this output is gone by then.
    auto onEnded = [this, ended = std::move(ended)] { QMetaObject::invokeMethod(this, ended); };
    QMetaObject::invokeMethod(stream, [s = stream, current, sound, onEnded] {
        s->clear(current);
        s->append(sound, current, onEnded);
    });
}

bool AudioPlugin::canSpeak()
{
    return open() && fliteLoaded();
}

void AudioPlugin::speak(const QStringList &sentences)
{
    stop();
    const int current = request;
    voiceThread.start([this, current, sentences] {
        for (const QString &sentence : sentences) {
            if (request != current)
                return;
            const Sound sound = sentence.isEmpty() ? Sound{QByteArray(16 * pauseMs * 2, 0), 16000, 1}
                                                   : synthesise(sentence);
            QMetaObject::invokeMethod(stream, [s = stream, sound, current] { s->append(sound, current); });
        }
    });
}

void AudioPlugin::stop()
{
    const int current = ++request;
    voiceThread.clear();
    QMetaObject::invokeMethod(stream, [s = stream, current] { s->clear(current); });
}

#pragma once
// The plug-in with the program's audio output and English voice: one stream,
// opened on a thread of its own and kept ready while the program runs, plays
// both the answer sounds and what the voice reads.
#include "app/AudioOutput.h"
#include <QThreadPool>
#include <atomic>

class QThread;
class Stream;

class AudioPlugin : public QObject, public AudioOutput {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID AudioOutput_iid)
    Q_INTERFACES(AudioOutput)
public:
    AudioPlugin();
    ~AudioPlugin() override;

    bool open() override;
    void play(const Sound &sound, std::function<void()> ended) override;
    bool canSpeak() override;
    void speak(const QStringList &sentences) override;
    void stop() override;

private:
    // The stream and the device live on this thread, so that a sound server
    // that stops answering never holds the window.
    QThread *audioThread;
    Stream *stream;
    // The latest request: a reading of an older one is dropped before and
    // between its sentences.
    std::atomic<int> request = 0;
    // Reads beside the window, one sentence at a time.
    QThreadPool voiceThread;
};

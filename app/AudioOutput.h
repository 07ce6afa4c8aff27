#pragma once
// The audio output and the English voice. They live in a plug-in that links Qt
// Multimedia and Flite, loaded when the first sound or reading needs them, so
// that start-up links no audio library. The program holds the plug-in through
// this interface only.
#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <functional>

// Samples ready to play: 16-bit signed, channels interleaved.
struct Sound {
    QByteArray samples;
    int sampleRate = 0;
    int channels = 0;
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Whether there is an audio device to play on. The output opens it on its
    // own thread once it is made and keeps its stream ready, so that a sound
    // starts at once; this waits for that, a few seconds at most.
    virtual bool open() = 0;
    // Stops what plays (a sound or a reading) and plays `sound`; `ended` is
    // called on the caller's thread once the device has played its last
    // sample, and never when the device stops taking samples.
    virtual void play(const Sound &sound, std::function<void()> ended) = 0;

    // Whether the English voice is there (loaded at the first question).
    virtual bool canSpeak() = 0;
    // Reads `sentences` one after another beside the caller, an empty one as
    // a pause; a later call, play() or stop() drops what is left of them.
    virtual void speak(const QStringList &sentences) = 0;
    // Stops what plays and what is still to be read.
    virtual void stop() = 0;
};

#define AudioOutput_iid "jp.example.pirumo.AudioOutput/1"
Q_DECLARE_INTERFACE(AudioOutput, AudioOutput_iid)

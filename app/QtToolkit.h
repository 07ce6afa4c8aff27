#pragma once
// The toolkit of the running program: Qt's message boxes, file dialogs, sound
// and desktop services, and an English voice.
#include "app/Random.h"
#include "app/Toolkit.h"
#include <QBuffer>
#include <QDir>
#include <QThreadPool>
#include <map>
#include <memory>

class QAudioSink;
class QSoundEffect;

class QtToolkit : public Toolkit {
public:
    QtToolkit();
    ~QtToolkit() override;

    int messageBox(QWidget *owner, const QString &text, const QString &caption,
                   Buttons buttons) override;
    std::optional<QString> fileDialog(QWidget *owner, DialogKind kind,
                                      const FileDialog &dialog) override;
    void playSound(const QString &bareName) override;
    void openAddress(const QString &address) override;
    void showError(const QString &text, const QString &detail) override;
    void seedRandom(quint32 seed) override { random.seed(seed); }
    int nextRandom() override { return random.next(); }
    void speak(const QString &text) override;
    void stopSpeaking() override;
    bool canSpeak() override;
    QDateTime now() override { return QDateTime::currentDateTimeUtc(); }

    // Where a bare sound name is found: the current folder first, then the
    // folder the program was started in (a dialog may have changed the current
    // one). Empty when neither has it.
    QString soundPath(const QString &bareName) const;

    // Plays a wave file and waits until it has ended, at most its duration and
    // a margin.
    void playWave(const QString &path, qint64 durationMs);

private:
    QSoundEffect *effectFor(const QString &path);

    Random random;
    QDir startFolder;
    // Made on the first sound, so that start-up does not pay for the audio back end.
    std::map<QString, std::unique_ptr<QSoundEffect>> effects;
    // Reading aloud: the sound of the latest request and what plays it.
    int speechRequest = 0;
    QBuffer speechSound;
    std::unique_ptr<QAudioSink> speechSink;
    // Where a finished sound is played, on the window's thread.
    QObject speechContext;
    // Makes the sound beside the window. Last, so that it is gone, its work
    // done, before anything its work reaches.
    QThreadPool speechThread;
};

// "desc|pattern|desc|pattern" as Qt's "desc (pattern);;desc (pattern)", with
// "*.*" as "*".
QString qtFilter(const QString &filter);
// The playing time of a PCM wave file from its header, in milliseconds; -1 when
// the file is no wave file.
qint64 waveDurationMs(const QString &path);

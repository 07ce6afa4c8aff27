#pragma once
// The toolkit of the running program: Qt's message boxes, file dialogs and
// desktop services, and the audio plug-in's sounds and English voice.
#include "app/AudioOutput.h"
#include "app/Random.h"
#include "app/Toolkit.h"
#include <QDateTime>
#include <QDir>
#include <QPluginLoader>
#include <map>
#include <memory>
#include <optional>
#include <thread>

class QtToolkit : public Toolkit {
public:
    // Sounds and reading go through the plug-in at `audioPlugin` (by default
    // audioPluginPath()), loaded beside the window once it has been painted,
    // or at the first sound.
    explicit QtToolkit(const QString &audioPlugin = {});
    // Sounds and reading go through `output`, which the caller keeps.
    explicit QtToolkit(AudioOutput &out);
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
    void withProgress(QWidget *owner, const QString &text,
                      const std::function<void(const Progress &)> &work) override;

    // Where a bare sound name is found: the current folder first, then the
    // folder the program was started in (a dialog may have changed the current
    // one). Empty when neither has it.
    QString soundPath(const QString &bareName) const;

    // The plug-in beside the program, or where the package installs it.
    static QString audioPluginPath();

private:
    // The audio output; nothing without the plug-in.
    AudioOutput *audio();
    void makeLoader();
    // The sound of the wave file at `path`, decoded once; nothing when it is
    // no wave file that can be played.
    const std::optional<Sound> &decoded(const QString &path);

    Random random;
    QDir startFolder;
    QString pluginFile;
    std::unique_ptr<QPluginLoader> plugin;
    AudioOutput *output = nullptr;
    bool loaded = false;
    // Loads the plug-in's libraries beside the window, and what starts it.
    std::thread loading;
    std::unique_ptr<QObject> afterFirstPaint;
    struct Decoded {
        QDateTime modified;
        qint64 size = 0;
        std::optional<Sound> sound;
    };
    std::map<QString, Decoded> sounds;
};

// "desc|pattern|desc|pattern" as Qt's "desc (pattern);;desc (pattern)", with
// "*.*" as "*".
QString qtFilter(const QString &filter);
// The playing time of a PCM wave file from its header, in milliseconds; -1 when
// the file is no wave file.
qint64 waveDurationMs(const QString &path);
// The playing time of `sound` in milliseconds.
qint64 durationMs(const Sound &sound);

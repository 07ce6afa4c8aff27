#include "app/QtToolkit.h"
#include "app/WaveHeader.h"
#include <QApplication>
#include <QAudioDevice>
#include <QAudioSink>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QLibrary>
#include <QMediaDevices>
#include <QMessageBox>
#include <QPushButton>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <flite/flite.h>

using namespace Qt::Literals::StringLiterals;

namespace {
// Waits in a nested loop that takes no user input (it is handled afterwards)
// until `done` holds or `boundMs` has passed.
template <class Sender, class Signal, class Done>
void waitFor(Sender *sender, Signal signal, Done done, int boundMs)
{
    if (done())
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(sender, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    timer.start(boundMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// Waits until `effect`, just started, has played to its end, which it tells by
// leaving the playing state once the device has played the last of it. A new
// PulseAudio stream may start a second or two late, so the bound counts from
// when the device has taken the whole sound, and a sound it has taken is never
// stopped here. One the device has not taken by then counts as failed.
void waitForSoundEnd(QSoundEffect *effect, int boundMs)
{
    constexpr int startAllowanceMs = 2000;
    auto taken = [&] { return effect->loopsRemaining() == 0 || !effect->isPlaying(); };
    waitFor(effect, &QSoundEffect::loopsRemainingChanged, taken, startAllowanceMs + boundMs);
    if (!taken()) {
        effect->stop();
        return;
    }
    waitFor(effect, &QSoundEffect::playingChanged, [&] { return !effect->isPlaying(); }, boundMs);
}
} // namespace

QtToolkit::QtToolkit() : startFolder(QDir::current())
{
    speechThread.setMaxThreadCount(1);
}
QtToolkit::~QtToolkit()
{
    stopSpeaking();
}

int QtToolkit::messageBox(QWidget *owner, const QString &text, const QString &caption,
                          Buttons buttons)
{
    QMessageBox box(owner);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setWindowModality(Qt::WindowModal);
    if (buttons == Buttons::Ok) { // a notice: nothing to choose
        box.setEscapeButton(box.addButton(QMessageBox::Ok));
        box.exec();
        return IDOK;
    }
    const bool retry = buttons == Buttons::RetryCancel;
    auto *first = box.addButton(retry ? QMessageBox::Retry : QMessageBox::Yes);
    if (!retry)
        box.addButton(QMessageBox::No);
    auto *cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(first);
    box.setEscapeButton(cancel);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Retry: return IDRETRY;
    default: return IDCANCEL;
    }
}

QString qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        // "*.*" means every file here; to Qt it means names with a dot.
        for (QString &pattern : patterns)
            if (pattern == u"*.*")
                pattern = u"*"_s;
        entries << parts[i] + u" ("_s + patterns.join(u' ') + u')';
    }
    return entries.join(u";;"_s);
}

std::optional<QString> QtToolkit::fileDialog(QWidget *owner, DialogKind kind,
                                             const FileDialog &dialog)
{
    QFileDialog box(owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setAcceptMode(kind == DialogKind::Save ? QFileDialog::AcceptSave
                                               : QFileDialog::AcceptOpen);
    box.setFileMode(QFileDialog::AnyFile);
    // The list shows each description as it is, without Qt's pattern after it.
    box.setOption(QFileDialog::HideNameFilterDetails);
    box.setNameFilter(qtFilter(dialog.filter));
    box.setDefaultSuffix(kind == DialogKind::Save ? dialog.defaultExt : QString());
    if (kind == DialogKind::Save && !dialog.overwritePrompt)
        box.setOption(QFileDialog::DontConfirmOverwrite);
    if (!dialog.fileName.isEmpty()) {
        const QFileInfo preset(dialog.fileName);
        box.setDirectory(preset.absolutePath());
        box.selectFile(preset.fileName());
    }
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return std::nullopt;
    QFileInfo chosen(box.selectedFiles().first());
    // An open dialog adds the extension only to a name that is not there as it
    // stands, so that a file without one can be chosen too.
    if (kind == DialogKind::Open && !dialog.defaultExt.isEmpty() && !chosen.exists()
        && !chosen.fileName().contains(u'.'))
        chosen.setFile(chosen.filePath() + u'.' + dialog.defaultExt);
    const QString path = QDir::toNativeSeparators(chosen.absoluteFilePath());
    // The chosen file's folder becomes the current folder, as file dialogs here do.
    QDir::setCurrent(QFileInfo(path).absolutePath());
    return path;
}

QString QtToolkit::soundPath(const QString &bareName) const
{
    for (const QDir &folder : {QDir::current(), startFolder}) {
        const QFileInfo file(folder.filePath(bareName));
        if (file.isFile())
            return file.absoluteFilePath();
    }
    return {};
}

qint64 waveDurationMs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return waveDurationMs(file.read(4096), file.size());
}

QSoundEffect *QtToolkit::effectFor(const QString &path)
{
    auto &effect = effects[path];
    if (!effect) {
        effect = std::make_unique<QSoundEffect>();
        effect->setSource(QUrl::fromLocalFile(path));
    }
    waitFor(effect.get(), &QSoundEffect::statusChanged, [&] {
        return effect->status() == QSoundEffect::Ready || effect->status() == QSoundEffect::Error;
    }, 2000);
    return effect->status() == QSoundEffect::Ready ? effect.get() : nullptr;
}

void QtToolkit::playSound(const QString &bareName)
{
    const QString path = soundPath(bareName);
    const qint64 duration = path.isEmpty() ? -1 : waveDurationMs(path);
    if (duration < 0) {
        QApplication::beep();
        return;
    }
    // Without an audio device there is nothing to hear and nothing to wait for.
    if (!QMediaDevices::audioOutputs().isEmpty())
        playWave(path, duration);
}

void QtToolkit::playWave(const QString &path, qint64 durationMs)
{
    QSoundEffect *effect = effectFor(path);
    if (!effect) {
        QApplication::beep();
        return;
    }
    effect->play();
    // The handler goes on when the sound has ended; the bound keeps a broken
    // audio device from holding the program.
    waitForSoundEnd(effect, soundWaitMs(durationMs));
}

namespace {
// Flite, loaded when reading aloud is first offered, so that start-up does not
// pay for it: its US voice "slt" and the calls made to it. No voice when the
// system lacks it.
struct Flite {
    cst_voice *voice = nullptr;
    cst_wave *(*textToWave)(const char *text, cst_voice *voice) = nullptr;
    void (*deleteWave)(cst_wave *wave) = nullptr;
};

const Flite &flite()
{
    static const Flite loaded = [] {
        Flite f;
        QLibrary core(u"flite"_s, 1), slt(u"flite_cmu_us_slt"_s, 1);
        const auto init = reinterpret_cast<int (*)()>(core.resolve("flite_init"));
        const auto registerVoice = reinterpret_cast<cst_voice *(*)(const char *)>(slt.resolve("register_cmu_us_slt"));
        f.textToWave = reinterpret_cast<cst_wave *(*)(const char *, cst_voice *)>(core.resolve("flite_text_to_wave"));
        f.deleteWave = reinterpret_cast<void (*)(cst_wave *)>(core.resolve("delete_wave"));
        if (init && registerVoice && f.textToWave && f.deleteWave) {
            init();
            f.voice = registerVoice(nullptr);
        }
        return f;
    }();
    return loaded;
}

// `text` read by the English voice: 16-bit samples, with their format.
struct Speech {
    QByteArray samples;
    QAudioFormat format;
};

// Runs on one thread at a time, never beside another reading.
Speech synthesise(const QString &text)
{
    cst_wave *wave = flite().textToWave(text.toUtf8().constData(), flite().voice);
    if (!wave)
        return {};
    Speech speech;
    speech.samples = QByteArray(reinterpret_cast<const char *>(wave->samples),
                                qsizetype(wave->num_samples) * wave->num_channels * 2);
    speech.format.setSampleRate(wave->sample_rate);
    speech.format.setChannelCount(wave->num_channels);
    speech.format.setSampleFormat(QAudioFormat::Int16);
    flite().deleteWave(wave);
    return speech;
}
} // namespace

bool QtToolkit::canSpeak()
{
    return !QMediaDevices::audioOutputs().isEmpty() && flite().voice;
}

void QtToolkit::speak(const QString &text)
{
    stopSpeaking();
    if (text.isEmpty())
        return;
    // The sound is made beside the window, which goes on meanwhile; a later
    // request makes this one stale.
    const int request = speechRequest;
    speechThread.start([this, request, text] {
        const Speech speech = synthesise(text);
        QMetaObject::invokeMethod(&speechContext, [this, request, speech] {
            if (request != speechRequest || speech.samples.isEmpty())
                return;
            speechSound.setData(speech.samples);
            speechSound.open(QIODevice::ReadOnly);
            speechSink = std::make_unique<QAudioSink>(speech.format);
            speechSink->start(&speechSound);
        }, Qt::QueuedConnection);
    });
}

void QtToolkit::stopSpeaking()
{
    ++speechRequest;
    speechSink.reset();
    speechSound.close();
}

void QtToolkit::openAddress(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

void QtToolkit::showError(const QString &text, const QString &detail)
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(detail);
    box.exec();
}

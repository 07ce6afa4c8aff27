#include "app/QtToolkit.h"
#include "app/Plugins.h"
#include "app/WaveHeader.h"
#include "quiz/SpeechText.h"
#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
// Runs `then` beside the window once any window has been painted.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(std::function<void()> action) : then(std::move(action))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && then) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, this, std::exchange(then, nullptr));
        }
        return false;
    }

private:
    std::function<void()> then;
};
} // namespace

QtToolkit::QtToolkit(const QString &audioPlugin) : startFolder(QDir::current()), pluginFile(audioPlugin)
{
    // The plug-in's libraries are loaded on a thread of their own, then the
    // output is made here, so that its stream is ready before the first answer.
    afterFirstPaint = std::make_unique<FirstPaint>([this] {
        if (loaded)
            return;
        makeLoader();
        loading = std::thread([this] {
            plugin->load();
            QMetaObject::invokeMethod(afterFirstPaint.get(), [this] { audio(); });
        });
    });
}

QtToolkit::QtToolkit(AudioOutput &out) : startFolder(QDir::current()), output(&out), loaded(true)
{
}

QtToolkit::~QtToolkit()
{
    if (loading.joinable())
        loading.join();
    afterFirstPaint.reset();
    stopSpeaking();
    // The output goes before the program, its reading stopped; its library stays.
    if (output && plugin)
        delete plugin->instance();
}

QString QtToolkit::audioPluginPath()
{
    return pluginPath(u"libpirumo_audio.so"_s);
}

void QtToolkit::makeLoader()
{
    plugin = std::make_unique<QPluginLoader>(pluginFile.isEmpty() ? audioPluginPath() : pluginFile);
}

AudioOutput *QtToolkit::audio()
{
    if (!loaded) {
        loaded = true;
        if (loading.joinable())
            loading.join();
        if (!plugin)
            makeLoader();
        output = qobject_cast<AudioOutput *>(plugin->instance());
    }
    return output;
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

qint64 durationMs(const Sound &sound)
{
    return sound.samples.size() / 2 / std::max(sound.channels, 1) * 1000 / std::max(sound.sampleRate, 1);
}

const std::optional<Sound> &QtToolkit::decoded(const QString &path)
{
    const QFileInfo file(path);
    Decoded &d = sounds[path];
    if (d.modified != file.lastModified() || d.size != file.size() || !file.isFile()) {
        d = {file.lastModified(), file.size(), file.isFile() ? decodeWave(path) : std::nullopt};
    }
    return d.sound;
}

void QtToolkit::playSound(const QString &bareName)
{
    // What the window has just shown (the judgement) is on the screen before
    // the sound starts.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    const std::optional<Sound> &sound = decoded(soundPath(bareName));
    AudioOutput *out = sound ? audio() : nullptr;
    if (!out) {
        QApplication::beep();
        return;
    }
    // Without an audio device there is nothing to hear and nothing to wait for.
    if (!out->open())
        return;
    // The handler goes on when the sound has ended; the bound keeps a device
    // that stops taking samples from holding the window.
    QEventLoop loop;
    bool ended = false;
    out->play(*sound, [&ended, loop = QPointer(&loop)] {
        if (loop) {
            ended = true;
            loop->quit();
        }
    });
    QTimer::singleShot(soundWaitMs(durationMs(*sound)), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!ended)
        out->stop();
}

bool QtToolkit::canSpeak()
{
    AudioOutput *out = audio();
    return out && out->canSpeak();
}

void QtToolkit::speak(const QString &text)
{
    if (AudioOutput *out = audio())
        out->speak(speechSentences(text));
}

void QtToolkit::stopSpeaking()
{
    // Nothing plays before the output is there.
    if (output)
        output->stop();
}

void QtToolkit::withProgress(QWidget *owner, const QString &text,
                             const std::function<void(const Progress &)> &work)
{
    constexpr int steps = 1000;
    QProgressDialog dialog(text, u"中止"_s, 0, steps, owner);
    dialog.setWindowTitle(QApplication::applicationName());
    // Modal to the whole program: while the dialog keeps the program
    // answering, no other command may start in either window.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(500);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setValue(0);
    QElapsedTimer clock;
    clock.start();
    work([&](qint64 done, qint64 total) {
        dialog.setValue(total > 0 ? int(std::clamp<qint64>(done * steps / total, 0, steps)) : 0);
        // Also while the work only waits (a total of 0, the same value again),
        // which the dialog's own timing does not count: 中止 must be reachable.
        if (!dialog.isVisible() && clock.elapsed() >= dialog.minimumDuration())
            dialog.show();
        if (dialog.isVisible())
            QCoreApplication::processEvents();
        return !dialog.wasCanceled();
    });
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

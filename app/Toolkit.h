#pragma once
// What the windows ask of the desktop. The windows never open a message box, a
// file dialog, a sound or an address themselves: they ask this interface, which
// the program implements with Qt (QtToolkit) and the tests with a script.
#include "data/FileAccess.h"
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// Answers of the confirmation boxes, with the values the windows compare against.
enum Answer { IDOK = 1, IDCANCEL = 2, IDRETRY = 4, IDYES = 6, IDNO = 7 };
enum class Buttons { YesNoCancel, RetryCancel, Ok };
enum class DialogKind { Open, Save };

// A file dialog's settings, kept by its window between runs.
struct FileDialog {
    QString filter;      // description|pattern pairs joined by "|"
    QString defaultExt;  // added to a name typed without an extension
    QString fileName;    // proposed name; becomes the chosen path on OK
    bool overwritePrompt = false;
};

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // A box owned by `owner`, without icon, first button default; returns an Answer.
    virtual int messageBox(QWidget *owner, const QString &text, const QString &caption,
                           Buttons buttons) = 0;
    // Runs an open or save dialog; the chosen full path, or nothing on cancel.
    virtual std::optional<QString> fileDialog(QWidget *owner, DialogKind kind,
                                              const FileDialog &dialog) = 0;
    // Plays a wave file given by bare name and returns when it has ended.
    virtual void playSound(const QString &bareName) = 0;
    // Opens a web or mail address with the desktop's default handler.
    virtual void openAddress(const QString &address) = 0;
    // The error display: shows `text` as it stands (see ErrorDisplay.h), and
    // `detail`, when there is one, as the box's second part below it.
    virtual void showError(const QString &text, const QString &detail) = 0;
    // The pseudo-random generator: seeded once, then 0..2147483647 per draw.
    virtual void seedRandom(quint32 seed) = 0;
    virtual int nextRandom() = 0;
    // Reads English text aloud and returns at once; a new text (or an empty
    // one) stops the one before.
    virtual void speak(const QString &text) = 0;
    virtual void stopSpeaking() = 0;
    // Whether there is an audio device to read with.
    virtual bool canSpeak() = 0;
    // The time, in UTC: the system clock, scripted in tests.
    virtual QDateTime now() = 0;
    // Runs `work` on a file, handing it the Progress of a dialog owned by
    // `owner` that says `text` and has 中止. The dialog shows only once the
    // work has taken half a second; after 中止 the Progress returns false.
    virtual void withProgress(QWidget *owner, const QString &text,
                              const std::function<void(const Progress &)> &work) = 0;

    // Runs `dialog`; on OK its file name becomes the chosen path, as a dialog
    // that keeps its last answer does.
    std::optional<QString> run(QWidget *owner, DialogKind kind, FileDialog &dialog)
    {
        auto path = fileDialog(owner, kind, dialog);
        if (path)
            dialog.fileName = *path;
        return path;
    }
};

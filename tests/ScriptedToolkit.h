#pragma once
// A toolkit for tests: answers come from queues the test fills, and every call
// is recorded, so that tests can drive the windows headless and check what
// they asked.
#include "app/Toolkit.h"
#include <QList>
#include <QStringList>
#include <deque>

class ScriptedToolkit : public Toolkit {
public:
    struct Box {
        QWidget *owner;
        QString text;
        QString caption;
        Buttons buttons;
    };
    struct Dialog {
        QWidget *owner;
        DialogKind kind;
        FileDialog settings;
    };

    // Gives the program's settings a folder of this test program's own,
    // emptied for every toolkit: a window starts as at its very first start.
    // The learner's history too has a folder of its own, kept between toolkits.
    ScriptedToolkit();

    // Queued answers; an empty queue (or an empty path) answers Cancel, no
    // file and 0.
    std::deque<int> answers;
    std::deque<QString> paths;
    std::deque<int> randoms;
    bool speechAvailable = true;
    // The report of progress (counted from 0 across all work) that answers
    // 中止; -1: none.
    int cancelAtReport = -1;
    // The time now() tells; tests set and advance it.
    QDateTime clock = QDateTime(QDate(2026, 1, 5), QTime(9, 0), Qt::UTC);

    // What was asked.
    QList<Box> boxes;
    QList<Dialog> dialogs;
    QStringList sounds;
    QStringList addresses;
    QStringList errors;
    QStringList errorDetails; // the second part of each error box
    QList<quint32> seeds;
    QStringList spoken;
    int speechStops = 0;
    QStringList progressTexts; // each work run with progress
    int progressReports = 0;

    int messageBox(QWidget *owner, const QString &text, const QString &caption,
                   Buttons buttons) override;
    std::optional<QString> fileDialog(QWidget *owner, DialogKind kind,
                                      const FileDialog &dialog) override;
    void playSound(const QString &bareName) override { sounds << bareName; }
    void openAddress(const QString &address) override { addresses << address; }
    void showError(const QString &text, const QString &detail) override
    {
        errors << text;
        errorDetails << detail;
    }
    void seedRandom(quint32 seed) override { seeds << seed; }
    int nextRandom() override;
    void speak(const QString &text) override { spoken << text; }
    void stopSpeaking() override { ++speechStops; }
    bool canSpeak() override { return speechAvailable; }
    QDateTime now() override { return clock; }
    void withProgress(QWidget *, const QString &text,
                      const std::function<void(const Progress &)> &work) override
    {
        progressTexts << text;
        work([this](qint64, qint64) { return progressReports++ != cancelAtReport; });
    }
};

// The last entry, or an empty one, so that a missing call fails one check
// instead of ending the test program.
template <class T> T lastOf(const QList<T> &list) { return list.value(list.size() - 1); }

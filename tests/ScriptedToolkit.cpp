#include "ScriptedToolkit.h"
#include <QSettings>
#include <QTemporaryDir>

namespace {
template <class T>
T take(std::deque<T> &queue, T fallback)
{
    if (queue.empty())
        return fallback;
    T value = queue.front();
    queue.pop_front();
    return value;
}
} // namespace

ScriptedToolkit::ScriptedToolkit()
{
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QSettings settings(QSettings::UserScope, QStringLiteral("pirumo"), QStringLiteral("pirumo"));
    if (!settings.fileName().startsWith(config.path()))
        qFatal("the settings are not in the test's folder: %s", qPrintable(settings.fileName()));
    settings.clear();
}

int ScriptedToolkit::messageBox(QWidget *owner, const QString &text, const QString &caption,
                                Buttons buttons)
{
    boxes.append({owner, text, caption, buttons});
    if (buttons == Buttons::Ok)
        return IDOK; // a notice takes no queued answer
    return take(answers, int(IDCANCEL));
}

std::optional<QString> ScriptedToolkit::fileDialog(QWidget *owner, DialogKind kind,
                                                   const FileDialog &dialog)
{
    dialogs.append({owner, kind, dialog});
    const QString path = take(paths, QString());
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

int ScriptedToolkit::nextRandom()
{
    return take(randoms, 0);
}

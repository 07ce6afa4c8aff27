#include "ScriptedToolkit.h"

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

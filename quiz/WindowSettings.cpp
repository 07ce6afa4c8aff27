#include "quiz/WindowSettings.h"
#include <QSettings>

using namespace Qt::Literals::StringLiterals;

namespace {
QSettings settings()
{
    return QSettings(QSettings::UserScope, u"pirumo"_s, u"pirumo"_s);
}

QStringList storeRecent(QStringList files)
{
    files = files.mid(0, WindowSettings::recentCount);
    settings().setValue(u"recentFiles"_s, files);
    return files;
}
} // namespace

std::optional<WindowPlace> WindowSettings::loadPlace()
{
    const QSettings s = settings();
    if (!s.contains(u"window/geometry"_s))
        return std::nullopt;
    return WindowPlace{s.value(u"window/geometry"_s).toByteArray(), s.value(u"window/zoom"_s, 100).toInt(),
                       s.value(u"window/fit"_s, true).toBool()};
}

void WindowSettings::savePlace(const WindowPlace &place)
{
    QSettings s = settings();
    s.setValue(u"window/geometry"_s, place.geometry);
    s.setValue(u"window/zoom"_s, place.zoom);
    s.setValue(u"window/fit"_s, place.fit);
}

QStringList WindowSettings::recentFiles()
{
    return settings().value(u"recentFiles"_s).toStringList().mid(0, recentCount);
}

QStringList WindowSettings::addRecentFile(const QString &path)
{
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    return storeRecent(files);
}

QStringList WindowSettings::removeRecentFile(const QString &path)
{
    QStringList files = recentFiles();
    files.removeAll(path);
    return storeRecent(files);
}

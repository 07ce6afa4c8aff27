#pragma once
// What the quiz window remembers between runs, in the learner's settings (Qt's
// settings in the user's configuration folder): where the window was, its
// zoom, and the files opened last.
#include <QByteArray>
#include <QStringList>
#include <optional>

struct WindowPlace {
    QByteArray geometry; // as QWidget::saveGeometry gives it: size, position, maximised
    int zoom = 100;
    bool fit = true; // the zoom follows the window's size
};

namespace WindowSettings {
// The files remembered, newest first.
inline constexpr int recentCount = 5;

// Nothing before the window was first closed.
std::optional<WindowPlace> loadPlace();
void savePlace(const WindowPlace &place);

QStringList recentFiles();
// Puts `path` first and returns the list.
QStringList addRecentFile(const QString &path);
// Takes `path` off and returns the list.
QStringList removeRecentFile(const QString &path);
} // namespace WindowSettings

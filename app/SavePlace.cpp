#include "app/SavePlace.h"
#include <QDir>
#include <QFileInfo>

namespace {
// The folder the program was started in: the learner's own folder when the
// launcher started it, which a file dialog may since have left.
QString startFolder = QDir::currentPath();

bool canWriteIn(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}
} // namespace

QString writableFolder()
{
    for (const QString &folder : {QDir::currentPath(), startFolder, QDir::homePath()})
        if (canWriteIn(folder))
            return QDir::toNativeSeparators(folder);
    return QDir::toNativeSeparators(QDir::currentPath());
}

QString savePlace(const QString &fileName)
{
    const QFileInfo file(fileName);
    if (fileName.isEmpty() || canWriteIn(file.absolutePath()))
        return fileName;
    return QDir::toNativeSeparators(QDir(writableFolder()).filePath(file.fileName()));
}

void rememberStartFolder()
{
    startFolder = QDir::currentPath();
}

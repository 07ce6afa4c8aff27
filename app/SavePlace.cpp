#include "app/SavePlace.h"
#include <QDir>
#include <QFileInfo>

namespace {
bool canWriteIn(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}
} // namespace

QString writableFolder()
{
    const QString current = QDir::currentPath();
    return QDir::toNativeSeparators(canWriteIn(current) || !canWriteIn(QDir::homePath())
                                        ? current
                                        : QDir::homePath());
}

QString savePlace(const QString &fileName)
{
    const QFileInfo file(fileName);
    if (fileName.isEmpty() || canWriteIn(file.absolutePath()))
        return fileName;
    return QDir::toNativeSeparators(QDir(writableFolder()).filePath(file.fileName()));
}

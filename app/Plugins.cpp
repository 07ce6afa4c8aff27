#include "app/Plugins.h"
#include <QCoreApplication>
#include <QDir>

QString pluginPath(const QString &name)
{
    const QDir here(QCoreApplication::applicationDirPath());
    return here.exists(name) ? here.filePath(name)
                             : here.filePath(QStringLiteral(PIRUMO_PLUGINS_FROM_BIN) + u'/' + name);
}

#include "app/QtTranslation.h"
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtTranslation(const QString &folder)
{
    // Lives as long as the application, which keeps a pointer to it.
    static QTranslator translator;
    const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    if (!translator.load(QStringLiteral("qtbase_ja"), from))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

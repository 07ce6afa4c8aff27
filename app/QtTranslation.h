#pragma once
// Qt's own texts (message box buttons, file dialogs, context menus) in
// Japanese, whatever the user's locale: the whole interface is Japanese.
#include <QString>

// Loads Qt's Japanese translation from `folder` (Qt's translations folder when
// empty) and installs it; false when it is missing, and Qt's texts stay English.
bool installQtTranslation(const QString &folder = {});

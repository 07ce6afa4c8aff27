#pragma once
// Where a save can go: the save dialogs propose it, and the error display
// names it after a save that failed.
#include <QString>

// The current folder; when it cannot be written, the folder the program was
// started in, then the home folder.
QString writableFolder();

// The name a save dialog proposes for `fileName`: the same name in
// writableFolder() when the folder `fileName` is in cannot be written (it is
// missing, read-only or not the learner's); otherwise `fileName` itself.
QString savePlace(const QString &fileName);

// Takes the current folder as the one the program was started in; until
// then it is the folder the process began in.
void rememberStartFolder();

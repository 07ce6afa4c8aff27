#pragma once
#include <QString>
// Start-up, for the program and for anything that must start it the same way:
// the application's names and icon, the three windows in their fixed order,
// and the event loop until the quiz window closes. Needs a QApplication.
// With `learnerFolder` (the desktop entry's --learner-folder), the program
// first goes into the learner's own folder (see enterLearnerFolder).
int runProgram(bool learnerFolder = false);

class Toolkit;

// Makes "ピルモ英語" in the documents folder the current folder, making it
// and giving it the sample files it lacks; a folder of that name in the home
// folder stays the learner's if the documents folder has none. A sample is
// whole or absent, and a file the learner has is never replaced, so a
// deleted file comes back as the sample on the next start. On any failure
// the error display says why and the home folder becomes the current folder.
void enterLearnerFolder(Toolkit &toolkit, const QString &samples);

#pragma once
// Start-up, for the program and for anything that must start it the same way:
// the application's names and icon, the three windows in their fixed order,
// and the event loop until the quiz window closes. Needs a QApplication.
int runProgram();

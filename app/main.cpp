// The program: the application object, then start-up.
#include "app/StartUp.h"
#include <QApplication>
#include <cstring>

int main(int argc, char *argv[])
{
    // Qt is given the program name alone; the one argument that counts is the
    // desktop entry's, which starts the program in the learner's folder.
    const bool learnerFolder = argc == 2 && std::strcmp(argv[1], "--learner-folder") == 0;
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication app(qtArgc, argv);
    return runProgram(learnerFolder);
}

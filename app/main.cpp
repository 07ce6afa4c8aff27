// The program: the application object, then start-up.
#include "app/StartUp.h"
#include <QApplication>

int main(int argc, char *argv[])
{
    // Command-line arguments have no effect: Qt is given the program name alone.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication app(qtArgc, argv);
    return runProgram();
}

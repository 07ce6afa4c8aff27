// The program as it starts, with the probe that reports its first paint and
// the moment the editor and the about box are made. It links what the program
// links, no more. The one argument names the platform plug-in.
#include "FirstPaint.h"
#include "app/Globals.h"
#include "app/StartUp.h"
#include <QDir>

int main(int argc, char **argv)
{
    if (argc == 2)
        qputenv("QT_QPA_PLATFORM", argv[1]);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    FirstPaint probe([] { return Form2 && AboutBox; });
    app.installEventFilter(&probe);
    // Start-up reads help.txt from the folder the program works in.
    QDir::setCurrent(QStringLiteral(PIRUMO_SAMPLE_DIR));
    return runProgram();
}

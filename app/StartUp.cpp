#include "app/StartUp.h"
#include "about/TAboutBox.h"
#include "app/ErrorDisplay.h"
#include "app/Exceptions.h"
#include "app/Globals.h"
#include "app/QtToolkit.h"
#include "app/QtTranslation.h"
#include "editor/TForm2.h"
#include "quiz/TForm1.h"
#include <QApplication>

int runProgram()
{
    installQtTranslation();
    QtToolkit toolkit;
    try {
        QApplication::setApplicationName(QStringLiteral("Pirumo20"));
        QApplication::setApplicationVersion(QStringLiteral(PIRUMO_VERSION));
        QApplication::setDesktopFileName(QStringLiteral("jp.example.pirumo"));
        QApplication::setWindowIcon(programIcon());
        TForm1 form1(toolkit);
        Form1 = &form1;
        TForm2 form2(toolkit);
        Form2 = &form2;
        TAboutBox aboutBox(toolkit);
        AboutBox = &aboutBox;
        form1.show();
        QApplication::exec();
    } catch (const Exception &e) {
        toolkit.showError(errorDisplayText(e.message()));
    }
    return 0;
}

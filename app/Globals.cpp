#include "app/Globals.h"

QWidget *Form1 = nullptr;
QWidget *Form2 = nullptr;
QWidget *AboutBox = nullptr;
QWidget *Records = nullptr;

#include <QWidget>

void showWindow(QWidget *window)
{
    if (!window)
        return;
    // A minimised window comes back too, or nothing of the program might be seen.
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

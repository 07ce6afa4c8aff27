#include "app/Globals.h"

QWidget *Form1 = nullptr;
QWidget *Form2 = nullptr;
QWidget *AboutBox = nullptr;

#include <QWidget>

void showWindow(QWidget *window)
{
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

#pragma once
// The program-wide window references, set by start-up. A window that shows
// another one goes through these, so no window includes another's header.
class QWidget;

extern QWidget *Form1;
extern QWidget *Form2;
extern QWidget *AboutBox;
extern QWidget *Records;

// Makes `window` visible and brings it to the front without waiting for it.
void showWindow(QWidget *window);

#pragma once
// The about box: the program's name, version and publisher, and two addresses
// that open with the desktop's default handler. Modeless; closing only hides it.
#include "app/Toolkit.h"
#include <QDialog>
#include <QIcon>

class QFrame;
class QLabel;
class QPushButton;
class TURLLabel;

// The program's icon in every size it ships; the window icon of every window.
QIcon programIcon();

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(Toolkit &toolkit, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void OKButtonClick();

    QFrame *Panel1;
    QLabel *ProgramIcon, *ProductName, *Version, *Copyright;
    QPushButton *OKButton;
    QLabel *Label1;
    TURLLabel *URLLabel1, *URLLabel2;
    QLabel *Label2;
};

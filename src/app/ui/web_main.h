#pragma once

#include <QMainWindow>

class QApplication;
class QLabel;

namespace korvatel
{

// The main window. For now it carries the caption and the status line that tells an offline
// run that orders cannot be placed.
class TWebMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TWebMain(bool online, QWidget *parent = nullptr);

    bool Online() const { return FOnline; }
    QLabel *lbOffline() const { return FOfflineLabel; }

private:
    bool FOnline;
    QLabel *FOfflineLabel = nullptr;
};

// Starts the client on an existing application object: maps the Windows font names, opens the
// main window and runs the message loop. Two options serve tests and screenshots:
// "--screenshot=FILE" saves the window as a PNG once it is shown and ends the program, and
// "--quit-after=MS" ends it after that many milliseconds.
int RunClient(QApplication &app);

} // namespace korvatel

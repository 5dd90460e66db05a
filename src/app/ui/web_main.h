#pragma once

#include <QMainWindow>

class QApplication;
class QLabel;
class QSplitter;

namespace korvatel
{

class TClientSession;

// The main window. Its creation reads the settings files through the session and its close
// saves them; for now it carries the caption, the source panel whose width State.ini keeps,
// and the red notice that tells an offline run that orders cannot be placed.
class TWebMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TWebMain(TClientSession &session, QWidget *parent = nullptr);

    bool Online() const;
    QLabel *lbOffline() const { return FOfflineLabel; }
    QWidget *pnFolder() const { return FFolderPanel; }
    TClientSession &Session() { return FSession; }

    // The form's own sizes, which State.ini overrides.
    static constexpr int kFormFolderWidth = 240;
    static constexpr int kFormPanelRBHeight = 200;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // What the window does once, at its first idle moment.
    void FirstIdle();

    TClientSession &FSession;
    QLabel *FOfflineLabel = nullptr;
    QSplitter *FSplitter = nullptr;
    QWidget *FFolderPanel = nullptr;
    bool FIdleDone = false;
};

// Starts the client on an existing application object: the program entry, the start-up, the
// main window and the message loop. Three options serve tests and screenshots and are not
// handed to the entry: "--screenshot=FILE" saves the main window as a PNG once it is shown
// and closes it, "--quit-after=MS" closes it after that many milliseconds, and "--unattended"
// answers every start window and message with its first choice, writing its text to standard
// error. They are passed on to a copy that the program starts.
int RunClient(QApplication &app);

} // namespace korvatel

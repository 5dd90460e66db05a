#pragma once

#include "sending/order_upload.h"

#include <QDialog>
#include <QElapsedTimer>
#include <atomic>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;

namespace korvatel
{

// The transmission window: the mode as its title, the name of the file being sent, the state
// text, the progress over the files of the order and over the bytes of the current file, the
// buffer slider that sets the send's BufferNum while the transfer runs, and the cancel button,
// whose press the upload reads between files. When nothing has moved for kServerWaitSeconds it
// counts the seconds it waits for the server; a change from FTP to HTTP stays in view until the
// file after the one sent again starts.
class TSendForm : public QDialog, public TSendProgress
{
    Q_OBJECT

public:
    // The slider starts at bufferNum, the customer's setting.
    explicit TSendForm(QWidget *parent = nullptr, int bufferNum = kDefaultBufferNum);

    // TSendProgress
    void SetTitle(const QString &title) override;
    void SetState(const QString &text) override;
    void SetPosition(int done, int total) override;
    void SetFileProgress(qint64 done, qint64 total) override;
    bool CancelRequested() const override { return FCancel; }
    // The send takes the setting the slider shows; from then on the slider changes the send's.
    void UseBuffer(const TTransferBuffer &buffer) override;
    // The setting the slider shows.
    int BufferNum() const { return FBuffer.BufferNum(); }

    // "サーバーの応答を待っています (n 秒)"
    static QString ServerWaitText(int seconds);
    static constexpr int kServerWaitSeconds = 3;

    QLabel *StateLabel() const { return lbState; }
    QLabel *FileLabel() const { return lbFile; }
    // The seconds waited for the server; hidden while the transfer moves.
    QLabel *WaitLabel() const { return lbWait; }
    // The change of transfer way; hidden when there was none.
    QLabel *NoticeLabel() const { return lbNotice; }
    QProgressBar *FileBar() const { return pbFiles; }
    QProgressBar *ByteBar() const { return pbBytes; }
    QSlider *BufferSlider() const { return tbBuffer; }
    QPushButton *CancelButton() const { return btCancel; }

    // Shows the window, sends the order through it and closes it again. With a settings
    // folder, the buffer setting starts from Performance.ini there and a changed one is saved
    // back.
    static TSendResult Run(
        TOrderUpload &upload, TPackedOrder &order, QWidget *parent, const QString &sysDataDir = {});
    // Shows the window, runs work on a background job with the window as its progress (queued
    // to the window's thread, which stays responsive) and closes it again; gives work's result.
    // Questions of the work go through a prompter that is safe off the window's thread (a
    // TQtPrompter, a TPrompterBridge). A changed buffer setting is saved as by Run.
    static TSendResult RunWork(QWidget *parent, const QString &sysDataDir,
        const std::function<TSendResult(TSendProgress &)> &work);

protected:
    void closeEvent(QCloseEvent *event) override;
    // Esc: the window stays while files go out; it counts as the cancel button.
    void reject() override;

private:
    void btCancelClick();
    void tbBufferChange(int value);
    // Something moved: the wait starts again.
    void Moved();
    void tmWaitTimer();

    QLabel *lbNotice = nullptr;
    QLabel *lbFile = nullptr;
    QLabel *lbState = nullptr;
    QLabel *lbWait = nullptr;
    QLabel *lbBuffer = nullptr;
    QProgressBar *pbFiles = nullptr;
    QProgressBar *pbBytes = nullptr;
    QSlider *tbBuffer = nullptr;
    QPushButton *btCancel = nullptr;
    QTimer *tmWait = nullptr;
    QElapsedTimer FSinceMove;
    qint64 FBytesDone = -1, FBytesTotal = -1; // the last byte counts, to tell a move from a repeat
    int FFileNumber = 0; // the number of the file the window names
    // The file sent again after a change of transfer way: -1 without a change, 0 until it starts.
    int FNoticeFile = -1;
    std::atomic<bool> FCancel = false; // read by the work on the job
    TTransferBuffer FBuffer; // the window's own until a send hands in its buffer
};

} // namespace korvatel

#include "sending/ui/send_form.h"

#include "net/win_inet.h"
#include "platform/background_job.h"
#include "sending/send_states.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

// The slider's range: chunks of 2 KiB to 32 KiB.
constexpr int kMaxBufferNum = 15;

QString BufferText(int value)
{
    return QStringLiteral("Buffer %1KB").arg(ChunkSize(value) / 1024);
}

// The window as the work on the job sees it: each change is queued to the window's thread; the
// cancel flag is read across threads.
class TQueuedSendProgress : public TSendProgress
{
public:
    TQueuedSendProgress(TSendForm &form, const TJobControl &control, int bufferNum)
        : FForm(form)
        , FControl(control)
        , FBufferNum(bufferNum)
    {
    }

    void SetTitle(const QString &title) override
    {
        FControl.Post([form = &FForm, title] { form->SetTitle(title); });
    }
    void SetState(const QString &text) override
    {
        FControl.Post([form = &FForm, text] { form->SetState(text); });
    }
    void SetPosition(int done, int total) override
    {
        FControl.Post([form = &FForm, done, total] { form->SetPosition(done, total); });
    }
    void SetFileProgress(qint64 done, qint64 total) override
    {
        FControl.Post([form = &FForm, done, total] { form->SetFileProgress(done, total); });
    }
    bool CancelRequested() const override { return FForm.CancelRequested(); }
    // The send starts at the window's setting at once; the window takes the send's buffer on
    // its own thread, so that its slider changes it from then on.
    void UseBuffer(const TTransferBuffer &buffer) override
    {
        TTransferBuffer send = buffer;
        send.SetBufferNum(FBufferNum);
        FControl.Post([form = &FForm, send] { form->UseBuffer(send); });
    }

private:
    TSendForm &FForm;
    const TJobControl &FControl;
    int FBufferNum; // the window's setting when the send began
};

} // namespace

TSendForm::TSendForm(QWidget *parent, int bufferNum)
    : QDialog(parent)
    , FBuffer(bufferNum)
{
    setWindowTitle(QStringLiteral("ファイル送信"));
    setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(this);
    lbNotice = new QLabel(this);
    lbNotice->setStyleSheet(QStringLiteral("QLabel { color: #c00000; font-weight: bold; }"));
    lbNotice->hide();
    layout->addWidget(lbNotice);
    // File names and server answers pass through these; a long name must not widen the window.
    lbFile = new QLabel(this);
    lbFile->setTextFormat(Qt::PlainText);
    lbFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont bold = lbFile->font();
    bold.setBold(true);
    lbFile->setFont(bold);
    layout->addWidget(lbFile);
    lbState = new QLabel(this);
    lbState->setTextFormat(Qt::PlainText);
    lbState->setMinimumWidth(360);
    layout->addWidget(lbState);
    pbFiles = new QProgressBar(this);
    pbFiles->setRange(0, 1);
    pbFiles->setValue(0);
    layout->addWidget(pbFiles);
    pbBytes = new QProgressBar(this);
    pbBytes->setRange(0, 100);
    pbBytes->setValue(0);
    pbBytes->setTextVisible(false);
    layout->addWidget(pbBytes);
    lbWait = new QLabel(this);
    lbWait->hide();
    layout->addWidget(lbWait);
    auto *row = new QHBoxLayout;
    tbBuffer = new QSlider(Qt::Horizontal, this);
    tbBuffer->setRange(0, std::max(kMaxBufferNum, FBuffer.BufferNum()));
    tbBuffer->setValue(FBuffer.BufferNum());
    lbBuffer = new QLabel(BufferText(FBuffer.BufferNum()), this);
    row->addWidget(tbBuffer, 1);
    row->addWidget(lbBuffer);
    btCancel = new QPushButton(QStringLiteral("中止"), this);
    row->addWidget(btCancel);
    layout->addLayout(row);
    connect(btCancel, &QPushButton::clicked, this, &TSendForm::btCancelClick);
    connect(tbBuffer, &QSlider::valueChanged, this, &TSendForm::tbBufferChange);
    // A quarter-second tick, so the count of seconds changes close to when a second is over.
    tmWait = new QTimer(this);
    tmWait->setInterval(250);
    connect(tmWait, &QTimer::timeout, this, &TSendForm::tmWaitTimer);
    tmWait->start();
    FSinceMove.start();
}

QString TSendForm::ServerWaitText(int seconds)
{
    return QStringLiteral("サーバーの応答を待っています (%1 秒)").arg(seconds);
}

void TSendForm::SetTitle(const QString &title)
{
    setWindowTitle(title);
    Moved();
}

void TSendForm::SetState(const QString &text)
{
    lbState->setText(text);
    Moved();
    if (text == HttpFallbackState()) {
        lbNotice->setText(text);
        lbNotice->show();
        FNoticeFile = 0;
        return;
    }
    const std::optional<TStartedFile> started = StartedFileOf(text);
    if (!started)
        return;
    // "Starting" and "Send" of one picture are one start; the name comes with the second.
    if (!started->name.isEmpty() || started->number != FFileNumber)
        lbFile->setText(started->name);
    FFileNumber = started->number;
    if (FNoticeFile == 0) {
        FNoticeFile = started->number;
    } else if (FNoticeFile > 0 && started->number != FNoticeFile) {
        FNoticeFile = -1;
        lbNotice->hide();
        lbNotice->clear();
    }
}

void TSendForm::SetPosition(int done, int total)
{
    pbFiles->setRange(0, std::max(total, 1));
    pbFiles->setValue(std::clamp(done, 0, std::max(total, 1)));
    pbBytes->setValue(0);
    Moved();
}

void TSendForm::SetFileProgress(qint64 done, qint64 total)
{
    pbBytes->setValue(total > 0 ? int(std::clamp<qint64>(done * 100 / total, 0, 100)) : 0);
    // The transfer reports its counts again while they stand still; only a change is a move.
    if (done != FBytesDone || total != FBytesTotal) {
        FBytesDone = done;
        FBytesTotal = total;
        Moved();
    }
}

void TSendForm::Moved()
{
    FSinceMove.restart();
    if (!lbWait->isHidden()) {
        lbWait->hide();
        lbWait->clear();
    }
}

void TSendForm::tmWaitTimer()
{
    // A question of the send in front of the window is the customer's wait, not the server's.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != this) {
        Moved();
        return;
    }
    const int seconds = int(FSinceMove.elapsed() / 1000);
    if (seconds < kServerWaitSeconds)
        return;
    lbWait->setText(ServerWaitText(seconds));
    lbWait->show();
}

void TSendForm::btCancelClick()
{
    FCancel = true;
    btCancel->setEnabled(false);
    lbState->setText(lbState->text() + QStringLiteral(" (中断します)"));
}

void TSendForm::UseBuffer(const TTransferBuffer &buffer)
{
    const int shown = FBuffer.BufferNum();
    FBuffer = buffer;
    FBuffer.SetBufferNum(shown);
}

void TSendForm::tbBufferChange(int value)
{
    FBuffer.SetBufferNum(value);
    lbBuffer->setText(BufferText(value));
}

void TSendForm::closeEvent(QCloseEvent *event)
{
    // Closing the window while files go out counts as the cancel button.
    FCancel = true;
    event->ignore();
}

void TSendForm::reject()
{
    FCancel = true;
}

TSendResult TSendForm::Run(
    TOrderUpload &upload, TPackedOrder &order, QWidget *parent, const QString &sysDataDir)
{
    return RunWork(parent, sysDataDir, [&](TSendProgress &form) {
        TSendProgress *previous = upload.progress;
        upload.progress = &form;
        const TSendResult result = upload.Send(order);
        upload.progress = previous;
        return result;
    });
}

TSendResult TSendForm::RunWork(QWidget *parent, const QString &sysDataDir,
    const std::function<TSendResult(TSendProgress &)> &work)
{
    const int before = sysDataDir.isEmpty() ? kDefaultBufferNum : LoadPerformance(sysDataDir);
    TSendForm form(parent, before);
    form.show();
    TSendResult result = TSendResult::srFailed;
    {
        // The window keeps serving its events (the cancel button, the slider, repaints) while
        // the work runs on the job; the job ends before the window goes.
        QEventLoop loop;
        TBackgroundJob job;
        QObject::connect(&job, &TBackgroundJob::finished, &loop, &QEventLoop::quit);
        job.Start([&form, &work, &result, before](TJobControl &control) {
            TQueuedSendProgress progress(form, control, before);
            result = work(progress);
        });
        loop.exec();
    }
    form.hide();
    if (!sysDataDir.isEmpty() && form.BufferNum() != before)
        SavePerformance(sysDataDir, form.BufferNum());
    return result;
}

} // namespace korvatel

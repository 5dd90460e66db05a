#pragma once

#include "app/startup.h"

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace korvatel
{

// The start notice: version, build, shop ID, two lines of advice and the check box that stops
// it from showing again. OK accepts; any other close rejects.
class TStartNoticeForm : public QDialog
{
    Q_OBJECT

public:
    explicit TStartNoticeForm(const TStartNotice &notice, QWidget *parent = nullptr);

    QCheckBox *cbIgnore() const { return FIgnore; }
    QPushButton *btnOK() const { return FOk; }

private:
    QCheckBox *FIgnore = nullptr;
    QPushButton *FOk = nullptr;
};

// "基本情報のダウンロード失敗": why the shop data did not arrive, the error status, and the
// choice to open offline ("無視して開く / [ESC]", also Esc) or to end ("終了する(続けない)").
class TStartFailForm : public QDialog
{
    Q_OBJECT

public:
    explicit TStartFailForm(const QString &errorStatus, QWidget *parent = nullptr);

    QPushButton *btnIgnore() const { return FIgnore; }
    QPushButton *btnQuit() const { return FQuit; }
    QPlainTextEdit *memStatus() const { return FStatus; }
    // True when the user chose to open offline.
    bool ContinueOffline() const { return FContinue; }

protected:
    void reject() override;

private:
    QPushButton *FIgnore = nullptr;
    QPushButton *FQuit = nullptr;
    QPlainTextEdit *FStatus = nullptr;
    bool FContinue = false;
};

// Shows the two windows modally.
class TQtStartDialogs : public TStartDialogs
{
public:
    TStartNoticeAnswer ShowStartNotice(const TStartNotice &notice) override;
    bool ShowStartFailure(const QString &errorStatus) override;
};

// Answers without a window: OK on the notice, "open offline" on a failure. Each window's
// texts go to standard error. For screenshots and tests of the whole program.
class TUnattendedStartDialogs : public TStartDialogs
{
public:
    TStartNoticeAnswer ShowStartNotice(const TStartNotice &notice) override;
    bool ShowStartFailure(const QString &errorStatus) override;
};

} // namespace korvatel

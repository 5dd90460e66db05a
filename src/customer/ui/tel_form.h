#pragma once

#include "customer/entry_pads.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace korvatel
{

// The telephone pad of shop terminals: a borderless full-screen window with the keys 0-9 and
// "-", "C" (also the Delete key), back space and "完了". Every change of the number calls the
// idle callback with 3000 ms, showing the window with 5000 ms.
class TTelForm : public QDialog
{
    Q_OBJECT

public:
    explicit TTelForm(std::function<void(int msecs)> idle = {}, QWidget *parent = nullptr);

    // An example number, shown as "(" + example.
    void SetExample(const QString &example);
    QString Number() const { return FNumber.Text(); }

    QLabel *lbNumber() const { return FNumberLabel; }
    QLabel *lbExample() const { return FExample; }
    QPushButton *Key(const QString &key) const; // "0"-"9", "-", "C", "BS"
    QPushButton *btnDone() const { return FDone; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Press(const QString &key);

    TTelNumber FNumber;
    std::function<void(int)> FIdle;
    QLabel *FNumberLabel, *FExample;
    QPushButton *FDone;
    QList<QPushButton *> FKeys;
};

} // namespace korvatel

#pragma once

#include <QDialog>

class QCheckBox;

namespace korvatel
{

struct TOption2Settings;

// "操作方法の設定": the switches of Option2.ini as check boxes. OK writes them into the settings
// (saved at shutdown); Cancel leaves them.
class TUsageOptionsForm : public QDialog
{
    Q_OBJECT

public:
    explicit TUsageOptionsForm(TOption2Settings &settings, QWidget *parent = nullptr);

    QCheckBox *cbShutterOff() const { return FShutterOff; }
    QCheckBox *cbNoPointHint() const { return FNoPointHint; }
    QCheckBox *cbUnMouseFocus() const { return FUnMouseFocus; }
    QCheckBox *cbManualExpBmp() const { return FManualExpBmp; }
    QCheckBox *cbCampusAllLoad() const { return FCampusAllLoad; }
    QCheckBox *cbShootingDateList() const { return FShootingDateList; }
    QCheckBox *cbNoPrintCheck() const { return FNoPrintCheck; }

    void accept() override;

private:
    TOption2Settings &FSettings;
    QCheckBox *FShutterOff;
    QCheckBox *FNoPointHint;
    QCheckBox *FUnMouseFocus;
    QCheckBox *FManualExpBmp;
    QCheckBox *FCampusAllLoad;
    QCheckBox *FShootingDateList;
    QCheckBox *FNoPrintCheck;
};

} // namespace korvatel

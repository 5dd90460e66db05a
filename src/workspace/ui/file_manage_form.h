#pragma once

#include "platform/drive_table.h"
#include "workspace/option_settings.h"

#include <QDialog>
#include <QMap>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace korvatel
{

// "データ設定/ファイル管理": the picture kinds the browser and the date scan show, the size
// filter, the browser's download cache, the clean-up at close and the drive the workspace lies
// on. The window only collects the choices; the caller stores them and moves the workspace.
class TFileManageForm : public QDialog
{
    Q_OBJECT

public:
    TFileManageForm(const TOptionSettings &option, const TDriveTable &drives, QChar workspaceDrive,
        QWidget *parent = nullptr);

    // The settings with the window's choices.
    TOptionSettings Option() const;
    // The drive chosen for the workspace.
    QChar Drive() const;

    // The check box of a word of Option.ini ("BMP", "SIZE", "CloseDelDateList", ...).
    QCheckBox *Box(const QString &word) const { return FBoxes.value(word); }
    QSpinBox *MinSizeBox() const { return FMinSize; }
    QSpinBox *MaxSizeBox() const { return FMaxSize; }
    QComboBox *DriveBox() const { return FDrive; }

private:
    // A check box for a word of Option.ini, set as the settings have it.
    QCheckBox *AddBox(const char *word, const QString &caption);

    TOptionSettings FOption;
    QMap<QString, QCheckBox *> FBoxes;
    QSpinBox *FMinSize = nullptr;
    QSpinBox *FMaxSize = nullptr;
    QComboBox *FDrive = nullptr;
};

// The caption of a drive in the workspace list: "C:  ホーム (/home/user)".
QString DriveCaption(const TDrive &drive);

} // namespace korvatel

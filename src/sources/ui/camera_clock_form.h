#pragma once

#include "sources/camera_clock.h"

#include <QDialog>
#include <optional>

class QDateTimeEdit;
class QLabel;

namespace korvatel
{

// "カメラの時計を補正": shows the camera model and the shooting date its clock recorded for
// one picture, and takes the date it really was. OK gives the corrected date; the offset it
// makes then holds for every picture of that model. 補正を解除 gives the recorded date back,
// which removes the model's offset.
class TCameraClockForm : public QDialog
{
    Q_OBJECT

public:
    // shot is the picture's Exif; current is the offset the model has now.
    TCameraClockForm(const TCameraShot &shot, qint64 current, QWidget *parent = nullptr);

    QDateTimeEdit *dtCorrected() const { return FCorrected; }
    QDateTime Corrected() const;

    // Asks for the corrected date of a picture; nullopt when cancelled or when the picture has
    // no Exif shooting date (then prompter-free: the caller tells the customer).
    static std::optional<QDateTime> Ask(
        const TCameraShot &shot, qint64 current, QWidget *parent = nullptr);

private:
    QDateTimeEdit *FCorrected;
    QDateTime FRecorded;
};

// The message when a picture has no Exif shooting date to correct.
QString NoShootingDateText();

} // namespace korvatel

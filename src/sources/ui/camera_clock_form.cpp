#include "sources/ui/camera_clock_form.h"

#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

const QString kDateFormat = QStringLiteral("yyyy/MM/dd HH:mm:ss");

} // namespace

TCameraClockForm::TCameraClockForm(const TCameraShot &shot, qint64 current, QWidget *parent)
    : QDialog(parent)
    , FCorrected(new QDateTimeEdit(this))
    , FRecorded(shot.taken)
{
    setObjectName(QStringLiteral("CameraClockForm"));
    setWindowTitle(QStringLiteral("カメラの時計を補正"));
    auto *layout = new QVBoxLayout(this);
    auto *lead = new QLabel(QStringLiteral(
        "この写真を撮った本当の日時を入れて下さい。\n"
        "同じ機種のカメラの写真すべてに、同じだけの補正を日付リストと日付写し込みに使います。\n"
        "画像ファイル(Exif)は変更しません。"));
    lead->setWordWrap(true);
    layout->addWidget(lead);
    auto *form = new QFormLayout;
    const QString camera = (shot.make.trimmed() + u' ' + shot.model.trimmed()).trimmed();
    auto *model = new QLabel(camera.isEmpty() ? QStringLiteral("(機種名なし)") : camera);
    model->setObjectName(QStringLiteral("lbCamera"));
    form->addRow(QStringLiteral("カメラ:"), model);
    auto *recorded = new QLabel(shot.taken.toString(kDateFormat));
    recorded->setObjectName(QStringLiteral("lbRecorded"));
    form->addRow(QStringLiteral("カメラの記録:"), recorded);
    FCorrected->setObjectName(QStringLiteral("dtCorrected"));
    FCorrected->setDisplayFormat(kDateFormat);
    FCorrected->setDateTime(shot.taken.addSecs(current));
    FCorrected->setCalendarPopup(true);
    form->addRow(QStringLiteral("本当の日時:"), FCorrected);
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *reset
        = buttons->addButton(QStringLiteral("補正を解除"), QDialogButtonBox::ResetRole);
    reset->setObjectName(QStringLiteral("btnReset"));
    reset->setEnabled(current != 0);
    connect(reset, &QPushButton::clicked, this, [this] {
        FCorrected->setDateTime(FRecorded);
        accept();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QDateTime TCameraClockForm::Corrected() const
{
    // The corrected date stays in the recorded date's zone (local or UTC), so the offset is the
    // difference of the two readings alone.
    QDateTime corrected = FRecorded;
    corrected.setDate(FCorrected->date());
    corrected.setTime(FCorrected->time());
    return corrected;
}

std::optional<QDateTime> TCameraClockForm::Ask(
    const TCameraShot &shot, qint64 current, QWidget *parent)
{
    if (!shot.taken.isValid())
        return std::nullopt;
    TCameraClockForm form(shot, current, parent);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.Corrected();
}

QString NoShootingDateText()
{
    return QStringLiteral("この画像には撮影日時(Exif)がないため、カメラの時計を補正できません。");
}

} // namespace korvatel

#include "app/ui/usage_options.h"

#include "workspace/option_settings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

QCheckBox *Box(QWidget *parent, QVBoxLayout *layout, const char *name, const char *caption, bool on)
{
    auto *box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(on);
    layout->addWidget(box);
    return box;
}

} // namespace

TUsageOptionsForm::TUsageOptionsForm(TOption2Settings &settings, QWidget *parent)
    : QDialog(parent)
    , FSettings(settings)
{
    setWindowTitle(QStringLiteral("操作方法の設定"));
    auto *layout = new QVBoxLayout(this);
    FShutterOff = Box(
        this, layout, "cbShutterOff", "注文操作のシャッター音を鳴らさない", settings.ShutterOff);
    FNoPointHint
        = Box(this, layout, "cbNoPointHint", "ポイントのヒントを表示しない", settings.NoPointHint);
    FUnMouseFocus = Box(
        this, layout, "cbUnMouseFocus", "マウスを乗せただけでは選択しない", settings.UnMouseFocus);
    FManualExpBmp = Box(this, layout, "cbManualExpBmp",
        "画像編集に「擬似倍精度(中間Bit挿入)」を表示する", settings.ManualExpBmp);
    FCampusAllLoad = Box(
        this, layout, "cbCampusAllLoad", "キャンパス画像をすべて読み込む", settings.CampusAllLoad);
    // Files are dated once, by the scan: the choice shows in the date list after the next one.
    FShootingDateList = Box(this, layout, "cbShootingDateList",
        "日付リストを撮影日(Exif)で分ける（次回の「最新情報に更新(HD)」から）",
        settings.ShootingDateList);
    FNoPrintCheck = Box(this, layout, "cbNoPrintCheck",
        "「注文へ」の前に低画質のプリントを一覧しない", settings.NoPrintCheck);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void TUsageOptionsForm::accept()
{
    FSettings.ShutterOff = FShutterOff->isChecked();
    FSettings.NoPointHint = FNoPointHint->isChecked();
    FSettings.UnMouseFocus = FUnMouseFocus->isChecked();
    FSettings.ManualExpBmp = FManualExpBmp->isChecked();
    FSettings.CampusAllLoad = FCampusAllLoad->isChecked();
    FSettings.ShootingDateList = FShootingDateList->isChecked();
    FSettings.NoPrintCheck = FNoPrintCheck->isChecked();
    QDialog::accept();
}

} // namespace korvatel

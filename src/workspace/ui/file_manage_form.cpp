#include "workspace/ui/file_manage_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace korvatel
{

QString DriveCaption(const TDrive &drive)
{
    QString kind;
    switch (drive.type) {
    case dtRemovable:
        kind = QStringLiteral("リムーバブル");
        break;
    case dtRemote:
        kind = QStringLiteral("ネットワーク");
        break;
    case dtCdRom:
        kind = QStringLiteral("CD-ROM");
        break;
    case dtRamDisk:
        kind = QStringLiteral("RAMディスク");
        break;
    default:
        kind = drive.letter == QLatin1Char('C') ? QStringLiteral("ホーム")
                                                : QStringLiteral("ローカル");
        break;
    }
    return QStringLiteral("%1:  %2 (%3)").arg(drive.letter).arg(kind, drive.root);
}

TFileManageForm::TFileManageForm(
    const TOptionSettings &option, const TDriveTable &drives, QChar workspaceDrive, QWidget *parent)
    : QDialog(parent)
    , FOption(option)
{
    setObjectName(QStringLiteral("FileManageForm"));
    setWindowTitle(QStringLiteral("データ設定/ファイル管理"));
    auto *layout = new QVBoxLayout(this);

    auto *kinds = new QGroupBox(QStringLiteral("表示する画像の種類"), this);
    auto *kindGrid = new QGridLayout(kinds);
    int at = 0;
    // The words of Option.ini with the captions of those whose word is not what they show.
    const QMap<QString, QString> captions { { QStringLiteral("META"), QStringLiteral("EMF/WMF") },
        { QStringLiteral("WEBP"), QStringLiteral("WebP") },
        { QStringLiteral("HEIF"), QStringLiteral("HEIF/HEIC") } };
    // Seven to a row, the photo kinds first, so that the window still fits a netbook's screen.
    for (const char *word : { "JPG", "JPEG", "TIFF", "WEBP", "HEIF", "AVIF", "PNG", "BMP", "GIF",
             "ICON", "META", "BID", "AVI" }) {
        const QString name = QString::fromLatin1(word);
        kindGrid->addWidget(AddBox(word, captions.value(name, name)), at / 7, at % 7);
        ++at;
    }
    layout->addWidget(kinds);

    auto *filter = new QGroupBox(QStringLiteral("ファイルの絞り込み"), this);
    auto *filterGrid = new QGridLayout(filter);
    filterGrid->addWidget(
        AddBox("SIZE", QStringLiteral("ファイルサイズで絞り込む (バイト)")), 0, 0, 1, 4);
    const auto sizeBox = [filter](int value) {
        auto *box = new QSpinBox(filter);
        box->setRange(0, 2000000000);
        box->setGroupSeparatorShown(true);
        box->setValue(std::max(value, 0));
        return box;
    };
    FMinSize = sizeBox(option.MinSize);
    FMaxSize = sizeBox(option.MaxSize);
    FMaxSize->setSpecialValueText(QStringLiteral("上限なし"));
    filterGrid->addWidget(new QLabel(QStringLiteral("最小"), filter), 1, 0);
    filterGrid->addWidget(FMinSize, 1, 1);
    filterGrid->addWidget(new QLabel(QStringLiteral("最大"), filter), 1, 2);
    filterGrid->addWidget(FMaxSize, 1, 3);
    QCheckBox *size = Box(QStringLiteral("SIZE"));
    FMinSize->setEnabled(size->isChecked());
    FMaxSize->setEnabled(size->isChecked());
    connect(size, &QCheckBox::toggled, FMinSize, &QWidget::setEnabled);
    connect(size, &QCheckBox::toggled, FMaxSize, &QWidget::setEnabled);
    filterGrid->addWidget(
        AddBox("TEMP", QStringLiteral("インターネット一時ファイルの画像も表示する")), 2, 0, 1, 4);
    filterGrid->addWidget(
        AddBox("TEMPON", QStringLiteral("次回の起動でもそのまま表示する")), 3, 0, 1, 4);
    filterGrid->addWidget(
        AddBox("LAN", QStringLiteral("日付リストにﾈｯﾄﾜｰｸﾄﾞﾗｲﾌﾞを含める")), 4, 0, 1, 4);
    filterGrid->addWidget(
        AddBox("FULLMAKE", QStringLiteral("日付リストを完全に作る (低速)")), 5, 0, 1, 4);
    layout->addWidget(filter);

    auto *close = new QGroupBox(QStringLiteral("終了時の後片付け"), this);
    auto *closeColumn = new QVBoxLayout(close);
    closeColumn->addWidget(
        AddBox("CloseDelThumb", QStringLiteral("サムネイルのキャッシュを削除する")));
    closeColumn->addWidget(AddBox("CloseDelDateList", QStringLiteral("日付リストを削除する")));
    closeColumn->addWidget(
        AddBox("CloseDelTemplate", QStringLiteral("お気に入りが空ならテンプレートを削除する")));
    layout->addWidget(close);

    auto *work = new QGroupBox(QStringLiteral("作業用フォルダ<Korvatel>のドライブ"), this);
    auto *workColumn = new QVBoxLayout(work);
    FDrive = new QComboBox(work);
    FDrive->setObjectName(QStringLiteral("cbxDrive"));
    for (const TDrive &drive : drives.Drives()) {
        // The workspace is written to: only drives that keep what is written to them.
        if (drive.type == dtCdRom || drive.type == dtRamDisk)
            continue;
        FDrive->addItem(DriveCaption(drive), QString(drive.letter));
        if (drive.letter == workspaceDrive.toUpper())
            FDrive->setCurrentIndex(FDrive->count() - 1);
    }
    workColumn->addWidget(FDrive);
    workColumn->addWidget(new QLabel(
        QStringLiteral("別のドライブを選ぶと、OKで作業用フォルダを移動して終了します。"), work));
    layout->addWidget(work);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QCheckBox *TFileManageForm::AddBox(const char *word, const QString &caption)
{
    auto *box = new QCheckBox(caption, this);
    box->setObjectName(QStringLiteral("cb") + QString::fromLatin1(word));
    // "CloseDelThumb" is the word the file keeps for the opposite of CloseNotDelThumb.
    const QString name = QString::fromLatin1(word);
    const bool *on = FOption.Switch(name);
    box->setChecked(on ? *on : !FOption.CloseNotDelThumb);
    FBoxes.insert(QString::fromLatin1(word), box);
    return box;
}

TOptionSettings TFileManageForm::Option() const
{
    TOptionSettings option = FOption;
    for (auto it = FBoxes.cbegin(); it != FBoxes.cend(); ++it) {
        if (bool *on = option.Switch(it.key()))
            *on = it.value()->isChecked();
    }
    option.CloseNotDelThumb = !Box(QStringLiteral("CloseDelThumb"))->isChecked();
    option.MinSize = FMinSize->value();
    option.MaxSize = FMaxSize->value();
    return option;
}

QChar TFileManageForm::Drive() const
{
    const QString letter = FDrive->currentData().toString();
    return letter.isEmpty() ? QChar() : letter.at(0);
}

} // namespace korvatel

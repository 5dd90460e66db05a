#include "sources/ui/exif_form.h"

#include "imaging/exif.h"
#include "platform/ui/window_fit.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvatel
{

TExifForm::TExifForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmExif"));
    setWindowTitle(QStringLiteral("Exif"));
    FitToScreen(*this, { 420, 480 });
    auto *layout = new QVBoxLayout(this);
    FList = new QTreeWidget(this);
    FList->setObjectName(QStringLiteral("lvExif"));
    FList->setColumnCount(2);
    FList->setHeaderLabels({ QStringLiteral("項目"), QStringLiteral("値") });
    FList->setRootIsDecorated(false);
    FList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    layout->addWidget(FList);
}

bool TExifForm::ShowFile(const QString &fileName)
{
    FList->clear();
    TExifInfo exif;
    exif.SetImageFileName(fileName);
    const bool ok = exif.ErrorCode() == 0;
    const auto add = [this](const QString &name, const QString &value) {
        if (!value.isEmpty())
            FList->addTopLevelItem(new QTreeWidgetItem(QStringList { name, value }));
    };
    add(QStringLiteral("ファイル"), QFileInfo(fileName).fileName());
    if (!ok) {
        add(QStringLiteral("Exif"), ExifErrorMessage(exif.ErrorCode()));
        return false;
    }
    add(QStringLiteral("撮影日時"), exif.DateTimeOriginalText());
    add(QStringLiteral("幅"), QString::number(exif.Width()));
    add(QStringLiteral("高さ"), QString::number(exif.Height()));
    add(QStringLiteral("メーカー"), exif.Make().trimmed());
    add(QStringLiteral("機種"), exif.Model().trimmed());
    // The shooting values of the Exif IFD, as their tags read.
    const struct {
        uint16_t tag;
        const char *name;
    } tags[] = { { 33434, "露出時間" }, { 33437, "F値" }, { 34855, "ISO感度" },
        { 37386, "焦点距離" }, { 37385, "フラッシュ" }, { 274, "向き" }, { 305, "ソフトウェア" } };
    for (const auto &tag : tags)
        add(QString::fromUtf8(tag.name), exif.TagText(tag.tag).trimmed());
    add(QStringLiteral("サムネイル"),
        exif.ThumbnailPlace() ? QStringLiteral("あり") : QStringLiteral("なし"));
    return true;
}

} // namespace korvatel

#include "cards/ui/open_card_dialog.h"

#include "imaging/bitmap.h"
#include "imaging/picture.h"
#include "platform/prompter.h"
#include "platform/ui/window_fit.h"
#include "text/sjis_file.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvatel
{

namespace
{

constexpr int kPreviewSide = 200;
// The largest plate the dialog reads for a preview.
constexpr qint64 kPreviewFileCap = 64 * 1024 * 1024;

bool IsPlateFile(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".ksp"), Qt::CaseInsensitive);
}

} // namespace

TCardFilePreview CardFilePreview(const QString &fileName)
{
    TCardFilePreview preview;
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable())
        return preview;
    try {
        if (IsPlateFile(fileName)) {
            const std::optional<QByteArray> bytes = ReadWholeFile(fileName, kPreviewFileCap);
            if (!bytes)
                return preview;
            const TPlateRead read = ReadPlate(*bytes, true);
            preview.error = read.error;
            if (read.error == plOk)
                preview.image = DecodePlateBlock(read.plate.preview).ToImage();
            return preview;
        }
        TBitmap bitmap;
        if (LoadBitmapFile(bitmap, fileName, true) && !bitmap.Empty())
            preview.image = bitmap.ToImage();
    } catch (const std::exception &) {
        preview.image = {};
    }
    return preview;
}

QStringList TOpenCardDialog::Filters()
{
    return { QStringLiteral("Korvatel Plate(*.ksp)"),
        QStringLiteral("すべての画像 (*.jpg *.jpeg *.bmp *.gif *.png)"),
        QStringLiteral("JPEG (*.jpg *.jpeg)"), QStringLiteral("Bitmaps (*.bmp)"),
        QStringLiteral("GIF (*.gif)"), QStringLiteral("PNG (*.png)") };
}

TOpenCardDialog::TOpenCardDialog(
    const QString &folder, std::function<TPrompter &()> prompter, QWidget *parent)
    : QDialog(parent)
    , FPrompter(std::move(prompter))
{
    setObjectName(QStringLiteral("OpenCardDialog"));
    setWindowTitle(Caption());
    auto *row = new QHBoxLayout(this);
    FFiles = new QFileDialog(this, Caption(), folder);
    FFiles->setWindowFlags(Qt::Widget);
    FFiles->setOption(QFileDialog::DontUseNativeDialog);
    FFiles->setFileMode(QFileDialog::ExistingFile);
    FFiles->setNameFilters(Filters());
    FFiles->setDefaultSuffix(QStringLiteral("ksp"));
    FFiles->setViewMode(QFileDialog::List); // names beside the preview, as the list shows them
    row->addWidget(FFiles, 1);

    auto *side = new QVBoxLayout;
    FPreview = new QLabel(this);
    FPreview->setObjectName(QStringLiteral("imgPreview"));
    FPreview->setFixedSize(kPreviewSide, kPreviewSide);
    FPreview->setAlignment(Qt::AlignCenter);
    FPreview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    side->addWidget(FPreview);
    FSize = new QLabel(this);
    FSize->setObjectName(QStringLiteral("lbSize"));
    FSize->setAlignment(Qt::AlignCenter);
    side->addWidget(FSize);
    FPreviewButton = new QPushButton(QStringLiteral("プレビュー"), this);
    FPreviewButton->setObjectName(QStringLiteral("btPreview"));
    FPreviewButton->setEnabled(false);
    side->addWidget(FPreviewButton);
    side->addStretch(1);
    row->addLayout(side);

    connect(FFiles, &QFileDialog::currentChanged, this, &TOpenCardDialog::ShowPreview);
    connect(FFiles, &QFileDialog::fileSelected, this, [this](const QString &file) {
        FFileName = file;
        accept();
    });
    connect(FFiles, &QFileDialog::rejected, this, &QDialog::reject);
    connect(FPreviewButton, &QPushButton::clicked, this, [this] {
        // The preview at its own size, in a window of its own; smaller where the screen is.
        QDialog view(this);
        view.setWindowTitle(QFileInfo(FFileName).fileName());
        auto *layout = new QVBoxLayout(&view);
        auto *picture = new QLabel(&view);
        const QSize room = ScreenRoom(view) - QSize(24, 24);
        picture->setPixmap(QPixmap::fromImage(FImage.size().boundedTo(room) == FImage.size()
                ? FImage
                : FImage.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        layout->addWidget(picture);
        view.exec();
    });
    FitToScreen(*this, { 820, 480 });
}

void TOpenCardDialog::SelectFile(const QString &fileName)
{
    FFiles->selectFile(fileName);
    ShowPreview(fileName);
}

void TOpenCardDialog::ShowPreview(const QString &fileName)
{
    FFileName = fileName;
    const TCardFilePreview preview = CardFilePreview(fileName);
    FImage = preview.image;
    FPreviewButton->setEnabled(!FImage.isNull());
    if (FImage.isNull()) {
        FPreview->clear();
        FSize->clear();
    } else {
        FPreview->setPixmap(QPixmap::fromImage(FImage.scaled(
            FPreview->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        FSize->setText(QString::asprintf("(%d×%d)", FImage.width(), FImage.height()));
    }
    if (preview.error != plOk)
        FPrompter().Error(PlateErrorText(preview.error));
}

} // namespace korvatel

#include "cards/ui/card_page.h"

#include "cards/card_order.h"
#include "cards/card_pictures.h"
#include "cards/card_store.h"
#include "cards/layers.h"
#include "cards/plate_file.h"
#include "cards/pre_order.h"
#include "cards/ui/card_stage.h"
#include "cards/ui/image_panel_view.h"
#include "cards/ui/mask_form.h"
#include "platform/prompter.h"
#include "platform/ui/qt_prompter.h"
#include "text/sjis_file.h"

#include <QFileInfo>
#include <QResizeEvent>
#include <QTimer>

namespace korvatel
{

namespace
{

constexpr int kSaveDelay = 1500;
constexpr qint64 kPlateReadCap = 64 * 1024 * 1024;

// The size of a plate's preview, for the card's aspect; empty when it has none.
QSize PlatePreviewSize(const TPlate &plate)
{
    try {
        const TBitmap preview = DecodePlateBlock(plate.preview);
        return { preview.Width(), preview.Height() };
    } catch (const std::exception &) {
        return {};
    }
}

} // namespace

TCardPage::TCardPage(TCardPageValues values, QWidget *parent)
    : QWidget(parent)
    , FValues(std::move(values))
    , FLayers(std::make_unique<TLayers>())
{
    setObjectName(QStringLiteral("pnCard"));
    setAutoFillBackground(true);
    FStage = new TCardStage(
        *FLayers, [this]() -> TPrompter & { return Prompter(); }, this);
    FSaveTimer = new QTimer(this);
    FSaveTimer->setSingleShot(true);
    FSaveTimer->setInterval(kSaveDelay);
    connect(FSaveTimer, &QTimer::timeout, this, [this] { SaveNow(); });
    connect(FStage, &TCardStage::cardChanged, this, &TCardPage::Changed);
    connect(FStage, &TCardStage::selectionChanged, this, &TCardPage::UpdateCommands);
    connect(FStage, &TCardStage::dropFailed, this,
        [this](const QString &message) { Prompter().Error(message); });
    connect(FStage, &TCardStage::deleteRequested, this, &TCardPage::DeleteSelected);
    FStage->MayAddPicture = [this] { return RoomForPicture(); };

    TLayerEvents &events = FLayers->Events;
    const auto refresh = [this] {
        UpdateCommands();
        if (FMaskForm)
            FMaskForm->Refresh();
        FStage->update();
    };
    events.layersChanged = [this, refresh] {
        refresh();
        Changed();
    };
    events.orderChanged = events.layersChanged;
    events.layerChanged = [this, refresh](int) {
        refresh();
        Changed();
    };
    events.selectionChanged = refresh;
    events.editModeChanged = refresh;
    Reopen();
}

TCardPage::~TCardPage()
{
    if (FDirty)
        SaveNow();
    // The layer set stops calling back into the page while its children go.
    FLayers->Events = {};
    delete FMaskForm;
}

TPrompter &TCardPage::Prompter()
{
    return FPrompter ? *FPrompter : DefaultQtPrompter();
}

void TCardPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    PlaceStage();
}

void TCardPage::PlaceStage()
{
    // The stage keeps the card's aspect, as large as the page allows with a margin.
    const QRect area = rect().adjusted(8, 8, -8, -8);
    if (area.width() <= 0 || area.height() <= 0)
        return;
    QSize size(area.width(), int(area.width() / FAspect));
    if (size.height() > area.height())
        size = QSize(int(area.height() * FAspect), area.height());
    FStage->setGeometry(QRect(area.topLeft()
            + QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2),
        size));
    for (TImagePanelView *panel : FPanels)
        panel->PlaceIn(size);
}

void TCardPage::Changed()
{
    FDirty = true;
    FSaveTimer->start();
    UpdateCommands();
}

bool TCardPage::SaveNow()
{
    FSaveTimer->stop();
    if (FValues.storeFile.isEmpty())
        return false;
    // A stage never shown has no size (the card's aspect) to store, and nothing on it can
    // have been changed by hand: the stored card stays as it is.
    if (FLayers->Stage().isEmpty())
        return false;
    FLayers->RecordRelative();
    bool saved = SaveCard(*FLayers, FValues.storeFile, FPlateFile);
    if (!FValues.preOrderFile.isEmpty())
        saved = WritePreOrderPictures(FValues.preOrderFile, CardPictures()) && saved;
    if (saved)
        FDirty = false;
    return saved;
}

bool TCardPage::Reopen()
{
    if (FValues.storeFile.isEmpty() || !QFileInfo::exists(FValues.storeFile))
        return false;
    const std::optional<QByteArray> bytes = ReadWholeFile(FValues.storeFile);
    const std::optional<TCardStore> store = bytes ? ParseCardStore(*bytes) : std::nullopt;
    if (store)
        FPlateFile = store->plateFile;
    if (store && store->stageWidth > 0 && store->stageHeight > 0) {
        FAspect = double(store->stageWidth) / store->stageHeight;
        PlaceStage();
    }
    if (!LoadCard(*FLayers, FValues.storeFile))
        return false;
    // The image frames are kept as records among the pictures of the card being prepared.
    ClearPanels();
    if (!FValues.preOrderFile.isEmpty())
        if (const std::optional<TPreOrder> pre = ReadPreOrder(FValues.preOrderFile))
            for (const QString &item : pre->pictures)
                AdoptPanel(TImagePanelView::FromRecord(item, FStage));
    FSaveTimer->stop(); // reopening changed nothing
    FDirty = false;
    FLayers->SetStage(FStage->size());
    FStage->update();
    UpdateCommands();
    return true;
}

bool TCardPage::OpenFile(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".ksp"), Qt::CaseInsensitive)) {
        // A plate is a whole card: it replaces the one on the stage and brings its aspect.
        const std::optional<QByteArray> bytes = ReadWholeFile(fileName, kPlateReadCap);
        const TPlateRead read = bytes ? ReadPlate(*bytes) : TPlateRead { plNoTag, {} };
        if (read.error != plOk) {
            Prompter().Error(PlateErrorText(read.error));
            return false;
        }
        const QSize preview = PlatePreviewSize(read.plate);
        if (!preview.isEmpty())
            FAspect = double(preview.width()) / preview.height();
        FLayers->SetEditMode(emNormal);
        FLayers->Clear();
        PlaceStage();
        FLayers->SetStage(FStage->size());
        const TLayerLoad load = FLayers->LoadPlate(read.plate);
        if (load.plateError != plOk) {
            FStage->update();
            Prompter().Error(load.message);
            return false;
        }
        FLayers->PlaceFromRelative();
        FStage->update();
        Changed();
        FPlateFile = fileName;
        return load.added > 0;
    }
    if (!RoomForPicture())
        return false;
    const TLayerLoad load = FLayers->LoadFile(fileName);
    if (!load.message.isEmpty())
        Prompter().Error(load.message);
    FStage->update();
    Changed();
    return load.added > 0;
}

TImagePanelView *TCardPage::AdoptPanel(TImagePanelView *view)
{
    if (!view)
        return nullptr;
    FPanels.append(view);
    view->PlaceIn(FStage->size());
    view->show();
    connect(view, &TImagePanelView::changed, this, &TCardPage::Changed);
    connect(view, &TImagePanelView::deleteRequested, this, [this, view] {
        FPanels.removeOne(view);
        view->hide();
        view->deleteLater();
        Changed();
    });
    return view;
}

void TCardPage::ClearPanels()
{
    qDeleteAll(FPanels);
    FPanels.clear();
}

bool TCardPage::AddImagePanel(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".ksp"), Qt::CaseInsensitive)) {
        Prompter().Error(QStringLiteral("プレートは画像枠に入れられません。"));
        return false;
    }
    if (!RoomForPicture())
        return false;
    TImagePanelView *view = AdoptPanel(TImagePanelView::ForPicture(fileName, FStage));
    if (!view) {
        Prompter().Error(
            QStringLiteral("画像を読み込めません。\n") + QFileInfo(fileName).fileName());
        return false;
    }
    view->raise();
    view->setFocus();
    Changed();
    return true;
}

QStringList TCardPage::CardPictures() const
{
    QStringList pictures;
    for (int i = 0; i < FLayers->Count(); ++i) {
        const QString file = FLayers->Layer(i)->FileName;
        if (QFileInfo(file).isAbsolute() && QFileInfo::exists(file))
            pictures << file;
    }
    for (const TImagePanelView *panel : FPanels)
        pictures << panel->Record();
    return pictures;
}

QImage TCardPage::CardImage()
{
    FStage->SetPlain(true);
    for (TImagePanelView *panel : FPanels)
        panel->SetPlain(true);
    const QImage card = FStage->grab().toImage();
    for (TImagePanelView *panel : FPanels)
        panel->SetPlain(false);
    FStage->SetPlain(false);
    return card;
}

void TCardPage::ShowMaskForm()
{
    if (!FMaskForm) {
        FMaskForm = new TMaskForm(*FLayers, window());
        FMaskForm->setWindowFlag(Qt::Tool);
        connect(FMaskForm, &TMaskForm::masksChanged, this, [this] {
            FStage->update();
            Changed();
        });
    }
    FMaskForm->Refresh();
    FMaskForm->show();
    FMaskForm->raise();
}

void TCardPage::ForSelected(const std::function<void(int)> &f)
{
    for (int i = 0; i < FLayers->Count(); ++i)
        if (FLayers->Layer(i)->Selected)
            f(i);
    FLayers->RecordRelative();
    FStage->update();
    Changed();
}

void TCardPage::SetActive(bool active)
{
    FActive = active;
    if (!active && FDirty)
        SaveNow();
    UpdateCommands();
}

QString TCardPage::PictureLimitText(int limit)
{
    return QStringLiteral("この台紙に置ける画像は %1 個までです。").arg(limit);
}

QString TCardPage::EmptyWindowQuestion()
{
    return QStringLiteral("画像の入っていない窓があります。このまま注文しますか？");
}

int TCardPage::PictureLimit() const
{
    if (!PictureLimitOf || FPlateFile.isEmpty())
        return -1;
    const int limit = PictureLimitOf(QFileInfo(FPlateFile).fileName());
    return limit > 0 ? limit : -1;
}

bool TCardPage::RoomForPicture()
{
    const int limit = PictureLimit();
    if (limit < 0 || CardPictures().size() < limit)
        return true;
    Prompter().Warn(PictureLimitText(limit));
    return false;
}

bool TCardPage::PicturesFit()
{
    const QStringList extra = ExtraPictures(CardPictures(), PictureLimit());
    if (extra.isEmpty())
        return true;
    QStringList files;
    for (const QString &item : extra)
        files << PreOrderPicturePath(item);
    SelectPictures(extra);
    Prompter().Error(ExtraPicturesText(files));
    return false;
}

void TCardPage::SelectPictures(const QStringList &pictures)
{
    for (int i = 0; i < FLayers->Count(); ++i)
        FLayers->Select(i, pictures.contains(FLayers->Layer(i)->FileName));
    for (TImagePanelView *panel : FPanels)
        if (pictures.contains(panel->Record())) {
            panel->raise();
            panel->setFocus();
        }
    FStage->update();
    UpdateCommands();
}

bool TCardPage::HasEmptyWindow() const
{
    QList<QRect> frames;
    for (const TImagePanelView *panel : FPanels)
        if (panel->HasPicture())
            frames << panel->geometry();
    return korvatel::HasEmptyWindow(*FLayers, frames);
}

void TCardPage::DeleteSelected()
{
    if (FLayers->SelectedCount() == 0)
        return;
    FLayers->DeleteSelected();
    FStage->update();
    Changed();
}

} // namespace korvatel

#include "order/order_copy.h"

#include "platform/prompter.h"
#include "pricing/price_tables.h"

namespace korvatel
{

TCopyKind CopyKindOfIndex(int index)
{
    switch (index) {
    case 1:
        return ckStepper;
    case 2:
        return ckDetail;
    default:
        return ckToEnd;
    }
}

int CopyKindIndex(TCopyKind kind)
{
    switch (kind) {
    case ckStepper:
        return 1;
    case ckDetail:
        return 2;
    default:
        return 0;
    }
}

TCopyKind StartCopyKind(int menuIndex, std::optional<int> shopKind)
{
    if (menuIndex != 0)
        return CopyKindOfIndex(menuIndex);
    if (shopKind && (*shopKind == ckStepper || *shopKind == ckDetail))
        return TCopyKind(*shopKind);
    return ckToEnd;
}

TCopySource CopySourceOf(const TThumbNail &item, const TPriceTables *tables)
{
    TCopySource source;
    source.orderType = item.OrderType;
    source.campusFolder = PictureFolder(item.FullPath);
    source.campusPrices = item.CampusPrices;
    source.customDate = item.DateStr[2];
    source.dateKind = item.DateType;
    source.datePrint = item.DatePrint;
    source.cdOrder = item.CdOrder;
    source.currentSize = item.CurrentSize;
    QStringList offered;
    if (item.OrderType == otPhoto) {
        if (item.CampusPrices)
            offered = item.CampusPrices->SizeNames();
    } else if (tables) {
        offered = tables->SizeList(false);
    }
    for (const QString &size : offered) {
        const int count = item.SizeCount(size);
        if (count > 0)
            source.sizeLines.append(size + u'=' + QString::number(count));
    }
    return source;
}

int CopyOrderSettings(
    TThumbNails &list, const TCopySource &source, int last, int first, TPrompter &prompter)
{
    if (source.orderType != otDpe && source.orderType != otPhoto)
        return 0;
    bool copyText = false;
    if (source.dateKind == dkCustom) {
        const TModalResult answer = prompter.Ask(TMsgKind::mkConfirmation,
            QStringLiteral("入力日付もコピーしますか？"), mbYes | mbNo | mbCancel);
        if (answer != TModalResult::mrYes && answer != TModalResult::mrNo)
            return -1;
        copyText = answer == TModalResult::mrYes;
    }
    int changed = 0;
    for (int i = std::max(first, 0); i <= last && i < list.Count(); ++i) {
        TThumbNail &item = *list.Item(i);
        if (item.Project || item.OrderType != source.orderType)
            continue;
        if (source.orderType == otPhoto
            && !SameFolder(PictureFolder(item.FullPath), source.campusFolder))
            continue;
        item.Orders = source.sizeLines;
        item.Recount();
        item.SetCurrentSize(source.currentSize);
        item.CdOrder = source.cdOrder;
        item.DatePrint = source.datePrint;
        item.DateType = source.dateKind;
        if (copyText)
            item.DateStr[2] = source.customDate;
        ++changed;
    }
    if (changed > 0)
        list.Recount();
    return changed;
}

QString ReplaceOriginalQuestion()
{
    return QStringLiteral("トリミングした画像で元の画像の注文を置き換えますか？");
}

bool ReplaceOriginalByCopy(
    TThumbNails &list, TThumbNail &copy, const QString &original, TPrompter &prompter)
{
    const int found = list.Find(1, original);
    if (found < 0 || list.Item(found) == &copy)
        return false;
    // Closing the box without an answer keeps both: nothing the customer ordered is lost.
    if (prompter.Ask(TMsgKind::mkConfirmation, ReplaceOriginalQuestion(), mbYes | mbNo)
        != TModalResult::mrYes)
        return false;
    const TThumbNail &source = *list.Item(found);
    copy.Orders = source.Orders;
    copy.Recount();
    copy.SetCurrentSize(source.CurrentSize);
    copy.CdOrder = source.CdOrder;
    // The phone order goes along; its trimming was made on the original's frame, so the
    // copy's starts afresh.
    copy.KeitaiOrder = source.KeitaiOrder;
    copy.DatePrint = source.DatePrint;
    copy.DateType = source.DateType;
    // The copy is the same shot: it keeps the imprint the original showed, whatever the saved
    // copy's own Exif and times say.
    for (int i = 0; i < 3; ++i)
        copy.DateStr[i] = source.DateStr[i];
    copy.Hosei = source.Hosei;
    const quint32 serial = source.Serial;
    list.Delete(found);
    copy.Serial = serial;
    list.Sort();
    list.Recount();
    return true;
}

TCopyRange CopyToEndRange(int sourceIndex, int count)
{
    return { sourceIndex + 1, count - 1 };
}

TCopyStepper::TCopyStepper(int sourceIndex, int count)
    : FSource(std::max(sourceIndex, 0))
    , FCount(std::max(count, 0))
    , FOffset(std::min(1, MaxOffset()))
{
}

bool TCopyStepper::Step(int delta)
{
    const int next = std::clamp(FOffset + delta, MinOffset(), MaxOffset());
    if (next == FOffset)
        return false;
    FOffset = next;
    if (FOffset == 0)
        FInterval = 300;
    return true;
}

QString TCopyStepper::Label() const
{
    if (FOffset == 0)
        return QStringLiteral("全画像に");
    if (FOffset == MinOffset())
        return QStringLiteral("先頭まで");
    if (FOffset == MaxOffset())
        return QStringLiteral("最後まで");
    return FOffset > 0 ? QStringLiteral("右へ %1個").arg(FOffset)
                       : QStringLiteral("左へ %1個").arg(-FOffset);
}

TCopyRange TCopyStepper::Targets() const
{
    if (FOffset < 0)
        return { FSource + FOffset, FSource - 1 };
    if (FOffset == 0)
        return { 0, FCount - 1 };
    return { FSource + 1, FSource + FOffset };
}

void TCopyStepper::Press(int delta)
{
    FDelta = delta;
    FInterval = 500;
    Step(delta);
}

void TCopyStepper::Repeat()
{
    // Integer arithmetic: 0.7 has no exact binary form, and 500 × 0.7 must give 350.
    FInterval = FInterval * 7 / 10;
    Step(FDelta);
}

} // namespace korvatel

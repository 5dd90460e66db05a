#include "order/camera_dates.h"

#include "order/thumb_nails.h"

namespace korvatel
{

int RedateBasket(TThumbNails &list, const TCameraClocks &clocks, const QString &make,
    const QString &model, const std::function<TCameraShot(const QString &path)> &readShot)
{
    const QString key = TCameraClocks::ModelKey(make, model);
    int changed = 0;
    for (int i = 0; i < list.Count(); ++i) {
        TThumbNail &item = *list.Item(i);
        if (item.OrderType != otDpe)
            continue;
        const TCameraShot shot = readShot ? readShot(item.FullPath) : ReadCameraShot(item.FullPath);
        if (!shot.taken.isValid() || TCameraClocks::ModelKey(shot.make, shot.model) != key)
            continue;
        const QString oldDate = item.DateStr[0];
        const QString oldStamp = item.DateStr[1];
        item.SetDateTexts(clocks.Apply(shot.make, shot.model, shot.taken));
        if (item.DateStr[0] != oldDate || item.DateStr[1] != oldStamp)
            ++changed;
    }
    return changed;
}

} // namespace korvatel

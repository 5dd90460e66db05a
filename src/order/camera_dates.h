#pragma once

#include "sources/camera_clock.h"

#include <functional>

namespace korvatel
{

class TThumbNails;

// The date texts (DateStr[0] and [1], those of the date imprint) of the basket's pictures taken
// with the camera make and model, made again from their Exif shooting date moved by the
// model's offset in clocks (none: the Exif date as it is). Items of other cameras, campus
// pictures and pictures without an Exif date keep their texts; a custom imprint text (DateStr[2])
// is never touched. Returns the number of items whose texts changed. readShot defaults to
// ReadCameraShot.
int RedateBasket(TThumbNails &list, const TCameraClocks &clocks, const QString &make,
    const QString &model, const std::function<TCameraShot(const QString &path)> &readShot = {});

} // namespace korvatel

#pragma once

#include "imaging/bitmap.h"

#include <functional>
#include <optional>

namespace korvatel
{

class TPrompter;
class TThumbNail;

// The long side of an order thumbnail, and the pixel range a picture is kept unscaled in.
inline constexpr int kOrderThumbSide = 500;
inline constexpr qint64 kOrderThumbMinPixels = 230400;
inline constexpr qint64 kOrderThumbMaxPixels = 270400;

// The size of the order thumbnail of a width × height picture: unchanged when the pixel count
// lies between 230400 and 270400, else long side 500 and the short side rounded.
QSize OrderThumbnailSize(int width, int height);

// Loads the item's picture and makes its order thumbnail; with save, also writes it as a
// Windows bitmap at the item's thumbnail path with the source's times. Sets the item's width
// and height (0 and 0 on failure). nullopt when no bitmap was made.
std::optional<TBitmap> MakeOrderThumbnail(TThumbNail &item, bool save);

// The bitmap the order grid paints for an item: stood upright by its Exif orientation, then
// turned to landscape, with the item's correction preview applied; nullopt for items without
// prints or broken ones. A picture that is gone or does not load marks the item broken (1 gone,
// 3 not loadable, 4 a campus picture that cannot be obtained), so it is not tried again. In
// make mode a missing or stale thumbnail is made and stored (as the file lies); otherwise the
// local copy is made when missing and the stored thumbnail, the Exif thumbnail or the whole
// picture is shown. obtain asks the campus service for a missing catalogue picture.
std::optional<TBitmap> OrderCellPicture(
    TThumbNail &item, bool make, const std::function<bool(TThumbNail &)> &obtain = {});

// What preparing an item's correction did.
enum TPrepareOutcome {
    poNotNeeded, // not a skin-tone kind, or measured already
    poMeasured, // the reference is measured and stored with the measured flag
    poFailed, // the picture could not be measured: the kind changed (4 to 5, others to 0)
    poNoFile, // neither the local copy nor the source file exists: nothing changed
};

// Measures the skin reference of an item of kind 1..4 that has not been measured yet, from its
// local copy or else its source file (PrepareCorrection). Memory and bitmap failures show their
// error box through the prompter.
TPrepareOutcome PrepareItemCorrection(TThumbNail &item, TPrompter &prompter);

} // namespace korvatel

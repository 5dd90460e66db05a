#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

namespace korvatel
{

class TLayer;
class TLayers;

// Whether a layer holds one of the customer's pictures (a file opened or dropped onto the
// card, kept by its full path) rather than a picture that came with a plate (a bare name).
bool IsCustomerPicture(const TLayer &layer);

// Whether a window of a plate's sheet shows no customer picture: somewhere the sheet's
// transparent colour lets the bare card through (a window whose frame was deleted or moved
// aside) or the picture the plate put there. Points inside covered (the stage rectangles of
// image frames) count as filled. The stage must have its size.
bool HasEmptyWindow(const TLayers &layers, const QList<QRect> &covered = {});

// The customer's pictures beyond the limit, in the card's order: those the order cannot take.
QStringList ExtraPictures(const QStringList &pictures, int limit);

} // namespace korvatel

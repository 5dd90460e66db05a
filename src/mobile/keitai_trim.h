#pragma once

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <optional>

namespace korvatel
{

// The part of a phone picture that covers the phone's screen: left, top, right and bottom as
// fractions of the turned picture's width and height. All four 0 means "not set": the
// picture's width spans the frame.
struct TKeitaiCrop {
    double left = 0, top = 0, right = 0, bottom = 0;

    bool IsSet() const { return left != 0 || top != 0 || right != 0 || bottom != 0; }
    static TKeitaiCrop FromArray(const double (&values)[4]);
    void ToArray(double (&values)[4]) const;
};

// The crop frame for a phone of w × h pixels: 223 pixels high, round(w × 221 / h) + 2 wide.
QSize KeitaiFrameSize(int w, int h);
// The frame centred in a panel of the given size.
QRect KeitaiFrameRect(const QSize &panel, int w, int h);
// The frame's inner area: one pixel in from each side.
QRect KeitaiInnerRect(const QRect &frame);

// Where the picture control goes for a stored crop: unset, the picture's width spans the inner
// width from the inner top-left corner; set, the fractions map onto the inner area.
QRect KeitaiPlacement(const QRect &frame, const QSize &picture, const TKeitaiCrop &crop);
// The crop that the control's place gives: the inner corners in the control's coordinates
// divided by its width and height.
TKeitaiCrop KeitaiRecord(const QRect &frame, const QRect &control);

// Move buttons: tags left 1, up 2, right 4, down 8 and their sums for the diagonals. The frame
// travels in the button's direction, so the picture moves the other way.
enum TKeitaiMoveTag { kmLeft = 1, kmUp = 2, kmRight = 4, kmDown = 8 };
// The largest step of an axis: min(frame / 20, picture / 30) when the frame is the smaller,
// else max(frame / 30, picture / 20).
int KeitaiMoveLimit(int frame, int picture);
// The step of the next repeat: step + limit / 11 + 1, at most the limit.
int KeitaiNextStep(int step, int limit);
struct TKeitaiMove {
    QRect control;
    bool stoppedX = false; // the axis had nothing to do or reached its bound
    bool stoppedY = false;
};
// One step; the picture never stops overlapping the frame.
TKeitaiMove KeitaiMove(const QRect &control, const QRect &frame, int tag, const QPoint &step);

// Zoom buttons 0–3 (much smaller, smaller, larger, much larger), the first step (s = 0.01) or
// a repeat (s = 0.05). The point of the picture at the centre of the frame's covered part
// stays where it is. nullopt when the new width would be 2 pixels or less.
std::optional<QRect> KeitaiZoom(const QRect &control, const QRect &frame, int tag, bool repeat);

enum TKeitaiFit { kfLeft, kfRight, kfTop, kfBottom, kfMidH, kfMidV, kfWidth, kfHeight };
// The fit and centre buttons. picture is the turned picture's size (for the aspect ratio).
QRect KeitaiFit(const QRect &control, const QRect &frame, TKeitaiFit fit, const QSize &picture);

// The control after the picture turned by quarter turns clockwise: its size turned, placed so
// that the part under the frame's centre stays there.
QRect KeitaiTurn(const QRect &control, const QRect &frame, int quarterTurns);
// Moves the control so that the point (in panel coordinates) comes to the frame's centre.
QRect KeitaiCentreOn(const QRect &control, const QRect &frame, const QPoint &point);

// The part of the turned picture (in its pixels) that fills a w × h phone picture: the crop's
// fractions, or when unset the whole width from the top with the phone's aspect ratio.
QRectF KeitaiSourceRect(const QSize &picture, const TKeitaiCrop &crop, int w, int h);

} // namespace korvatel

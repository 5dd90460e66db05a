#pragma once

#include "imaging/bitmap.h"

#include <QString>
#include <functional>

namespace korvatel
{

// The viewer's four tone commands, each a step of 10 %.
enum TToneStep { tsBrighter, tsDarker, tsContrastUp, tsContrastDown };

// "明るく補正", "暗く補正", "コントラスト(＋)", "コントラスト(－)": the title the status bar shows.
QString ToneStepTitle(TToneStep step);
// The status text while it runs: the title, a full-width blank, the percentage and "%".
QString ToneStepProgressText(TToneStep step, int percent);
// The status text at the end: the title with "　完了".
QString ToneStepDoneText(TToneStep step);

// One channel value after the step (+10 or -10 percent), clamped to 0..255 and truncated,
// computed in exact decimal arithmetic:
//   lighter (step > 0): v + (255 - v) × k;  darker (step < 0): v + v × k  (k = step / 100).
// For contrast the pixel's half decides: a pixel whose red, green and blue add up to 384 or
// more becomes v + (255 - v) × k, a darker one v - v × k. The dark half thus moves against the
// step, so "＋" spreads the tones apart and "－" draws them together.
int ToneChannel(int v, int stepPercent);
int ContrastChannel(int v, bool brightHalf, int stepPercent);

// Applies the step to every pixel. progress is called with the percentage done every
// hundredth of the rows (and with 100 at the end).
void ApplyToneStep(TBitmap &bitmap, TToneStep step, const std::function<void(int)> &progress = {});

} // namespace korvatel

#include "viewer/tone_steps.h"

#include <algorithm>

namespace korvatel
{

namespace
{

int StepPercent(TToneStep step)
{
    return (step == tsBrighter || step == tsContrastUp) ? 10 : -10;
}

} // namespace

QString ToneStepTitle(TToneStep step)
{
    switch (step) {
    case tsBrighter:
        return QStringLiteral("明るく補正");
    case tsDarker:
        return QStringLiteral("暗く補正");
    case tsContrastUp:
        return QStringLiteral("コントラスト(＋)");
    case tsContrastDown:
        return QStringLiteral("コントラスト(－)");
    }
    return {};
}

QString ToneStepProgressText(TToneStep step, int percent)
{
    return QStringLiteral("%1　%2 %3")
        .arg(ToneStepTitle(step))
        .arg(percent)
        .arg(QStringLiteral("%"));
}

QString ToneStepDoneText(TToneStep step)
{
    return ToneStepTitle(step) + QStringLiteral("　完了");
}

int ToneChannel(int v, int stepPercent)
{
    // Whole numbers throughout: 100 v + (255 - v) × step is never negative for a lighter step,
    // and v × (100 + step) never for a darker one, so dividing by 100 truncates as the rule does.
    const int scaled
        = stepPercent > 0 ? 100 * v + (255 - v) * stepPercent : v * (100 + stepPercent);
    return std::clamp(scaled / 100, 0, 255);
}

int ContrastChannel(int v, bool brightHalf, int stepPercent)
{
    // The bright half: v + (255 - v) × k; the dark half: v - v × k. Negative intermediate
    // values only occur where the result is cut to 0 anyway.
    const int scaled = brightHalf ? 100 * v + (255 - v) * stepPercent : v * (100 - stepPercent);
    return std::clamp(scaled / 100, 0, 255);
}

void ApplyToneStep(TBitmap &bitmap, TToneStep step, const std::function<void(int)> &progress)
{
    const int percent = StepPercent(step);
    const bool contrast = step == tsContrastUp || step == tsContrastDown;
    uint8_t brighter[256];
    uint8_t darker[256];
    for (int v = 0; v < 256; ++v) {
        brighter[v]
            = uint8_t(contrast ? ContrastChannel(v, true, percent) : ToneChannel(v, percent));
        darker[v]
            = uint8_t(contrast ? ContrastChannel(v, false, percent) : ToneChannel(v, percent));
    }
    const int height = bitmap.Height();
    const int every = std::max(1, height / 100);
    for (int y = 0; y < height; ++y) {
        uint8_t *p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
            const bool bright = !contrast || p[0] + p[1] + p[2] >= 384;
            const uint8_t *table = bright ? brighter : darker;
            p[0] = table[p[0]];
            p[1] = table[p[1]];
            p[2] = table[p[2]];
        }
        if (progress && (y + 1) % every == 0)
            progress(int(qint64(y + 1) * 100 / height));
    }
    if (progress)
        progress(100);
}

} // namespace korvatel

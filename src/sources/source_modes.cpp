#include "sources/source_modes.h"

namespace korvatel
{

namespace
{

const char *const kCaptions[kSourceModeCount]
    = { "ｶｰﾄﾞ", "ﾌｫﾙﾀﾞ", "日付", "ｷｬﾝﾊﾟｽ", "楽市", "楽座" };
const char *const kSwitches[kSourceModeCount]
    = { "Card.on", "", "", "Camp.on", "Mall.on", "Pos.on" };

} // namespace

QString SourcePageCaption(int mode)
{
    if (mode < 1 || mode > kSourceModeCount)
        return {};
    return QString::fromUtf8(kCaptions[mode - 1]);
}

int SourceModeOfCaption(const QString &caption)
{
    for (int mode = 1; mode <= kSourceModeCount; ++mode)
        if (caption == QString::fromUtf8(kCaptions[mode - 1]))
            return mode;
    return smFolder;
}

QString SourcePageSwitch(int mode)
{
    if (mode < 1 || mode > kSourceModeCount)
        return {};
    return QString::fromLatin1(kSwitches[mode - 1]);
}

} // namespace korvatel

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

QString SourcePageEmptyText(int mode)
{
    switch (mode) {
    case smTemplate:
        return QStringLiteral("カード作成のテンプレート\n\n"
                              "このお店のテンプレートはまだありません。");
    case smShop:
        return QStringLiteral("楽市：お店の商品のページ\n\n"
                              "今、このお店からご案内している商品はありません。");
    case smTicket:
        return QStringLiteral("楽座：お店のチケットのページ\n\n"
                              "今、このお店でお使いいただけるチケットはありません。");
    default:
        return {};
    }
}

} // namespace korvatel

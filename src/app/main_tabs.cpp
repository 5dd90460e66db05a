#include "app/main_tabs.h"

#include <QDir>
#include <QFileInfo>
#include <Qt>

namespace korvatel
{

int MainTabMask(bool cardsOffered)
{
    int mask = 0;
    for (TTabMode mode : { tmBrowser, tmViewer, tmCard, tmOrder, tmShop })
        if (mode != tmCard || cardsOffered)
            mask |= 1 << (mode - 1);
    return mask;
}

QString TabModeCaption(TTabMode mode)
{
    switch (mode) {
    case tmBrowser:
        return QStringLiteral("一覧選択");
    case tmViewer:
        return QStringLiteral("画像編集");
    case tmCard:
        return QStringLiteral("カード作成");
    case tmOrder:
        return QStringLiteral("注文詳細");
    case tmShop:
        return QStringLiteral("価格情報");
    }
    return {};
}

QList<TMainTab> BuildMainTabs(int mask)
{
    QList<TMainTab> tabs;
    for (TTabMode mode : { tmBrowser, tmViewer, tmCard, tmOrder, tmShop }) {
        if (!(mask & (1 << (mode - 1))))
            continue;
        tabs.append({ mode, QStringLiteral("%1(%2)").arg(TabModeCaption(mode)).arg(tabs.size()) });
    }
    return tabs;
}

int TabIndexForCtrlKey(int key, int tabCount)
{
    int index = -1;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        index = key - Qt::Key_0;
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F9)
        index = key - Qt::Key_F1 + 1;
    else if (key == Qt::Key_F10)
        index = 0;
    return index < tabCount ? index : -1;
}

int MemoryWatchInterval(int tag)
{
    switch (tag) {
    case 1:
        return 4000;
    case 2:
        return 2000;
    case 3:
        return 500;
    default:
        return 0;
    }
}

bool ShopSwitchOn(const QString &downloadDir, const QString &switchName)
{
    return QFileInfo::exists(QDir(downloadDir).filePath(switchName));
}

} // namespace korvatel

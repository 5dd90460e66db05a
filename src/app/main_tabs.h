#pragma once

#include <QList>
#include <QString>

namespace korvatel
{

// The working modes of the main window, one per tab candidate.
enum TTabMode { tmBrowser = 1, tmViewer = 2, tmCard = 3, tmOrder = 4, tmShop = 5 };

struct TMainTab {
    TTabMode mode;
    QString caption; // the candidate's caption with its position, e.g. "注文詳細(2)"
};

// The tab mask: bit (mode - 1) set shows that candidate. Every tab is shown but the card tab,
// which needs the shop to offer cards.
int MainTabMask(bool cardsOffered);

// The tab bar built from the mask: the candidates "一覧選択", "画像編集", "カード作成",
// "注文詳細" and "価格情報" whose bit is set, each with its 0-based position as "(%d)".
QList<TMainTab> BuildMainTabs(int mask);

// The caption of a candidate without its number.
QString TabModeCaption(TTabMode mode);

// The tab index that a key with Ctrl selects: the digits 0 to 9 (main or numeric pad) their own
// index, F1 to F9 the tabs 1 to 9 and F10 tab 0. -1 for any other key or when there is no tab
// with that index. key is a Qt::Key value.
int TabIndexForCtrlKey(int key, int tabCount);

// The memory watch: "自動にしない", "低頻度(4s)", "中頻度(2s)", "高頻度(0.5s)" with the tags 0 to
// 3; the interval in ms of a tag (0: off).
int MemoryWatchInterval(int tag);

// A shop feature switch ("Card.on", "Http.on", …) is on when its file was downloaded into the
// download folder.
bool ShopSwitchOn(const QString &downloadDir, const QString &switchName);

} // namespace korvatel

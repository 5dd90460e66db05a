#pragma once

#include "app/program_entry.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

class TClock;
class TWorkspace;

// What the start notice shows.
struct TStartNotice {
    QString version; // the program version, shown as "Editor Version " + version
    QString build; // the build stamp, shown as "Build : " + build
    QString shopId;

    static QString Text1() { return QStringLiteral("最初に最新の価格表を受信します。"); }
    static QString Text2()
    {
        return QStringLiteral("ﾌｧｲｱｳｫｰﾙの警告がでたら 「許可する」 ように進めて下さい。");
    }
    static QString CheckBoxText() { return QStringLiteral("今後、このメッセージは表示しない"); }
};

struct TStartNoticeAnswer {
    bool accepted = false; // OK; any other close ends the program
    bool dontShowAgain = false; // the check box was ticked
};

// The two windows of the start-up. The Qt implementation shows them; tests answer from a
// script.
class TStartDialogs
{
public:
    virtual ~TStartDialogs() = default;
    virtual TStartNoticeAnswer ShowStartNotice(const TStartNotice &notice) = 0;
    // The start-failure window with the error status text. True for "無視して開く / [ESC]"
    // (or Esc), false for "終了する(続けない)".
    virtual bool ShowStartFailure(const QString &errorStatus) = 0;
};

// Fetches the shop data into the download folder. The network lookups fill this in; without
// them every start is offline.
class TShopDataSource
{
public:
    virtual ~TShopDataSource() = default;
    // False on failure, with the error status text (the fetch's log lines).
    virtual bool FetchShopData(
        const QString &shopId, const QString &downloadDir, QString &errorStatus)
        = 0;
    // The shop's feature switches ("Http.on", …) that arrived with the last fetch. The fetch
    // deletes some of their files again, so they are known only from here.
    virtual QStringList Switches() const { return {}; }
};

// The source used while no shop server can be reached: it always fails as a fetch fails that
// reaches neither format server.
class TNoShopServer : public TShopDataSource
{
public:
    bool FetchShopData(
        const QString &shopId, const QString &downloadDir, QString &errorStatus) override;
};

struct TStartupResult {
    bool proceed = false; // false: the user ended the program at a start window
    bool online = false; // the shop data arrived
    bool fresh = false; // the workspace was made (partly) anew
    std::optional<QDateTime> previousStart; // the date of LastShop.ini before this start
    bool openShopTab = false; // "tab=shop": the main tab bar opens on its last tab
    bool runRegistrationReport = false; // the daily report of the customer to the shop
    QStringList switches; // the shop's feature switches that arrived with the shop data
};

// The start-up from LastShop.ini up to the creation of the main window: records the shop,
// prepares the workspace, shows the start notice and fetches the shop data, then settles what
// the main window does first. ctrlHeld is the state of the Ctrl key at start.
TStartupResult RunStartup(const TEntryResult &entry, TWorkspace &workspace, TStartDialogs &dialogs,
    TShopDataSource &source, const TClock &clock, bool ctrlHeld = false);

// The texts of the start-failure window, in the order they stand, for the window and tests.
QString StartFailureCaption();
QStringList StartFailureTexts();

} // namespace korvatel

#include "app/startup.h"

#include "platform/clock.h"
#include "version.h"
#include "workspace/workspace.h"
#include "workspace/workspace_settings.h"

#include <QFileInfo>

namespace korvatel
{

bool TNoShopServer::FetchShopData(const QString &, const QString &, QString &errorStatus)
{
    errorStatus = QStringLiteral("ConnectNG:Primary\r\nConnectNG:Secondary");
    return false;
}

TStartupResult RunStartup(const TEntryResult &entry, TWorkspace &workspace, TStartDialogs &dialogs,
    TShopDataSource &source, const TClock &clock, bool ctrlHeld)
{
    TStartupResult result;
    const QString lastShop = workspace.LastShopPath();
    result.previousStart = ReadLastShop(lastShop).lastStart;
    WriteLastShop(lastShop, entry.shopId);

    result.fresh = workspace.PrepareWorkspace();

    const QString sysData = workspace.SysData();
    if (!entry.shopIdFromArgument && !IgnoreStartNotice(sysData)) {
        const TStartNoticeAnswer answer = dialogs.ShowStartNotice(
            { QString::fromUtf8(kProgramVersion), QString::fromUtf8(kBuildStamp), entry.shopId });
        if (!answer.accepted)
            return result;
        if (answer.dontShowAgain)
            SetIgnoreStartNotice(sysData, true);
    }

    QString errorStatus;
    result.online = source.FetchShopData(entry.shopId, workspace.Download(), errorStatus);
    if (result.online)
        result.switches = source.Switches();
    if (!result.online && !dialogs.ShowStartFailure(errorStatus.trimmed()))
        return result;

    result.proceed = true;
    if (entry.tabShop) {
        result.openShopTab = true;
    } else if (result.online) {
        const bool firstToday
            = !result.previousStart || result.previousStart->date() != clock.Now().date();
        result.runRegistrationReport
            = (firstToday || ctrlHeld) && QFileInfo::exists(workspace.UserFile());
    }
    return result;
}

QString StartFailureCaption()
{
    return QStringLiteral("基本情報のダウンロード失敗");
}

QStringList StartFailureTexts()
{
    return {
        QStringLiteral("■店舗情報や価格情報の基本データが取得出来ませんでした。"),
        QStringLiteral("【原因と対策】"),
        QStringLiteral(
            "1. 軽度 : "
            "ファイアウォールの「警告」でブロックしてしまった。(または暗黙的にブロックされた)"),
        QStringLiteral(
            "2. 軽度 : "
            "ソフトのダウンロードの失敗。(アイコンが白だったりする/HPからの再ダウンロードで解決)"),
        QStringLiteral("3. 軽度 : プログラムファイル名を変更した。(元に戻して解決)"),
        QStringLiteral(
            "4. 重度 : インターネットに接続できない。(ブラウザが開けるか、回線など確認)"),
        QStringLiteral("5. 重度 : "
                       "社内、または施設内のネットワークセキュリティに違反した。("
                       "システム管理者に依頼するのみ)"),
        QStringLiteral("6. 不可 : 店舗IDが変更された。(お店のホームページで確認)"),
        QStringLiteral("7. 不可 : 店舗名または無効なID。(実在しない店舗)"),
        QStringLiteral(
            "セキュリティソフトを開き、許可するプログラムとして「例外」設定をする。以下に一部紹介"),
        QStringLiteral("【ERR-STATUS】"),
    };
}

} // namespace korvatel

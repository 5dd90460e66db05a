#include "app/version_gate.h"

#include "platform/prompter.h"
#include "text/numbers.h"

namespace korvatel
{

namespace
{

// "http://host/path/Korvatel1234.exe" → "Korvatel1234.exe".
QString LastPart(const QString &urlOrName)
{
    return urlOrName.section(u'/', -1);
}

QString WithoutExtension(const QString &name)
{
    return name.section(u'.', 0, 0);
}

} // namespace

bool SameProgramFile(const QString &own, const QString &other)
{
    if (other.isEmpty())
        return false;
    return own.compare(other, Qt::CaseInsensitive) == 0
        || WithoutExtension(own).compare(WithoutExtension(other), Qt::CaseInsensitive) == 0;
}

TVersionGate VersionGateDecision(const TProgramVersion &own, const TProgramVersion &server)
{
    if (!SameProgramFile(own.fileName, LastPart(server.fileName)))
        return TVersionGate::vgNone;
    if (CompareVersions(own.version, server.version) < 0)
        return TVersionGate::vgForced;
    if (CompareVersions(own.build, server.build) < 0)
        return TVersionGate::vgOffer;
    return TVersionGate::vgNone;
}

bool RunVersionGate(const TProgramVersion &own, const TProgramVersion &server, bool cdStart,
    TPrompter &prompter, const std::function<bool()> &download)
{
    if (cdStart)
        return false;
    const QString failed
        = QStringLiteral("失敗しました。再挑戦するかホームページからダウンロードして下さい。");
    // A build without a release key could only fail the download: it says so before asking.
    const QString updatesOff
        = QStringLiteral("\r\n\r\nこの注文ソフトは自動更新を受け付けません(信頼する署名鍵が"
                         "組み込まれていません)。新しい注文ソフトはホームページからダウンロードして"
                         "下さい。");
    const QString newVersion = QStringLiteral("注文ソフトのVersionが変わりました。新Ver ")
        + server.version + QStringLiteral("\r\n\r\n現Ver ") + own.version
        + QStringLiteral(" では継続できません。");
    const QString update = QStringLiteral("UpDate : 現 %1　⇒　新 %2").arg(own.build, server.build);
    switch (VersionGateDecision(own, server)) {
    case TVersionGate::vgNone:
        return false;
    case TVersionGate::vgForced:
        if (!download) {
            prompter.Warn(newVersion + updatesOff);
            return true;
        }
        prompter.Inform(newVersion + QStringLiteral("ダウンロードして再起動します。"));
        if (!download())
            prompter.Error(failed);
        return true;
    case TVersionGate::vgOffer:
        if (!download) {
            prompter.Inform(
                QStringLiteral("新しい注文ソフトがあります。\r\n\r\n") + update + updatesOff);
            return false;
        }
        if (!prompter.YesNo(
                QStringLiteral("新しい注文ソフトがあります。ダウンロードしますか？\r\n\r\n")
                + update))
            return false;
        if (download())
            return true;
        prompter.Error(failed);
        return false;
    }
    return false;
}

} // namespace korvatel

#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace korvatel
{

// The sixteen tables of the shop data, in the order of the container.
enum TShopSection {
    ssOption,
    ssCharge,
    ssNetCharge,
    ssCdPrice,
    ssNetCdPrice,
    ssKtPrice,
    ssSizeName,
    ssChannel,
    ssChannelCd,
    ssSizeXYExt,
    ssSizeXY,
    ssUsedSize,
    ssPrices,
    ssTax,
    ssOrvAne,
    ssOrderHost,
};
inline constexpr int kShopSectionCount = 16;

// The marker line of a section in the container (":>OPTION") and the file that holds the same
// table in file mode ("KorvOp.ini").
QString SectionMarker(TShopSection section);
QString SectionFileName(TShopSection section);

// The file name of the container in the shop folder.
inline constexpr const char *kShopDataFileName = "HostFmt.ini";

// The shop's data as a set of tables. Each table is either present (possibly with no lines) or
// absent: a section missing from the container, or a file missing from the shop folder. What an
// absent table means is the reader's business (an empty table or a built-in default).
class TShopData
{
public:
    // Sections the container's lines. The header lines "_ServerBuild_=…" and "_ServerR_=…" may
    // stand anywhere and are taken out first; each table is then the run of lines after its
    // marker line up to the first ":>END" line or the end of the text.
    static TShopData FromContainer(const QStringList &lines);
    // Reads the container file (Shift-JIS); nullopt when it cannot be read.
    static std::optional<TShopData> LoadContainer(const QString &path);
    // Reads each table from its own file in the folder (file mode).
    static TShopData FromFolder(const QString &folder);

    bool Has(TShopSection section) const { return FTables.at(section).has_value(); }
    // True when the table is present and has at least one line.
    bool HasLines(TShopSection section) const;
    // The table's lines; empty when absent.
    QStringList Lines(TShopSection section) const;
    const std::optional<QStringList> &Table(TShopSection section) const
    {
        return FTables.at(section);
    }
    void SetTable(TShopSection section, std::optional<QStringList> lines)
    {
        FTables.at(section) = std::move(lines);
    }

    // The value of the first "_ServerBuild_" line; empty when none.
    QString ServerBuild() const { return FServerBuild; }
    // True only when the first "_ServerR_" line reads exactly "TRUE".
    bool ServerR() const { return FServerR; }

private:
    std::array<std::optional<QStringList>, kShopSectionCount> FTables;
    QString FServerBuild;
    bool FServerR = false;
};

// Deletes the per-table files of the shop folder, so that a stale file from an earlier run can
// never shadow the server's data. Returns the number of files removed.
int DeleteStaleTableFiles(const QString &folder);

} // namespace korvatel

#include "pricing/shop_data.h"

#include "text/sjis_file.h"

#include <QDir>
#include <QFile>

namespace korvatel
{

namespace
{

struct TSectionName {
    const char *marker;
    const char *file;
};

constexpr TSectionName kSections[kShopSectionCount] = {
    { ":>OPTION", "KorvOp.ini" },
    { ":>CHARGE", "Charge.ini" },
    { ":>NETCHARGE", "NetCharge.ini" },
    { ":>CDPRICE", "CdPrice.ini" },
    { ":>NETCDPRICE", "NetCdPrice.ini" },
    { ":>KTPRICE", "KtPrice.ini" },
    { ":>SIZENAME", "SizeName.ini" },
    { ":>CHANNEL", "Channel.ini" },
    { ":>CHANNELCD", "ChannCD.ini" },
    { ":>SIZEXYEXT", "SizeExXY.ini" },
    { ":>SIZEXY", "SizeXY.ini" },
    { ":>USEDSIZE", "UsedSize.ini" },
    { ":>PRICES", "Prices.ini" },
    { ":>TAX", "Tax.ini" },
    { ":>ORVANE", "OrvAne.ini" },
    { ":>ORDERHOST", "OrdrHost.ini" },
};

const QLatin1String kEndMarker(":>END");
const QLatin1String kServerBuild("_ServerBuild_=");
const QLatin1String kServerR("_ServerR_=");

} // namespace

QString SectionMarker(TShopSection section)
{
    return QLatin1String(kSections[section].marker);
}

QString SectionFileName(TShopSection section)
{
    return QLatin1String(kSections[section].file);
}

TShopData TShopData::FromContainer(const QStringList &lines)
{
    TShopData data;
    QStringList body;
    body.reserve(lines.size());
    bool buildSeen = false;
    bool flagSeen = false;
    for (const QString &line : lines) {
        if (line.startsWith(kServerBuild)) {
            if (!buildSeen)
                data.FServerBuild = line.mid(kServerBuild.size());
            buildSeen = true;
        } else if (line.startsWith(kServerR)) {
            if (!flagSeen)
                data.FServerR = line.mid(kServerR.size()) == QLatin1String("TRUE");
            flagSeen = true;
        } else {
            body.append(line);
        }
    }

    // One pass records where each marker first occurs and where each ":>END" stands, so a
    // large container is sectioned in linear time.
    std::array<qsizetype, kShopSectionCount> start;
    start.fill(-1);
    QList<qsizetype> ends;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QString &line = body.at(i);
        if (!line.startsWith(QLatin1String(":>")))
            continue;
        if (line == kEndMarker) {
            ends.append(i);
            continue;
        }
        for (int s = 0; s < kShopSectionCount; ++s) {
            if (start[s] < 0 && line == QLatin1String(kSections[s].marker)) {
                start[s] = i;
                break;
            }
        }
    }
    for (int s = 0; s < kShopSectionCount; ++s) {
        if (start[s] < 0)
            continue;
        const auto end = std::upper_bound(ends.cbegin(), ends.cend(), start[s]);
        const qsizetype stop = end == ends.cend() ? body.size() : *end;
        data.FTables[s] = body.mid(start[s] + 1, stop - start[s] - 1);
    }
    return data;
}

std::optional<TShopData> TShopData::LoadContainer(const QString &path)
{
    std::optional<QStringList> lines = ReadSjisLines(path);
    if (!lines)
        return std::nullopt;
    return FromContainer(*lines);
}

TShopData TShopData::FromFolder(const QString &folder)
{
    TShopData data;
    const QDir dir(folder);
    for (int s = 0; s < kShopSectionCount; ++s) {
        const QString path = dir.filePath(QLatin1String(kSections[s].file));
        if (QFile::exists(path))
            data.FTables[s] = ReadSjisLines(path);
    }
    return data;
}

bool TShopData::HasLines(TShopSection section) const
{
    const std::optional<QStringList> &table = FTables.at(section);
    return table && !table->isEmpty();
}

QStringList TShopData::Lines(TShopSection section) const
{
    return FTables.at(section).value_or(QStringList());
}

int DeleteStaleTableFiles(const QString &folder)
{
    if (folder.isEmpty())
        return 0;
    const QDir dir(folder);
    int removed = 0;
    for (const TSectionName &section : kSections) {
        if (QFile::remove(dir.filePath(QLatin1String(section.file))))
            ++removed;
    }
    return removed;
}

} // namespace korvatel

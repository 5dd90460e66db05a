#include "mobile/keitai_datas.h"

#include "imaging/picture_kinds.h"
#include "text/comma_text.h"
#include "text/numbers.h"
#include "text/sjis_file.h"

#include <QFileInfo>
#include <algorithm>
#include <memory>

namespace korvatel
{

namespace
{

// A size as stored: a decimal integer, kept within what any screen could have.
int SizeOf(const QString &text)
{
    return std::clamp(ParseInteger(text.trimmed(), 0), 0, 100000);
}

bool Same(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The Sys flag as a file or the built-in table writes it.
bool SysOf(const QString &text)
{
    return Same(text, QStringLiteral("sys")) || Same(text, QStringLiteral("TRUE"));
}

} // namespace

int KeitaiFormatOf(const QString &name)
{
    if (name.isEmpty())
        return 4;
    const QStringList &names = PictureFormatDisplayNames();
    for (int i = 0; i < names.size(); ++i) {
        const QString &plain = names.at(i);
        if (Same(name, plain) || Same(name, QStringLiteral("pf") + plain)
            || (i > 0 && Same(name, u'.' + plain)))
            return i;
    }
    return 0;
}

QString KeitaiFormatName(int fmt)
{
    const QStringList &names = PictureFormatDisplayNames();
    return fmt >= 0 && fmt < names.size() ? names.at(fmt) : names.at(0);
}

QString KeitaiFormatMessage(int fmt)
{
    switch (fmt) {
    case 1:
    case 2:
    case 4:
        return QStringLiteral("対応しています。");
    case 3:
        return QStringLiteral("未対応です。");
    default:
        return QStringLiteral("対応は未確認です。");
    }
}

QColor KeitaiFormatColour(int fmt)
{
    // The dark green is the stored colour value 0x204000, whose bytes are blue, green, red
    // from the high end.
    return fmt == 1 || fmt == 2 || fmt == 4 ? QColor(0x00, 0x40, 0x20) : QColor(Qt::red);
}

TKeitaiData KeitaiDataFromLine(const QString &line)
{
    TKeitaiData data;
    bool hasFormat = false;
    for (const QString &item : FromCommaText(line)) {
        const qsizetype eq = item.indexOf(u'=');
        const QString key = eq < 0 ? item : item.left(eq);
        const QString value = eq < 0 ? QString() : item.mid(eq + 1);
        if (Same(key, QStringLiteral("Prov")))
            data.prov = value;
        else if (Same(key, QStringLiteral("Maker")))
            data.maker = value;
        else if (Same(key, QStringLiteral("Model")))
            data.model = value;
        else if (Same(key, QStringLiteral("W")))
            data.w = SizeOf(value);
        else if (Same(key, QStringLiteral("H")))
            data.h = SizeOf(value);
        else if (Same(key, QStringLiteral("Fmt"))) {
            data.fmt = KeitaiFormatOf(value);
            hasFormat = true;
        } else if (Same(key, QStringLiteral("Sys")))
            data.sys = SysOf(value);
    }
    if (!hasFormat)
        data.fmt = 4;
    return data;
}

QString KeitaiDataLine(const TKeitaiData &data)
{
    QStringList items { QStringLiteral("Prov=") + data.prov, QStringLiteral("Maker=") + data.maker,
        QStringLiteral("Model=") + data.model, QStringLiteral("W=%1").arg(data.w),
        QStringLiteral("H=%1").arg(data.h), QStringLiteral("Fmt=") + KeitaiFormatName(data.fmt) };
    if (data.sys)
        items << QStringLiteral("Sys=TRUE");
    return ToCommaText(items);
}

TKeitaiData KeitaiDataFromRow(const QString &row)
{
    QString packed = row;
    packed.remove(u' ');
    const QStringList columns = packed.split(u',');
    const auto column
        = [&columns](int i) { return i < columns.size() ? columns.at(i) : QString(); };
    TKeitaiData data;
    data.prov = column(0);
    data.maker = column(1);
    data.model = column(2);
    data.w = SizeOf(column(3));
    data.h = SizeOf(column(4));
    data.fmt = KeitaiFormatOf(column(5));
    data.sys = SysOf(column(6));
    return data;
}

const QStringList &BuiltInKeitaiRows()
{
    // "----" marks a format nobody has checked yet.
    static const QStringList rows {
        QStringLiteral("docomo    ,Panasonic  ,P505iS   ,240,320, jpg,sys"),
        QStringLiteral("docomo    ,Panasonic  ,P505i    ,240,320, jpg,sys"),
        QStringLiteral("docomo    ,Panasonic  ,P504iS   ,132,176, jpg,sys"),
        QStringLiteral("docomo    ,Panasonic  ,P504i    ,132,176, jpg,sys"),
        QStringLiteral("docomo    ,Panasonic  ,P251iS   ,120,130, gif,sys"),
        QStringLiteral("docomo    ,NEC        ,N505iS   ,240,320, jpg,sys"),
        QStringLiteral("docomo    ,NEC        ,N505i    ,240,320, jpg,sys"),
        QStringLiteral("docomo    ,NEC        ,N504iS   ,160,180, jpg,sys"),
        QStringLiteral("docomo    ,NEC        ,N504i    ,160,180, jpg,sys"),
        QStringLiteral("docomo    ,NEC        ,N251iS   ,120,130, gif,sys"),
        QStringLiteral("docomo    ,SHARP      ,SH505iS  ,240,320, jpg,sys"),
        QStringLiteral("docomo    ,SHARP      ,SH505i   ,240,320, jpg,sys"),
        QStringLiteral("docomo    ,SHARP      ,SH252i   ,120,130, ----,sys"),
        QStringLiteral("docomo    ,FUJITSU    ,F505i    ,240,320, jpg,sys"),
        QStringLiteral("docomo    ,FUJITSU    ,F504iS   ,132,176, jpg,sys"),
        QStringLiteral("docomo    ,FUJITSU    ,F251i    ,120,130, ----,sys"),
        QStringLiteral("docomo    ,MITSUBISHI ,D505i    ,240,320, jpg,sys"),
        QStringLiteral("docomo    ,MITSUBISHI ,D504i    ,132,176, jpg,sys"),
        QStringLiteral("docomo    ,SONY       ,SO505i   ,240,320, jpg,sys"),
        QStringLiteral("docomo    ,SONY       ,SO504i   ,120,130, jpg,sys"),
        QStringLiteral("docomo    ,KYOCERA    ,KO504i   ,132,176, png,sys"),
        QStringLiteral("au        ,KYOCERA    ,A5305K   ,132,176, jpg,sys"),
        QStringLiteral("au        ,KYOCERA    ,A1101K   ,120,130, png,sys"),
        QStringLiteral("au        ,CASIO      ,A5403CA  ,240,320, jpg,sys"),
        QStringLiteral("au        ,CASIO      ,A5401CA  ,132,176, jpg,sys"),
        QStringLiteral("au        ,CASIO      ,A3012CA  ,120,130, png,sys"),
        QStringLiteral("au        ,TOSHIBA    ,A5501T   ,240,320, jpg,sys"),
        QStringLiteral("au        ,TOSHIBA    ,A5304T   ,132,176, jpg,sys"),
        QStringLiteral("au        ,HITACHI    ,A5303H   ,240,320, jpg,sys"),
        QStringLiteral("au        ,HITACHI    ,A3014H   ,120,130, ----,sys"),
        QStringLiteral("au        ,SANYO      ,A5503SA  ,240,320, jpg,sys"),
        QStringLiteral("au        ,SANYO      ,A3011SA  ,132,176, png,sys"),
        QStringLiteral("au        ,SONY       ,A5404S   ,240,320, jpg,sys"),
        QStringLiteral("au        ,SONY       ,A1101S   ,120,130, gif,sys"),
        QStringLiteral("J-Phone   ,SHARP      ,J-SH53   ,240,320, jpg,sys"),
        QStringLiteral("J-Phone   ,SHARP      ,J-SH52   ,240,320, jpg,sys"),
        QStringLiteral("J-Phone   ,SHARP      ,J-SH51   ,120,130, png,sys"),
        QStringLiteral("J-Phone   ,SHARP      ,J-SH07   ,120,130, gif,sys"),
        QStringLiteral("J-Phone   ,TOSHIBA    ,J-T010   ,240,320, jpg,sys"),
        QStringLiteral("J-Phone   ,TOSHIBA    ,J-T09    ,132,176, jpg,sys"),
        QStringLiteral("J-Phone   ,TOSHIBA    ,J-T08    ,120,130, ----,sys"),
        QStringLiteral("J-Phone   ,NEC        ,J-N51    ,132,176, jpg,sys"),
        QStringLiteral("J-Phone   ,NEC        ,J-N05    ,120,130, gif,sys"),
        QStringLiteral("J-Phone   ,PANASONIC  ,J-P51    ,132,176, jpg,sys"),
        QStringLiteral("J-Phone   ,MITSUBISHI ,J-D08    ,120,130, ----,sys"),
        QStringLiteral("J-Phone   ,SANYO      ,J-SA51   ,132,176, jpg,sys"),
        QStringLiteral("vodafone  ,SHARP      ,V601SH   ,240,320, jpg,sys"),
        QStringLiteral("vodafone  ,SHARP      ,V401SH   ,240,320, jpg,sys"),
        QStringLiteral("vodafone  ,TOSHIBA    ,V601T    ,240,320, jpg,sys"),
        QStringLiteral("vodafone  ,NEC        ,V601N    ,240,320, jpg,sys"),
        QStringLiteral("vodafone  ,SANYO      ,V401SA   ,240,320, jpg,sys"),
        QStringLiteral("vodafone  ,PANASONIC  ,V601P    ,132,176, ----,sys"),
        QStringLiteral("TU-KA     ,KYOCERA    ,TK31     ,132,176, jpg,sys"),
        QStringLiteral("TU-KA     ,KYOCERA    ,TK22     ,120,130, png,sys"),
        QStringLiteral("TU-KA     ,TOSHIBA    ,TT31     ,132,176, jpg,sys"),
        QStringLiteral("TU-KA     ,TOSHIBA    ,TT21     ,120,130, gif,sys"),
        QStringLiteral("TU-KA     ,SANYO      ,TS31     ,132,176, jpg,sys"),
        QStringLiteral("TU-KA     ,SANYO      ,TS11     ,120,128, jpg,sys"),
    };
    return rows;
}

void TKeitaiDatas::LoadBuiltIn()
{
    FItems.clear();
    for (const QString &row : BuiltInKeitaiRows())
        FItems.append(KeitaiDataFromRow(row));
}

int TKeitaiDatas::LoadFromLines(const QStringList &lines)
{
    FItems.clear();
    for (const QString &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        if (FItems.size() >= kMaxEntries)
            break;
        const TKeitaiData data = KeitaiDataFromLine(line);
        if (IndexOf(data.model, data.maker, data.prov) < 0)
            FItems.append(data);
    }
    return Count();
}

int TKeitaiDatas::LoadFromFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return -1;
    const std::optional<QByteArray> bytes = ReadWholeFile(path, kMaxFileSize);
    if (!bytes)
        return -1;
    const std::optional<QStringList> lines = SjisLines(*bytes, kMaxEntries * 4);
    return LoadFromLines(lines ? *lines : QStringList());
}

void TKeitaiDatas::LoadDefault(const QString &workspaceFile)
{
    if (LoadFromFile(workspaceFile) < 0)
        LoadBuiltIn();
}

QStringList TKeitaiDatas::Lines() const
{
    QStringList lines;
    for (const TKeitaiData &data : FItems)
        lines << KeitaiDataLine(data);
    return lines;
}

int TKeitaiDatas::SaveToFile(const QString &path) const
{
    if (FItems.isEmpty())
        return 0;
    return WriteSjisLines(path, Lines()) ? Count() : -1;
}

int TKeitaiDatas::IndexOf(const QString &model, const QString &maker, const QString &carrier) const
{
    for (int i = 0; i < FItems.size(); ++i) {
        const TKeitaiData &data = FItems.at(i);
        if (Same(data.model, model) && (maker.isEmpty() || Same(data.maker, maker))
            && (carrier.isEmpty() || Same(data.prov, carrier)))
            return i;
    }
    return -1;
}

const TKeitaiData *TKeitaiDatas::Find(
    const QString &model, const QString &maker, const QString &carrier) const
{
    const int index = IndexOf(model, maker, carrier);
    return index < 0 ? nullptr : &FItems.at(index);
}

void TKeitaiDatas::Add(const TKeitaiData &data)
{
    if (FItems.size() < kMaxEntries)
        FItems.append(data);
}

bool TKeitaiDatas::Delete(const QString &model, const QString &maker, const QString &carrier)
{
    const int index = IndexOf(model, maker, carrier);
    if (index < 0)
        return false;
    FItems.removeAt(index);
    return true;
}

bool TKeitaiDatas::Update(const TKeitaiData &data)
{
    const int index = IndexOf(data.model, data.maker, data.prov);
    if (index < 0)
        return false;
    FItems[index].w = data.w;
    FItems[index].h = data.h;
    FItems[index].fmt = data.fmt;
    return true;
}

namespace
{

void AddOnce(QStringList &names, const QString &name)
{
    if (!names.contains(name, Qt::CaseInsensitive))
        names << name;
}

} // namespace

QStringList TKeitaiDatas::Carriers() const
{
    QStringList names;
    for (const TKeitaiData &data : FItems)
        AddOnce(names, data.prov);
    return names;
}

QStringList TKeitaiDatas::Makers(const QString &carrier) const
{
    QStringList names;
    for (const TKeitaiData &data : FItems) {
        if (carrier.isEmpty() || Same(data.prov, carrier))
            AddOnce(names, data.maker);
    }
    return names;
}

QStringList TKeitaiDatas::Models(const QString &carrier, const QString &maker) const
{
    QStringList names;
    for (const TKeitaiData &data : FItems) {
        if (Same(data.prov, carrier) && Same(data.maker, maker))
            AddOnce(names, data.model);
    }
    return names;
}

TKeitaiDatas &KeitaiDatas(const QString &workspaceFile)
{
    static std::unique_ptr<TKeitaiDatas> table;
    if (!table) {
        table = std::make_unique<TKeitaiDatas>();
        table->LoadDefault(workspaceFile);
    }
    return *table;
}

QStringList CarrierMailDomains()
{
    return { QStringLiteral("docomo.ne.jp"), QStringLiteral("ezweb.ne.jp"),
        QStringLiteral("jp-t.ne.jp"), QStringLiteral("jp-k.ne.jp") };
}

QString CarrierOfMail(const QString &address)
{
    const qsizetype at = address.lastIndexOf(u'@');
    if (at < 0)
        return {};
    const QString domain = address.mid(at + 1).trimmed();
    const QStringList domains = CarrierMailDomains();
    if (Same(domain, domains.at(0)))
        return QStringLiteral("docomo");
    if (Same(domain, domains.at(1)))
        return QStringLiteral("au");
    if (Same(domain, domains.at(2)) || Same(domain, domains.at(3)))
        return QStringLiteral("J-Phone");
    return {};
}

} // namespace korvatel

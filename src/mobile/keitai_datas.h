#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

namespace korvatel
{

// One phone model: the carrier, maker and model names, the standby screen in pixels and the
// picture format the phone takes (a PictureFormat: 0 ETC, 1 BMP, 2 PNG, 3 GIF, 4 JPG).
struct TKeitaiData {
    QString prov; // Prov: the carrier
    QString maker; // Maker
    QString model; // Model
    int w = 0; // W
    int h = 0; // H
    int fmt = 4; // Fmt
    bool sys = false; // Sys: from a distributed table

    friend bool operator==(const TKeitaiData &, const TKeitaiData &) = default;
};

// The format of a stored name: "pfETC" … "pfJPG", "ETC" … "JPG" or ".bmp", ".png", ".gif",
// ".jpg", ignoring case; an empty name is 4 (JPG), any other text 0 (ETC).
int KeitaiFormatOf(const QString &name);
// "ETC", "BMP", "PNG", "GIF", "JPG"; out-of-range values give "ETC".
QString KeitaiFormatName(int fmt);
// What the picker says of a format and the colour it says it in.
QString KeitaiFormatMessage(int fmt);
QColor KeitaiFormatColour(int fmt);

// An entry of a Keitai.ini line: comma text of "Key=value" items (Prov, Maker, Model, W, H,
// Fmt, Sys). Missing names stay empty, unreadable sizes read as 0.
TKeitaiData KeitaiDataFromLine(const QString &line);
QString KeitaiDataLine(const TKeitaiData &data);
// An entry of the built-in table's seven blank-padded columns (carrier, maker, model, width,
// height, format, "sys"); every blank is removed first.
TKeitaiData KeitaiDataFromRow(const QString &row);
// The built-in table, first row "docomo ,Panasonic ,P505iS ,240,320, jpg,sys".
const QStringList &BuiltInKeitaiRows();

// The phone model table: entries in the order they were added.
class TKeitaiDatas
{
public:
    // The most entries and bytes a file or a download may bring.
    static constexpr int kMaxEntries = 20000;
    static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

    int Count() const { return int(FItems.size()); }
    const TKeitaiData &Item(int index) const { return FItems.at(index); }
    const QList<TKeitaiData> &Items() const { return FItems; }

    void Clear() { FItems.clear(); }
    void LoadBuiltIn();
    // Clears the table and reads the lines; a line whose carrier, maker and model are already
    // in the table is skipped. Gives the number of entries read.
    int LoadFromLines(const QStringList &lines);
    // The same from a Shift-JIS file; −1 when the file does not exist or cannot be read.
    int LoadFromFile(const QString &path);
    // The workspace file when it exists, else the built-in table.
    void LoadDefault(const QString &workspaceFile);
    QStringList Lines() const;
    // Writes the table (Shift-JIS, CR LF); gives the number of entries, 0 for an empty table,
    // which writes nothing; −1 when the write failed.
    int SaveToFile(const QString &path) const;

    // The first entry with the model and, when given, the maker and the carrier, ignoring
    // case; nullptr when none.
    const TKeitaiData *Find(
        const QString &model, const QString &maker = {}, const QString &carrier = {}) const;
    void Add(const TKeitaiData &data);
    // Removes the entry Find gives; false when there is none.
    bool Delete(const QString &model, const QString &maker, const QString &carrier);
    // Replaces the size and format of the entry Find gives; false when there is none.
    bool Update(const TKeitaiData &data);

    // Names in first-seen order, each once.
    QStringList Carriers() const;
    QStringList Makers(const QString &carrier = {}) const; // of every carrier when empty
    QStringList Models(const QString &carrier, const QString &maker) const;

private:
    int IndexOf(const QString &model, const QString &maker, const QString &carrier) const;

    QList<TKeitaiData> FItems;
};

// The table of the process, loaded on first use from the workspace file named here (or the
// built-in table when it does not exist).
TKeitaiDatas &KeitaiDatas(const QString &workspaceFile);

// The carrier whose phone mail domain the address has: "docomo", "au", "J-Phone"; empty for
// any other domain.
QString CarrierOfMail(const QString &address);
// The mail domains of the carriers, as the mail keyboard offers them.
QStringList CarrierMailDomains();

} // namespace korvatel

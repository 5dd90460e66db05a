#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// The most text that a history record may inflate to; a larger stream is refused, so a damaged
// or hostile file cannot exhaust memory.
inline constexpr qint64 kMaxHistoryText = 100 * 1024 * 1024;

// One print-marking list of an order (one per DPOF job): its name and its lines.
struct TDpofList {
    QString name;
    QStringList lines;
};

// The text of a history record: the card-payment lines between "<credit_start>" and
// "<credit_end>", the order text's body and file list, and the print-marking lists, each part
// after a separator when something precedes it.
QStringList BuildHistoryText(
    const QStringList &creditLines, const QStringList &orderText, const QList<TDpofList> &dpof);

// The text as one zlib stream at maximum compression.
QByteArray CompressHistory(const QByteArray &text);
// Inflates one zlib stream; nullopt when it is damaged, incomplete or would give more than
// maxText bytes.
std::optional<QByteArray> InflateHistory(const QByteArray &data, qint64 maxText = kMaxHistoryText);

// The sections a reader may ask for, combined as flags.
enum THistorySection : unsigned {
    hsCredit = 1u << 0, // "<credit_start>" … "<credit_end>"
    hsBody = 1u << 1, // "<body_start>" … "<body_end>"
    hsFiles = 1u << 2, // "<files_start>" … "<files_end>"
    hsDpof = 1u << 3, // "<dpof_start>" … "<dpof_end>"
    hsImages = 1u << 4, // "<images_start>" … "<imges_end>"
    hsAll = 0x1Fu,
};

struct THistoryRecord {
    QStringList credit, body, files, dpof, images;
};

// The wanted sections of a record's text lines. A section whose end marker is missing runs to
// the end of the text.
THistoryRecord ParseHistoryText(const QStringList &lines, unsigned sections = hsAll);

// The record text (Shift-JIS lines) of compressed history data; nullopt when it does not
// inflate.
std::optional<QStringList> HistoryTextOf(const QByteArray &data, qint64 maxText = kMaxHistoryText);

// Reads a history file (".wcp" is appended to a name that lacks it). False when the file is
// missing or damaged.
bool ReadHistoryRecord(const QString &path, unsigned sections, THistoryRecord &record);

// Writes the lines as a history file, atomically. The number of bytes written, or -1.
qint64 WriteHistoryFile(const QString &path, const QStringList &lines);

} // namespace korvatel

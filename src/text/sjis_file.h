#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// Files larger than this are refused by the whole-file readers: no text file of the system
// comes near it, and a damaged or hostile file must not exhaust memory.
inline constexpr qint64 kMaxTextFileSize = 64 * 1024 * 1024;

// Texts of more lines than this are refused by the line readers before any line is made: a
// file of line breaks alone would otherwise cost some thirty bytes of memory for each byte.
inline constexpr qsizetype kMaxTextLines = 1000 * 1000;

// Reads a whole file; nullopt when it is missing, unreadable or over maxSize.
std::optional<QByteArray> ReadWholeFile(const QString &path, qint64 maxSize = kMaxTextFileSize);

// Reads a Shift-JIS text file whole. Lines end at CR LF, LF or CR; a line break at the very end
// does not make an empty last line. nullopt when the file cannot be read (or, for the lines,
// holds more than kMaxTextLines).
std::optional<QString> ReadSjisText(const QString &path);
std::optional<QStringList> ReadSjisLines(const QString &path);

// Splits text into lines the way ReadSjisLines does.
QStringList SplitLines(const QString &text);
// The number of lines SplitLines gives for Shift-JIS bytes, counted on the bytes themselves
// (no Shift-JIS trail byte is a CR or an LF).
qsizetype CountLines(QByteArrayView bytes);
// Shift-JIS bytes as lines; nullopt when they hold more than maxLines.
std::optional<QStringList> SjisLines(const QByteArray &bytes, qsizetype maxLines = kMaxTextLines);

// Who may read a file that is written: whoever the umask lets, or its owner alone (0600, for
// the customer's own data: the customer record, the member key file, history, order messages).
enum class TFileAccess { faShared, faPrivate };

// Writes the file through a temporary file in the same folder that is renamed over the old one,
// so a crash never leaves it half-written. False when any step fails; the old file then stays.
// A private file is 0600 from its first byte, whatever mode an old file had.
bool WriteFileAtomic(
    const QString &path, const QByteArray &data, TFileAccess access = TFileAccess::faShared);

// Writes text as Shift-JIS, atomically, as it stands (no line ends added).
bool WriteSjisText(
    const QString &path, const QString &text, TFileAccess access = TFileAccess::faShared);

// Writes each line followed by CR LF, as Shift-JIS, atomically.
bool WriteSjisLines(
    const QString &path, const QStringList &lines, TFileAccess access = TFileAccess::faShared);

// The lines joined, each followed by CR LF.
QString JoinLines(const QStringList &lines);

} // namespace korvatel

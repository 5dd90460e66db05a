#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace korvatel
{

// Default.ini: the order panel's defaults for new orders, rewritten at each change.
struct TDefaultSettings {
    QString DefSize; // one of the offered sizes
    bool DefNoHosei = false; // new orders without automatic correction

    // DefSize falls back to the first offered size when the file's is not offered; DefNoHosei
    // is read only when the shop offers automatic correction.
    void Load(const QString &path, const QStringList &offeredSizes, bool shopAutoCorrection);
    bool Save(const QString &path) const;
};

// TransMode.ini: the whole text is one number.
enum class TTransMode {
    tmAuto = 0, // anything but 1 or 2, or no file
    tmStandard = 1, // FTP
    tmOffice = 2, // "役所モード": HTTP
};
TTransMode LoadTransMode(const QString &path);
bool SaveTransMode(const QString &path, TTransMode mode);

// DateOutFolderList.ini: the folders listed as excluded from the date scan, each active
// (ticked) or not.
struct TExcludedFolder {
    QString path;
    bool active = true;
};
struct TDateOutFolderList {
    QList<TExcludedFolder> Folders;

    // The active entries: the excluded-folder set.
    QStringList ActiveFolders() const;
    void Load(const QString &path);
    // Writes "path=TRUE" or "path=FALSE" per folder; deletes the file when the list is empty.
    bool Save(const QString &path) const;
};

// NodeExp.ini: the expanded nodes of the date tree and the focused node, each as its text up
// to the first "(".
struct TNodeExp {
    QStringList Expanded;
    QString Focus; // stored as "Forcus="

    // The part of a node text that is stored: up to its first "(".
    static QString NodeKey(const QString &nodeText);
    void Load(const QString &path);
    bool Save(const QString &path) const;
};

// LastDate.ini in \Tree: "LastRead=" and the date and time of the last completed disk scan,
// as "yyyy/MM/dd hh:mm:ss".
std::optional<QDateTime> LoadLastRead(const QString &path);
// Creates the folder when it is missing.
bool SaveLastRead(const QString &path, const QDateTime &when);
QString LastReadText(const QDateTime &when);

// Colors.ini and ColPost.ini: the sixteen custom colours of the colour dialog, as the lines
// "ColorA=" to "ColorP=" with six hexadecimal figures in the order blue, green, red.
struct TCustomColors {
    static constexpr int kCount = 16;
    // Windows colour values 0x00BBGGRR; white where the file says nothing.
    std::array<quint32, kCount> Colors;

    TCustomColors() { Colors.fill(0xFFFFFF); }

    void Load(const QString &path);
    bool Save(const QString &path) const;
};

// SysData\Ignore: when it exists the start notice is not shown.
bool IgnoreStartNotice(const QString &sysData);
bool SetIgnoreStartNotice(const QString &sysData, bool ignore);

} // namespace korvatel

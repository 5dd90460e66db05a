#pragma once

#include <QChar>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace korvatel
{

struct TUserFolders;

// Drive types with the values Windows gives them.
enum TDriveType {
    dtUnknown = 0,
    dtNoRootDir = 1, // no such drive
    dtRemovable = 2,
    dtFixed = 3,
    dtRemote = 4,
    dtCdRom = 5,
    dtRamDisk = 6,
};

struct TDrive {
    QChar letter; // upper case, 'A' to 'Z'
    QString root; // absolute local folder, cleaned, without a trailing "/" (except "/" itself)
    TDriveType type = dtUnknown;
    QString label = {}; // the filesystem's own label when the system names one, else empty

    bool operator==(const TDrive &) const = default;
};

// The drive letters of this machine. C is the user's home folder (the system drive, fixed).
// D, E, … go to the filesystems mounted at or under /media, /mnt and /run/media, in the order
// of their mount points (compared folder by folder), typed from the mount table:
//   nfs, nfs4, cifs, smb3, smbfs, sshfs, fuse.sshfs   remote
//   iso9660, udf                                      CD-ROM
//   tmpfs, ramfs                                      RAM disk
//   any other with a /dev/… source                    removable when the device says so, else fixed
//   anything else                                     unknown, but still a drive
// At most 23 mounts get letters (D to Z); a folder mounted twice counts once, as its last mount.
//
// The override file (drives.ini) assigns letters by hand and wins over the mounts. One line
// per letter; blank lines and lines starting with "#", ";" or "[" are ignored:
//   D=/srv/photos,fixed        folder and type (fixed, removable, remote, cdrom, ramdisk)
//   E=/media/me/CARD           without a type the drive is fixed
//   F=~/scans,removable        a leading "~" is the home folder
//   G=                         no drive G, even if a mount would have taken it
// The path must be absolute after "~" expansion, or the line is ignored. Letters named in the
// file are taken first; the mounts then fill the free letters from D on, and a mount whose
// folder the file already names keeps the file's letter instead of getting a second one.
class TDriveTable
{
public:
    // Builds the table from text: the contents of /proc/self/mountinfo and of the override
    // file. isRemovable answers for a mount source such as "/dev/sdb1", labelOf gives its
    // filesystem label (empty when it has none; no labels without it). Lines that do not
    // parse are skipped.
    static TDriveTable Build(const QString &home, const QString &mountinfoText,
        const std::function<bool(const QString &device)> &isRemovable,
        const QString &overrideText = {},
        const std::function<QString(const QString &device)> &labelOf = {});

    // The table of this machine: /proc/self/mountinfo, /sys/block, the labels of
    // /dev/disk/by-label and <config>/korvatel/drives.ini (UTF-8, as local paths are).
    static TDriveTable FromSystem(const TUserFolders &folders);

    // The drive of letter (either case); nullopt when there is none.
    std::optional<TDrive> Drive(QChar letter) const;
    // The drive type of letter; dtNoRootDir when there is no such drive, as Windows answers.
    TDriveType Type(QChar letter) const;
    // Bit 0 is A, bit 1 is B, and so on.
    quint32 LogicalDrives() const;
    // The letters in order, one character per drive ("CDE").
    QString Letters() const;
    const QList<TDrive> &Drives() const { return FDrives; }

    // The letter of the drive whose root is the longest folder prefix of the local path (so C
    // for anything in the home folder); a null QChar when no drive holds it.
    QChar LetterOf(const QString &localPath) const;

    // "D:\photos\a.jpg" (either separator) to "<root of D>/photos/a.jpg". "." and ".." are
    // resolved and never climb above the drive's root. Empty when the text does not start with
    // a drive letter and colon, or the drive does not exist.
    QString ToLocalPath(const QString &windowsPath) const;
    // The reverse: "<root of D>/photos/a.jpg" to "D:\photos\a.jpg", a drive root to "D:\".
    // Empty for a relative path or one that no drive holds.
    QString ToWindowsPath(const QString &localPath) const;

    bool operator==(const TDriveTable &) const = default;

private:
    QList<TDrive> FDrives; // sorted by letter, at most one per letter
};

// The drive type named by a word of the override file (fixed, removable, remote, cdrom,
// ramdisk; any case); nullopt for any other word.
std::optional<TDriveType> DriveTypeFromWord(const QString &word);
// The word for a drive type: those above, "none" for dtNoRootDir and "unknown" for dtUnknown.
QString DriveTypeWord(TDriveType type);

// The whole disk that a kernel block device name belongs to: "sdb1" → "sdb",
// "nvme0n1p2" → "nvme0n1", "mmcblk0p1" → "mmcblk0"; other names ("sr0", "dm-0", "sdb")
// come back unchanged.
QString WholeDiskName(const QString &deviceName);

// The label of a /dev/disk/by-label entry name: udev writes blanks, slashes and other bytes
// it does not keep as "\xHH" escapes of the UTF-8 bytes ("MY\x20CARD" is "MY CARD").
QString UdevLabelText(const QString &entryName);

// The labels of the block devices that carry one: the entries of byLabel, each a link to its
// device, as the device's resolved path ("/dev/sdb1") and the label. At most a few hundred
// entries are read.
QHash<QString, QString> DeviceLabels(const QString &byLabel = QStringLiteral("/dev/disk/by-label"));

// Whether the disk of a mount source such as "/dev/sdb1" reports itself removable in
// <sysBlock>/<disk>/removable. Symbolic links under /dev are followed first.
bool BlockDeviceRemovable(
    const QString &device, const QString &sysBlock = QStringLiteral("/sys/block"));

} // namespace korvatel

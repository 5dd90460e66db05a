#include "platform/drive_table.h"

#include "platform/user_folders.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <cctype>
#include <map>
#include <set>

namespace korvatel
{

namespace
{

constexpr int kLetterCount = 26;
constexpr qint64 kMaxMountinfoSize = 16 * 1024 * 1024;
constexpr qint64 kMaxOverrideSize = 1024 * 1024;
constexpr int kMaxLabels = 256;
constexpr int kMaxLabelLength = 64;

const char *const kMountParents[] = { "/media", "/mnt", "/run/media" };

int LetterIndex(QChar letter)
{
    const char16_t c = letter.toUpper().unicode();
    return c >= u'A' && c <= u'Z' ? c - u'A' : -1;
}

QChar IndexLetter(int index)
{
    return QChar(char16_t(u'A' + index));
}

// Orders paths folder by folder: a folder comes right before everything inside it, and
// "/media/a/x" sorts before "/media/a b". Plain code-point order within a name, so the
// letters do not depend on the locale.
struct TPathLess {
    bool operator()(const QString &a, const QString &b) const
    {
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype i = 0; i < n; ++i) {
            if (a[i] == b[i])
                continue;
            if (a[i] == QLatin1Char('/'))
                return true;
            if (b[i] == QLatin1Char('/'))
                return false;
            return a[i] < b[i];
        }
        return a.size() < b.size();
    }
};

bool IsUnder(const QString &path, const QString &folder)
{
    if (path == folder || folder == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path.startsWith(folder) && path.size() > folder.size()
        && path[folder.size()] == QLatin1Char('/');
}

bool IsOctal(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('7');
}

// The kernel writes blanks, tabs, new lines and backslashes in mount table fields as "\ooo"
// octal escapes of the byte; every other byte of the name appears as it is.
QString DecodeMountField(QStringView field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    qsizetype plain = 0; // start of the text since the last escape
    for (qsizetype i = 0; i + 3 < field.size(); ++i) {
        if (field[i] != QLatin1Char('\\') || !IsOctal(field[i + 1]) || !IsOctal(field[i + 2])
            || !IsOctal(field[i + 3]))
            continue;
        const int value = (field[i + 1].unicode() - u'0') * 64 + (field[i + 2].unicode() - u'0') * 8
            + (field[i + 3].unicode() - u'0');
        if (value > 0xFF)
            continue;
        bytes += field.mid(plain, i - plain).toUtf8();
        bytes += char(value);
        i += 3;
        plain = i + 1;
    }
    bytes += field.mid(plain).toUtf8();
    return QString::fromUtf8(bytes);
}

struct TMount {
    QString point;
    QString fsType;
    QString source;
};

// One line of /proc/<pid>/mountinfo:
//   36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue
// The mount point is the fifth field; after the "-" that ends the optional fields come the
// filesystem type and the mount source.
std::optional<TMount> ParseMountLine(QStringView line)
{
    const QList<QStringView> fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    qsizetype separator = -1;
    for (qsizetype i = 6; i < fields.size(); ++i) {
        if (fields[i] == QLatin1String("-")) {
            separator = i;
            break;
        }
    }
    if (separator < 0 || separator + 2 >= fields.size())
        return std::nullopt;
    TMount mount;
    mount.point = DecodeMountField(fields[4]);
    mount.fsType = DecodeMountField(fields[separator + 1]);
    mount.source = DecodeMountField(fields[separator + 2]);
    if (!mount.point.startsWith(QLatin1Char('/')) || mount.fsType.isEmpty())
        return std::nullopt;
    mount.point = QDir::cleanPath(mount.point);
    return mount;
}

bool IsDriveMountPoint(const QString &point)
{
    for (const char *parent : kMountParents) {
        if (IsUnder(point, QString::fromLatin1(parent)))
            return true;
    }
    return false;
}

TDriveType MountType(const TMount &mount, const std::function<bool(const QString &)> &isRemovable)
{
    static const QStringList remote = {
        QStringLiteral("nfs"),
        QStringLiteral("nfs4"),
        QStringLiteral("cifs"),
        QStringLiteral("smb3"),
        QStringLiteral("smbfs"),
        QStringLiteral("sshfs"),
        QStringLiteral("fuse.sshfs"),
    };
    const QString &fs = mount.fsType;
    if (remote.contains(fs))
        return dtRemote;
    if (fs == QLatin1String("iso9660") || fs == QLatin1String("udf"))
        return dtCdRom;
    if (fs == QLatin1String("tmpfs") || fs == QLatin1String("ramfs"))
        return dtRamDisk;
    if (mount.source.startsWith(QLatin1String("/dev/")))
        return isRemovable && isRemovable(mount.source) ? dtRemovable : dtFixed;
    return dtUnknown;
}

// One letter of the override file: a drive, or std::nullopt for "no drive here".
struct TOverride {
    int index;
    std::optional<TDrive> drive;
};

std::optional<TOverride> ParseOverrideLine(const QString &raw, const QString &home)
{
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';'))
        || line.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    const QString key = line.left(eq).trimmed();
    const int index = key.size() == 1 ? LetterIndex(key[0]) : -1;
    if (index < 0)
        return std::nullopt;

    QString value = line.mid(eq + 1).trimmed();
    if (value.isEmpty())
        return TOverride { index, std::nullopt };

    TDriveType type = dtFixed;
    const qsizetype comma = value.lastIndexOf(QLatin1Char(','));
    if (comma >= 0) {
        // A folder whose name holds a comma therefore needs the type word after it.
        const std::optional<TDriveType> named = DriveTypeFromWord(value.mid(comma + 1).trimmed());
        if (!named)
            return std::nullopt;
        type = *named;
        value = value.left(comma).trimmed();
    }
    if (value == QLatin1String("~"))
        value = home;
    else if (value.startsWith(QLatin1String("~/")))
        value = home + value.mid(1);
    if (!value.startsWith(QLatin1Char('/')))
        return std::nullopt;
    return TOverride { index, TDrive { IndexLetter(index), QDir::cleanPath(value), type } };
}

} // namespace

namespace
{

// The words of the override file and of korvatel-cli's drive list, one per drive type.
const std::pair<const char *, TDriveType> kTypeWords[] = {
    { "fixed", dtFixed },
    { "removable", dtRemovable },
    { "remote", dtRemote },
    { "cdrom", dtCdRom },
    { "ramdisk", dtRamDisk },
    { "none", dtNoRootDir },
    { "unknown", dtUnknown },
};

} // namespace

std::optional<TDriveType> DriveTypeFromWord(const QString &word)
{
    for (const auto &[name, type] : kTypeWords) {
        if (type != dtNoRootDir && type != dtUnknown
            && word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return type;
    }
    return std::nullopt;
}

QString DriveTypeWord(TDriveType type)
{
    for (const auto &[name, known] : kTypeWords) {
        if (known == type)
            return QLatin1String(name);
    }
    return QStringLiteral("unknown");
}

QString WholeDiskName(const QString &deviceName)
{
    const QString &n = deviceName;
    auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };

    qsizetype end = n.size();
    while (end > 0 && isDigit(n[end - 1]))
        --end;
    if (end == n.size() || end == 0)
        return n; // no partition number

    // nvme0n1p2, mmcblk0p1, loop0p1: the disk name ends in a digit, then "p" and the number.
    if (n[end - 1] == QLatin1Char('p') && end >= 2 && isDigit(n[end - 2]))
        return n.left(end - 1);

    // sdb1, hda3, vdb1, xvda1: letters name the disk, the digits the partition.
    for (const char *prefix : { "sd", "hd", "vd", "xvd" }) {
        const QLatin1String p(prefix);
        if (n.startsWith(p) && end > p.size()) {
            bool letters = true;
            for (qsizetype i = p.size(); i < end; ++i)
                letters = letters && n[i] >= QLatin1Char('a') && n[i] <= QLatin1Char('z');
            if (letters)
                return n.left(end);
        }
    }
    return n;
}

QString UdevLabelText(const QString &entryName)
{
    const QByteArray name = entryName.toUtf8();
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x'
            && std::isxdigit(uchar(name[i + 2])) && std::isxdigit(uchar(name[i + 3]))) {
            bytes += char(name.mid(i + 2, 2).toInt(nullptr, 16));
            i += 3;
            continue;
        }
        bytes += name[i];
    }
    return QString::fromUtf8(bytes);
}

QHash<QString, QString> DeviceLabels(const QString &byLabel)
{
    QHash<QString, QString> labels;
    QDirIterator it(byLabel, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext() && labels.size() < kMaxLabels) {
        it.next();
        const QString device = it.fileInfo().canonicalFilePath();
        if (!device.isEmpty())
            labels.insert(device, UdevLabelText(it.fileName()));
    }
    return labels;
}

bool BlockDeviceRemovable(const QString &device, const QString &sysBlock)
{
    const QString canonical = QFileInfo(device).canonicalFilePath();
    const QString name = QFileInfo(canonical.isEmpty() ? device : canonical).fileName();
    if (name.isEmpty())
        return false;
    QString disk = name;
    if (!QFileInfo::exists(sysBlock + QLatin1Char('/') + disk))
        disk = WholeDiskName(name);
    QFile flag(sysBlock + QLatin1Char('/') + disk + QStringLiteral("/removable"));
    if (!flag.open(QIODevice::ReadOnly))
        return false;
    return flag.read(8).trimmed() == "1";
}

TDriveTable TDriveTable::Build(const QString &home, const QString &mountinfoText,
    const std::function<bool(const QString &device)> &isRemovable, const QString &overrideText,
    const std::function<QString(const QString &device)> &labelOf)
{
    std::array<std::optional<TDrive>, kLetterCount> slots;
    std::array<bool, kLetterCount> named {};
    std::set<QString> namedRoots;

    const QString cleanHome = home.isEmpty() ? QString() : QDir::cleanPath(home);
    const QStringList overrideLines = overrideText.split(QLatin1Char('\n'));
    for (const QString &line : overrideLines) {
        const std::optional<TOverride> o = ParseOverrideLine(line, cleanHome);
        if (!o || named[o->index])
            continue; // the first line of a letter wins, as in every key file of the program
        named[o->index] = true;
        slots[o->index] = o->drive;
        if (o->drive)
            namedRoots.insert(o->drive->root);
    }

    const int c = LetterIndex(QLatin1Char('C'));
    if (!named[c] && cleanHome.startsWith(QLatin1Char('/')))
        slots[c] = TDrive { QLatin1Char('C'), cleanHome, dtFixed };

    // A folder mounted over again shows the last mount: later lines replace earlier ones.
    std::map<QString, TMount, TPathLess> mounts;
    const QList<QStringView> lines = QStringView(mountinfoText).split(QLatin1Char('\n'));
    for (QStringView line : lines) {
        std::optional<TMount> mount = ParseMountLine(line);
        if (mount && IsDriveMountPoint(mount->point))
            mounts.insert_or_assign(mount->point, std::move(*mount));
    }

    int next = LetterIndex(QLatin1Char('D'));
    for (const auto &[point, mount] : mounts) {
        if (namedRoots.count(point))
            continue;
        while (next < kLetterCount && (named[next] || slots[next]))
            ++next;
        if (next >= kLetterCount)
            break;
        slots[next] = TDrive { IndexLetter(next), point, MountType(mount, isRemovable) };
        if (labelOf && mount.source.startsWith(QLatin1String("/dev/")))
            slots[next]->label = labelOf(mount.source).left(kMaxLabelLength);
    }

    TDriveTable table;
    for (const std::optional<TDrive> &drive : slots) {
        if (drive)
            table.FDrives.append(*drive);
    }
    return table;
}

TDriveTable TDriveTable::FromSystem(const TUserFolders &folders)
{
    const std::optional<QByteArray> mountinfo
        = ReadWholeFile(QStringLiteral("/proc/self/mountinfo"), kMaxMountinfoSize);
    const std::optional<QByteArray> overrides
        = ReadWholeFile(folders.configDir + QStringLiteral("/drives.ini"), kMaxOverrideSize);
    const QHash<QString, QString> labels = DeviceLabels();
    return Build(
        folders.home, mountinfo ? QString::fromUtf8(*mountinfo) : QString(),
        [](const QString &device) { return BlockDeviceRemovable(device); },
        overrides ? QString::fromUtf8(*overrides) : QString(),
        [&labels](const QString &device) {
            const QString canonical = QFileInfo(device).canonicalFilePath();
            return labels.value(canonical.isEmpty() ? device : canonical);
        });
}

std::optional<TDrive> TDriveTable::Drive(QChar letter) const
{
    const int index = LetterIndex(letter);
    for (const TDrive &drive : FDrives) {
        if (LetterIndex(drive.letter) == index && index >= 0)
            return drive;
    }
    return std::nullopt;
}

TDriveType TDriveTable::Type(QChar letter) const
{
    const std::optional<TDrive> drive = Drive(letter);
    return drive ? drive->type : dtNoRootDir;
}

quint32 TDriveTable::LogicalDrives() const
{
    quint32 mask = 0;
    for (const TDrive &drive : FDrives)
        mask |= 1u << LetterIndex(drive.letter);
    return mask;
}

QString TDriveTable::Letters() const
{
    QString letters;
    for (const TDrive &drive : FDrives)
        letters += drive.letter;
    return letters;
}

QChar TDriveTable::LetterOf(const QString &localPath) const
{
    if (!localPath.startsWith(QLatin1Char('/')))
        return {};
    const QString path = QDir::cleanPath(localPath);
    const TDrive *best = nullptr;
    for (const TDrive &drive : FDrives) {
        if (IsUnder(path, drive.root) && (!best || drive.root.size() > best->root.size()))
            best = &drive;
    }
    return best ? best->letter : QChar();
}

QString TDriveTable::ToLocalPath(const QString &windowsPath) const
{
    if (windowsPath.size() < 2 || windowsPath[1] != QLatin1Char(':')
        || LetterIndex(windowsPath[0]) < 0)
        return {};
    const std::optional<TDrive> drive = Drive(windowsPath[0]);
    if (!drive)
        return {};

    // Resolve "." and ".." here: at a drive's root ".." stays at the root, as on Windows.
    QStringList parts;
    QString rest = windowsPath.mid(2);
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QList<QStringView> names = QStringView(rest).split(QLatin1Char('/'));
    for (QStringView name : names) {
        if (name.isEmpty() || name == QLatin1String("."))
            continue;
        if (name == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(name.toString());
    }
    if (parts.isEmpty())
        return drive->root;
    const QString joined = parts.join(QLatin1Char('/'));
    return drive->root == QLatin1String("/") ? drive->root + joined
                                             : drive->root + QLatin1Char('/') + joined;
}

QString TDriveTable::ToWindowsPath(const QString &localPath) const
{
    const QChar letter = LetterOf(localPath);
    if (letter.isNull())
        return {};
    const QString path = QDir::cleanPath(localPath);
    const QString root = Drive(letter)->root;
    QString rest = path.mid(root.size());
    if (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return letter + QStringLiteral(":\\") + rest;
}

} // namespace korvatel

// A drive table built from arbitrary mount table and override text answers every lookup
// without a crash, and its answers agree with each other. The mount sources go through the
// /dev/disk/by-label name decoder as the drives' labels.
#include "platform/drive_table.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    // The bytes before the first NUL are the mount table, the rest the override file.
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype split = bytes.indexOf('\0');
    const QString mountinfo = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString overrides = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));

    const TDriveTable table = TDriveTable::Build(
        QStringLiteral("/home/user"), mountinfo,
        [](const QString &device) { return device.size() % 2 == 0; }, overrides,
        [](const QString &device) { return UdevLabelText(device); });

    for (char16_t c = u'A'; c <= u'Z'; ++c) {
        const QChar letter(c);
        const std::optional<TDrive> drive = table.Drive(letter);
        const bool listed = table.LogicalDrives() & (1u << (c - u'A'));
        if (drive.has_value() != listed || (table.Type(letter) == dtNoRootDir) == listed)
            std::abort();
        if (!drive)
            continue;
        if (drive->label.size() > 64)
            std::abort();
        // Every drive maps its own root and a file below it both ways.
        const QString below = drive->root == QLatin1String("/")
            ? QStringLiteral("/f")
            : drive->root + QStringLiteral("/f");
        const QString windows = table.ToWindowsPath(below);
        if (windows.isEmpty() || table.LetterOf(below).isNull())
            std::abort();
        table.ToLocalPath(windows);
        table.ToWindowsPath(drive->root);
        table.ToLocalPath(QString(letter) + QStringLiteral(":..\\..\\x/./y"));
    }
    // Fragments of the input as paths of both kinds.
    const QStringList lines
        = mountinfo.split(QLatin1Char('\n')) + overrides.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        table.ToLocalPath(line);
        table.ToWindowsPath(line);
        table.LetterOf(line);
        UdevLabelText(line);
    }
    table.Letters();
    return 0;
}

#include "workspace/workspace_settings.h"

#include "text/key_file.h"
#include "text/numbers.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace korvatel
{

void TDefaultSettings::Load(
    const QString &path, const QStringList &offeredSizes, bool shopAutoCorrection)
{
    TKeyFile file;
    file.Load(path);
    const QString size = file.Value(QStringLiteral("DefSize"));
    DefSize = offeredSizes.contains(size) ? size : offeredSizes.value(0);
    DefNoHosei = shopAutoCorrection && file.Bool(QStringLiteral("DefNoHosei"));
}

bool TDefaultSettings::Save(const QString &path) const
{
    TKeyFile file;
    file.SetValue(QStringLiteral("DefSize"), DefSize);
    file.SetBool(QStringLiteral("DefNoHosei"), DefNoHosei);
    return file.Save(path);
}

TTransMode LoadTransMode(const QString &path)
{
    const std::optional<QString> text = ReadSjisText(path);
    if (!text)
        return TTransMode::tmAuto;
    switch (ParseInteger(*text, 0)) {
    case 1:
        return TTransMode::tmStandard;
    case 2:
        return TTransMode::tmOffice;
    default:
        return TTransMode::tmAuto;
    }
}

bool SaveTransMode(const QString &path, TTransMode mode)
{
    return WriteSjisText(path, QString::number(static_cast<int>(mode)));
}

QStringList TDateOutFolderList::ActiveFolders() const
{
    QStringList folders;
    for (const TExcludedFolder &folder : Folders) {
        if (folder.active)
            folders << folder.path;
    }
    return folders;
}

void TDateOutFolderList::Load(const QString &path)
{
    Folders.clear();
    const std::optional<QStringList> lines = ReadSjisLines(path);
    if (!lines)
        return;
    for (const QString &line : *lines) {
        // The value is the last part: a folder name may itself hold "=".
        const qsizetype eq = line.lastIndexOf(u'=');
        if (eq <= 0)
            continue;
        Folders.append({ line.left(eq), line.mid(eq + 1) == QLatin1String("TRUE") });
    }
}

bool TDateOutFolderList::Save(const QString &path) const
{
    if (Folders.isEmpty())
        return QFile::remove(path) || !QFile::exists(path);
    QStringList lines;
    for (const TExcludedFolder &folder : Folders)
        lines << folder.path + (folder.active ? QStringLiteral("=TRUE") : QStringLiteral("=FALSE"));
    return WriteSjisLines(path, lines);
}

QString TNodeExp::NodeKey(const QString &nodeText)
{
    return nodeText.section(u'(', 0, 0);
}

void TNodeExp::Load(const QString &path)
{
    Expanded.clear();
    Focus.clear();
    const std::optional<QStringList> lines = ReadSjisLines(path);
    if (!lines)
        return;
    for (const QString &line : *lines) {
        if (line.startsWith(QLatin1String("Forcus="), Qt::CaseInsensitive))
            Focus = line.mid(7);
        else if (!line.isEmpty())
            Expanded << line;
    }
}

bool TNodeExp::Save(const QString &path) const
{
    QStringList lines;
    for (const QString &node : Expanded)
        lines << NodeKey(node);
    lines << QStringLiteral("Forcus=") + NodeKey(Focus);
    return WriteSjisLines(path, lines);
}

namespace
{

const char kLastReadFormat[] = "yyyy/MM/dd hh:mm:ss";

} // namespace

QString LastReadText(const QDateTime &when)
{
    return when.toString(QString::fromLatin1(kLastReadFormat));
}

std::optional<QDateTime> LoadLastRead(const QString &path)
{
    TKeyFile file;
    if (!file.Load(path))
        return std::nullopt;
    const QString text = TrimBlanks(file.Value(QStringLiteral("LastRead")));
    QDateTime when = QDateTime::fromString(text, QString::fromLatin1(kLastReadFormat));
    if (!when.isValid())
        when = QDateTime::fromString(text, QStringLiteral("yyyy/MM/dd"));
    if (!when.isValid())
        return std::nullopt;
    return when;
}

bool SaveLastRead(const QString &path, const QDateTime &when)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    TKeyFile file;
    file.SetValue(QStringLiteral("LastRead"), LastReadText(when));
    return file.Save(path);
}

void TCustomColors::Load(const QString &path)
{
    *this = TCustomColors();
    TKeyFile file;
    if (!file.Load(path))
        return;
    for (int i = 0; i < kCount; ++i) {
        const QString value = file.Value(QStringLiteral("Color") + QChar(u'A' + i));
        bool ok = false;
        const uint color = value.trimmed().toUInt(&ok, 16);
        if (ok && color <= 0xFFFFFF)
            Colors[i] = color;
    }
}

bool TCustomColors::Save(const QString &path) const
{
    TKeyFile file;
    for (int i = 0; i < kCount; ++i)
        file.SetValue(QStringLiteral("Color") + QChar(u'A' + i),
            QStringLiteral("%1").arg(Colors[i], 6, 16, QChar(u'0')).toUpper());
    return file.Save(path);
}

namespace
{

QString IgnorePath(const QString &sysData)
{
    return QDir(sysData).filePath(QStringLiteral("Ignore"));
}

} // namespace

bool IgnoreStartNotice(const QString &sysData)
{
    return QFileInfo::exists(IgnorePath(sysData));
}

bool SetIgnoreStartNotice(const QString &sysData, bool ignore)
{
    if (!ignore)
        return QFile::remove(IgnorePath(sysData)) || !IgnoreStartNotice(sysData);
    return IgnoreStartNotice(sysData) || WriteFileAtomic(IgnorePath(sysData), {});
}

} // namespace korvatel

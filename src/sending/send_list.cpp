#include "sending/send_list.h"

#include "text/cp932.h"

#include <QFileInfo>

namespace korvatel
{

namespace
{

// "name.ext" → "name(2).ext"; a name without an extension gets the number at its end.
QString NumberedName(const QString &name, int number)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString suffix = QStringLiteral("(%1)").arg(number);
    if (dot <= 0)
        return name + suffix;
    return name.left(dot) + suffix + name.mid(dot);
}

} // namespace

// Each character that Shift-JIS cannot hold becomes "_", so that two names stay two on the
// server instead of both turning into "?".
QString Cp932Safe(QString name)
{
    for (qsizetype i = 0; i < name.size();) {
        const qsizetype length
            = name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()
            ? 2
            : 1;
        int unconverted = 0;
        ToCp932(name.mid(i, length), &unconverted);
        if (unconverted > 0) {
            name.replace(i, length, QStringLiteral("_"));
            ++i;
        } else {
            i += length;
        }
    }
    return name;
}

QString FullWidthRemoteName(const QString &name)
{
    QString result = Cp932Safe(name);
    result.replace(u'=', u'＝').replace(u'|', u'｜').replace(u';', u'；');
    return result;
}

TSendList TSendList::Restored(QList<TSendItem> items, QStringList fileList)
{
    TSendList list;
    list.FItems = std::move(items);
    list.FFileList = std::move(fileList);
    return list;
}

QString NotFoundWarning(const QString &path)
{
    return QStringLiteral("Not Found FILE : ") + path + QStringLiteral("\r\n\r\n")
        + QStringLiteral("『ファイルが見あたたりません』以下の原因が考えられます。")
        + QStringLiteral("\r\n") + QStringLiteral("１.直接指定したメディアを抜き取った。\r\n")
        + QStringLiteral("２.ネットワーク上で指定した場合のLAN障害。\r\n")
        + QStringLiteral("３.他のソフト、ご自分、ネットワークの他のユーザーが削除した。\r\n")
        + QStringLiteral("４.ゼロのファイルサイズ。\r\n")
        + QStringLiteral("送信作業は中止します。原因不明の場合は再挑戦してください。");
}

std::optional<QString> TSendList::Add(const QString &local, const QString &remoteFolder,
    const QString &remoteName, bool unique, bool listed, const QString &correction,
    QString *warning)
{
    const QFileInfo info(local);
    if (!info.isFile() || info.size() <= 0) {
        if (warning)
            *warning = NotFoundWarning(local);
        return std::nullopt;
    }
    QString name = FullWidthRemoteName(remoteName);
    if (unique) {
        const QString folderKey = remoteFolder.toUpper() + u'/';
        const QString base = name;
        for (int number = 2; FUsedNames.contains(folderKey + name.toUpper()); ++number)
            name = NumberedName(base, number);
        FUsedNames << folderKey + name.toUpper();
    }
    const QString remote = remoteFolder + u'/' + name;
    FItems.append({ local, remote });
    if (listed) {
        QString line = remote + QStringLiteral("=%1").arg(info.size());
        if (!correction.isEmpty()) {
            line += u';' + correction;
            FCorrectionList << name + u'=' + correction;
        }
        FFileList << line;
    }
    return name;
}

void TSendList::Prepend(const QString &local, const QString &remote)
{
    FItems.prepend({ local, remote });
}

QStringList TSendList::Lines() const
{
    QStringList lines;
    for (const TSendItem &item : FItems)
        lines << item.local + u';' + item.remote;
    return lines;
}

} // namespace korvatel

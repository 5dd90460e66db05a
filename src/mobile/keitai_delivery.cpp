#include "mobile/keitai_delivery.h"

#include "mobile/keitai_servers.h"
#include "mobile/mail/smtp_mailer.h"
#include "order/thumb_nails.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

namespace korvatel
{

TPhonePicture PhonePictureOf(const TThumbNail &item)
{
    const QString copy = item.LocalCopy();
    return { !copy.isEmpty() && QFileInfo(copy).isFile() ? copy : item.FullPath,
        item.KeitaiRotat % 4, TKeitaiCrop::FromArray(item.KeitaiTriming) };
}

QString PhoneFolderName(const QDateTime &now)
{
    // 128 bits from the system's generator: the folder's page is reachable by its name alone.
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    QString name = now.toString(QStringLiteral("yyyyMMdd-hhmmsszzz")) + u'-';
    for (quint32 word : words)
        name += QString::number(word, 16).rightJustified(8, u'0');
    return name;
}

QString PhonePageUrl(const QString &pageBase, const QString &folder)
{
    QString base = pageBase.trimmed();
    while (base.endsWith(u'/'))
        base.chop(1);
    return base + u'/' + folder + u'/';
}

QString PhonePictureName(int number, int fmt)
{
    return QStringLiteral("K%1").arg(number, 3, 10, QLatin1Char('0')) + PhoneExtension(fmt);
}

QString PhoneIndexPage(const QStringList &names)
{
    QStringList lines { QStringLiteral("<html><head><title>Korvatel</title></head><body>") };
    for (const QString &name : names)
        lines << QStringLiteral("<p><a href=\"%1\"><img src=\"%1\"></a></p>").arg(name);
    lines << QStringLiteral("</body></html>");
    return JoinLines(lines);
}

TPhoneDelivery DeliverPhonePictures(const TTransportSettings &transport,
    const QList<TPhonePicture> &pictures, const TPhoneTarget &target, const TPhoneServer &server,
    const QString &folder, const QString &workDir,
    const std::function<void(int done, int total)> &progress)
{
    TPhoneDelivery delivery;
    if (!server.Complete()) {
        delivery.error = QStringLiteral("携帯画像のサーバーが指定されていません。");
        return delivery;
    }
    QDir().mkpath(workDir);
    QStringList locals;
    QStringList names;
    for (int i = 0; i < pictures.size(); ++i) {
        const TPhonePicture &picture = pictures.at(i);
        const QString name = PhonePictureName(i + 1, target.fmt);
        const QString local = QDir(workDir).filePath(name);
        if (!ConvertPhonePicture(
                picture.source, picture.turns, picture.crop, target, local, &delivery.error))
            return delivery;
        locals << local;
        names << name;
    }
    const QString index = QDir(workDir).filePath(QStringLiteral("index.html"));
    if (!WriteSjisText(index, PhoneIndexPage(names))) {
        delivery.error = QStringLiteral("携帯画像の一覧を書き込めませんでした。");
        return delivery;
    }

    TWinFTP ftp(transport);
    ftp.Mess = false;
    ftp.Passive = server.passive;
    const QString remote = KeitaiRemotePath(server.host.baseDir, folder);
    bool made = ftp.LoginRecord(server.host, false);
    QString path;
    for (const QString &part : remote.split(u'/', Qt::SkipEmptyParts)) {
        path += u'/' + part;
        made = made && ftp.MakeDir(path);
    }
    if (!made) {
        delivery.error = QStringLiteral("携帯画像のサーバーに接続できません。") + ftp.LastError();
        return delivery;
    }
    locals << index;
    names << QStringLiteral("index.html");
    for (int i = 0; i < locals.size(); ++i) {
        const QString path = remote + u'/' + names.at(i);
        // The size read back tells that the whole file arrived.
        if (!ftp.PutFile(locals.at(i), path)
            || ftp.FileSize(path) != QFileInfo(locals.at(i)).size()) {
            delivery.error = QStringLiteral("携帯画像を送信できません。") + names.at(i) + u' '
                + ftp.LastError();
            return delivery;
        }
        delivery.remoteFiles << path;
        if (progress)
            progress(i + 1, int(locals.size()));
    }
    delivery.pageUrl = PhonePageUrl(server.pageBase, folder);
    delivery.ok = true;
    return delivery;
}

bool SendPhoneNotice(const TTransportSettings &transport, const TMailSettings &settings,
    const QString &address, const QString &pageUrl, const QDateTime &now, QString *reason)
{
    return SendByTransport(
        settings, PhoneNoticeJob(address, pageUrl),
        [&transport, &settings, &now](const TMailJob &job) {
            return SendBySmtp(transport, settings.account, settings.identity, job, now);
        },
        reason);
}

} // namespace korvatel

#include "net/win_inet.h"
#include "platform/private_files.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>

namespace korvatel
{

namespace
{

// Opens a passive connection, runs op on it and closes it again; false when the login fails.
template <typename Result, typename Op>
Result OneShot(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, Result failed, Op op)
{
    TWinFTP ftp(transport);
    ftp.Passive = true;
    if (!ftp.Login(host, user, password, false))
        return failed;
    Result result = op(ftp);
    ftp.Close();
    return result;
}

} // namespace

bool FtpDirExists(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &path)
{
    return OneShot(transport, host, user, password, false,
        [&](TWinFTP &ftp) { return ftp.Command(QStringLiteral("CWD ") + ftp.AbsolutePath(path)); });
}

bool MakePath(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &mode, const QString &path)
{
    return OneShot(transport, host, user, password, false, [&](TWinFTP &ftp) {
        ftp.ChmodMode = mode;
        const QString target = ftp.AbsolutePath(path);
        if (ftp.Quote({ QStringLiteral("MKD ") + target })) {
            ftp.Chmod(target);
        } else {
            // Walk up until a level can be entered, then make each missing level downwards.
            const QStringList parts = target.split(u'/', Qt::SkipEmptyParts);
            qsizetype level = parts.size() - 1;
            for (; level > 0; --level) {
                if (ftp.ChangeDir(u'/' + parts.mid(0, level).join(u'/')))
                    break;
            }
            for (qsizetype i = std::max<qsizetype>(level, 1); i <= parts.size(); ++i) {
                const QString dir = u'/' + parts.mid(0, i).join(u'/');
                if (ftp.ChangeDir(dir))
                    continue;
                if (ftp.Quote({ QStringLiteral("MKD ") + dir }))
                    ftp.Chmod(dir);
            }
        }
        return ftp.ChangeDir(target);
    });
}

bool FtpPutFileOnce(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &mode, const QString &remote, const QString &local)
{
    return OneShot(transport, host, user, password, false, [&](TWinFTP &ftp) {
        ftp.ChmodMode = mode;
        return ftp.PutFile(local, remote);
    });
}

bool FtpPutTextOnce(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &mode, const QString &text, const QString &remote,
    const QString &tempDir)
{
    // The file lies in this run's private folder: a fixed name in the shared temporary folder
    // could be a link that someone planted, or be read by anyone.
    const QString folder = PrivateTempDir(tempDir.isEmpty() ? QDir::tempPath() : tempDir);
    if (folder.isEmpty())
        return false;
    const QString temp = QDir(folder).filePath(QStringLiteral("f_su"));
    if (!WriteFileAtomic(temp, ToCp932(text), TFileAccess::faPrivate))
        return false;
    const bool ok = FtpPutFileOnce(transport, host, user, password, mode, remote, temp);
    QFile::remove(temp);
    return ok;
}

qint64 FtpRemoteSize(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &remote)
{
    return OneShot(transport, host, user, password, qint64(-1),
        [&](TWinFTP &ftp) { return ftp.FileSize(remote); });
}

bool FtpRenameOnce(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &from, const QString &to)
{
    return OneShot(
        transport, host, user, password, false, [&](TWinFTP &ftp) { return ftp.Rename(from, to); });
}

bool FtpDeleteOnce(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &remote)
{
    return OneShot(transport, host, user, password, false, [&](TWinFTP &ftp) {
        ftp.OnDeleteFailed = [](const QString &) {};
        return ftp.DeleteFile(remote);
    });
}

bool Chmod(const TTransportSettings &transport, const QString &host, const QString &user,
    const QString &password, const QString &mode, const QString &path)
{
    return OneShot(transport, host, user, password, false,
        [&](TWinFTP &ftp) { return ftp.Command(ChmodCommand(QStringLiteral("/"), path, mode)); });
}

QString ChmodCommand(const QString &dir, const QString &path, const QString &mode)
{
    QString target = path.startsWith(u'/') ? path : dir + u'/' + path.section(u'/', -1);
    while (target.contains(QLatin1String("//")))
        target.replace(QLatin1String("//"), QLatin1String("/"));
    return QStringLiteral("SITE CHMOD ") + mode + u' ' + target;
}

QString FormatFileTime(const QDateTime &fileTime, bool dropYear, const QDateTime &now)
{
    QString text = QStringLiteral("0000/00/00 00:00:00");
    if (fileTime.isValid()) {
        QDate date = fileTime.date();
        const QTime time = fileTime.time();
        const QDate today = now.date();
        const QDate yesterday = today.addDays(-1);
        const auto sameDay = [&date](const QDate &other) {
            return date.month() == other.month() && date.day() == other.day();
        };
        if (time != QTime(0, 0) && date.year() == today.year() - 1
            && (sameDay(today) || sameDay(yesterday))) {
            const QDate &match = sameDay(today) ? today : yesterday;
            date = QDate(match.year(), match.month(), match.day());
        }
        text = QString::asprintf("%.4d/%.2d/%.2d %.2d:%.2d:%.2d", date.year(), date.month(),
            date.day(), time.hour(), time.minute(), time.second());
    }
    return dropYear ? text.mid(5) : text;
}

QString SizeTimeMarker(const TFtpEntry &entry, const QDateTime &now)
{
    return QStringLiteral("**Time") + FormatFileTime(entry.lastWrite, false, now)
        + QString::asprintf("**Size%.9lld**", static_cast<long long>(entry.size));
}

} // namespace korvatel

#include "platform/folder_listing.h"

#include <QFile>
#include <algorithm>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvatel
{

namespace
{

// The local calendar fields of a time in seconds since 1970, in the zone RefreshLocalZone read.
void LocalStamp(qint64 seconds, TFileStamp &stamp)
{
    // localtime_r, unlike localtime, keeps the zone that tzset read.
    const time_t t = time_t(seconds);
    struct tm local {
    };
    if (!localtime_r(&t, &local))
        return;
    stamp.year = local.tm_year + 1900;
    stamp.month = local.tm_mon + 1;
    stamp.day = local.tm_mday;
    stamp.hour = local.tm_hour;
    stamp.minute = local.tm_min;
    stamp.second = std::min(local.tm_sec, 59); // a leap second reads as the one before
}

} // namespace

void RefreshLocalZone()
{
    tzset();
}

TFolderReader::TFolderReader(const QString &folder)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    FDir = dir;
    FFd = ::dirfd(dir); // stays open for the status calls until Close
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        const unsigned char type = entry->d_type;
        bool folder = type == DT_DIR;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st {
            };
            if (type == DT_UNKNOWN && ::fstatat(FFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0
                && !S_ISLNK(st.st_mode)) {
                folder = S_ISDIR(st.st_mode);
            } else if (::fstatat(FFd, name, &st, 0) == 0 && S_ISDIR(st.st_mode)) {
                continue; // a link to a folder
            }
        }
        const QByteArray raw(name);
        FEntries.push_back({ QFile::decodeName(raw), raw, folder });
    }
}

TFolderReader::~TFolderReader()
{
    Close();
}

void TFolderReader::Close()
{
    if (FDir)
        ::closedir(static_cast<DIR *>(FDir));
    FDir = nullptr;
    FFd = -1;
}

std::optional<TFileStamp> TFolderReader::Stamp(const TFolderEntry &entry) const
{
    struct stat st {
    };
    if (FFd < 0 || ::fstatat(FFd, entry.rawName.constData(), &st, 0) != 0)
        return std::nullopt;
    TFileStamp stamp;
    stamp.size = qint64(st.st_size);
    LocalStamp(qint64(st.st_mtim.tv_sec), stamp);
    return stamp;
}

std::optional<quint64> DeviceOf(const QString &path)
{
    struct stat st {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return quint64(st.st_dev);
}

} // namespace korvatel

#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace korvatel
{

// The size and last-write time of a file, the time as local calendar fields.
struct TFileStamp {
    qint64 size = 0;
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Reads the time zone once, for the conversions that follow (TFolderReader::Stamp).
// With TZ unset the C library would otherwise look at /etc/localtime again for every single
// conversion; a long walk calls this at its start, so a zone changed meanwhile counts from the
// next walk on.
void RefreshLocalZone();

// The device (st_dev) a folder or file lies on, a final link followed; nullopt when it cannot be
// read. A walk that compares it stays on one filesystem.
std::optional<quint64> DeviceOf(const QString &path);

// One entry of a folder, as its directory lists it.
struct TFolderEntry {
    QString name;
    QByteArray rawName; // the name's bytes on the file system
    bool folder = false; // a folder (a link to a folder is never listed)
};

// Lists a folder in one pass of the directory ("." and ".." left out) and reads the status of
// the entries it lists, one call a file, while the folder stays open. The directory gives each
// entry's type, so folders and plain files cost no call at all; links and entries of unknown
// type are looked at once, and links to folders are left out (a link to a parent would never
// end a walk).
class TFolderReader
{
public:
    explicit TFolderReader(const QString &folder);
    ~TFolderReader();
    TFolderReader(const TFolderReader &) = delete;
    TFolderReader &operator=(const TFolderReader &) = delete;

    // False when the folder could not be opened; it then lists nothing.
    bool Opened() const { return FFd >= 0; }
    const std::vector<TFolderEntry> &Entries() const { return FEntries; }
    std::vector<TFolderEntry> &Entries() { return FEntries; }
    // The size and last-write time of a listed file (links followed); nullopt when it is gone.
    std::optional<TFileStamp> Stamp(const TFolderEntry &entry) const;
    // Gives the folder back; Stamp finds nothing after this.
    void Close();

private:
    void *FDir = nullptr; // the DIR of the listing
    int FFd = -1; // its descriptor
    std::vector<TFolderEntry> FEntries;
};

} // namespace korvatel

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// The pieces of one send: a local file and its remote path (remote folder + "/" + remote name,
// relative to the image server's base folder).
struct TSendItem {
    QString local;
    QString remote;
};

// The send list of an order with its file list and correction list.
class TSendList
{
public:
    // Adds a file under remoteFolder. The remote name has "=", "|" and ";" replaced by their
    // full-width forms and, with unique, gets "(2)", "(3)" … before its extension when the
    // name (upper case) is already used in that folder. A missing or empty local file gives
    // nullopt and the warning text in *warning. With listed, a file list line (remote path
    // "=" size, then ";" correction when given) and, for a correction, a correction list line
    // are added. Returns the remote name used.
    std::optional<QString> Add(const QString &local, const QString &remoteFolder,
        const QString &remoteName, bool unique, bool listed, const QString &correction = {},
        QString *warning = nullptr);
    // Puts a file at the front of the list (the entry and correction files).
    void Prepend(const QString &local, const QString &remote);
    // A list as an interrupted send left it: what is still to be sent and the file list.
    static TSendList Restored(QList<TSendItem> items, QStringList fileList);

    QList<TSendItem> &Items() { return FItems; }
    const QList<TSendItem> &Items() const { return FItems; }
    const QStringList &FileList() const { return FFileList; }
    const QStringList &CorrectionList() const { return FCorrectionList; }
    // The list as text lines, local path ";" remote path.
    QStringList Lines() const;

private:
    QList<TSendItem> FItems;
    QStringList FFileList;
    QStringList FCorrectionList;
    QStringList FUsedNames; // "FOLDER/NAME" in upper case
};

// "=" → "＝", "|" → "｜", ";" → "；"; each character that Shift-JIS cannot hold becomes "_".
QString FullWidthRemoteName(const QString &name);
// The warning for a file that is missing or empty.
QString NotFoundWarning(const QString &path);

// Each character that Shift-JIS cannot hold becomes "_", so that two names stay two on the
// server instead of both turning into "?".
QString Cp932Safe(QString name);

} // namespace korvatel

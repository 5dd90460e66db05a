#include "ordering/order_journal.h"

#include "platform/private_files.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace korvatel
{

namespace
{

// No journal comes near this: a bigger file is damaged.
constexpr qint64 kMaxJournalSize = 16 * 1024 * 1024;

// Values are percent-encoded, so a line break in a file name cannot make a line of its own.
QString Encoded(const QString &value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value, "/ :()[]"));
}

QString Decoded(QStringView value)
{
    return QUrl::fromPercentEncoding(value.toLatin1());
}

// A rename is on the disk only once its folder is.
void SyncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool SafeRemote(const QString &path)
{
    return !path.isEmpty() && !path.startsWith(u'/') && !path.contains(u'\\')
        && !path.split(u'/').contains(QStringLiteral(".."));
}

bool SafeName(const QString &name)
{
    if (name.isEmpty() || name.size() > 200)
        return false;
    // The name is a folder on the shop's server: nothing that leaves it or breaks a line.
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u'.' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

} // namespace

QString TOrderJournal::FilePath(const QString &korvaDpof)
{
    return QDir(korvaDpof).filePath(QStringLiteral("OrderJournal.txt"));
}

QByteArray TOrderJournal::Bytes() const
{
    QStringList lines;
    const auto put = [&lines](const char *key, const QString &value) {
        lines << QLatin1String(key) + u'=' + Encoded(value);
    };
    put("State", state == jsSent ? QStringLiteral("sent") : QStringLiteral("sending"));
    put("Name", name);
    put("Folder", localFolder);
    put("Start", start.toString(Qt::ISODateWithMs));
    put("Message", messageFile);
    put("Entry", entryFile);
    put("Correction", correctionFile);
    put("Count", countFile);
    put("Payment", QString::number(payment));
    put("Kind", paymentKind);
    put("CardOrderId", cardOrderId);
    put("Amount", QString::number(qint64(amount)));
    put("Record", startedRecord);
    for (const TSendItem &item : sendList)
        put("Send", Encoded(item.local) + u'|' + Encoded(item.remote));
    for (const QString &line : fileList)
        put("File", line);
    for (const QString &line : creditLines)
        put("Credit", line);
    for (const QString &item : items)
        put("Item", item);
    return (lines.join(u'\n') + u'\n').toUtf8();
}

bool TOrderJournal::Save(const QString &korvaDpof) const
{
    if (!MakePrivateFolder(korvaDpof)
        || !WriteFileAtomic(FilePath(korvaDpof), Bytes(), TFileAccess::faPrivate))
        return false;
    SyncFolder(korvaDpof);
    return true;
}

std::optional<TOrderJournal> TOrderJournal::Load(const QString &korvaDpof)
{
    const std::optional<QByteArray> data = ReadWholeFile(FilePath(korvaDpof), kMaxJournalSize);
    return data ? FromBytes(*data) : std::nullopt;
}

std::optional<TOrderJournal> TOrderJournal::FromBytes(const QByteArray &bytes)
{
    if (bytes.size() > kMaxJournalSize)
        return std::nullopt;
    TOrderJournal journal;
    for (const QString &line : QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QStringView key = QStringView(line).left(eq);
        const QString value = Decoded(QStringView(line).mid(eq + 1));
        if (key == u"State")
            journal.state = value == QLatin1String("sent") ? jsSent : jsSending;
        else if (key == u"Name")
            journal.name = value;
        else if (key == u"Folder")
            journal.localFolder = value;
        else if (key == u"Start")
            journal.start = QDateTime::fromString(value, Qt::ISODateWithMs);
        else if (key == u"Message")
            journal.messageFile = value;
        else if (key == u"Entry")
            journal.entryFile = value;
        else if (key == u"Correction")
            journal.correctionFile = value;
        else if (key == u"Count")
            journal.countFile = value;
        else if (key == u"Payment")
            journal.payment = value.toInt();
        else if (key == u"Kind")
            journal.paymentKind = value;
        else if (key == u"CardOrderId")
            journal.cardOrderId = value;
        else if (key == u"Amount")
            journal.amount = double(std::clamp(value.toLongLong(), 0LL, 1000000000000LL));
        else if (key == u"Record")
            journal.startedRecord = value;
        else if (key == u"Send")
            journal.sendList.append(
                { Decoded(value.section(u'|', 0, 0)), Decoded(value.section(u'|', 1)) });
        else if (key == u"File")
            journal.fileList << value;
        else if (key == u"Credit")
            journal.creditLines << value;
        else if (key == u"Item")
            journal.items << value;
    }
    if (!SafeName(journal.name) || journal.startedRecord.contains(u'/'))
        return std::nullopt;
    for (const TSendItem &item : journal.sendList) {
        if (!SafeRemote(item.remote))
            return std::nullopt;
    }
    return journal;
}

bool TOrderJournal::Remove(const QString &korvaDpof)
{
    const QString path = FilePath(korvaDpof);
    if (!QFile::exists(path))
        return true;
    if (!QFile::remove(path))
        return false;
    SyncFolder(korvaDpof);
    return true;
}

TOrderJournal TOrderJournal::Of(const TPackedOrder &order)
{
    TOrderJournal journal;
    journal.name = order.name;
    journal.localFolder = order.localFolder;
    journal.start = order.start;
    journal.messageFile = order.messageFile;
    journal.entryFile = order.entryFile;
    journal.correctionFile = order.correctionFile;
    journal.countFile = order.countFile;
    journal.sendList = order.sendList.Items();
    journal.fileList = order.sendList.FileList();
    return journal;
}

std::optional<TPackedOrder> TOrderJournal::Packed() const
{
    std::optional<QStringList> message = ReadSjisLines(messageFile);
    if (!message)
        return std::nullopt;
    TPackedOrder order;
    order.localFolder = localFolder;
    order.name = name;
    order.sendList = TSendList::Restored(sendList, fileList);
    order.messageFile = messageFile;
    order.entryFile = entryFile;
    order.correctionFile = correctionFile;
    order.countFile = countFile;
    order.messageLines = std::move(*message);
    order.start = start;
    return order;
}

} // namespace korvatel

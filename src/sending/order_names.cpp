#include "sending/order_names.h"

#include "platform/private_files.h"
#include "text/file_names.h"

#include <QDir>

namespace korvatel
{

QString OrderStamp(const QDateTime &when, int counter)
{
    return when.toString(QStringLiteral("yyyyMMdd-hhmmss")) + QString::asprintf("%.3d", counter);
}

int MakeLocalOrderFolder(const QString &workDir, const QDateTime &when, QString *folder)
{
    // The order folders hold the customer's name, address, telephone and photos: the work
    // folder and each order folder are their owner's alone.
    QDir work(workDir);
    if (!MakePrivateFolder(workDir))
        return -1;
    // A few thousand tries: each one means an order folder of the same second already exists.
    for (int counter = when.time().msec(), tries = 0; tries < 5000; ++counter, ++tries) {
        const QString name = OrderStamp(when, counter);
        if (work.exists(name))
            continue;
        if (!work.mkdir(name, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return -1;
        if (folder)
            *folder = work.filePath(name);
        return counter;
    }
    return -1;
}

QString RemoteOrderName(const QDateTime &when, int counter, const TOrderCustomer &customer)
{
    // The identification code becomes part of folder names here and on the server: it must
    // not leave the order's folder.
    const QString code = SafeFileNamePart(customer.acount.trimmed()).replace(u'.', u'_');
    return OrderStamp(when, counter) + u'-' + DigitsOf(customer.tel1) + u'-' + code;
}

} // namespace korvatel

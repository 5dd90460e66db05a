#include "cli/order_commands.h"

#include "order/consistency.h"
#include "order/thumb_nails.h"
#include "platform/clock.h"
#include "pricing/price_tables.h"
#include "pricing/shop_data.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <climits>

namespace korvatel
{

namespace
{

QString Usage()
{
    return QStringLiteral("usage: basket MEMORY [--campus] [--shop HOSTFMT] [--check] "
                          "[--add PICTURE... [--size S] [--count N] [--disk D]]\n");
}

void PrintBasket(const TThumbNails &list, QTextStream &out)
{
    out << "items=" << list.Count() << " prints=" << list.OrderCount() << " cd=" << list.CdCount()
        << " cd_bytes=" << list.CdBytes() << " bad=" << list.BadCount() << '\n';
    for (int i = 0; i < list.Count(); ++i) {
        const TThumbNail &item = *list.Item(i);
        QStringList flags;
        if (item.CdOrder)
            flags << QStringLiteral("cd");
        if (item.DatePrint)
            flags << QStringLiteral("date");
        if (item.Repeated)
            flags << QStringLiteral("repeat");
        if (item.Project)
            flags << QStringLiteral("project");
        out << item.Serial << '\t' << OrderTypeNames().value(item.OrderType) << '\t' << item.DiskNo
            << '\t' << item.FullPath << '\t' << item.FileSize << '\t' << item.Orders.join(u',')
            << '\t' << item.CurrentSize << '\t' << item.TotalCount << '\t' << flags.join(u',')
            << '\n';
    }
    for (const TPrintLine &line : list.Aggregate().prints)
        out << "print " << PrintLineText(line) << '\n';
    for (const TCampusLine &line : list.Aggregate().campus)
        out << "campus " << CampusLineText(line) << '\n';
}

} // namespace

int BasketCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString memory;
    QString shop;
    QStringList add;
    QString size;
    int count = 1;
    int disk = 1;
    bool campus = false;
    bool check = false;
    bool adding = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        if (arg == QLatin1String("--campus")) {
            campus = true;
        } else if (arg == QLatin1String("--check")) {
            check = true;
        } else if (arg == QLatin1String("--add")) {
            adding = true;
        } else if (arg == QLatin1String("--shop") || arg == QLatin1String("--size")
            || arg == QLatin1String("--count") || arg == QLatin1String("--disk")) {
            const std::optional<QString> v = value();
            bool ok = true;
            if (!v) {
                ok = false;
            } else if (arg == QLatin1String("--shop")) {
                shop = *v;
            } else if (arg == QLatin1String("--size")) {
                size = *v;
            } else {
                (arg == QLatin1String("--count") ? count : disk) = v->toInt(&ok);
            }
            if (!ok) {
                err << arg << " takes a value\n" << Usage();
                return 2;
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            err << "unknown option: " << arg << '\n' << Usage();
            return 2;
        } else if (memory.isEmpty()) {
            memory = arg;
        } else if (adding) {
            add << arg;
        } else {
            err << Usage();
            return 2;
        }
    }
    if (memory.isEmpty() || (adding && add.isEmpty())) {
        err << Usage();
        return 2;
    }

    TPriceTables tables;
    TOrderContext context;
    if (!shop.isEmpty()) {
        const std::optional<TShopData> data = TShopData::LoadContainer(shop);
        if (!data) {
            err << "cannot read " << shop << '\n';
            return 1;
        }
        tables.Load(*data);
        context.tables = &tables;
    }
    TCampusPriceLists campusLists;
    context.campus = &campusLists;
    context.works = QFileInfo(memory).absoluteDir().filePath(QStringLiteral("Works"));
    TThumbNails list(context);
    const QString mainFile = campus ? QString() : memory;
    const QString campusFile = campus ? memory : QString();
    list.LoadMemory(mainFile, campusFile);

    if (!add.isEmpty()) {
        for (const QString &picture : add) {
            const QString path = QFileInfo(picture).absoluteFilePath();
            if (IsCampusPicture(path) != campus) {
                err << picture << ": " << (campus ? "not" : "a") << " campus picture, skipped\n";
                continue;
            }
            TThumbNail *item = list.AddPicture(disk, path, false, count, size);
            item->FileSize = qint32(std::min<qint64>(QFileInfo(path).size(), INT_MAX));
        }
        list.Recount();
        list.RebuildAggregate();
        if (!list.SaveMemory(mainFile, campusFile, SystemClock())) {
            err << "cannot write " << memory << '\n';
            return 1;
        }
    }
    PrintBasket(list, out);
    if (!check)
        return 0;
    const TConsistencyProblems problems = FindProblems(list);
    for (const TThumbNail *item : problems.vanished)
        out << "vanished " << item->FullPath << '\n';
    for (const THiddenSize &hidden : problems.hidden)
        out << "withdrawn " << hidden.size << ' ' << hidden.item->FullPath << '\n';
    return problems.Empty() ? 0 : 1;
}

} // namespace korvatel

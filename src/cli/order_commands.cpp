#include "cli/order_commands.h"

#include "order/consistency.h"
#include "order/relink.h"
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
    return QStringLiteral(
        "usage: basket MEMORY [--campus] [--shop HOSTFMT] [--check] "
        "[--relink [--root DIR]... [--search-root DIR]...] [--add PICTURE... [--size S] "
        "[--count N] [--disk D]]\n"
        "  --relink  with --check: look for vanished pictures that were moved or "
        "renamed\n"
        "            (same size and content checksum) around their old folders "
        "and under\n"
        "            each --root, and point the items at them\n"
        "  --search-root DIR  look only under these folders, not around the old "
        "folders\n");
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

// The arguments of "basket".
struct TBasketArgs {
    QString memory;
    QString shop;
    QStringList add;
    QString size;
    int count = 1;
    int disk = 1;
    bool campus = false;
    bool check = false;
    bool relink = false;
    QStringList roots; // walked after the folders around the old places
    QStringList searchRoots; // when given, walked instead of all others
};

// Takes the value of an option that has one; false when it is missing or not a number.
bool TakeBasketValue(const QString &arg, const std::optional<QString> &value, TBasketArgs &a)
{
    if (!value)
        return false;
    bool ok = true;
    if (arg == QLatin1String("--shop"))
        a.shop = *value;
    else if (arg == QLatin1String("--size"))
        a.size = *value;
    else if (arg == QLatin1String("--root"))
        a.roots << *value;
    else if (arg == QLatin1String("--search-root"))
        a.searchRoots << *value;
    else
        (arg == QLatin1String("--count") ? a.count : a.disk) = value->toInt(&ok);
    return ok;
}

// 1. The arguments; nullopt after the usage was printed.
std::optional<TBasketArgs> ParseBasketArgs(const QStringList &args, QTextStream &err)
{
    TBasketArgs a;
    bool adding = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--campus")) {
            a.campus = true;
        } else if (arg == QLatin1String("--check")) {
            a.check = true;
        } else if (arg == QLatin1String("--relink")) {
            a.relink = true;
        } else if (arg == QLatin1String("--add")) {
            adding = true;
        } else if (arg == QLatin1String("--shop") || arg == QLatin1String("--size")
            || arg == QLatin1String("--count") || arg == QLatin1String("--disk")
            || arg == QLatin1String("--root") || arg == QLatin1String("--search-root")) {
            const std::optional<QString> value
                = i + 1 < args.size() ? std::optional<QString>(args[++i]) : std::nullopt;
            if (!TakeBasketValue(arg, value, a)) {
                err << arg << " takes a value\n" << Usage();
                return std::nullopt;
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            err << "unknown option: " << arg << '\n' << Usage();
            return std::nullopt;
        } else if (a.memory.isEmpty()) {
            a.memory = arg;
        } else if (adding) {
            a.add << arg;
        } else {
            err << Usage();
            return std::nullopt;
        }
    }
    if (a.memory.isEmpty() || (adding && a.add.isEmpty()) || (a.relink && !a.check)) {
        err << Usage();
        return std::nullopt;
    }
    return a;
}

// Recounts the basket and writes it back; false (after saying so) when it cannot be written.
bool SaveBasket(TThumbNails &list, const TBasketArgs &a, const QString &mainFile,
    const QString &campusFile, QTextStream &err)
{
    list.Recount();
    list.RebuildAggregate();
    if (!list.SaveMemory(mainFile, campusFile, SystemClock())) {
        err << "cannot write " << a.memory << '\n';
        return false;
    }
    return true;
}

// 3. Adds the pictures that belong in this basket (campus or not) and saves it.
bool AddPictures(TThumbNails &list, const TBasketArgs &a, const QString &mainFile,
    const QString &campusFile, QTextStream &err)
{
    for (const QString &picture : a.add) {
        const QString path = QFileInfo(picture).absoluteFilePath();
        if (IsCampusPicture(path) != a.campus) {
            err << picture << ": " << (a.campus ? "not" : "a") << " campus picture, skipped\n";
            continue;
        }
        if (!OrderMemoryCanHold(path)) {
            err << picture << ": the basket file cannot keep this name, skipped\n";
            continue;
        }
        TThumbNail *item = list.AddPicture(a.disk, path, false, a.count, a.size);
        item->FileSize = qint32(std::min<qint64>(QFileInfo(path).size(), INT_MAX));
        // No window waits here: the whole-file hash is taken at once.
        if (!item->Checksum.isEmpty())
            item->WholeHash = PictureWholeHash(path);
    }
    return SaveBasket(list, a, mainFile, campusFile, err);
}

// 5a. Moved pictures found again: every match is taken (the checksum proves it is the same
// picture), and the basket is saved when an item changed.
bool RelinkMoved(TThumbNails &list, const TBasketArgs &a, const QString &mainFile,
    const QString &campusFile, QTextStream &out, QTextStream &err)
{
    const QList<const TThumbNail *> vanished = FindProblems(list).vanished;
    if (vanished.isEmpty())
        return true;
    QStringList roots;
    for (const QString &root : a.searchRoots.isEmpty() ? a.roots : a.searchRoots)
        roots << QFileInfo(root).absoluteFilePath();
    if (a.searchRoots.isEmpty())
        roots << MovedSearchRoots(vanished, {}, {});
    const TRelinkSearch search = FindMovedPictures(list, vanished, roots, {});
    int relinked = 0;
    for (const TFoundPicture &found : search.found) {
        TThumbNail *item = list.Item(list.IndexOf(found.item));
        const QString old = item ? item->FullPath : QString();
        if (item && RelinkItem(list, *item, found.path)) {
            out << "relinked " << old << " -> " << found.path << '\n';
            ++relinked;
        }
    }
    for (const TThumbNail *item : search.unverifiable)
        out << "unverifiable " << item->FullPath << " (no checksum stored, not looked for)\n";
    if (search.stopped)
        err << "search stopped at its limit after " << search.filesSeen << " files\n";
    return relinked == 0 || SaveBasket(list, a, mainFile, campusFile, err);
}

// 5. The consistency check: 1 when problems are found.
int PrintProblems(const TThumbNails &list, QTextStream &out)
{
    const TConsistencyProblems problems = FindProblems(list);
    for (const TThumbNail *item : problems.vanished)
        out << "vanished " << item->FullPath << '\n';
    for (const THiddenSize &hidden : problems.hidden)
        out << "withdrawn " << hidden.size << ' ' << hidden.item->FullPath << '\n';
    return problems.Empty() ? 0 : 1;
}

} // namespace

int BasketCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::optional<TBasketArgs> a = ParseBasketArgs(args, err);
    if (!a)
        return 2;

    // 2. The basket with the shop's tables when a shop is given.
    TPriceTables tables;
    TOrderContext context;
    if (!a->shop.isEmpty()) {
        const std::optional<TShopData> data = TShopData::LoadContainer(a->shop);
        if (!data) {
            err << "cannot read " << a->shop << '\n';
            return 1;
        }
        tables.Load(*data);
        context.tables = &tables;
    }
    TCampusPriceLists campusLists;
    context.campus = &campusLists;
    context.works = QFileInfo(a->memory).absoluteDir().filePath(QStringLiteral("Works"));
    TThumbNails list(context);
    const QString mainFile = a->campus ? QString() : a->memory;
    const QString campusFile = a->campus ? a->memory : QString();
    list.LoadMemory(mainFile, campusFile);

    if (!a->add.isEmpty() && !AddPictures(list, *a, mainFile, campusFile, err))
        return 1;
    if (a->relink && !RelinkMoved(list, *a, mainFile, campusFile, out, err))
        return 1;
    // 4. The basket as it stands.
    PrintBasket(list, out);
    return a->check ? PrintProblems(list, out) : 0;
}

} // namespace korvatel

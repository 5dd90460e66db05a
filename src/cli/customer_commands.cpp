#include "cli/customer_commands.h"

#include "customer/order_history.h"
#include "platform/user_folders.h"

#include <QTextStream>

namespace korvatel
{

int HistoryCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString folder = TOrderHistory::DefaultFolder(TUserFolders::FromEnvironment());
    QString show;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--folder") && i + 1 < args.size()) {
            folder = args.at(++i);
        } else if (args.at(i) == QLatin1String("--show") && i + 1 < args.size()) {
            show = args.at(++i);
        } else {
            err << "unknown argument " << args.at(i) << '\n';
            return 2;
        }
    }
    const TOrderHistory history(folder);
    if (!show.isEmpty()) {
        const std::optional<QStringList> lines = HistoryViewText(history.FilePath(show));
        if (!lines) {
            err << "cannot read " << show << '\n';
            return 1;
        }
        for (const QString &line : *lines)
            out << line << '\n';
        return 0;
    }
    for (const TOrderHistRec &entry : history.LoadList()) {
        out << entry.fileName << '\t' << EntryText(entry) << '\n';
        if (entry.isBundle) {
            TOrderHistRec open = entry;
            open.expanded = 1;
            for (const QString &line : BundleItemLines(open))
                out << '\t' << line << '\n';
        }
    }
    return 0;
}

} // namespace korvatel

#include "cli/sources_commands.h"

#include "platform/user_folders.h"
#include "sources/date_scan.h"
#include "text/sjis_file.h"
#include "workspace/option_settings.h"

#include <QDir>
#include <QTextStream>

namespace korvatel
{

int CliDateScan(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QStringList folders = args;
    const bool full = folders.removeAll(QStringLiteral("--full")) > 0;
    QString tree;
    const int at = folders.indexOf(QStringLiteral("--tree"));
    if (at >= 0) {
        tree = folders.value(at + 1);
        folders.remove(at, std::min<qsizetype>(2, folders.size() - at));
    }
    if (folders.isEmpty() || (at >= 0 && tree.isEmpty())) {
        err << "usage: date-scan [--full] [--tree DIR] FOLDER...\n";
        return 2;
    }
    TOptionSettings option;
    option.FullMake = full;
    TDateScanner scanner(ScanRulesFrom(option, TUserFolders::FromEnvironment(), {}));
    QStringList lines;
    for (const QString &folder : folders)
        scanner.ScanFolder(QDir(folder).absolutePath(), lines, true);
    const TDateLists lists = *BuildDateLists(lines);
    out << "lines=" << lists.lines.size() << '\n' << "pictures=" << lists.pictures << '\n';
    for (const TDateNode &year : lists.years) {
        out << year.text << '\n';
        for (const TDateNode &month : year.children) {
            out << "  " << month.text << '\n';
            for (const TDateNode &day : month.children)
                out << "    " << day.text << '\n';
        }
    }
    if (!tree.isEmpty()) {
        QDir().mkpath(tree);
        DeleteMonthFiles(tree);
        if (!WriteSjisLines(DateDataPath(tree), lists.lines) || !WriteMonthFiles(tree, lists)) {
            err << "cannot write the date list into " << tree << '\n';
            return 1;
        }
    }
    return 0;
}

} // namespace korvatel

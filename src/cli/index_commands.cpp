#include "cli/index_commands.h"

#include "index/index_format.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

namespace korvatel
{

int CliIndexSheet(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString layout;
    QString folder;
    QStringList pictures;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if ((arg == QLatin1String("--layout") || arg == QLatin1String("--out"))
            && i + 1 < args.size()) {
            (arg == QLatin1String("--layout") ? layout : folder) = args.at(++i);
        } else if (arg.startsWith(QLatin1String("--"))) {
            err << "unknown or incomplete option: " << arg << '\n';
            return 2;
        } else {
            pictures.append(arg);
        }
    }
    if (folder.isEmpty() || pictures.isEmpty()) {
        err << "usage: index-sheet [--layout FILE.nxf] --out FOLDER PICTURE...\n";
        return 2;
    }
    if (!qGuiApp) {
        err << "index-sheet needs a GUI application for its fonts\n";
        return 1;
    }
    TIndexFormat format;
    if (layout.isEmpty()) {
        format.LoadLayout(TIndexFormat::DefaultLayoutName(), {});
    } else {
        const QFileInfo file(layout);
        if (!file.isFile() || file.suffix().compare(QLatin1String("nxf"), Qt::CaseInsensitive) != 0
            || !format.LoadLayout(file.completeBaseName(), file.absolutePath())
            || format.LayoutName == TIndexFormat::DefaultLayoutName()) {
            err << "cannot read the layout " << layout << '\n';
            return 1;
        }
    }
    if (!QDir().mkpath(folder)) {
        err << "cannot make the folder " << folder << '\n';
        return 1;
    }
    for (const QString &picture : pictures)
        format.AddImage(QFileInfo(picture).absoluteFilePath());
    QStringList written;
    if (!format.WritePages(folder, written)) {
        err << "the index sheets could not be written\n";
        return 1;
    }
    for (const QString &path : written)
        out << path << '\n';
    return 0;
}

} // namespace korvatel

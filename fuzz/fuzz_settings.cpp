// Every settings file of the workspace read from arbitrary bytes gives values within their
// ranges without a crash. Writing is left to the tests: its atomic rename and sync would slow
// the fuzzer to a crawl.
#include "text/sjis_file.h"
#include "workspace/option_settings.h"
#include "workspace/shop_options.h"
#include "workspace/state_settings.h"
#include "workspace/workspace_settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace korvatel;
    static QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.ini"));
    if (!WriteFileAtomic(
            in, QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))))
        return 0;

    TStateSettings state;
    state.Load(in);
    if (state.ListSort < 0 || state.ListSort > 4 || state.NailHeights < 80
        || state.NailHeights > 800 || state.PostNailHeights < 100 || state.PostNailHeights > 500)
        std::abort();

    TOptionSettings option;
    option.Load(in);
    if (option.Gif || option.Png || option.MinSize < 0 || option.MaxSize < 0)
        std::abort();

    TOption2Settings option2;
    option2.Load(in, true);
    TDefaultSettings defaults;
    defaults.Load(in, { QStringLiteral("L") }, true);
    LoadTransMode(in);
    TDateOutFolderList list;
    list.Load(in);
    list.ActiveFolders();
    TNodeExp nodes;
    nodes.Load(in);
    LoadLastRead(in);
    TCustomColors colors;
    colors.Load(in);
    if (const std::optional<QStringList> lines = ReadSjisLines(in))
        TShopOptions::FromOptionTable(*lines);
    return 0;
}

#include "index/index_sheets.h"

#include "index/index_format.h"

namespace korvatel
{

TIndexFormat &GlobalIndexFormat()
{
    static TIndexFormat format = [] {
        TIndexFormat f;
        f.LoadLayout(TIndexFormat::DefaultLayoutName(), {});
        return f;
    }();
    return format;
}

QStringList MakeIndexSheets(const QStringList &pictures, const QString &orderFolder)
{
    // A copy, so one order's image list and page cursor never reach the next.
    TIndexFormat format = GlobalIndexFormat();
    format.OnProgress = {};
    format.OnUpload = {};
    format.ResetImages();
    for (const QString &picture : pictures)
        format.AddImage(picture);
    QStringList written;
    if (!format.WritePages(orderFolder, written))
        return {};
    return written;
}

int IndexSheetCount(int pictures)
{
    if (pictures <= 0)
        return 0;
    const std::optional<TGridGeometry> grid = GlobalIndexFormat().Grid();
    const int perPage = grid ? grid->PerPage() : 0;
    if (perPage <= 0)
        return 1;
    return int((qint64(pictures) + perPage - 1) / perPage);
}

} // namespace korvatel

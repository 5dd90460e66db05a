#pragma once

#include <QString>

namespace korvatel
{

// The source modes of the main window and the pages that show them.
enum TSourceMode {
    smTemplate = 1, // "ｶｰﾄﾞ": the shop's card templates
    smFolder = 2, // "ﾌｫﾙﾀﾞ": the folder tree
    smDate = 3, // "日付": the date tree
    smCategory = 4, // "ｷｬﾝﾊﾟｽ": the campus category tree
    smShop = 5, // "楽市": the shop page
    smTicket = 6, // "楽座": the ticket page
};
inline constexpr int kSourceModeCount = 6;

// The page caption of a mode; empty for a mode out of range.
QString SourcePageCaption(int mode);
// The mode of a page caption; a caption not in the table gives the folder mode.
int SourceModeOfCaption(const QString &caption);
// The shop switch file that makes the page of a mode visible ("Card.on", "Camp.on",
// "Mall.on", "Pos.on"); empty for the folder and date pages, which are always shown.
QString SourcePageSwitch(int mode);
// What the card template, shop and ticket pages say while the shop offers nothing on them: the
// page and that there is nothing there now. Empty for the other modes.
QString SourcePageEmptyText(int mode);

} // namespace korvatel

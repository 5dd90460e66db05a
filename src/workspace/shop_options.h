#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace korvatel
{

// The CD-R index kinds of `CdrNdxType`: nxJPG orders carry index sheets as JPEG prints.
enum TCdrIndexKind { nxNone, nxJPG };
const QStringList &CdrIndexKindNames();
// A CD-R index kind as the shop data writes it: its number, or its name ignoring case; nxNone
// for anything else.
int CdrIndexKindOf(const QString &text);

// The shop's options that the main window applies at start, read from the option table of the
// shop data ("Name=Value" lines). Missing keys, and values that are not numbers, keep the
// defaults below.
struct TShopOptions {
    int ThumbColCount = 3;
    int ThumbCType = 0;
    bool BtnRightAlign = false;
    bool SizeBtnLeft = false;
    bool PlusBtnLeft = false;
    std::optional<int> CopyBtnType; // nullopt: the order grid's own default
    int FinesLow = 600;
    int FinesHi = 680;
    int CdrType = 0;
    int CdrNdxType = nxNone; // TCdrIndexKind, by number or by name
    QString CdrNdxSize = QStringLiteral("L"); // the print size of the index sheets
    std::optional<int> DateColor; // nullopt: the imprint's own colour
    bool DateItalic = false; // DateStyle holds "fsItalic"
    bool DateBold = false; // DateStyle holds "fsBold"
    bool DateShadow = false;
    bool DefDateNotPrint = false;
    bool CustDateNotEdit = false;
    QString Shop; // "_SHOP_"
    QString Tel; // "_TEL_"
    QString Address; // "_ADRS_"
    QString HomePage; // "_HOMEPAGE_"
    QString Message; // "_MESS_"
    QString SentDate; // "_SentDate_"
    QString SentAten; // "_SentAten_"
    QString HokanAten; // "_HokanAten_"
    QString TemplateId; // "_ID_"
    bool AllId = false; // "_AllID_"
    int FukidashiColor = 0xFFFFFF; // speech balloons of cards: white
    int FukidashiTextColor = 0x000000; // with black text

    // CD-R orders carry index sheets, ordered as one print each in CdrNdxSize.
    bool IndexSheets() const { return CdrNdxType == nxJPG; }

    static TShopOptions FromOptionTable(const QStringList &lines);
};

} // namespace korvatel

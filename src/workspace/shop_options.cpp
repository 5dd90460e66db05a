#include "workspace/shop_options.h"

#include "text/key_file.h"

#include <limits>

namespace korvatel
{

namespace
{

// A key without a default of its own: nullopt when missing or not a number.
std::optional<int> OptionalInteger(const TKeyFile &table, const QString &name)
{
    constexpr int kMissing = std::numeric_limits<int>::min();
    const int value = table.Integer(name, kMissing);
    return value == kMissing ? std::nullopt : std::optional<int>(value);
}

} // namespace

const QStringList &CdrIndexKindNames()
{
    static const QStringList names { QStringLiteral("nxNone"), QStringLiteral("nxJPG") };
    return names;
}

int CdrIndexKindOf(const QString &text)
{
    const QString value = text.trimmed();
    bool number = false;
    const int kind = value.toInt(&number);
    if (number)
        return kind >= nxNone && kind <= nxJPG ? kind : nxNone;
    for (qsizetype i = 0; i < CdrIndexKindNames().size(); ++i) {
        if (value.compare(CdrIndexKindNames().at(i), Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return nxNone;
}

TShopOptions TShopOptions::FromOptionTable(const QStringList &lines)
{
    const TKeyFile table(lines);
    TShopOptions o;
    const auto integer = [&table](const char *name, int &value) {
        value = table.Integer(QString::fromLatin1(name), value);
    };
    const auto flag = [&table](const char *name, bool &value) {
        if (table.HasName(QString::fromLatin1(name)))
            value = table.Bool(QString::fromLatin1(name));
    };
    const auto text = [&table](const char *name, QString &value) {
        if (table.HasName(QString::fromLatin1(name)))
            value = table.Value(QString::fromLatin1(name));
    };

    integer("ThumbColCount", o.ThumbColCount);
    integer("ThumbCType", o.ThumbCType);
    flag("BtnRightAlign", o.BtnRightAlign);
    flag("SizeBtnLeft", o.SizeBtnLeft);
    flag("PlusBtnLeft", o.PlusBtnLeft);
    if (const std::optional<int> value = OptionalInteger(table, QStringLiteral("CopyBtnType")))
        o.CopyBtnType = value;
    integer("FinesLow", o.FinesLow);
    integer("FinesHi", o.FinesHi);
    integer("CdrType", o.CdrType);
    // Shop data writes the index kind as its number or as its name ("nxJPG").
    if (table.HasName(QStringLiteral("CdrNdxType")))
        o.CdrNdxType = CdrIndexKindOf(table.Value(QStringLiteral("CdrNdxType")));
    text("CdrNdxSize", o.CdrNdxSize);
    if (const std::optional<int> value = OptionalInteger(table, QStringLiteral("DateColor")))
        o.DateColor = value;
    const QString style = table.Value(QStringLiteral("DateStyle"));
    o.DateItalic = style.contains(QLatin1String("fsItalic"), Qt::CaseInsensitive);
    o.DateBold = style.contains(QLatin1String("fsBold"), Qt::CaseInsensitive);
    flag("DateShadow", o.DateShadow);
    flag("DefDateNotPrint", o.DefDateNotPrint);
    flag("CustDateNotEdit", o.CustDateNotEdit);
    text("_SHOP_", o.Shop);
    text("_TEL_", o.Tel);
    text("_ADRS_", o.Address);
    text("_HOMEPAGE_", o.HomePage);
    text("_MESS_", o.Message);
    text("_SentDate_", o.SentDate);
    text("_SentAten_", o.SentAten);
    text("_HokanAten_", o.HokanAten);
    text("_ID_", o.TemplateId);
    flag("_AllID_", o.AllId);
    integer("FukidashiColor", o.FukidashiColor);
    integer("FukidashiTextColor", o.FukidashiTextColor);
    if (o.ThumbColCount < 1)
        o.ThumbColCount = 1;
    return o;
}

} // namespace korvatel

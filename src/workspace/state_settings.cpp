#include "workspace/state_settings.h"

#include "text/key_file.h"

#include <algorithm>

namespace korvatel
{

namespace
{

// The table of State.ini's plain keys: name and member, read and written alike. Keys with a
// rule of their own (clamping, "written only when …") are handled beside it.
struct TIntKey {
    const char *name;
    int TStateSettings::*member;
};
struct TBoolKey {
    const char *name;
    bool TStateSettings::*member;
    bool defaultTrue;
};
struct TTextKey {
    const char *name;
    QString TStateSettings::*member;
};

const TIntKey kIntKeys[] = {
    { "MaxZoom", &TStateSettings::MaxZoom },
    { "BoxColor", &TStateSettings::BoxColor },
    { "FilmColor", &TStateSettings::FilmColor },
    { "ThumbType", &TStateSettings::ThumbType },
    { "PartsPnlColor", &TStateSettings::PartsPnlColor },
    { "ObjectColor", &TStateSettings::ObjectColor },
    { "CardBackColor", &TStateSettings::CardBackColor },
    { "CheckSize", &TStateSettings::CheckSize },
    { "CheckPos", &TStateSettings::CheckPos },
    { "CheckColor", &TStateSettings::CheckColor },
    { "CheckMark", &TStateSettings::CheckMark },
    { "GridColor", &TStateSettings::GridColor },
    { "Interval", &TStateSettings::Interval },
    { "ChkMemIntTag", &TStateSettings::ChkMemIntTag },
    { "FolderWidth", &TStateSettings::FolderWidth },
    { "PanelRBHeight", &TStateSettings::PanelRBHeight },
    { "AnchorWide", &TStateSettings::AnchorWide },
    { "OrderPlateType", &TStateSettings::OrderPlateType },
    { "WorkPix", &TStateSettings::WorkPix },
};

const TBoolKey kBoolKeys[] = {
    { "FilmDate", &TStateSettings::FilmDate, false },
    { "FilmNo", &TStateSettings::FilmNo, false },
    { "CornerR", &TStateSettings::CornerR, true },
    { "FilmBevel", &TStateSettings::FilmBevel, true },
    { "PostCardLandscape", &TStateSettings::PostCardLandscape, false },
    { "ObjRightBtnSizing", &TStateSettings::ObjRightBtnSizing, false },
    { "ObjDblClickFront", &TStateSettings::ObjDblClickFront, true },
    { "IncDisp", &TStateSettings::IncDisp, false },
    { "DblClick", &TStateSettings::DblClick, false },
    { "DblClickNuming", &TStateSettings::DblClickNuming, false },
    { "DragNuming", &TStateSettings::DragNuming, true },
    { "TransPointRpt", &TStateSettings::TransPointRpt, false },
    { "BoundsColorPrt", &TStateSettings::BoundsColorPrt, false },
    { "TransRectRpt", &TStateSettings::TransRectRpt, false },
    { "UnRectRpt", &TStateSettings::UnRectRpt, false },
    { "TrimingRpt", &TStateSettings::TrimingRpt, false },
};

const TTextKey kTextKeys[] = {
    { "LastDir", &TStateSettings::LastDir },
    { "UserCheckFile", &TStateSettings::UserCheckFile },
    { "UserCheckText", &TStateSettings::UserCheckText },
};

QString Name(const char *name)
{
    return QString::fromLatin1(name);
}

// A key that is present but not a number gives the default, not the value found.
int Clamped(const TKeyFile &file, const char *name, int value, int low, int high)
{
    return std::clamp(file.Integer(Name(name), value), low, high);
}

} // namespace

void TStateSettings::Load(const QString &path)
{
    TKeyFile file;
    if (!file.Load(path))
        return;
    for (const TTextKey &key : kTextKeys) {
        if (file.HasName(Name(key.name)))
            this->*key.member = file.Value(Name(key.name));
    }
    for (const TIntKey &key : kIntKeys)
        this->*key.member = file.Integer(Name(key.name), this->*key.member);
    for (const TBoolKey &key : kBoolKeys) {
        if (file.HasName(Name(key.name)))
            this->*key.member = key.defaultTrue ? file.BoolDefaultTrue(Name(key.name))
                                                : file.Bool(Name(key.name));
    }

    ListSort = Clamped(file, "ListSort", ListSort, 0, 4);
    if (file.HasName(QStringLiteral("ListDeSort")))
        ListDeSort = file.Bool(QStringLiteral("ListDeSort"));
    NailHeights = Clamped(file, "NailHeights", NailHeights, 80, 800);
    PostNailHeights = Clamped(file, "PostNailHeights", PostNailHeights, 100, 500);
    ThumbSortType = Clamped(file, "ThumbSortType", ThumbSortType, 0, 4);
    if (file.HasName(QStringLiteral("ThumbDeSort")))
        ThumbDeSort = file.Bool(QStringLiteral("ThumbDeSort"));
    CopyBtnTypeIndex = file.Integer(QStringLiteral("CopyBtnTypeIndex"), CopyBtnTypeIndex);
    if (file.HasName(QStringLiteral("DoubleBuffer")))
        DoubleBuffer = file.BoolDefaultTrue(QStringLiteral("DoubleBuffer"));
    if (file.HasName(QStringLiteral("CardStyle")))
        CardStyle = file.Value(QStringLiteral("CardStyle"));

    const QStringList rect = file.Value(QStringLiteral("MaskFormRect")).split(u':');
    if (rect.size() == 4) {
        bool ok = true;
        int values[4];
        for (int i = 0; i < 4 && ok; ++i)
            values[i] = rect[i].trimmed().toInt(&ok);
        if (ok)
            std::copy(values, values + 4, MaskFormRect);
    }
}

bool TStateSettings::Save(const QString &path) const
{
    TKeyFile file;
    file.SetValue(QStringLiteral("LastDir"), LastDir);
    file.SetValue(QStringLiteral("ListSort"), QString::number(std::clamp(ListSort, 0, 4)));
    file.SetBool(QStringLiteral("ListDeSort"), ListDeSort);
    file.SetValue(QStringLiteral("NailHeights"), QString::number(NailHeights));
    file.SetValue(QStringLiteral("PostNailHeights"), QString::number(PostNailHeights));
    for (const TIntKey &key : kIntKeys)
        file.SetValue(Name(key.name), QString::number(this->*key.member));
    for (const TBoolKey &key : kBoolKeys)
        file.SetBool(Name(key.name), this->*key.member);
    file.SetValue(QStringLiteral("UserCheckFile"), UserCheckFile);
    file.SetValue(QStringLiteral("UserCheckText"), UserCheckText);

    if (ThumbSortType != 0)
        file.SetValue(QStringLiteral("ThumbSortType"), QString::number(ThumbSortType));
    if (ThumbDeSort)
        file.SetBool(QStringLiteral("ThumbDeSort"), true);
    if (CopyBtnTypeIndex != 0)
        file.SetValue(QStringLiteral("CopyBtnTypeIndex"), QString::number(CopyBtnTypeIndex));
    if (std::any_of(MaskFormRect, MaskFormRect + 4, [](int v) { return v != 0; }))
        file.SetValue(QStringLiteral("MaskFormRect"),
            QStringLiteral("%1:%2:%3:%4")
                .arg(MaskFormRect[0])
                .arg(MaskFormRect[1])
                .arg(MaskFormRect[2])
                .arg(MaskFormRect[3]));
    if (!DoubleBuffer)
        file.SetBool(QStringLiteral("DoubleBuffer"), false);
    if (!CardStyle.isEmpty())
        file.SetValue(QStringLiteral("CardStyle"), CardStyle);

    // The atomic rewrite replaces the old file whole, so keys no longer written disappear.
    return file.Save(path);
}

} // namespace korvatel

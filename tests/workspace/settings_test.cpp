#include "support/temp_home.h"
#include "text/sjis_file.h"
#include "workspace/option_settings.h"
#include "workspace/shop_options.h"
#include "workspace/state_settings.h"
#include "workspace/workspace_settings.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace korvatel
{

using test::TTempHome;

namespace
{

QStringList FileLines(const QString &path)
{
    return ReadSjisLines(path).value_or(QStringList());
}

} // namespace

TEST(TStateSettings, MissingFileKeepsDefaultsAndTheFormsValues)
{
    TTempHome home;
    TStateSettings state;
    state.FolderWidth = 240;
    state.Load(home.FilePath(QStringLiteral("State.ini")));
    EXPECT_EQ(state.FolderWidth, 240);
    EXPECT_EQ(state.NailHeights, 80);
    EXPECT_EQ(state.FilmColor, 14737632);
    EXPECT_TRUE(state.CornerR);
    EXPECT_TRUE(state.DragNuming);
    EXPECT_EQ(state.ListDirection(), 1);
}

TEST(TStateSettings, ClampsHeightsAndSortsAndIgnoresWhatIsNotANumber)
{
    TTempHome home;
    home.Write(QStringLiteral("State.ini"),
        "ListSort=9\r\nNailHeights=20\r\nPostNailHeights=9999\r\nMaxZoom=abc\r\n"
        "ThumbSortType=-3\r\nFilmColor=$FF\r\nCornerR=no\r\nFilmDate=true\r\nMaskFormRect=1:2:x:"
        "4\r\n");
    TStateSettings state;
    state.Load(home.FilePath(QStringLiteral("State.ini")));
    EXPECT_EQ(state.ListSort, 4);
    EXPECT_EQ(state.NailHeights, 80);
    EXPECT_EQ(state.PostNailHeights, 500);
    EXPECT_EQ(state.MaxZoom, 300);
    EXPECT_EQ(state.ThumbSortType, 0);
    EXPECT_EQ(state.FilmColor, 255); // "$" hexadecimal
    EXPECT_TRUE(state.CornerR); // a default-true key reads true unless "FALSE"
    EXPECT_FALSE(state.FilmDate); // only the exact word "TRUE"
    EXPECT_EQ(state.MaskFormRect[0], 0);
}

TEST(TStateSettings, RoundTripAndTheWrittenOnlyWhenRules)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("State.ini"));
    TStateSettings state;
    state.LastDir = QStringLiteral("/home/u/写真");
    state.ListSort = 4;
    state.ListDeSort = true;
    state.NailHeights = 120;
    state.FolderWidth = 311;
    ASSERT_TRUE(state.Save(path));
    QStringList lines = FileLines(path);
    EXPECT_TRUE(lines.contains(QStringLiteral("ListDeSort=TRUE")));
    EXPECT_TRUE(lines.contains(QStringLiteral("CornerR=TRUE")));
    for (const char *key : { "ThumbSortType", "ThumbDeSort", "CopyBtnTypeIndex", "MaskFormRect",
             "DoubleBuffer", "CardStyle" })
        EXPECT_FALSE(
            lines.filter(QRegularExpression(QStringLiteral("^%1=").arg(QLatin1String(key)))).size())
            << key;

    TStateSettings loaded;
    loaded.Load(path);
    EXPECT_EQ(loaded.LastDir, state.LastDir);
    EXPECT_EQ(loaded.ListSort, 4);
    EXPECT_EQ(loaded.ListDirection(), -1);
    EXPECT_EQ(loaded.NailHeights, 120);
    EXPECT_EQ(loaded.FolderWidth, 311);

    loaded.ThumbSortType = 3;
    loaded.ThumbDeSort = true;
    loaded.CopyBtnTypeIndex = 2;
    loaded.MaskFormRect[2] = 640;
    loaded.DoubleBuffer = false;
    loaded.CardStyle = QStringLiteral("和風");
    ASSERT_TRUE(loaded.Save(path));
    lines = FileLines(path);
    for (const char *line : { "ThumbSortType=3", "ThumbDeSort=TRUE", "CopyBtnTypeIndex=2",
             "MaskFormRect=0:0:640:0", "DoubleBuffer=FALSE" })
        EXPECT_TRUE(lines.contains(QLatin1String(line))) << line;
    TStateSettings again;
    again.Load(path);
    EXPECT_EQ(again.MaskFormRect[2], 640);
    EXPECT_FALSE(again.DoubleBuffer);
    EXPECT_EQ(again.CardStyle, QStringLiteral("和風"));
}

TEST(TOptionSettings, MissingFileShowsJpegOnlyAndKeepsTheCache)
{
    TTempHome home;
    TOptionSettings option;
    EXPECT_FALSE(option.Load(home.FilePath(QStringLiteral("Option.ini"))).emptyWorksNow);
    EXPECT_TRUE(option.Jpg);
    EXPECT_TRUE(option.Jpeg);
    EXPECT_FALSE(option.Bmp);
    EXPECT_FALSE(option.EmptyWorksAtShutdown());
}

TEST(TOptionSettings, FileHoldingOnlyJpgIsDeletedAndTheNextStartShowsBothJpegKinds)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("Option.ini"));
    home.Write(QStringLiteral("Option.ini"), "JPG\r\n");
    TOptionSettings option;
    EXPECT_TRUE(option.Load(path).emptyWorksNow); // neither thumbnail word
    EXPECT_TRUE(option.Jpg);
    EXPECT_FALSE(option.Jpeg);
    EXPECT_TRUE(option.Words().isEmpty());
    ASSERT_TRUE(option.Save(path));
    EXPECT_FALSE(QFileInfo::exists(path));
    TOptionSettings next;
    next.Load(path);
    EXPECT_TRUE(next.Jpg && next.Jpeg);
}

TEST(TOptionSettings, GifLastsOneRunAndTempNeedsTempOn)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("Option.ini"));
    TOptionSettings option;
    option.Load(path);
    option.Gif = true;
    option.Bmp = true;
    option.Temp = true;
    option.MinSize = 1000;
    ASSERT_TRUE(option.Save(path));
    EXPECT_EQ(FileLines(path),
        QStringList({ QStringLiteral("BMP"), QStringLiteral("GIF"), QStringLiteral("TEMP"),
            QStringLiteral("CloseNotDelThumb"), QStringLiteral("MinSize=1000"),
            QStringLiteral("JPG"), QStringLiteral("JPEG") }));
    TOptionSettings next;
    next.Load(path);
    EXPECT_TRUE(next.Bmp);
    EXPECT_FALSE(next.Gif);
    EXPECT_FALSE(next.Temp); // without TEMPON the cache display starts off
    EXPECT_EQ(next.MinSize, 1000);
    EXPECT_EQ(next.MaxSize, 0);

    next.Temp = next.TempOn = true;
    next.Save(path);
    TOptionSettings third;
    third.Load(path);
    EXPECT_TRUE(third.Temp);
}

TEST(TOptionSettings, TodaysPhotoKindsStartOnAndOnlyTheirSwitchingOffIsWritten)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("Option.ini"));
    home.Write(QStringLiteral("Option.ini"), "BMP\r\nCloseNotDelThumb\r\nJPG\r\n");
    TOptionSettings option;
    option.Load(path); // a file from before these kinds were offered
    EXPECT_TRUE(option.Tiff && option.Webp && option.Heif && option.Avif);
    option.Heif = false;
    ASSERT_TRUE(option.Save(path));
    EXPECT_TRUE(FileLines(path).contains(QStringLiteral("NOHEIF")));
    TOptionSettings next;
    next.Load(path);
    EXPECT_FALSE(next.Heif);
    EXPECT_TRUE(next.Tiff && next.Webp && next.Avif);
}

TEST(TOptionSettings, CleanUpWords)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("Option.ini"));
    home.Write(QStringLiteral("Option.ini"),
        "CloseDelThumb\r\nCloseDelDateList\r\nCloseDelTemplate\r\nJPG\r\n");
    TOptionSettings option;
    EXPECT_FALSE(option.Load(path).emptyWorksNow);
    EXPECT_TRUE(option.EmptyWorksAtShutdown());
    EXPECT_TRUE(option.DeleteTreeAtShutdown());
    EXPECT_TRUE(option.DeleteTemplatesAtShutdown());
    home.Write(QStringLiteral("Option.ini"), "CloseNotDelThumb\r\nCloseDelThumb\r\nLAN\r\n");
    option.Load(path);
    EXPECT_TRUE(option.EmptyWorksAtShutdown()); // CloseDelThumb wins
    // Words that leave nothing to write delete the file, and without it nothing is deleted.
    home.Write(QStringLiteral("Option.ini"), "CloseDelThumb\r\n");
    option.Load(path);
    EXPECT_FALSE(option.EmptyWorksAtShutdown());
}

TEST(TOption2Settings, MergesIntoTheExistingFileAndTakesTheMouseFocusDefault)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("Option2.ini"));
    TOption2Settings option2;
    option2.Load(path, true);
    EXPECT_TRUE(option2.UnMouseFocus);
    home.Write(QStringLiteral("Option2.ini"), "Other=kept\r\n_ShutterOff_=TRUE\r\n");
    option2.Load(path, true);
    EXPECT_TRUE(option2.ShutterOff);
    EXPECT_TRUE(option2.UnMouseFocus);
    EXPECT_FALSE(option2.ShootingDateList); // the date list goes by file time unless chosen
    option2.NoPointHint = true;
    option2.UnMouseFocus = false;
    option2.ShootingDateList = true;
    ASSERT_TRUE(option2.Save(path));
    const QStringList lines = FileLines(path);
    EXPECT_EQ(lines.first(), QStringLiteral("Other=kept"));
    EXPECT_TRUE(lines.contains(QStringLiteral("NoPointHint=TRUE")));
    EXPECT_TRUE(lines.contains(QStringLiteral("UnMouseFocus=FALSE")));
    option2.Load(path, true);
    EXPECT_FALSE(option2.UnMouseFocus);
    EXPECT_TRUE(option2.ShootingDateList);
}

TEST(WorkspaceSettings, DefaultSizeMustBeOfferedAndNoCorrectionNeedsTheShop)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("Default.ini"));
    const QStringList sizes { QStringLiteral("L"), QStringLiteral("2L") };
    TDefaultSettings defaults { QStringLiteral("2L"), true };
    ASSERT_TRUE(defaults.Save(path));
    TDefaultSettings loaded;
    loaded.Load(path, sizes, true);
    EXPECT_EQ(loaded.DefSize, QStringLiteral("2L"));
    EXPECT_TRUE(loaded.DefNoHosei);
    loaded.Load(path, sizes, false);
    EXPECT_FALSE(loaded.DefNoHosei);
    loaded.Load(path, { QStringLiteral("KG") }, true);
    EXPECT_EQ(loaded.DefSize, QStringLiteral("KG"));
}

TEST(WorkspaceSettings, TransModeIsOneNumber)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("TransMode.ini"));
    EXPECT_EQ(LoadTransMode(path), TTransMode::tmAuto);
    ASSERT_TRUE(SaveTransMode(path, TTransMode::tmOffice));
    EXPECT_EQ(ReadWholeFile(path).value(), QByteArray("2"));
    EXPECT_EQ(LoadTransMode(path), TTransMode::tmOffice);
    home.Write(QStringLiteral("TransMode.ini"), "7");
    EXPECT_EQ(LoadTransMode(path), TTransMode::tmAuto);
}

TEST(WorkspaceSettings, ExcludedFoldersRoundTripAndAnEmptyListDeletesTheFile)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("DateOutFolderList.ini"));
    TDateOutFolderList list;
    list.Folders
        = { { QStringLiteral("/photos/a=b"), true }, { QStringLiteral("/photos/old"), false } };
    ASSERT_TRUE(list.Save(path));
    EXPECT_EQ(FileLines(path),
        QStringList({ QStringLiteral("/photos/a=b=TRUE"), QStringLiteral("/photos/old=FALSE") }));
    TDateOutFolderList loaded;
    loaded.Load(path);
    EXPECT_EQ(loaded.ActiveFolders(), QStringList({ QStringLiteral("/photos/a=b") }));
    loaded.Folders.clear();
    ASSERT_TRUE(loaded.Save(path));
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(WorkspaceSettings, NodeExpKeepsNodeTextsUpToTheirCount)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("NodeExp.ini"));
    TNodeExp nodes;
    nodes.Expanded = { QStringLiteral("2004年(120)"), QStringLiteral("7月(30)") };
    nodes.Focus = QStringLiteral("15日(4)");
    ASSERT_TRUE(nodes.Save(path));
    EXPECT_EQ(FileLines(path),
        QStringList(
            { QStringLiteral("2004年"), QStringLiteral("7月"), QStringLiteral("Forcus=15日") }));
    TNodeExp loaded;
    loaded.Load(path);
    EXPECT_EQ(loaded.Expanded, QStringList({ QStringLiteral("2004年"), QStringLiteral("7月") }));
    EXPECT_EQ(loaded.Focus, QStringLiteral("15日"));
}

TEST(WorkspaceSettings, LastReadMakesTheTreeFolder)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("Korvatel/Tree/LastDate.ini"));
    EXPECT_FALSE(LoadLastRead(path).has_value());
    const QDateTime when({ 2026, 12, 8 }, { 9, 5, 7 });
    ASSERT_TRUE(SaveLastRead(path, when));
    EXPECT_EQ(FileLines(path), QStringList({ QStringLiteral("LastRead=2026/12/08 09:05:07") }));
    EXPECT_EQ(LoadLastRead(path), when);
}

TEST(WorkspaceSettings, CustomColoursAndIgnore)
{
    TTempHome home;
    const QString path = home.FilePath(QStringLiteral("Colors.ini"));
    home.Write(QStringLiteral("Colors.ini"), "ColorA=0000FF\r\nColorC=zz\r\n");
    TCustomColors colors;
    colors.Load(path);
    EXPECT_EQ(colors.Colors[0], 0x0000FFu);
    EXPECT_EQ(colors.Colors[2], 0xFFFFFFu);
    ASSERT_TRUE(colors.Save(path));
    EXPECT_EQ(FileLines(path).size(), 16);
    EXPECT_EQ(FileLines(path).first(), QStringLiteral("ColorA=0000FF"));

    EXPECT_FALSE(IgnoreStartNotice(home.Path()));
    EXPECT_TRUE(SetIgnoreStartNotice(home.Path(), true));
    EXPECT_TRUE(IgnoreStartNotice(home.Path()));
    EXPECT_TRUE(SetIgnoreStartNotice(home.Path(), false));
    EXPECT_FALSE(IgnoreStartNotice(home.Path()));
}

TEST(TShopOptions, DefaultsAndValuesFromTheOptionTable)
{
    const TShopOptions defaults = TShopOptions::FromOptionTable({});
    EXPECT_EQ(defaults.ThumbColCount, 3);
    EXPECT_EQ(defaults.FinesLow, 600);
    EXPECT_EQ(defaults.FinesHi, 680);
    EXPECT_EQ(defaults.CdrNdxSize, QStringLiteral("L"));
    EXPECT_FALSE(defaults.CopyBtnType.has_value());
    EXPECT_FALSE(defaults.DateColor.has_value());

    const TShopOptions options = TShopOptions::FromOptionTable({ QStringLiteral("ThumbColCount=5"),
        QStringLiteral("FinesLow=x"), QStringLiteral("CopyBtnType=2"),
        QStringLiteral("DateColor=$0080FF"), QStringLiteral("DateStyle=[fsBold,fsItalic]"),
        QStringLiteral("_SHOP_=カメラのコルバ"), QStringLiteral("_AllID_=TRUE"),
        QStringLiteral("CdrNdxSize=2L"), QStringLiteral("DefDateNotPrint=TRUE") });
    EXPECT_EQ(options.ThumbColCount, 5);
    EXPECT_EQ(options.FinesLow, 600);
    EXPECT_EQ(options.CopyBtnType, 2);
    EXPECT_EQ(options.DateColor, 0x0080FF);
    EXPECT_TRUE(options.DateBold && options.DateItalic);
    EXPECT_EQ(options.Shop, QStringLiteral("カメラのコルバ"));
    EXPECT_TRUE(options.AllId);
    EXPECT_EQ(options.CdrNdxSize, QStringLiteral("2L"));
    EXPECT_TRUE(options.DefDateNotPrint);
}

TEST(TShopOptions, CdrIndexKindByNumberOrByName)
{
    const auto kind = [](const QString &value) {
        return TShopOptions::FromOptionTable({ QStringLiteral("CdrNdxType=") + value });
    };
    EXPECT_FALSE(TShopOptions::FromOptionTable({}).IndexSheets());
    EXPECT_TRUE(kind(QStringLiteral("1")).IndexSheets());
    EXPECT_TRUE(kind(QStringLiteral("nxJPG")).IndexSheets());
    EXPECT_TRUE(kind(QStringLiteral(" NXJPG ")).IndexSheets());
    EXPECT_EQ(kind(QStringLiteral("nxJPG")).CdrNdxType, nxJPG);
    // Neither a kind's name nor its number: no index sheets.
    for (const char *other : { "0", "nxNone", "2", "-1", "JPG", "nxJPEG", "" })
        EXPECT_FALSE(kind(QString::fromLatin1(other)).IndexSheets()) << other;
}

} // namespace korvatel

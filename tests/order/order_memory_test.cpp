#include "order/order_fixture.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::TBasketFixture;

struct TMemoryFixture : TBasketFixture {
    QString main = home.FilePath("Korvatel/SysData/OrderMemory");
    QString campusFile = home.FilePath("Korvatel/Campus/shop/CampusOrder");
    QDateTime now { QDate(2026, 12, 8), QTime(9, 30, 5) };

    bool Save() { return list.SaveMemory(main, campusFile, now); }
    QStringList MainLines() const { return ReadSjisLines(main).value_or(QStringList {}); }
};

TEST(TThumbNailsMemory, SavesInSerialOrderAndKeepsTheSort)
{
    TMemoryFixture f;
    for (const char *name : { "c.jpg", "a.jpg", "b.jpg" })
        f.list.AddPicture(1, f.File(name), false, 1, "L");
    f.list.SetSortKind(osFileName);
    f.list.Recount();
    ASSERT_TRUE(f.Save());
    QStringList paths;
    for (const QString &line : f.MainLines()) {
        if (line.startsWith("FullPath="))
            paths << QFileInfo(line.mid(9)).fileName();
    }
    EXPECT_EQ(paths, (QStringList { "c.jpg", "a.jpg", "b.jpg" }));
    EXPECT_EQ(f.list.Item(0)->FileName, "a.jpg");
    EXPECT_EQ(f.list.SortKind(), osFileName);
    EXPECT_EQ(f.MainLines().mid(0, 6),
        (QStringList { "Date=2026/12/08", "Timt=09:30:05", "OrderCount=3", "CdOrderCount=3",
            "KeitaiOrderCount=0", "BadCount=0" }));
    EXPECT_FALSE(QFileInfo::exists(f.campusFile));
}

TEST(TThumbNailsMemory, EachFileExistsOnlyWithItemsOfItsType)
{
    TMemoryFixture f;
    f.list.AddPicture(1, f.File("a.jpg"), false, 1, "L");
    ASSERT_TRUE(f.Save());
    EXPECT_TRUE(QFileInfo::exists(f.main));
    f.list.Clear();
    f.list.AddPicture(1, f.Album() + "/c.cci", false, 1, "P1");
    ASSERT_TRUE(f.Save());
    EXPECT_FALSE(QFileInfo::exists(f.main)); // a campus-only basket leaves no OrderMemory
    EXPECT_TRUE(QFileInfo::exists(f.campusFile));
    f.list.Clear();
    ASSERT_TRUE(f.Save());
    EXPECT_FALSE(QFileInfo::exists(f.campusFile));
}

TEST(TThumbNailsMemory, EveryFieldComesBack)
{
    TMemoryFixture f;
    TThumbNail *a = f.list.AddPicture(3, f.File("写真.jpg", 1234), false, 2, "L");
    a->FileSize = 1234;
    a->SetSizeCount("2L", 1);
    a->CurrentSize = "2L";
    a->Repeated = true;
    a->DateStr[0] = "2009.07.15";
    a->DateStr[1] = "2009.07.15 13:05:09";
    a->DateStr[2] = "卒業式, 2009";
    a->DateType = dkCustom;
    a->KeitaiOrder = true;
    a->KeitaiRotat = 2;
    a->KeitaiTriming[0] = 0.125;
    a->KeitaiTriming[3] = 1;
    a->Hosei.kind = 2;
    a->Hosei.autoContrast = -30; // the last field, written with the ";" behind it
    a->ErrorKind = neZeroFile;
    TThumbNail *empty = f.list.AddPicture(1, f.File("empty.jpg"), false, 0, "L");
    empty->CdOrder = false;
    empty->DatePrint = false;
    f.list.AddPicture(1, f.Album() + "/c.cci", false, 2, "P2");
    f.list.Recount();
    ASSERT_TRUE(f.Save());
    EXPECT_TRUE(f.MainLines().contains("Error=neZeroFile"));
    EXPECT_TRUE(f.MainLines().contains("KeitaiTriming=0.1250:0.0000:0.0000:1.0000"));

    TThumbNails loaded(f.list.Context());
    EXPECT_EQ(loaded.LoadMemory(f.main, f.campusFile), 3);
    ASSERT_EQ(loaded.Count(), 3);
    const TThumbNail &b = *loaded.Item(0);
    EXPECT_EQ(b.DiskNo, 3);
    EXPECT_EQ(b.FileName, "写真.jpg");
    EXPECT_EQ(b.FileSize, 1234);
    EXPECT_EQ(b.ErrorKind, neNoError); // not read back
    EXPECT_EQ(b.Orders, (QStringList { "L=2", "2L=1" }));
    EXPECT_EQ(b.CurrentSize, "2L");
    EXPECT_EQ(b.CurrentCount, 1);
    EXPECT_EQ(b.TotalCount, 3);
    EXPECT_TRUE(b.Repeated);
    EXPECT_EQ(b.DateStr[2], "卒業式, 2009");
    EXPECT_EQ(b.DateType, dkCustom);
    EXPECT_TRUE(b.CdOrder);
    EXPECT_TRUE(b.DatePrint);
    EXPECT_TRUE(b.KeitaiOrder);
    EXPECT_EQ(b.KeitaiRotat, 2);
    EXPECT_EQ(b.KeitaiTriming[0], 0.125);
    EXPECT_EQ(b.KeitaiTriming[3], 1.0);
    EXPECT_EQ(b.Hosei, a->Hosei);
    EXPECT_EQ(b.Width, -1);
    const TThumbNail &e = *loaded.Item(1);
    EXPECT_TRUE(e.Orders.isEmpty());
    EXPECT_EQ(e.TotalCount, 0);
    EXPECT_FALSE(e.CdOrder);
    EXPECT_FALSE(e.DatePrint);
    const TThumbNail &c = *loaded.Item(2);
    EXPECT_EQ(c.OrderType, otPhoto);
    EXPECT_TRUE(c.CampusPrices);
    EXPECT_EQ(loaded.OrderCount(), 5);
    EXPECT_EQ(loaded.Aggregate().campus.size(), 1);
}

TEST(TThumbNailsMemory, RecordsOfTheWrongFileOrKindAreDropped)
{
    TMemoryFixture f;
    f.home.Write("Korvatel/SysData/OrderMemory",
        ToCp932("Date=2026/12/08\r\nOrderCount=x\r\n<Data>\r\nFullPath=C:\\a\\camp.CCI\r\n"
                "<Data>\r\nFullPath=C:\\a\\notes.txt\r\n<Data>\r\nFileSize=12\r\n"
                "<Data>\r\nOrderType=otGoods\r\nFullPath=C:\\a\\ok.jpg\r\nFileSize=1x\r\n"
                "DiskNo=2.6\r\nDatePrint=true\r\nOrdersList=L=1,,2L=2\r\nOrderSize=L\r\n"));
    f.home.Write("Korvatel/Campus/shop/CampusOrder",
        ToCp932("<Data>\r\nFullPath=C:\\a\\disk.jpg\r\n<Data>\r\nFullPath=C:\\a\\b.cci\r\n"));
    EXPECT_EQ(f.list.LoadMemory(f.main, f.campusFile), 2);
    EXPECT_EQ(test::ItemTexts(f.list, &TThumbNail::FullPath),
        (QStringList { "C:\\a\\ok.jpg", "C:\\a\\b.cci" }));
    const TThumbNail &ok = *f.list.Item(0);
    EXPECT_EQ(ok.OrderType, otDpe);
    EXPECT_EQ(ok.FileSize, 0); // malformed
    EXPECT_EQ(ok.DiskNo, 3); // rounded
    EXPECT_FALSE(ok.DatePrint); // only the exact word TRUE
    EXPECT_EQ(ok.Orders, (QStringList { "L=1", "2L=2" }));
    EXPECT_EQ(f.list.Item(1)->OrderType, otPhoto);

    // Records were dropped: both files go aside whole before the basket is written again.
    const QByteArray main = ReadWholeFile(f.main).value_or(QByteArray());
    ASSERT_TRUE(f.Save());
    EXPECT_EQ(ReadWholeFile(f.main + ".unread"), main);
    EXPECT_TRUE(QFileInfo::exists(f.campusFile + ".unread"));
    TThumbNails again(f.list.Context());
    EXPECT_EQ(again.LoadMemory(f.main, f.campusFile), 2);
}

TEST(TThumbNailsMemory, EveryKindTheBrowserOrdersComesBack)
{
    TMemoryFixture f;
    for (const char *name : { "a.jpg", "b.JPEG", "c.bmp", "d.bid", "e.BID", "f.gif", "g.png" })
        f.list.AddPicture(1, f.File(QString::fromLatin1(name)), false, 1, "L");
    ASSERT_TRUE(f.Save());
    TThumbNails loaded(f.list.Context());
    EXPECT_EQ(loaded.LoadMemory(f.main, f.campusFile), 7);
    ASSERT_TRUE(loaded.SaveMemory(f.main, f.campusFile, QDateTime::currentDateTime()));
    EXPECT_FALSE(QFileInfo::exists(f.main + ".unread"));
}

TEST(TThumbNailsMemory, DatePrintIsOffUnderTheShopOption)
{
    TMemoryFixture f;
    f.list.AddPicture(1, f.File("a.jpg"), false, 1, "L");
    ASSERT_TRUE(f.Save());
    TOrderContext context = f.list.Context();
    context.defDateNotPrint = true;
    TThumbNails loaded(context);
    loaded.LoadMemory(f.main, {});
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_FALSE(loaded.Item(0)->DatePrint);
}

TEST(TThumbNailsMemory, AFailedWriteIsReportedAndLeavesTheOldFile)
{
    TMemoryFixture f;
    f.list.AddPicture(1, f.File("a.jpg"), false, 1, "L");
    f.list.AddPicture(1, f.Album() + "/c.cci", false, 1, "P1");
    // Where the file should go stands a folder: the write fails and nothing is removed first.
    QDir().mkpath(f.main + "/keep");
    EXPECT_FALSE(f.Save());
    EXPECT_TRUE(QFileInfo(f.main + "/keep").isDir());
    EXPECT_TRUE(QFileInfo::exists(f.campusFile));
}

TEST(TThumbNailsMemory, AFileThatGaveNothingIsSetAsideNotOverwritten)
{
    TMemoryFixture f;
    QDir().mkpath(QFileInfo(f.main).absolutePath());
    ASSERT_TRUE(WriteFileAtomic(f.main, QByteArray("\xff\xfe garbage\r\n")));
    ASSERT_TRUE(WriteFileAtomic(f.main + ".unread", QByteArray("set aside before")));
    EXPECT_EQ(f.list.LoadMemory(f.main, f.campusFile), 0);
    // The empty basket is saved at shutdown: the unread file must survive beside it, and so must
    // the one set aside by an earlier run.
    ASSERT_TRUE(f.Save());
    EXPECT_FALSE(QFileInfo::exists(f.main));
    EXPECT_EQ(ReadWholeFile(f.main + ".unread2").value_or(QByteArray()),
        QByteArray("\xff\xfe garbage\r\n"));
    EXPECT_EQ(ReadWholeFile(f.main + ".unread"), QByteArray("set aside before"));
    // Only once: the next basket is written as usual.
    f.list.AddPicture(1, f.File("a.jpg"), false, 1, "L");
    ASSERT_TRUE(f.Save());
    ASSERT_TRUE(f.Save());
    EXPECT_TRUE(QFileInfo::exists(f.main));
}

} // namespace

TEST(TThumbNailsMemory, PhoneTrimmingTooSmallToShowIsDroppedAtOnce)
{
    TMemoryFixture f;
    TThumbNail *a = f.list.AddPicture(1, f.File("a.jpg"), false, 1, "L");
    a->KeitaiTriming[2] = 0.00000001;
    a->KeitaiTriming[3] = -0.00004;
    f.list.Recount();
    const QStringList lines = f.list.MemoryLines(otDpe, f.now);
    EXPECT_FALSE(lines.join(u'\n').contains("KeitaiTriming"));
    // A value that shows keeps the others as zeros without a sign: "-0.0000" would read back as
    // a zero that prints as "0.0000", and the next save would write another file.
    a->KeitaiTriming[0] = 0.5;
    const QStringList shown = f.list.MemoryLines(otDpe, f.now);
    EXPECT_TRUE(shown.contains("KeitaiTriming=0.5000:0.0000:0.0000:0.0000"));
    TThumbNails again(f.list.Context());
    again.ReadMemoryLines(shown, otDpe);
    again.Recount();
    EXPECT_EQ(again.MemoryLines(otDpe, f.now), shown);
}

// A basket file found by fuzzing: a phone trimming of tiny values was written as zeros, and the
// next save dropped the line, so two saves gave two different files.
TEST(TThumbNailsMemory, TinyKeitaiTrimingReadsBackTheSame)
{
    const std::optional<QByteArray> bytes = ReadWholeFile(
        QStringLiteral(KORVATEL_TEST_DATA "/regressions/TinyKeitaiTrimingReadsBackTheSame"));
    ASSERT_TRUE(bytes);
    const QStringList input = SplitLines(FromCp932(*bytes));
    TMemoryFixture f;
    for (const TOrderType type : { otDpe, otPhoto }) {
        const auto written = [&](const QStringList &lines) {
            TThumbNails list(f.list.Context());
            list.ReadMemoryLines(lines, type);
            list.Recount();
            return list.MemoryLines(type, f.now);
        };
        const QStringList first = written(input);
        EXPECT_EQ(written(first), first);
    }
}

} // namespace korvatel

#include "imaging/correction_text.h"
#include "platform/prompter.h"
#include "pricing/shop_terms.h"
#include "sending/order_builder.h"
#include "sending/order_package.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::TOrderBuilder;

QStringList Lines(const QString &path)
{
    return ReadSjisLines(path).value_or(QStringList { QStringLiteral("<unreadable>") });
}

QStringList Remotes(const TSendList &list)
{
    QStringList remotes;
    for (const TSendItem &item : list.Items())
        remotes << item.remote;
    return remotes;
}

TEST(TSendList, NamesAreMadeUniquePerFolderAndFullWidth)
{
    TOrderBuilder b;
    TSendList list;
    const QString first = b.Picture(QStringLiteral("a/same.jpg"), 10);
    const QString second = b.Picture(QStringLiteral("b/SAME.jpg"), 20);
    const QString odd = b.Picture(QStringLiteral("a/x=y;z|w.jpg"), 30);
    EXPECT_EQ(list.Add(first, QStringLiteral("N/$IMG_PRN"), QStringLiteral("same.jpg"), true, true),
        QStringLiteral("same.jpg"));
    EXPECT_EQ(list.Add(second, QStringLiteral("N/$IMG_PRN"), QStringLiteral("SAME.jpg"), true, true,
                  QStringLiteral("head=H")),
        QStringLiteral("SAME(2).jpg"));
    // Another folder has names of its own.
    EXPECT_EQ(list.Add(second, QStringLiteral("N/CD-R/$IMG_CDR"), QStringLiteral("same.jpg"), true,
                  false),
        QStringLiteral("same.jpg"));
    EXPECT_EQ(
        list.Add(odd, QStringLiteral("N/$IMG_PRN"), QStringLiteral("x=y;z|w.jpg"), true, true),
        QStringLiteral("x＝y；z｜w.jpg"));
    EXPECT_EQ(list.FileList(),
        QStringList({ QStringLiteral("N/$IMG_PRN/same.jpg=10"),
            QStringLiteral("N/$IMG_PRN/SAME(2).jpg=20;head=H"),
            QStringLiteral("N/$IMG_PRN/x＝y；z｜w.jpg=30") }));
    EXPECT_EQ(list.CorrectionList(), QStringList { QStringLiteral("SAME(2).jpg=head=H") });
    EXPECT_EQ(list.Lines().at(2), second + QStringLiteral(";N/CD-R/$IMG_CDR/same.jpg"));
    EXPECT_EQ(list.Add(b.Picture(QStringLiteral("c/none"), 10), QStringLiteral("N"),
                  QStringLiteral("none(2)"), true, false),
        QStringLiteral("none(2)"));
    EXPECT_EQ(list.Add(b.Picture(QStringLiteral("c/none2"), 10), QStringLiteral("N"),
                  QStringLiteral("none(2)"), true, false),
        QStringLiteral("none(2)(2)"));
}

TEST(TSendList, MissingOrEmptyFilesAreRefusedWithTheWarning)
{
    TOrderBuilder b;
    TSendList list;
    const QString empty = b.dir.filePath(QStringLiteral("empty.jpg"));
    QFile(empty).open(QIODevice::WriteOnly);
    QString warning;
    EXPECT_FALSE(list.Add(
        empty, QStringLiteral("N"), QStringLiteral("empty.jpg"), true, true, {}, &warning));
    EXPECT_EQ(warning,
        QStringLiteral("Not Found FILE : ") + empty
            + QStringLiteral("\r\n\r\n『ファイルが見あたたりません』以下の原因が考えられます。\r\n"
                             "１.直接指定したメディアを抜き取った。\r\n"
                             "２.ネットワーク上で指定した場合のLAN障害。\r\n"
                             "３.他のソフト、ご自分、ネットワークの他のユーザーが削除した。\r\n"
                             "４.ゼロのファイルサイズ。\r\n"
                             "送信作業は中止します。原因不明の場合は再挑戦してください。"));
    EXPECT_FALSE(list.Add(b.dir.filePath(QStringLiteral("gone.jpg")), QStringLiteral("N"),
        QStringLiteral("gone.jpg"), true, true));
    EXPECT_TRUE(list.Items().isEmpty());
    EXPECT_TRUE(list.FileList().isEmpty());
}

TEST(OrderNames, FolderCounterAndRemoteName)
{
    TOrderBuilder b;
    const QDateTime when({ 2026, 12, 8 }, { 9, 5, 7, 998 });
    QString folder;
    EXPECT_EQ(MakeLocalOrderFolder(b.input.workDir, when, &folder), 998);
    EXPECT_EQ(QFileInfo(folder).fileName(), QStringLiteral("20261208-090507998"));
    EXPECT_EQ(MakeLocalOrderFolder(b.input.workDir, when, &folder), 999);
    EXPECT_EQ(MakeLocalOrderFolder(b.input.workDir, when, &folder), 1000);
    EXPECT_EQ(QFileInfo(folder).fileName(), QStringLiteral("20261208-0905071000"));
    TOrderCustomer customer;
    customer.tel1 = QStringLiteral("(03) 1234-5678");
    customer.acount = QStringLiteral(" 4321 ");
    EXPECT_EQ(
        RemoteOrderName(when, 7, customer), QStringLiteral("20261208-090507007-0312345678-4321"));
    // The code cannot lead out of the order's folder or make one of its own.
    customer.acount = QStringLiteral("../x");
    EXPECT_EQ(
        RemoteOrderName(when, 7, customer), QStringLiteral("20261208-090507007-0312345678-___x"));
    customer.acount = QStringLiteral("a/b\\c:*?\"<>|\td");
    EXPECT_EQ(RemoteOrderName(when, 7, customer),
        QStringLiteral("20261208-090507007-0312345678-a_b_c________d"));
}

TEST(TSendList, NamesOutsideShiftJisStayApartOnTheServer)
{
    TOrderBuilder b;
    TSendList list;
    const QString first = b.Picture(QStringLiteral("a/1.jpg"), 10);
    const QString second = b.Picture(QStringLiteral("a/2.jpg"), 10);
    // Korean and an emoji (two UTF-16 units) have no Shift-JIS form; Japanese keeps its own.
    EXPECT_EQ(list.Add(first, QStringLiteral("N"), QStringLiteral("사진😀写真.jpg"), true, true),
        QStringLiteral("___写真.jpg"));
    EXPECT_EQ(list.Add(second, QStringLiteral("N"), QStringLiteral("한국😎写真.jpg"), true, true),
        QStringLiteral("___写真(2).jpg"));
    for (const TSendItem &item : list.Items()) {
        int unconverted = 0;
        ToCp932(item.remote, &unconverted);
        EXPECT_EQ(unconverted, 0) << item.remote.toStdString();
    }
}

TEST(Dpof, PrintOrderFileLines)
{
    TDpofJob plain { QStringLiteral("a.jpg"), 2, DpofFormatLine(1, "0220", false), {} };
    TDpofJob dated { QStringLiteral("b.jpg"), 12, DpofFormatLine(1, {}, false),
        DpofDateText(QStringLiteral("2026/12-08"), false) };
    const QDateTime packed({ 2026, 12, 8 }, { 10, 20, 30 });
    EXPECT_EQ(DpofLines({ plain, dated }, packed, DpofCreator(QStringLiteral("2.0.1")),
                  QStringLiteral("7"), false),
        QStringList({ QStringLiteral("[HDR]"), QStringLiteral("GEN REV = 01.10"),
            QStringLiteral("GEN CRT = \"KorvaDPOF/201/Korvatel\""),
            QStringLiteral("GEN DTM = 2026:12:08:10:20:30"), QStringLiteral("VUQ RGN = BGN"),
            QStringLiteral("VUQ VNM = \"NORITSU KOKI\" -ATR \"QSSPrint\""),
            QStringLiteral("PRT PCH = 007"), QStringLiteral("VUQ RGN = END"), QString(),
            QStringLiteral("[JOB]"), QStringLiteral("PRT PID = 001"),
            QStringLiteral("PRT TYP = STD"), QStringLiteral("PRT QTY = 002"),
            QStringLiteral("IMG FMT = EXIF2 -J"),
            QStringLiteral("<IMG SRC = \"../../$IMG_PRN/a.jpg\">"), QStringLiteral("[JOB]"),
            QStringLiteral("PRT PID = 002"), QStringLiteral("PRT TYP = STD"),
            QStringLiteral("PRT QTY = 012"), QStringLiteral("IMG FMT = JFIF"),
            QStringLiteral("<IMG SRC = \"../../$IMG_PRN/b.jpg\">"),
            QStringLiteral("CFG DSC = \"2026.12.08\" -ATR DTM") }));
    const QStringList cd = DpofLines({ plain }, packed, QStringLiteral("c"), {}, true);
    EXPECT_EQ(cd.size(), 4 + 6);
    EXPECT_EQ(cd.last(), QStringLiteral("<IMG SRC = \"../../CD-R/$IMG_CDR/a.jpg\">"));

    EXPECT_EQ(DpofFormatLine(2, "0210", false), QStringLiteral("IMG FMT = EXIF2 -T"));
    EXPECT_EQ(DpofFormatLine(2, {}, false), QStringLiteral("IMG FMT = UNDEF"));
    EXPECT_EQ(DpofFormatLine(1, "0220", true), QStringLiteral("IMG FMT = JFIF"));
    EXPECT_EQ(DpofFormatLine(2, "0220", true), QStringLiteral("IMG FMT = UNDEF"));
    EXPECT_EQ(DpofFormatLine(3, "0220", false), QStringLiteral("IMG FMT = UNDEF"));
    EXPECT_EQ(DpofDateText(QStringLiteral("'26-12/08"), true), QStringLiteral("'26-12/08"));
}

TEST(OrderMessage, RecordsBecomeTextAndKeysFollow)
{
    EXPECT_EQ(RecordTexts({ QStringLiteral("<Memo>決済 : 銀行等振込(ksiFurikomi)"),
                  QStringLiteral("<Msg>よろしく"), QString(),
                  QStringLiteral("Size:(1) L;Price:29;Num:10;"),
                  QStringLiteral("Size:(2) 2L;Price:19.5;Num:3;"),
                  QStringLiteral("Soryo:送料;Price:0;Num:1;"),
                  QStringLiteral("Disc:値引;Price:-100;Num:1;"),
                  QStringLiteral("Point:獲得ﾎﾟｲﾝﾄ;Price:1;Num:30;"),
                  QStringLiteral("Point:使用ﾎﾟｲﾝﾄ;Price:1;Num:0;"), QStringLiteral("garbage") }),
        QStringList({ QStringLiteral("<Memo>決済 : 銀行等振込(ksiFurikomi)"),
            QStringLiteral("よろしく"), QString(), QStringLiteral("(1) L : @29 × 10 = \\290"),
            QStringLiteral("(2) 2L : @19.50 × 3 = \\58.50"), QStringLiteral("値引 : \\-100"),
            QStringLiteral("獲得ﾎﾟｲﾝﾄ : 30") }));

    TMessageInput input;
    input.shop.shopId = QStringLiteral("1234");
    input.shop.mail = QStringLiteral("shop@example.jp");
    input.customer.name = QStringLiteral("山田");
    input.orderName = QStringLiteral("N1");
    input.figures.total = 1051;
    input.figures.tax = 50;
    input.figures.payment = ksiFurikomi;
    input.start = QDateTime({ 2026, 12, 8 }, { 1, 2, 3 });
    input.end = input.start;
    QStringList lines = OrderMessageLines(input);
    EXPECT_EQ(lines.first(),
        QStringLiteral(
            "※お心あたりがない場合は shop@example.jp 宛に転送していただければ幸いです。"));
    EXPECT_TRUE(lines.contains(QStringLiteral("注文番号=1234-N1")));
    EXPECT_TRUE(lines.contains(QStringLiteral("合計金額 : \\1051")));
    EXPECT_TRUE(lines.contains(QStringLiteral("※送金手数料はご負担願います。")));
    EXPECT_TRUE(lines.contains(QStringLiteral("@TX=50")));
    EXPECT_FALSE(lines.contains(QStringLiteral("@MID=")));
    ASSERT_TRUE(SetMessageEndTime(lines, QDateTime({ 2026, 12, 8 }, { 1, 2, 9 })));
    EXPECT_TRUE(lines.contains(QStringLiteral("@STT=2026/12/08 01:02:03")));
    EXPECT_TRUE(lines.contains(QStringLiteral("@EDT=2026/12/08 01:02:09")));
    const QStringList entry = EntryFileLines(lines, { QStringLiteral("N1/$IMG_PRN/a.jpg=5") });
    EXPECT_EQ(entry.size(), lines.size() - 2 + 3);
    EXPECT_EQ(entry.mid(entry.size() - 3),
        QStringList({ QStringLiteral("<files>"), QStringLiteral("N1/$IMG_PRN/a.jpg=5"),
            QStringLiteral("<end>") }));
}

TEST(AddressCard, LayoutsByDeliveryAndTheirFrames)
{
    TAddressCard card;
    card.customer.name = QStringLiteral("山田太郎");
    card.customer.zip = QStringLiteral("192-0000");
    card.customer.adrs1 = QStringLiteral(
        "東京都八王子市明神町一丁目二番三号 とても長い住所の続きがここまで続きます");
    card.shopId = QStringLiteral("1234");
    card.orderName = QStringLiteral("20261208-102030045-0312345678-4321");
    const QImage post = DrawAddressCard(card);
    ASSERT_EQ(post.size(), QSize(640, 480));
    EXPECT_EQ(post.pixelColor(5, 5), QColor(Qt::white));
    EXPECT_EQ(post.pixelColor(30, 240), QColor(0, 0, 0x80));
    EXPECT_EQ(post.pixelColor(33, 240), QColor(0, 0, 0x80));
    EXPECT_EQ(post.pixelColor(609, 240), QColor(0, 0, 0x80));
    EXPECT_EQ(post.pixelColor(31, 240), QColor(Qt::white));
    // The long first address line is shrunk so that it ends 33 pixels before the edge.
    // (Columns 607 and 608 lie between the inner frame at 606 and the outer one at 609.)
    for (int y = 86; y < 108; ++y) {
        for (int x : { 607, 608, 610, 639 })
            ASSERT_EQ(post.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
    }
    // Some text is drawn in black in the address block (y from 10 units).
    bool inked = false;
    for (int y = 54; y < 130 && !inked; ++y) {
        for (int x = 54; x < 600 && !inked; ++x)
            inked = post.pixelColor(x, y).lightness() < 80;
    }
    EXPECT_TRUE(inked);

    card.customer.adrs1 = QStringLiteral("店頭受付");
    const QImage store = DrawAddressCard(card);
    EXPECT_EQ(store.pixelColor(5, 5), QColor(0xE0, 0xE0, 0xFF));
    EXPECT_EQ(store.pixelColor(30, 30), QColor(0, 0, 0x80));
}

class PackOrderTest : public testing::Test
{
protected:
    TOrderBuilder b;
    TScriptedPrompter prompter;
};

TEST_F(PackOrderTest, PacksPicturesPrintFilesMessageAndEntry)
{
    TThumbNail *first = b.Add(QStringLiteral("one/same.jpg"), QStringLiteral("L"), 2);
    first->SetSizeCount(QStringLiteral("2L"), 1);
    first->DatePrint = true;
    first->DateStr[0] = QStringLiteral("2026/12/01");
    TThumbNail *second = b.Add(QStringLiteral("two/same.jpg"), QStringLiteral("L"), 1, true);
    second->Hosei.kind = 1;
    b.Add(QStringLiteral("one/a=b;c.jpg"), QStringLiteral("2L"), 3, true);
    b.input.cardCopies = 2;
    QStringList indexPictures;
    b.input.indexSheets = [&](const QStringList &pictures, const QString &folder) {
        indexPictures = pictures;
        const QString sheet = folder + QStringLiteral("/INDEX01.JPG");
        QFile file(sheet);
        file.open(QIODevice::WriteOnly);
        file.write("index");
        return QStringList { sheet };
    };

    const std::optional<TPackedOrder> order = PackOrder(b.input, prompter);
    ASSERT_TRUE(order);
    EXPECT_TRUE(prompter.Shown().isEmpty());
    const QString N = order->name;
    EXPECT_EQ(N, QStringLiteral("20261208-102030045-0312345678-4321"));
    EXPECT_EQ(QFileInfo(order->localFolder).fileName(), QStringLiteral("20261208-102030045"));

    const QStringList remotes = Remotes(order->sendList);
    EXPECT_EQ(remotes.first(), QStringLiteral("message/") + N + QStringLiteral(".etr"));
    EXPECT_EQ(remotes.at(1), N + QStringLiteral("/Hosei"));
    EXPECT_EQ(remotes.at(remotes.size() - 2), N + u'/' + N + QStringLiteral(".mes"));
    EXPECT_EQ(remotes.last(), QStringLiteral("message/") + N + QStringLiteral(".mes"));
    for (const QString &name :
        { QStringLiteral("$IMG_PRN/same.jpg"), QStringLiteral("$IMG_PRN/same(2).jpg"),
            QStringLiteral("$IMG_PRN/a＝b；c.jpg"), QStringLiteral("CD-R/$IMG_CDR/same.jpg"),
            QStringLiteral("CD-R/$IMG_CDR/a＝b；c.jpg"), QStringLiteral("$IMG_PRN/_CARD_.JPG"),
            QStringLiteral("L/MISC/AUTPRINT.MRK"), QStringLiteral("2L/MISC/AUTPRINT.MRK"),
            QStringLiteral("CD-R/MISC/AUTPRINT.MRK"), QStringLiteral("$NDX/INDEX01.JPG") })
        EXPECT_TRUE(remotes.contains(N + u'/' + name)) << name.toStdString();

    const QStringList l = Lines(order->localFolder + QStringLiteral("/L/MISC/AUTPRINT.MRK"));
    EXPECT_TRUE(l.contains(QStringLiteral("PRT PCH = 101")));
    // The card is job 001, the pictures follow.
    const qsizetype card = l.indexOf(QStringLiteral("<IMG SRC = \"../../$IMG_PRN/_CARD_.JPG\">"));
    ASSERT_GE(card, 0);
    EXPECT_EQ(l.at(card - 4), QStringLiteral("PRT PID = 001"));
    EXPECT_EQ(l.at(card - 2), QStringLiteral("PRT QTY = 002"));
    EXPECT_TRUE(l.contains(QStringLiteral("PRT PID = 003")));
    EXPECT_TRUE(l.contains(QStringLiteral("<IMG SRC = \"../../$IMG_PRN/same(2).jpg\">")));
    EXPECT_TRUE(l.contains(QStringLiteral("CFG DSC = \"2026.12.01\" -ATR DTM")));
    EXPECT_FALSE(l.contains(QStringLiteral("<IMG SRC = \"../../$IMG_PRN/a＝b；c.jpg\">")));
    const QStringList cd = Lines(order->localFolder + QStringLiteral("/CD-R/MISC/AUTPRINT.MRK"));
    EXPECT_TRUE(cd.contains(QStringLiteral("PRT PCH = 201")));
    EXPECT_TRUE(cd.contains(QStringLiteral("<IMG SRC = \"../../CD-R/$IMG_CDR/a＝b；c.jpg\">")));
    EXPECT_EQ(indexPictures.size(), 2);

    const QImage cardPicture(order->localFolder + QStringLiteral("/_CARD_.JPG"));
    EXPECT_EQ(cardPicture.size(), QSize(640, 480));

    const QStringList entry = Lines(order->entryFile);
    const qsizetype files = entry.indexOf(QStringLiteral("<files>"));
    ASSERT_GE(files, 0);
    EXPECT_EQ(entry.last(), QStringLiteral("<end>"));
    for (const QString &line : entry) {
        EXPECT_FALSE(
            line.startsWith(QLatin1String("@STT")) || line.startsWith(QLatin1String("@EDT")));
    }
    // Every listed file carries the size of the local file that is sent.
    for (const QString &line : entry.mid(files + 1, entry.size() - files - 2)) {
        const QString remote = line.section(u'=', 0, 0);
        const qsizetype at = remotes.indexOf(remote);
        ASSERT_GE(at, 0) << line.toStdString();
        EXPECT_EQ(line.section(u'=', 1).section(u';', 0, 0).toLongLong(),
            QFileInfo(order->sendList.Items().at(at).local).size());
    }
    EXPECT_EQ(Lines(order->correctionFile),
        QStringList { QStringLiteral("same(2).jpg=") + ShopText(second->Hosei) });
    EXPECT_EQ(Lines(order->messageFile), order->messageLines);
    EXPECT_EQ(Lines(order->countFile).size(), 3);
    EXPECT_EQ(QFileInfo(order->countFile).fileName(),
        QStringLiteral("1234-") + N + QStringLiteral(".cnt"));
}

TEST_F(PackOrderTest, ThePicturesSentAreTheItemsLocalCopies)
{
    TThumbNail *copied = b.Add(QStringLiteral("one/copied.jpg"), QStringLiteral("L"), 1, true);
    TThumbNail *plain = b.Add(QStringLiteral("two/plain.jpg"), QStringLiteral("L"), 1);
    // The first item has its local copy already: different bytes from the source.
    const QString copy = copied->ThumbnailPath.chopped(4);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(copy).absolutePath()));
    {
        QFile file(copy);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(777, 'c'));
    }
    const QString made = plain->ThumbnailPath.chopped(4);
    ASSERT_FALSE(QFileInfo::exists(made));

    const std::optional<TPackedOrder> order = PackOrder(b.input, prompter);
    ASSERT_TRUE(order);
    EXPECT_TRUE(prompter.Shown().isEmpty());
    const QString N = order->name;
    QMap<QString, QString> local;
    for (const TSendItem &item : order->sendList.Items())
        local.insert(item.remote, item.local);
    EXPECT_EQ(local.value(N + QStringLiteral("/$IMG_PRN/copied.jpg")), copy);
    EXPECT_EQ(local.value(N + QStringLiteral("/CD-R/$IMG_CDR/copied.jpg")), copy);
    // The second one's copy was made from its source on the way.
    EXPECT_EQ(local.value(N + QStringLiteral("/$IMG_PRN/plain.jpg")), made);
    QFile source(plain->FullPath), target(made);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly) && target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), source.readAll());
    // The entry file lists the size of what is sent; the count list names the sources.
    EXPECT_TRUE(Lines(order->entryFile).contains(N + QStringLiteral("/$IMG_PRN/copied.jpg=777")));
    QStringList sources { copied->FullPath, plain->FullPath };
    sources.sort(Qt::CaseInsensitive);
    EXPECT_EQ(Lines(order->countFile), sources);
}

TEST_F(PackOrderTest, AMissingPictureStopsPackingAndLeavesNoFolder)
{
    b.Add(QStringLiteral("one/a.jpg"), QStringLiteral("L"), 1);
    TThumbNail *gone = b.Add(QStringLiteral("one/gone.jpg"), QStringLiteral("L"), 1);
    QFile::remove(gone->FullPath);
    b.input.customer.name = QStringLiteral("test-order");
    EXPECT_FALSE(PackOrder(b.input, prompter));
    ASSERT_EQ(prompter.Shown().size(), 1);
    EXPECT_EQ(prompter.Shown().first().kind, TMsgKind::mkWarning);
    EXPECT_EQ(prompter.Shown().first().text, NotFoundWarning(gone->FullPath));
    EXPECT_TRUE(QDir(b.input.workDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

} // namespace

} // namespace korvatel

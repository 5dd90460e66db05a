#include "imaging/correction_text.h"
#include "imaging/dib.h"
#include "index/index_sheets.h"
#include "platform/file_times.h"
#include "platform/prompter.h"
#include "pricing/shop_terms.h"
#include "sending/order_builder.h"
#include "sending/order_package.h"
#include "sources/thumb_paths.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <filesystem>
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
    // The index sheet is the last job of its size's print order, one print from $NDX.
    const qsizetype sheet = l.indexOf(QStringLiteral("<IMG SRC = \"../../$NDX/INDEX01.JPG\">"));
    ASSERT_GE(sheet, 0);
    EXPECT_EQ(sheet, l.size() - 1);
    EXPECT_EQ(l.at(sheet - 2), QStringLiteral("PRT QTY = 001"));
    EXPECT_EQ(l.at(sheet - 1), QStringLiteral("IMG FMT = JFIF"));

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

TEST_F(PackOrderTest, IndexSheetsArePrintedInTheShopsIndexSize)
{
    // A CD-R without prints; the sheets are ordered in 2L, which nothing else is printed in.
    b.Add(QStringLiteral("cd/1.jpg"), QStringLiteral("L"), 0, true);
    b.Add(QStringLiteral("cd/2.jpg"), QStringLiteral("L"), 0, true);
    b.input.indexSize = QStringLiteral("2L");
    b.input.indexSheets = [](const QStringList &, const QString &folder) {
        QStringList sheets;
        for (const char *name : { "/INDEX01.JPG", "/INDEX02.JPG" }) {
            QFile file(folder + QLatin1String(name));
            file.open(QIODevice::WriteOnly);
            file.write("index");
            sheets << file.fileName();
        }
        return sheets;
    };
    const std::optional<TPackedOrder> order = PackOrder(b.input, prompter);
    ASSERT_TRUE(order);
    // The sheets' size gets a print order of its own, on that size's lab channel.
    EXPECT_FALSE(QFileInfo::exists(order->localFolder + QStringLiteral("/L")));
    const QStringList l = Lines(order->localFolder + QStringLiteral("/2L/MISC/AUTPRINT.MRK"));
    EXPECT_TRUE(l.contains(QStringLiteral("PRT PCH = 102")));
    EXPECT_EQ(l.filter(QStringLiteral("<IMG SRC = \"../../$NDX/INDEX0")).size(), 2);
    // The CD-R's own print order keeps the channel of the prints: none without prints.
    const QStringList cd = Lines(order->localFolder + QStringLiteral("/CD-R/MISC/AUTPRINT.MRK"));
    EXPECT_TRUE(cd.filter(QStringLiteral("PRT PCH")).isEmpty());

    // Without CD-R pictures the hook is not asked and nothing is printed from $NDX.
    TOrderBuilder prints;
    prints.Add(QStringLiteral("p/1.jpg"), QStringLiteral("L"), 1);
    bool asked = false;
    prints.input.indexSheets = [&](const QStringList &, const QString &) {
        asked = true;
        return QStringList();
    };
    const std::optional<TPackedOrder> plain = PackOrder(prints.input, prompter);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(asked);
}

TEST_F(PackOrderTest, SkinKindsAreMeasuredBeforeTheyAreSent)
{
    // A picture of one skin colour (red 150, green 100, blue 90) that the grid never showed.
    const QString skinFile = b.dir.filePath(QStringLiteral("s/skin.bmp"));
    QDir().mkpath(QFileInfo(skinFile).absolutePath());
    ASSERT_TRUE(
        WriteFileAtomic(skinFile, SaveDIBToStream(test::UniformBitmap(8, 8, { 90, 100, 150 }))));
    TThumbNail *skin = b.basket.AddPicture(1, skinFile, false, 1, QStringLiteral("L"));
    skin->Hosei.kind = 2;
    // Pictures that cannot be loaded: blue emphasis becomes "no correction", the others "shop".
    TThumbNail *blue = b.Add(QStringLiteral("x/blue.jpg"), QStringLiteral("L"), 1, false, 300);
    blue->Hosei.kind = 4;
    TThumbNail *standard = b.Add(QStringLiteral("x/std.jpg"), QStringLiteral("L"), 1, false, 300);
    standard->Hosei.kind = 1;
    standard->Hosei.density = 10;

    const std::optional<TPackedOrder> order = PackOrder(b.input, prompter);
    ASSERT_TRUE(order);
    EXPECT_TRUE(prompter.Shown().isEmpty());
    EXPECT_EQ(skin->Hosei.measured, 1);
    EXPECT_EQ(skin->Hosei.Reference(), (TBgr { 90, 100, 150 }));
    EXPECT_EQ(blue->Hosei.kind, 5);
    EXPECT_EQ(standard->Hosei.kind, 0);
    EXPECT_EQ(Lines(order->correctionFile),
        (QStringList {
            QStringLiteral("skin.bmp=head=R,ver=0,hsi=150:100:90/138+0+10:106+0-2:92+0-4"),
            QStringLiteral("blue.jpg=head=X,ver=0"),
            QStringLiteral("std.jpg=head=s,ver=0,sft=10") }));

    // The basket keeps the measured record, and a measured item is not measured again.
    const QStringList memory = b.basket.MemoryLines(otDpe, b.input.now);
    EXPECT_TRUE(memory.contains(QStringLiteral("HoseiData=Scn|Typ=2|Frm=96645A;")));
    ASSERT_TRUE(WriteFileAtomic(skinFile, SaveDIBToStream(test::UniformBitmap(8, 8, {}))));
    ASSERT_TRUE(QFile::remove(skin->ThumbnailPath.chopped(4)));
    b.input.now = b.input.now.addSecs(60);
    ASSERT_TRUE(PackOrder(b.input, prompter));
    EXPECT_EQ(skin->Hosei.Reference(), (TBgr { 90, 100, 150 }));
}

TEST_F(PackOrderTest, ThePicturesSentAreTheItemsLocalCopies)
{
    TThumbNail *copied = b.Add(QStringLiteral("one/copied.jpg"), QStringLiteral("L"), 1, true);
    TThumbNail *plain = b.Add(QStringLiteral("two/plain.jpg"), QStringLiteral("L"), 1);
    TThumbNail *gone = b.Add(QStringLiteral("three/gone.jpg"), QStringLiteral("L"), 1);
    // The first item has its local copy already, current with its source.
    const QString copy = copied->ThumbnailPath.chopped(4);
    ASSERT_TRUE(MakeLocalCopy(copied->FullPath, copy));
    const QString made = plain->ThumbnailPath.chopped(4);
    ASSERT_FALSE(QFileInfo::exists(made));
    // The third one's source was on a card that is gone: its copy is all there is.
    const QString kept = gone->ThumbnailPath.chopped(4);
    ASSERT_TRUE(MakeLocalCopy(gone->FullPath, kept));
    ASSERT_TRUE(QFile::remove(gone->FullPath));

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
    EXPECT_EQ(local.value(N + QStringLiteral("/$IMG_PRN/gone.jpg")), kept);
    // The entry file lists the size of what is sent; the count list names the sources.
    EXPECT_TRUE(Lines(order->entryFile)
                    .contains(N + QStringLiteral("/$IMG_PRN/copied.jpg=")
                        + QString::number(QFileInfo(copy).size())));
    QStringList sources { copied->FullPath, plain->FullPath, gone->FullPath };
    sources.sort(Qt::CaseInsensitive);
    EXPECT_EQ(Lines(order->countFile), sources);
}

TEST_F(PackOrderTest, AReplacedSourcePhotoIsWhatTheOrderSends)
{
    TThumbNail *item = b.Add(QStringLiteral("one/photo.jpg"), QStringLiteral("L"), 1, true);
    const QString copy = item->ThumbnailPath.chopped(4);
    ASSERT_TRUE(MakeLocalCopy(item->FullPath, copy));
    // The photo is replaced after it went into the basket: once by one of another size, once
    // by one of the same size whose time alone tells it apart.
    for (const QByteArray &replacement : { QByteArray(5000, 'r'), QByteArray(5000, 's') }) {
        QFile file(item->FullPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(replacement);
        file.close();
        ASSERT_TRUE(SetFileTimes(item->FullPath, QDateTime::currentDateTime().addSecs(60), {}));
        TScriptedPrompter quiet;
        const std::optional<TPackedOrder> order = PackOrder(b.input, quiet);
        ASSERT_TRUE(order);
        QFile sent(copy);
        ASSERT_TRUE(sent.open(QIODevice::ReadOnly));
        EXPECT_EQ(sent.readAll(), replacement);
        EXPECT_TRUE(Lines(order->entryFile)
                        .contains(order->name + QStringLiteral("/$IMG_PRN/photo.jpg=5000")));
    }
}

TEST_F(PackOrderTest, EveryFolderAndFileOfTheOrderIsTheOwnersAlone)
{
    // Every kind of file the packing writes, and the local copies of the photos it sends.
    b.Add(QStringLiteral("one/a.jpg"), QStringLiteral("L"), 1, true)->Hosei.kind = 1;
    b.Add(QStringLiteral("two/b.jpg"), QStringLiteral("2L"), 1);
    b.input.cardCopies = 1;
    b.input.indexSheets = MakeIndexSheets;
    const std::optional<TPackedOrder> order = PackOrder(b.input, prompter);
    ASSERT_TRUE(order);
    QStringList paths { b.input.workDir };
    QDirIterator it(b.input.workDir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    QStringList names;
    for (const QString &path : paths)
        names << QFileInfo(path).fileName();
    for (const QString &name : { QStringLiteral("_CARD_.JPG"), QStringLiteral("INDEX01.JPG"),
             QStringLiteral("AUTPRINT.MRK"), QStringLiteral("Hosei"),
             QFileInfo(order->countFile).fileName(), QFileInfo(order->messageFile).fileName(),
             QStringLiteral("SendList.etr") })
        EXPECT_TRUE(names.contains(name)) << name.toStdString();
    for (const TSendItem &item : order->sendList.Items())
        paths << item.local;

    for (const QString &path : paths) {
        const std::filesystem::path native(QFile::encodeName(path).toStdString());
        const int mode = int(std::filesystem::status(native).permissions());
        EXPECT_EQ(QString::number(mode, 8),
            std::filesystem::is_directory(native) ? QStringLiteral("700") : QStringLiteral("600"))
            << path.toStdString();
    }
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

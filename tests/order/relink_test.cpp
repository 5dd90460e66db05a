#include "order/consistency.h"
#include "order/order_fixture.h"
#include "order/relink.h"
#include "platform/prompter.h"
#include "sources/date_scan.h"
#include "support/temp_home.h"

#include <QDir>
#include <QRandomGenerator>
#include <functional>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using R = TModalResult;

// Bytes that differ from any other call's, so two pictures of one size never share content.
QByteArray Content(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (char &c : bytes)
        c = char(random.generate() & 0xff);
    return bytes;
}

// A basket with one picture in Photos/2024 ordered as 3 L and 1 2L, with a correction and the
// date imprint; the picture is then moved away.
struct TMovedFixture : test::TBasketFixture {
    TScriptedPrompter prompter;
    QString oldPath;
    TThumbNail *item = nullptr;

    TMovedFixture()
    {
        oldPath = home.FilePath("Photos/2024/trip.jpg");
        home.Write("Photos/2024/trip.jpg", Content(150 * 1024, 1));
        item = list.AddPicture(1, oldPath, false, 3, "L");
        item->WholeHash = PictureWholeHash(oldPath);
        item->FileSize = 150 * 1024;
        item->SetSizeCount("2L", 1);
        item->Hosei.kind = 2;
        item->Hosei.density = 15;
        item->DatePrint = true;
        item->DateType = dkTime;
        item->DateStr[2] = "custom";
        list.Recount();
        list.RebuildAggregate();
    }

    // Moves the picture to the new name and puts other content (when given) at the old place's
    // name elsewhere.
    QString Move(const QString &to)
    {
        const QString path = home.FilePath(to);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(QFile::rename(oldPath, path));
        return path;
    }

    TConsistencyEnv Env()
    {
        TConsistencyEnv env;
        env.prompter = &prompter;
        env.showProblems = [](const TConsistencyProblems &) { return TProblemAnswer::paCancel; };
        env.findMoved = [this](const QList<const TThumbNail *> &vanished) {
            return FindMovedPictures(list, vanished, MovedSearchRoots(vanished, {}, {}), {});
        };
        return env;
    }
};

} // namespace

TEST(PictureChecksum, FollowsContentNotName)
{
    test::TTempHome home;
    home.Write("a.jpg", Content(200 * 1024, 7));
    home.Write("b.jpg", Content(200 * 1024, 7));
    home.Write("c.jpg", Content(200 * 1024, 8));
    const QString a = PictureChecksum(home.FilePath("a.jpg"));
    EXPECT_TRUE(IsPictureChecksum(a));
    EXPECT_EQ(PictureChecksum(home.FilePath("b.jpg")), a);
    EXPECT_NE(PictureChecksum(home.FilePath("c.jpg")), a);
    // A change in the last bytes and a change of size both count.
    QByteArray tail = Content(200 * 1024, 7);
    tail[tail.size() - 1] = char(tail.back() ^ 1);
    home.Write("d.jpg", tail);
    EXPECT_NE(PictureChecksum(home.FilePath("d.jpg")), a);
    home.Write("e.jpg", Content(200 * 1024, 7) + "x");
    EXPECT_NE(PictureChecksum(home.FilePath("e.jpg")), a);
    EXPECT_EQ(PictureChecksum(home.FilePath("missing.jpg")), QString());
    EXPECT_FALSE(IsPictureChecksum(a.toUpper()));
    EXPECT_FALSE(IsPictureChecksum(a.left(63)));
}

TEST(RelinkMoved, MovedPictureIsFoundAndRelinkedWithItsSettings)
{
    TMovedFixture f;
    const QStringList orders = f.item->Orders;
    const QString newPath = f.Move("Photos/2025/renamed.jpg");
    f.prompter.Answer(R::mrYes);

    EXPECT_FALSE(CheckConsistency(f.list, kCheckAfterLoad, f.Env()));
    ASSERT_EQ(f.prompter.Shown().size(), 1);
    EXPECT_EQ(f.prompter.Shown()[0].text, RelinkQuestion(f.oldPath, newPath));
    EXPECT_EQ(f.prompter.Shown()[0].caption, "見つかりました");
    EXPECT_TRUE(f.prompter.Shown()[0].text.contains(QDir::toNativeSeparators(newPath)));
    EXPECT_TRUE(f.prompter.Shown()[0].text.contains(QDir::toNativeSeparators(f.oldPath)));

    EXPECT_EQ(f.item->FullPath, newPath);
    EXPECT_EQ(f.item->FileName, "renamed.jpg");
    EXPECT_EQ(f.item->Orders, orders);
    EXPECT_EQ(f.item->TotalCount, 4);
    EXPECT_EQ(f.item->CurrentSize, "L");
    EXPECT_EQ(f.item->Hosei.kind, 2);
    EXPECT_EQ(f.item->Hosei.density, 15);
    EXPECT_TRUE(f.item->DatePrint);
    EXPECT_EQ(f.item->DateType, dkTime);
    EXPECT_EQ(f.item->DateStr[2], "custom");
    EXPECT_TRUE(FindProblems(f.list).Empty());

    // The checksum goes through the order memory, so the next run can still follow the picture.
    const QString memory = f.home.FilePath("OrderMemory.txt");
    ASSERT_TRUE(f.list.SaveMemory(memory, {}, QDateTime({ 2026, 1, 2 }, { 3, 4, 5 })));
    TThumbNails again(f.list.Context());
    ASSERT_EQ(again.LoadMemory(memory, {}), 1);
    EXPECT_EQ(again.Item(0)->Checksum, f.item->Checksum);
    EXPECT_EQ(again.Item(0)->WholeHash, PictureWholeHash(newPath));
}

TEST(RelinkMoved, NoKeepsTheItemVanished)
{
    TMovedFixture f;
    f.Move("Photos/2025/trip.jpg");
    f.prompter.Answer(R::mrNo); // not this one
    f.prompter.Answer(R::mrNo); // "詳細を表示しますか？"
    EXPECT_TRUE(CheckConsistency(f.list, kCheckAfterLoad, f.Env()));
    EXPECT_EQ(f.item->FullPath, f.oldPath);
    EXPECT_EQ(f.prompter.Shown().size(), 2);
}

TEST(RelinkMoved, SameNameAndSizeButOtherContentIsNeverTaken)
{
    TMovedFixture f;
    QFile::remove(f.oldPath);
    f.home.Write("Photos/2025/trip.jpg", Content(150 * 1024, 2));
    const QString other = f.home.FilePath("Photos/2025/trip.jpg");
    f.prompter.Answer(R::mrNo); // "詳細を表示しますか？"

    EXPECT_TRUE(CheckConsistency(f.list, kCheckAfterLoad, f.Env()));
    ASSERT_EQ(f.prompter.Shown().size(), 1);
    EXPECT_FALSE(f.prompter.Shown()[0].text.contains("見つかりました"));
    EXPECT_EQ(f.item->FullPath, f.oldPath);
    // Nor can a direct relink point the item at it.
    EXPECT_FALSE(RelinkItem(f.list, *f.item, other));
    EXPECT_EQ(f.item->FullPath, f.oldPath);
}

// A file that only looks like the picture is never taken, neither found nor relinked: one of the
// same size, head and tail whose middle differs, a link to the picture and a link to its folder.
TEST(RelinkMoved, OnlyThePictureItselfIsTaken)
{
    // direct: the file is also named as a date-tree candidate and offered to RelinkItem (the
    // date tree never lists a path through a linked folder).
    const struct {
        const char *name;
        bool direct;
        std::function<void(TMovedFixture &)> arrange;
    } cases[] = {
        { "changed in the middle", true,
            [](TMovedFixture &f) {
                QByteArray bytes = Content(150 * 1024, 1);
                bytes[75 * 1024] = char(bytes[75 * 1024] ^ 1);
                QFile::remove(f.oldPath);
                f.home.Write("Photos/2025/trip.jpg", bytes);
            } },
        { "link to the file", true,
            [](TMovedFixture &f) {
                const QString aside = f.Move("Aside/trip.jpg");
                QDir().mkpath(f.home.FilePath("Photos/2025"));
                ASSERT_TRUE(QFile::link(aside, f.home.FilePath("Photos/2025/trip.jpg")));
            } },
        { "link to its folder", false,
            [](TMovedFixture &f) {
                f.Move("Aside/trip.jpg");
                ASSERT_TRUE(QFile::link(f.home.FilePath("Aside"), f.home.FilePath("Photos/2025")));
            } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TMovedFixture f;
        c.arrange(f);
        const QString there = f.home.FilePath("Photos/2025/trip.jpg");
        ASSERT_EQ(PictureChecksum(there), f.item->Checksum); // the cheap checksum cannot tell
        const QList<const TThumbNail *> vanished = FindProblems(f.list).vanished;
        const QStringList candidates = c.direct ? QStringList { there } : QStringList();
        EXPECT_TRUE(FindMovedPictures(f.list, vanished, { f.home.FilePath("Photos") }, candidates)
                        .found.isEmpty());
        EXPECT_TRUE(!c.direct || !RelinkItem(f.list, *f.item, there));
    }
}

TEST(RelinkMoved, ItemsWithoutChecksumAreNotLookedForAndTheCustomerIsTold)
{
    TMovedFixture f;
    f.item->Checksum.clear(); // a basket from before checksums were kept
    f.Move("Photos/2025/trip.jpg");
    const QList<const TThumbNail *> vanished = FindProblems(f.list).vanished;
    const TRelinkSearch search = FindMovedPictures(f.list, vanished, { f.home.Path() }, {});
    EXPECT_TRUE(search.found.isEmpty());
    ASSERT_EQ(search.unverifiable.size(), 1);

    f.prompter.Answer(R::mrOk);
    EXPECT_EQ(OfferMovedPictures(f.list, vanished, f.Env()), 0);
    ASSERT_EQ(f.prompter.Shown().size(), 1);
    EXPECT_EQ(f.prompter.Shown()[0].text, UnverifiableNotice(1));
}

TEST(RelinkMoved, SearchTakesDateTreeCandidatesAndKeepsItsLimits)
{
    TMovedFixture f;
    const QString newPath = f.Move("Elsewhere/deep/x.jpg");
    const QList<const TThumbNail *> vanished = FindProblems(f.list).vanished;

    // The date tree names the new place: found without walking any folder.
    const QStringList dateData = { ScanLine(0x5A210000, newPath, 150 * 1024),
        ScanLine(0x5A210000, f.home.FilePath("other.jpg"), 16) };
    EXPECT_EQ(DateTreeCandidates(dateData, vanished), QStringList { newPath });
    TRelinkSearch search = FindMovedPictures(f.list, vanished, {}, { newPath });
    ASSERT_EQ(search.found.size(), 1);
    EXPECT_EQ(search.found[0].path, newPath);

    // Too shallow a walk does not reach it; a cancelled one stops.
    TRelinkLimits shallow;
    shallow.maxDepth = 0;
    EXPECT_TRUE(FindMovedPictures(f.list, vanished, { f.home.FilePath("Elsewhere") }, {}, shallow)
                    .found.isEmpty());
    TRelinkProgress cancel;
    cancel.cancelled = [] { return true; };
    search = FindMovedPictures(f.list, vanished, { f.home.Path() }, {}, {}, cancel);
    EXPECT_TRUE(search.found.isEmpty());
    EXPECT_TRUE(search.stopped);
    // A file already in the basket is never taken for another item.
    f.list.AddPicture(1, newPath, false, 1, "L");
    EXPECT_TRUE(FindMovedPictures(f.list, vanished, { f.home.Path() }, {}).found.isEmpty());
}

TEST(RelinkMoved, SearchRootsAreTheFoldersAroundTheOldPlaceFirst)
{
    TMovedFixture f;
    const QList<const TThumbNail *> vanished { f.item };
    const QStringList roots
        = MovedSearchRoots(vanished, f.home.FilePath("Last"), { "/", "/media/x" });
    EXPECT_EQ(roots,
        (QStringList {
            f.home.FilePath("Photos"), f.home.Path(), f.home.FilePath("Last"), "/media/x" }));
}

} // namespace korvatel

namespace korvatel
{

// The test main's fence: a search walking a folder outside the test's own folder fails the test
// that started it, so a test that would find another test's pictures cannot pass by chance.
TEST(RelinkMoved, ASearchOutsideTheTestsOwnFolderFailsTheTest)
{
    QTemporaryDir outside; // made before the home, so not inside it
    TMovedFixture f;
    f.Move("Elsewhere/x.jpg");
    const QList<const TThumbNail *> vanished = FindProblems(f.list).vanished;
    testing::TestPartResultArray failures;
    {
        testing::ScopedFakeTestPartResultReporter reporter(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        FindMovedPictures(f.list, vanished, { outside.path(), f.home.Path() }, {});
    }
    ASSERT_EQ(failures.size(), 1);
    EXPECT_NE(
        std::string(failures.GetTestPartResult(0).message()).find(outside.path().toStdString()),
        std::string::npos);
}

} // namespace korvatel

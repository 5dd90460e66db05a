#include "cli/cli.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

struct TBasketRun {
    int status;
    QString out;
    QString err;
};

TBasketRun Basket(const QStringList &args)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = RunCli(QStringList { "basket" } + args, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return { status, out, err };
}

} // namespace

TEST(BasketCommand, RelinkFollowsAMovedPictureAndRefusesAnImpostor)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write("Photos/a/one.jpg", QByteArray(70000, 'a') + "one"));
    ASSERT_TRUE(home.Write("Photos/a/two.jpg", QByteArray(70000, 'b') + "two"));
    const QString memory = home.FilePath("OrderMemory");
    TBasketRun run = Basket({ memory, "--add", home.FilePath("Photos/a/one.jpg"),
        home.FilePath("Photos/a/two.jpg"), "--size", "L", "--count", "2" });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    // one.jpg is moved and renamed; two.jpg is replaced by another picture of its name and size.
    QDir().mkpath(home.FilePath("Photos/b"));
    ASSERT_TRUE(QFile::rename(home.FilePath("Photos/a/one.jpg"), home.FilePath("Photos/b/1.jpg")));
    QFile::remove(home.FilePath("Photos/a/two.jpg"));
    ASSERT_TRUE(home.Write("Photos/b/two.jpg", QByteArray(70000, 'c') + "two"));

    EXPECT_EQ(Basket({ memory, "--relink" }).status, 2); // only with --check
    // Given its own roots, the search looks nowhere else.
    QDir().mkpath(home.FilePath("Empty"));
    run = Basket({ memory, "--check", "--relink", "--search-root", home.FilePath("Empty") });
    EXPECT_FALSE(run.out.contains("relinked")) << run.out.toStdString();
    run = Basket({ memory, "--check", "--relink", "--search-root", home.FilePath("Photos") });
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.contains(
        "relinked " + home.FilePath("Photos/a/one.jpg") + " -> " + home.FilePath("Photos/b/1.jpg")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("vanished " + home.FilePath("Photos/a/two.jpg")));
    EXPECT_FALSE(run.out.contains(home.FilePath("Photos/b/two.jpg")));

    // The basket was saved with the new place and the counts.
    run = Basket({ memory, "--check" });
    EXPECT_TRUE(run.out.contains(home.FilePath("Photos/b/1.jpg") + "\t70003\tL=2\tL\t2\t"))
        << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("vanished " + home.FilePath("Photos/a/one.jpg")));
}

} // namespace korvatel

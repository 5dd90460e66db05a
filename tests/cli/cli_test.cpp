#include "app/program_update.h"
#include "cli/cli.h"
#include "imaging/dib.h"
#include "imaging/jpeg_codec.h"
#include "support/demo_shop.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "version.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

struct TCliRun {
    int status;
    QString out;
    QString err;
};

TCliRun Capture(const QStringList &args)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = RunCli(args, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return { status, out, err };
}

} // namespace

TEST(KorvatelCli, VersionPrintsVersionBuildStampAndUpdateTrust)
{
    const TCliRun run = Capture({ QStringLiteral("--version") });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
        QStringLiteral("korvatel-cli %1 (build %2)\n%3\n")
            .arg(QLatin1String(kProgramVersion), QLatin1String(kBuildStamp), UpdateTrustLine()));
}

TEST(KorvatelCli, WrongCommandLinesExitWithTwo)
{
    EXPECT_EQ(Capture({}).status, 2);
    const TCliRun unknown = Capture({ QStringLiteral("frobnicate") });
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("unknown command: frobnicate")));
    EXPECT_EQ(Capture({ QStringLiteral("cp932-decode") }).status, 2);
    EXPECT_EQ(Capture({ QStringLiteral("--help") }).status, 0);
}

TEST(KorvatelCli, EveryCommandAnswersHelpWithItsUsage)
{
    const TCliRun list = Capture({ QStringLiteral("--help") });
    QStringList names;
    for (const QString &line : list.out.split(u'\n')) {
        if (line.startsWith(QLatin1String("  ")))
            names << line.trimmed().section(u' ', 0, 0);
    }
    ASSERT_GE(names.size(), 17);
    for (const QString &name : names) {
        const TCliRun help = Capture({ name, QStringLiteral("--help") });
        EXPECT_EQ(help.status, 0) << name.toStdString();
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: korvatel-cli ") + name))
            << help.out.toStdString();
        EXPECT_TRUE(help.err.isEmpty()) << name.toStdString();
    }
}

TEST(KorvatelCli, MissingFileFails)
{
    const TCliRun run
        = Capture({ QStringLiteral("cp932-decode"), QStringLiteral("/nonexistent/x") });
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("cannot read")));
}

TEST(KorvatelCli, ExifPrintsOneLinePerField)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("a.jpg"),
        test::ExifJpegBuilder(test::ByteOrder::Motorola)
            .dateTaken("2004:07:15 13:05:09")
            .make("Maker")
            .thumbnail(test::JpegBytes(test::PatternBitmap(8, 8)))
            .build()));
    const TCliRun run = Capture({ QStringLiteral("exif"), home.FilePath(QStringLiteral("a.jpg")) });
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("\nbyte_order=MM\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("\nwidth=32\nheight=24\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("\ndate_taken=2004:07:15 13:05:09\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("\nthumbnail=yes\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("\nmake=Maker\n")));
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("error=0\n")));
    const TCliRun missing
        = Capture({ QStringLiteral("exif"), home.FilePath(QStringLiteral("none.jpg")) });
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.endsWith(QStringLiteral("error=-1\n")));
}

TEST(KorvatelCli, DecodeResizeAndThumb)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("a.bmp"), SaveDIBToStream(test::PatternBitmap(30, 20))));
    ASSERT_TRUE(home.Write(QStringLiteral("b.jpg"), test::JpegBytes(test::PatternBitmap(64, 32))));
    const QString png = home.FilePath(QStringLiteral("a.png"));
    EXPECT_EQ(
        Capture({ QStringLiteral("decode"), home.FilePath(QStringLiteral("a.bmp")), png }).status,
        0);
    EXPECT_EQ(QImage(png).size(), QSize(30, 20));
    EXPECT_EQ(Capture({ QStringLiteral("decode"), home.FilePath(QStringLiteral("b.jpg")), png,
                          QStringLiteral("--scale"), QStringLiteral("4") })
                  .status,
        0);
    EXPECT_EQ(QImage(png).size(), QSize(16, 8));
    const TCliRun resize
        = Capture({ QStringLiteral("resize"), home.FilePath(QStringLiteral("a.bmp")), png,
            QStringLiteral("--fit"), QStringLiteral("15"), QStringLiteral("--area") });
    EXPECT_EQ(resize.status, 0);
    EXPECT_EQ(resize.out, QStringLiteral("15x10\n"));
    EXPECT_EQ(Capture({ QStringLiteral("resize"), home.FilePath(QStringLiteral("a.bmp")), png,
                          QStringLiteral("--sideways") })
                  .status,
        2);
    const QString thumb = home.FilePath(QStringLiteral("t.jpg"));
    const TCliRun run = Capture({ QStringLiteral("thumb"), home.FilePath(QStringLiteral("b.jpg")),
        QStringLiteral("--mode"), QStringLiteral("3"), thumb });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(QImage(thumb).size(), QSize(400, 200));
    EXPECT_EQ(Capture({ QStringLiteral("thumb"), thumb, QStringLiteral("--mode"),
                          QStringLiteral("9"), thumb })
                  .status,
        2);
}

} // namespace korvatel

namespace korvatel
{

TEST(KorvatelCli, BasketAddsPicturesAndChecksThem)
{
    test::TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("a.jpg"), "abc"));
    ASSERT_TRUE(home.Write(QStringLiteral("b.jpg"), "abcd"));
    const QString memory = home.FilePath(QStringLiteral("OrderMemory"));
    TCliRun run = Capture({ QStringLiteral("basket"), memory, QStringLiteral("--add"),
        home.FilePath(QStringLiteral("a.jpg")), home.FilePath(QStringLiteral("b.jpg")),
        QStringLiteral("--size"), QStringLiteral("L"), QStringLiteral("--count"),
        QStringLiteral("2") });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("items=2 prints=4 cd=2 cd_bytes=7 bad=0\n")));
    QFile::remove(home.FilePath(QStringLiteral("b.jpg")));
    run = Capture({ QStringLiteral("basket"), memory, QStringLiteral("--check") });
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("vanished ") + home.FilePath("b.jpg")));
    EXPECT_EQ(Capture({ QStringLiteral("basket"), memory, QStringLiteral("--add") }).status, 2);
}

namespace
{

TEST(KorvatelCli, ServerCommandsAgainstTheDemoShop)
{
    test::TDemoShop shop;
    ASSERT_TRUE(shop.Running()) << shop.StartError().toStdString();
    ASSERT_TRUE(shop.Control(QStringLiteral("time=2026/12/08 10:00:00")));
    const test::TServersEnv servers(shop);
    QTemporaryDir dir;

    const TCliRun fetch
        = Capture({ QStringLiteral("fetch-shop"), QStringLiteral("デモ写真館"), dir.path() });
    EXPECT_EQ(fetch.status, 0) << fetch.err.toStdString();
    EXPECT_TRUE(fetch.out.contains(QStringLiteral("shop\t1234\n")));
    EXPECT_TRUE(fetch.out.contains(QStringLiteral("switches\tHosei.on,Card.on,Http.on\n")));
    EXPECT_EQ(
        Capture({ QStringLiteral("server-time") }).out, QStringLiteral("2026/12/08 10:00:00\n"));
    const TCliRun versions = Capture({ QStringLiteral("versions"), QStringLiteral("0.95") });
    EXPECT_EQ(versions.out,
        QStringLiteral("state\t2\nmessage\t最新版サービスは稼動中です。\nnewer\t1.00="
                       "インターネット注文に対応\n"));
    // The FTP password comes from the environment, never from the command line.
    const QStringList ftpList
        = { QStringLiteral("ftp-list"), shop.FtpHost(), shop.FtpUser(), QStringLiteral("/order") };
    qputenv("KORVATEL_FTP_PASSWORD", shop.FtpPassword().toUtf8());
    const TCliRun list = Capture(ftpList);
    EXPECT_EQ(list.status, 0) << list.err.toStdString();
    EXPECT_EQ(list.out, QStringLiteral("dir\tmessage\n"));
    EXPECT_EQ(Capture({ QStringLiteral("ftp-list"), shop.FtpHost(), shop.FtpUser(),
                          shop.FtpPassword(), QStringLiteral("/order") })
                  .status,
        2);
    qputenv("KORVATEL_FTP_PASSWORD", "bad");
    EXPECT_EQ(Capture(ftpList).err, QStringLiteral("ホスト接続の失敗。\n"));
    qunsetenv("KORVATEL_FTP_PASSWORD");
}

} // namespace

TEST(KorvatelCli, ThumbBatchMakesEveryFilesThumbnailAsTheSingleFormDoes)
{
    test::TTempHome home;
    QStringList files;
    for (int i = 0; i < 6; ++i) {
        const QString name = QStringLiteral("p%1.jpg").arg(i);
        ASSERT_TRUE(home.Write(name, test::JpegBytes(test::PatternBitmap(64 + 8 * i, 32))));
        files << home.FilePath(name);
    }
    ASSERT_TRUE(home.Write(QStringLiteral("broken.jpg"), QByteArray("\xFF\xD8\xFF", 3)));
    files << home.FilePath(QStringLiteral("broken.jpg"));
    const QString dir = home.FilePath(QStringLiteral("thumbs"));

    const TCliRun batch
        = Capture(QStringList { QStringLiteral("thumb"), QStringLiteral("--out-dir"), dir,
                      QStringLiteral("--mode"), QStringLiteral("3") }
            + files);
    EXPECT_EQ(batch.status, 1); // one file could not be read
    EXPECT_TRUE(batch.err.contains(QStringLiteral("thumb 7/7\n")));
    EXPECT_TRUE(batch.err.contains(QStringLiteral("broken.jpg")));
    EXPECT_TRUE(batch.out.endsWith(QStringLiteral("made 6 of 7\n")));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/broken.jpg")));
    // Each thumbnail is the one the single form makes, byte for byte.
    const QString single = home.FilePath(QStringLiteral("single.jpg"));
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(Capture({ QStringLiteral("thumb"), files[i], QStringLiteral("--mode"),
                              QStringLiteral("3"), single })
                      .status,
            0);
        QFile a(single), b(dir + QStringLiteral("/p%1.jpg").arg(i));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_EQ(a.readAll(), b.readAll()) << i;
    }
    // Two files of one name would overwrite each other's thumbnail.
    EXPECT_EQ(
        Capture({ QStringLiteral("thumb"), QStringLiteral("--out-dir"), dir, files[0], files[0] })
            .status,
        2);
}

} // namespace korvatel

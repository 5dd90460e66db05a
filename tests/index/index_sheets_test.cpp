#include "cli/cli.h"
#include "index/index_format.h"
#include "index/index_sheets.h"
#include "support/image_builders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

QStringList Pictures(const QTemporaryDir &dir, int count)
{
    const QString path = dir.filePath("p.jpg");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(test::JpegBytes(test::UniformBitmap(64, 48, { 0, 128, 255 })));
    return QStringList(count, path);
}

} // namespace

TEST(MakeIndexSheets, OnePictureOneSheetThirtyOneTwo)
{
    QTemporaryDir dir;
    const QString order = dir.filePath("order");
    ASSERT_TRUE(QDir().mkpath(order));
    EXPECT_EQ(MakeIndexSheets(Pictures(dir, 1), order), QStringList({ order + "/INDEX01.JPG" }));
    EXPECT_EQ(MakeIndexSheets(Pictures(dir, 31), order),
        QStringList({ order + "/INDEX01.JPG", order + "/INDEX02.JPG" }));
    EXPECT_EQ(QDir(order).entryList(QDir::Files), QStringList({ "INDEX01.JPG", "INDEX02.JPG" }));
    EXPECT_TRUE(MakeIndexSheets({}, order).isEmpty());
    // The global object's own list and cursor are never touched.
    EXPECT_EQ(GlobalIndexFormat().ImageCount(), 0);
    EXPECT_EQ(GlobalIndexFormat().LayoutName, "@Default");
}

TEST(MakeIndexSheets, UnwritableFolderGivesNothingAndLeavesNothing)
{
    QTemporaryDir dir;
    EXPECT_TRUE(MakeIndexSheets(Pictures(dir, 3), dir.filePath("no/such/folder")).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("no")));
}

TEST(MakeIndexSheets, UsesTheGlobalLayout)
{
    QTemporaryDir dir;
    TIndexFormat &global = GlobalIndexFormat();
    const TIndexFormat saved = global;
    global.LoadFromText("[HEADER]=W=12000,H=6000\r\nframe[ImgArea]=V=TRUE,L=0,T=0,W=12000,H=6000");
    const QStringList written = MakeIndexSheets(Pictures(dir, 2), dir.path());
    global = saved;
    ASSERT_EQ(written.size(), 1);
    QImage sheet(written[0]);
    EXPECT_EQ(sheet.size(), QSize(1200, 600));
}

// The count the order is priced with must be the count the packing writes.
TEST(IndexSheetCount, AgreesWithTheSheetsWritten)
{
    QTemporaryDir dir;
    for (int pictures : { 0, 1, 30, 31, 61 }) {
        const QString order = dir.filePath(QString::number(pictures));
        ASSERT_TRUE(QDir().mkpath(order));
        EXPECT_EQ(IndexSheetCount(pictures), MakeIndexSheets(Pictures(dir, pictures), order).size())
            << pictures;
    }
    EXPECT_EQ(IndexSheetCount(31), 2);
    // A layout without a grid draws one sheet, however many pictures there are.
    TIndexFormat &global = GlobalIndexFormat();
    const TIndexFormat saved = global;
    global.LoadFromText("[HEADER]=W=12000,H=6000\r\nframe[Title]=V=TRUE,L=0,T=0,W=12000,H=600");
    const int withoutGrid = IndexSheetCount(45);
    const qsizetype written = MakeIndexSheets(Pictures(dir, 45), dir.path()).size();
    global = saved;
    EXPECT_EQ(withoutGrid, 1);
    EXPECT_EQ(written, 1);
}

TEST(CliIndexSheet, PrintsTheWrittenSheets)
{
    QTemporaryDir dir;
    const QStringList pictures = Pictures(dir, 31);
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const QString folder = dir.filePath("sheets");
    EXPECT_EQ(
        RunCli(QStringList({ "index-sheet", "--out", folder }) + pictures, outStream, errStream),
        0);
    outStream.flush();
    EXPECT_EQ(out, folder + "/INDEX01.JPG\n" + folder + "/INDEX02.JPG\n");

    // With a layout file: one sheet of 1200 × 600 holds them all.
    TIndexFormat wide;
    wide.LoadFromText("[HEADER]=W=12000,H=6000,CC=8\r\n[THUMB]=name=w,aspW=1,aspH=1\r\n"
                      "frame[ImgArea]=V=TRUE,L=0,T=0,W=12000,H=6000");
    ASSERT_TRUE(wide.SaveToFile(dir.filePath("wide.nxf")));
    out.clear();
    EXPECT_EQ(RunCli(QStringList({ "index-sheet", "--layout", dir.filePath("wide.nxf"), "--out",
                         dir.filePath("wide") })
                      + pictures.mid(0, 32),
                  outStream, errStream),
        0);
    outStream.flush();
    EXPECT_EQ(out, dir.filePath("wide") + "/INDEX01.JPG\n");
    EXPECT_EQ(QImage(dir.filePath("wide/INDEX01.JPG")).size(), QSize(1200, 600));

    EXPECT_EQ(RunCli({ "index-sheet", "--layout", dir.filePath("none.nxf"), "--out", folder,
                         pictures[0] },
                  outStream, errStream),
        1);
    EXPECT_EQ(RunCli({ "index-sheet", pictures[0] }, outStream, errStream), 2);
    EXPECT_EQ(RunCli({ "index-sheet", "--out", folder }, outStream, errStream), 2);
}

} // namespace korvatel

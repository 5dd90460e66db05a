#include "index/index_format.h"
#include "index/index_sheets.h"
#include "support/image_builders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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

} // namespace korvatel

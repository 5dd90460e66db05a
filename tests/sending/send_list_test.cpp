#include "sending/order_builder.h"
#include "sending/send_list.h"
#include "text/cp932.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::TOrderBuilder;

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

TEST(TSendList, Cp932SafeReplacesEachCharacterShiftJisCannotHold)
{
    EXPECT_EQ(Cp932Safe(QStringLiteral("写真-1.jpg")), QStringLiteral("写真-1.jpg"));
    // An emoji is two UTF-16 units and becomes one "_".
    EXPECT_EQ(Cp932Safe(QStringLiteral("a😀b사c")), QStringLiteral("a_b_c"));
    EXPECT_EQ(Cp932Safe(QString()), QString());
}

} // namespace

} // namespace korvatel

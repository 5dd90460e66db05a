#include "mobile/keitai_datas.h"
#include "text/sjis_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TEST(TKeitaiData, FormatNamesReadAsStoredAndUnknownTextIsEtc)
{
    for (const char *name : { "gif", "GIF", "pfGIF", ".gif", "Gif" })
        EXPECT_EQ(KeitaiFormatOf(QString::fromLatin1(name)), 3) << name;
    EXPECT_EQ(KeitaiFormatOf(QStringLiteral("----")), 0);
    EXPECT_EQ(KeitaiFormatOf(QString()), 4);
    EXPECT_EQ(KeitaiFormatOf(QStringLiteral(".etc")), 0); // the extension form has no ETC
    EXPECT_EQ(KeitaiFormatOf(QStringLiteral("jpeg")), 0);
    EXPECT_EQ(KeitaiFormatOf(QStringLiteral("pfBMP")), 1);
    EXPECT_EQ(KeitaiFormatMessage(3), QStringLiteral("未対応です。"));
    EXPECT_EQ(KeitaiFormatColour(3), QColor(Qt::red));
    EXPECT_EQ(KeitaiFormatMessage(0), QStringLiteral("対応は未確認です。"));
    EXPECT_EQ(KeitaiFormatMessage(2), QStringLiteral("対応しています。"));
    EXPECT_EQ(KeitaiFormatColour(4), QColor(0x00, 0x40, 0x20));
}

TEST(TKeitaiData, LinesReadTheirKeysAndAMissingFormatIsJpg)
{
    const TKeitaiData gif = KeitaiDataFromLine(
        QStringLiteral("Prov=au,Maker=SONY,Model=A1101S,W=120,H=130,Fmt=gif,Sys=sys"));
    EXPECT_EQ(gif.prov, QStringLiteral("au"));
    EXPECT_EQ(gif.model, QStringLiteral("A1101S"));
    EXPECT_EQ(gif.w, 120);
    EXPECT_EQ(gif.fmt, 3);
    EXPECT_TRUE(gif.sys);
    EXPECT_EQ(KeitaiDataFromLine(QStringLiteral("Prov=x,Model=y,Fmt=----")).fmt, 0);
    const TKeitaiData bare = KeitaiDataFromLine(QStringLiteral("Prov=x,Maker=m,Model=y,W=oops"));
    EXPECT_EQ(bare.fmt, 4);
    EXPECT_EQ(bare.w, 0);
    EXPECT_FALSE(bare.sys);
    // A line without the names becomes an entry with empty names.
    EXPECT_EQ(KeitaiDataFromLine(QStringLiteral("W=1,H=2")).model, QString());

    TKeitaiData data { QStringLiteral("docomo"), QStringLiteral("N E C"), QStringLiteral("N,1"),
        240, 320, 2, true };
    EXPECT_EQ(KeitaiDataLine(data),
        QStringLiteral("Prov=docomo,\"Maker=N E C\",\"Model=N,1\",W=240,H=320,Fmt=PNG,Sys=TRUE"));
    EXPECT_EQ(KeitaiDataFromLine(KeitaiDataLine(data)), data);
    data.sys = false;
    EXPECT_FALSE(KeitaiDataLine(data).contains(QStringLiteral("Sys")));
}

TEST(TKeitaiDatas, TheBuiltInTableReadsItsPaddedRows)
{
    TKeitaiDatas table;
    table.LoadBuiltIn();
    ASSERT_EQ(table.Count(), BuiltInKeitaiRows().size());
    const TKeitaiData &first = table.Item(0);
    EXPECT_EQ(first,
        (TKeitaiData { QStringLiteral("docomo"), QStringLiteral("Panasonic"),
            QStringLiteral("P505iS"), 240, 320, 4, true }));
    const TKeitaiData &last = table.Item(table.Count() - 1);
    EXPECT_EQ(last.model, QStringLiteral("TS11"));
    EXPECT_EQ(last.h, 128);
    EXPECT_EQ(table.Carriers(), QStringList({ "docomo", "au", "J-Phone", "vodafone", "TU-KA" }));
    EXPECT_EQ(
        table.Makers(QStringLiteral("TU-KA")), QStringList({ "KYOCERA", "TOSHIBA", "SANYO" }));
    EXPECT_EQ(table.Models(QStringLiteral("TU-KA"), QStringLiteral("sanyo")),
        QStringList({ "TS31", "TS11" }));
    EXPECT_EQ(table.Find(QStringLiteral("sh252i"))->fmt, 0); // "----"
    EXPECT_EQ(table.Find(QStringLiteral("J-SH07"))->fmt, 3);
    EXPECT_EQ(table.Find(QStringLiteral("P505iS"), QStringLiteral("NEC")), nullptr);
    EXPECT_EQ(table.Find(QStringLiteral("P505iS"), {}, QStringLiteral("au")), nullptr);
    // Every built-in row is unique: the picker could not tell two rows apart.
    TKeitaiDatas reread;
    EXPECT_EQ(reread.LoadFromLines(table.Lines()), table.Count());
}

TEST(TKeitaiDatas, FilesRoundTripAndRepeatedModelsImportOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Keitai.ini"));
    TKeitaiDatas table;
    EXPECT_EQ(table.LoadFromFile(path), -1);
    EXPECT_EQ(table.SaveToFile(path), 0);
    EXPECT_FALSE(QFile::exists(path)); // an empty table writes nothing
    ASSERT_TRUE(WriteSjisLines(path,
        { QStringLiteral("Prov=デモ,Maker=電機,Model=K1,W=144,H=176,Fmt=GIF"),
            QStringLiteral("Prov=デモ,Maker=電機,Model=K1,W=1,H=1,Fmt=BMP"),
            QStringLiteral("Prov=DEMO,Maker=電機,Model=k1,W=2,H=2"), QString(),
            QStringLiteral("Prov=デモ,Maker=電機,Model=K2,W=20,H=20,Fmt=png") }));
    EXPECT_EQ(table.LoadFromFile(path), 3);
    EXPECT_EQ(table.Find(QStringLiteral("K1"))->w, 144); // the first of the repeats
    EXPECT_EQ(
        table.Models(QStringLiteral("デモ"), QStringLiteral("電機")), QStringList({ "K1", "K2" }));

    table.Add({ QStringLiteral("au"), QStringLiteral("X"), QStringLiteral("Z9"), 100, 200, 1 });
    EXPECT_TRUE(table.Update(
        { QStringLiteral("デモ"), QStringLiteral("電機"), QStringLiteral("K2"), 30, 40, 4 }));
    EXPECT_TRUE(table.Delete(QStringLiteral("k1"), QStringLiteral("電機"), QStringLiteral("DEMO")));
    EXPECT_FALSE(table.Delete(QStringLiteral("K1"), QStringLiteral("other"), {}));
    EXPECT_EQ(table.SaveToFile(path), 3);
    const std::optional<QByteArray> bytes = ReadWholeFile(path);
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(bytes->endsWith("Fmt=BMP\r\n"));
    TKeitaiDatas reread;
    reread.LoadDefault(path);
    EXPECT_EQ(reread.Items(), table.Items());
    TKeitaiDatas builtIn;
    builtIn.LoadDefault(dir.filePath(QStringLiteral("none.ini")));
    EXPECT_EQ(builtIn.Count(), BuiltInKeitaiRows().size());
}

TEST(TKeitaiDatas, CarrierOfMailComparesTheDomain)
{
    EXPECT_EQ(CarrierOfMail(QStringLiteral("taro@docomo.ne.jp")), QStringLiteral("docomo"));
    EXPECT_EQ(CarrierOfMail(QStringLiteral("taro@EZweb.ne.jp")), QStringLiteral("au"));
    EXPECT_EQ(CarrierOfMail(QStringLiteral("a@jp-t.ne.jp")), QStringLiteral("J-Phone"));
    EXPECT_EQ(CarrierOfMail(QStringLiteral("a@jp-k.ne.jp")), QStringLiteral("J-Phone"));
    EXPECT_EQ(CarrierOfMail(QStringLiteral("a@x.docomo.ne.jp")), QString());
    EXPECT_EQ(CarrierOfMail(QStringLiteral("docomo.ne.jp")), QString());
    EXPECT_EQ(CarrierOfMail(QStringLiteral("a@example.jp")), QString());
}

} // namespace

} // namespace korvatel

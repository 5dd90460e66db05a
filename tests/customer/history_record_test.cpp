#include "customer/history_record.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(HistoryText, PartsAreSeparatedOnlyWhenSomethingPrecedes)
{
    const QStringList order { QStringLiteral("開始=2026/12/08 10:00:00"),
        QStringLiteral("終了=2026/12/08 10:01:00"), QString(), QStringLiteral("注文番号=1-2"),
        QStringLiteral("<files>"), QStringLiteral("a.jpg"), QStringLiteral("<end>"),
        QStringLiteral("after end") };
    const QStringList text = BuildHistoryText({}, order,
        { { QStringLiteral("L"), { QStringLiteral("[JOB]") } }, { QStringLiteral("2L"), {} } });
    const QStringList expected { QStringLiteral("<body_start>"),
        QStringLiteral("開始=2026/12/08 10:00:00"), QStringLiteral("終了=2026/12/08 10:01:00"),
        QString(), QStringLiteral("注文番号=1-2"), QStringLiteral("<body_end>"), QString(),
        QStringLiteral("/////////////////////////////"), QString(), QStringLiteral("<files_start>"),
        QStringLiteral("a.jpg"), QStringLiteral("<files_end>"), QString(),
        QStringLiteral("/////////////////////////////"), QString(), QStringLiteral("<dpof_start>"),
        QStringLiteral("<misc>:L"), QStringLiteral("[JOB]"), QStringLiteral("<end>"),
        QStringLiteral("<dpof_end>") };
    EXPECT_EQ(text, expected);

    const QStringList credit
        = BuildHistoryText({ QStringLiteral("oid=1") }, { QStringLiteral("x") }, {});
    EXPECT_EQ(credit,
        (QStringList { QStringLiteral("<credit_start>"), QStringLiteral("oid=1"),
            QStringLiteral("<credit_end>"), QString(),
            QStringLiteral("/////////////////////////////"), QString(),
            QStringLiteral("<body_start>"), QStringLiteral("x"), QStringLiteral("<body_end>") }));
    EXPECT_TRUE(BuildHistoryText({}, {}, { { QStringLiteral("L"), {} } }).isEmpty());
}

TEST(HistoryText, SectionsReadBackAndAMissingEndRunsToTheEnd)
{
    const QStringList text = BuildHistoryText({ QStringLiteral("pak=1=A") },
        { QStringLiteral("body"), QStringLiteral("<files>"), QStringLiteral("f1") },
        { { QStringLiteral("L"), { QStringLiteral("d") } } });
    const THistoryRecord all = ParseHistoryText(text);
    EXPECT_EQ(all.credit, QStringList { QStringLiteral("pak=1=A") });
    EXPECT_EQ(all.body, QStringList { QStringLiteral("body") });
    EXPECT_EQ(all.files, QStringList { QStringLiteral("f1") });
    EXPECT_EQ(all.dpof,
        (QStringList { QStringLiteral("<misc>:L"), QStringLiteral("d"), QStringLiteral("<end>") }));
    EXPECT_TRUE(all.images.isEmpty());

    const THistoryRecord credit = ParseHistoryText(text, hsCredit);
    EXPECT_TRUE(credit.body.isEmpty());
    const THistoryRecord images = ParseHistoryText(
        { QStringLiteral("<images_start>"), QStringLiteral("p.jpg"), QStringLiteral("q.jpg") },
        hsImages);
    EXPECT_EQ(images.images, (QStringList { QStringLiteral("p.jpg"), QStringLiteral("q.jpg") }));
}

TEST(HistoryText, CompressedFileRoundTrip)
{
    QTemporaryDir dir;
    const QStringList text = BuildHistoryText(
        { QStringLiteral("nam=髙橋") }, { QStringLiteral("合計金額 : \\1,200") }, {});
    const qint64 written = WriteHistoryFile(dir.filePath(QStringLiteral("a.wcp")), text);
    ASSERT_GT(written, 0);
    const std::optional<QByteArray> raw = ReadWholeFile(dir.filePath(QStringLiteral("a.wcp")));
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->size(), written);
    EXPECT_EQ(quint8(raw->at(0)), 0x78); // a zlib header
    EXPECT_EQ(quint8(raw->at(1)), 0xDA); // at maximum compression

    THistoryRecord record;
    ASSERT_TRUE(ReadHistoryRecord(dir.filePath(QStringLiteral("a")), hsAll, record));
    EXPECT_EQ(record.credit, QStringList { QStringLiteral("nam=髙橋") });
    EXPECT_EQ(record.body, QStringList { QStringLiteral("合計金額 : \\1,200") });
    EXPECT_FALSE(ReadHistoryRecord(dir.filePath(QStringLiteral("missing.wcp")), hsAll, record));
}

TEST(HistoryText, DamagedTruncatedAndOversizedStreamsAreRefused)
{
    const QByteArray text
        = ToCp932(JoinLines({ QStringLiteral("<body_start>"), QStringLiteral("x") }));
    QByteArray data = CompressHistory(text);
    EXPECT_EQ(InflateHistory(data), text);
    EXPECT_FALSE(InflateHistory(data.left(data.size() - 3)));
    EXPECT_FALSE(InflateHistory(QByteArray()));
    data[3] = char(data[3] ^ 0x55);
    EXPECT_FALSE(InflateHistory(data).has_value() && *InflateHistory(data) == text);

    // A small stream that inflates beyond the cap: refused without inflating it all.
    const QByteArray big(3 * 1024 * 1024, 'a');
    const QByteArray bomb = CompressHistory(big);
    EXPECT_LT(bomb.size(), 10000);
    EXPECT_FALSE(InflateHistory(bomb, 1024 * 1024));
    EXPECT_EQ(InflateHistory(bomb, big.size())->size(), big.size());
}

} // namespace korvatel

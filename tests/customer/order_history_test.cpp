#include "cli/customer_commands.h"
#include "customer/card_payment.h"
#include "customer/order_history.h"
#include "customer/registration.h"
#include "customer/user_record.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "platform/user_folders.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvatel
{

namespace
{

// The permission bits of a file or folder.
int Mode(const QString &path)
{
    struct stat info {
    };
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 0777);
}

// The order text as the upload hands it over.
QStringList OrderText(const QString &number, const QString &total)
{
    return { QStringLiteral("開始=2026/12/08 10:00:00"), QStringLiteral("終了=2026/12/08 10:01:00"),
        QString(), QStringLiteral("< お客様 >--------"), QStringLiteral("注文番号=") + number,
        QStringLiteral("合計金額 : \\") + total, QStringLiteral("<files>"), QStringLiteral("a.jpg"),
        QStringLiteral("<end>") };
}

class TOrderHistoryTest : public testing::Test
{
protected:
    QStringList Names() const { return history.FileNames(); }
    // A card order of shop with telephone 0312345678, user number and day.
    qint64 CardOrder(const QString &shop, int user, const QString &day, int total,
        bool settled = false, bool waiting = false)
    {
        const QString id = QStringLiteral("0312345678N%1_%2D%3").arg(user).arg(shop, day.mid(2));
        return history.WriteHistoryRecord(true, QStringLiteral("ksiCredit"), id,
            { QStringLiteral("oid=") + id, QStringLiteral("nam=山田"),
                QStringLiteral("tel=03-1234-5678"), QStringLiteral("snm=写真館") },
            settled, waiting, {},
            OrderText(shop + QLatin1Char('-') + day + QStringLiteral("-10000%1").arg(user),
                QString::number(total)));
    }

    QTemporaryDir dir;
    TOrderHistory history { dir.filePath(QStringLiteral("Hist/ks_hist")) };
};

} // namespace

TEST(PaymentKinds, TagsAndDisplayNames)
{
    EXPECT_EQ(PaymentTag(QStringLiteral("ksiCredit")), QStringLiteral("cr"));
    EXPECT_EQ(PaymentTag(QStringLiteral("KSIJIFURI")), QStringLiteral("jf"));
    EXPECT_EQ(PaymentTag(QStringLiteral("ksiCumpus")), QStringLiteral("ic"));
    EXPECT_EQ(PaymentTag(QStringLiteral("ksiBitcoin")), QStringLiteral("un"));
    EXPECT_EQ(TagDisplayName(QStringLiteral("jf")), QStringLiteral("自動引落　"));
    EXPECT_EQ(TagDisplayName(QStringLiteral("uf")), QStringLiteral("〒局払込票"));
    EXPECT_EQ(TagDisplayName(QStringLiteral("un")), QStringLiteral("未定義支払"));
    EXPECT_EQ(TagDisplayName(QStringLiteral("zz")), QStringLiteral("未定義支払"));
}

TEST(HistoryNames, NameCarriesTagTotalCardIdAndState)
{
    EXPECT_EQ(HistoryFileName("12-20261208-101010", "cr", "1200", "T1", true, false, false),
        QStringLiteral("12-20261208-101010[cr1200](T1).wcp"));
    EXPECT_EQ(HistoryFileName("12-x", "cr", "1", "T1", false, true, true),
        QStringLiteral("12-x[cr1](T1).faild.wcp"));
    EXPECT_EQ(HistoryFileName("12-x", "cr", "1", "T1", true, true, true),
        QStringLiteral("12-x[cr1](T1).comp.wcp"));
    EXPECT_EQ(HistoryFileName("12-x", "cr", "1", "T1", true, false, true),
        QStringLiteral("12-x[cr1](T1).wait.wcp"));
    EXPECT_EQ(
        HistoryFileName("12-x", "da", "1", "", true, true, true), QStringLiteral("12-x[da1].wcp"));
    EXPECT_EQ(HistoryFileName("12-x", "da", "1", "", false, false, false),
        QStringLiteral("12-x[da1].faild.wcp"));
    EXPECT_EQ(
        HistoryFileName("a/b", "da", "1", "", true, false, false), QStringLiteral("a_b[da1].wcp"));

    EXPECT_EQ(OrderTotalOf({ QStringLiteral("合計金額 : \\12,345 ") }), QStringLiteral("12345"));
    EXPECT_EQ(OrderNumberOf(OrderText("9-1", "0")), QStringLiteral("9-1"));
}

TEST(HistoryNames, EntriesAreReadFromTheName)
{
    TOrderHistRec e
        = HistEntryOf(QStringLiteral("1234-20261208-101010x[cr1500](0312N5_1234D261208).wait.wcp"));
    EXPECT_EQ(e.shop, QStringLiteral("1234"));
    EXPECT_EQ(e.stamp, QStringLiteral("20261208-101010x"));
    EXPECT_EQ(e.tag, QStringLiteral("cr"));
    EXPECT_EQ(e.amount, QStringLiteral("1500"));
    EXPECT_EQ(e.payState, hpsWaiting);
    EXPECT_EQ(e.sent, 1);
    EXPECT_EQ(e.CardOrderId(), QStringLiteral("0312N5_1234D261208"));
    EXPECT_EQ(HistEntryOf(QStringLiteral("1-2[cr1](X).comp.wcp")).payState, hpsSettled);
    EXPECT_EQ(HistEntryOf(QStringLiteral("1-2[cr1](X).wcp")).payState, hpsUnpaid);
    EXPECT_EQ(HistEntryOf(QStringLiteral("1-2[cr1](X).faild.wcp")).payState, hpsNone);
    EXPECT_EQ(HistEntryOf(QStringLiteral("1-2[cr1](X).faild.wcp")).sent, 0);
    // Only card payments have states; a non-card order shows none.
    const TOrderHistRec cash = HistEntryOf(QStringLiteral("7-20261208-101010[da800].wcp"));
    EXPECT_EQ(cash.payState, hpsNone);
    EXPECT_EQ(cash.CardOrderId(), QString());
    EXPECT_EQ(EntryText(cash),
        QStringLiteral("2026.12.08 10:10:10 7店           \\     800 配送代引き "));
    const TOrderHistRec odd = HistEntryOf(QStringLiteral("7-20261208-101010[zz5].faild.wcp"));
    EXPECT_EQ(EntryText(odd),
        QStringLiteral("2026.12.08 10:10:10 7店           \\       5 未定義支払 (中止.or.失敗)"));

    TOrderHistRec bundle = HistEntryOf(
        QStringLiteral("(P)0000000000-20261208-101010123-03123456789999[cr3000](B1).wcp"));
    EXPECT_EQ(bundle.isBundle, 1);
    EXPECT_EQ(bundle.shop, QStringLiteral("0000000000"));
    EXPECT_EQ(bundle.PaymentId(), QStringLiteral("(P)B1"));
    EXPECT_EQ(EntryText(bundle),
        QStringLiteral("＋2026.12.08 10:10:10 複数店\\    3000 クレジット 未払い"));
    bundle.expanded = 1;
    bundle.bundleList = QStringLiteral(
        "12=0312345678N5_12D261201;0312345678N6_12D261202,34=0312345678N7_34D261203");
    EXPECT_EQ(BundleItemLines(bundle),
        (QStringList { QStringLiteral("  > 2026.12.01 12店 oderd-tel:0312345678 ec-uid:5"),
            QStringLiteral("  > 2026.12.02 12店 oderd-tel:0312345678 ec-uid:6"),
            QStringLiteral("  > 2026.12.03 34店 oderd-tel:0312345678 ec-uid:7") }));
}

TEST_F(TOrderHistoryTest, FailedSendsAreKeptUnlessOnlySuccessesAreRecorded)
{
    TUserFolders folders;
    folders.appData = QStringLiteral("/d");
    EXPECT_EQ(TOrderHistory::DefaultFolder(folders), QStringLiteral("/d/Brannock/Hist/ks_hist"));
    EXPECT_GT(history.WriteHistoryRecord(false, "ksiDaibiki", "", {}, false, false, {},
                  OrderText("5-20261208-090000", "900")),
        0);
    EXPECT_EQ(Names(), QStringList { QStringLiteral("5-20261208-090000[da900].faild.wcp") });
    const QList<TOrderHistRec> list = history.LoadList();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list.at(0).sent, 0);

    ASSERT_TRUE(history.SetSuccessOnly(true));
    EXPECT_TRUE(QFile::exists(history.FilePath(QStringLiteral("success_only"))));
    EXPECT_TRUE(history.SuccessOnly());
    EXPECT_EQ(history.WriteHistoryRecord(false, "ksiDaibiki", "", {}, false, false, {},
                  OrderText("5-20261208-100000", "900")),
        -1);
    EXPECT_GT(history.WriteHistoryRecord(true, "ksiDaibiki", "", {}, false, false, {},
                  OrderText("5-20261208-100000", "900")),
        0);
    EXPECT_EQ(Names().size(), 2);

    // The marker is read once: removed behind the program's back it still counts until reset.
    QFile::remove(history.FilePath(QStringLiteral("success_only")));
    EXPECT_TRUE(history.SuccessOnly());
    ASSERT_TRUE(history.SetSuccessOnly(false));
    EXPECT_FALSE(history.SuccessOnly());

    EXPECT_EQ(history.DeleteFailed(), 1);
    EXPECT_EQ(Names(), QStringList { QStringLiteral("5-20261208-100000[da900].wcp") });
}

TEST_F(TOrderHistoryTest, AStartedAttemptIsListedAsInterruptedUntilItsEnd)
{
    ASSERT_TRUE(history.SetSuccessOnly(true)); // the start is recorded all the same
    const QString started = history.WriteStartedRecord(
        "ksiCredit", "0312N5_7D261208", {}, OrderText("7-20261208-090000", "900"));
    EXPECT_EQ(started, QStringLiteral("7-20261208-090000[cr900](0312N5_7D261208).wcp.sending"));
    // Earlier versions list "*.wcp" only: they pass it over.
    EXPECT_EQ(Names(), QStringList());
    const QList<TOrderHistRec> list = history.LoadList();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list.at(0).interrupted, 1);
    EXPECT_EQ(list.at(0).payState, hpsNone); // nothing to pay before the shop has it
    EXPECT_TRUE(EntryText(list.at(0)).endsWith(QStringLiteral("クレジット (送信中断)")))
        << EntryText(list.at(0)).toStdString();
    EXPECT_TRUE(history.UnsettledCardOrders().isEmpty());
    EXPECT_TRUE(history.FinishStarted(started));
    EXPECT_TRUE(history.LoadList().isEmpty());
}

TEST_F(TOrderHistoryTest, UnpaidEntriesComeFirstAndSettlementRenames)
{
    CardOrder("12", 1, "20261201", 1000, true);
    CardOrder("12", 2, "20261202", 2000, false, true);
    CardOrder("34", 3, "20261203", 3000);
    CardOrder("12", 4, "20261204", 4000);
    history.WriteHistoryRecord(
        true, "ksiFurikomi", "", {}, false, false, {}, OrderText("12-20261130-000000", "500"));

    QList<TOrderHistRec> list = history.LoadList();
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(list.at(0).amount, QStringLiteral("4000")); // unpaid, shop 12
    EXPECT_EQ(list.at(1).amount, QStringLiteral("3000")); // unpaid, shop 34
    EXPECT_EQ(list.at(2).amount, QStringLiteral("500")); // then by stamp
    EXPECT_EQ(list.at(3).payState, hpsSettled);
    EXPECT_EQ(list.at(4).payState, hpsWaiting);

    QStringList unsettled = history.UnsettledCardOrders();
    EXPECT_EQ(unsettled.size(), 3);
    const QString waitingId = QStringLiteral("0312345678N2_12D261202");
    EXPECT_TRUE(unsettled.contains(waitingId));

    bool found = false;
    EXPECT_FALSE(history.Settle(QStringLiteral("nosuch"), 3, found));
    EXPECT_FALSE(found);
    EXPECT_FALSE(history.Settle(waitingId, 0, found));
    EXPECT_TRUE(found);
    EXPECT_FALSE(history.Settle(QStringLiteral("0312345678N3_34D261203"), 2, found));
    EXPECT_EQ(history.SettledLines().size(), 1);
    EXPECT_TRUE(history.Settle(waitingId, 3, found));
    EXPECT_TRUE(Names().contains(
        QStringLiteral("12-20261202-100002[cr2000](0312345678N2_12D261202).comp.wcp")));
    EXPECT_EQ(history.SettledLines().size(), 2);
    EXPECT_TRUE(history.SettledLines().last().endsWith(QStringLiteral("精算済")));
    EXPECT_FALSE(history.Settle(waitingId, 3, found)); // already settled
    EXPECT_EQ(history.UnsettledCardOrders().size(), 2);
}

TEST_F(TOrderHistoryTest, BundledOrdersAreListedOnlyThroughTheirBundle)
{
    CardOrder("12", 1, "20261201", 1000);
    CardOrder("34", 2, "20261202", 2000);
    CardOrder("12", 3, "20261203", 500);
    QList<TOrderHistRec> list = history.LoadList();
    ASSERT_EQ(list.size(), 3);

    TCardPaymentStandIn card;
    card.nextNumber = 77;
    const TFixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(8, 30, 15, 250)));
    const TBundleResult bundle = MakeBundle(history, list, card, clock);
    ASSERT_EQ(bundle.outcome, TBundleResult::brMade);
    EXPECT_EQ(bundle.sum, 3500);
    // The nonce stands where the telephone digits stood.
    const QString nonce = bundle.cardOrderId.left(16);
    EXPECT_EQ(bundle.cardOrderId, nonce + QStringLiteral("N77_0000000000D261209"));
    EXPECT_FALSE(nonce.contains(QStringLiteral("0312345678")));
    EXPECT_EQ(bundle.fileName,
        QStringLiteral("(P)0000000000-20261209-083015250-03123456789999[cr3500](") + nonce
            + QStringLiteral("N77_0000000000D261209).wcp"));
    EXPECT_EQ(Names(), QStringList { bundle.fileName });
    EXPECT_TRUE(card.lastBundleLines.contains(QStringLiteral(
        "pak=12=0312345678N1_12D261201;0312345678N3_12D261203,34=0312345678N2_34D261202")));
    EXPECT_TRUE(card.lastBundleLines.contains(QStringLiteral("dsc=まとめ精算 2店 3件")));
    EXPECT_TRUE(card.lastBundleLines.contains(QStringLiteral("snm=Korvatel加盟店(2店)")));
    EXPECT_TRUE(card.lastBundleLines.contains(QStringLiteral("nam=山田")));

    // The singles come back beside the bundle (as after a failed delete); they stay hidden.
    CardOrder("12", 1, "20261201", 1000);
    CardOrder("12", 9, "20261205", 700);
    list = history.LoadList();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list.at(0).isBundle, 1);
    EXPECT_EQ(list.at(0).bundleCount, 3);
    EXPECT_EQ(list.at(0).payState, hpsUnpaid);
    EXPECT_EQ(list.at(1).amount, QStringLiteral("700"));
    EXPECT_EQ(history.UnsettledCardOrders().first(), QStringLiteral("(P)") + bundle.cardOrderId);

    // A bundle merged with a single: its items join their shop's group.
    const TBundleResult again = MakeBundle(history, list, card, clock);
    ASSERT_EQ(again.outcome, TBundleResult::brMade);
    EXPECT_TRUE(card.lastBundleLines.contains(
        QStringLiteral("pak=12=0312345678N1_12D261201;0312345678N3_12D261203;0312345678N9_"
                       "12D261205,34=0312345678N2_34D261202")));
    EXPECT_TRUE(card.lastBundleLines.contains(QStringLiteral("dsc=まとめ精算 2店 4件")));
}

TEST_F(TOrderHistoryTest, ARefusedBundleLeavesTheOrdersAsTheyWere)
{
    CardOrder("12", 1, "20261201", 1000);
    CardOrder("12", 2, "20261202", 2000);
    const QStringList before = Names();
    const TFixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(8, 30)));
    TCardPaymentStandIn card;
    card.writeOk = false;
    EXPECT_EQ(
        MakeBundle(history, history.LoadList(), card, clock).outcome, TBundleResult::brWriteFailed);
    EXPECT_EQ(Names(), before);
    card.writeOk = true;
    card.nextNumber.reset();
    EXPECT_EQ(
        MakeBundle(history, history.LoadList(), card, clock).outcome, TBundleResult::brNoNumber);
    EXPECT_EQ(Names(), before);
    // A sum beyond what a card payment may be is refused before anything is written.
    QList<TOrderHistRec> huge = history.LoadList();
    huge.first().amount = QStringLiteral("3000000000");
    card.nextNumber = 5;
    const qsizetype calls = card.calls.size();
    EXPECT_EQ(MakeBundle(history, huge, card, clock).outcome, TBundleResult::brBadAmount);
    EXPECT_EQ(Names(), before);
    EXPECT_EQ(card.calls.size(), calls);

    // One shop keeps its ID and the shop name of the first record.
    card.nextNumber = 5;
    const TBundleResult one = MakeBundle(history, history.LoadList(), card, clock);
    ASSERT_EQ(one.outcome, TBundleResult::brMade);
    EXPECT_TRUE(one.fileName.startsWith(QStringLiteral("(P)12-20261209-")));
    EXPECT_TRUE(card.lastBundleLines.contains(QStringLiteral("snm=写真館")));
}

} // namespace korvatel

namespace korvatel
{

TEST_F(TOrderHistoryTest, TheCliCommandListsAndShowsRecords)
{
    CardOrder("12", 1, "20261201", 1000);
    history.WriteHistoryRecord(true, "ksiDaibiki", "",
        { QStringLiteral("cno=4111"), QStringLiteral("nam=x") }, false, false, {},
        OrderText("12-20261130-000000", "500"));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    EXPECT_EQ(HistoryCommand({ QStringLiteral("--folder"), history.Folder() }, out, err), 0);
    out.flush();
    const QStringList lines = outText.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.at(0).startsWith(QStringLiteral("12-20261201-100001[cr1000]")));
    EXPECT_TRUE(lines.at(0).endsWith(QStringLiteral("クレジット 未払い")));

    outText.clear();
    EXPECT_EQ(
        HistoryCommand({ QStringLiteral("--folder"), history.Folder(), QStringLiteral("--show"),
                           QStringLiteral("12-20261130-000000[da500].wcp") },
            out, err),
        0);
    out.flush();
    EXPECT_TRUE(outText.contains(QStringLiteral("nam=x")));
    EXPECT_FALSE(outText.contains(QStringLiteral("cno="))); // card data stays out of the view
    EXPECT_TRUE(outText.contains(QStringLiteral("注文番号=12-20261130-000000")));
    EXPECT_EQ(HistoryCommand({ QStringLiteral("--show"), QStringLiteral("none.wcp"),
                                 QStringLiteral("--folder"), history.Folder() },
                  out, err),
        1);
    EXPECT_EQ(HistoryCommand({ QStringLiteral("--bad") }, out, err), 2);
}

} // namespace korvatel

namespace korvatel
{

TEST_F(TOrderHistoryTest, ShowingARecordMailsAndSavesItWithoutCardData)
{
    history.WriteHistoryRecord(true, "ksiCredit", "T1",
        { QStringLiteral("lnk=secret"), QStringLiteral("cno=4111"), QStringLiteral("cno=second"),
            QStringLiteral("nam=x") },
        false, false, {}, OrderText("12-20261130-000000", "500"));
    const QString path = history.FilePath(Names().value(0));
    QTemporaryDir temp;
    TScriptedPrompter prompter({ TModalResult::mrOk });
    QString mailed, opened;
    const auto mailer = [&mailed](const QString &to, const QString &subject, const QString &text,
                            QString *reason) {
        mailed = to + QLatin1Char('|') + subject + QLatin1Char('|') + text;
        *reason = QStringLiteral("no server");
        return false;
    };
    const auto open = [&opened](const QString &viewer, const QString &file) {
        opened = viewer + QLatin1Char('|') + file;
        return true;
    };
    EXPECT_TRUE(ShowHistoryFile(path, QStringLiteral("shop@example.jp"), QStringLiteral("wordpad"),
        temp.path(), prompter, mailer, open));
    EXPECT_TRUE(mailed.startsWith(
        QStringLiteral("shop@example.jp|wcp-data|<credit_start>\r\ncno=second\r\nnam=x")));
    EXPECT_EQ(prompter.Texts(), QStringList { QStringLiteral("送信失敗\r\n\r\nno server") });
    // The order text goes to a private folder of the run inside the temporary folder, never
    // to a fixed name that anyone could have taken first.
    EXPECT_FALSE(QFile::exists(temp.filePath(QStringLiteral("ks_hist.txt"))));
    const QString file = opened.section(u'|', 1);
    EXPECT_EQ(opened, QStringLiteral("wordpad|") + file);
    EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("ks_hist.txt"));
    EXPECT_EQ(QFileInfo(QFileInfo(file).path()).path(), QFileInfo(temp.path()).filePath());
    EXPECT_EQ(Mode(file), 0600);
    EXPECT_EQ(Mode(QFileInfo(file).path()), 0700);
    const std::optional<QStringList> saved = ReadSjisLines(file);
    ASSERT_TRUE(saved);
    EXPECT_FALSE(saved->contains(QStringLiteral("lnk=secret")));
    EXPECT_TRUE(saved->contains(QStringLiteral("注文番号=12-20261130-000000")));
    EXPECT_FALSE(ShowHistoryFile(
        history.FilePath(QStringLiteral("none.wcp")), {}, {}, temp.path(), prompter, mailer, open));
}

TEST(CustomerFiles, AreTheOwnersAloneInFoldersOfTheirOwn)
{
    QTemporaryDir dir;
    // The customer record, even over an old file that everyone could read.
    const QString user = dir.filePath(QStringLiteral("User"));
    ASSERT_TRUE(WriteSjisText(user, QStringLiteral("old")));
    ASSERT_TRUE(
        QFile::setPermissions(user, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    TUserRecord record;
    record.SetValue(QStringLiteral("Name"), QStringLiteral("髙橋"));
    ASSERT_TRUE(record.SaveToFile(user));
    EXPECT_EQ(Mode(user), 0600);

    // The member key file and its folder.
    const QString keys = dir.filePath(QStringLiteral("share/Brannock/Win32dpp.ini"));
    ASSERT_TRUE(WriteMemberAccount(keys, QStringLiteral("1234"), { "member01", "pass01" }));
    EXPECT_EQ(Mode(keys), 0600);
    EXPECT_EQ(Mode(QFileInfo(keys).path()), 0700);

    // The order history and its folder.
    TOrderHistory history(dir.filePath(QStringLiteral("share/Brannock/Hist/ks_hist")));
    ASSERT_GT(history.WriteHistoryRecord(true, "ksiDaibiki", "", {}, false, false, {},
                  OrderText("5-20261208-090000", "900")),
        0);
    EXPECT_EQ(Mode(history.FilePath(history.FileNames().value(0))), 0600);
    EXPECT_EQ(Mode(dir.filePath(QStringLiteral("share/Brannock/Hist/ks_hist"))), 0700);
}

} // namespace korvatel

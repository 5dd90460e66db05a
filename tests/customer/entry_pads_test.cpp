#include "customer/entry_pads.h"
#include "customer/ui/name_form.h"
#include "customer/ui/tel_form.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(TTelNumber, StartsWithAQuestionMarkAndKeepsThirteenCharacters)
{
    TTelNumber number;
    EXPECT_EQ(number.Text(), QStringLiteral("?"));
    EXPECT_FALSE(number.Press(QStringLiteral("BS")));
    EXPECT_TRUE(number.Press(QStringLiteral("0")));
    EXPECT_EQ(number.Text(), QStringLiteral("0"));
    for (const char *key : { "3", "-", "1", "2" })
        number.Press(QLatin1String(key));
    EXPECT_FALSE(number.CanFinish()); // "03-12": the last four are not all digits
    number.Press(QStringLiteral("3"));
    number.Press(QStringLiteral("4"));
    EXPECT_TRUE(number.CanFinish());
    for (int i = 0; i < 10; ++i)
        number.Press(QStringLiteral("9"));
    EXPECT_EQ(number.Text().size(), TTelNumber::kMaxLength);
    EXPECT_FALSE(number.Press(QStringLiteral("9")));
    EXPECT_FALSE(number.Press(QStringLiteral("x")));
    EXPECT_TRUE(number.Press(QStringLiteral("C")));
    EXPECT_EQ(number.Text(), QStringLiteral("?"));
    number.Press(QStringLiteral("5"));
    number.Press(QStringLiteral("BS"));
    EXPECT_EQ(number.Text(), QStringLiteral("?"));
}

TEST(TNameText, PagesVoicingAndMailKeys)
{
    for (TNamePage page : { TNamePage::npKana, TNamePage::npAlphabet, TNamePage::npSmall }) {
        EXPECT_EQ(NamePageKeys(page, false).size(), 50);
        EXPECT_EQ(NamePageKeys(page, true).size(), 50);
    }
    EXPECT_EQ(NamePageKeys(TNamePage::npKana, false).mid(0, 3),
        (QStringList { QStringLiteral("ア"), QStringLiteral("カ"), QStringLiteral("サ") }));

    TNameText name;
    EXPECT_EQ(name.FinishCaption(), QStringLiteral("スキップ（次へ）"));
    EXPECT_FALSE(name.CanVoice());
    name.Press(QStringLiteral("ハ"));
    EXPECT_EQ(name.FinishCaption(), QStringLiteral("完了（次へ）"));
    name.Voice();
    EXPECT_EQ(name.Text(), QStringLiteral("バ"));
    name.Voice();
    EXPECT_EQ(name.Text(), QStringLiteral("パ"));
    name.Voice();
    EXPECT_EQ(name.Text(), QStringLiteral("ハ"));
    name.Press(QStringLiteral("カ"));
    name.Voice();
    name.Voice();
    EXPECT_EQ(name.Text(), QStringLiteral("ハカ"));
    name.Space();
    EXPECT_FALSE(name.CanSpace());
    EXPECT_FALSE(name.CanVoice());
    name.Space();
    EXPECT_EQ(name.Text(), QStringLiteral("ハカ "));

    TNameText mail(true);
    for (const char *key : { "t", "a", "r", "o" })
        mail.Press(QLatin1String(key));
    mail.Press(QStringLiteral(".jp")); // no domain yet: appended
    EXPECT_EQ(mail.Text(), QStringLiteral("taro.jp"));
    mail.SetText(QStringLiteral("taro"));
    mail.Press(QStringLiteral("@docomo.ne.jp"));
    mail.Press(QStringLiteral("@ezweb.ne.jp"));
    EXPECT_EQ(mail.Text(), QStringLiteral("taro@ezweb.ne.jp"));
    mail.SetText(QStringLiteral("taro@example"));
    mail.Press(QStringLiteral(".co.jp"));
    mail.Press(QStringLiteral(".com"));
    EXPECT_EQ(mail.Text(), QStringLiteral("taro@example.com"));
    mail.Press(QStringLiteral("."));
    EXPECT_EQ(mail.Text(), QStringLiteral("taro@example.com."));
}

TEST(TTelForm, KeysTypeTheNumberAndCallTheIdleCallback)
{
    QList<int> idle;
    TTelForm form([&idle](int msecs) { idle << msecs; });
    form.SetExample(QStringLiteral("03-1234-5678"));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(idle, QList<int> { 5000 });
    EXPECT_EQ(form.lbExample()->text(), QStringLiteral("(03-1234-5678"));
    EXPECT_FALSE(form.btnDone()->isEnabled());
    for (const char *key : { "0", "9", "0", "1", "2", "3" })
        QTest::mouseClick(form.Key(QLatin1String(key)), Qt::LeftButton);
    EXPECT_EQ(form.lbNumber()->text(), QStringLiteral("090123"));
    EXPECT_TRUE(form.btnDone()->isEnabled());
    EXPECT_EQ(idle.size(), 7);
    EXPECT_EQ(idle.last(), 3000);
    QTest::keyClick(&form, Qt::Key_Delete);
    EXPECT_EQ(form.Number(), QStringLiteral("?"));
    QTest::keyClick(&form, Qt::Key_7);
    QTest::mouseClick(form.Key(QStringLiteral("BS")), Qt::LeftButton);
    EXPECT_FALSE(form.btnDone()->isEnabled());
    for (const char *key : { "1", "2", "3", "4" })
        QTest::mouseClick(form.Key(QLatin1String(key)), Qt::LeftButton);
    QTest::mouseClick(form.btnDone(), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.Number(), QStringLiteral("1234"));
}

TEST(TNameForm, GridKeysVoicingAndDomains)
{
    TNameForm name(false);
    name.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&name));
    EXPECT_EQ(name.btnFinish()->text(), QStringLiteral("スキップ（次へ）"));
    EXPECT_FALSE(name.btnVoice()->isEnabled());
    QTest::mouseClick(name.GridKey(5), Qt::LeftButton); // ハ
    EXPECT_TRUE(name.btnVoice()->isEnabled());
    QTest::mouseClick(name.btnVoice(), Qt::LeftButton);
    QTest::mouseClick(name.btnVoice(), Qt::LeftButton);
    EXPECT_EQ(name.lbText()->text(), QStringLiteral("パ"));
    EXPECT_EQ(name.btnFinish()->text(), QStringLiteral("完了（次へ）"));
    QTest::mouseClick(name.btnSpace(), Qt::LeftButton);
    EXPECT_FALSE(name.btnSpace()->isEnabled());
    name.ShowPage(TNamePage::npSmall);
    EXPECT_EQ(name.GridKey(0)->text(), QStringLiteral("ァ"));
    QTest::mouseClick(name.btnBack(), Qt::LeftButton);
    QTest::mouseClick(name.btnClear(), Qt::LeftButton);
    EXPECT_EQ(name.Text(), QString());

    TNameForm mail(true);
    mail.show();
    QTest::mouseClick(mail.GridKey(19), Qt::LeftButton); // t
    QTest::mouseClick(mail.DomainKey(QStringLiteral("@docomo.ne.jp")), Qt::LeftButton);
    EXPECT_EQ(mail.Text(), QStringLiteral("t@docomo.ne.jp"));
    QTest::mouseClick(mail.DomainKey(QStringLiteral(".com")), Qt::LeftButton);
    EXPECT_EQ(mail.Text(), QStringLiteral("t@docomo.com"));
    QTest::mouseClick(mail.btnFinish(), Qt::LeftButton);
    EXPECT_EQ(mail.result(), QDialog::Accepted);
}

} // namespace korvatel

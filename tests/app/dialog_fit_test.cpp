#include "app/startup.h"
#include "app/ui/start_forms.h"
#include "app/ui/thanks_form.h"
#include "app/ui/usage_options.h"
#include "cards/card_order.h"
#include "cards/ui/open_card_dialog.h"
#include "cards/ui/order_info_form.h"
#include "cards/ui/post_hist_form.h"
#include "customer/card_payment.h"
#include "customer/order_history.h"
#include "customer/ui/hist_form.h"
#include "customer/ui/name_form.h"
#include "customer/ui/tel_form.h"
#include "customer/ui/user_form.h"
#include "imaging/correction.h"
#include "imaging/ui/hosei_form.h"
#include "mobile/keitai_datas.h"
#include "mobile/ui/keitai_adrs_form.h"
#include "mobile/ui/keitai_edit_form.h"
#include "mobile/ui/ksize_form.h"
#include "mobile/ui/net_option_form.h"
#include "mobile/ui/send_mail_form.h"
#include "order/consistency.h"
#include "order/thumb_nails.h"
#include "order/ui/order_copy_form.h"
#include "order/ui/print_check_form.h"
#include "order/ui/problem_list_form.h"
#include "platform/clock.h"
#include "platform/drive_table.h"
#include "platform/prompter.h"
#include "pricing/pricing_fixture.h"
#include "pricing/ui/order_info_form.h"
#include "sending/ui/send_form.h"
#include "sources/ui/camera_clock_form.h"
#include "sources/ui/exif_form.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "workspace/option_settings.h"
#include "workspace/ui/file_manage_form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QScrollArea>
#include <gtest/gtest.h>
#include <memory>

namespace korvatel
{

namespace
{

// A netbook's 1024 × 600 screen less a task bar.
constexpr QSize kSmallScreen(1024, 560);

// What the windows of the program are opened with: a home of their own, one picture, a shop.
struct TDialogInputs {
    test::TTempHome home;
    TScriptedPrompter prompter;
    test::TShop shop { TShopData::LoadContainer(test::ShopDataFile()).value() };
    TCardPaymentStandIn card;
    TOrderHistory history { home.FilePath(QStringLiteral("ks_hist")) };
    TFixedClock clock { QDateTime(QDate(2026, 12, 9), QTime(9, 0)) };
    TUserRecord user;
    TOption2Settings usage;
    TKeitaiDatas phones;
    TThumbNails basket;
    QString picture = home.FilePath(QStringLiteral("photos/a.jpg"));

    TDialogInputs()
    {
        home.Write(QStringLiteral("photos/a.jpg"), test::JpegBytes(test::PatternBitmap(300, 200)));
        phones.LoadBuiltIn();
    }

    TCardOrderArgs CardOrder() const
    {
        TCardOrderArgs args;
        args.shopId = QStringLiteral("1234");
        args.postCardFolder = home.FilePath(QStringLiteral("PostCard"));
        args.desc = SplitTemplateDesc(QStringLiteral("クリスマスカード\t\t[XMAS]\t\t\t1"));
        args.prices = ParseCardPrices(
            { QStringLiteral("[Price1]"), QStringLiteral("Charge=500"),
                QStringLiteral("Paper=普通紙:1=120;20=100"),
                QStringLiteral("Trans=宅配便:800-1200"), QStringLiteral("Pay=コンビニ票:150") })
                          ->sets[0];
        args.pictures = { picture };
        args.card = QImage(100, 70, QImage::Format_RGB32);
        args.card.fill(Qt::red);
        return args;
    }
};

struct TDialogCase {
    const char *name;
    std::function<std::unique_ptr<QDialog>(TDialogInputs &)> open;
    // The buttons that close the window: outside any scroll area, so always in view.
    QStringList closing;
};

template <typename T, typename... Args> std::unique_ptr<QDialog> Make(Args &&...args)
{
    return std::make_unique<T>(std::forward<Args>(args)...);
}

const QList<TDialogCase> &DialogCases()
{
    using I = TDialogInputs;
    static const QList<TDialogCase> cases {
        { "TStartNoticeForm", [](I &) { return Make<TStartNoticeForm>(TStartNotice {}); },
            { "OK" } },
        { "TStartFailForm", [](I &) { return Make<TStartFailForm>(QStringLiteral("x")); },
            { "終了する(続けない)" } },
        { "TThanksForm", [](I &) { return Make<TThanksForm>(QStringLiteral("20261208-1")); },
            { "OK" } },
        { "TUsageOptionsForm", [](I &i) { return Make<TUsageOptionsForm>(i.usage); }, { "OK" } },
        { "TformOrderInfo", [](I &i) { return Make<TformOrderInfo>(i.CardOrder(), i.prompter); },
            { "閉じる" } },
        { "TOpenCardDialog",
            [](I &i) {
                return Make<TOpenCardDialog>(
                    i.home.Path(), [&i]() -> TPrompter & { return i.prompter; });
            },
            {} },
        { "TPostHistForm",
            [](I &i) {
                return Make<TPostHistForm>(i.home.FilePath(QStringLiteral("PostCard")),
                    QStringLiteral("1234"), i.prompter);
            },
            { "閉じる[ESC]" } },
        { "TUserForm",
            [](I &i) {
                TUserFormContext context;
                context.userFile = i.home.FilePath(QStringLiteral("User"));
                context.card = &i.card;
                return Make<TUserForm>(i.user, context, true, TUserOrderArgs {}, i.prompter);
            },
            { "更新(Save)", "Cancel" } },
        { "TNameForm", [](I &) { return Make<TNameForm>(true); }, {} },
        { "TTelForm", [](I &) { return Make<TTelForm>(); }, { "完了" } },
        { "TKorvatelHistForm",
            [](I &i) {
                THistFormContext context;
                context.card = &i.card;
                context.offersCard = true;
                return Make<TKorvatelHistForm>(i.history, context, i.prompter, i.clock);
            },
            { "閉じる[ESC]" } },
        { "THoseiForm",
            [](I &i) {
                return Make<THoseiForm>(i.picture, CorrectionRecord {},
                    i.home.FilePath(QStringLiteral("HoseiArea.ini")), i.prompter);
            },
            {} },
        { "TNetOptionForm",
            [](I &i) {
                return Make<TNetOptionForm>(
                    i.home.FilePath(QStringLiteral("MailSet.ini")), TPhoneUpload {}, i.prompter);
            },
            { "OK", "キャンセル" } },
        { "TKeitaiAdrsForm",
            [](I &i) {
                return Make<TKeitaiAdrsForm>(
                    i.home.FilePath(QStringLiteral("Adrs.txt")), true, i.prompter);
            },
            {} },
        { "TKeitaiEditForm",
            [](I &i) {
                TThumbNail *item = i.basket.AddPicture(1, i.picture, false, 1, QStringLiteral("L"));
                return Make<TKeitaiEditForm>(QList<TThumbNail *> { item }, 240, 320);
            },
            {} },
        { "TSendMailForm", [](I &) { return Make<TSendMailForm>(); }, { "キャンセル" } },
        { "TKSizeForm",
            [](I &i) {
                return Make<TKSizeForm>(i.phones, i.home.FilePath(QStringLiteral("Keitai.ini")),
                    QList<TKeitaiServer>(), TTransportSettings(), i.prompter);
            },
            {} },
        { "TOrderCopyForm", [](I &) { return Make<TOrderCopyForm>(ckDetail, 0, 5, nullptr); }, {} },
        { "TPrintCheckForm",
            [](I &i) {
                return Make<TPrintCheckForm>(QList<TPrintQualityIssue>(), i.shop.tables, 600, 680);
            },
            {} },
        { "TProblemListForm",
            [](I &i) {
                TConsistencyProblems problems;
                problems.vanished << i.basket.AddPicture(1, i.picture, false, 1, QString());
                return Make<TProblemListForm>(problems);
            },
            {} },
        { "TOrderInfoForm",
            [](I &i) {
                TPricingBasket basket;
                basket.prints = { { "L", 25, 30 } };
                return Make<TOrderInfoForm>(basket,
                    TPricingContext {
                        i.shop.tables, i.shop.terms, i.shop.rules, QDate(2026, 12, 8) },
                    i.prompter);
            },
            { "戻る" } },
        { "TSendForm", [](I &) { return Make<TSendForm>(); }, { "中止" } },
        { "TCameraClockForm",
            [](I &) {
                return Make<TCameraClockForm>(
                    TCameraShot { QStringLiteral("Canon"), QStringLiteral("EOS"),
                        QDateTime(QDate(2026, 12, 1), QTime(10, 0)) },
                    0);
            },
            { "OK" } },
        { "TExifForm", [](I &) { return Make<TExifForm>(); }, {} },
        { "TFileManageForm",
            [](I &) {
                static const TDriveTable drives
                    = TDriveTable::Build(QStringLiteral("/home/u"), {}, {}, QString());
                return Make<TFileManageForm>(TOptionSettings(), drives, QLatin1Char('C'));
            },
            { "OK" } },
    };
    return cases;
}

bool InScrollArea(const QWidget *widget, const QWidget *window)
{
    for (const QWidget *w = widget->parentWidget(); w && w != window; w = w->parentWidget()) {
        if (qobject_cast<const QScrollArea *>(w))
            return true;
    }
    return false;
}

TEST(TDialogFit, EveryWindowOpensWithItsButtonsOnASmallScreen)
{
    // The test program runs on an offscreen screen of 1024 × 600 (small_screen.json).
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableSize(), QSize(1024, 600));
    for (const TDialogCase &c : DialogCases()) {
        SCOPED_TRACE(c.name);
        TDialogInputs inputs;
        const std::unique_ptr<QDialog> dialog = c.open(inputs);
        dialog->show();
        QApplication::processEvents();
        // A window with a title bar opens below the task bar's height; a full-screen pad has
        // the screen to itself.
        const QSize room = dialog->isFullScreen() ? QSize(1024, 600) : kSmallScreen;
        const QSize opened = dialog->size();
        EXPECT_TRUE(opened.boundedTo(room) == opened) << opened.width() << "x" << opened.height();
        EXPECT_TRUE(dialog->minimumSize().boundedTo(room) == dialog->minimumSize());
        // There every button can be reached: on the window, or in a scroll area that is.
        const QRect window = dialog->rect();
        QStringList closing = c.closing;
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
            if (!button->isVisibleTo(dialog.get()))
                continue;
            const QString text = button->text().remove(u'&');
            const bool scrolled = InScrollArea(button, dialog.get());
            const QWidget *shown = button;
            while (scrolled && !qobject_cast<const QScrollArea *>(shown))
                shown = shown->parentWidget();
            EXPECT_TRUE(window.contains(QRect(shown->mapTo(dialog.get(), QPoint()), shown->size())))
                << text.toStdString();
            if (closing.removeAll(text) > 0) {
                EXPECT_FALSE(scrolled) << text.toStdString();
            }
        }
        EXPECT_TRUE(closing.isEmpty()) << closing.join(u',').toStdString();
    }
}

} // namespace

} // namespace korvatel

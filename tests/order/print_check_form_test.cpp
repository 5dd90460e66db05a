#include "order/print_fixture.h"
#include "order/ui/print_check_form.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

struct TCheckFormFixture : test::TPrintFixture {
    TCheckFormFixture()
        : TPrintFixture(1, true)
    {
    }

    // Runs the check and, once its window is open, hands it to act.
    TPrintCheckOutcome Run(const std::function<void(TPrintCheckForm &)> &act)
    {
        bool opened = false;
        QTimer timer;
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto *form = qobject_cast<TPrintCheckForm *>(QApplication::activeModalWidget());
            if (!form || !form->isVisible())
                return;
            timer.stop();
            opened = true;
            act(*form);
        });
        timer.start();
        const TPrintCheckOutcome outcome = RunPrintCheck(list, tables, 600, 680, nullptr);
        EXPECT_TRUE(opened);
        return outcome;
    }
};

QPushButton *Button(TPrintCheckForm &form, const char *name)
{
    return form.findChild<QPushButton *>(QString::fromLatin1(name));
}

} // namespace

TEST(TPrintCheckForm, ListsTheLowPrintWithItsDpiAndChoices)
{
    TCheckFormFixture f;
    const QList<TPrintQualityIssue> issues = FindLowQualityPrints(f.list, f.tables, 600, 680);
    TPrintCheckForm form(issues, f.tables, 600, 680);
    ASSERT_EQ(form.sgPrints()->rowCount(), 1);
    EXPECT_EQ(form.sgPrints()->item(0, 1)->text(), "small.jpg");
    EXPECT_TRUE(form.sgPrints()->item(0, 2)->text().contains("91 dpi"));
    QComboBox *choice = form.Choice(0);
    ASSERT_EQ(choice->count(), 3);
    EXPECT_EQ(choice->itemText(0), "このまま注文する");
    EXPECT_EQ(choice->itemText(1), "サイズをLに変える");
    EXPECT_EQ(choice->itemText(2), "トリミングをやり直す");
    // Keep is what stands until the customer chooses.
    EXPECT_EQ(form.Choices().value(0).kind, TPrintChoice::pcKeep);
    choice->setCurrentIndex(1);
    EXPECT_EQ(form.Choices().value(0).kind, TPrintChoice::pcChangeSize);
    EXPECT_EQ(form.Choices().value(0).size, "L");
    choice->setCurrentIndex(2);
    EXPECT_EQ(form.Choices().value(0).kind, TPrintChoice::pcTrim);
}

TEST(TPrintCheckForm, ProceedAppliesTheChoiceAndBackChangesNothing)
{
    TCheckFormFixture f;
    TPrintCheckOutcome outcome = f.Run([](TPrintCheckForm &form) {
        form.Choice(0)->setCurrentIndex(1);
        QTest::mouseClick(Button(form, "btnBack"), Qt::LeftButton);
    });
    EXPECT_EQ(outcome.kind, TPrintCheckOutcome::ppBack);
    EXPECT_EQ(f.small->SizeCount("2L"), 1);

    outcome = f.Run([](TPrintCheckForm &form) {
        form.Choice(0)->setCurrentIndex(1);
        QTest::mouseClick(Button(form, "btnProceed"), Qt::LeftButton);
    });
    EXPECT_EQ(outcome.kind, TPrintCheckOutcome::ppProceed);
    EXPECT_EQ(f.small->SizeCount("2L"), 0);
    EXPECT_EQ(f.small->SizeCount("L"), 1);
    // Nothing left to show: the check passes without a window.
    EXPECT_EQ(
        RunPrintCheck(f.list, f.tables, 600, 680, nullptr).kind, TPrintCheckOutcome::ppProceed);
}

TEST(TPrintCheckForm, TrimmingGoesBackWithThePicture)
{
    TCheckFormFixture f;
    const TPrintCheckOutcome outcome = f.Run([](TPrintCheckForm &form) {
        form.Choice(0)->setCurrentIndex(2);
        QTest::mouseClick(Button(form, "btnProceed"), Qt::LeftButton);
    });
    EXPECT_EQ(outcome.kind, TPrintCheckOutcome::ppTrim);
    EXPECT_EQ(outcome.trimPath, f.small->FullPath);
    EXPECT_EQ(f.small->SizeCount("2L"), 1);
}

} // namespace korvatel

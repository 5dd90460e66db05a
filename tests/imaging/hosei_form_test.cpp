#include "imaging/histogram.h"
#include "imaging/ui/hosei_form.h"
#include "imaging/ui/hosei_views.h"
#include "platform/prompter.h"
#include "support/image_builders.h"
#include "support/keyboard_check.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvatel;
using namespace korvatel::test;

namespace
{

class HoseiFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TBitmap bitmap = UniformBitmap(300, 200, { 100, 120, 160 });
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 300; ++x)
                bitmap.SetPixel(x, y, { 128, 128, 128 });
        picture = dir.filePath(QStringLiteral("face.jpg"));
        QFile file(picture);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(JpegBytes(bitmap, 95));
        area = dir.filePath(QStringLiteral("HoseiArea.ini"));
    }

    double RedMean(int set) const
    {
        double sum = 0, n = 0;
        for (int level = 0; level < 256; ++level) {
            sum += double(level) * HistGram().Count(set, 2, level);
            n += HistGram().Count(set, 2, level);
        }
        return sum / n;
    }

    QTemporaryDir dir;
    QString picture;
    QString area;
    TScriptedPrompter prompter;
};

} // namespace

TEST_F(HoseiFormTest, ControlsDrivePreviewHistogramsAndTheRecord)
{
    CorrectionRecord record;
    record.kind = 5;
    THoseiForm form(picture, record, area, prompter, { 200, 200 });
    QList<CorrectionRecord> applied;
    form.OnApply = [&applied](const CorrectionRecord &r) { applied << r; };
    form.show();
    ASSERT_TRUE(form.WaitLoaded());
    EXPECT_EQ(form.StatusBar()->currentMessage(), QStringLiteral("W300×H200"));
    EXPECT_EQ(form.PreviewImage().size(), QSize(200, 133));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("色調補正"));

    // A colour bar does nothing to the preview while no colour button is down.
    const QImage before = form.PreviewImage();
    form.ColourBar(0)->setValue(15);
    EXPECT_EQ(form.PreviewImage(), before);

    // The standard skin correction, then a red cast on it: the red series rises.
    form.ColourBar(0)->setValue(0);
    QTest::mouseClick(form.KindButton(1), Qt::LeftButton);
    const double standard = RedMean(1);
    form.ColourBar(0)->setValue(15);
    EXPECT_GT(RedMean(1), standard + 10);
    // "赤強" from the keyboard.
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_2, Qt::AltModifier);
    EXPECT_TRUE(form.KindButton(2)->isChecked());
    EXPECT_FALSE(form.KindButton(1)->isChecked());
    EXPECT_GT(RedMean(1), standard + 20);
    EXPECT_NE(form.PreviewImage(), before);

    // Brighter: the density bar, with its value in the plus label.
    form.DensityBar()->setValue(25);

    // The histogram switches: "濃度" unchecks the colours, a colour unchecks "濃度".
    form.HistogramSwitch(3)->setChecked(true);
    form.HistogramSwitch(0)->setChecked(false);
    form.HistogramSwitch(0)->setChecked(true);
    EXPECT_FALSE(form.HistogramSwitch(3)->isChecked());

    // The area switch names the corrected histogram.
    form.AreaBox()->setChecked(true);
    EXPECT_EQ(form.CorrectedCaption()->text(), QStringLiteral("補正後(ｴﾘｱ指定)"));
    form.AreaBox()->setChecked(false);
    EXPECT_EQ(form.CorrectedCaption()->text(), QStringLiteral("補正後"));

    // Pointing at the picture shows its colour.
    const QPoint centre = form.Preview()->rect().center();
    QMouseEvent move(QEvent::MouseMove, QPointF(centre),
        form.Preview()->mapToGlobal(QPointF(centre)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form.Preview(), &move);
    EXPECT_TRUE(form.MouseRgb()->text().startsWith(QStringLiteral("R:")));

    form.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    ASSERT_EQ(applied.size(), 1);
    EXPECT_EQ(applied[0].kind, 2);
    EXPECT_EQ(applied[0].pointRed, 15);
    EXPECT_EQ(applied[0].density, 25);
    EXPECT_EQ(applied[0].measured, 1);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(prompter.Shown().isEmpty());
}

TEST_F(HoseiFormTest, EscapeLeavesTheRecordAndResetsClearTheBars)
{
    CorrectionRecord record;
    record.kind = 1;
    record.density = 12;
    record.autoContrast = -30;
    CorrectionRecord kept = record;
    THoseiForm form(picture, record, area, prompter, { 400, 400 });
    bool applied = false;
    form.OnApply = [&applied](const CorrectionRecord &) { applied = true; };
    form.show();
    ASSERT_TRUE(form.WaitLoaded());
    EXPECT_TRUE(form.KindButton(1)->isChecked());
    EXPECT_EQ(form.DensityBar()->value(), 12);
    EXPECT_EQ(form.ContrastBar()->value(), -30);

    form.findChild<QPushButton *>(QStringLiteral("btnDensityReset"))->click();
    EXPECT_EQ(form.DensityBar()->value(), 0);
    form.ManualBox()->setChecked(true);
    EXPECT_EQ(form.Work().Values().low, QPoint(0, 30));
    form.findChild<QPushButton *>(QStringLiteral("btnContrastReset"))->click();
    EXPECT_FALSE(form.ManualBox()->isChecked());
    EXPECT_EQ(form.ContrastBar()->value(), 0);
    // A second press on the button down raises it: no colour button.
    QTest::mouseClick(form.KindButton(1), Qt::LeftButton);
    EXPECT_FALSE(form.KindButton(1)->isChecked());

    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(applied);
    EXPECT_EQ(record, kept);
}

TEST_F(HoseiFormTest, SavesNumberedCopiesAndPrints)
{
    THoseiForm form(picture, {}, area, prompter, { 200, 200 });
    QStringList offered;
    form.ChooseSaveName = [&offered](QString &name, int &) {
        offered << QFileInfo(name).fileName();
        return true;
    };
    form.show();
    ASSERT_TRUE(form.WaitLoaded());
    form.SaveClick();
    form.SaveClick();
    EXPECT_EQ(offered,
        (QStringList { QStringLiteral("face~補正.jpg"), QStringLiteral("face~補正(1).jpg") }));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("face~補正(1).jpg"))));

    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("print.pdf")));
    form.PrintTo(printer);
    EXPECT_GT(QFileInfo(dir.filePath(QStringLiteral("print.pdf"))).size(), 1000);
}

TEST_F(HoseiFormTest, APictureThatDoesNotLoadSaysSoAndLeavesTheWindowUnusable)
{
    QFile file(picture);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("not a picture at all");
    file.close();
    THoseiForm form(picture, {}, area, prompter, { 200, 200 });
    form.show();
    EXPECT_FALSE(form.WaitLoaded());
    ASSERT_EQ(prompter.Shown().size(), 1);
    EXPECT_EQ(prompter.Shown()[0].kind, TMsgKind::mkError);
    EXPECT_FALSE(form.findChild<QPushButton *>(QStringLiteral("btnOK"))->isEnabled());
    EXPECT_TRUE(form.findChild<QPushButton *>(QStringLiteral("btnCancel"))->isEnabled());
}

TEST_F(HoseiFormTest, WorksFromTheKeyboard)
{
    THoseiForm form(picture, {}, area, prompter, { 200, 200 });
    ExpectKeyboardWorkable(form);
}

#include "mobile/keitai_datas.h"
#include "mobile/ui/keitai_edit_form.h"
#include "mobile/ui/ksize_form.h"
#include "order/thumb_nails.h"
#include "platform/prompter.h"
#include "support/image_builders.h"
#include "text/sjis_file.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

class KSizeFormTest : public testing::Test
{
protected:
    void SetUp() override
    {
        table.LoadBuiltIn();
        keitaiFile = dir.filePath(QStringLiteral("Keitai.ini"));
        form = std::make_unique<TKSizeForm>(
            table, keitaiFile, QList<TKeitaiServer>(), TTransportSettings(), prompter);
    }

    QTemporaryDir dir;
    TKeitaiDatas table;
    QString keitaiFile;
    TScriptedPrompter prompter;
    std::unique_ptr<TKSizeForm> form;
};

TEST_F(KSizeFormTest, PagesLeadFromTheCarrierToAModelInItsFormatsColour)
{
    EXPECT_EQ(form->btnCarrier(0)->text(), QStringLiteral("docomo"));
    EXPECT_EQ(form->btnCarrier(4)->text(), QStringLiteral("TU-KA"));
    EXPECT_FALSE(form->btnMaker(0)->isEnabled());
    EXPECT_FALSE(form->btnDone()->isEnabled());
    QTest::mouseClick(form->btnCarrier(1), Qt::LeftButton); // au
    EXPECT_EQ(form->edtCarrier()->text(), QStringLiteral("au"));
    EXPECT_EQ(form->btnMaker(0)->text(), QStringLiteral("KYOCERA"));
    EXPECT_TRUE(form->btnMakerNext()->isHidden()); // six makers fit the page
    QTest::mouseClick(form->btnMaker(5), Qt::LeftButton); // SONY
    EXPECT_EQ(form->btnModel(1)->text(), QStringLiteral("A1101S"));
    EXPECT_TRUE(form->btnModel(1)->styleSheet().contains(QColor(Qt::red).name()));
    QTest::mouseClick(form->btnModel(1), Qt::LeftButton);
    EXPECT_EQ(form->edtModel()->text(), QStringLiteral("A1101S"));
    EXPECT_EQ(form->lblSupport()->text(), QStringLiteral("未対応です。"));
    EXPECT_EQ(form->lblFormat()->text(), QStringLiteral("GIF"));
    EXPECT_EQ(form->lblW()->text(), QStringLiteral("120"));
    EXPECT_TRUE(form->btnDone()->isEnabled());
    // A new carrier clears the maker and the model.
    QTest::mouseClick(form->btnCarrier(0), Qt::LeftButton);
    EXPECT_TRUE(form->edtMaker()->text().isEmpty());
    EXPECT_TRUE(form->edtModel()->text().isEmpty());
    QTest::mouseClick(form->btnClear(), Qt::LeftButton);
    EXPECT_EQ(form->Width(), 0);
    EXPECT_EQ(form->Format(), 4);
    EXPECT_TRUE(form->edtCarrier()->text().isEmpty());
    form->StartCarrier(QStringLiteral("J-Phone"));
    EXPECT_EQ(form->btnMaker(0)->text(), QStringLiteral("SHARP"));
}

TEST_F(KSizeFormTest, DoneNeedsSizesFromTwentyToFiveHundredAndAKnownFormat)
{
    form->SetSize(19, 100);
    EXPECT_FALSE(form->btnDone()->isEnabled());
    EXPECT_FALSE(form->btnWMinus()->isEnabled());
    QTest::mouseClick(form->btnWPlus(), Qt::LeftButton);
    EXPECT_EQ(form->Width(), 20);
    EXPECT_TRUE(form->btnDone()->isEnabled());
    form->SetSize(500, 100);
    EXPECT_TRUE(form->btnDone()->isEnabled());
    QTest::mouseClick(form->btnWPlus(), Qt::LeftButton);
    EXPECT_EQ(form->lblW()->text(), QStringLiteral("501"));
    EXPECT_FALSE(form->btnDone()->isEnabled());
    EXPECT_FALSE(form->btnWPlus()->isEnabled());
    form->SetSize(5, 100);
    QTest::mouseClick(form->btnWPlus(), Qt::LeftButton); // below 20 jumps to 20
    EXPECT_EQ(form->Width(), 20);
    // The format steps stop at the ends; ETC does not finish.
    for (int i = 0; i < 6; ++i)
        QTest::mouseClick(form->btnFmtPrev(), Qt::LeftButton);
    EXPECT_EQ(form->Format(), 0);
    EXPECT_FALSE(form->btnFmtPrev()->isEnabled());
    EXPECT_FALSE(form->btnDone()->isEnabled());
    EXPECT_EQ(form->lblSupport()->text(), QStringLiteral("対応は未確認です。"));
    QTest::mouseClick(form->btnFmtNext(), Qt::LeftButton);
    EXPECT_TRUE(form->btnDone()->isEnabled());
    // Opened for maintenance "完了" stays off, and Esc closes.
    form->show();
    form->SetMaintenance(true);
    EXPECT_FALSE(form->btnDone()->isEnabled());
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Maintenance());
}

TEST_F(KSizeFormTest, HeldSizeButtonsRepeatSoonerEachTime)
{
    form->SetSize(100, 100);
    QTest::mousePress(form->btnHPlus(), Qt::LeftButton);
    EXPECT_EQ(form->Height(), 101);
    EXPECT_EQ(form->RepeatDelay(), 380);
    QTest::qWait(450);
    EXPECT_EQ(form->Height(), 102);
    EXPECT_EQ(form->RepeatDelay(), 330);
    QTest::mouseRelease(form->btnHPlus(), Qt::LeftButton);
    EXPECT_EQ(form->RepeatDelay(), 0);
    QTest::qWait(400);
    EXPECT_EQ(form->Height(), 102);
}

TEST_F(KSizeFormTest, RegisteringDeletingAndImportingKeepTheWorkspaceFile)
{
    QTest::mouseClick(form->btnDefaults(), Qt::LeftButton);
    QTest::mouseClick(form->btnDelete(), Qt::LeftButton);
    EXPECT_EQ(prompter.Texts(),
        QStringList({ "データは初期値のままです。", "有効な機種が選択されていません。" }));

    form->edtCarrier()->setText(QStringLiteral("au"));
    form->edtMaker()->setText(QStringLiteral("SONY"));
    form->edtModel()->setText(QStringLiteral("NEW1"));
    form->SetSize(144, 176);
    prompter.Answer(TModalResult::mrOk);
    QTest::mouseClick(form->btnRegister(), Qt::LeftButton);
    EXPECT_EQ(prompter.Texts().last(), QStringLiteral("新規登録します。よろしいですか？"));
    TKeitaiDatas saved;
    EXPECT_EQ(saved.LoadFromFile(keitaiFile), BuiltInKeitaiRows().size() + 1);
    EXPECT_FALSE(saved.Find(QStringLiteral("NEW1"))->sys);
    EXPECT_EQ(form->btnModel(2)->text(), QStringLiteral("NEW1"));

    form->SetSize(200, 176);
    prompter.Answer(TModalResult::mrOk);
    QTest::mouseClick(form->btnRegister(), Qt::LeftButton);
    EXPECT_EQ(prompter.Texts().last(), QStringLiteral("修正登録します。よろしいですか？"));
    EXPECT_EQ(table.Find(QStringLiteral("NEW1"))->w, 200);

    prompter.Answer(TModalResult::mrOk);
    QTest::mouseClick(form->btnDelete(), Qt::LeftButton);
    EXPECT_EQ(prompter.Texts().last(),
        QStringLiteral("au\r\nSONY\r\nNEW1\r\n\r\n機種を削除します。よろしいですか？"));
    EXPECT_EQ(table.Find(QStringLiteral("NEW1")), nullptr);

    // Thirteen makers of one carrier scroll by four.
    QStringList lines;
    for (int i = 1; i <= 13; ++i)
        lines << QStringLiteral("Prov=T,Maker=M%1,Model=X%1,W=100,H=100,Fmt=JPG").arg(i)
              << QStringLiteral("Prov=T,Maker=M%1,Model=X%1,W=120,H=100,Fmt=JPG").arg(i);
    const QString import = dir.filePath(QStringLiteral("import.ini"));
    ASSERT_TRUE(WriteSjisLines(import, lines));
    form->chooseFile = [import] { return import; };
    QTest::mouseClick(form->btnImport(), Qt::LeftButton);
    EXPECT_EQ(prompter.Texts().last(), QStringLiteral("13 個の有効なデータを読み込みました。"));
    form->ChooseCarrier(QStringLiteral("T"));
    EXPECT_FALSE(form->btnMakerNext()->isHidden());
    EXPECT_FALSE(form->btnMakerBack()->isEnabled());
    EXPECT_TRUE(form->btnMakerNext()->isEnabled());
    QTest::mouseClick(form->btnMakerNext(), Qt::LeftButton);
    EXPECT_EQ(form->MakerPosition(), 4);
    EXPECT_EQ(form->btnMaker(0)->text(), QStringLiteral("M5"));
    EXPECT_TRUE(form->btnMakerBack()->isEnabled());
    EXPECT_FALSE(form->btnMakerNext()->isEnabled()); // 4 + 9 is not below the last index 12

    form->chooseFile = [this] { return dir.filePath(QStringLiteral("missing.ini")); };
    QTest::mouseClick(form->btnImport(), Qt::LeftButton);
    EXPECT_EQ(prompter.Texts().last(), QStringLiteral("ファイルがありません。"));
    EXPECT_EQ(table.Count(), BuiltInKeitaiRows().size() + 0); // the workspace file, reloaded

    prompter.Answer(TModalResult::mrOk);
    QTest::mouseClick(form->btnDefaults(), Qt::LeftButton);
    EXPECT_EQ(prompter.Texts().last(),
        QStringLiteral("修正データや追加登録データは抹消されます。よろしいですか？"));
    EXPECT_FALSE(QFile::exists(keitaiFile));

    // The upload hides behind the right button with Shift, Ctrl and Alt.
    const int shown = int(prompter.Texts().size());
    QTest::mouseClick(form->btnDownload(), Qt::RightButton);
    EXPECT_EQ(prompter.Texts().size(), shown);
    prompter.Answer(TModalResult::mrOk);
    QTest::mouseClick(form->btnDownload(), Qt::RightButton,
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(prompter.Texts().mid(shown),
        QStringList({ "サーバーにデータをUploadします。", "Uploadに失敗しました。" }));
}

class KeitaiEditFormTest : public testing::Test
{
protected:
    TThumbNail *Add(const QString &name, int width, int height)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(test::JpegBytes(test::PatternBitmap(width, height)));
        file.close();
        return orders.AddPicture(1, path, false, 1, QStringLiteral("L"));
    }

    QTemporaryDir dir;
    TThumbNails orders;
};

TEST_F(KeitaiEditFormTest, PagesEndOnTheLastPictureWhereDoneIsOffered)
{
    QList<TThumbNail *> items { Add(QStringLiteral("a.jpg"), 200, 100),
        Add(QStringLiteral("b.jpg"), 100, 200), Add(QStringLiteral("c.jpg"), 300, 200) };
    TKeitaiEditForm form(items, 240, 320);
    EXPECT_EQ(form.FrameRect().size(), QSize(168, 223));
    EXPECT_EQ(form.lblPage()->text(), QStringLiteral("1/3"));
    EXPECT_EQ(form.lblFile()->text(), QStringLiteral("a.jpg W200 H100"));
    EXPECT_FALSE(form.btnPrev()->isEnabled());
    EXPECT_FALSE(form.btnDone()->isEnabled());
    // Without a stored crop the picture's width spans the frame's inner width.
    const QRect inner = KeitaiInnerRect(form.FrameRect());
    EXPECT_EQ(form.PictureRect(), QRect(inner.left(), inner.top(), 166, 83));
    QTest::mouseClick(form.btnNext(), Qt::LeftButton);
    QTest::mouseClick(form.btnNext(), Qt::LeftButton);
    EXPECT_EQ(form.lblPage()->text(), QStringLiteral("3/3"));
    EXPECT_FALSE(form.btnNext()->isEnabled());
    EXPECT_TRUE(form.btnDone()->isEnabled());
    // Leaving a page records it.
    EXPECT_DOUBLE_EQ(items.at(0)->KeitaiTriming[2], 1.0);
    form.SetPhoneSize(120, 130);
    EXPECT_EQ(form.Page(), 0);
    EXPECT_EQ(form.FrameRect().width(), 206);

    TKeitaiEditForm single({ items.at(1) }, 240, 320);
    EXPECT_TRUE(single.btnPrev()->isHidden());
    EXPECT_TRUE(single.lblPage()->isHidden());
    EXPECT_TRUE(single.btnDone()->isEnabled());
}

TEST_F(KeitaiEditFormTest, MovesZoomsTurnsAndDragsAreRecordedInTheItem)
{
    TThumbNail *item = Add(QStringLiteral("a.jpg"), 200, 100);
    TKeitaiEditForm form({ item }, 240, 320);
    const QRect start = form.PictureRect();
    QTest::mouseClick(form.btnMove(kmRight), Qt::LeftButton);
    EXPECT_EQ(form.PictureRect().left(), start.left() - 1);
    EXPECT_GT(item->KeitaiTriming[0], 0);
    QTest::mouseClick(form.btnZoom(2), Qt::LeftButton);
    EXPECT_EQ(form.PictureRect().width(), 168); // 166 + 1.66 + 1
    QTest::mouseClick(form.btnFit(kfWidth), Qt::LeftButton);
    EXPECT_EQ(form.PictureRect(), start);
    EXPECT_FALSE(TKeitaiCrop::FromArray(item->KeitaiTriming).IsSet());

    QTest::mouseClick(form.btnRight(), Qt::LeftButton);
    EXPECT_EQ(item->KeitaiRotat, 1);
    EXPECT_EQ(form.lblFile()->text(), QStringLiteral("a.jpg W100 H200"));
    EXPECT_EQ(form.PictureRect().width(), 166); // an unset crop turns into the width fit
    QTest::mouseClick(form.btnFit(kfHeight), Qt::LeftButton);
    EXPECT_EQ(form.PictureRect().height(), 221);
    const QRect tall = form.PictureRect();
    QTest::mouseClick(form.btnLeft(), Qt::LeftButton);
    EXPECT_EQ(item->KeitaiRotat, 0);
    EXPECT_EQ(form.PictureRect().size(), tall.size().transposed());

    // The right button drags along the axis of the larger travel only.
    QWidget *picture = form.imgPicture();
    const QRect before = form.PictureRect();
    QTest::mousePress(picture, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseMove(picture, QPoint(30, 14));
    QTest::mouseRelease(picture, Qt::RightButton, {}, QPoint(30, 14));
    EXPECT_EQ(form.PictureRect().topLeft(), before.topLeft() + QPoint(20, 0));
    const TKeitaiCrop dragged = TKeitaiCrop::FromArray(item->KeitaiTriming);
    EXPECT_EQ(KeitaiPlacement(form.FrameRect(), form.PictureSize(), dragged), form.PictureRect());

    form.show();
    QTest::mouseClick(form.btnDone(), Qt::LeftButton);
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

} // namespace

} // namespace korvatel

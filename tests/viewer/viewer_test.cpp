#include "app/main_tabs.h"
#include "imaging/picture.h"
#include "platform/file_times.h"
#include "platform/prompter.h"
#include "support/image_builders.h"
#include "support/temp_home.h"
#include "viewer/picture_loader.h"
#include "viewer/tone_steps.h"
#include "viewer/viewed_picture.h"
#include "viewer/viewer_zoom.h"

#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

namespace korvatel
{

using test::TTempHome;

TEST(ViewerZoom, AutoZoomFitsTheSmallerScaleAndCentres)
{
    const TZoomLayout wide = ViewerZoom(QSize(800, 600), QSize(1600, 900), true, 100, 300);
    EXPECT_EQ(wide.displayed, QSize(800, 450));
    EXPECT_EQ(wide.barPosition, 50);
    EXPECT_EQ(wide.barMax, 300);
    EXPECT_TRUE(wide.centred);
    // A tall picture: the height leads and the width is truncated (1000 × 600 / 1400 = 428.57).
    EXPECT_EQ(
        ViewerZoom(QSize(800, 600), QSize(1000, 1400), true, 100, 300).displayed, QSize(428, 600));
    // A small picture is enlarged, and the bar's maximum grows to hold the position.
    const TZoomLayout small = ViewerZoom(QSize(800, 600), QSize(100, 100), true, 100, 300);
    EXPECT_EQ(small.barPosition, 600);
    EXPECT_EQ(small.barMax, 600);
}

TEST(ViewerZoom, ManualZoomIsCutToTheMaximum)
{
    const TZoomLayout zoom = ViewerZoom(QSize(800, 600), QSize(1000, 750), false, 300, 200);
    EXPECT_EQ(zoom.barMax, 200);
    EXPECT_EQ(zoom.barPosition, 200);
    EXPECT_EQ(zoom.displayed, QSize(2000, 1500));
    EXPECT_FALSE(zoom.centred);
    EXPECT_EQ(
        ViewerZoom(QSize(800, 600), QSize(333, 333), false, 50, 300).displayed, QSize(166, 166));
    EXPECT_EQ(DragZoom(100, 90, 300), 130);
    EXPECT_EQ(DragZoom(100, -400, 300), 0);
    EXPECT_EQ(DragZoom(250, 300, 300), 300);
}

TEST(ToneSteps, ChannelArithmeticIsExactDecimal)
{
    // Lighter: v + (255 - v) × 0.1, truncated.
    EXPECT_EQ(ToneChannel(100, 10), 115); // 115.5
    EXPECT_EQ(ToneChannel(0, 10), 25); // 25.5
    EXPECT_EQ(ToneChannel(255, 10), 255);
    // Darker: v - v × 0.1, truncated; 10 gives exactly 9, not 8.999….
    EXPECT_EQ(ToneChannel(100, -10), 90);
    EXPECT_EQ(ToneChannel(10, -10), 9);
    EXPECT_EQ(ToneChannel(255, -10), 229); // 229.5
    EXPECT_EQ(ToneChannel(0, -10), 0);
    // Contrast: the bright half moves with the step, the dark half against it.
    EXPECT_EQ(ContrastChannel(200, true, 10), 205);
    EXPECT_EQ(ContrastChannel(50, false, 10), 45);
    EXPECT_EQ(ContrastChannel(200, true, -10), 194); // 200 - 5.5
    EXPECT_EQ(ContrastChannel(50, false, -10), 55); // 50 + 5
    EXPECT_EQ(ContrastChannel(20, true, -10), 0); // 20 - 23.5, cut to 0
}

TEST(ToneSteps, StepsChangeEveryPixelAndReportProgress)
{
    TBitmap bitmap(3, 200);
    bitmap.Fill({ 100, 150, 200 });
    bitmap.SetPixel(0, 0, { 10, 20, 30 }); // sum 60: the dark half
    QList<int> progress;
    ApplyToneStep(bitmap, tsBrighter, [&](int p) { progress << p; });
    EXPECT_EQ(bitmap.Pixel(2, 199), (TBgr { 115, 160, 205 }));
    EXPECT_EQ(bitmap.Pixel(0, 0), (TBgr { 34, 43, 52 }));
    EXPECT_EQ(progress.size(), 101); // every hundredth of the rows, then the end
    EXPECT_EQ(progress.back(), 100);

    bitmap.Fill({ 100, 150, 200 }); // sum 450: the bright half
    bitmap.SetPixel(0, 0, { 10, 20, 30 });
    ApplyToneStep(bitmap, tsContrastUp);
    EXPECT_EQ(bitmap.Pixel(1, 1), (TBgr { 115, 160, 205 }));
    EXPECT_EQ(bitmap.Pixel(0, 0), (TBgr { 9, 18, 27 }));
    EXPECT_EQ(ToneStepProgressText(tsDarker, 37), QStringLiteral("暗く補正　37 %"));
    EXPECT_EQ(ToneStepDoneText(tsContrastDown), QStringLiteral("コントラスト(－)　完了"));
}

TEST(TViewedPicture, TrimCopiesThePixelsOfTheRectangle)
{
    TTempHome home;
    const QString file = home.FilePath(QStringLiteral("p.bmp"));
    ASSERT_TRUE(SavePicture(file, test::PatternBitmap(40, 30), false));
    TViewedPicture picture;
    ASSERT_TRUE(picture.Load(file));
    const TBitmap before = picture.Bitmap();
    ASSERT_TRUE(picture.Trim(QRect(5, 7, 10, 12)));
    ASSERT_EQ(picture.Size(), QSize(10, 12));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(picture.Bitmap().Pixel(x, y), before.Pixel(x + 5, y + 7));
    EXPECT_TRUE(picture.Changed());
    EXPECT_FALSE(picture.Trim(QRect(50, 50, 5, 5)));
    picture.Undo();
    EXPECT_EQ(picture.Bitmap(), before);
    // Four quarter turns give the start again.
    for (int i = 0; i < 4; ++i)
        picture.Rotate(rt90);
    EXPECT_EQ(picture.Bitmap(), before);
}

TEST(TViewedPicture, PseudoDoubleStopsAtTheLimitUnlessForced)
{
    EXPECT_TRUE(TViewedPicture::DoubleAllowed(QSize(600, 400), false)); // 1199 × 799
    EXPECT_FALSE(TViewedPicture::DoubleAllowed(QSize(601, 400), false));
    EXPECT_FALSE(TViewedPicture::DoubleAllowed(QSize(100, 601), false));
    EXPECT_TRUE(TViewedPicture::DoubleAllowed(QSize(601, 601), true));
    EXPECT_EQ(TViewedPicture::DoubleSteps(QSize(30, 20)), 5);
    EXPECT_EQ(TViewedPicture::DoubleSteps(QSize(600, 2)), 1);
    EXPECT_EQ(TViewedPicture::DoubleSteps(QSize(601, 2)), 0);
    EXPECT_EQ(TViewedPicture::DoubleSteps(QSize(1, 1)), 1);
    TTempHome home;
    const QString file = home.FilePath(QStringLiteral("p.bmp"));
    ASSERT_TRUE(SavePicture(file, test::PatternBitmap(10, 8), false));
    TViewedPicture picture;
    ASSERT_TRUE(picture.Load(file));
    ASSERT_TRUE(picture.PseudoDouble(false));
    EXPECT_EQ(picture.Size(), QSize(19, 15));
    EXPECT_FALSE(picture.Load(home.FilePath(QStringLiteral("missing.jpg"))));
    EXPECT_TRUE(picture.Empty());
}

TEST(ViewerSave, ProposedOrderNameTakesTheFirstFreeNumber)
{
    QStringList existing;
    const auto exists = [&](const QString &name) { return existing.contains(name); };
    EXPECT_EQ(
        ProposedOrderName(QStringLiteral("/p/IMG_1.bmp"), exists), QStringLiteral("/p/IMG_1.JPG"));
    existing << QStringLiteral("/p/IMG_1.JPG");
    EXPECT_EQ(ProposedOrderName(QStringLiteral("/p/IMG_1.JPG"), exists),
        QStringLiteral("/p/IMG_1-2.JPG"));
    existing << QStringLiteral("/p/IMG_1-2.JPG");
    EXPECT_EQ(ProposedOrderName(QStringLiteral("/p/IMG_1.JPG"), exists),
        QStringLiteral("/p/IMG_1-3.JPG"));
    EXPECT_EQ(ProposedSaveAsName(QStringLiteral("/p/IMG_1.JPG"), exists),
        QStringLiteral("/p/IMG_1-3.JPG"));
    EXPECT_EQ(ProposedSaveAsName(QStringLiteral("/p/IMG_1.bmp"), exists),
        QStringLiteral("/p/IMG_1-2.bmp"));
    EXPECT_TRUE(IsSaveAsExtension(QStringLiteral("a.bid")));
    EXPECT_TRUE(IsSaveAsExtension(QStringLiteral("a.Jpeg")));
    EXPECT_FALSE(IsSaveAsExtension(QStringLiteral("a.png")));
    EXPECT_TRUE(IsOrderExtension(QStringLiteral("a.jpg")));
    EXPECT_FALSE(IsOrderExtension(QStringLiteral("a.jpeg")));
}

TEST(ViewerSave, SaveAsAsksForAFormatWarnsBeforeOverwritingAndKeepsTheTimes)
{
    TTempHome home;
    const QString source = home.FilePath(QStringLiteral("src.jpg"));
    ASSERT_TRUE(
        home.Write(QStringLiteral("src.jpg"), test::JpegBytes(test::PatternBitmap(64, 48))));
    const QDateTime stamp = QDateTime(QDate(2004, 7, 15), QTime(13, 5, 9));
    ASSERT_TRUE(SetFileTimes(source, stamp, stamp));
    const QString taken = home.FilePath(QStringLiteral("taken.bmp"));
    ASSERT_TRUE(home.Write(QStringLiteral("taken.bmp"), "x"));

    TViewedPicture picture;
    ASSERT_TRUE(picture.Load(source));
    picture.Rotate(rt90);
    QStringList answers { home.FilePath(QStringLiteral("out.png")), taken,
        home.FilePath(QStringLiteral("out.bmp")) };
    TViewerSaveHooks hooks;
    QStringList proposed;
    hooks.askFileName = [&](const QString &name) {
        proposed << name;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    };
    bool trimmed = false;
    hooks.frameOpen = true;
    hooks.applyTrim = [&] { trimmed = true; };
    QStringList scanned;
    hooks.saved = [&](const QString &file) { scanned << file; };
    // Trim first: Yes; the overwrite of taken.bmp: Cancel, so the dialog comes again.
    TScriptedPrompter prompter({ TModalResult::mrYes, TModalResult::mrOk, TModalResult::mrCancel });
    QString saved;
    ASSERT_EQ(SaveViewedPictureAs(picture, hooks, prompter, &saved), TSaveOutcome::soSaved);
    EXPECT_TRUE(trimmed);
    EXPECT_EQ(prompter.Texts(),
        QStringList({ QStringLiteral("トリミングしてから保存しますか？"),
            QStringLiteral("出力形式は JPG JPEG BMP BID の４タイプです。"),
            QStringLiteral("上書します。(ｵﾘｼﾞﾅﾙ画像ではないでしょうね?)") }));
    EXPECT_EQ(prompter.Unexpected(), 0);
    // Never the source's own name first, and overwriting is not the default answer.
    EXPECT_EQ(proposed.value(0), home.FilePath(QStringLiteral("src-2.jpg")));
    EXPECT_EQ(prompter.Shown().at(2).buttons, TMsgButtons(mbOK | mbCancel | mbSafeDefault));
    EXPECT_EQ(saved, home.FilePath(QStringLiteral("out.bmp")));
    EXPECT_EQ(scanned, QStringList { saved });
    EXPECT_EQ(QFileInfo(taken).size(), 1);
    TViewedPicture reread;
    ASSERT_TRUE(reread.Load(saved));
    EXPECT_EQ(reread.Size(), QSize(48, 64));
    EXPECT_EQ(ReadFileTimes(saved)->lastWrite, stamp);
}

TEST(ViewerSave, SavingOverTheSourceGivesItANewTime)
{
    TTempHome home;
    const QString source = home.FilePath(QStringLiteral("src.jpg"));
    ASSERT_TRUE(
        home.Write(QStringLiteral("src.jpg"), test::JpegBytes(test::PatternBitmap(64, 48))));
    const QDateTime stamp = QDateTime(QDate(2004, 7, 15), QTime(13, 5, 9));
    ASSERT_TRUE(SetFileTimes(source, stamp, stamp));
    TViewedPicture picture;
    ASSERT_TRUE(picture.Load(source));
    picture.Rotate(rt90);
    TViewerSaveHooks hooks;
    hooks.askFileName = [&](const QString &) { return source; };
    TScriptedPrompter prompter({ TModalResult::mrOk });
    ASSERT_EQ(SaveViewedPictureAs(picture, hooks, prompter), TSaveOutcome::soSaved);
    // The edit shows in the time, so copies made from the old picture are seen to be stale.
    EXPECT_GT(ReadFileTimes(source)->lastWrite, stamp.addYears(10));
}

TEST(ViewerSave, OrderingAChangedPictureSavesAJpegCopy)
{
    TTempHome home;
    const QString source = home.FilePath(QStringLiteral("IMG_1.JPG"));
    ASSERT_TRUE(
        home.Write(QStringLiteral("IMG_1.JPG"), test::JpegBytes(test::PatternBitmap(64, 48))));
    TViewedPicture picture;
    ASSERT_TRUE(picture.Load(source));

    // Unchanged: the source itself is ordered, nothing is asked.
    TScriptedPrompter quiet;
    QString file;
    TViewerSaveHooks hooks;
    ASSERT_EQ(SaveViewedPictureForOrder(picture, hooks, quiet, &file), TSaveOutcome::soSaved);
    EXPECT_EQ(file, source);
    EXPECT_TRUE(quiet.Shown().isEmpty());

    // An open frame and Cancel: nothing happens.
    picture.Tone(tsBrighter);
    hooks.frameOpen = true;
    TScriptedPrompter cancel({ TModalResult::mrCancel });
    EXPECT_EQ(SaveViewedPictureForOrder(picture, hooks, cancel, &file), TSaveOutcome::soCancelled);
    EXPECT_EQ(cancel.Texts(),
        QStringList { QStringLiteral("未処理の範囲指定があります。トリミングして注文しますか？") });

    // No to trimming; the dialog proposes IMG_1-2.JPG; ".png" is refused, then taken.
    QStringList proposals;
    QStringList answers { home.FilePath(QStringLiteral("x.png")), QString() };
    hooks.askFileName = [&](const QString &proposed) {
        proposals << proposed;
        return answers.first().isEmpty() ? proposals.first() : answers.takeFirst();
    };
    TScriptedPrompter prompter({ TModalResult::mrNo, TModalResult::mrOk });
    ASSERT_EQ(SaveViewedPictureForOrder(picture, hooks, prompter, &file), TSaveOutcome::soSaved);
    EXPECT_EQ(proposals.first(), home.FilePath(QStringLiteral("IMG_1-2.JPG")));
    EXPECT_EQ(prompter.Texts().last(), QStringLiteral("拡張子は\".JPG\"を指定してください。"));
    EXPECT_EQ(file, home.FilePath(QStringLiteral("IMG_1-2.JPG")));
    EXPECT_TRUE(SameFileTimes(file, source));
}

TEST(ViewerSave, TheOrderCopyOfAnEditedPictureIsNeverATwinInOtherCase)
{
    TTempHome home;
    const QByteArray jpeg = test::JpegBytes(test::PatternBitmap(64, 48));
    ASSERT_TRUE(home.Write(QStringLiteral("IMG_2.jpg"), jpeg));
    TViewedPicture picture;
    ASSERT_TRUE(picture.Load(home.FilePath(QStringLiteral("IMG_2.jpg"))));
    picture.Rotate(rt90);

    QStringList proposals;
    TViewerSaveHooks hooks;
    hooks.askFileName = [&](const QString &proposed) {
        proposals << proposed;
        return proposed;
    };
    TScriptedPrompter quiet;
    QString file;
    ASSERT_EQ(SaveViewedPictureForOrder(picture, hooks, quiet, &file), TSaveOutcome::soSaved);
    EXPECT_EQ(file, home.FilePath(QStringLiteral("IMG_2-2.JPG")));
    EXPECT_FALSE(QFileInfo::exists(home.FilePath(QStringLiteral("IMG_2.JPG"))));
    // A lower-case "-3" takes that number too.
    ASSERT_TRUE(home.Write(QStringLiteral("img_2-3.jpg"), jpeg));
    ASSERT_EQ(SaveViewedPictureForOrder(picture, hooks, quiet, &file), TSaveOutcome::soSaved);
    EXPECT_EQ(proposals.last(), home.FilePath(QStringLiteral("IMG_2-4.JPG")));
    EXPECT_TRUE(quiet.Shown().isEmpty());
}

TEST(TViewedPicture, APhoneShotIsShownTrimmedAndOrderedUpright)
{
    TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("IMG_3.JPG"), test::SidewaysJpeg(8)));
    TViewedPicture picture;
    ASSERT_TRUE(picture.Load(home.FilePath(QStringLiteral("IMG_3.JPG"))));
    EXPECT_TRUE(test::RedAboveBlue(picture.Bitmap()));
    EXPECT_FALSE(picture.Changed());
    // The quick look of a large file stands as the whole picture will.
    const std::optional<TPicturePreview> quick = DecodePreview(test::SidewaysJpeg(8), 16);
    ASSERT_TRUE(quick);
    EXPECT_TRUE(test::RedAboveBlue(quick->bitmap));
    EXPECT_EQ(quick->storedSize, QSize(32, 48));

    // The frame is drawn on what the user sees: its top part is the red half.
    ASSERT_TRUE(picture.Trim(QRect(0, 0, 32, 40)));
    EXPECT_EQ(picture.Size(), QSize(32, 40));
    TViewerSaveHooks hooks;
    hooks.askFileName = [](const QString &proposed) { return proposed; };
    TScriptedPrompter quiet;
    QString file;
    ASSERT_EQ(SaveViewedPictureForOrder(picture, hooks, quiet, &file), TSaveOutcome::soSaved);
    // The copy holds the upright pixels and no orientation: read again, it is not turned twice.
    TViewedPicture copy;
    ASSERT_TRUE(copy.Load(file));
    EXPECT_EQ(copy.Size(), QSize(32, 40));
    EXPECT_TRUE(test::RedAboveBlue(copy.Bitmap()));
}

TEST(MainTabs, NumberingFollowsTheShownTabs)
{
    const QList<TMainTab> tabs = BuildMainTabs(MainTabMask(false));
    ASSERT_EQ(tabs.size(), 4);
    EXPECT_EQ(tabs[0].caption, QStringLiteral("一覧選択(0)"));
    EXPECT_EQ(tabs[2].caption, QStringLiteral("注文詳細(2)"));
    EXPECT_EQ(tabs[3].caption, QStringLiteral("価格情報(3)"));
    const QList<TMainTab> all = BuildMainTabs(MainTabMask(true));
    ASSERT_EQ(all.size(), 5);
    EXPECT_EQ(all[2].caption, QStringLiteral("カード作成(2)"));
    EXPECT_EQ(all[4].mode, tmShop);
    EXPECT_EQ(TabIndexForCtrlKey(Qt::Key_2, 4), 2);
    EXPECT_EQ(TabIndexForCtrlKey(Qt::Key_4, 4), -1);
    EXPECT_EQ(TabIndexForCtrlKey(Qt::Key_F1, 4), 1);
    EXPECT_EQ(TabIndexForCtrlKey(Qt::Key_F10, 4), 0);
    EXPECT_EQ(TabIndexForCtrlKey(Qt::Key_A, 4), -1);
    EXPECT_EQ(MemoryWatchInterval(3), 500);
    EXPECT_EQ(MemoryWatchInterval(9), 0);
}

} // namespace korvatel

namespace korvatel
{

TEST(TPictureLoader, AQuickLookComesFirstAndOnlyTheNewestLoadReports)
{
    EXPECT_EQ(PreviewScale(QSize(6000, 4000), 640), jsEighth);
    EXPECT_EQ(PreviewScale(QSize(3000, 4000), 640), jsQuarter);
    EXPECT_EQ(PreviewScale(QSize(1600, 1200), 640), jsHalf);
    EXPECT_EQ(PreviewScale(QSize(1000, 800), 640), jsFullSize);

    test::TTempHome home;
    home.Write(QStringLiteral("big.jpg"), test::JpegBytes(test::PatternBitmap(1600, 1200)));
    home.Write(QStringLiteral("small.jpg"), test::JpegBytes(test::PatternBitmap(40, 30)));
    home.Write(QStringLiteral("broken.jpg"), QByteArray("\xFF\xD8\xFF") + QByteArray(4000, 'x'));
    const QString big = home.FilePath(QStringLiteral("big.jpg"));
    const QString small = home.FilePath(QStringLiteral("small.jpg"));

    TPictureLoader loader;
    QList<QSize> previews;
    QStringList done;
    QStringList errors;
    QSize picture;
    QObject::connect(
        &loader, &TPictureLoader::preview, [&](int, const TBitmap &quick, QSize stored) {
            previews << QSize(quick.Width(), quick.Height()) << stored;
        });
    QObject::connect(
        &loader, &TPictureLoader::loaded, [&](int, const QString &file, const QString &error) {
            done << file;
            errors << error;
            const TBitmap taken = loader.TakePicture();
            picture = QSize(taken.Width(), taken.Height());
        });
    const auto waitForLoads
        = [&](int count) { return QTest::qWaitFor([&] { return done.size() >= count; }, 20000); };

    // A second load before the first reports: the first never does.
    loader.Load(big);
    loader.Load(small);
    ASSERT_TRUE(waitForLoads(1));
    QTest::qWait(50);
    EXPECT_EQ(done, QStringList { small });
    EXPECT_EQ(picture, QSize(40, 30));
    EXPECT_TRUE(previews.isEmpty()); // too small for a quicker look
    EXPECT_FALSE(loader.Busy());

    loader.Load(big);
    ASSERT_TRUE(waitForLoads(2));
    EXPECT_EQ((QList<QSize> { QSize(800, 600), QSize(1600, 1200) }), previews);
    EXPECT_EQ(picture, QSize(1600, 1200));
    EXPECT_TRUE(errors[1].isEmpty());

    // Incremental display: the picture sharpens in steps before the whole of it arrives.
    EXPECT_EQ(PreviewSteps(QSize(1000, 800), 640, false), QList<TJpegScale>());
    EXPECT_EQ(PreviewSteps(QSize(1000, 800), 640, true), (QList<TJpegScale> { jsQuarter, jsHalf }));
    previews.clear();
    loader.SetIncremental(true);
    loader.Load(big);
    ASSERT_TRUE(waitForLoads(3));
    EXPECT_EQ((QList<QSize> { QSize(200, 150), QSize(1600, 1200), QSize(400, 300),
                  QSize(1600, 1200), QSize(800, 600), QSize(1600, 1200) }),
        previews);
    loader.SetIncremental(false);
    done.removeLast();
    errors.removeLast();

    loader.Load(home.FilePath(QStringLiteral("broken.jpg")));
    ASSERT_TRUE(waitForLoads(3));
    EXPECT_FALSE(errors[2].isEmpty());
    EXPECT_EQ(picture, QSize(0, 0));

    // A load dropped before its turn reports nothing, even after a while.
    loader.Load(big);
    loader.Cancel();
    QTest::qWait(300);
    EXPECT_EQ(done.size(), 3);
}

} // namespace korvatel

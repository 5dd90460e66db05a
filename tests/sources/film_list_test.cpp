#include "platform/prompter.h"
#include "sources/date_exclusion.h"
#include "sources/film_cell.h"
#include "sources/film_list.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

QStringList Names(const TFilmList &list)
{
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names << list.Item(i).fileName;
    return names;
}

} // namespace

TEST(TFilmList, SortsByNameSizeTypeAndTimeWithTheDirectionAndReusesItems)
{
    TFilmList list;
    const QDateTime t(QDate(2009, 1, 1), QTime(0, 0));
    list.AddFile(QStringLiteral("/x/b.png"), 300, t.addSecs(2));
    list.AddFile(QStringLiteral("/x/a.jpg"), 300, t.addSecs(1));
    list.AddFile(QStringLiteral("/x/C.jpg"), 100, t.addSecs(3));
    EXPECT_EQ(list.Item(0).typeText, QStringLiteral("PNG ファイル"));
    list.Sort(1, 1);
    EXPECT_EQ(Names(list), (QStringList { "a.jpg", "b.png", "C.jpg" }));
    list.Sort(2, -1); // the two of 300 bytes: the later first, as the direction says
    EXPECT_EQ(Names(list), (QStringList { "b.png", "a.jpg", "C.jpg" }));
    list.Sort(3, 1);
    EXPECT_EQ(Names(list), (QStringList { "a.jpg", "C.jpg", "b.png" }));
    list.Sort(4, -1);
    EXPECT_EQ(Names(list), (QStringList { "C.jpg", "b.png", "a.jpg" }));
    list.Sort(0, -1); // the list position ignores the direction
    EXPECT_EQ(Names(list), (QStringList { "b.png", "a.jpg", "C.jpg" }));
    EXPECT_EQ(list.IndexOf(QStringLiteral("/x/C.jpg")), 2);
    EXPECT_EQ(list.IndexOf(QStringLiteral("/X/c.JPG")), -1) << "case tells pictures apart";

    const TFilmData *kept = &list.Item(0);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    TFilmData &reused = list.AddFile(QStringLiteral("/y/z.jpg"), 5);
    EXPECT_EQ(&reused, kept);
    EXPECT_EQ(reused.index, 0);
    EXPECT_FALSE(reused.inOrder);
}

TEST(TExclusion, AChildOfAnExcludedFolderAsksToLiftTheParent)
{
    TDateOutFolderList list;
    TScriptedPrompter prompter({ TModalResult::mrCancel, TModalResult::mrOk });
    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/photos/"), prompter),
        TExclusionChange::ecAdded);
    ASSERT_EQ(list.Folders.size(), 1);
    EXPECT_EQ(list.Folders[0].path, QStringLiteral("/home/u/photos"));
    EXPECT_TRUE(FolderExcluded(list, QStringLiteral("/home/u/photos")));
    // A sibling whose name starts the same is not a child.
    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/photos-old"), prompter),
        TExclusionChange::ecAdded);
    EXPECT_TRUE(prompter.Shown().isEmpty());

    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/photos/2009"), prompter),
        TExclusionChange::ecNone);
    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/photos/2009"), prompter),
        TExclusionChange::ecParentRemoved);
    EXPECT_EQ(prompter.Texts(),
        QStringList(2, QStringLiteral("親である </home/u/photos> を解除します。")));
    EXPECT_EQ(prompter.Shown()[0].buttons, mbOK | mbCancel);
    EXPECT_EQ(list.ActiveFolders(), QStringList { QStringLiteral("/home/u/photos-old") });
    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/photos-old"), prompter),
        TExclusionChange::ecRemoved);
    EXPECT_TRUE(list.Folders.isEmpty());
    list.Folders.append({ QStringLiteral("/inactive"), false });
    EXPECT_FALSE(FolderExcluded(list, QStringLiteral("/inactive")));
}

TEST(TExclusion, FoldersWhoseNamesDifferInCaseAreTwoFolders)
{
    TDateOutFolderList list;
    TScriptedPrompter prompter;
    ToggleExclusion(list, QStringLiteral("/home/u/Photos"), prompter);
    EXPECT_TRUE(FolderExcluded(list, QStringLiteral("/home/u/Photos/")));
    EXPECT_FALSE(FolderExcluded(list, QStringLiteral("/home/u/photos")));
    // Neither the same folder (which would lift it) nor a child (which would ask).
    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/photos"), prompter),
        TExclusionChange::ecAdded);
    EXPECT_EQ(ToggleExclusion(list, QStringLiteral("/home/u/PHOTOS/2009"), prompter),
        TExclusionChange::ecAdded);
    EXPECT_TRUE(prompter.Shown().isEmpty());
    EXPECT_EQ(list.Folders.size(), 3);
}

TEST(TCheckMark, PlacesAndDrawsEachKind)
{
    EXPECT_EQ(CheckPolygon(46),
        QPolygon({ { 0, 9 }, { 0, 24 }, { 11, 46 }, { 45, 12 }, { 45, 1 }, { 12, 33 } }));
    EXPECT_EQ(CheckPolygon(23).at(2), QPoint(6, 23));
    const QRect cell(10, 20, 100, 80);
    EXPECT_EQ(CheckMarkSize(cell, 50), 40);
    EXPECT_EQ(CheckMarkRect(cell, 40, 0), QRect(40, 40, 40, 40)); // centre, middle
    EXPECT_EQ(CheckMarkRect(cell, 40, 11), QRect(12, 22, 40, 40)); // left, top
    EXPECT_EQ(CheckMarkRect(cell, 40, 22), QRect(68, 58, 40, 40)); // right, bottom

    const auto paint = [&](int mark) {
        QImage image(120, 110, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        TCheckStyle style;
        style.mark = mark;
        style.colour = QColor(255, 0, 0);
        style.text = QStringLiteral("OK");
        PaintCheckMark(painter, cell, style);
        return image;
    };
    const QRgb red = qRgb(255, 0, 0);
    EXPECT_EQ(paint(cmCircle).pixel(60, 60), red);
    EXPECT_NE(paint(cmDonut).pixel(60, 60), red); // the hole
    EXPECT_EQ(paint(cmDonut).pixel(60, 42), red); // the ring
    EXPECT_EQ(paint(cmSurround).pixel(10, 50), red);
    EXPECT_EQ(paint(cmSurround).pixel(60, 60), qRgb(0, 0, 0));
    EXPECT_EQ(paint(cmStandard).pixel(40 + 17, 40 + 27), red); // inside the polygon
    EXPECT_EQ(paint(cmStandard).pixel(40 + 30, 40 + 35), qRgb(0, 0, 0)); // below it
    EXPECT_EQ(paint(cmFrameColour).pixel(60, 60), qRgb(0, 0, 0)); // the cell paints it
    // A missing user picture falls back to the standard mark.
    EXPECT_EQ(paint(cmPicture).pixel(57, 67), red);
    const QImage text = paint(cmText);
    int reds = 0;
    for (int y = 0; y < text.height(); ++y)
        for (int x = 0; x < text.width(); ++x)
            reds += text.pixel(x, y) == red;
    EXPECT_GT(reds, 50);
}

} // namespace korvatel

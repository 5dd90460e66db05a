#include "sending/dpof.h"

#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

TEST(Dpof, PrintOrderFileLines)
{
    TDpofJob plain { QStringLiteral("a.jpg"), 2, DpofFormatLine(1, "0220", false), {} };
    TDpofJob dated { QStringLiteral("b.jpg"), 12, DpofFormatLine(1, {}, false),
        DpofDateText(QStringLiteral("2026/12-08"), false) };
    const QDateTime packed({ 2026, 12, 8 }, { 10, 20, 30 });
    EXPECT_EQ(DpofLines({ plain, dated }, packed, DpofCreator(QStringLiteral("2.0.1")),
                  QStringLiteral("7"), false),
        QStringList({ QStringLiteral("[HDR]"), QStringLiteral("GEN REV = 01.10"),
            QStringLiteral("GEN CRT = \"KorvaDPOF/201/Korvatel\""),
            QStringLiteral("GEN DTM = 2026:12:08:10:20:30"), QStringLiteral("VUQ RGN = BGN"),
            QStringLiteral("VUQ VNM = \"NORITSU KOKI\" -ATR \"QSSPrint\""),
            QStringLiteral("PRT PCH = 007"), QStringLiteral("VUQ RGN = END"), QString(),
            QStringLiteral("[JOB]"), QStringLiteral("PRT PID = 001"),
            QStringLiteral("PRT TYP = STD"), QStringLiteral("PRT QTY = 002"),
            QStringLiteral("IMG FMT = EXIF2 -J"),
            QStringLiteral("<IMG SRC = \"../../$IMG_PRN/a.jpg\">"), QStringLiteral("[JOB]"),
            QStringLiteral("PRT PID = 002"), QStringLiteral("PRT TYP = STD"),
            QStringLiteral("PRT QTY = 012"), QStringLiteral("IMG FMT = JFIF"),
            QStringLiteral("<IMG SRC = \"../../$IMG_PRN/b.jpg\">"),
            QStringLiteral("CFG DSC = \"2026.12.08\" -ATR DTM") }));
    const QStringList cd = DpofLines({ plain }, packed, QStringLiteral("c"), {}, true);
    EXPECT_EQ(cd.size(), 4 + 6);
    EXPECT_EQ(cd.last(), QStringLiteral("<IMG SRC = \"../../CD-R/$IMG_CDR/a.jpg\">"));

    EXPECT_EQ(DpofFormatLine(2, "0210", false), QStringLiteral("IMG FMT = EXIF2 -T"));
    EXPECT_EQ(DpofFormatLine(2, {}, false), QStringLiteral("IMG FMT = UNDEF"));
    EXPECT_EQ(DpofFormatLine(1, "0220", true), QStringLiteral("IMG FMT = JFIF"));
    EXPECT_EQ(DpofFormatLine(2, "0220", true), QStringLiteral("IMG FMT = UNDEF"));
    EXPECT_EQ(DpofFormatLine(3, "0220", false), QStringLiteral("IMG FMT = UNDEF"));
    EXPECT_EQ(DpofDateText(QStringLiteral("'26-12/08"), true), QStringLiteral("'26-12/08"));
}

} // namespace

} // namespace korvatel

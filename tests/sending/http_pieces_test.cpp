#include "sending/http_pieces.h"
#include "text/sjis_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

TEST(HttpPieces, CountsAndPiecesCoverTheFileExactly)
{
    EXPECT_EQ(PieceCount(0), 1);
    EXPECT_EQ(PieceCount(kHttpPieceSize), 1);
    EXPECT_EQ(PieceCount(kHttpPieceSize + 1), 2);
    EXPECT_EQ(PieceCount(25000000), 6);
    EXPECT_EQ(PieceCount(10, 4), 3);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(WriteFileAtomic(file, "0123456789"));
    const QString piece = dir.filePath(QStringLiteral("Piece.tmp"));
    QByteArray joined;
    for (int part = 1; part <= PieceCount(10, 4); ++part) {
        ASSERT_TRUE(WritePiece(file, part, 4, piece)) << part;
        joined += ReadWholeFile(piece).value_or("?");
    }
    EXPECT_EQ(joined, "0123456789");
    EXPECT_EQ(QFile(piece).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    // No piece beyond the end, before the first, or of a file that is not there.
    EXPECT_FALSE(WritePiece(file, 4, 4, piece));
    EXPECT_FALSE(WritePiece(file, 0, 4, piece));
    EXPECT_FALSE(WritePiece(dir.filePath(QStringLiteral("none.jpg")), 1, 4, piece));

    EXPECT_EQ(FileSha256(file),
        QByteArray("84d89877f0d4041efb6bf91a16f0248f2fd573e6af05c19f96bedb9f882f7882"));
    EXPECT_FALSE(FileSha256(dir.filePath(QStringLiteral("none.jpg"))));
}

TEST(HttpPieces, AnswersOfTheUploadScript)
{
    EXPECT_EQ(ParsePieceAnswer("OK\r\n", 6).kind, TPieceAnswer::paComplete);
    const TPieceAnswer next = ParsePieceAnswer("NEXT 3\r\n", 6);
    EXPECT_EQ(next.kind, TPieceAnswer::paNext);
    EXPECT_EQ(next.next, 3);
    EXPECT_EQ(ParsePieceAnswer("NEXT 6", 6).next, 6);
    EXPECT_EQ(ParsePieceAnswer("SHOP-STOP\r\n", 6).kind, TPieceAnswer::paShopStop);
    // A piece the file does not have, or no number, is no answer to go by.
    for (const char *bad : { "NEXT 0", "NEXT 7", "NEXT -1", "NEXT 3x", "NEXT", "NEXT 99999999999",
             "OK 2", "ok", "", "NG-FILE" })
        EXPECT_EQ(ParsePieceAnswer(bad, 6).kind, TPieceAnswer::paOther) << bad;
    EXPECT_EQ(ParsePieceAnswer("NG-FILE\r\n", 6).text, QStringLiteral("NG-FILE"));
    EXPECT_EQ(ParsePieceAnswer(QByteArray(100000, 'x'), 6).text.size(), 200);
}

} // namespace korvatel

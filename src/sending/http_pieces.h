#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace korvatel
{

// HTTP mode sends a file larger than a piece to the upload script in pieces. Each piece is a
// post of its own with the fields "dir" and "file" of a whole file plus "part" (1-based),
// "parts", "size" (of the whole file) and "sha256" (of the whole file, lower-case hex). The
// script keeps the pieces and joins them once all are in; the joined file must have that size
// and checksum before it takes the file's place.
constexpr qint64 kHttpPieceSize = 4 * 1024 * 1024;
// More pieces than this are never asked for (a 16 GiB file).
constexpr int kMaxHttpPieces = 4096;

// The number of pieces of a file of size bytes: at least one.
int PieceCount(qint64 size, qint64 pieceSize = kHttpPieceSize);

// The SHA-256 of a file as lower-case hex, read in chunks; nullopt when it cannot be read.
std::optional<QByteArray> FileSha256(const QString &path);

// Copies piece part (1-based) of file into pieceFile (the owner's alone). False when the file
// cannot be read whole at that place or the piece cannot be written.
bool WritePiece(const QString &file, int part, qint64 pieceSize, const QString &pieceFile);

// What the upload script answered to a piece.
struct TPieceAnswer {
    enum TKind {
        paComplete, // "OK": every piece is in and the joined file passed its checks
        paNext, // "NEXT n": the piece stored or not, the script still lacks piece n
        paShopStop, // "SHOP-STOP"
        paOther, // anything else: "NG-FILE" (the join failed; all pieces are gone), errors
    };
    TKind kind = paOther;
    int next = 0; // paNext: 1 .. parts
    QString text; // the answer, trimmed and cut to 200 characters, for the window
};
// Reads an answer of the upload script to a piece of a file of parts pieces. A "NEXT" whose
// number is not a piece of the file is paOther.
TPieceAnswer ParsePieceAnswer(const QByteArray &answer, int parts);

// The window's text when a piece cannot be made.
QString SplitFailedMessage();

} // namespace korvatel

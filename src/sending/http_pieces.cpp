#include "sending/http_pieces.h"

#include "text/sjis_file.h"

#include <QCryptographicHash>
#include <QFile>

namespace korvatel
{

int PieceCount(qint64 size, qint64 pieceSize)
{
    if (size <= 0 || pieceSize <= 0)
        return 1;
    return int(std::min<qint64>((size + pieceSize - 1) / pieceSize, kMaxHttpPieces + 1));
}

std::optional<QByteArray> FileSha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file) || !file.atEnd())
        return std::nullopt;
    return hash.result().toHex();
}

bool WritePiece(const QString &file, int part, qint64 pieceSize, const QString &pieceFile)
{
    QFile source(file);
    if (part < 1 || pieceSize <= 0 || !source.open(QIODevice::ReadOnly))
        return false;
    const qint64 offset = (part - 1) * pieceSize;
    const qint64 length = std::min(pieceSize, source.size() - offset);
    if (length < 0 || (length == 0 && source.size() > 0) || !source.seek(offset))
        return false;
    const QByteArray bytes = source.read(length);
    if (bytes.size() != length)
        return false;
    // A piece of a customer's photo: the owner's alone, like the photo's local copy.
    return WriteFileAtomic(pieceFile, bytes, TFileAccess::faPrivate);
}

TPieceAnswer ParsePieceAnswer(const QByteArray &answer, int parts)
{
    TPieceAnswer result;
    const QString text = QString::fromLatin1(answer.left(4096)).trimmed();
    result.text = text.left(200);
    if (text == QLatin1String("OK")) {
        result.kind = TPieceAnswer::paComplete;
    } else if (text.startsWith(QLatin1String("SHOP-STOP"))) {
        result.kind = TPieceAnswer::paShopStop;
    } else if (text.startsWith(QLatin1String("NEXT "))) {
        bool number = false;
        const int next = text.mid(5).toInt(&number);
        if (number && next >= 1 && next <= parts) {
            result.kind = TPieceAnswer::paNext;
            result.next = next;
        }
    }
    return result;
}

QString SplitFailedMessage()
{
    return QStringLiteral("ﾌｧｲﾙ分割に失敗しました。HDD容量やﾒﾓﾘ容量をご確認下さい。");
}

} // namespace korvatel

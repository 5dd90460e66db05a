#include "imaging/exif.h"

#include "imaging/byte_reader.h"
#include "imaging/jpeg_codec.h"
#include "imaging/resample.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>

namespace korvatel
{

namespace
{

constexpr uint16_t kExifPointer = 34665;
constexpr uint16_t kGpsPointer = 34853;
constexpr uint16_t kInteropPointer = 40965;
constexpr qint64 kMaxExifFileSize = qint64(1) << 30;
// An APP1 segment holds at most 64 KiB, and the frame header follows the Exif block closely in
// a camera's file; some files put larger segments before the frame.
constexpr qint64 kExifShortHead = qint64(96) << 10;
constexpr qint64 kExifHeadSize = qint64(1) << 20;
constexpr qint64 kMaxValueBytes = qint64(16) << 20;

int TypeSize(uint16_t type)
{
    switch (type) {
    case 1: // BYTE
    case 2: // ASCII
    case 6: // SBYTE
    case 7: // UNDEFINED
        return 1;
    case 3: // SHORT
    case 8: // SSHORT
        return 2;
    case 4: // LONG
    case 9: // SLONG
    case 11: // FLOAT
        return 4;
    case 5: // RATIONAL
    case 10: // SRATIONAL
    case 12: // DOUBLE
        return 8;
    default:
        return 0;
    }
}

bool IsStartOfFrame(uint16_t marker)
{
    return (marker >= 0xFFC0 && marker <= 0xFFC3) || (marker >= 0xFFC5 && marker <= 0xFFC7)
        || (marker >= 0xFFC9 && marker <= 0xFFCB) || (marker >= 0xFFCD && marker <= 0xFFCF);
}

} // namespace

QString ExifErrorMessage(int code)
{
    switch (code) {
    case -1:
        return QStringLiteral("ファイルが見つかりません");
    case -2:
        return QStringLiteral("Exif、またはDCF形式ではありません");
    case -3:
        return QStringLiteral("ユーザコメントは不明な形式です");
    case -4:
        return QStringLiteral("ASCII文字以外は書き込みできません");
    case -5:
        return QStringLiteral("不正なストリーム");
    case -6:
        return QStringLiteral("不正なインデックス");
    case -7:
        return QStringLiteral("タグが見つかりません");
    case -8:
        return QStringLiteral("日時は不明です");
    default:
        return QStringLiteral("不明なエラーです");
    }
}

QString TExifRational::Text() const
{
    const bool negative = (numerator < 0) != (denominator < 0);
    return QStringLiteral("%1%2/%3")
        .arg(negative ? QStringLiteral("-") : QString())
        .arg(std::llabs(qint64(numerator)))
        .arg(std::llabs(qint64(denominator)));
}

const TEntryItem *TEntryItems::Find(uint16_t tag, int group) const
{
    for (const TEntryItem &item : FItems) {
        if (item.tag == tag && item.group == group)
            return &item;
    }
    return nullptr;
}

qint64 FindApp1(const QByteArray &data, int searchBytes)
{
    const auto *p = reinterpret_cast<const uint8_t *>(data.constData());
    const qint64 size = data.size();
    if (size < 2 || p[0] != 0xFF || p[1] != 0xD8)
        return -1;
    // Every byte within searchBytes after the start-of-image marker may be the 0xFF of APP1;
    // a run of 0xFF is looked at byte by byte.
    for (qint64 pos = 2; pos < 2 + qint64(searchBytes) && pos + 1 < size; ++pos) {
        if (p[pos] == 0xFF && p[pos + 1] == 0xE1)
            return pos;
    }
    return -1;
}

QByteArray ExifJpegHead(const QByteArray &tiff)
{
    QByteArray head("\xFF\xD8\xFF\xE1", 4);
    // The reader goes by the TIFF header's offsets, not by the segment's length, so a block
    // beyond the segment's 64 KiB still reads whole.
    const int length = int(std::min<qsizetype>(tiff.size() + 8, 0xFFFF));
    head.append(char(length >> 8)).append(char(length & 0xFF));
    head.append("Exif\0\0", 6);
    return head + tiff;
}

QSize JpegFrameSize(const QByteArray &data)
{
    try {
        TByteReader in(data);
        if (in.BE16() != 0xFFD8)
            return { 0, 0 };
        for (;;) {
            const uint16_t marker = in.BE16();
            const uint16_t length = in.BE16();
            if (IsStartOfFrame(marker)) {
                in.Skip(1);
                const int height = in.BE16();
                const int width = in.BE16();
                return { width, height };
            }
            // A length below 2 would step back and walk the same bytes for ever.
            if (length < 2)
                return { 0, 0 };
            in.Skip(length - 2);
        }
    } catch (const EPictureError &) {
        return { 0, 0 };
    }
}

QDateTime ExifDateToDateTime(const QString &text)
{
    if (text.isEmpty() || text == QLatin1String("0000:00:00 00:00:00")
        || !text.contains(QLatin1Char(':')))
        return {};
    auto field = [&](int from, int count) {
        bool ok = false;
        const int value = text.mid(from - 1, count).trimmed().toInt(&ok);
        return ok ? value : 65535;
    };
    const QDate date(field(1, 4), field(6, 2), field(9, 2));
    const int hour = field(12, 2);
    const int minute = field(15, 2);
    const int second = field(18, 2);
    if (!date.isValid() || !QTime::isValid(hour, minute, second, 0))
        return {};
    return QDateTime(date, QTime(hour, minute, second));
}

uint16_t TExifInfo::Read16(const uint8_t *p) const
{
    return FBigEndian ? uint16_t((p[0] << 8) | p[1]) : uint16_t(p[0] | (p[1] << 8));
}

uint32_t TExifInfo::Read32(const uint8_t *p) const
{
    return FBigEndian
        ? (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3])
        : uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void TExifInfo::Error(int code)
{
    FErrorCode = code;
    bool raise = ErrMess;
    if (OnError)
        OnError(*this, code, raise);
    if (raise)
        throw EExifError(code, QStringLiteral("TExifInfo: ") + ExifErrorMessage(code));
}

void TExifInfo::SetImageFileName(const QString &fileName)
{
    if (fileName.isEmpty())
        return;
    FFileName = fileName;
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly)
        || file.size() > kMaxExifFileSize) {
        FData.clear();
        FDataComplete = true;
        FMain.Clear();
        FThumb.Clear();
        FFrameWidth = FFrameHeight = 0;
        FApp1Pos = -1;
        Error(-1);
        return;
    }
    // The Exif block and the frame header sit near the start of a camera file: a short head is
    // read first, then a longer one, and the whole file only when neither is enough. The short
    // head counts only when it reads without any error, so that the result is the one the
    // longer head gives; a head that reads so is taken as it was read.
    QByteArray data = file.read(kExifShortHead);
    bool complete = file.atEnd();
    TExifInfo probe;
    probe.FSearchBytes = FSearchBytes;
    if (!complete) {
        probe.LoadFromData(data);
        if (probe.FErrorCode != 0 || probe.FFrameWidth == 0) {
            data += file.read(kExifHeadSize - data.size());
            complete = file.atEnd();
            if (!complete) {
                probe.LoadFromData(data);
                if (probe.FErrorCode == -5 || probe.FFrameWidth == 0) {
                    data += file.readAll();
                    complete = true;
                }
            }
        }
    }
    if (!complete && probe.FErrorCode == 0) {
        probe.FFileName = FFileName;
        *this = std::move(probe);
    } else {
        LoadFromData(data);
    }
    FDataComplete = complete;
}

QByteArray TExifInfo::WholeFile() const
{
    if (FDataComplete || FFileName.isEmpty())
        return FData;
    return ReadWholeFile(FFileName, kMaxExifFileSize).value_or(FData);
}

void TExifInfo::LoadFromData(const QByteArray &data)
{
    FData = data;
    FDataComplete = true;
    FMain.Clear();
    FThumb.Clear();
    FErrorCode = 0;
    FBigEndian = false;
    FTiffPos = 0;
    const QSize frame = JpegFrameSize(FData);
    FFrameWidth = frame.width();
    FFrameHeight = frame.height();
    FApp1Pos = FindApp1(FData, FSearchBytes);
    if (FApp1Pos < 0) {
        Error(-2);
        return;
    }
    try {
        Parse(FData);
    } catch (const std::exception &) {
        FMain.Clear();
        FThumb.Clear();
        Error(-5);
    }
}

bool TExifInfo::IsExifFile(const QString &fileName) const
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return FindApp1(file.read(2 + qint64(FSearchBytes) + 1), FSearchBytes) >= 0;
}

void TExifInfo::Parse(const QByteArray &data)
{
    TByteReader in(data);
    // The marker, the segment length and "Exif" with its two zero bytes come before the TIFF
    // header.
    in.Seek(FApp1Pos + 10);
    FTiffPos = in.Position();
    const uint8_t *order = in.Bytes(2);
    FBigEndian = order[0] == 'M' && order[1] == 'M';
    in.Skip(2); // the TIFF magic number, not checked
    const uint32_t ifd0 = Read32(in.Bytes(4));

    // Values are copied out of the file; entries may all point at the same bytes, so the total is
    // capped (an APP1 segment holds at most 64 KiB, a sound file has far less than this).
    qint64 copied = 0;
    // Reads one IFD into the chain and gives the offset of the next IFD.
    auto readIfd = [&](uint32_t offset, TEntryItems &chain, int group) -> uint32_t {
        in.Seek(FTiffPos + qint64(offset));
        const int count = Read16(in.Bytes(2));
        for (int i = 0; i < count; ++i) {
            TEntryItem item;
            item.tag = Read16(in.Bytes(2));
            item.type = Read16(in.Bytes(2));
            item.count = Read32(in.Bytes(4));
            item.group = group;
            const qint64 size = qint64(item.count) * TypeSize(item.type);
            if (size > 4) {
                item.valueOffset = Read32(in.Bytes(4));
                const qint64 back = in.Position();
                in.Seek(FTiffPos + qint64(item.valueOffset));
                copied += size;
                if (copied > kMaxValueBytes)
                    throw EPictureError(QStringLiteral("Stream read error"));
                item.data = QByteArray(reinterpret_cast<const char *>(in.Bytes(size)), size);
                in.Seek(back);
            } else {
                const uint8_t *field = in.Bytes(4);
                item.data = QByteArray(reinterpret_cast<const char *>(field), size);
            }
            chain.Add(std::move(item));
        }
        return Read32(in.Bytes(4));
    };
    auto pointer
        = [&](const TEntryItems &chain, uint16_t tag, int group) -> std::optional<uint32_t> {
        const TEntryItem *item = chain.Find(tag, group);
        if (!item || item->data.size() < 2)
            return std::nullopt;
        const auto *p = reinterpret_cast<const uint8_t *>(item->data.constData());
        return item->data.size() >= 4 ? Read32(p) : Read16(p);
    };

    const uint32_t ifd1 = readIfd(ifd0, FMain, 0);
    if (const auto exif = pointer(FMain, kExifPointer, 0))
        readIfd(*exif, FMain, 1);
    if (const auto gps = pointer(FMain, kGpsPointer, 0))
        readIfd(*gps, FMain, 2);
    if (const auto interop = pointer(FMain, kInteropPointer, 1))
        readIfd(*interop, FMain, 3);
    if (ifd1 != 0) {
        readIfd(ifd1, FThumb, 0);
        if (const auto exif = pointer(FThumb, kExifPointer, 0))
            readIfd(*exif, FThumb, 1);
        if (const auto interop = pointer(FThumb, kInteropPointer, 1))
            readIfd(*interop, FThumb, 3);
    }
}

int TExifInfo::SizeTag(uint16_t tag, int frameSize)
{
    const TEntryItem *item = FMain.Find(tag, 0);
    if (!item)
        return frameSize;
    const auto *p = reinterpret_cast<const uint8_t *>(item->data.constData());
    if (item->type == 3 && item->data.size() >= 2)
        return Read16(p);
    if (item->type == 4 && item->data.size() >= 4)
        return int(std::min<uint32_t>(Read32(p), INT32_MAX));
    Error(-5);
    return 0;
}

int TExifInfo::Width()
{
    return SizeTag(256, FFrameWidth);
}

int TExifInfo::Height()
{
    return SizeTag(257, FFrameHeight);
}

const TEntryItem *TExifInfo::FindTag(uint16_t tag) const
{
    for (int group = 0; group < 4; ++group) {
        if (const TEntryItem *item = FMain.Find(tag, group))
            return item;
    }
    return nullptr;
}

const TEntryItem *TExifInfo::FindThumbnailTag(uint16_t tag) const
{
    for (int group = 0; group < 4; ++group) {
        if (const TEntryItem *item = FThumb.Find(tag, group))
            return item;
    }
    return nullptr;
}

QString TExifInfo::TagText(uint16_t tag) const
{
    const TEntryItem *item = FindTag(tag);
    if (!item)
        return {};
    if (item->type == 2) {
        QByteArray text = item->data;
        const qsizetype nul = text.indexOf('\0');
        if (nul >= 0)
            text.truncate(nul);
        return FromCp932(text);
    }
    if (const std::optional<TExifRational> rational = TagRational(tag))
        return rational->Text();
    if (const std::optional<qint64> number = TagNumber(tag))
        return QString::number(*number);
    return QString::fromLatin1(item->data);
}

std::optional<qint64> TExifInfo::TagNumber(uint16_t tag) const
{
    const TEntryItem *item = FindTag(tag);
    if (!item || item->data.size() < TypeSize(item->type) || TypeSize(item->type) == 0)
        return std::nullopt;
    const auto *p = reinterpret_cast<const uint8_t *>(item->data.constData());
    switch (item->type) {
    case 1:
    case 7:
        return p[0];
    case 6:
        return int8_t(p[0]);
    case 3:
        return Read16(p);
    case 8:
        return int16_t(Read16(p));
    case 4:
        return Read32(p);
    case 9:
        return int32_t(Read32(p));
    default:
        return std::nullopt;
    }
}

std::optional<TExifRational> TExifInfo::TagRational(uint16_t tag) const
{
    const TEntryItem *item = FindTag(tag);
    if (!item || (item->type != 5 && item->type != 10) || item->data.size() < 8)
        return std::nullopt;
    const auto *p = reinterpret_cast<const uint8_t *>(item->data.constData());
    TExifRational r;
    if (item->type == 10) {
        r.numerator = int32_t(Read32(p));
        r.denominator = int32_t(Read32(p + 4));
    } else {
        // Unsigned values above the signed range are kept within it.
        r.numerator = int32_t(std::min<uint32_t>(Read32(p), INT32_MAX));
        r.denominator = int32_t(std::min<uint32_t>(Read32(p + 4), INT32_MAX));
    }
    return r;
}

QString TExifInfo::DateTimeOriginalText() const
{
    const TEntryItem *item = FMain.Find(36867, 1);
    if (!item)
        return QStringLiteral("0000:00:00 00:00:00");
    QByteArray text = item->data;
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    return QString::fromLatin1(text);
}

QDateTime TExifInfo::DateTimeOriginal() const
{
    return ExifDateToDateTime(DateTimeOriginalText());
}

QString TExifInfo::UserComment() const
{
    const TEntryItem *item = FindTag(37510);
    if (!item || item->data.size() < 8)
        return {};
    const QByteArray code = item->data.left(8);
    QByteArray body = item->data.mid(8);
    if (code.startsWith("UNICODE")) {
        QStringDecoder decoder(FBigEndian ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
        QString text = decoder(body);
        const qsizetype nul = text.indexOf(QChar(0));
        return nul >= 0 ? text.left(nul) : text;
    }
    const qsizetype nul = body.indexOf('\0');
    if (nul >= 0)
        body.truncate(nul);
    // Japanese cameras write their JIS comments in Shift-JIS.
    if (code.startsWith("JIS"))
        return FromCp932(body);
    return QString::fromLatin1(body);
}

std::optional<std::pair<qint64, qint64>> TExifInfo::ThumbnailPlace() const
{
    const TEntryItem *compression = FThumb.Find(259, 0);
    const TEntryItem *offset = FThumb.Find(513, 0);
    if (!compression || !offset || compression->data.size() < 2 || offset->data.size() < 2)
        return std::nullopt;
    const auto *c = reinterpret_cast<const uint8_t *>(compression->data.constData());
    const auto *o = reinterpret_cast<const uint8_t *>(offset->data.constData());
    if (Read16(c) != 6)
        return std::nullopt;
    const qint64 start = offset->data.size() >= 4 ? Read32(o) : Read16(o);
    if (start == 0)
        return std::nullopt;
    qint64 length = 0;
    if (const TEntryItem *len = FThumb.Find(514, 0); len && len->data.size() >= 2) {
        const auto *l = reinterpret_cast<const uint8_t *>(len->data.constData());
        length = len->data.size() >= 4 ? Read32(l) : Read16(l);
    }
    return std::make_pair(FTiffPos + start, length);
}

bool TExifInfo::ThumbnailToJpeg(TJpegImage &target, bool makeIfMissing, const QByteArray *stream)
{
    QByteArray data = stream ? *stream : FData;
    try {
        const auto place = ThumbnailPlace();
        const bool beyondHead = place
            ? place->first + std::max<qint64>(place->second, 2) > data.size()
            : makeIfMissing;
        if (!stream && !FDataComplete && beyondHead)
            data = WholeFile();
        if (place) {
            if (place->first >= data.size())
                return false;
            // The stored length bounds the thumbnail when it is sane; otherwise the decoder
            // reads up to its end-of-image marker.
            qint64 length = data.size() - place->first;
            if (place->second > 0 && place->second < length)
                length = place->second;
            target.LoadFromData(data.mid(place->first, length));
            return true;
        }
        if (!makeIfMissing)
            return false;
        const TBitmap picture = DecodeJpeg(data);
        const double scale = std::min({ 160.0 / picture.Width(), 120.0 / picture.Height(), 1.0 });
        const TBitmap small = StretchDraw(picture, int(std::trunc(picture.Width() * scale)),
            int(std::trunc(picture.Height() * scale)));
        target.Assign(small);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool TExifInfo::ThumbnailToBitmap(TBitmap &target, bool makeIfMissing, const QByteArray *stream)
{
    TJpegImage jpeg;
    if (!ThumbnailToJpeg(jpeg, makeIfMissing, stream))
        return false;
    try {
        target = jpeg.ToBitmap();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace korvatel

#pragma once

#include "imaging/bitmap.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace korvatel
{

class TJpegImage;

// An Exif error raised by TExifInfo: "TExifInfo: " and the message of its code.
class EExifError : public std::runtime_error
{
public:
    EExifError(int code, const QString &message)
        : std::runtime_error(message.toStdString())
        , FCode(code)
        , FMessage(message)
    {
    }
    int Code() const { return FCode; }
    const QString &Message() const { return FMessage; }

private:
    int FCode;
    QString FMessage;
};

// The message of an Exif error code (−1 file missing ... −8 date unknown).
QString ExifErrorMessage(int code);

// A signed rational; its text is "%d/%d" of the absolute values, with "-" in front when
// exactly one of the two is negative.
struct TExifRational {
    int32_t numerator = 0;
    int32_t denominator = 0;
    QString Text() const;
};

// One IFD entry as read. Its values are kept as the raw bytes in the file's byte order.
struct TEntryItem {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    uint32_t valueOffset = 0; // 0 when the value was inline
    int group = 0; // 0 IFD0/IFD1, 1 Exif IFD, 2 GPS IFD, 3 interoperability IFD
    QByteArray data;
};

class TEntryItems
{
public:
    void Clear() { FItems.clear(); }
    void Add(TEntryItem item) { FItems.push_back(std::move(item)); }
    int Count() const { return int(FItems.size()); }
    const TEntryItem &Item(int i) const { return FItems[std::size_t(i)]; }
    // The first entry with the tag in the group; nullptr when there is none.
    const TEntryItem *Find(uint16_t tag, int group) const;

private:
    std::vector<TEntryItem> FItems;
};

// Reads the Exif block of a JPEG file: IFD0 with its Exif, GPS and interoperability IFDs (the
// main chain), IFD1 with its sub-IFDs (the thumbnail chain), the frame size from the
// start-of-frame marker, the date taken and the embedded thumbnail. It never writes files.
class TExifInfo
{
public:
    TExifInfo() = default;

    // Setting the name reads the file: an empty name does nothing; otherwise both chains are
    // cleared and read again. Errors: file missing −1 (frame size 0 × 0), no APP1 −2, parse
    // failure −5, reported through the error routine (OnError, then EExifError when the raise
    // flag stays set).
    void SetImageFileName(const QString &fileName);
    const QString &ImageFileName() const { return FFileName; }
    // The same on bytes already read (the file name stays as it was).
    void LoadFromData(const QByteArray &data);

    // True when an APP1 marker is found within SearchBytes after the start of image.
    bool IsExifFile(const QString &fileName) const;

    int SearchBytes() const { return FSearchBytes; }
    void SetSearchBytes(int bytes) { FSearchBytes = bytes < 0 ? 0 : bytes; }
    // The raise flag's starting value: when set, errors raise EExifError.
    bool ErrMess = false;
    // Called first with the error code; may clear the raise flag.
    std::function<void(TExifInfo &sender, int code, bool &raise)> OnError;
    // The code of the last error of a read, 0 when it went well.
    int ErrorCode() const { return FErrorCode; }

    bool BigEndian() const { return FBigEndian; }
    qint64 TiffHeaderPosition() const { return FTiffPos; }
    qint64 App1Position() const { return FApp1Pos; }
    int FrameWidth() const { return FFrameWidth; }
    int FrameHeight() const { return FFrameHeight; }
    const TEntryItems &MainChain() const { return FMain; }
    const TEntryItems &ThumbnailChain() const { return FThumb; }

    // Tag 256/257 of IFD0 when present (SHORT or LONG; another type reports −5 and gives 0),
    // otherwise the frame size.
    int Width();
    int Height();

    // DateTimeOriginal as stored, or "0000:00:00 00:00:00" when it is missing.
    QString DateTimeOriginalText() const;
    // The date taken; an invalid QDateTime (the date-time value 0) when missing or impossible.
    QDateTime DateTimeOriginal() const;

    // The embedded JPEG thumbnail into target (IFD1 compression 6 with a non-zero offset).
    // Without one and with makeIfMissing, a thumbnail of at most 160 × 120 is made from the
    // main picture. stream, when given, is the file's bytes. False when there is none.
    bool ThumbnailToJpeg(
        TJpegImage &target, bool makeIfMissing, const QByteArray *stream = nullptr);
    bool ThumbnailToBitmap(TBitmap &target, bool makeIfMissing, const QByteArray *stream = nullptr);
    // Where the thumbnail JPEG lies in the file (TIFF header + offset) and its stored length
    // (tag 514, 0 when absent); nullopt when there is no JPEG thumbnail.
    std::optional<std::pair<qint64, qint64>> ThumbnailPlace() const;

    // Tag values of the main chain (first the IFD0 group, then the sub-IFDs).
    const TEntryItem *FindTag(uint16_t tag) const;
    QString TagText(uint16_t tag) const;
    // The first value of a numeric tag; nullopt when missing or not a number.
    std::optional<qint64> TagNumber(uint16_t tag) const;
    std::optional<TExifRational> TagRational(uint16_t tag) const;
    const TEntryItem *FindThumbnailTag(uint16_t tag) const;

    QString ImageDescription() const { return TagText(270); }
    QString Make() const { return TagText(271); }
    QString Model() const { return TagText(272); }
    QString Software() const { return TagText(305); }
    QString DateTime() const { return TagText(306); }
    QString Copyright() const { return TagText(33432); }
    QString DateTimeDigitized() const { return TagText(36868); }
    std::optional<TExifRational> ExposureTime() const { return TagRational(33434); }
    std::optional<TExifRational> FNumber() const { return TagRational(33437); }
    std::optional<qint64> ISOSpeedRatings() const { return TagNumber(34855); }
    std::optional<TExifRational> FocalLength() const { return TagRational(37386); }
    std::optional<qint64> Flash() const { return TagNumber(37385); }
    // Tag 37510: the first 8 bytes name the code; ASCII, JIS and UNICODE comments are read
    // from byte 8 in their code, anything else as ASCII.
    QString UserComment() const;

private:
    void Error(int code);
    // ImageWidth or ImageLength of IFD0, or the frame's size when the tag is missing.
    int SizeTag(uint16_t tag, int frameSize);
    void Parse(const QByteArray &data);
    uint16_t Read16(const uint8_t *p) const;
    uint32_t Read32(const uint8_t *p) const;

    QString FFileName;
    QByteArray WholeFile() const;

    QByteArray FData; // the file, or its head when FDataComplete is false
    bool FDataComplete = true;
    TEntryItems FMain;
    TEntryItems FThumb;
    bool FBigEndian = false;
    qint64 FTiffPos = 0;
    qint64 FApp1Pos = -1;
    int FFrameWidth = 0;
    int FFrameHeight = 0;
    int FSearchBytes = 64;
    int FErrorCode = 0;
};

// The Exif date text "YYYY:MM:DD hh:mm:ss" as a date-time; invalid for an empty text,
// "0000:00:00 00:00:00", a text without ":" and an impossible date or time.
QDateTime ExifDateToDateTime(const QString &text);

// Where the APP1 marker lies (the position of its 0xFF) when it starts within searchBytes bytes
// after the start-of-image marker; -1 otherwise.
qint64 FindApp1(const QByteArray &data, int searchBytes);

// The head of a JPEG file holding the Exif block (a TIFF structure, as HEIF and WebP files keep
// it) in its APP1 segment: what LoadFromData reads, for Exif blocks that come from other files.
QByteArray ExifJpegHead(const QByteArray &tiff);

// Width and height from the first start-of-frame marker; 0 × 0 when there is none.
QSize JpegFrameSize(const QByteArray &data);

} // namespace korvatel

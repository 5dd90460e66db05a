#pragma once

#include "imaging/bitmap.h"

#include <QByteArray>
#include <cstdint>

namespace korvatel
{

// Reads numbers from a byte buffer with every read checked against its end: reading past it
// throws EPictureError("Stream read error"), the text the system's streams give.
class TByteReader
{
public:
    explicit TByteReader(const QByteArray &data)
        : FData(reinterpret_cast<const uint8_t *>(data.constData()))
        , FSize(data.size())
    {
    }
    TByteReader(const uint8_t *data, qint64 size)
        : FData(data)
        , FSize(size)
    {
    }

    qint64 Size() const { return FSize; }
    qint64 Position() const { return FPos; }
    qint64 Remaining() const { return FSize - FPos; }
    bool AtEnd() const { return FPos >= FSize; }
    // Moves to pos; a position outside 0..Size throws.
    void Seek(qint64 pos)
    {
        if (pos < 0 || pos > FSize)
            Fail();
        FPos = pos;
    }
    void Skip(qint64 count) { Seek(FPos + count); }

    uint8_t U8()
    {
        Need(1);
        return FData[FPos++];
    }
    uint16_t LE16()
    {
        Need(2);
        const uint16_t v = uint16_t(FData[FPos] | (FData[FPos + 1] << 8));
        FPos += 2;
        return v;
    }
    uint32_t LE32()
    {
        Need(4);
        const uint32_t v = uint32_t(FData[FPos]) | (uint32_t(FData[FPos + 1]) << 8)
            | (uint32_t(FData[FPos + 2]) << 16) | (uint32_t(FData[FPos + 3]) << 24);
        FPos += 4;
        return v;
    }
    uint16_t BE16()
    {
        Need(2);
        const uint16_t v = uint16_t((FData[FPos] << 8) | FData[FPos + 1]);
        FPos += 2;
        return v;
    }
    uint32_t BE32()
    {
        Need(4);
        const uint32_t v = (uint32_t(FData[FPos]) << 24) | (uint32_t(FData[FPos + 1]) << 16)
            | (uint32_t(FData[FPos + 2]) << 8) | uint32_t(FData[FPos + 3]);
        FPos += 4;
        return v;
    }
    // count bytes from the current position, which then moves past them.
    const uint8_t *Bytes(qint64 count)
    {
        Need(count);
        const uint8_t *p = FData + FPos;
        FPos += count;
        return p;
    }

private:
    void Need(qint64 count) const
    {
        if (count < 0 || count > FSize - FPos)
            Fail();
    }
    [[noreturn]] static void Fail() { throw EPictureError(QStringLiteral("Stream read error")); }

    const uint8_t *FData;
    qint64 FSize;
    qint64 FPos = 0;
};

} // namespace korvatel

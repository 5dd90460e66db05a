#include "text/cp932.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace korvatel
{

namespace
{

// One iconv descriptor per direction and thread, opened on first use. glibc's "CP932" is
// Microsoft's mapping; QString holds UTF-16 in host order, which is little-endian here.
class TConverter
{
public:
    TConverter(const char *to, const char *from)
        : FHandle(iconv_open(to, from))
    {
    }
    ~TConverter()
    {
        if (Valid())
            iconv_close(FHandle);
    }
    TConverter(const TConverter &) = delete;
    TConverter &operator=(const TConverter &) = delete;

    bool Valid() const { return FHandle != reinterpret_cast<iconv_t>(-1); }

    // Converts from in into the output buffer, advancing both. Stops at the end of the input
    // or at the first sequence that does not convert; returns errno then, else 0. The caller
    // sizes the output for the worst case, so it never runs short.
    int Convert(const char *&in, size_t &inLeft, char *&out, size_t &outLeft)
    {
        iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
        char *inPtr = const_cast<char *>(in);
        const size_t rc = iconv(FHandle, &inPtr, &inLeft, &out, &outLeft);
        const int error = rc == static_cast<size_t>(-1) ? errno : 0;
        in = inPtr;
        return error;
    }

private:
    iconv_t FHandle;
};

TConverter &Encoder()
{
    thread_local TConverter converter("CP932", "UTF-16LE");
    return converter;
}

TConverter &Decoder()
{
    thread_local TConverter converter("UTF-16LE", "CP932");
    return converter;
}

bool IsHighSurrogateAt(const QString &text, qsizetype i)
{
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
}

} // namespace

QByteArray ToCp932(const QString &text, int *unconverted)
{
    int bad = 0;
    // A UTF-16 unit takes at most two bytes; a pair that does not convert takes one.
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char *outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    const char *in = reinterpret_cast<const char *>(text.utf16());
    size_t inLeft = static_cast<size_t>(text.size()) * 2;
    TConverter &encoder = Encoder();
    while (inLeft > 0 && outLeft > 0) {
        if (encoder.Valid() && encoder.Convert(in, inLeft, outPtr, outLeft) == 0)
            break;
        // Write the one character that has no CP932 form as '?' (a whole surrogate pair
        // counts as one character).
        const qsizetype unit = static_cast<qsizetype>(text.size() - qsizetype(inLeft / 2));
        const char16_t u = text.at(unit).unicode();
        const bool ascii = !encoder.Valid() && u < 0x80;
        *outPtr++ = ascii ? char(u) : '?';
        --outLeft;
        bad += !ascii;
        const size_t step = IsHighSurrogateAt(text, unit) ? 4 : 2;
        in += step;
        inLeft -= step;
    }
    out.truncate(outPtr - out.data());
    if (unconverted)
        *unconverted = bad;
    return out;
}

QString FromCp932(const QByteArray &bytes, int *unconverted)
{
    int bad = 0;
    // Every character, and every byte that does not convert, gives one UTF-16 unit.
    QString out(bytes.size(), Qt::Uninitialized);
    char *outPtr = reinterpret_cast<char *>(out.data());
    size_t outLeft = static_cast<size_t>(out.size()) * 2;
    const char *in = bytes.constData();
    size_t inLeft = static_cast<size_t>(bytes.size());
    TConverter &decoder = Decoder();
    while (inLeft > 0 && outLeft > 0) {
        if (decoder.Valid() && decoder.Convert(in, inLeft, outPtr, outLeft) == 0)
            break;
        // An invalid byte, or a lead byte cut off at the end: one replacement character each.
        const unsigned char b = static_cast<unsigned char>(*in);
        const char16_t u = !decoder.Valid() && b < 0x80 ? char16_t(b) : u'\uFFFD';
        std::memcpy(outPtr, &u, 2);
        outPtr += 2;
        outLeft -= 2;
        bad += u == u'\uFFFD';
        ++in;
        --inLeft;
    }
    out.truncate((outPtr - reinterpret_cast<char *>(out.data())) / 2);
    if (unconverted)
        *unconverted = bad;
    return out;
}

int Cp932Width(const QString &text)
{
    // Plain ASCII and half-width katakana take one byte each; only the rest needs the codec.
    bool simple = true;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 && !(u >= 0xFF61 && u <= 0xFF9F)) {
            simple = false;
            break;
        }
    }
    if (simple)
        return static_cast<int>(text.size());
    return static_cast<int>(ToCp932(text).size());
}

QString Cp932Left(const QString &text, int maxBytes)
{
    if (maxBytes <= 0)
        return {};
    int used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype step = IsHighSurrogateAt(text, i) ? 2 : 1;
        const int width = Cp932Width(text.mid(i, step));
        if (used + width > maxBytes)
            break;
        used += width;
        i += step;
    }
    return text.left(i);
}

} // namespace korvatel

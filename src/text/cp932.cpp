#include "text/cp932.h"

#include <cerrno>
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

    // Converts as much as it can. Returns the number of input bytes consumed and appends the
    // output; stops at the first sequence that does not convert and sets *error to errno.
    size_t Convert(const char *in, size_t inLeft, QByteArray &out, int *error)
    {
        *error = 0;
        iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
        const size_t start = inLeft;
        char *inPtr = const_cast<char *>(in);
        char buffer[4096];
        while (inLeft > 0) {
            char *outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t rc = iconv(FHandle, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<qsizetype>(outPtr - buffer));
            if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
                *error = errno;
                break;
            }
        }
        return start - inLeft;
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
    QByteArray out;
    out.reserve(text.size() * 2);
    TConverter &encoder = Encoder();
    const char *in = reinterpret_cast<const char *>(text.utf16());
    const size_t total = static_cast<size_t>(text.size()) * 2;
    size_t done = 0;
    while (done < total && encoder.Valid()) {
        int error = 0;
        done += encoder.Convert(in + done, total - done, out, &error);
        if (error == 0)
            break;
        // Skip the one character that has no CP932 form (a whole surrogate pair counts as one).
        const qsizetype unit = static_cast<qsizetype>(done / 2);
        out.append('?');
        ++bad;
        done += IsHighSurrogateAt(text, unit) ? 4 : 2;
    }
    if (!encoder.Valid()) {
        for (QChar c : text) {
            out.append(c.unicode() < 0x80 ? char(c.unicode()) : '?');
            bad += c.unicode() >= 0x80;
        }
    }
    if (unconverted)
        *unconverted = bad;
    return out;
}

QString FromCp932(const QByteArray &bytes, int *unconverted)
{
    int bad = 0;
    QByteArray utf16;
    utf16.reserve(bytes.size() * 2);
    TConverter &decoder = Decoder();
    const size_t total = static_cast<size_t>(bytes.size());
    size_t done = 0;
    while (done < total && decoder.Valid()) {
        int error = 0;
        done += decoder.Convert(bytes.constData() + done, total - done, utf16, &error);
        if (error == 0)
            break;
        // An invalid byte, or a lead byte cut off at the end: one replacement character each.
        utf16.append("\xFD\xFF", 2);
        ++bad;
        done += 1;
    }
    if (!decoder.Valid()) {
        for (char c : bytes) {
            const char16_t u = static_cast<unsigned char>(c) < 0x80 ? char16_t(c) : u'\uFFFD';
            utf16.append(reinterpret_cast<const char *>(&u), 2);
            bad += u == u'\uFFFD';
        }
    }
    if (unconverted)
        *unconverted = bad;
    return QString(reinterpret_cast<const QChar *>(utf16.constData()), utf16.size() / 2);
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

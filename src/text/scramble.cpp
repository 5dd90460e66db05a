#include "text/scramble.h"

#include <QByteArray>
#include <QStringDecoder>
#include <array>
#include <cstdint>

namespace korvatel
{

namespace
{

// The character table: 64 URL-safe characters in the program's own order. Each carries six
// bits of the scrambled bytes.
constexpr char kAlphabet[] = "kumFY3t4RTavbqiwl21QyDsHECX9SOrWM7-NohKZUJVp5ABfcnG6LxgI0ed_zj8P";
static_assert(sizeof kAlphabet == 65);

// A fixed permutation of the byte values, made by a seeded shuffle when the program is built.
constexpr std::array<std::uint8_t, 256> MakeKeyTable()
{
    std::array<std::uint8_t, 256> table {};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<std::uint8_t>(i);
    std::uint32_t seed = 0x4B6F7276u;
    for (int i = 255; i > 0; --i) {
        seed = seed * 1664525u + 1013904223u;
        const int j = static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(i + 1));
        const std::uint8_t t = table[i];
        table[i] = table[j];
        table[j] = t;
    }
    return table;
}
constexpr std::array<std::uint8_t, 256> kKeyTable = MakeKeyTable();

constexpr int kCheckBytes = 3;

// 24 bits of FNV-1a over the plain bytes: a text that was not made here, or was changed,
// fails it with near certainty.
std::uint32_t CheckValue(const QByteArray &plain)
{
    std::uint32_t hash = 2166136261u;
    for (char c : plain) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 16777619u;
    }
    return hash & 0xFFFFFFu;
}

// Each byte is mixed with a key byte chosen by a running state that follows the scrambled
// bytes, so one changed byte changes everything after it.
QByteArray Mix(const QByteArray &in, bool forward)
{
    QByteArray out(in.size(), Qt::Uninitialized);
    std::uint8_t state = 0x5A;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const std::uint8_t key = kKeyTable[(state + i * 31) & 0xFF];
        const std::uint8_t byte = static_cast<std::uint8_t>(in.at(i)) ^ key;
        out[i] = static_cast<char>(byte);
        const std::uint8_t scrambled = forward ? byte : static_cast<std::uint8_t>(in.at(i));
        state = static_cast<std::uint8_t>(state + scrambled * 7 + 1);
    }
    return out;
}

int AlphabetIndex(QChar c)
{
    for (int i = 0; i < 64; ++i) {
        if (c == QLatin1Char(kAlphabet[i]))
            return i;
    }
    return -1;
}

} // namespace

QString Scramble(const QString &plain)
{
    QByteArray bytes = plain.toUtf8();
    const std::uint32_t check = CheckValue(bytes);
    for (int i = 0; i < kCheckBytes; ++i)
        bytes.append(static_cast<char>((check >> (8 * i)) & 0xFF));
    const QByteArray mixed = Mix(bytes, true);

    QString out(QStringLiteral("*"));
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : mixed) {
        bits = (bits << 8) | static_cast<std::uint8_t>(c);
        count += 8;
        while (count >= 6) {
            count -= 6;
            out += QLatin1Char(kAlphabet[(bits >> count) & 0x3F]);
        }
    }
    if (count > 0)
        out += QLatin1Char(kAlphabet[(bits << (6 - count)) & 0x3F]);
    return out;
}

std::optional<QString> Unscramble(const QString &scrambled)
{
    if (!scrambled.startsWith(u'*'))
        return std::nullopt;
    const qsizetype chars = scrambled.size() - 1;
    // Six bits a character: a remainder of one character cannot come from whole bytes.
    if (chars % 4 == 1)
        return std::nullopt;

    QByteArray mixed;
    std::uint32_t bits = 0;
    int count = 0;
    for (qsizetype i = 1; i < scrambled.size(); ++i) {
        const int index = AlphabetIndex(scrambled.at(i));
        if (index < 0)
            return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(index);
        count += 6;
        if (count >= 8) {
            count -= 8;
            mixed.append(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    // The unused low bits of the last character are always zero in a scrambled text.
    if ((bits & ((1u << count) - 1)) != 0 || mixed.size() < kCheckBytes)
        return std::nullopt;

    QByteArray bytes = Mix(mixed, false);
    std::uint32_t check = 0;
    const qsizetype tail = bytes.size() - kCheckBytes;
    for (int i = 0; i < kCheckBytes; ++i)
        check |= std::uint32_t(static_cast<std::uint8_t>(bytes.at(tail + i))) << (8 * i);
    bytes.truncate(tail);
    if (check != CheckValue(bytes))
        return std::nullopt;

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString plain = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return plain;
}

} // namespace korvatel

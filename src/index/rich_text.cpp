#include "index/rich_text.h"

#include "platform/fonts.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace korvatel
{

namespace
{

// Deeper groups than this are dropped whole: no real block nests more than a few levels, and
// the group stack must stay small for damaged input.
constexpr int kMaxGroupDepth = 200;
// A block longer than this is read only up to here.
constexpr int kMaxRichTextLength = 4 * 1024 * 1024;

enum class TDest { dText, dSkip, dFontTable, dColorTable };

struct TFontEntry {
    QString name;
    int charset = 0;
};

struct TGroupState {
    TDest dest = TDest::dText;
    TRichFormat format;
    TRichAlign align = TRichAlign::raLeft;
    int leftIndent = 0;
    int rightIndent = 0;
    int unicodeSkip = 1; // \uc: fallback characters after each \u
    int fontNumber = 0; // the font a \fN selected (or, in the font table, the one being defined)
};

// The destinations whose text is not shown.
bool IsSkippedDestination(const QString &word)
{
    static const QStringList words = { QStringLiteral("info"), QStringLiteral("stylesheet"),
        QStringLiteral("pict"), QStringLiteral("header"), QStringLiteral("headerl"),
        QStringLiteral("headerr"), QStringLiteral("headerf"), QStringLiteral("footer"),
        QStringLiteral("footerl"), QStringLiteral("footerr"), QStringLiteral("footerf"),
        QStringLiteral("footnote"), QStringLiteral("object"), QStringLiteral("listtable"),
        QStringLiteral("listoverridetable"), QStringLiteral("revtbl"), QStringLiteral("rsidtbl"),
        QStringLiteral("generator"), QStringLiteral("xe"), QStringLiteral("tc"),
        QStringLiteral("themedata"), QStringLiteral("colorschememapping"),
        QStringLiteral("latentstyles"), QStringLiteral("datastore"), QStringLiteral("fldinst") };
    return words.contains(word);
}

class TRtfReader
{
public:
    explicit TRtfReader(const QString &text)
        : FText(text.left(kMaxRichTextLength))
    {
        FStack.reserve(16);
        FStack.push_back(TGroupState {});
        FStack.back().format.fontName = TRichText::DefaultFontName();
    }

    QList<TRichLine> Read()
    {
        const int n = int(FText.size());
        while (FPos < n) {
            const QChar c = FText.at(FPos);
            if (c == QLatin1Char('{')) {
                ++FPos;
                OpenGroup();
            } else if (c == QLatin1Char('}')) {
                ++FPos;
                CloseGroup();
            } else if (c == QLatin1Char('\\')) {
                ++FPos;
                ReadControl();
            } else {
                ++FPos;
                if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
                    FGroupStart = false;
                    AddChar(c);
                }
            }
        }
        FlushBytes();
        if (!FLine.runs.isEmpty())
            EndLine();
        return FLines;
    }

private:
    TGroupState &State() { return FStack.back(); }

    bool Skipping() const { return FOverflow > 0 || FStack.back().dest == TDest::dSkip; }

    void OpenGroup()
    {
        FlushBytes();
        if (FOverflow > 0 || int(FStack.size()) >= kMaxGroupDepth) {
            ++FOverflow;
            return;
        }
        FStack.push_back(FStack.back());
        FGroupStart = true;
    }

    void CloseGroup()
    {
        FlushBytes();
        FGroupStart = false;
        if (FOverflow > 0) {
            --FOverflow;
            return;
        }
        if (FStack.size() > 1) {
            if (State().dest == TDest::dFontTable)
                CommitFont();
            FStack.pop_back();
        }
    }

    void ReadControl()
    {
        const int n = int(FText.size());
        if (FPos >= n)
            return;
        const QChar c = FText.at(FPos);
        const bool groupStart = FGroupStart;
        FGroupStart = false;
        if (!IsAsciiLetter(c)) {
            ++FPos;
            ControlSymbol(c, groupStart);
            return;
        }
        const int start = FPos;
        while (FPos < n && FPos - start < 32 && IsAsciiLetter(FText.at(FPos)))
            ++FPos;
        const QString word = FText.mid(start, FPos - start);
        bool hasParam = false;
        qint64 param = 0;
        bool negative = false;
        if (FPos < n && FText.at(FPos) == QLatin1Char('-') && FPos + 1 < n
            && FText.at(FPos + 1).isDigit() && FText.at(FPos + 1).unicode() < 128) {
            negative = true;
            ++FPos;
        }
        int digits = 0;
        while (FPos < n && FText.at(FPos).unicode() >= '0' && FText.at(FPos).unicode() <= '9') {
            if (digits < 10)
                param = param * 10 + (FText.at(FPos).unicode() - '0');
            ++digits;
            ++FPos;
            hasParam = true;
        }
        if (FPos < n && FText.at(FPos) == QLatin1Char(' '))
            ++FPos;
        param = std::min<qint64>(param, 2147483647);
        const int value = int(negative ? -param : param);
        ControlWord(word, hasParam, value);
    }

    static bool IsAsciiLetter(QChar c)
    {
        const char16_t u = c.unicode();
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
    }

    static int HexValue(QChar c)
    {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            return u - '0';
        if (u >= 'a' && u <= 'f')
            return u - 'a' + 10;
        if (u >= 'A' && u <= 'F')
            return u - 'A' + 10;
        return -1;
    }

    void ControlSymbol(QChar c, bool groupStart)
    {
        switch (c.unicode()) {
        case '\'': {
            const int hi = FPos < FText.size() ? HexValue(FText.at(FPos)) : -1;
            const int lo = FPos + 1 < FText.size() ? HexValue(FText.at(FPos + 1)) : -1;
            if (hi < 0 || lo < 0)
                return;
            FPos += 2;
            if (FSkipChars > 0) {
                --FSkipChars;
                return;
            }
            FBytes.append(char(hi * 16 + lo));
            return;
        }
        case '*':
            if (groupStart && FStack.size() > 1)
                State().dest = TDest::dSkip;
            return;
        case '~':
            AddChar(QChar(0x00A0));
            return;
        case '_':
            AddChar(QLatin1Char('-'));
            return;
        case '\r':
        case '\n':
            FlushBytes();
            if (!Skipping() && State().dest == TDest::dText)
                EndLine();
            return;
        case '-':
            return;
        default:
            AddChar(c); // \\, \{, \} and anything else stand for themselves
            return;
        }
    }

    void ControlWord(const QString &word, bool hasParam, int value)
    {
        FlushBytes();
        if (word == QLatin1String("u")) {
            if (FSkipChars > 0)
                FSkipChars = 0;
            AddChar(QChar(char16_t(value < 0 ? value + 65536 : value)));
            FSkipChars = std::max(0, State().unicodeSkip);
            return;
        }
        if (Skipping())
            return;
        if (word == QLatin1String("fonttbl")) {
            State().dest = TDest::dFontTable;
            return;
        }
        if (word == QLatin1String("colortbl")) {
            State().dest = TDest::dColorTable;
            FColor = {};
            return;
        }
        if (IsSkippedDestination(word)) {
            State().dest = TDest::dSkip;
            return;
        }
        if (State().dest == TDest::dFontTable) {
            FontTableWord(word, value);
            return;
        }
        if (State().dest == TDest::dColorTable) {
            ColorTableWord(word, value);
            return;
        }
        if (ParagraphWord(word, value) || FormatWord(word, hasParam, value))
            return;
        SymbolWord(word); // every other control word is skipped
    }

    void FontTableWord(const QString &word, int value)
    {
        if (word == QLatin1String("f")) {
            CommitFont();
            State().fontNumber = value;
            FFontName.clear();
            FFontCharset = 0;
            FFontOpen = true;
        } else if (word == QLatin1String("fcharset")) {
            FFontCharset = value;
        }
    }

    void ColorTableWord(const QString &word, int value)
    {
        const int v = std::clamp(value, 0, 255);
        if (word == QLatin1String("red"))
            FColor.setRed(v);
        else if (word == QLatin1String("green"))
            FColor.setGreen(v);
        else if (word == QLatin1String("blue"))
            FColor.setBlue(v);
        FColorSet = true;
    }

    // Paragraph ends, alignment and indents, and the reset of the character format.
    bool ParagraphWord(const QString &word, int value)
    {
        TGroupState &s = State();
        if (word == QLatin1String("par") || word == QLatin1String("line")) {
            EndLine();
        } else if (word == QLatin1String("pard")) {
            s.align = TRichAlign::raLeft;
            s.leftIndent = 0;
            s.rightIndent = 0;
        } else if (word == QLatin1String("plain")) {
            const TFontEntry font = FFonts.value(s.fontNumber, { DefaultFont(), 0 });
            s.format = TRichFormat {};
            s.format.fontName = font.name;
            s.format.charset = font.charset;
        } else if (word == QLatin1String("ql") || word == QLatin1String("qj")
            || word == QLatin1String("qd")) {
            s.align = TRichAlign::raLeft;
        } else if (word == QLatin1String("qc")) {
            s.align = TRichAlign::raCenter;
        } else if (word == QLatin1String("qr")) {
            s.align = TRichAlign::raRight;
        } else if (word == QLatin1String("li")) {
            s.leftIndent = std::clamp(value, -31680, 31680);
        } else if (word == QLatin1String("ri")) {
            s.rightIndent = std::clamp(value, -31680, 31680);
        } else {
            return false;
        }
        return true;
    }

    // The character format, the Unicode skip count and the code page.
    bool FormatWord(const QString &word, bool hasParam, int value)
    {
        TGroupState &s = State();
        const bool on = !hasParam || value != 0;
        if (word == QLatin1String("b")) {
            s.format.bold = on;
        } else if (word == QLatin1String("i")) {
            s.format.italic = on;
        } else if (word == QLatin1String("ul")) {
            s.format.underline = on;
        } else if (word == QLatin1String("ulnone")) {
            s.format.underline = false;
        } else if (word == QLatin1String("strike")) {
            s.format.strikeOut = on;
        } else if (word == QLatin1String("fs")) {
            if (hasParam && value > 0)
                s.format.pointSize = std::min(value, 3276) / 2.0;
        } else if (word == QLatin1String("f")) {
            s.fontNumber = value;
            const TFontEntry font = FFonts.value(value, { DefaultFont(), 0 });
            s.format.fontName = font.name;
            s.format.charset = font.charset;
        } else if (word == QLatin1String("cf")) {
            s.format.color = (value > 0 && value < FColors.size()) ? FColors.at(value) : QColor();
        } else if (word == QLatin1String("uc")) {
            s.unicodeSkip = std::clamp(value, 0, 16);
        } else if (word == QLatin1String("ansicpg")) {
            FCodePage = value;
        } else {
            return false;
        }
        return true;
    }

    // The control words that stand for one character.
    void SymbolWord(const QString &word)
    {
        static const QHash<QString, char16_t> symbols {
            { QStringLiteral("tab"), u'\t' },
            { QStringLiteral("emdash"), char16_t(0x2014) },
            { QStringLiteral("endash"), char16_t(0x2013) },
            { QStringLiteral("bullet"), char16_t(0x2022) },
            { QStringLiteral("lquote"), char16_t(0x2018) },
            { QStringLiteral("rquote"), char16_t(0x2019) },
            { QStringLiteral("ldblquote"), char16_t(0x201C) },
            { QStringLiteral("rdblquote"), char16_t(0x201D) },
        };
        const auto found = symbols.constFind(word);
        if (found != symbols.constEnd())
            AddChar(QChar(*found));
    }

    QString DefaultFont() const { return TRichText::DefaultFontName(); }

    void CommitFont()
    {
        if (!FFontOpen)
            return;
        QString name = FFontName.trimmed();
        if (name.endsWith(QLatin1Char(';')))
            name.chop(1);
        FFonts.insert(State().fontNumber, { name.isEmpty() ? DefaultFont() : name, FFontCharset });
        FFontOpen = false;
        FFontName.clear();
    }

    void AddChar(QChar c)
    {
        FlushBytes();
        if (FSkipChars > 0) {
            --FSkipChars;
            return;
        }
        AddText(QString(c));
    }

    void AddText(const QString &text)
    {
        if (text.isEmpty() || Skipping())
            return;
        TGroupState &s = State();
        if (s.dest == TDest::dFontTable) {
            for (QChar c : text) {
                if (c == QLatin1Char(';'))
                    CommitFont();
                else if (FFontOpen)
                    FFontName.append(c);
            }
            return;
        }
        if (s.dest == TDest::dColorTable) {
            for (QChar c : text) {
                if (c == QLatin1Char(';')) {
                    if (FColors.size() < 4096)
                        FColors.append(FColorSet ? FColor : QColor());
                    FColor = {};
                    FColorSet = false;
                }
            }
            return;
        }
        if (!FLine.runs.isEmpty() && FLine.runs.last().format == s.format)
            FLine.runs.last().text += text;
        else
            FLine.runs.append({ text, s.format });
    }

    // Decodes the pending \'xx bytes in the code of the current font.
    void FlushBytes()
    {
        if (FBytes.isEmpty())
            return;
        const QByteArray bytes = std::exchange(FBytes, {});
        const bool sjis = FCodePage == 932 || State().format.charset == 128
            || (State().dest == TDest::dFontTable && FFontCharset == 128);
        AddText(sjis ? FromCp932(bytes) : QString::fromLatin1(bytes));
    }

    void EndLine()
    {
        if (Skipping())
            return;
        const TGroupState &s = State();
        FLine.align = s.align;
        FLine.leftIndent = s.leftIndent;
        FLine.rightIndent = s.rightIndent;
        FLine.endFormat = s.format;
        if (FLines.size() < 100000)
            FLines.append(FLine);
        FLine = {};
    }

    QString FText;
    int FPos = 0;
    std::vector<TGroupState> FStack;
    int FOverflow = 0;
    bool FGroupStart = false;
    int FSkipChars = 0;
    QByteArray FBytes;
    int FCodePage = 0;
    QHash<int, TFontEntry> FFonts;
    QString FFontName;
    int FFontCharset = 0;
    bool FFontOpen = false;
    QList<QColor> FColors;
    QColor FColor;
    bool FColorSet = false;
    TRichLine FLine;
    QList<TRichLine> FLines;
};

// Characters taller than this could never show on a sheet and only cost time to draw.
constexpr double kMaxCharHeight = 4096;

int CharHeight(double scale, double pointSize)
{
    return std::max(
        1, int(std::trunc(std::min(scale * pointSize * 2540.0 / 72.0, kMaxCharHeight))));
}

QFont FontOf(const TRichFormat &format, int pixelHeight)
{
    QFont font(MappedFontFamily(
        format.fontName.isEmpty() ? TRichText::DefaultFontName() : format.fontName));
    font.setPixelSize(pixelHeight);
    font.setBold(format.bold);
    font.setItalic(format.italic);
    font.setUnderline(format.underline);
    font.setStrikeOut(format.strikeOut);
    return font;
}

struct TPlacedChar {
    QString text;
    QFont font;
    QColor color;
    int advance = 0;
    bool bold = false;
};

} // namespace

QString TRichLine::Text() const
{
    QString text;
    for (const TRichRun &run : runs)
        text += run.text;
    return text;
}

TRichText TRichText::Parse(const QString &text)
{
    TRichText result;
    if (!text.startsWith(QLatin1String("{\\rtf"))) {
        if (text.isEmpty())
            return result;
        TRichFormat format;
        format.fontName = DefaultFontName();
        for (const QString &line : SplitLines(text.left(kMaxRichTextLength))) {
            TRichLine richLine;
            richLine.endFormat = format;
            if (!line.isEmpty())
                richLine.runs.append({ line, format });
            result.FLines.append(richLine);
        }
        return result;
    }
    result.FLines = TRtfReader(text).Read();
    return result;
}

bool TRichText::Empty() const
{
    for (const TRichLine &line : FLines) {
        if (!line.runs.isEmpty())
            return false;
    }
    return true;
}

QString TRichText::PlainText() const
{
    QStringList lines;
    for (const TRichLine &line : FLines)
        lines.append(line.Text());
    return lines.join(QLatin1Char('\n'));
}

QString TRichText::DefaultFontName()
{
    return QStringLiteral("ＭＳ Ｐゴシック");
}

void TRichText::Draw(QPainter &painter, const QRect &box, double scale) const
{
    if (box.isEmpty() || !(scale > 0))
        return;
    painter.save();
    painter.setClipRect(box);
    painter.setBackgroundMode(Qt::TransparentMode);
    const double twipsToPixels = scale * 2540.0 / 1440.0;
    int y = box.top();
    const int boxRight = box.x() + box.width();
    for (const TRichLine &line : FLines) {
        if (y >= box.y() + box.height())
            break;
        std::vector<TPlacedChar> chars;
        int height = 0;
        int ascent = 0;
        int width = 0;
        for (const TRichRun &run : line.runs) {
            const int h = CharHeight(scale, run.format.pointSize);
            const QFont font = FontOf(run.format, h);
            const QFontMetrics metrics(font);
            height = std::max(height, h);
            ascent = std::max(ascent, metrics.ascent());
            for (int i = 0; i < run.text.size(); ++i) {
                QString piece(run.text.at(i));
                if (run.text.at(i).isHighSurrogate() && i + 1 < run.text.size())
                    piece += run.text.at(++i);
                if (piece == QLatin1String("\t"))
                    piece = QStringLiteral("    ");
                TPlacedChar placed { piece, font, run.format.color, 0, run.format.bold };
                placed.advance = metrics.horizontalAdvance(piece) - (run.format.bold ? 1 : 0);
                width += placed.advance;
                chars.push_back(std::move(placed));
            }
        }
        if (chars.empty()) {
            const int h = CharHeight(scale, line.endFormat.pointSize);
            y += h;
            continue;
        }
        int x = box.left() + int(std::trunc(line.leftIndent * twipsToPixels));
        if (line.align == TRichAlign::raRight)
            x = boxRight - int(std::trunc(line.rightIndent * twipsToPixels)) - width;
        else if (line.align == TRichAlign::raCenter)
            x = box.left() + (box.width() - width) / 2;
        for (const TPlacedChar &placed : chars) {
            painter.setFont(placed.font);
            painter.setPen(placed.color.isValid() ? placed.color : QColor(Qt::black));
            painter.drawText(QPoint(x, y + ascent), placed.text);
            x += placed.advance;
        }
        y += height;
    }
    painter.restore();
}

} // namespace korvatel

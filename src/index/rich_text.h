#pragma once

#include <QColor>
#include <QList>
#include <QRect>
#include <QString>

class QPainter;

namespace korvatel
{

// The character format of a run of rich text.
struct TRichFormat {
    QString fontName; // the Windows font name as written in the font table
    int charset = 0; // the font table's \fcharset (128 = Shift-JIS)
    double pointSize = 12; // \fs gives half points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QColor color; // invalid: the control's default text colour
    friend bool operator==(const TRichFormat &, const TRichFormat &) = default;
};

struct TRichRun {
    QString text;
    TRichFormat format;
};

enum class TRichAlign { raLeft, raCenter, raRight };

// One drawn line: the runs of a paragraph up to \par or \line, with the paragraph's alignment
// and indents (twips, as the rich-text control keeps them).
struct TRichLine {
    QList<TRichRun> runs;
    TRichAlign align = TRichAlign::raLeft;
    int leftIndent = 0;
    int rightIndent = 0;
    TRichFormat endFormat; // the format at the line's end: the height of an empty line
    QString Text() const;
};

// A rich-text block of an index frame: the subset of RTF such blocks use. The font table,
// the colour table, \fs, \b, \i, \ul, \strike, \cf, \ql \qc \qr, \li \ri, \par and \line,
// \'xx escapes (Shift-JIS under \ansicpg932 or a charset-128 font, Latin-1 otherwise) and
// \uN with its \uc fallback are understood; other control words are skipped and ignorable
// destinations (\*, \info, \stylesheet, \pict, ...) are dropped whole. Text that does not start
// with "{\rtf" is taken as plain text, one line per text line. Reading never fails: damaged
// input gives what could be read.
class TRichText
{
public:
    static TRichText Parse(const QString &text);

    bool Empty() const;
    const QList<TRichLine> &Lines() const { return FLines; }
    // The text of every line joined by line feeds.
    QString PlainText() const;

    // The default font of the control, used where the block names none.
    static QString DefaultFontName();

    // Draws the lines into box from its top, line under line, without wrapping and with a
    // transparent background. scale is pixels per hundredth of a millimetre: a character of
    // point size p is trunc(scale × p × 2540 / 72) pixels high, a line is as high as its
    // highest character, characters stand on the line's deepest ascent, and after each bold
    // character the pen moves back one pixel. Needs a QGuiApplication (fonts).
    void Draw(QPainter &painter, const QRect &box, double scale) const;

private:
    QList<TRichLine> FLines;
};

} // namespace korvatel

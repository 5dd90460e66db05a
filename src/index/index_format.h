#pragma once

#include "imaging/bitmap.h"
#include "imaging/picture_kinds.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPainter;

namespace korvatel
{

// The colour type of a picture: ctNormal leaves it, the others are the tone effects 1..8.
enum TColorType {
    ctNormal,
    ctHarfMist,
    ctMist,
    ctMono,
    ctMonoMist,
    ctRed,
    ctGreen,
    ctBlue,
    ctSepia
};
enum THorzAlign { haNone, haLeft, haCenter, haRight };
enum TVertAlign { vaNone, vaTop, vaCenter, vaBottom };
enum TZoomStyle { zsSquare, zsWidth, zsHeight, zsStretch, zsNone };

const QStringList &ColorTypeNames();
const QStringList &HorzAlignNames();
const QStringList &VertAlignNames();
const QStringList &ZoomStyleNames();
// "枠合わせ", "幅合わせ", "高さ合わせ", "ストレッチ", "なし": accepted for the five zoom modes.
const QStringList &ZoomStyleDisplayNames();
// A zoom mode by its stored or its Japanese name, ignoring case; zsSquare when neither fits.
TZoomStyle ZoomStyleFromName(const QString &text);

// One rectangle of an index sheet. Positions and sizes are hundredths of a millimetre, colours
// Windows colour values 0x00BBGGRR.
struct TFrame {
    QString Name;
    bool V = false; // visible
    int L = 0, T = 0, W = 0, H = 0;
    int C = 0; // fill colour
    int LW = 0, LC = 0; // border width and colour
    int SX = 0, SY = 0, SC = 0; // shadow offsets (negative: left/up) and colour
    bool TP = false; // transparent: no fill
    QString GF; // picture file drawn in the frame
    TColorType CT = ctNormal;
    RotationType RT = rtNone;
    int IL = 0, IT = 0, IW = 0, IH = 0; // picture placement inside the frame
    THorzAlign IAH = haNone;
    TVertAlign IAV = vaNone;
    TZoomStyle ZS = zsSquare;
    bool PZ = false; // keep the stated placement size
    int TL = 0, TT = 0, TR = 0, TB = 0; // offsets of the text box's edges
    QString Rtf; // the rich-text block, its lines joined by CR LF; may be empty

    // Reads the keys of a frame line's value (a comma text of key=value items). Keys are
    // matched ignoring case; a missing or malformed value reads as its default; TX is ignored.
    static TFrame FromValue(const QString &name, const QString &value);
    // The value of the frame's line, every key in reading order.
    QString ToValue() const;

    friend bool operator==(const TFrame &, const TFrame &) = default;
};

// How the cells of the thumbnail grid look (the [THUMB] value).
struct TThumbStyle {
    QString name; // the grid is drawn only when it is non-empty
    int gapPX = 0, gapPY = 0; // gaps in hundredths of a percent of the pitch
    int aspW = 119, aspH = 89;
    int basC = 0xFFFFFF;
    int linW = 0, linC = 0;
    int shdX = 0, shdY = 0, shdC = 0;
    BackStyle scrTyp = bstSolid;
    TColorType cTyp = ctNormal;
    int igapX = 0, igapY = 0; // inner margins in hundredths of a percent of the cell
    bool fiHide = false, fiInsd = false, fiTrns = false;
    QString foN; // file-name font; empty takes the program's default font
    int foH = 300, foC = 0;
    QString foS; // style letters b, i, u, s
    int fiC = 0xFFFFFF; // file-name background
    TrimFit Fit = tfNone;

    // Reads a comma text of key=value items; gapP, when present, sets both gaps.
    static TThumbStyle FromValue(const QString &value);
    QString ToValue() const;
    friend bool operator==(const TThumbStyle &, const TThumbStyle &) = default;
};

// The three built-in styles "Sampl01", "Sampl02" (the style of a layout without [THUMB]) and
// "Sampl03" as their texts.
const QStringList &BuiltInThumbStyles();

// Where the cells of the grid lie: ImgArea's rectangle after its shadow shrink, in pixels.
struct TGridGeometry {
    double areaLeft = 0, areaTop = 0, areaWidth = 0, areaHeight = 0;
    int columns = 0;
    double pitchX = 0, gapX = 0, cellW = 0;
    double cellH = 0, gapY = 0, pitchY = 0;
    int innerX = 0, innerY = 0;
    int rows = 0;
    int PerPage() const { return columns * rows; }
    // The cell of row index / columns and column index % columns (right and bottom exclusive).
    QRect Cell(int index) const;
};

// The fit rule: the size of a picture fitted into a box keeping its aspect ratio, centred,
// relative to the box's top-left corner. Empty when either has a zero side.
QRect FitRect(double boxWidth, double boxHeight, double pictureWidth, double pictureHeight);

// True when the caption of fileName drawn in fontName needs the Shift-JIS character set: some
// byte of the name followed by the font name is not printable ASCII (32 to 126).
bool CaptionNeedsShiftJis(const QString &fileName, const QString &fontName);

// A cell's picture: the Exif thumbnail of a JPEG (last column dropped, enlarged by
// PseudoDoublePrecision), otherwise the whole file, JPEG decoded at the smallest DCT scale that
// still covers box; either turned upright by the JPEG's Exif orientation. nullopt when nothing
// could be loaded. *whole tells which it was.
std::optional<TBitmap> LoadCellPicture(
    const QString &path, const QSize &box, bool *whole = nullptr);

// The index sheet layout with its image list and page cursor. Rendering needs a
// QGuiApplication for the texts (without one the texts are left out).
class TIndexFormat
{
public:
    TIndexFormat();

    // The layout the program uses unless a shop's file replaces it.
    static QString DefaultLayoutText();
    static QString DefaultLayoutName() { return QStringLiteral("@Default"); }

    // "@Default", an empty name and a name without "<name>.nxf" in folder select the built-in
    // text; otherwise the file is read. Gives false when a named file could not be read (the
    // built-in layout is loaded then).
    bool LoadLayout(const QString &name, const QString &folder);
    // Clears the frames and reads a layout text: lines when it contains CR LF, otherwise one
    // comma text of lines.
    void LoadFromText(const QString &text);
    void LoadFromLines(const QStringList &lines);
    // The layout as lines: header, thumbnail style, frames with their rich-text blocks.
    QStringList ToLines() const;
    bool SaveToFile(const QString &path) const;

    int W = 12100, H = 12100; // sheet size
    int C = 0xFFFFFF; // background colour
    int CC = 5; // column count
    QList<TFrame> Frames;
    TThumbStyle Thumb;
    QString LayoutName;
    // The folder a relative frame picture (GF) is taken from: the layout file's folder.
    QString PictureFolder;

    const TFrame *Frame(const QString &name) const;
    TFrame *Frame(const QString &name);

    // Image list: "<six hex digits>,\"<file name>\",<full path>" per photo.
    void ResetImages();
    int AddImage(const QString &fullPath);
    int ImageCount() const { return int(FImages.size()); }
    const QStringList &Images() const { return FImages; }
    // The full path of an entry: what follows its `",`.
    static QString ImagePath(const QString &entry);

    int PageStart() const { return FPageStart; }
    int Cursor() const { return FCursor; }
    int ImagesPerPage() const { return FImagesPerPage; }
    int RowsPerPage() const { return FRowsPerPage; }
    // Moves by one page when there is one that way; false when it did not move.
    bool NextPage();
    bool PrevPage();

    // The bitmap size of a page (the sheet fitted into 1200 × 1200) and the pixels per
    // hundredth of a millimetre; an empty size when W or H is not positive.
    QSize SheetSize() const;
    double Scale() const;
    // The grid of the current layout; nullopt when ImgArea is missing or hidden, the style has
    // no name, or not even one cell of a pixel fits.
    std::optional<TGridGeometry> Grid() const;

    // Draws the page at the page start; sets images per page, rows and the cursor. An empty
    // bitmap when the sheet size is not positive.
    TBitmap RenderPage();

    // Writes INDEX01.JPG, INDEX02.JPG, ... (JPEG quality 80) for every page from the page
    // start into folder and appends their paths to result; nothing when the list is empty.
    // The pages show the customer's photos and are their owner's alone (0600).
    // Each written page goes to OnUpload when set. On any failure, or a cancel from
    // OnProgress, the pages of this call are deleted again and false is returned.
    bool WritePages(const QString &folder, QStringList &result, const QString &remoteFolder = {});

    // Called once per drawn cell with the cells done and the image count; false cancels.
    std::function<bool(int done, int total)> OnProgress;
    // Sends a written page to the remote index folder; false fails the writing.
    std::function<bool(const QString &localPath, const QString &remoteFolder)> OnUpload;

private:
    void DrawGrid(QPainter &painter, double x);

    QStringList FImages;
    int FPageStart = 0;
    int FCursor = 0;
    int FImagesPerPage = 0;
    int FRowsPerPage = 0;
    int FCellsDone = 0;
    bool FCancelled = false;
};

} // namespace korvatel

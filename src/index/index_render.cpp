// The drawing of index pages: frames, their pictures and rich text, and the thumbnail grid.

#include "imaging/effects.h"
#include "imaging/exif.h"
#include "imaging/jpeg_codec.h"
#include "imaging/orientation.h"
#include "imaging/picture.h"
#include "imaging/resample.h"
#include "imaging/thumbnail.h"
#include "index/index_format.h"
#include "index/rich_text.h"
#include "platform/fonts.h"
#include "text/cp932.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <cmath>
#include <vector>

namespace korvatel
{

namespace
{

// Pixel coordinates are kept well inside int, whatever a layout says.
constexpr double kMaxCoordinate = 1 << 24;

int Trunc(double v)
{
    if (!(v == v))
        return 0;
    return int(std::trunc(std::clamp(v, -kMaxCoordinate, kMaxCoordinate)));
}

// r(v) = trunc(v + 0.5).
int Round(double v)
{
    return Trunc(v + 0.5);
}

QColor WinColor(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// A rectangle by its edges, right and bottom exclusive, as the drawing rules state them.
struct TEdges {
    int l = 0, t = 0, r = 0, b = 0;
    QRect Rect() const { return QRect(l, t, r - l, b - t); }
};

void Fill(QPainter &painter, const TEdges &e, const QColor &color)
{
    if (e.r > e.l && e.b > e.t)
        painter.fillRect(e.Rect(), color);
}

// Four strips of width lw along the inside of the rectangle.
void Border(QPainter &painter, const TEdges &e, int lw, const QColor &color)
{
    Fill(painter, { e.l, e.t, e.r, std::min(e.b, e.t + lw) }, color);
    Fill(painter, { e.l, std::max(e.t, e.b - lw), e.r, e.b }, color);
    Fill(painter, { e.l, e.t, std::min(e.r, e.l + lw), e.b }, color);
    Fill(painter, { std::max(e.l, e.r - lw), e.t, e.r, e.b }, color);
}

// A frame's rectangles in pixels: the full one and the one its shadow leaves.
struct TFramePixels {
    TEdges full;
    TEdges rect;
    int sx = 0;
    int sy = 0;
};

// A shadow offset in pixels: never 0 for a non-zero offset, so a thin shadow still shows.
int ShadowPixels(int offset, double x)
{
    if (offset == 0)
        return 0;
    const int s = Round(x * offset);
    return s != 0 ? s : (offset < 0 ? -1 : 1);
}

TFramePixels FramePixels(const TFrame &f, double x)
{
    TFramePixels p;
    p.full = { Trunc(x * f.L), Trunc(x * f.T), Trunc(x * (double(f.L) + f.W)),
        Trunc(x * (double(f.T) + f.H)) };
    p.rect = p.full;
    p.sx = ShadowPixels(f.SX, x);
    p.sy = ShadowPixels(f.SY, x);
    if (p.sx < 0)
        p.rect.l -= p.sx;
    else
        p.rect.r -= p.sx;
    if (p.sy < 0)
        p.rect.t -= p.sy;
    else
        p.rect.b -= p.sy;
    return p;
}

// Enlarges a picture smaller than the place it is drawn into, as long as it stays small.
void EnlargeFor(TBitmap &picture, int width, int height)
{
    while ((picture.Width() < width || picture.Height() < height) && picture.Width() <= 499
        && picture.Height() <= 499) {
        const QSize before(picture.Width(), picture.Height());
        PseudoDoublePrecision(picture);
        if (QSize(picture.Width(), picture.Height()) == before)
            break; // a single pixel (or a failed enlargement) does not grow
    }
}

void StretchDrawPicture(QPainter &painter, const QRect &target, const TBitmap &picture)
{
    if (target.isEmpty() || picture.Empty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, picture.View());
    painter.restore();
}

void ApplyColorType(TBitmap &picture, TColorType type)
{
    if (type != ctNormal)
        ToneEffect(picture, int(type));
}

// Horizontal and vertical placement of a frame's picture (hundredths of a millimetre).
int AlignStart(int align, int shadow, int room, int size)
{
    switch (align) {
    case 1:
        return shadow < 0 ? -shadow : 0;
    case 2:
        return Round((double(room) - size) / 2);
    case 3:
        return room - size;
    default:
        return INT_MIN; // leaves the value
    }
}

void DrawFramePicture(QPainter &painter, const TFrame &f, const TFramePixels &p, double x,
    const QString &pictureFolder)
{
    if (f.GF.isEmpty())
        return;
    QString path = f.GF;
    if (QFileInfo(path).isRelative() && !pictureFolder.isEmpty())
        path = QDir(pictureFolder).filePath(path);
    if (!QFileInfo(path).isFile())
        return;
    TBitmap picture;
    try {
        if (!LoadBitmapFile(picture, path, true) || picture.Empty())
            return;
        RotateImage(picture, f.RT);
        ApplyColorType(picture, f.CT);
    } catch (const std::exception &) {
        return; // the picture is dropped
    }
    const int pw = picture.Width();
    const int ph = picture.Height();
    const int c = Trunc(double(f.W) - std::abs(double(f.SX)));
    const int fh = Trunc(double(f.H) - std::abs(double(f.SY)));
    int il = f.IL, it = f.IT, iw = f.IW, ih = f.IH;
    const auto alignH = [&] {
        const int v = AlignStart(f.IAH, f.SX, c, iw);
        if (v != INT_MIN)
            il = v;
    };
    const auto alignV = [&] {
        const int v = AlignStart(f.IAV, f.SY, fh, ih);
        if (v != INT_MIN)
            it = v;
    };
    switch (f.ZS) {
    case zsSquare: {
        const QRect fit = f.PZ ? FitRect(c, fh, iw, ih) : FitRect(c, fh, pw, ph);
        il = fit.x();
        it = fit.y();
        iw = fit.width();
        ih = fit.height();
        alignH();
        alignV();
        break;
    }
    case zsWidth:
        il = f.SX < 0 ? -f.SX : 0;
        iw = c;
        if (!f.PZ)
            ih = Round(double(c) * ph / pw);
        alignV();
        break;
    case zsHeight:
        it = f.SY < 0 ? -f.SY : 0;
        ih = fh;
        if (!f.PZ)
            iw = Round(double(fh) * pw / ph);
        alignH();
        break;
    case zsStretch:
        il = f.SX < 0 ? -f.SX : 0;
        it = f.SY < 0 ? -f.SY : 0;
        iw = c;
        ih = fh;
        break;
    case zsNone:
        alignH();
        alignV();
        break;
    }
    const QRect target(
        p.full.l + Round(x * il), p.full.t + Round(x * it), Round(x * iw), Round(x * ih));
    if (target.isEmpty())
        return;
    EnlargeFor(picture, target.width(), target.height());
    StretchDrawPicture(painter, target, picture);
}

void DrawFrame(QPainter &painter, const TFrame &f, double x, const QString &pictureFolder)
{
    const TFramePixels p = FramePixels(f, x);
    if (!f.TP)
        Fill(painter, p.rect, WinColor(f.C));
    DrawFramePicture(painter, f, p, x, pictureFolder);
    if (!f.Rtf.isEmpty() && qGuiApp) {
        const TEdges box { p.rect.l + Round(x * f.TL), p.rect.t + Round(x * f.TT),
            p.rect.r + Round(x * f.TR), p.rect.b + Round(x * f.TB) };
        if (box.r > box.l && box.b > box.t)
            TRichText::Parse(f.Rtf).Draw(painter, box.Rect(), x);
    }
    if (f.LW > 0)
        Border(painter, p.rect, std::max(Round(x * f.LW), 1), WinColor(f.LC));
    const QColor shadow = WinColor(f.SC);
    if (p.sx > 0)
        Fill(painter, { p.rect.r, p.rect.t + p.sy, p.full.r, p.rect.b + p.sy }, shadow);
    else if (p.sx < 0)
        Fill(painter, { p.full.l, p.rect.t + p.sy, p.rect.l, p.rect.b + p.sy }, shadow);
    if (p.sy > 0)
        Fill(painter, { p.rect.l + p.sx, p.rect.b, p.rect.r + p.sx, p.full.b }, shadow);
    else if (p.sy < 0)
        Fill(painter, { p.rect.l + p.sx, p.full.t, p.rect.r + p.sx, p.rect.t }, shadow);
}

// The gradient backgrounds: the cell shades from basC to 0.9 of the way to white, the light
// band at 0.4 of the extent (Up), or the reverse with the dark band there (Dn).
void GradientFill(QPainter &painter, const QRect &cell, const QColor &base, bool across, bool up)
{
    const int extent = across ? cell.width() : cell.height();
    if (extent <= 0 || cell.isEmpty())
        return;
    for (int i = 0; i < extent; ++i) {
        const double p = (i + 0.5) / extent;
        const double distance = p < 0.4 ? (0.4 - p) / 0.4 : (p - 0.4) / 0.6;
        const double light = up ? 0.9 * (1 - distance) : 0.9 * distance;
        const QColor c(Round(base.red() + (255 - base.red()) * light),
            Round(base.green() + (255 - base.green()) * light),
            Round(base.blue() + (255 - base.blue()) * light));
        if (across)
            painter.fillRect(QRect(cell.x() + i, cell.y(), 1, cell.height()), c);
        else
            painter.fillRect(QRect(cell.x(), cell.y() + i, cell.width(), 1), c);
    }
}

// The file-name font: its family (with a Japanese font behind it when the name needs the
// Shift-JIS set), style letters and a height whose whole line is the caption height.
QFont CaptionFont(const TThumbStyle &style, const QString &fileName, int height)
{
    const QString name = style.foN.isEmpty() ? TRichText::DefaultFontName() : style.foN;
    QStringList families { MappedFontFamily(name) };
    if (CaptionNeedsShiftJis(fileName, style.foN))
        families.append(MappedFontFamily(TRichText::DefaultFontName()));
    QFont font;
    font.setFamilies(families);
    const QString letters = style.foS.toLower();
    font.setBold(letters.contains(QLatin1Char('b')));
    font.setItalic(letters.contains(QLatin1Char('i')));
    font.setUnderline(letters.contains(QLatin1Char('u')));
    font.setStrikeOut(letters.contains(QLatin1Char('s')));
    font.setPixelSize(std::max(1, height));
    const int lineHeight = QFontMetrics(font).height();
    if (lineHeight > height && height > 0)
        font.setPixelSize(std::max(1, height * height / lineHeight));
    return font;
}

struct TCaption {
    QRect cell;
    QString fileName;
};

void DrawCaption(
    QPainter &painter, const TThumbStyle &style, const TCaption &caption, double x, int shadowY)
{
    const int height = Trunc(x * style.foH);
    if (height <= 0)
        return;
    const QString text = QLatin1Char(' ') + caption.fileName + QLatin1Char(' ');
    const QFont font = CaptionFont(style, caption.fileName, height);
    const QFontMetrics metrics(font);
    const QRect &cell = caption.cell;
    const int bottom = cell.y() + cell.height();
    int top;
    if (style.fiInsd)
        top = bottom - height - 1;
    else
        top = bottom + (style.shdY > 0 ? shadowY : 0);
    const int width = metrics.horizontalAdvance(text);
    const int left = cell.x() + (cell.width() - width) / 2;
    painter.save();
    painter.setClipRect(QRect(cell.x(), top, cell.width(), height));
    if (!style.fiTrns)
        painter.fillRect(QRect(left, top, width, height), WinColor(style.fiC));
    painter.setFont(font);
    painter.setPen(WinColor(style.foC));
    const int baseline = style.fiInsd ? top + height - metrics.descent() : top + metrics.ascent();
    painter.drawText(QPoint(left, baseline), text);
    painter.restore();
}

} // namespace

bool CaptionNeedsShiftJis(const QString &fileName, const QString &fontName)
{
    for (const char byte : ToCp932(fileName + fontName)) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 32 || b > 126)
            return true;
    }
    return false;
}

std::optional<TBitmap> LoadCellPicture(const QString &path, const QSize &box, bool *whole)
{
    if (whole)
        *whole = false;
    try {
        const QString upper = path.toUpper();
        const bool jpeg
            = upper.endsWith(QLatin1String(".JPG")) || upper.endsWith(QLatin1String(".JPEG"));
        if (jpeg) {
            const std::optional<QByteArray> data = ReadWholeFile(path, 512 * 1024 * 1024);
            if (!data)
                return std::nullopt;
            TExifInfo exif;
            exif.LoadFromData(*data);
            // The camera's thumbnail and the picture lie as the file does; the sheet shows
            // them upright.
            const int orientation = ExifOrientation(*data);
            TBitmap thumb;
            if (exif.ErrorCode() == 0 && exif.ThumbnailToBitmap(thumb, false, &*data)
                && thumb.Width() > 1) {
                TBitmap cut(thumb.Width() - 1, thumb.Height());
                for (int y = 0; y < thumb.Height(); ++y)
                    std::copy_n(thumb.ScanLine(y), 3 * cut.Width(), cut.ScanLine(y));
                PseudoDoublePrecision(cut);
                ApplyOrientation(cut, orientation);
                return cut;
            }
            if (whole)
                *whole = true;
            const std::optional<TJpegInfo> info = ReadJpegInfo(*data);
            if (!info)
                return std::nullopt;
            const int longSide = std::max(info->width, info->height);
            const int wanted = std::max({ box.width(), box.height(), 1 });
            TBitmap decoded = DecodeJpeg(*data, ThumbnailScale(longSide, wanted));
            if (decoded.Empty())
                return std::nullopt;
            ApplyOrientation(decoded, orientation);
            return decoded;
        }
        if (whole)
            *whole = true;
        TBitmap bitmap;
        if (upper.endsWith(QLatin1String(".CCI"))) {
            if (!LoadCciJpeg(bitmap, path))
                return std::nullopt;
        } else if (!QFileInfo(path).isFile() || !LoadBitmapFile(bitmap, path, true)) {
            return std::nullopt;
        }
        if (bitmap.Empty())
            return std::nullopt;
        return bitmap;
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

std::optional<TGridGeometry> TIndexFormat::Grid() const
{
    const TFrame *area = Frame(QStringLiteral("ImgArea"));
    const double x = Scale();
    if (!area || !area->V || Thumb.name.isEmpty() || !(x > 0))
        return std::nullopt;
    const TFramePixels p = FramePixels(*area, x);
    TGridGeometry g;
    g.areaLeft = p.rect.l;
    g.areaTop = p.rect.t;
    g.areaWidth = double(p.rect.r) - p.rect.l;
    g.areaHeight = double(p.rect.b) - p.rect.t;
    // A layout without a usable column count draws the five columns of the built-in one.
    g.columns = (CC > 0 && CC <= 10000) ? CC : 5;
    g.pitchX = g.areaWidth / g.columns;
    g.gapX = Thumb.gapPX * g.pitchX / 10000;
    g.cellW = g.pitchX - g.gapX;
    g.cellH = (qint64(Thumb.aspW) * Thumb.aspH > 0) ? double(Thumb.aspH) * g.cellW / Thumb.aspW
                                                    : g.cellW;
    const double gy = Thumb.gapPY / 10000.0;
    if (gy >= 1)
        return std::nullopt;
    g.gapY = gy * g.cellH / (1 - gy);
    g.pitchY = g.cellH + g.gapY;
    if (!(g.cellW >= 1 && g.cellH >= 1 && g.pitchX >= 1 && g.pitchY >= 1))
        return std::nullopt;
    g.innerX = Round(g.cellW * Thumb.igapX / 10000);
    g.innerY = Round(g.cellH * Thumb.igapY / 10000);
    g.rows = std::clamp(Trunc((g.areaHeight - g.gapY) / g.pitchY), 0, 100000);
    if (g.rows <= 0)
        return std::nullopt;
    return g;
}

void TIndexFormat::DrawGrid(QPainter &painter, double x)
{
    const std::optional<TGridGeometry> grid = Grid();
    FCursor = FPageStart;
    if (!grid) {
        FImagesPerPage = 0;
        FRowsPerPage = 0;
        return;
    }
    FImagesPerPage = grid->PerPage();
    FRowsPerPage = grid->rows;
    const TThumbStyle &s = Thumb;
    const int lw = s.linW > 0 ? std::max(Round(x * s.linW), 1) : 0;
    const int sx = s.shdX != 0
        ? std::max(Round(x * std::abs(double(s.shdX))), 1) * (s.shdX < 0 ? -1 : 1)
        : 0;
    const int sy = s.shdY != 0
        ? std::max(Round(x * std::abs(double(s.shdY))), 1) * (s.shdY < 0 ? -1 : 1)
        : 0;
    const int cellW = Trunc(grid->cellW);
    const int cellH = Trunc(grid->cellH);
    std::vector<TCaption> captions;
    for (int i = 0; i < FImagesPerPage && FCursor < ImageCount(); ++i) {
        const QRect cell = grid->Cell(i);
        const QString path = ImagePath(FImages.at(FCursor));
        ++FCursor;
        const TEdges e { cell.x(), cell.y(), cell.x() + cell.width(), cell.y() + cell.height() };
        try {
            switch (s.scrTyp) {
            case bstSolid:
                Fill(painter, e, WinColor(s.basC));
                break;
            case bstTrans:
                break;
            case bstGradUpLR:
            case bstGradUpTB:
            case bstGradDnLR:
            case bstGradDnTB:
                GradientFill(painter, cell, WinColor(s.basC),
                    s.scrTyp == bstGradUpLR || s.scrTyp == bstGradDnLR,
                    s.scrTyp == bstGradUpLR || s.scrTyp == bstGradUpTB);
                break;
            }
            const QColor shadow = WinColor(s.shdC);
            if (sx > 0)
                Fill(painter, { e.r, e.t + sy, e.r + sx, e.b + sy }, shadow);
            else if (sx < 0)
                Fill(painter, { e.l + sx, e.t + sy, e.l, e.b + sy }, shadow);
            if (sy > 0)
                Fill(painter, { e.l + sx, e.b, e.r + sx, e.b + sy }, shadow);
            else if (sy < 0)
                Fill(painter, { e.l + sx, e.t + sy, e.r + sx, e.t }, shadow);

            bool whole = false;
            std::optional<TBitmap> picture
                = LoadCellPicture(path, QSize(2 * cellW, 2 * cellH), &whole);
            if (picture) {
                if (s.Fit != tfNone || s.cTyp != ctNormal) {
                    if (whole) {
                        const QRect fit
                            = FitRect(2 * cellW, 2 * cellH, picture->Width(), picture->Height());
                        if (!fit.isEmpty())
                            picture = ResizeBilinear(*picture, fit.width(), fit.height());
                    }
                    const bool portrait = picture->Width() < picture->Height();
                    if (s.Fit == tfLongWidth && portrait)
                        RotateImage(*picture, rt270);
                    else if (s.Fit == tfLongHeight && !portrait
                        && picture->Width() > picture->Height())
                        RotateImage(*picture, rt90);
                    ApplyColorType(*picture, s.cTyp);
                }
                const int boxW = cell.width() - 2 * grid->innerX;
                const int boxH = cell.height() - 2 * grid->innerY;
                const QRect fit = FitRect(boxW, boxH, picture->Width(), picture->Height());
                StretchDrawPicture(painter,
                    fit.translated(cell.x() + grid->innerX, cell.y() + grid->innerY), *picture);
                if (!s.fiHide)
                    captions.push_back({ cell, QFileInfo(path).fileName() });
            }
            if (lw > 0)
                Border(painter, e, lw, WinColor(s.linC));
        } catch (const std::exception &) {
            // The cell stays as drawn so far.
        }
        ++FCellsDone;
        if (OnProgress && !OnProgress(FCellsDone, ImageCount())) {
            FCancelled = true;
            return;
        }
    }
    // The names come after every cell, so the next row's background does not cover them.
    if (qGuiApp) {
        for (const TCaption &caption : captions)
            DrawCaption(painter, s, caption, x, sy);
    }
}

TBitmap TIndexFormat::RenderPage()
{
    const QSize size = SheetSize();
    if (size.isEmpty())
        return {};
    const double x = double(size.width()) / W;
    QImage page(size, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        if (C != 0xFFFFFF)
            painter.fillRect(page.rect(), WinColor(C));
        bool gridDrawn = false;
        for (const TFrame &frame : Frames) {
            if (!frame.V)
                continue;
            DrawFrame(painter, frame, x, PictureFolder);
            if (!gridDrawn
                && frame.Name.compare(QLatin1String("ImgArea"), Qt::CaseInsensitive) == 0) {
                gridDrawn = true;
                DrawGrid(painter, x);
                if (FCancelled)
                    break;
            }
        }
        if (!gridDrawn) {
            FImagesPerPage = 0;
            FRowsPerPage = 0;
            FCursor = FPageStart;
        }
    }
    return TBitmap::FromImage(page);
}

bool TIndexFormat::WritePages(
    const QString &folder, QStringList &result, const QString &remoteFolder)
{
    if (FImages.isEmpty())
        return true;
    QStringList written;
    const auto fail = [&] {
        for (const QString &path : written)
            QFile::remove(path);
        return false;
    };
    // The names and rich texts need the fonts of a GUI application.
    if (!qGuiApp || SheetSize().isEmpty())
        return false;
    FCellsDone = 0;
    FCancelled = false;
    for (int page = 1;; ++page) {
        const TBitmap bitmap = RenderPage();
        if (FCancelled || bitmap.Empty())
            return fail();
        const QString path = QDir(folder).filePath(
            QStringLiteral("INDEX%1.JPG").arg(page, 2, 10, QLatin1Char('0')));
        try {
            if (!WriteFileAtomic(path, EncodeJpeg(bitmap, 80), TFileAccess::faPrivate))
                return fail();
        } catch (const std::exception &) {
            return fail();
        }
        written.append(path);
        if (OnUpload && !OnUpload(path, remoteFolder))
            return fail();
        // A layout whose grid holds nothing gets one sheet: another page would be the same.
        if (FImagesPerPage <= 0 || !NextPage())
            break;
    }
    result.append(written);
    return true;
}

} // namespace korvatel

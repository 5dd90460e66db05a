#pragma once

#include <QString>
#include <QStringList>

namespace korvatel
{

// The kinds of picture by extension, with the numbers the system stores and compares.
enum TImageKind : int {
    ikNone = 0, // not loadable
    ikJpeg = 1,
    ikTiff = 2, // ".tif", ".tiff"
    ikBmp = 3, // Windows bitmap (".bmp", ".bid")
    ikGif = 4,
    ikWmf = 5, // metafile
    ikEmf = 6, // enhanced metafile
    ikPng = 7,
    ikWebp = 8,
    ikHeif = 9, // HEIF and HEIC (".heic", ".heif", ".hif")
    ikAvif = 10,
};

// The extension with its dot, as the file system routines give it: the text from the last "."
// that comes after the last folder separator; empty when there is none.
QString ExtensionOf(const QString &fileName);

// The kind of picture a file name stands for, by its extension (a TImageKind).
int ImageKindOf(const QString &fileName);

// 1 when the name is a picture (".JPEG", ".JPG", ".BMP", ".ICO", ".EMF", ".WMF", ".GIF", ".PNG",
// ".CCI", ".TIF", ".TIFF", ".WEBP", ".HEIC", ".HEIF", ".HIF", ".AVIF", and a name without an
// extension), 2 for a movie (".AVI"), otherwise 0.
int IsPictureFile(const QString &fileName);

enum PictureFormat { pfETC, pfBMP, pfPNG, pfGIF, pfJPG };
enum RotationType { rtNone, rt90, rt180, rt270 };
enum TrimFit { tfNone, tfLongWidth, tfLongHeight };
enum BackStyle { bstSolid, bstTrans, bstGradUpLR, bstGradUpTB, bstGradDnLR, bstGradDnTB };

// The names under which each enumeration is stored in settings and plate files, in order.
const QStringList &PictureFormatNames();
const QStringList &PictureFormatDisplayNames();
// The file extension of a format (".bmp", ".png", ".gif", ".jpg"); empty for pfETC.
QString PictureFormatExtension(PictureFormat format);
const QStringList &RotationTypeNames();
const QStringList &TrimFitNames();
const QStringList &BackStyleNames();
const QStringList &BackStyleDisplayNames();

// The index of the first name equal to text ignoring case, or 0 when none is.
int EnumFromName(const QString &text, const QStringList &names);

template <typename E> E EnumFromName(const QString &text, const QStringList &names)
{
    return static_cast<E>(EnumFromName(text, names));
}

} // namespace korvatel

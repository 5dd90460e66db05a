#include "imaging/picture_kinds.h"

#include <algorithm>

namespace korvatel
{

QString ExtensionOf(const QString &fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const int slash
        = std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    if (dot < 0 || dot < slash)
        return {};
    return fileName.mid(dot);
}

int ImageKindOf(const QString &fileName)
{
    // The "A" in front lets a bare extension such as ".jpg" count as a name with an extension.
    const QString ext = ExtensionOf(QLatin1Char('A') + fileName).toLower();
    if (!ext.startsWith(QLatin1Char('.')) || ext.size() <= 3)
        return ikNone;
    if (ext == QLatin1String(".jpg") || ext == QLatin1String(".jpeg"))
        return ikJpeg;
    if (ext == QLatin1String(".tif") || ext == QLatin1String(".tiff"))
        return ikTiff;
    if (ext == QLatin1String(".bmp") || ext == QLatin1String(".bid"))
        return ikBmp;
    if (ext == QLatin1String(".gif"))
        return ikGif;
    if (ext == QLatin1String(".wmf"))
        return ikWmf;
    if (ext == QLatin1String(".emf"))
        return ikEmf;
    if (ext == QLatin1String(".png"))
        return ikPng;
    if (ext == QLatin1String(".webp"))
        return ikWebp;
    if (ext == QLatin1String(".heic") || ext == QLatin1String(".heif")
        || ext == QLatin1String(".hif"))
        return ikHeif;
    if (ext == QLatin1String(".avif"))
        return ikAvif;
    return ikNone;
}

int IsPictureFile(const QString &fileName)
{
    const QString key = ExtensionOf(fileName).toUpper() + QLatin1Char('.');
    if (QStringLiteral(".JPEG.JPG.BMP.ICO.EMF.WMF.GIF.PNG.CCI.TIF.TIFF.WEBP.HEIC.HEIF.HIF.AVIF.")
            .contains(key))
        return 1;
    if (key == QLatin1String(".AVI."))
        return 2;
    return 0;
}

const QStringList &PictureFormatNames()
{
    static const QStringList names = { QStringLiteral("pfETC"), QStringLiteral("pfBMP"),
        QStringLiteral("pfPNG"), QStringLiteral("pfGIF"), QStringLiteral("pfJPG") };
    return names;
}

const QStringList &PictureFormatDisplayNames()
{
    static const QStringList names = { QStringLiteral("ETC"), QStringLiteral("BMP"),
        QStringLiteral("PNG"), QStringLiteral("GIF"), QStringLiteral("JPG") };
    return names;
}

QString PictureFormatExtension(PictureFormat format)
{
    static const char *const extensions[] = { "", ".bmp", ".png", ".gif", ".jpg" };
    if (format < pfETC || format > pfJPG)
        return {};
    return QString::fromLatin1(extensions[format]);
}

const QStringList &RotationTypeNames()
{
    static const QStringList names = { QStringLiteral("rtNone"), QStringLiteral("rt90"),
        QStringLiteral("rt180"), QStringLiteral("rt270") };
    return names;
}

const QStringList &TrimFitNames()
{
    static const QStringList names = { QStringLiteral("tfNone"), QStringLiteral("tfLongWidth"),
        QStringLiteral("tfLongHeight") };
    return names;
}

const QStringList &BackStyleNames()
{
    static const QStringList names = { QStringLiteral("bstSolid"), QStringLiteral("bstTrans"),
        QStringLiteral("bstGradUpLR"), QStringLiteral("bstGradUpTB"), QStringLiteral("bstGradDnLR"),
        QStringLiteral("bstGradDnTB") };
    return names;
}

const QStringList &BackStyleDisplayNames()
{
    static const QStringList names
        = { QStringLiteral("塗つぶし"), QStringLiteral("透過"), QStringLiteral("ｸﾞﾗﾃﾞ凸→"),
              QStringLiteral("ｸﾞﾗﾃﾞ凸↓"), QStringLiteral("ｸﾞﾗﾃﾞ凹→"), QStringLiteral("ｸﾞﾗﾃﾞ凹↓") };
    return names;
}

int EnumFromName(const QString &text, const QStringList &names)
{
    for (int i = 0; i < names.size(); ++i) {
        if (text.compare(names.at(i), Qt::CaseInsensitive) == 0)
            return i;
    }
    return 0;
}

} // namespace korvatel

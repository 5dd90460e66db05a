#include "platform/fonts.h"

#include <QFont>
#include <QFontDatabase>

namespace korvatel
{

namespace
{

struct TFontMapping {
    QString windowsName;
    QStringList substitutes;
};

const QList<TFontMapping> &Mappings()
{
    // IPAPGothic first for the proportional names: IPAGothic has fixed-width Latin letters.
    static const QList<TFontMapping> kMappings = {
        { QStringLiteral("MS UI Gothic"),
            { QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP") } },
        { QStringLiteral("ＭＳ Ｐゴシック"),
            { QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP") } },
        { QStringLiteral("ＭＳ ゴシック"),
            { QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP") } },
        { QStringLiteral("Arial"),
            { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") } },
    };
    return kMappings;
}

} // namespace

QStringList WindowsFontSubstitutes(const QString &windowsName)
{
    for (const TFontMapping &mapping : Mappings()) {
        if (mapping.windowsName.compare(windowsName, Qt::CaseInsensitive) == 0)
            return mapping.substitutes;
    }
    return {};
}

void MapWindowsFonts()
{
    for (const TFontMapping &mapping : Mappings())
        QFont::insertSubstitutions(mapping.windowsName, mapping.substitutes);
}

QString MappedFontFamily(const QString &windowsName)
{
    const QStringList substitutes = WindowsFontSubstitutes(windowsName);
    for (const QString &family : substitutes) {
        if (QFontDatabase::hasFamily(family))
            return family;
    }
    return windowsName;
}

} // namespace korvatel

#include "platform/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const QString kPGothic = QStringLiteral("ＭＳ Ｐゴシック");
const QString kGothic = QStringLiteral("ＭＳ ゴシック");

} // namespace

TEST(WindowsFonts, MappedFamilyIsInstalled)
{
    for (const QString &name :
        { QStringLiteral("MS UI Gothic"), kPGothic, kGothic, QStringLiteral("Arial") }) {
        const QString family = MappedFontFamily(name);
        if (family == name) {
            ADD_FAILURE() << "no substitute installed for " << name.toStdString();
            continue;
        }
        EXPECT_TRUE(WindowsFontSubstitutes(name).contains(family));
        EXPECT_TRUE(QFontDatabase::hasFamily(family));
    }
    EXPECT_EQ(MappedFontFamily(QStringLiteral("Unknown Face")), QStringLiteral("Unknown Face"));
}

TEST(WindowsFonts, FontsAskingForWindowsNamesGetTheMappedFamily)
{
    MapWindowsFonts();
    for (const QString &name : { kPGothic, kGothic }) {
        const QFontInfo info(QFont(name, 10));
        EXPECT_EQ(info.family(), MappedFontFamily(name)) << name.toStdString();
    }
}

} // namespace korvatel

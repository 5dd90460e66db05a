#include "platform/translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

QString Cancel()
{
    return QCoreApplication::translate("QPlatformTheme", "Cancel");
}

} // namespace

TEST(QtTranslations, QtsOwnDialogsSpeakJapaneseOnceInstalled)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(folder + QStringLiteral("/qtbase_ja.qm")))
        GTEST_SKIP() << "qtbase_ja.qm is not installed (Debian: qt6-translations-l10n)";
    ASSERT_EQ(Cancel(), QStringLiteral("Cancel"));
    QTranslator *translator = InstallQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr);
    EXPECT_EQ(Cancel(), QStringLiteral("キャンセル"));
    EXPECT_EQ(QCoreApplication::translate("QColorDialog", "&Basic colors"),
        QStringLiteral("基本カラー(&B)"));
    // The other tests of this program expect Qt's own texts.
    delete translator;
    EXPECT_EQ(Cancel(), QStringLiteral("Cancel"));
}

TEST(QtTranslations, WithoutTheFileNothingIsInstalled)
{
    QTemporaryDir empty;
    EXPECT_EQ(InstallQtTranslations(*QCoreApplication::instance(), empty.path()), nullptr);
    EXPECT_EQ(Cancel(), QStringLiteral("Cancel"));
}

} // namespace korvatel

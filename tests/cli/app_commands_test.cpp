#include "cli/cli.h"
#include "platform/launchers.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <gtest/gtest.h>

namespace korvatel
{

using test::TTempHome;

namespace
{

int RunCommand(const QStringList &args, QString *out = nullptr)
{
    QString text;
    QString err;
    QTextStream outStream(&text);
    QTextStream errStream(&err);
    const int status = RunCli(args, outStream, errStream);
    outStream.flush();
    if (out)
        *out = text;
    return status;
}

} // namespace

TEST(InstallShopCommand, LaunchersStartTheInstalledClientWithTheShop)
{
    TTempHome home;
    ASSERT_TRUE(home.Write(QStringLiteral("usr/bin/korvatel"), "client"));
    const QString client = home.FilePath(QStringLiteral("usr/bin/korvatel"));
    QFile::setPermissions(client, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(
        home.Write(QStringLiteral("usr/share/icons/hicolor/scalable/apps/korvatel.svg"), "<svg/>"));

    QString out;
    // The shop given as a telephone number is settled as the client would settle it.
    ASSERT_EQ(RunCommand({ QStringLiteral("install-shop"), QStringLiteral("TEL 03-1234"),
                             QStringLiteral("--program"), client },
                  &out),
        0);
    const QString menu = home.FilePath(
        QStringLiteral(".local/share/applications/") + LauncherFileName(QStringLiteral("031234")));
    const QString desktop
        = home.FilePath(QStringLiteral("Desktop/") + LauncherFileName(QStringLiteral("031234")));
    EXPECT_EQ(out, menu + u'\n' + desktop + u'\n');
    const QString text = QString::fromUtf8(ReadWholeFile(menu).value_or(QByteArray()));
    EXPECT_TRUE(text.contains(QStringLiteral("\nName=Korvatel031234\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=") + client + QStringLiteral(" 031234\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nIcon=")
        + home.FilePath(QStringLiteral("usr/share/icons/hicolor/scalable/apps/korvatel.svg"))));

    ASSERT_EQ(RunCommand({ QStringLiteral("remove-shop"), QStringLiteral("031234") }, &out), 0);
    EXPECT_EQ(out, menu + u'\n' + desktop + u'\n');
    EXPECT_FALSE(QFileInfo::exists(menu));
}

TEST(InstallShopCommand, MissingShopOrClientFails)
{
    TTempHome home;
    EXPECT_EQ(RunCommand({ QStringLiteral("install-shop") }), 2);
    EXPECT_EQ(
        RunCommand({ QStringLiteral("install-shop"), QStringLiteral("1"), QStringLiteral("2") }),
        2);
    EXPECT_EQ(RunCommand({ QStringLiteral("install-shop"), QStringLiteral("1234"),
                  QStringLiteral("--program"), home.FilePath(QStringLiteral("nowhere/korvatel")) }),
        1);
    EXPECT_EQ(RunCommand({ QStringLiteral("remove-shop") }), 2);
    EXPECT_FALSE(QFileInfo::exists(home.FilePath(QStringLiteral(".local/share/applications"))));
}

} // namespace korvatel

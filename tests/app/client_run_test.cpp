#include "app/workspace_instance.h"
#include "support/demo_shop.h"
#include "support/temp_home.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace korvatel
{

using test::TTempHome;

namespace
{

// The client itself, started as a user would start it, in a temporary home.
class ClientRunTest : public ::testing::Test
{
protected:
    TTempHome home;
    QString servers; // the servers.ini of a demo shop; empty: every server is unreachable
    int quitAfter = 300; // the client closes itself after this many milliseconds
    QString output; // the standard output of the last run

    // Places the client under name (unless it stands there) and starts it unattended.
    std::unique_ptr<QProcess> Start(const QString &relativePath, const QStringList &arguments = {})
    {
        const QString program = home.FilePath(relativePath);
        QDir().mkpath(QFileInfo(program).absolutePath());
        if (!QFileInfo::exists(program)) {
            EXPECT_TRUE(QFile::copy(QStringLiteral(KORVATEL_CLIENT), program));
        }
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Without a demo shop the format servers are closed local ports: the start is
        // offline at once, whatever the machine's name service does.
        if (servers.isEmpty()) {
            home.Write(QStringLiteral("offline-servers.ini"),
                "PrimaryURL=http://127.0.0.1:1\r\nSecondaryURL=http://127.0.0.1:1\r\n"
                "TimeServer1=http://127.0.0.1:1\r\nVersionURL=http://127.0.0.1:1\r\n");
            env.insert(QStringLiteral("KORVATEL_SERVERS"),
                home.FilePath(QStringLiteral("offline-servers.ini")));
        } else {
            env.insert(QStringLiteral("KORVATEL_SERVERS"), servers);
        }
        process->setProcessEnvironment(env);
        process->start(program,
            arguments
                + QStringList { QStringLiteral("--unattended"),
                    QStringLiteral("--quit-after=%1").arg(quitAfter) });
        return process;
    }

    // Starts the client as Start does and waits for its end; returns its standard error.
    QString Run(const QString &relativePath, const QStringList &arguments = {})
    {
        const std::unique_ptr<QProcess> process = Start(relativePath, arguments);
        EXPECT_TRUE(process->waitForFinished(30000));
        EXPECT_EQ(process->exitCode(), 0);
        output = QString::fromLocal8Bit(process->readAllStandardOutput());
        return QString::fromLocal8Bit(process->readAllStandardError());
    }

    // Starts the client under bin/ and waits until it holds the workspace.
    std::unique_ptr<QProcess> StartHolding()
    {
        quitAfter = 60000;
        std::unique_ptr<QProcess> process = Start(QStringLiteral("bin/Korvatel1234"));
        const QString lock
            = TWorkspaceInstance::LockPath(home.FilePath(QStringLiteral(".config/korvatel")));
        for (int i = 0; i < 300 && !QFileInfo::exists(lock); ++i)
            QThread::msleep(50);
        EXPECT_TRUE(QFileInfo::exists(lock));
        quitAfter = 300;
        return process;
    }

    QStringList StateLines() const
    {
        return ReadSjisLines(home.FilePath(QStringLiteral("Korvatel/SysData/State.ini")))
            .value_or(QStringList());
    }
};

} // namespace

TEST_F(ClientRunTest, FirstStartMakesTheWorkspaceRunsOfflineAndTheSecondRestoresTheState)
{
    const QString first = Run(QStringLiteral("bin/Korvatel1234"));
    EXPECT_TRUE(first.contains(QStringLiteral("Editor Version "))) << first.toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("基本情報のダウンロード失敗")));
    for (const char *folder :
        { "Works", "Download", "NdxFmt", "SysData", "Temp", "PostCard", "DpeOrder" })
        EXPECT_TRUE(
            QFileInfo(home.FilePath(QStringLiteral("Korvatel/") + QLatin1String(folder))).isDir())
            << folder;
    EXPECT_TRUE(StateLines().contains(QStringLiteral("NailHeights=80")));
    EXPECT_EQ(ReadSjisText(home.FilePath(QStringLiteral(".config/korvatel/windows/LastShop.ini"))),
        QStringLiteral("1234"));

    QStringList lines = StateLines();
    lines.replaceInStrings(QStringLiteral("ListDeSort=FALSE"), QStringLiteral("ListDeSort=TRUE"));
    lines.replaceInStrings(QStringLiteral("NailHeights=80"), QStringLiteral("NailHeights=150"));
    ASSERT_TRUE(WriteSjisLines(home.FilePath(QStringLiteral("Korvatel/SysData/State.ini")), lines));
    Run(QStringLiteral("bin/Korvatel1234"));
    EXPECT_TRUE(StateLines().contains(QStringLiteral("ListDeSort=TRUE")));
    EXPECT_TRUE(StateLines().contains(QStringLiteral("NailHeights=150")));
}

TEST_F(ClientRunTest, ReportsItsFirstCompleteScreenAndEnds)
{
    // The last folder holds three pictures, which the film strip shows at start.
    const QString photos = home.FilePath(QStringLiteral("Pictures/trip"));
    QDir().mkpath(photos);
    QDir().mkpath(home.FilePath(QStringLiteral("Korvatel/SysData")));
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    for (const char *name : { "a.jpg", "b.jpg", "c.jpg" })
        ASSERT_TRUE(picture.save(photos + u'/' + QLatin1String(name), "JPEG"));
    ASSERT_TRUE(WriteSjisLines(home.FilePath(QStringLiteral("Korvatel/SysData/State.ini")),
        { QStringLiteral("LastDir=") + photos }));
    // The strip completes its screen long before the window would close by itself.
    quitAfter = 60000;
    QElapsedTimer clock;
    clock.start();
    Run(QStringLiteral("bin/Korvatel1234"), { QStringLiteral("--report-first-screen") });
    EXPECT_LT(clock.elapsed(), 50000);
    bool number = false;
    const double ms = output.trimmed().toDouble(&number);
    EXPECT_TRUE(number) << output.toStdString();
    EXPECT_GT(ms, 0);
    // It ends without saving: the state file is as it was written.
    EXPECT_EQ(StateLines(), QStringList { QStringLiteral("LastDir=") + photos });
}

TEST_F(ClientRunTest, StartsOnlineAgainstTheDemoShop)
{
    test::TDemoShop shop;
    ASSERT_TRUE(shop.Running()) << shop.StartError().toStdString();
    servers = shop.ServersFile();
    const QString output = Run(QStringLiteral("bin/Korvatel1234"));
    EXPECT_FALSE(output.contains(QStringLiteral("基本情報のダウンロード失敗")))
        << output.toStdString();
    EXPECT_TRUE(QFileInfo::exists(home.FilePath(QStringLiteral("Korvatel/Download/HostFmt.ini"))));
    EXPECT_TRUE(QFileInfo::exists(home.FilePath(QStringLiteral("Korvatel/Download/Hosei.on"))));
}

TEST_F(ClientRunTest, DownloadedClientPlacesItsCopyOnTheDesktopAndStartsIt)
{
    const QString output = Run(QStringLiteral("Downloads/Korvatel1234"));
    EXPECT_TRUE(output.contains(QStringLiteral("をデスクトップに作りました。")))
        << output.toStdString();
    EXPECT_TRUE(QFileInfo(home.FilePath(QStringLiteral("Desktop/Korvatel1234"))).isExecutable());
    // The started copy makes the workspace and saves its state when it closes.
    for (int i = 0; i < 300 && StateLines().isEmpty(); ++i)
        QThread::msleep(100);
    EXPECT_FALSE(StateLines().isEmpty());
}

TEST_F(ClientRunTest, ASecondStartOnTheSameHomeBringsTheFirstToTheFrontAndEnds)
{
    const std::unique_ptr<QProcess> first = StartHolding();
    QElapsedTimer clock;
    clock.start();
    const QString second = Run(QStringLiteral("bin/Korvatel1234"));
    EXPECT_LT(clock.elapsed(), 5000);
    // It ended before its own start windows: no start notice, no workspace of its own.
    EXPECT_FALSE(second.contains(QStringLiteral("Editor Version"))) << second.toStdString();
    QString firstErrors;
    for (int i = 0; i < 100 && !firstErrors.contains(QStringLiteral("a second start")); ++i) {
        first->waitForReadyRead(50);
        firstErrors += QString::fromLocal8Bit(first->readAllStandardError());
    }
    EXPECT_TRUE(firstErrors.contains(QStringLiteral("a second start")))
        << firstErrors.toStdString();
    EXPECT_EQ(first->state(), QProcess::Running);
    first->kill();
    first->waitForFinished();
}

TEST_F(ClientRunTest, AStartTakesOverTheWorkspaceOfAClientThatDied)
{
    const std::unique_ptr<QProcess> first = StartHolding();
    first->kill();
    ASSERT_TRUE(first->waitForFinished());
    // The lock and the socket of the dead run are still there; the next start takes them over.
    const QString next = Run(QStringLiteral("bin/Korvatel1234"));
    EXPECT_TRUE(next.contains(QStringLiteral("Editor Version"))) << next.toStdString();
    // The lock became its own, and went with its end.
    EXPECT_FALSE(QFileInfo::exists(
        TWorkspaceInstance::LockPath(home.FilePath(QStringLiteral(".config/korvatel")))));
}

} // namespace korvatel

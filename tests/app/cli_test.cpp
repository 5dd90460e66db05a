#include "app/cli.h"
#include "app/version.h"

#include <QTextStream>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

struct TCliRun {
    int status;
    QString out;
    QString err;
};

TCliRun Capture(const QStringList &args)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = RunCli(args, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return { status, out, err };
}

} // namespace

TEST(KorvatelCli, VersionPrintsVersionAndBuildStamp)
{
    const TCliRun run = Capture({ QStringLiteral("--version") });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
        QStringLiteral("korvatel-cli %1 (build %2)\n")
            .arg(QLatin1String(kProgramVersion), QLatin1String(kBuildStamp)));
}

TEST(KorvatelCli, WrongCommandLinesExitWithTwo)
{
    EXPECT_EQ(Capture({}).status, 2);
    const TCliRun unknown = Capture({ QStringLiteral("frobnicate") });
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("unknown command: frobnicate")));
    EXPECT_EQ(Capture({ QStringLiteral("cp932-decode") }).status, 2);
    EXPECT_EQ(Capture({ QStringLiteral("--help") }).status, 0);
}

TEST(KorvatelCli, MissingFileFails)
{
    const TCliRun run
        = Capture({ QStringLiteral("cp932-decode"), QStringLiteral("/nonexistent/x") });
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("cannot read")));
}

} // namespace korvatel

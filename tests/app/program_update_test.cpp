#include "app/client_session.h"
#include "app/online_start.h"
#include "app/program_update.h"
#include "demo_session.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "support/app_home.h"
#include "support/demo_shop.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::DemoPrivateKey;
using test::RunSigningTool;
using test::TDemoShopTest;

const TProgramVersion kOwn { QStringLiteral("1.00"), QStringLiteral("2026.12.01.01"),
    QStringLiteral("Korvatel1234") };

// The owner's and the group's and others' permission bits: 0x7000 is "rwx------".
int OwnerOnly(QFileDevice::Permissions permissions)
{
    return int(permissions) & 0x7077;
}

// The update folder of the demo shop, with a program of our own making: a script that leaves a
// marker file when it runs. Each test writes and signs the release it needs.
class TProgramUpdate : public TDemoShopTest
{
protected:
    void SetUp() override
    {
        TDemoShopTest::SetUp();
        config = shop->Config(); // with the demo's certificate authority
        folder
            = QDir(shop->State(QStringLiteral("ServiceDir"))).filePath(QStringLiteral("Korvatel"));
        marker = work.filePath(QStringLiteral("started"));
        update = { config.updateUrl, test::DemoReleaseKeys(),
            work.filePath(QStringLiteral("downloads")), config.Transport() };
    }
    void TearDown() override
    {
        for (const char *suffix : { "", ".manifest", ".manifest.sig" })
            QFile::remove(Served(QString::fromLatin1(suffix)));
    }

    QString Served(const QString &suffix = {}) const
    {
        return QDir(folder).filePath(QStringLiteral("Korvatel1234") + suffix);
    }
    // Serves the marker-writing program, signed as version and build.
    void Release(const QString &version, const QString &build, const QStringList &extra = {})
    {
        ASSERT_TRUE(WriteFileAtomic(
            Served(), "#!/bin/sh\necho started > '" + QFile::encodeName(marker) + "'\n"));
        ASSERT_TRUE(RunSigningTool(
            QStringList { QStringLiteral("release"), QStringLiteral("--key"), DemoPrivateKey(),
                QStringLiteral("--version"), version, QStringLiteral("--build"), build }
            + extra + QStringList { Served() }));
    }
    // Every file left under the staging parent, executable or not.
    QStringList LeftBehind() const
    {
        QStringList files;
        QDirIterator it(update.stagingParent,
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        return files;
    }
    void ExpectRefused(TUpdateFault fault, const char *what)
    {
        SCOPED_TRACE(what);
        const TUpdateOutcome outcome
            = FetchSignedProgram(update, kOwn, QStringLiteral("Korvatel1234"));
        EXPECT_EQ(int(outcome.fault), int(fault));
        EXPECT_TRUE(outcome.program.isEmpty());
        EXPECT_EQ(LeftBehind(), QStringList());
        EXPECT_FALSE(QFile::exists(marker));
    }

    TServerConfig config;
    QString folder;
    QTemporaryDir work;
    QString marker;
    TSignedUpdate update;
};

TEST_F(TProgramUpdate, SignedNewerProgramIsStagedPrivatelyAndRuns)
{
    Release(QStringLiteral("1.01"), QStringLiteral("2026.12.09.01"));
    const TUpdateOutcome outcome = FetchSignedProgram(update, kOwn, QStringLiteral("Korvatel1234"));
    ASSERT_TRUE(outcome.Ok()) << int(outcome.fault);
    EXPECT_EQ(ReadWholeFile(outcome.program), ReadWholeFile(Served()));
    EXPECT_EQ(OwnerOnly(QFileInfo(outcome.program).permissions()), 0x7000);
    const QFileInfo staging(QFileInfo(outcome.program).absolutePath());
    EXPECT_EQ(staging.absolutePath(), QFileInfo(update.stagingParent).absoluteFilePath());
    EXPECT_EQ(OwnerOnly(staging.permissions()), 0x7000);
    EXPECT_EQ(QProcess::execute(outcome.program, {}), 0);
    EXPECT_TRUE(QFile::exists(marker));

    // The same version with a newer build is newer too.
    Release(QStringLiteral("1.00"), QStringLiteral("2026.12.09.01"));
    EXPECT_TRUE(FetchSignedProgram(update, kOwn, QStringLiteral("Korvatel1234")).Ok());
}

TEST_F(TProgramUpdate, UnsignedOrForeignSignedReleasesAreRefused)
{
    Release(QStringLiteral("1.01"), QStringLiteral("2026.12.09.01"));
    const QByteArray signature
        = ReadWholeFile(Served(QStringLiteral(".manifest.sig"))).value_or(QByteArray());
    QFile::remove(Served(QStringLiteral(".manifest.sig")));
    ExpectRefused(TUpdateFault::ufNoManifest, "no signature");

    ASSERT_TRUE(WriteFileAtomic(Served(QStringLiteral(".manifest.sig")), "not a signature\r\n"));
    ExpectRefused(TUpdateFault::ufBadSignature, "garbage signature");

    ASSERT_TRUE(WriteFileAtomic(Served(QStringLiteral(".manifest.sig")), signature));
    QTemporaryDir keys;
    const std::optional<QString> foreign
        = RunSigningTool({ QStringLiteral("keygen"), QStringLiteral("--out"), keys.path() });
    ASSERT_TRUE(foreign);
    update.keys = QStringList { *foreign };
    ExpectRefused(TUpdateFault::ufBadSignature, "another distributor's key");
    update.keys.clear();
    ExpectRefused(TUpdateFault::ufNoReleaseKey, "no key at all");
}

TEST_F(TProgramUpdate, TamperedReleasesAreRefused)
{
    Release(QStringLiteral("1.01"), QStringLiteral("2026.12.09.01"));
    const QByteArray program = ReadWholeFile(Served()).value_or(QByteArray());
    const QByteArray manifest
        = ReadWholeFile(Served(QStringLiteral(".manifest"))).value_or(QByteArray());

    QByteArray raised = manifest;
    raised.replace("Version=1.01", "Version=9.99");
    ASSERT_TRUE(WriteFileAtomic(Served(QStringLiteral(".manifest")), raised));
    ExpectRefused(TUpdateFault::ufBadSignature, "edited manifest");
    ASSERT_TRUE(WriteFileAtomic(Served(QStringLiteral(".manifest")), manifest));

    QByteArray swapped = program;
    swapped[swapped.size() - 2] = 'X'; // same size, other bytes
    ASSERT_TRUE(WriteFileAtomic(Served(), swapped));
    ExpectRefused(TUpdateFault::ufDigest, "program changed after signing");

    ASSERT_TRUE(WriteFileAtomic(Served(), program + QByteArray(100000, 'x')));
    ExpectRefused(TUpdateFault::ufDownload, "program longer than signed");

    Release(QStringLiteral("1.01"), QStringLiteral("2026.12.09.01"),
        { QStringLiteral("--name"), QStringLiteral("Korvatel9999") });
    ExpectRefused(TUpdateFault::ufOtherProgram, "signed for another program");
}

TEST_F(TProgramUpdate, OlderOrSameReleasesAreRefused)
{
    Release(QStringLiteral("0.99"), QStringLiteral("2027.01.01.01"));
    ExpectRefused(TUpdateFault::ufNotNewer, "older version");
    Release(kOwn.version, kOwn.build);
    ExpectRefused(TUpdateFault::ufNotNewer, "this very build");
    Release(kOwn.version, QStringLiteral("2026.11.30.01"));
    ExpectRefused(TUpdateFault::ufNotNewer, "older build");
}

TEST_F(TProgramUpdate, PlainHttpIsRefusedEvenThroughARedirect)
{
    Release(QStringLiteral("1.01"), QStringLiteral("2026.12.09.01"));
    update.updateUrl = shop->ServiceUrl() + QStringLiteral("/Korvatel");
    ExpectRefused(TUpdateFault::ufNotHttps, "http:// update folder");

    update.updateUrl = QStringLiteral("https://127.0.0.1:%1/to-plain/Korvatel")
                           .arg(shop->Port(QStringLiteral("service_tls")));
    ExpectRefused(TUpdateFault::ufNoManifest, "redirect to http://");

    // The certificate must be trusted: without the demo's authority nothing is fetched.
    update.updateUrl = config.updateUrl;
    update.transport.caFile.clear();
    ExpectRefused(TUpdateFault::ufNoManifest, "untrusted certificate");
}

TEST_F(TProgramUpdate, ForcedGateNeverStartsARefusedProgram)
{
    test::TAppHome home;
    // A forced update whose program was changed after signing.
    Release(QStringLiteral("1.01"), QStringLiteral("2026.12.09.01"));
    QByteArray program = ReadWholeFile(Served()).value_or(QByteArray());
    program[program.size() - 2] = 'X';
    ASSERT_TRUE(WriteFileAtomic(Served(), program));

    const std::unique_ptr<TClientSession> session = test::DemoShopSession(home, *shop);
    ASSERT_TRUE(session);
    session->LoadAtCreation();
    ASSERT_TRUE(session->Online());

    QStringList started;
    TScriptedPrompter prompter;
    EXPECT_TRUE(ApplyVersionGate(
        *session, config,
        { QStringLiteral("0.99"), QStringLiteral("2026.12.08.01"), QStringLiteral("Korvatel1234") },
        home.folders, prompter,
        [&](const QString &p) {
            started << p;
            return true;
        },
        update.keys));
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(prompter.Texts().last(),
        QStringLiteral("失敗しました。再挑戦するかホームページからダウンロードして下さい。"));
    QDirIterator it(
        NewProgramStagingParent(home.folders), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        EXPECT_FALSE(QFileInfo(it.next()).isExecutable()) << it.filePath().toStdString();
}

// A build given no release key fetches nothing, whatever is offered and however well it is
// signed, and tells the customer where the new program is to be had instead.
TEST_F(TProgramUpdate, WithoutAReleaseKeyNoUpdateIsFetched)
{
    test::TAppHome home;
    Release(QStringLiteral("1.01"), QStringLiteral("2026.12.09.01"));
    const std::unique_ptr<TClientSession> session = test::DemoShopSession(home, *shop);
    ASSERT_TRUE(session);
    session->LoadAtCreation();
    ASSERT_TRUE(session->Online());
    const QString homepage = QStringLiteral("\r\n\r\nこの注文ソフトは自動更新を受け付けません("
                                            "信頼する署名鍵が組み込まれていません)。新しい注文ソ"
                                            "フトはホームページからダウンロードして下さい。");
    QStringList started;
    const auto start = [&](const QString &p) {
        started << p;
        return true;
    };

    // The demo offers 1.00, build 2026.01.01.01: forced for 0.99, offered to an older build.
    TScriptedPrompter forced;
    EXPECT_TRUE(ApplyVersionGate(*session, config,
        { QStringLiteral("0.99"), QStringLiteral("2026.12.08.01"), QStringLiteral("Korvatel1234") },
        home.folders, forced, start, {}));
    EXPECT_EQ(forced.Texts(),
        QStringList { QStringLiteral("注文ソフトのVersionが変わりました。新Ver 1.00\r\n\r\n現Ver "
                                     "0.99 では継続できません。")
            + homepage });
    TScriptedPrompter offered;
    EXPECT_FALSE(ApplyVersionGate(*session, config,
        { QStringLiteral("1.00"), QStringLiteral("2025.11.30.01"), QStringLiteral("Korvatel1234") },
        home.folders, offered, start, {}));
    EXPECT_EQ(offered.Texts(),
        QStringList { QStringLiteral("新しい注文ソフトがあります。\r\n\r\nUpDate : 現 "
                                     "2025.11.30.01　⇒　新 2026.01.01.01")
            + homepage });
    EXPECT_TRUE(started.isEmpty());
}

// The demo's key pair lies in the source tree: no build may trust it unless told to.
TEST(ReleaseKeys, BuildDoesNotTrustTheDemoKey)
{
    ASSERT_EQ(test::DemoReleaseKeys().size(), 1);
    EXPECT_FALSE(ReleaseKeys().contains(test::DemoReleaseKeys()[0]));
    EXPECT_EQ(
        UpdateTrustLine({}), QStringLiteral("updates: off, this build trusts no release key"));
}

} // namespace

} // namespace korvatel

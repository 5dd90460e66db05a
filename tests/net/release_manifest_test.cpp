#include "net/release_manifest.h"
#include "net/signature.h"
#include "support/demo_shop.h"
#include "text/sjis_file.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

const QByteArray kDigest = QByteArray(64, 'a');

QByteArray Manifest(const QByteArray &extra = {}, const QByteArray &size = "1234")
{
    return "Name=Korvatel1234\r\nVersion=1.01\r\nBuild=2026.12.09.01\r\nSize=" + size
        + "\r\nSHA256=" + kDigest + "\r\n" + extra;
}

TEST(TReleaseManifest, ReadsTheFiveKeysAndWritesThemBack)
{
    const std::optional<TReleaseManifest> manifest = ParseReleaseManifest(Manifest("Note=x\n"));
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->name, QStringLiteral("Korvatel1234"));
    EXPECT_EQ(manifest->version, QStringLiteral("1.01"));
    EXPECT_EQ(manifest->build, QStringLiteral("2026.12.09.01"));
    EXPECT_EQ(manifest->size, 1234);
    EXPECT_EQ(manifest->sha256, QByteArray(32, char(0xaa)));
    EXPECT_EQ(ReleaseManifestText(*manifest), Manifest());
}

TEST(TReleaseManifest, RefusesAnythingOutsideItsRules)
{
    QByteArray missing = Manifest();
    missing.replace("Build=2026.12.09.01\r\n", "");
    const struct {
        const char *what;
        QByteArray text;
    } cases[] = {
        { "empty", {} },
        { "a key missing", missing },
        { "a key twice", Manifest("Version=9.99\r\n") },
        { "a line without a value", Manifest("garbage\r\n") },
        { "a path as name", QByteArray(Manifest()).replace("Korvatel1234", "../bin/sh") },
        { "a blank in the version", QByteArray(Manifest()).replace("1.01", "1. 01") },
        { "size zero", Manifest({}, "0") },
        { "size over the cap", Manifest({}, "536870913") },
        { "size with a sign", Manifest({}, "-5") },
        { "digest too short", QByteArray(Manifest()).replace(kDigest, QByteArray(63, 'a')) },
        { "digest not hex", QByteArray(Manifest()).replace(kDigest, QByteArray(64, 'g')) },
        { "text too long", Manifest(QByteArray(kMaxManifestSize, '#')) },
    };
    for (const auto &c : cases)
        EXPECT_FALSE(ParseReleaseManifest(c.text)) << c.what;
}

TEST(TSignature, VerifiesOnlyTheSignedBytesWithTheRightKey)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("HostFmt.ini"));
    ASSERT_TRUE(WriteFileAtomic(file, "_ServerBuild_=1\r\n"));
    ASSERT_TRUE(test::RunSigningTool(
        { QStringLiteral("shop-data"), QStringLiteral("--key"), test::DemoPrivateKey(), file }));
    const QByteArray signature
        = ReadWholeFile(file + QStringLiteral(".sig")).value_or(QByteArray());
    const std::optional<QString> demoKey = test::RunSigningTool({ QStringLiteral("public-key"),
        QStringLiteral(KORVATEL_SOURCE_DIR "/tools/demo-shop/demo-public-key.pem") });
    const std::optional<QString> otherKey = test::RunSigningTool(
        { QStringLiteral("keygen"), QStringLiteral("--out"), dir.filePath(QStringLiteral("k")) });
    ASSERT_TRUE(demoKey && otherKey);
    EXPECT_TRUE(IsSigningKey(*demoKey));
    EXPECT_FALSE(IsSigningKey(QStringLiteral("bm90IGEga2V5")));

    EXPECT_TRUE(VerifyDetachedSignature("_ServerBuild_=1\r\n", signature, { *demoKey }));
    // Either key of the two may have signed.
    EXPECT_TRUE(VerifyDetachedSignature("_ServerBuild_=1\r\n", signature, { *otherKey, *demoKey }));
    EXPECT_FALSE(VerifyDetachedSignature("_ServerBuild_=2\r\n", signature, { *demoKey }));
    EXPECT_FALSE(VerifyDetachedSignature("_ServerBuild_=1\r\n", signature, { *otherKey }));
    EXPECT_FALSE(VerifyDetachedSignature("_ServerBuild_=1\r\n", signature, {}));
    QByteArray flipped = QByteArray::fromBase64(signature);
    flipped[5] = char(flipped[5] ^ 1);
    EXPECT_FALSE(VerifyDetachedSignature("_ServerBuild_=1\r\n", flipped.toBase64(), { *demoKey }));
    EXPECT_FALSE(VerifyDetachedSignature("_ServerBuild_=1\r\n", "", { *demoKey }));
}

TEST(TSignature, Sha256OfAnOpenDevice)
{
    QByteArray bytes("abc");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(Sha256(buffer).value_or(QByteArray()).toHex(),
        QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}

} // namespace

} // namespace korvatel

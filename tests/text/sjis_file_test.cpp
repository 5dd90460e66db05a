#include "text/sjis_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

QByteArray ReadRaw(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteRaw(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(SjisFile, LinesAreWrittenAsShiftJisWithCrLf)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("State.ini"));
    ASSERT_TRUE(WriteSjisLines(path, { QStringLiteral("LastDir=写真"), QStringLiteral("A=1") }));
    EXPECT_EQ(ReadRaw(path), QByteArray("LastDir=\x8e\xca\x90\x5e\r\nA=1\r\n"));
    EXPECT_EQ(ReadSjisLines(path),
        QStringList({ QStringLiteral("LastDir=写真"), QStringLiteral("A=1") }));
    // Nothing but the file itself is left in the folder: the temporary file was renamed.
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Files), QStringList({ QStringLiteral("State.ini") }));
}

TEST(SjisFile, ReadsEveryLineEndAndNoPhantomLastLine)
{
    EXPECT_EQ(SplitLines(QStringLiteral("a\r\nb\nc\rd")),
        QStringList({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
            QStringLiteral("d") }));
    EXPECT_EQ(SplitLines(QStringLiteral("a\r\n")), QStringList({ QStringLiteral("a") }));
    EXPECT_EQ(
        SplitLines(QStringLiteral("a\r\n\r\n")), QStringList({ QStringLiteral("a"), QString() }));
    EXPECT_TRUE(SplitLines(QString()).isEmpty());
    EXPECT_EQ(JoinLines({ QStringLiteral("a"), QString() }), QStringLiteral("a\r\n\r\n"));
}

TEST(SjisFile, MissingUnreadableAndOversizedFilesAreRefused)
{
    QTemporaryDir dir;
    EXPECT_FALSE(ReadSjisLines(dir.filePath(QStringLiteral("none"))).has_value());
    const QString path = dir.filePath(QStringLiteral("big"));
    WriteRaw(path, QByteArray(5, 'x'));
    EXPECT_FALSE(ReadWholeFile(path, 4).has_value());
    EXPECT_EQ(ReadWholeFile(path, 5), QByteArray(5, 'x'));
    EXPECT_FALSE(ReadWholeFile(dir.path()).has_value()); // a folder is not a file
}

TEST(SjisFile, LineCountsAgreeWithTheSplitAndAbsurdCountsAreRefused)
{
    for (const QByteArray &bytes :
        { QByteArray(), QByteArray("a"), QByteArray("a\r\n"), QByteArray("a\r\n\r\n"),
            QByteArray("a\r\nb\nc\rd"), QByteArray("\r\r\n\n"), QByteArray("\x8e\xca\r\x90\x5e") })
        EXPECT_EQ(CountLines(bytes), SplitLines(QString::fromLatin1(bytes)).size())
            << bytes.toHex().toStdString();
    EXPECT_EQ(SjisLines("a\r\n\x8e\xca\x90\x5e", 2),
        QStringList({ QStringLiteral("a"), QStringLiteral("写真") }));
    EXPECT_FALSE(SjisLines("a\r\nb\r\nc", 2).has_value());

    // A file of line breaks alone is refused before a single line is made.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HostFmt.ini"));
    WriteRaw(path, QByteArray(2 * kMaxTextLines + 2, '\n'));
    EXPECT_FALSE(ReadSjisLines(path).has_value());
    WriteRaw(path, QByteArray(kMaxTextLines, '\n'));
    EXPECT_EQ(ReadSjisLines(path)->size(), kMaxTextLines);
}

TEST(SjisFile, ReadsFilesThatReportNoSize)
{
    // Kernel files report a size of 0 and must still be read to their end.
    const std::optional<QByteArray> mounts = ReadWholeFile(QStringLiteral("/proc/self/mountinfo"));
    ASSERT_TRUE(mounts.has_value());
    EXPECT_TRUE(mounts->contains(" / "));
    EXPECT_FALSE(ReadWholeFile(QStringLiteral("/proc/self/mountinfo"), 10).has_value());
}

TEST(SjisFile, FailedWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    EXPECT_FALSE(WriteFileAtomic(dir.filePath(QStringLiteral("no/such/folder/f")), "x"));

    // A folder in the way cannot be replaced: the write fails and leaves no temporary file.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("folder/inside")));
    EXPECT_FALSE(WriteFileAtomic(dir.filePath(QStringLiteral("folder")), "x"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("folder/inside"))).isDir());

    const QString path = dir.filePath(QStringLiteral("keep"));
    WriteRaw(path, "old");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool written = WriteFileAtomic(path, "new");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (written)
        GTEST_SKIP() << "running with privileges that ignore folder permissions";
    EXPECT_EQ(ReadRaw(path), QByteArray("old"));
}

} // namespace korvatel

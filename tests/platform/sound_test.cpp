#include "platform/sound.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QUrl>
#include <QtEndian>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

QStringList gMessages;

void Capture(QtMsgType, const QMessageLogContext &, const QString &message)
{
    gMessages.append(message);
}

void ProcessEventsFor(int msecs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < msecs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

TEST(PlayResourceSound, PlaysSilentlyAndLeavesOtherMessagesAlone)
{
    gMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(Capture);
    PlayResourceSound(QStringLiteral("SHT_SWAV"));
    PlayResourceSound(QStringLiteral("sht_lwav"));
    PlayResourceSound(QStringLiteral("SHT_SWAV")); // again while the first may still sound
    PlayResourceSound(QStringLiteral("NO_SUCH_WAV"));
    ProcessEventsFor(400);
    const QStringList during = gMessages;
    qInfo("after the sounds");
    qInstallMessageHandler(previous);

    EXPECT_TRUE(during.isEmpty()) << during.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(gMessages, QStringList(QStringLiteral("after the sounds")))
        << "the message handler in place before is back";
}

TEST(PlayResourceSound, ResourcesAreShortMonoWaveFiles)
{
    PlayResourceSound(QStringLiteral("unknown")); // makes the resources available
    for (const char *name : { "SHT_SWAV", "SHT_LWAV" }) {
        const QString url = SoundResourceUrl(QLatin1String(name));
        ASSERT_FALSE(url.isEmpty()) << name;
        QFile file(QLatin1Char(':') + QUrl(url).path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray wav = file.readAll();
        ASSERT_GE(wav.size(), 44);
        EXPECT_EQ(wav.left(4), "RIFF");
        EXPECT_EQ(wav.mid(8, 4), "WAVE");
        EXPECT_EQ(wav[22], 1) << "mono";
        EXPECT_EQ(qFromLittleEndian<quint32>(wav.constData() + 24), 22050u);
        EXPECT_EQ(wav[34], 16) << "16-bit";
    }
    EXPECT_TRUE(SoundResourceUrl(QStringLiteral("SHT")).isEmpty());
}

} // namespace korvatel

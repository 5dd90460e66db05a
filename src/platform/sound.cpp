#include "platform/sound.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QHash>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

// Resources of a static library are only linked in when something asks for them by name.
static void InitSoundResources()
{
    Q_INIT_RESOURCE(platform_sounds);
}

namespace korvatel
{

namespace
{

const char *const kSoundNames[] = { "SHT_SWAV", "SHT_LWAV" };

QtMessageHandler gOuterHandler = nullptr;

// What Qt's audio layer says on a machine without a sound server or device; nothing the user
// or a log reader can act on, since sounds are optional.
bool IsNoAudioNotice(const QString &message)
{
    return message.contains(QLatin1String("PulseAudioService"))
        || message.contains(QLatin1String("pa_context_connect"))
        || message.contains(QLatin1String("No audio device detected"));
}

void QuietAudioHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (IsNoAudioNotice(message))
        return;
    if (gOuterHandler)
        gOuterHandler(type, context, message);
}

// Drops the no-audio notices while it lives and hands every other message to the handler that
// was there before.
class TQuietAudio
{
public:
    TQuietAudio() { gOuterHandler = qInstallMessageHandler(QuietAudioHandler); }
    ~TQuietAudio() { qInstallMessageHandler(gOuterHandler); }
    TQuietAudio(const TQuietAudio &) = delete;
    TQuietAudio &operator=(const TQuietAudio &) = delete;
};

} // namespace

QString SoundResourceUrl(const QString &name)
{
    for (const char *known : kSoundNames) {
        if (name.compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
            return QStringLiteral("qrc:/sounds/%1.wav").arg(QLatin1String(known));
    }
    return {};
}

void PlayResourceSound(const QString &name)
{
    [[maybe_unused]] static const bool resourcesReady = (InitSoundResources(), true);

    const QString url = SoundResourceUrl(name);
    QCoreApplication *app = QCoreApplication::instance();
    if (url.isEmpty() || !app || QThread::currentThread() != app->thread())
        return;

    TQuietAudio quiet;
    if (QMediaDevices::audioOutputs().isEmpty())
        return;
    // One effect per sound, owned by the application so it outlives the call and plays to the
    // end; a second shutter while the first still sounds starts it over.
    static QHash<QString, QPointer<QSoundEffect>> effects;
    QPointer<QSoundEffect> &effect = effects[url];
    if (!effect) {
        effect = new QSoundEffect(app);
        effect->setSource(QUrl(url));
    }
    effect->stop();
    effect->play();
}

} // namespace korvatel

#include "app/workspace_instance.h"

#include "platform/private_files.h"
#include "platform/prompter.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <unistd.h>

namespace korvatel
{

namespace
{

// The knock of a later start and the answer of the running one, each one line.
constexpr char kKnock[] = "raise";
constexpr char kAnswer[] = "raised";
// Anything longer than a knock without its line end is no knock.
constexpr qint64 kMaxKnock = 64;

QString CleanFolder(const QString &configDir)
{
    return QDir::cleanPath(QFileInfo(configDir).absoluteFilePath());
}

} // namespace

TWorkspaceInstance::TWorkspaceInstance(const QString &configDir, QObject *parent)
    : QObject(parent)
    , FFolder(CleanFolder(configDir))
    , FName(ServerName(configDir))
{
}

TWorkspaceInstance::~TWorkspaceInstance()
{
    Release();
}

QString TWorkspaceInstance::ServerName(const QString &configDir)
{
    const QByteArray digest
        = QCryptographicHash::hash(CleanFolder(configDir).toUtf8(), QCryptographicHash::Sha256);
    const QString name = QStringLiteral("korvatel-%1-%2")
                             .arg(::getuid())
                             .arg(QString::fromLatin1(digest.toHex().left(16)));
    // The runtime folder is the user's alone; the temporary folder is shared, so the name
    // carries the user as well.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(name);
    return name;
}

QString TWorkspaceInstance::LockPath(const QString &configDir)
{
    return QDir(CleanFolder(configDir)).filePath(QStringLiteral("korvatel.lock"));
}

TInstanceClaim TWorkspaceInstance::Claim(int waitMs)
{
    if (Knock(waitMs))
        return TInstanceClaim::icKnocked;
    MakePrivateFolder(FFolder);
    FLock = std::make_unique<QLockFile>(LockPath(FFolder));
    // Only a lock of a process that is gone is stale: a run may last for days.
    FLock->setStaleLockTime(0);
    if (!FLock->tryLock(0) && FLock->error() == QLockFile::LockFailedError) {
        FLock.reset();
        // The holder may have taken the lock a moment ago and not be listening yet.
        const QDeadlineTimer deadline(waitMs);
        while (!deadline.hasExpired()) {
            if (Knock(int(deadline.remainingTime())))
                return TInstanceClaim::icKnocked;
            QThread::msleep(100);
        }
        return TInstanceClaim::icLocked;
    }
    // A lock file that cannot be written at all (a read-only folder) keeps nobody out. A
    // socket left behind by a run that is gone is removed before listening.
    QLocalServer::removeServer(FName);
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(FServer, &QLocalServer::newConnection, this, &TWorkspaceInstance::Answer);
    FServer->listen(FName);
    return TInstanceClaim::icFirst;
}

void TWorkspaceInstance::Release()
{
    if (FServer) {
        FServer->close();
        delete FServer;
        FServer = nullptr;
    }
    FLock.reset();
}

bool TWorkspaceInstance::Knock(int waitMs) const
{
    const QDeadlineTimer deadline(waitMs);
    QLocalSocket socket;
    socket.connectToServer(FName);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(kKnock);
    socket.write("\n");
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return socket.readLine().trimmed() == kAnswer;
}

void TWorkspaceInstance::Answer()
{
    while (QLocalSocket *socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxKnock)
                    socket->abort();
                return;
            }
            const bool knock = socket->readLine(kMaxKnock).trimmed() == kKnock;
            if (knock) {
                socket->write(kAnswer);
                socket->write("\n");
                socket->flush();
            }
            socket->disconnectFromServer();
            if (knock)
                Q_EMIT knocked();
        });
    }
}

bool ClaimWorkspace(TWorkspaceInstance &instance, TPrompter &prompter, int waitMs)
{
    switch (instance.Claim(waitMs)) {
    case TInstanceClaim::icFirst:
        return true;
    case TInstanceClaim::icKnocked:
        return false;
    case TInstanceClaim::icLocked:
        prompter.Inform(AlreadyRunningText());
        return false;
    }
    return false;
}

QString AlreadyRunningText()
{
    return QStringLiteral("Korvatelは既に起動しています。");
}

} // namespace korvatel

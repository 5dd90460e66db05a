#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

namespace korvatel
{

class TPrompter;

// How a start stands to a run of the program already at work on the same workspace.
enum class TInstanceClaim {
    icFirst, // this run holds the workspace
    icKnocked, // a running one answered the knock and brings its window to the front
    icLocked, // a running one holds the workspace but did not answer
};

// One program per workspace. The workspace here is the one of the user's folders: the
// program's configuration folder (<config>/korvatel, with LastShop.ini and the drive table),
// the same for every start with the same HOME. The work folder itself is no key: it is chosen
// only after the start notice and can move to another drive.
//
// The first run locks the workspace with a lock file in that folder (a lock left by a process
// that is gone is taken over) and listens on a local socket whose name is derived from the
// user and the folder's path, open to this user alone. A later start knocks there; the first
// run answers and emits knocked(), and the later one ends.
class TWorkspaceInstance : public QObject
{
    Q_OBJECT

public:
    explicit TWorkspaceInstance(const QString &configDir, QObject *parent = nullptr);
    ~TWorkspaceInstance() override;

    // Knocks on a running one; when none answers, takes the lock and listens. waitMs bounds
    // the wait for an answer (and, when the lock is held, for its holder to start listening).
    TInstanceClaim Claim(int waitMs = 3000);
    // Gives the workspace up, before this run starts the copy of the program that is to take
    // its place (the desktop copy, a new version, the restart after a move).
    void Release();

    // The local socket of a configuration folder: a full path in $XDG_RUNTIME_DIR when that is
    // set, else a name that Qt places in the temporary folder.
    static QString ServerName(const QString &configDir);
    // The lock file in a configuration folder.
    static QString LockPath(const QString &configDir);

Q_SIGNALS:
    void knocked();

private:
    bool Knock(int waitMs) const;
    void Answer();

    QString FFolder;
    QString FName;
    std::unique_ptr<QLockFile> FLock;
    QLocalServer *FServer = nullptr;
};

// The claim at the start of the program: true to go on. When a running one holds the
// workspace but cannot be reached within waitMs, the prompter says so.
bool ClaimWorkspace(TWorkspaceInstance &instance, TPrompter &prompter, int waitMs = 3000);
QString AlreadyRunningText();

} // namespace korvatel

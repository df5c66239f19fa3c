#pragma once
// One running program per data folder. The first start holds a lock file and
// listens on a local socket; a later start finds the lock taken, asks the
// first one through the socket to bring its window forward, and ends.
//
// That lock file lies in the user's runtime folder, which another login
// session, a `sudo -u` or a container does not share: the data folder itself
// holds a file lock as well (Telvora21.lck), so a start from any of those
// finds the folder taken all the same. The system drops a file lock with
// the process that held it, so a killed instance never leaves it stale.
//
// Keyed on the data folder rather than the user alone: what must never be
// shared by two processes is the set of address books in that folder, and a
// second data folder (a test run, a copy for another office) is a different
// program instance as far as the user is concerned.

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // key: any text naming what must be single (hashed into file and socket
    // names); dataFolder: the folder that also gets the file lock (none when empty).
    explicit TSingleInstance(const QString& key, const QString& dataFolder = QString(), QObject* parent = nullptr);
    ~TSingleInstance() override;

    // True when this process is now the one instance (and listens for later
    // starts). False when another instance runs: it has then been asked to
    // come forward and the caller ends, or, with Unreachable(), it holds the
    // lock but does not answer and the caller tells the user so.
    //
    // A lock whose holder does not answer within a few seconds is taken over
    // unless the holder is this program on this data folder: a killed
    // instance's number may since have gone to any other process. A runtime
    // lock that cannot be written (a full or read-only runtime folder) is no
    // sign of another copy: the start goes on, kept apart from others by the
    // data folder's lock alone.
    bool Acquire();
    bool Unreachable() const { return unreachable_; }
    // How long a holder that does not answer is waited for (tests shorten it).
    void SetAnswerTimeout(int ms) { answerTimeoutMs_ = ms; }

    // Name of the local socket the first instance listens on.
    const QString& ServerName() const { return serverName_; }
    // The file in the data folder that is locked; empty without a data folder.
    const QString& FolderLockPath() const { return folderLockPath_; }

signals:
    // A later start asked this instance to show its window.
    void activationRequested();

private:
    bool notifyRunning() const;
    void onNewConnection();

    bool holderRunsHere(qint64 pid) const;
    bool lockDataFolder();

    QString serverName_;
    QString lockPath_;
    QString folderLockPath_;
    int folderLockFd_ = -1;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    bool unreachable_ = false;
    int answerTimeoutMs_ = 3000;
};

// The key the program uses: its data folder, made canonical so that two
// spellings of one folder meet.
QString SingleInstanceKeyForDataFolder(const QString& dataFolder);

#pragma once
// One running program per data folder. The first start holds a lock file and
// listens on a local socket; a later start finds the lock taken, asks the
// first one through the socket to bring its window forward, and ends.
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
    // key: any text naming what must be single (hashed into file and socket names).
    explicit TSingleInstance(const QString& key, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // True when this process is now the one instance (and listens for later
    // starts). False when another instance runs; it has then been asked to
    // come forward, and the caller should end.
    bool Acquire();

    // Name of the local socket the first instance listens on.
    const QString& ServerName() const { return serverName_; }

signals:
    // A later start asked this instance to show its window.
    void activationRequested();

private:
    bool notifyRunning() const;
    void onNewConnection();

    QString serverName_;
    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

// The key the program uses: its data folder, made canonical so that two
// spellings of one folder meet.
QString SingleInstanceKeyForDataFolder(const QString& dataFolder);

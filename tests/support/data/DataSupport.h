#pragma once
// Helpers for tests that link no widgets: whole-file reads and writes, an
// independent AES, a throw-away data folder, and storage under pressure.

#include <QByteArray>
#include <QScopeGuard>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <sys/resource.h>

// Whole-file reads and writes for setting up and checking stored files.
QByteArray ReadFile(const QString& path);
bool WriteFile(const QString& path, const QByteArray& data);

// AES-128-ECB without padding through the openssl command, an implementation
// independent of ours; nothing when the command is missing.
std::optional<QByteArray> OpensslAes(bool decrypt, const QByteArray& data, const QByteArray& key);

// Points DataFolder/DataPath at a fresh temporary folder (created with its
// sub-folders) for the life of the object; AppPath stays the test binary's
// folder, where the build copies Common/ and Dic/.
class TTempDataFolder {
public:
    TTempDataFolder();
    ~TTempDataFolder();
    QString path() const; // with trailing '/'

private:
    QTemporaryDir dir_;
};

// SQLite's own size limit (max_page_count) on every connection opened to
// one file while the object lives: that file's disk fills as a real one
// does, with no mock. Set(0) lifts the limit for connections opened later.
class TPageLimit {
public:
    TPageLimit(const QString& file, int pages);
    ~TPageLimit();
    void Set(int pages);
};

// A file size limit (ulimit -f) while the object lives; writes past it fail with EFBIG (SIGXFSZ ignored).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(qint64 bytes);
    ~TFileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &before_); }
    Q_DISABLE_COPY_MOVE(TFileSizeLimit)

private:
    rlimit before_{};
};

// flock(2) failing with `error` until the guard goes, as on a FUSE or network file system without it.
[[nodiscard]] QScopeGuard<std::function<void()>> NoFlock(int error);

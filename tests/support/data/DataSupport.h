#pragma once
// Helpers for tests that link no widgets: whole-file reads and writes, an
// independent AES, a throw-away data folder and a small disk for one book.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <optional>

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

// A disk that really fills up: a tmpfs of `bytes` mounted on a temporary
// folder for the life of the object (unmounted and removed after). Mounting
// needs root; Mounted() is false otherwise, with SkipReason() to say so.
class TSmallDisk {
public:
    explicit TSmallDisk(qint64 bytes);
    ~TSmallDisk();
    TSmallDisk(const TSmallDisk&) = delete;
    TSmallDisk& operator=(const TSmallDisk&) = delete;
    bool Mounted() const { return mounted_; }
    const QString& SkipReason() const { return skipReason_; }
    QString path() const { return dir_.path(); }
    // Writes a filler file until the disk refuses any more; Free removes it.
    void Fill();
    void Free();

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString skipReason_;
};

// A file size limit (ulimit -f) of `bytes` for this process while the
// object lives, with SIGXFSZ ignored so that writes past it fail with EFBIG.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(qint64 bytes);
    ~TFileSizeLimit();
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    unsigned long long soft_ = 0; // the limit before, RLIM_INFINITY included
    bool set_ = false;
};

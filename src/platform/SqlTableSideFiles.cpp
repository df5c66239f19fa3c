#include "platform/SqlTableSideFiles.h"

#include "platform/FileErrors.h"
#include "platform/SqlTable.h"
#include "platform/SqlTableLog.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// The engine's lock bytes of a table's file: the pending and reserved bytes
// at 1 GiB and the 510 shared bytes after them. A connection in WAL mode
// holds a shared one for its whole life; one in exclusive locking mode
// holds them all.
constexpr off_t kFileLockBytes = 0x40000000;
constexpr off_t kFileLockLength = 2 + 510;
// The index's lock bytes: 120 onwards, the last (128) held shared by every
// live connection that shares the index.
constexpr off_t kIndexLockBytes = 120;
constexpr off_t kIndexLockLength = 9;
constexpr qint64 kIndexHeaderBytes = 136;

struct TFd {
    int fd = -1;
    TFd() = default;
    explicit TFd(int f) : fd(f) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Takes an open-file write lock on len bytes from start of fd without
// waiting; false when any connection, of this process or another, holds a
// lock there. Held until fd is closed.
bool lockIdleRange(int fd, off_t start, off_t len)
{
    struct flock lock{};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = len;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

QByteArray sidePath(const QString& fileName, const char* suffix)
{
    return QFile::encodeName(fileName) + suffix;
}

bool isRegular(const QByteArray& path, struct stat* st = nullptr)
{
    struct stat s{};
    const bool regular = ::lstat(path.constData(), &s) == 0 && S_ISREG(s.st_mode);
    if (st)
        *st = s;
    return regular;
}

TReadAt readerOf(int fd)
{
    return [fd](qint64 offset, char* out, qint64 len) {
        qint64 done = 0;
        while (done < len) {
            const ssize_t n = ::pread(fd, out + done, size_t(len - done), off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    };
}

// Renames each side file present to "<side>.set-aside-<stamp>", one stamp
// for all, never over an existing file. The log goes first: an index left
// without its log is begun anew by the engine, a log left without its index
// would still be taken in.
QStringList renameAside(const QString& fileName, std::initializer_list<const char*> suffixes)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1;; ++n) {
        const QString tail = QStringLiteral(".set-aside-") + stamp + (n > 1 ? QStringLiteral("-%1").arg(n) : QString());
        bool free = true;
        for (const char* suffix : suffixes)
            free = free && ::access((sidePath(fileName, suffix) + QFile::encodeName(tail)).constData(), F_OK) != 0;
        if (!free)
            continue;
        QStringList moved;
        for (const char* suffix : suffixes) {
            const QByteArray from = sidePath(fileName, suffix);
            if (!isRegular(from))
                continue;
            const QByteArray to = from + QFile::encodeName(tail);
            if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
                const int error = errno;
                // A file system without the no-replace rename: the name was
                // free a moment ago, and only another setting aside takes it.
                if ((error != EINVAL && error != ENOSYS) || ::rename(from.constData(), to.constData()) != 0) {
                    if (moved.isEmpty()) // nothing set aside yet: the open must not go on
                        throw ESqlTableError(QStringLiteral("%1 の更新記録を移せません").arg(fileName),
                                             FileErrorCause(error == EINVAL || error == ENOSYS ? errno : error));
                    continue;
                }
            }
            moved << QFile::decodeName(to);
        }
        return moved;
    }
}

// How the log beside the file (fileFd, or -1 for none yet) fits it; the
// caller holds the file's and the index's lock bytes, so no connection
// starts on either meanwhile.
TLeftLogFit judgeBeside(int fileFd, const QString& fileName, int indexFd)
{
    const QByteArray wal = sidePath(fileName, "-wal");
    struct stat logStat{}, fileStat{};
    TFd log(::open(wal.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (log.fd < 0 || ::fstat(log.fd, &logStat) != 0 || !S_ISREG(logStat.st_mode) ||
        (fileFd >= 0 && ::fstat(fileFd, &fileStat) != 0))
        return TLeftLogFit::Empty;
    TLeftLog left;
    left.logSize = logStat.st_size;
    left.log = readerOf(log.fd);
    left.fileSize = fileFd >= 0 ? fileStat.st_size : 0; // no file: every committed frame is foreign
    left.file = readerOf(fileFd);
    if (indexFd >= 0) {
        left.index.resize(kIndexHeaderBytes);
        if (!readerOf(indexFd)(0, left.index.data(), kIndexHeaderBytes))
            left.index.clear();
    }
    const TLeftLogFit fit = JudgeLeftLog(left);
    if (fit != TLeftLogFit::Unknown)
        return fit;
    // No page of the log is known to be in the file. Its own file was then
    // last written before the log was (a fold copies only pages whose
    // latest image is already in the log): a file put in place (renamed
    // over, made anew, restored) after the log's last write is not its own.
    const auto after = [](const timespec& a, const timespec& b) {
        return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
    };
    return after(fileStat.st_ctim, logStat.st_mtim) ? TLeftLogFit::Foreign : TLeftLogFit::Unknown;
}

} // namespace

// A book opened while it could not be written leaves its side files with
// its mode: read-only files the engine then opens for reading only, so every
// write to the mended book failed until they were deleted by hand. The
// owner's write is given back to the owner's own side files (changing a mode
// takes nothing from a program that has them open).
void MendSideFileModes(const QString& fileName)
{
    struct stat book{};
    if (::stat(QFile::encodeName(fileName).constData(), &book) != 0 || !(book.st_mode & S_IWUSR))
        return;
    for (const char* suffix : {"-wal", "-shm"}) {
        const QByteArray side = sidePath(fileName, suffix);
        struct stat st{};
        if (isRegular(side, &st) && st.st_uid == ::geteuid() && !(st.st_mode & S_IWUSR))
            ::chmod(side.constData(), (st.st_mode | S_IWUSR) & 07777);
    }
}

// Side files of the engine that a failed open may have made (on a full disk
// the log index cannot grow, and the open fails after both were created).
// They are removed only when nothing could be lost: the log is empty, and no
// connection anywhere holds a lock on the book's lock bytes or on the
// index's. The book's lock tells it all: a connection in WAL mode holds one
// there for its whole life, and one in exclusive locking mode keeps its
// index in memory and writes into a log that stays empty until its commit.
// Both ranges stay locked while the files go, so no connection starts on
// them meanwhile.
void RemoveIdleSideFiles(const QString& fileName)
{
    const QByteArray wal = sidePath(fileName, "-wal");
    const QByteArray shm = sidePath(fileName, "-shm");
    const TFd book(::open(QFile::encodeName(fileName).constData(), O_RDWR | O_CLOEXEC));
    if (book.fd < 0 || !lockIdleRange(book.fd, kFileLockBytes, kFileLockLength))
        return;
    struct stat st{};
    if (::stat(wal.constData(), &st) == 0 && st.st_size > 0)
        return; // committed rows not yet in the book
    const TFd index(::open(shm.constData(), O_RDWR | O_CLOEXEC));
    if (index.fd >= 0 ? !lockIdleRange(index.fd, kIndexLockBytes, kIndexLockLength) : errno != ENOENT)
        return;
    ::unlink(wal.constData());
    ::unlink(shm.constData());
}

QStringList SetAsideForeignLog(const QString& fileName, bool newFile)
{
    const QByteArray wal = sidePath(fileName, "-wal");
    const QByteArray shm = sidePath(fileName, "-shm");
    const QByteArray journal = sidePath(fileName, "-journal");
    struct stat walStat{}, journalStat{};
    const bool hasLog = isRegular(wal, &walStat) && walStat.st_size > 0;
    const bool hasIndex = isRegular(shm);
    const bool hasJournal = newFile && isRegular(journal, &journalStat) && journalStat.st_size > 0;
    if (!hasLog && !hasIndex && !hasJournal)
        return {}; // the usual case: nothing beside the file
    const auto inUse = [&] {
        return ESqlTableError(QStringLiteral("%1 の更新記録は他で使用中です").arg(fileName), FileErrorCause(EWOULDBLOCK),
                              ESqlTableError::TKind::InUse);
    };
    // Held until the end: no connection starts on the file or the index
    // while they are judged and moved.
    TFd file(::open(QFile::encodeName(fileName).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (file.fd >= 0 && !lockIdleRange(file.fd, kFileLockBytes, kFileLockLength)) {
        if (newFile)
            throw inUse();
        return {}; // a live connection to this very file: its side files are its own
    }
    if (file.fd < 0 && !newFile)
        return {}; // a file that cannot be written is refused by the open for that
    TFd index;
    if (hasIndex) {
        index.fd = ::open(shm.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        // Someone uses the log, and not with this file: with the file it has
        // open (renamed away, deleted) it must keep it, and this file must
        // not share it.
        if (index.fd >= 0 && !lockIdleRange(index.fd, kIndexLockBytes, kIndexLockLength))
            throw inUse();
    }
    // A log without a committed frame gives the engine nothing to take in,
    // and an index alone is begun anew: both are left where they are.
    if (!hasJournal && (!hasLog || judgeBeside(newFile ? -1 : file.fd, fileName, index.fd) != TLeftLogFit::Foreign))
        return {};
    if (newFile)
        return renameAside(fileName, {"-wal", "-shm", "-journal"});
    return renameAside(fileName, {"-wal", "-shm"});
}

void SyncFolder(const QString& folder)
{
    const TFd fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.fd >= 0)
        ::fsync(fd.fd);
}

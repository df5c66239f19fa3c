// Whether the bytes of a table's file were replaced in place under it
// ("cp backup.DB Book.DB" writes into the same file: the path keeps its
// file, so the engine cannot tell that the file it opened is gone).
//
// With the log, the only writer of the file that keeps the engine's locks is
// a fold of the log into it, by any connection (another table of this
// process, another copy of the program, the sqlite3 shell). Every fold marks
// in the log's index, before it writes a page, how far it means to copy,
// and a log begun again gets new salts. The file's stat changing while none
// of that moved is therefore a write by a program that keeps no lock: the
// table's cache, its log and any fold of it would mix the old book into the
// new bytes. What remains: a replacement that a fold of another connection
// happens to accompany, and a file system whose timestamps are too coarse
// to show it.
#include "platform/SqlTable.h"

#include <QFile>
#include <QScopeGuard>
#include <sqlite3.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>
#include <sys/stat.h>

namespace
{

constexpr int kIndexRegion = 32768; // the engine's mapping unit of the index
constexpr int kCheckpointLock = 1;  // the index lock a fold holds exclusively
constexpr int kSaltAt = 32;         // in the index's first header copy
constexpr int kFoldedAt = 96;       // frames folded into the file
constexpr int kFoldBegunAt = 128;   // frames a fold set out to copy, marked before it writes

sqlite3_file* mainFile(sqlite3* db)
{
    sqlite3_file* f = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &f) != SQLITE_OK || !f || !f->pMethods ||
        f->pMethods->iVersion < 2 || !f->pMethods->xShmMap || !f->pMethods->xShmLock)
        return nullptr;
    return f;
}

quint32 indexWord(const volatile uchar* index, int at)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        reinterpret_cast<uchar*>(&v)[i] = index[at + i];
    return v;
}

} // namespace

// The file as last seen by any table of this process, one record per
// file: a fold by the table of one window is then no cover for a file
// replaced before the table of another window looks again.
struct TSqlFileSeen {
    std::mutex mutex;
    bool known = false;
    qint64 size = 0;
    qint64 stamps[2] = {}; // mtime, s and ns
    quint32 folds[4] = {};  // the log's salts, frames folded, frames a fold set out to copy
};

namespace
{

std::mutex seenMutex;
std::vector<std::pair<std::pair<dev_t, ino_t>, std::weak_ptr<TSqlFileSeen>>> seenFiles;

std::shared_ptr<TSqlFileSeen> seenRecord(const struct stat& st)
{
    const std::lock_guard lock(seenMutex);
    std::erase_if(seenFiles, [](const auto& e) { return e.second.expired(); });
    for (const auto& [id, seen] : seenFiles)
        if (id == std::make_pair(st.st_dev, st.st_ino))
            return seen.lock();
    auto seen = std::make_shared<TSqlFileSeen>();
    seenFiles.push_back({{st.st_dev, st.st_ino}, seen});
    return seen;
}

} // namespace

// True (from then on) when the file's bytes changed since a table of this
// process last looked and no fold of the log began meanwhile. Looked at
// while no fold runs (the table holds the fold's lock shared), so a fold's
// writes are never taken for another program's; while one runs, the next
// look decides.
bool TSqlTable::fileRewritten()
{
    if (rewritten_)
        return true;
    if (!db_ || !wal_)
        return false;
    sqlite3_file* f = mainFile(db_);
    if (!f || f->pMethods->xShmLock(f, kCheckpointLock, 1, SQLITE_SHM_LOCK | SQLITE_SHM_SHARED) != SQLITE_OK)
        return false;
    const auto unlock =
        qScopeGuard([f] { f->pMethods->xShmLock(f, kCheckpointLock, 1, SQLITE_SHM_UNLOCK | SQLITE_SHM_SHARED); });
    volatile void* region = nullptr;
    struct stat st{};
    if (f->pMethods->xShmMap(f, 0, kIndexRegion, 0, &region) != SQLITE_OK || !region ||
        ::stat(QFile::encodeName(fileName_).constData(), &st) != 0)
        return false; // a file gone from its path is told by the engine's own check
    f->pMethods->xShmBarrier(f);
    const auto* index = static_cast<const volatile uchar*>(region);
    // The change time is left out: a chmod, a chown or a new hard link moves
    // it without touching a byte, and a user who mends a mode must not find
    // the book refused.
    const qint64 stamps[2] = {st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    const quint32 folds[4] = {indexWord(index, kSaltAt), indexWord(index, kSaltAt + 4), indexWord(index, kFoldedAt),
                              indexWord(index, kFoldBegunAt)};
    if (!seen_)
        seen_ = seenRecord(st);
    const std::lock_guard lock(seen_->mutex);
    const bool sameFile = seen_->size == st.st_size && std::memcmp(stamps, seen_->stamps, sizeof stamps) == 0;
    if (!seen_->known || sameFile || std::memcmp(folds, seen_->folds, sizeof folds) != 0) {
        seen_->known = true;
        seen_->size = st.st_size;
        std::memcpy(seen_->stamps, stamps, sizeof stamps);
        std::memcpy(seen_->folds, folds, sizeof folds);
        return false;
    }
    rewritten_ = true;
    return true;
}

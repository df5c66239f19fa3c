#pragma once
// Whether a write-ahead log found beside a table's file, with no connection
// using it, may be taken into that file.
//
// Nothing in the engine's files names the file a log was written for: the
// engine takes any "<file>-wal" it finds into "<file>". A log left by a
// book that was deleted, or by one that another file was renamed over, would
// then be written into a file it was never part of (damaged, or its rows
// replaced by another book's). What the files do tell: the file changes only
// when a log is folded into it, and a fold copies each page's latest image,
// so every page whose latest image lies in the folded part of the log is
// the same in its own file, byte for byte. The index file ("-shm") says how
// far the log was folded.

#include <QByteArray>
#include <QtGlobal>
#include <functional>

// Reads len bytes at offset into out; false when fewer are there.
using TReadAt = std::function<bool(qint64 offset, char* out, qint64 len)>;

enum class TLeftLogFit {
    Empty,   // no committed frame: the engine takes nothing from it
    NoOp,    // each page it holds is the file's page already, the file its size
    Agrees,  // the pages it folded are the file's; the rest is newer, not folded yet
    Unknown, // no page of it is known folded, and it differs: the files cannot say whose it is
    Foreign, // a page it folded is not the file's, or its pages are of another size
};

struct TLeftLog {
    qint64 logSize = 0;
    TReadAt log;
    QByteArray index; // the index file's first bytes (its header), empty when there is none
    qint64 fileSize = 0;
    TReadAt file;
};

// Reads the log's committed frames (checksums, salts and commit marks as the
// engine checks them, so exactly the frames it would take) and holds them
// against the file. Bounded by the log's size; any bytes are safe.
TLeftLogFit JudgeLeftLog(const TLeftLog& left);

#include "platform/SqlTableLog.h"

#include <cstring>
#include <unordered_map>
#include <vector>

namespace
{

constexpr qint64 kLogHeader = 32;
constexpr qint64 kFrameHeader = 24;
constexpr quint32 kLogMagic = 0x377f0682; // the low bit tells the checksums' byte order
constexpr quint32 kLogVersion = 3007000;
constexpr int kIndexHeader = 48;          // one copy of the index's header; two stand in a row
constexpr int kIndexBackfill = 2 * kIndexHeader; // frames folded into the file so far

quint32 big32(const uchar* p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

quint32 little32(const uchar* p)
{
    return quint32(p[3]) << 24 | quint32(p[2]) << 16 | quint32(p[1]) << 8 | quint32(p[0]);
}

// The index file is written in the machine's own byte order.
quint32 native32(const uchar* p)
{
    quint32 v;
    std::memcpy(&v, p, 4);
    return v;
}

// The engine's running checksum over 32-bit words, two at a time.
struct TChecksum {
    quint32 (*word)(const uchar*);
    quint32 s1 = 0;
    quint32 s2 = 0;
    void add(const uchar* p, qint64 n) // n is a multiple of 8
    {
        for (qint64 i = 0; i + 8 <= n; i += 8) {
            s1 += word(p + i) + s2;
            s2 += word(p + i + 4) + s1;
        }
    }
};

struct TFrame {
    quint32 page;
    qint64 at; // offset of the page's bytes in the log
};

// The log's committed frames in order, as the engine's recovery finds them:
// up to the last commit before the first frame that fails its salt or
// checksum. pageSize and commitPages (the file's size in pages after the
// last commit) are set when any frame is found.
std::vector<TFrame> committedFrames(const TLeftLog& left, quint32& pageSize, quint32& commitPages, QByteArray& salt)
{
    std::vector<TFrame> frames;
    uchar head[kLogHeader];
    if (left.logSize < kLogHeader || !left.log(0, reinterpret_cast<char*>(head), kLogHeader))
        return frames;
    const quint32 magic = big32(head);
    pageSize = big32(head + 8);
    if ((magic & ~1u) != kLogMagic || big32(head + 4) != kLogVersion || pageSize < 512 || pageSize > 65536 ||
        (pageSize & (pageSize - 1)) != 0)
        return frames;
    TChecksum sum{(magic & 1) ? big32 : little32};
    sum.add(head, 24);
    if (sum.s1 != big32(head + 24) || sum.s2 != big32(head + 28))
        return frames;
    salt = QByteArray(reinterpret_cast<const char*>(head + 16), 8);
    std::vector<uchar> frame(size_t(kFrameHeader + pageSize));
    size_t committed = 0;
    for (qint64 at = kLogHeader; at + qint64(frame.size()) <= left.logSize; at += qint64(frame.size())) {
        if (!left.log(at, reinterpret_cast<char*>(frame.data()), qint64(frame.size())))
            break;
        const quint32 page = big32(frame.data());
        if (page == 0 || std::memcmp(frame.data() + 8, head + 16, 8) != 0)
            break;
        sum.add(frame.data(), 8);
        sum.add(frame.data() + kFrameHeader, pageSize);
        if (sum.s1 != big32(frame.data() + 16) || sum.s2 != big32(frame.data() + 20))
            break;
        frames.push_back({page, at + kFrameHeader});
        if (const quint32 pages = big32(frame.data() + 4); pages != 0) {
            committed = frames.size();
            commitPages = pages;
        }
    }
    frames.resize(committed);
    return frames;
}

// How many of the log's frames the index says are folded into the file; 0
// when the index is missing, damaged, or of another log (its salt differs:
// the log was begun again since).
quint32 foldedFrames(const QByteArray& index, quint32 pageSize, const QByteArray& salt, size_t committed)
{
    if (index.size() < kIndexBackfill + 4)
        return 0;
    const auto* h = reinterpret_cast<const uchar*>(index.constData());
    if (std::memcmp(h, h + kIndexHeader, kIndexHeader) != 0 || native32(h) != kLogVersion || h[12] != 1)
        return 0;
    TChecksum sum{native32};
    sum.add(h, 40);
    if (sum.s1 != native32(h + 40) || sum.s2 != native32(h + 44))
        return 0;
    quint16 storedSize;
    std::memcpy(&storedSize, h + 14, 2);
    const quint32 indexPageSize = (storedSize & 0xfe00u) + ((storedSize & 1u) << 16);
    const quint32 maxFrame = native32(h + 16);
    const quint32 folded = native32(h + kIndexBackfill);
    if (indexPageSize != pageSize || std::memcmp(h + 32, salt.constData(), 8) != 0 || maxFrame > committed ||
        folded > maxFrame)
        return 0;
    return folded;
}

} // namespace

TLeftLogFit JudgeLeftLog(const TLeftLog& left)
{
    quint32 pageSize = 0, commitPages = 0;
    QByteArray salt;
    const std::vector<TFrame> frames = committedFrames(left, pageSize, commitPages, salt);
    if (frames.empty())
        return TLeftLogFit::Empty;
    if (left.fileSize < 100)
        return TLeftLogFit::Foreign; // no file the log could have been written for
    uchar header[2];
    if (!left.file(16, reinterpret_cast<char*>(header), 2))
        return TLeftLogFit::Foreign;
    const quint32 filePageSize = header[0] == 0 && header[1] == 1 ? 65536u : quint32(header[0]) << 8 | header[1];
    if (filePageSize != pageSize)
        return TLeftLogFit::Foreign;

    const quint32 folded = foldedFrames(left.index, pageSize, salt, frames.size());
    // Each page's latest frame. A fold copies a page only when its latest
    // frame is within the frames folded (an earlier image is never copied),
    // so exactly those pages are the file's already, as long as the file is
    // still that long.
    std::unordered_map<quint32, size_t> latest;
    for (size_t i = 0; i < frames.size(); ++i)
        latest[frames[i].page] = i;
    std::vector<char> inLog(pageSize), inFile(pageSize);
    const auto same = [&](quint32 page, qint64 at) {
        return left.log(at, inLog.data(), pageSize) &&
               left.file(qint64(page - 1) * pageSize, inFile.data(), pageSize) &&
               std::memcmp(inLog.data(), inFile.data(), pageSize) == 0;
    };
    bool anyFolded = false;
    for (const auto& [page, i] : latest) {
        if (i >= folded || page > commitPages)
            continue;
        if (!same(page, frames[i].at))
            return TLeftLogFit::Foreign;
        anyFolded = true;
    }
    bool allSame = left.fileSize == qint64(commitPages) * pageSize;
    for (auto it = latest.begin(); allSame && it != latest.end(); ++it)
        allSame = it->first > commitPages || same(it->first, frames[it->second].at);
    if (allSame)
        return TLeftLogFit::NoOp;
    return anyFolded ? TLeftLogFit::Agrees : TLeftLogFit::Unknown;
}

// A write-ahead log left beside a table's file, held against that file:
// any log, index and file bytes are judged without reading outside them, and
// a log judged against no file is never taken for that file's own. Input:
// the log's and the index's lengths (4 bytes each, little-endian), the log,
// the index, then the file.
#include "FuzzSupport.h"
#include "platform/SqlTableLog.h"

#include <algorithm>
#include <cstring>

namespace
{

TReadAt readerOf(const QByteArray& bytes)
{
    return [&bytes](qint64 offset, char* out, qint64 len) {
        if (offset < 0 || len < 0 || offset > bytes.size() || len > bytes.size() - offset)
            return false;
        std::memcpy(out, bytes.constData() + offset, size_t(len));
        return true;
    };
}

quint32 lengthAt(const uint8_t* p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    size_t rest = size - 8;
    const size_t logLength = std::min<size_t>(lengthAt(data), rest);
    rest -= logLength;
    const size_t indexLength = std::min<size_t>(lengthAt(data + 4), rest);
    const auto* at = reinterpret_cast<const char*>(data + 8);
    const QByteArray log(at, qsizetype(logLength));
    const QByteArray index(at + logLength, qsizetype(indexLength));
    const QByteArray file(at + logLength + indexLength, qsizetype(rest - indexLength));

    TLeftLog left;
    left.logSize = log.size();
    left.log = readerOf(log);
    left.index = index;
    left.fileSize = file.size();
    left.file = readerOf(file);
    const TLeftLogFit fit = JudgeLeftLog(left);
    FuzzCheck(JudgeLeftLog(left) == fit, "the same files are judged the same");

    static const QByteArray none;
    left.fileSize = 0;
    left.file = readerOf(none);
    const TLeftLogFit alone = JudgeLeftLog(left);
    FuzzCheck(alone == TLeftLogFit::Empty || alone == TLeftLogFit::Foreign, "a log with no file is no file's own");
    FuzzCheck((alone == TLeftLogFit::Empty) == (fit == TLeftLogFit::Empty), "whether a log holds frames is the log's");
    return 0;
}

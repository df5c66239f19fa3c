#include "drawing/objects/StreamIO.h"

#include "platform/Cp932.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QtEndian>

#include <cstring>

namespace {

[[noreturn]] void Fail(const char* what)
{
    throw EDrawRectStreamError(what);
}

// Reads exactly Count bytes whose count came from the stream itself. On a
// device of known size a count beyond its end fails before any allocation;
// on a sequential device the block grows only as bytes actually arrive.
QByteArray ReadCountedBlock(QIODevice& Stream, qint64 Count)
{
    QByteArray block;
    if (Count == 0)
        return block;
    if (!Stream.isSequential()) {
        if (Count > Stream.size() - Stream.pos())
            Fail("item record: string runs past the end of the data");
        block.resize(Count);
        ReadStreamBytes(Stream, block.data(), Count);
        return block;
    }
    constexpr qint64 kChunk = 64 * 1024;
    while (block.size() < Count) {
        const qint64 part = std::min(kChunk, Count - block.size());
        const qsizetype at = block.size();
        block.resize(at + part);
        ReadStreamBytes(Stream, block.data() + at, part);
    }
    return block;
}

qint32 ReadCount(QIODevice& Stream, qint32 limit)
{
    const qint32 n = ReadStreamInt32(Stream);
    if (n < 0)
        Fail("item record: negative string length");
    if (n > limit)
        Fail("item record: string length out of range");
    return n;
}

// A string longer than a reader accepts would make the whole container
// unreadable: refuse it here, where the failure can still be reported.
void WriteCount(QIODevice& Stream, qsizetype n, qint32 limit)
{
    if (n > limit)
        Fail("item record: string too long to store");
    WriteStreamInt32(Stream, static_cast<qint32>(n));
}

template <typename T>
T ReadLittle(QIODevice& Stream)
{
    uchar raw[sizeof(T)];
    ReadStreamBytes(Stream, raw, sizeof raw);
    return qFromLittleEndian<T>(raw);
}

template <typename T>
void WriteLittle(QIODevice& Stream, T value)
{
    uchar raw[sizeof(T)];
    qToLittleEndian<T>(value, raw);
    WriteStreamBytes(Stream, raw, sizeof raw);
}

} // namespace

void ReadStreamBytes(QIODevice& Stream, void* Data, qint64 Count)
{
    char* out = static_cast<char*>(Data);
    qint64 done = 0;
    while (done < Count) {
        const qint64 got = Stream.read(out + done, Count - done);
        if (got <= 0)
            Fail("item record: unexpected end of data");
        done += got;
    }
}

void WriteStreamBytes(QIODevice& Stream, const void* Data, qint64 Count)
{
    if (Count > 0 && Stream.write(static_cast<const char*>(Data), Count) != Count)
        Fail("item record: write failed");
}

quint8 ReadStreamByte(QIODevice& Stream)
{
    return ReadLittle<quint8>(Stream);
}

bool ReadStreamBool(QIODevice& Stream)
{
    return ReadStreamByte(Stream) != 0;
}

quint16 ReadStreamWord(QIODevice& Stream)
{
    return ReadLittle<quint16>(Stream);
}

qint32 ReadStreamInt32(QIODevice& Stream)
{
    return ReadLittle<qint32>(Stream);
}

double ReadStreamDouble(QIODevice& Stream)
{
    const quint64 bits = ReadLittle<quint64>(Stream);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void WriteStreamByte(QIODevice& Stream, quint8 Value)
{
    WriteLittle<quint8>(Stream, Value);
}

void WriteStreamBool(QIODevice& Stream, bool Value)
{
    WriteStreamByte(Stream, Value ? 1 : 0);
}

void WriteStreamWord(QIODevice& Stream, quint16 Value)
{
    WriteLittle<quint16>(Stream, Value);
}

void WriteStreamInt32(QIODevice& Stream, qint32 Value)
{
    WriteLittle<qint32>(Stream, Value);
}

void WriteStreamDouble(QIODevice& Stream, double Value)
{
    quint64 bits;
    std::memcpy(&bits, &Value, sizeof bits);
    WriteLittle<quint64>(Stream, bits);
}

void ReadStreamStr(QIODevice& Stream, QByteArray& S)
{
    const qint32 n = ReadCount(Stream, kMaxStreamStrBytes);
    QByteArray bytes = ReadCountedBlock(Stream, n);
    for (char& c : bytes)
        c = static_cast<char>(~static_cast<uchar>(c));
    S = std::move(bytes);
}

void ReadStreamStr(QIODevice& Stream, QString& S)
{
    QByteArray bytes;
    ReadStreamStr(Stream, bytes);
    S = cp932::Decode(bytes);
}

void WriteStreamStr(const QByteArray& S, QIODevice& Stream)
{
    WriteCount(Stream, S.size(), kMaxStreamStrBytes);
    if (S.isEmpty())
        return;
    QByteArray inverted(S.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < S.size(); ++i)
        inverted[i] = static_cast<char>(~static_cast<uchar>(S[i]));
    WriteStreamBytes(Stream, inverted.constData(), inverted.size());
}

void WriteStreamStr(const QString& S, QIODevice& Stream)
{
    WriteStreamStr(cp932::Encode(S), Stream);
}

void WriteStreamStr(const char* S, QIODevice& Stream)
{
    WriteStreamStr(QByteArray(S ? S : ""), Stream);
}

void ReadStreamWStr(QIODevice& Stream, QString& S)
{
    const qint32 n = ReadCount(Stream, kMaxStreamWStrUnits);
    const QByteArray raw = ReadCountedBlock(Stream, qint64(n) * 2);
    QString text(n, Qt::Uninitialized);
    const uchar* p = reinterpret_cast<const uchar*>(raw.constData());
    for (qint32 i = 0; i < n; ++i)
        text[i] = QChar(static_cast<char16_t>(qFromLittleEndian<quint16>(p + 2 * i) ^ 0xFFFF));
    S = std::move(text);
}

void WriteStreamWStr(const QString& S, QIODevice& Stream)
{
    WriteCount(Stream, S.size(), kMaxStreamWStrUnits);
    if (S.isEmpty())
        return;
    QByteArray raw(S.size() * 2, Qt::Uninitialized);
    uchar* p = reinterpret_cast<uchar*>(raw.data());
    for (qsizetype i = 0; i < S.size(); ++i)
        qToLittleEndian<quint16>(S[i].unicode() ^ 0xFFFF, p + 2 * i);
    WriteStreamBytes(Stream, raw.constData(), raw.size());
}

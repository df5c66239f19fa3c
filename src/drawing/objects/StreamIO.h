#pragma once
// Little-endian primitives and the stream strings of item records.
//
// Item records are read from layout files, default-object files, clipboard
// data and undo steps. None of these is trusted: every count is checked
// before anything is allocated, and every short read or failed write raises
// EDrawRectStreamError, which the loader or saver of the container reports.

#include <QtGlobal>
#include <stdexcept>

class QByteArray;
class QIODevice;
class QString;

class EDrawRectStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Upper bounds for one stream string (bytes for narrow strings, UTF-16 units
// for wide ones). Item texts are far smaller; the bound keeps a damaged count
// from asking for gigabytes on a device whose size is unknown, and writing
// refuses a longer string rather than store a record nobody can read back.
inline constexpr qint32 kMaxStreamStrBytes = 16 * 1024 * 1024;
inline constexpr qint32 kMaxStreamWStrUnits = kMaxStreamStrBytes / 2;

void ReadStreamBytes(QIODevice& Stream, void* Data, qint64 Count);
void WriteStreamBytes(QIODevice& Stream, const void* Data, qint64 Count);

quint8 ReadStreamByte(QIODevice& Stream);
bool ReadStreamBool(QIODevice& Stream); // one byte, any non-zero value is True
quint16 ReadStreamWord(QIODevice& Stream);
qint32 ReadStreamInt32(QIODevice& Stream);
double ReadStreamDouble(QIODevice& Stream);

void WriteStreamByte(QIODevice& Stream, quint8 Value);
void WriteStreamBool(QIODevice& Stream, bool Value); // 0 or 1
void WriteStreamWord(QIODevice& Stream, quint16 Value);
void WriteStreamInt32(QIODevice& Stream, qint32 Value);
void WriteStreamDouble(QIODevice& Stream, double Value);

// Narrow string: Int32 byte count n, then n bytes each XOR 0xFF. The bytes
// are code page 932; the QString forms convert on the way.
void ReadStreamStr(QIODevice& Stream, QByteArray& S);
void ReadStreamStr(QIODevice& Stream, QString& S);
void WriteStreamStr(const QByteArray& S, QIODevice& Stream);
void WriteStreamStr(const QString& S, QIODevice& Stream);
void WriteStreamStr(const char* S, QIODevice& Stream); // bytes as they stand

// Wide string: Int32 count n of UTF-16 units, then n units, little-endian,
// each XOR 0xFFFF.
void ReadStreamWStr(QIODevice& Stream, QString& S);
void WriteStreamWStr(const QString& S, QIODevice& Stream);

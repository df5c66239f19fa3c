#pragma once
// The file form of a display list (TMetafileEx): what the mask shapes and
// other stored recordings are kept in. docs/formats.md describes the bytes.
//
// Reading trusts nothing: every count is checked against the bytes that are
// left before anything is allocated, every number must be finite and within
// bounds, and a file that fails anywhere leaves the target list unchanged.

#include <QByteArray>
#include <QString>

class QIODevice;
class TMetafileEx;

inline constexpr char kMetafileMagic[4] = {'T', 'V', 'M', 'F'};
inline constexpr quint16 kMetafileFormatVersion = 1;

// The list as bytes, and back. ReadMetafileBytes replaces Metafile only when
// the whole of Data reads; otherwise it returns false with the reason.
QByteArray WriteMetafileBytes(const TMetafileEx& Metafile);
bool ReadMetafileBytes(const QByteArray& Data, TMetafileEx& Metafile, QString* Error = nullptr);

// Files: the writer replaces the file whole (temporary file and rename) or
// leaves it as it was.
bool SaveMetafileFile(const TMetafileEx& Metafile, const QString& FileName, QString* Error = nullptr);
bool LoadMetafileFile(const QString& FileName, TMetafileEx& Metafile, QString* Error = nullptr);

#pragma once
// A minimal concrete item for the tests of the drawing objects, stream
// helpers, and the golden byte fixtures under tests/data/drawing.

#include "core/common/FontUtils.h"
#include "drawing/objects/DrawRect.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>
#include <initializer_list>
#include <ostream>

template <int Tag>
class TTestItemT : public TDrawRect {
public:
    explicit TTestItemT(quint8 kind = 11) : kind_(kind) {}
    quint8 GetKind() const override { return kind_; }
    void Draw(TCanvas*, qint32, qint32) override {}
    void Print(TCanvas*, qint32, qint32) override {}

private:
    quint8 kind_;
};
using TTestItem = TTestItemT<0>;

inline void PrintTo(const TRect& r, std::ostream* os)
{
    *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}

// Reads a fixture of whitespace-separated hex bytes; '#' starts a comment.
inline QByteArray LoadHexFixture(const char* name)
{
    const QString path = QStringLiteral(TELVORA_TEST_DATA_DIR "/drawing/") + name;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "missing fixture " << path.toStdString();
        return {};
    }
    QByteArray hex;
    for (const QByteArray& line : f.readAll().split('\n'))
        hex += line.left(line.indexOf('#') < 0 ? line.size() : line.indexOf('#'));
    return QByteArray::fromHex(hex.simplified().replace(' ', ""));
}

// The layout version of the file being read, for the life of the object.
class TFileVersionScope {
public:
    explicit TFileVersionScope(qint32 version) { DrawRectFileVersion = version; }
    ~TFileVersionScope() { DrawRectFileVersion = saved_; }
    TFileVersionScope(const TFileVersionScope&) = delete;
    TFileVersionScope& operator=(const TFileVersionScope&) = delete;

private:
    qint32 saved_ = DrawRectFileVersion;
};

// The bytes `write` puts on a stream.
template <class Write>
QByteArray Written(Write write)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    write(out);
    return out.data();
}

inline QByteArray SavedRecord(const TDrawRect& item)
{
    return Written([&](QIODevice& out) { item.SaveToStream(out); });
}

// Loads a record into the item (throwing as loading does); the bytes it took.
inline qint64 LoadRecord(TDrawRect& item, const QByteArray& bytes)
{
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    item.LoadFromStream(in);
    return in.pos();
}

// The same for a record written at `version`.
inline qint64 LoadRecord(TDrawRect& item, const QByteArray& bytes, qint32 version)
{
    TFileVersionScope scope(version);
    return LoadRecord(item, bytes);
}

// A dialog's child widget by object name; a missing one fails the test.
template <class T>
T* Child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// 12-point ＭＳ 明朝, the face the stored samples use.
inline TFont Mincho()
{
    TFont f;
    SetFontAttr(&f, SHIFTJIS_CHARSET, QStringLiteral("ＭＳ 明朝"), 12, 0);
    return f;
}

#pragma once
// A minimal concrete item for the tests of the drawing-object base, and the
// golden byte fixtures under tests/data/drawing.

#include "drawing/objects/DrawRect.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>
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
    const QString path = QFileInfo(QString::fromUtf8(__FILE__)).absolutePath() + "/../data/drawing/" + name;
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

// Background records: the first byte chooses the layout version (below 301
// there is no UpsideDown byte), the rest is the record. A record either reads
// or raises the stream error; what reads saves and reads back the same.

#include "FuzzQt.h"
#include "drawing/objects/BackImage.h"
#include "drawing/objects/StreamIO.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzStartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    DrawRectFileVersion = data[0] & 1 ? 300 : DrawRectCurrentVersion;
    QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    TBackImage b;
    try {
        b.LoadFromStream(in);
    } catch (const EDrawRectStreamError&) {
        return 0;
    }
    b.SetPaperSize(QPoint(1000, 1480));
    b.SetRect(TRect(0, 0, 60, 80));
    b.SetZoom(0.5);
    b.Refresh(true);

    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::WriteOnly);
    b.SaveToStream(out);
    DrawRectFileVersion = DrawRectCurrentVersion;
    QBuffer again(&saved);
    again.open(QIODevice::ReadOnly);
    TBackImage back;
    back.LoadFromStream(again); // what we wrote must read
    QByteArray resaved;
    QBuffer out2(&resaved);
    out2.open(QIODevice::WriteOnly);
    back.SaveToStream(out2);
    if (resaved != saved)
        std::abort();
    return 0;
}

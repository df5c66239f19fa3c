// BMP files, as a file and as a block inside a stored record.

#include "FuzzQt.h"
#include "drawing/objects/ImageUtils.h"
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
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)BmpDpiOf(bytes);
    const QImage img = DecodeBmp(bytes);
    if (!img.isNull() && img.format() != QImage::Format_BGR888)
        std::abort();
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    try {
        const QImage read = ReadBmpFromStream(in);
        // Our writer's bytes read back to the same pixels.
        if (DecodeBmp(EncodeBmp(read)) != read)
            std::abort();
    } catch (const EDrawRectStreamError&) {
    }
    return 0;
}

// JPEG data: the density scan and the decoder; a bad stream returns, it
// never ends the process.

#include "FuzzQt.h"
#include "drawing/objects/ImageUtils.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzStartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qint32 dpi = JpegDpiOf(bytes);
    if (dpi <= 0)
        std::abort();
    const QImage img = TJPEGImage {bytes}.Decode();
    if (!img.isNull() && img.format() != QImage::Format_BGR888)
        std::abort();
    return 0;
}

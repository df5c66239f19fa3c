// BMP files: reading them (with the reader's allocation limit our own
// picture limit needs), writing the stored 24-bit form, and the form inside
// a stored record.

#include "drawing/objects/ImageUtils.h"

#include "core/common/Units.h"
#include "drawing/objects/StreamIO.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstring>

qint32 BmpDpiOf(const QByteArray& Data)
{
    // Only the 40-byte info header is read for its resolution.
    if (Data.size() < 42)
        return 72;
    const auto* p = reinterpret_cast<const uchar*>(Data.constData());
    if (qFromLittleEndian<qint32>(p + 14) != 40)
        return 72;
    const qint32 ppm = qFromLittleEndian<qint32>(p + 38);
    const qint64 dpi = RoundHalfUp(static_cast<long double>(ppm) / 1000 * 25.4L);
    return dpi <= 0 || dpi > 100000 ? 72 : qint32(dpi);
}

namespace {

// What the header of a BMP file says, as far as the decoding goes.
struct BmpLayout {
    quint32 headerSize = 0;
    qint64 width = 0, height = 0; // height negative: top-down
    quint16 bits = 0;
    quint32 compression = 0;
    quint32 masks[4] = {}; // red, green, blue, alpha of 16- and 32-bit pixels
    qint64 start = 0;      // where the reader takes the first pixel row from
};

constexpr quint32 kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

std::optional<BmpLayout> ReadBmpLayout(const QByteArray& Data)
{
    if (Data.size() < 26 || !Data.startsWith("BM"))
        return std::nullopt;
    // The old 12-byte header holds 16-bit sizes; every longer one 32-bit
    // sizes, the compression from 20 bytes on.
    const auto* p = reinterpret_cast<const uchar*>(Data.constData());
    BmpLayout b;
    b.headerSize = qFromLittleEndian<quint32>(p + 14);
    if (b.headerSize < 12 || 14 + qint64(b.headerSize) > Data.size())
        return std::nullopt;
    const bool core = b.headerSize < 16;
    b.width = core ? qFromLittleEndian<quint16>(p + 18) : qFromLittleEndian<qint32>(p + 18);
    b.height = core ? qFromLittleEndian<quint16>(p + 20) : qFromLittleEndian<qint32>(p + 22);
    b.bits = qFromLittleEndian<quint16>(p + (core ? 24 : 28));
    b.compression = b.headerSize >= 20 ? qFromLittleEndian<quint32>(p + 30) : kBiRgb;
    // The reader takes the pixels from the file's pixel offset only when
    // that lies past what it read before them: the header, the colour
    // masks a 40-byte header is followed by, the palette. An offset
    // pointing inside those is passed over, and the pixels are counted
    // from where the reader really starts.
    qint64 after = 14 + qint64(b.headerSize);
    if (b.bits == 16 && b.compression == kBiRgb) {
        b.masks[0] = 0x7C00, b.masks[1] = 0x03E0, b.masks[2] = 0x001F;
    } else if ((b.bits == 16 || b.bits == 32) && b.compression == kBiBitfields) {
        // The masks lie inside the 52-, 56-, 108- and 124-byte headers (the
        // last three with an alpha mask), after the others.
        const bool inside = b.headerSize == 52 || b.headerSize == 56 || b.headerSize >= 108;
        const qint64 at = inside ? 54 : after;
        if (at + 12 > Data.size())
            return std::nullopt;
        for (int i = 0; i < 3; ++i)
            b.masks[i] = qFromLittleEndian<quint32>(p + at + 4 * i);
        if (inside && b.headerSize >= 56)
            b.masks[3] = qFromLittleEndian<quint32>(p + 66);
        if (!inside)
            after += 12;
    } else if (b.bits <= 8) {
        const quint32 used = b.headerSize >= 36 ? qFromLittleEndian<quint32>(p + 46) : 0;
        after += qint64(used ? std::min<quint32>(used, 256) : 1U << b.bits) * (core ? 3 : 4);
    }
    b.start = std::max<qint64>(qFromLittleEndian<quint32>(p + 10), after);
    return b;
}

// A channel of n bits brought to 0-255 by repeating its bits below it, as
// other readers do: the full value is white, 255, not 248.
uchar ScaledChannel(quint32 pixel, quint32 mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask), n = std::bit_width(mask >> shift);
    const quint32 v = (pixel & mask) >> shift;
    if (n >= 8)
        return uchar(v >> (n - 8));
    quint32 r = 0;
    int bits = 0;
    for (; bits < 8; bits += n)
        r = (r << n) | v;
    return uchar(r >> (bits - 8));
}

// 16-bit pixels and 32-bit pixels with colour masks. Qt's reader leaves the
// low bits of a channel narrower than 8 bits empty (white came out as
// 248, 252, 248) and makes nothing of one wider; these are read here. An
// alpha mask makes transparent pixels show on white, as the reader's
// 32-bit pictures do.
QImage DecodeMaskedBmp(const QByteArray& Data, const BmpLayout& b)
{
    const int w = int(b.width), h = int(std::abs(b.height));
    const bool alpha = b.masks[3] != 0;
    QImage img(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_BGR888);
    if (img.isNull())
        return {};
    const qsizetype stride = ((qsizetype(w) * b.bits + 31) / 32) * 4, bytes = b.bits / 8;
    const auto* rows = reinterpret_cast<const uchar*>(Data.constData()) + b.start;
    for (int y = 0; y < h; ++y) {
        const uchar* s = rows + stride * y;
        uchar* d = img.scanLine(b.height > 0 ? h - 1 - y : y);
        for (int x = 0; x < w; ++x, s += bytes) {
            const quint32 px = bytes == 2 ? qFromLittleEndian<quint16>(s) : qFromLittleEndian<quint32>(s);
            const uchar r = ScaledChannel(px, b.masks[0]), g = ScaledChannel(px, b.masks[1]),
                        bl = ScaledChannel(px, b.masks[2]);
            if (alpha) {
                reinterpret_cast<QRgb*>(d)[x] = qRgba(r, g, bl, ScaledChannel(px, b.masks[3]));
            } else {
                d[x * 3] = bl;
                d[x * 3 + 1] = g;
                d[x * 3 + 2] = r;
            }
        }
    }
    return To24Bit(img);
}

// Whether run-length pixels reach the end of the picture: an end-of-bitmap
// code, which leaves what follows as a delta leaves what it skips (other
// readers take it so), or an end of line closing the last row. Bytes that
// run out first mean a cut file, whose missing rows the reader would leave
// as the bitmap it was given holds them. The walk takes the bytes as the
// reader does: a run reaching past the bottom row's end is cut there (and an
// absolute run then takes only the bytes it keeps), a delta stops at the
// picture's last row and column.
bool RunLengthComplete(const QByteArray& Data, const BmpLayout& b)
{
    const bool four = b.compression == kBiRle4;
    const qint64 w = b.width, h = b.height, stride = (w + 3) & ~qint64(3), n = Data.size();
    const auto* d = reinterpret_cast<const uchar*>(Data.constData());
    qint64 at = b.start, x = 0, y = 0, p = (h - 1) * stride;
    const qint64 end = p + w;
    const auto next = [&](qint64& v) {
        if (at >= n)
            return false;
        v = d[at++];
        return true;
    };
    while (y < h) {
        qint64 count = 0, code = 0;
        if (!next(count) || !next(code))
            return false;
        if (count > 0) { // a run of one value (two in turn for four bits)
            count = std::min(count, end - p);
            x += count, p += count;
        } else if (code == 0) { // end of line
            x = 0, ++y;
            p = (h - 1 - y) * stride;
        } else if (code == 1) {
            return true;
        } else if (code == 2) { // delta: right and up
            qint64 dx = 0, dy = 0;
            if (!next(dx) || !next(dy))
                return false;
            x = std::min(x + dx, w - 1), y = std::min(y + dy, h - 1);
            p = (h - 1 - y) * stride + x;
        } else { // absolute: `code` pixels as they are, to a 16-bit boundary
            count = std::min(code, end - p);
            const qint64 bytes = four ? (count + 1) / 2 : count;
            if (at + bytes > n)
                return false;
            at += bytes + (bytes & 1);
            x += count, p += count;
        }
    }
    return true;
}

// Pictures up to kMaxImagePixels load, and a layout stores them as 24-bit
// BMPs, which Qt's reader takes back in at four bytes a pixel and only up
// to its allocation limit (128 MB, some 33.5 million pixels, unless
// raised). The limit is raised to what our own limit needs as this library
// is loaded, so every program and test reading pictures has the same; a
// higher limit is left as it is.
[[maybe_unused]] const bool kReaderLimitRaised = [] {
    constexpr qint64 needMb = (kMaxImagePixels * 4 + (1 << 20) - 1) >> 20;
    if (QImageReader::allocationLimit() > 0 && QImageReader::allocationLimit() < needMb)
        QImageReader::setAllocationLimit(int(needMb));
    return true;
}();

} // namespace

QImage DecodeBmp(const QByteArray& Data)
{
    // The header must be whole and uncompressed pixel rows must all be
    // there: the reader would otherwise make up what is missing (a 29-byte
    // file gave thousands of rows) or leave rows as the heap held them.
    const std::optional<BmpLayout> layout = ReadBmpLayout(Data);
    if (!layout)
        return {};
    const BmpLayout& b = *layout;
    const qint64 w = b.width, h = b.height;
    if (!ImageSizeAcceptable(w, std::abs(h)))
        return {};
    // The picture is stored as a 24-bit BMP, which the reader takes in at
    // four bytes a pixel and only up to its allocation limit; a palette or
    // run-length picture beyond that would load but never read back from a
    // saved layout.
    if (const qint64 limitMb = QImageReader::allocationLimit(); limitMb > 0 && w * std::abs(h) * 4 > (limitMb << 20))
        return {};
    const quint32 compression = b.compression;
    QByteArray copy = Data;
    if (compression == kBiRgb || compression == kBiBitfields) {
        // Every pixel must be there; the padding after the last row need not
        // (many writers stop at the last pixel), and the reader gets it as
        // zeros.
        const qint64 stride = ((w * b.bits + 31) / 32) * 4;
        const qint64 end = b.start + stride * std::abs(h);
        if (end - stride + (w * b.bits + 7) / 8 > Data.size())
            return {};
        if (end > copy.size())
            copy.append(QByteArray(qsizetype(end - copy.size()), '\0'));
        if (b.bits == 16 || (b.bits == 32 && compression == kBiBitfields))
            return DecodeMaskedBmp(copy, b);
    }
    const quint32 headerSize = b.headerSize;
    if (headerSize == 52 || headerSize == 56) {
        // The 40-byte header with its colour masks (and an alpha mask), as
        // image editors write it; the reader knows the masks only inside the
        // 108-byte header, which holds them at the same places.
        const qsizetype more = 108 - qsizetype(headerSize);
        copy.insert(14 + qsizetype(headerSize), QByteArray(more, '\0'));
        auto* q = reinterpret_cast<uchar*>(copy.data());
        qToLittleEndian<quint32>(108, q + 14);
        const quint32 offset = qFromLittleEndian<quint32>(q + 10);
        qToLittleEndian<quint32>(offset < 14 + headerSize ? 14 + 108 : quint32(offset + more), q + 10);
    }
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    // A top-down file reports its height as it is stored, negative.
    const QSize size = reader.size();
    if (!ImageSizeAcceptable(size.width(), std::abs(size.height())))
        return {};
    QImage img;
    if (compression == kBiRle8 || compression == kBiRle4) {
        // Run-length rows are stored bottom-up only, and must all be there.
        if (h < 0 || !RunLengthComplete(Data, b))
            return {};
        // Run-length data may skip pixels (a delta, an early end of bitmap),
        // which the reader leaves as it finds them in the bitmap it is given.
        // Given one of the first palette colour, as a fresh bitmap is, they
        // never carry leftover memory into the picture or a saved layout.
        img = QImage(size.width(), std::abs(size.height()), QImage::Format_Indexed8);
        img.fill(0);
    }
    if (!reader.read(&img))
        return {};
    return To24Bit(img);
}

QByteArray EncodeBmp(const QImage& Image)
{
    const QImage src = To24Bit(Image);
    const qint32 w = src.width(), h = src.height();
    const qint32 stride = ((w * 3 + 3) / 4) * 4;
    const qint32 imageBytes = stride * h;
    QByteArray out(54 + imageBytes, '\0');
    auto* p = reinterpret_cast<uchar*>(out.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(54 + imageBytes), p + 2);
    qToLittleEndian<quint32>(54, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(w, p + 18);
    qToLittleEndian<qint32>(h, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(24, p + 28);
    qToLittleEndian<quint32>(quint32(imageBytes), p + 34);
    for (int y = 0; y < h; ++y)
        std::memcpy(p + 54 + qsizetype(h - 1 - y) * stride, src.constScanLine(y), size_t(w) * 3);
    return out;
}

QImage ReadBmpFromStream(QIODevice& Stream)
{
    uchar head[14];
    ReadStreamBytes(Stream, head, 14);
    if (head[0] != 'B' || head[1] != 'M')
        throw EDrawRectStreamError("picture: not a BMP image");
    const quint32 size = qFromLittleEndian<quint32>(head + 2);
    if (size < 14 + 12 || size > kMaxImageFileBytes)
        throw EDrawRectStreamError("picture: BMP length out of range");
    if (!Stream.isSequential() && qint64(size) - 14 > Stream.size() - Stream.pos())
        throw EDrawRectStreamError("picture: BMP runs past the end of the data");
    QByteArray file(qsizetype(size), '\0');
    std::memcpy(file.data(), head, 14);
    ReadStreamBytes(Stream, file.data() + 14, qint64(size) - 14);
    QImage img = DecodeBmp(file);
    if (img.isNull())
        throw EDrawRectStreamError("picture: BMP image does not decode");
    return img;
}

void WriteBmpToStream(QIODevice& Stream, const QImage& Image)
{
    const QByteArray bmp = EncodeBmp(Image);
    WriteStreamBytes(Stream, bmp.constData(), bmp.size());
}

#include "drawing/objects/ImageUtils.h"

#include "core/common/Units.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/Metafile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// A picture of this many bytes or more is no picture we take.
constexpr qint64 kMaxImageFileBytes = 512LL * 1024 * 1024;

bool SizeAcceptable(qint64 w, qint64 h)
{
    return w > 0 && h > 0 && w * h <= kMaxImagePixels;
}

quint16 BigEndian16(const uchar* p)
{
    return quint16((p[0] << 8) | p[1]);
}

// --- JPEG through libjpeg: the library's errors jump back here ---------------

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    bool endMissing = false; // the data ended without its end marker
};

void JpegErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// Warnings (level -1) mostly report lost data: a cut file, a damaged
// stream, a scan out of step. libjpeg would fill the missing rows with grey
// and carry on; a picture that is partly grey is no picture we store, so
// those warnings fail the decode too. A few lose nothing: stray bytes
// between segments (some cameras and editors pad before a marker), a JFIF
// revision or an Adobe transform code we do not know, a damaged colour
// profile, which the decoder does not use. Nor, by itself, does the end of
// the data: a transfer cut just short of the end marker holds every row.
// Where the coder meets that end says nothing (it reads ahead, by a whole
// small scan at times); Huffman data that runs out before its scan is done
// warns of its own and fails, and whether every component was read is
// asked once the picture is decoded. Arithmetic data runs on into zeros by
// design, so there the end must come in the last row of blocks.
void JpegWarning(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    switch (cinfo->err->msg_code) {
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_JFIF_MAJOR:
    case JWRN_ADOBE_XFORM:
    case JWRN_BOGUS_ICC: return;
    case JWRN_JPEG_EOF: {
        const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (cinfo->is_decompressor &&
            (!d->arith_code || (d->total_iMCU_rows > 0 && d->input_iMCU_row + 1 >= d->total_iMCU_rows))) {
            err->endMissing = true;
            return;
        }
        std::longjmp(err->jump, 1);
    }
    default: std::longjmp(err->jump, 1);
    }
}

// A picture whose data ended early is whole only when every component was
// read. A progressive one needs every coefficient of every component at
// its last bit (scans missing at the end would leave it blurred); a
// sequential one every component in a scan, which takes a component's
// quantisation table (one scan for each component, cut before the second,
// gave the luminance alone, a grey picture).
bool EveryComponentRead(const jpeg_decompress_struct& cinfo)
{
    if (cinfo.progressive_mode) {
        if (!cinfo.coef_bits)
            return false;
        for (int c = 0; c < cinfo.num_components; ++c)
            for (int k = 0; k < DCTSIZE2; ++k)
                if (cinfo.coef_bits[c][k] != 0)
                    return false;
        return true;
    }
    for (int c = 0; c < cinfo.num_components; ++c)
        if (!cinfo.comp_info[c].quant_table)
            return false;
    return true;
}
void JpegNoOutput(j_common_ptr) {}

// Everything the jump may skip lives outside the function that sets it.
QImage DecodeJpegInto(jpeg_decompress_struct& cinfo, JpegError& err, const QByteArray& data, QImage& out,
                      std::vector<JSAMPLE>& inkRow)
{
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        out = QImage();
        return out;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (!SizeAcceptable(cinfo.image_width, cinfo.image_height) || cinfo.num_components > 4) {
        jpeg_destroy_decompress(&cinfo);
        return out;
    }
    // Full size, blue-green-red bytes straight into the bitmap's rows. libjpeg
    // makes no RGB from ink: CMYK (and YCCK, which it turns into CMYK) comes
    // out as ink values and is mixed here.
    const bool ink = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = ink ? JCS_CMYK : JCS_EXT_BGR;
    cinfo.scale_num = cinfo.scale_denom = 1;
    jpeg_start_decompress(&cinfo);
    out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_BGR888);
    if (out.isNull() || (ink && cinfo.output_components != 4)) {
        jpeg_destroy_decompress(&cinfo);
        out = QImage();
        return out;
    }
    // Files with an Adobe segment (Photoshop's) store ink inverted: 255 is
    // no ink. Others store the ink itself.
    const bool inverted = cinfo.saw_Adobe_marker;
    inkRow.resize(ink ? size_t(cinfo.output_width) * 4 : 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        uchar* line = out.scanLine(int(cinfo.output_scanline));
        JSAMPROW row = ink ? inkRow.data() : line;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
        if (!ink)
            continue;
        for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
            const uchar* k = inkRow.data() + size_t(x) * 4;
            uchar* px = line + size_t(x) * 3;
            // Each primary is what its ink and the black ink leave of white.
            auto light = [&](uchar v) {
                const int a = inverted ? v : 255 - v, b = inverted ? k[3] : 255 - k[3];
                return uchar((a * b + 127) / 255);
            };
            px[0] = light(k[2]);
            px[1] = light(k[1]);
            px[2] = light(k[0]);
        }
    }
    const bool complete = cinfo.output_scanline == cinfo.output_height && (!err.endMissing || EveryComponentRead(cinfo));
    if (complete)
        jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    if (!complete)
        out = QImage();
    return out;
}

int BandRows(int w, int h)
{
    const qint64 rowBytes = ((qint64(w) * 3 + 3) / 4) * 4;
    return int(std::max<qint64>(1, std::min<qint64>(8'388'608 / std::max<qint64>(rowBytes, 1), h)));
}

// The mask covers part (relative to DestRect's top-left) of DestRect.
void DrawClipped(TCanvas& Canvas, const QImage& Picture, const QImage& mask, const TRect& DestRect, const TRect& part)
{
    TRegion shape = BitmapToRegion(mask);
    shape.Offset(DestRect.Left + part.Left, DestRect.Top + part.Top);
    TRegion saved;
    const bool hadClip = Canvas.GetClipRgn(saved) == 1;
    Canvas.ExtSelectClipRgn(&shape, gdi::RGN_AND);
    StretchDIB(Canvas, Picture, DestRect, SRCCOPY);
    Canvas.SelectClipRgn(hadClip ? &saved : nullptr);
}

} // namespace

// --- loading -------------------------------------------------------------------

QImage TJPEGImage::Decode() const
{
    if (Data.isEmpty())
        return {};
    jpeg_decompress_struct cinfo {};
    JpegError err {};
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegErrorExit;
    err.mgr.emit_message = JpegWarning;
    err.mgr.output_message = JpegNoOutput;
    QImage out;
    std::vector<JSAMPLE> inkRow;
    return DecodeJpegInto(cinfo, err, Data, out, inkRow);
}

qint32 GetImageFileKind(const QString& FileName)
{
    const QString ext = QFileInfo(FileName).suffix().toUpper();
    if (ext == QLatin1String("BMP"))
        return 1;
    if (ext == QLatin1String("JPG") || ext == QLatin1String("JPEG"))
        return 2;
    return -1;
}

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

qint32 JpegDpiOf(const QByteArray& Data)
{
    // Segments are walked forwards only, up to the start of the scan: the
    // density lies in the JFIF segment (unit 1 dots per inch, 2 dots per
    // centimetre, 0 an aspect ratio only).
    const auto* p = reinterpret_cast<const uchar*>(Data.constData());
    const qsizetype n = Data.size();
    qsizetype pos = 2;
    while (pos + 4 <= n) {
        const quint16 marker = BigEndian16(p + pos);
        if ((marker & 0xFF00) != 0xFF00 || marker == 0xFFDA || marker == 0xFFD9)
            break;
        const quint16 len = BigEndian16(p + pos + 2);
        if (len < 2)
            break;
        if (marker == 0xFFE0 && len >= 14 && pos + 2 + 14 <= n && std::memcmp(p + pos + 4, "JFIF\0", 5) == 0) {
            const uchar unit = p[pos + 11];
            const quint16 density = BigEndian16(p + pos + 12);
            if (density == 0 || (unit != 1 && unit != 2))
                return 72;
            return unit == 1 ? density : qint32(RoundHalfUp(density * 2.54L));
        }
        pos += 2 + qsizetype(len);
    }
    return 72;
}

QImage To24Bit(const QImage& Image)
{
    if (Image.isNull() || Image.format() == QImage::Format_BGR888)
        return Image;
    if (Image.hasAlphaChannel()) {
        // Transparent pixels of a 32-bit BMP show on white, as on paper.
        QImage flat(Image.size(), QImage::Format_BGR888);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, Image);
        return flat;
    }
    return Image.convertToFormat(QImage::Format_BGR888);
}

QImage NewBitmap24(int Width, int Height)
{
    QImage img(std::max(Width, 0), std::max(Height, 0), QImage::Format_BGR888);
    img.fill(Qt::white);
    return img;
}

QImage NewBitmap1(int Width, int Height)
{
    QImage img(std::max(Width, 0), std::max(Height, 0), QImage::Format_Mono);
    img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    img.fill(1);
    return img;
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
    if (!SizeAcceptable(w, std::abs(h)))
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
    if (!SizeAcceptable(size.width(), std::abs(size.height())))
        return {};
    QImage img;
    if (compression == kBiRle8 || compression == kBiRle4) {
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

std::optional<TGraphic> LoadImageFile(const QString& FileName, qint32& Dpi)
{
    Dpi = 72;
    if (GetImageFileKind(FileName) < 0)
        return std::nullopt;
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxImageFileBytes)
        return std::nullopt;
    const QByteArray data = file.readAll();
    file.close();
    if (data.size() < 2)
        return std::nullopt;
    const quint16 magic = BigEndian16(reinterpret_cast<const uchar*>(data.constData()));
    if (magic == 0x424D) {
        QImage img = DecodeBmp(data);
        if (img.isNull())
            return std::nullopt;
        Dpi = BmpDpiOf(data);
        return TGraphic(std::move(img));
    }
    if (magic == 0xFFD8) {
        TJPEGImage jpeg {data};
        // A picture that does not decode is no picture.
        if (jpeg.Decode().isNull())
            return std::nullopt;
        Dpi = JpegDpiOf(data);
        return TGraphic(std::move(jpeg));
    }
    return std::nullopt;
}

// --- mirror and turn --------------------------------------------------------------

namespace {

bool FormatSupported(const QImage& img)
{
    const int d = img.depth();
    return !img.isNull() && (d == 1 || d == 8 || d == 16 || d == 24 || d == 32);
}

// Moves one pixel of the source's depth from (sx, sy) to (dx, dy).
void MovePixel(const QImage& src, int sx, int sy, QImage& dst, int dx, int dy)
{
    const int d = src.depth();
    if (d == 1) {
        const bool bit = (src.constScanLine(sy)[sx >> 3] >> (7 - (sx & 7))) & 1;
        uchar& b = dst.scanLine(dy)[dx >> 3];
        const uchar m = uchar(0x80 >> (dx & 7));
        b = bit ? (b | m) : (b & ~m);
        return;
    }
    const int bytes = d / 8;
    std::memcpy(dst.scanLine(dy) + qsizetype(dx) * bytes, src.constScanLine(sy) + qsizetype(sx) * bytes, size_t(bytes));
}

} // namespace

std::optional<QImage> MirrorBitmap(const QImage& Source, bool LeftRight)
{
    if (!FormatSupported(Source))
        return std::nullopt;
    // Whole rows move at once: a QR code of large modules is some hundred
    // million pixels.
    return Source.mirrored(LeftRight, !LeftRight);
}

std::optional<QImage> RotateBitmap(const QImage& Source, quint8 Direction)
{
    if (Direction > 2 || !FormatSupported(Source))
        return std::nullopt;
    if (Direction == 2)
        return Source.mirrored(true, true);
    const int w = Source.width(), h = Source.height();
    QImage out(h, w, Source.format());
    if (out.isNull())
        return std::nullopt;
    out.setColorTable(Source.colorTable());
    out.setDotsPerMeterX(Source.dotsPerMeterX());
    out.setDotsPerMeterY(Source.dotsPerMeterY());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (Direction == 0)
                MovePixel(Source, x, y, out, y, w - 1 - x);
            else
                MovePixel(Source, x, y, out, h - 1 - y, x);
        }
    return out;
}

// --- natural-size drawing, stretching ---------------------------------------------

namespace {

bool NaturalSize(const QImage& Source, qint32 Dpi, double Zoom, int& w, int& h)
{
    if (Source.isNull() || Dpi <= 0 || !(Zoom > 0))
        return false;
    const long double fw = static_cast<long double>(Source.width()) / Dpi * 96 * Zoom;
    const long double fh = static_cast<long double>(Source.height()) / Dpi * 96 * Zoom;
    if (fw > 1e9L || fh > 1e9L)
        return false;
    w = int(RoundHalfUp(fw));
    h = int(RoundHalfUp(fh));
    return w > 0 && h > 0;
}

} // namespace

void StretchNearest(const QImage& Source, QImage& Dest, const TRect& R)
{
    const qint64 rw = R.Width(), rh = R.Height();
    if (Source.isNull() || Dest.isNull() || rw <= 0 || rh <= 0)
        return;
    const QImage src = Source.format() == Dest.format() ? Source : Source.convertToFormat(Dest.format());
    const int sw = src.width(), sh = src.height();
    const int x0 = int(std::max<qint64>(R.Left, 0)), x1 = int(std::min<qint64>(R.Right, Dest.width()));
    const int y0 = int(std::max<qint64>(R.Top, 0)), y1 = int(std::min<qint64>(R.Bottom, Dest.height()));
    if (x0 >= x1 || y0 >= y1)
        return;
    const bool mono = Dest.depth() == 1;
    const int bytes = mono ? 0 : Dest.depth() / 8;
    std::vector<int> srcX(size_t(x1 - x0));
    for (int x = x0; x < x1; ++x)
        srcX[size_t(x - x0)] = int(std::min<qint64>(((qint64(x) - R.Left) * 2 + 1) * sw / (2 * rw), sw - 1));
    for (int y = y0; y < y1; ++y) {
        const int sy = int(std::min<qint64>(((qint64(y) - R.Top) * 2 + 1) * sh / (2 * rh), sh - 1));
        const uchar* s = src.constScanLine(sy);
        uchar* d = Dest.scanLine(y);
        for (int x = x0; x < x1; ++x) {
            const int sx = srcX[size_t(x - x0)];
            if (mono) {
                const bool bit = (s[sx >> 3] >> (7 - (sx & 7))) & 1;
                const uchar m = uchar(0x80 >> (x & 7));
                d[x >> 3] = bit ? (d[x >> 3] | m) : (d[x >> 3] & ~m);
            } else {
                std::memcpy(d + qsizetype(x) * bytes, s + qsizetype(sx) * bytes, size_t(bytes));
            }
        }
    }
}

void DrawImageCentered(const QImage& Source, qint32 Dpi, QImage& Dest, double Zoom)
{
    int w = 0, h = 0;
    if (!NaturalSize(Source, Dpi, Zoom, w, h))
        return;
    const int x = (Dest.width() - w) / 2, y = (Dest.height() - h) / 2;
    StretchNearest(Source, Dest, TRect(x, y, x + w, y + h));
}

void DrawImageTiled(const QImage& Source, qint32 Dpi, QImage& Dest, bool FromBottomRight, double Zoom)
{
    int w = 0, h = 0;
    if (!NaturalSize(Source, Dpi, Zoom, w, h) || Dest.isNull())
        return;
    const int cols = (Dest.width() + w - 1) / w, rows = (Dest.height() + h - 1) / h;
    // One stretched tile, copied into place.
    QImage tile(w, h, Dest.format());
    tile.setColorTable(Dest.colorTable());
    StretchNearest(Source, tile, TRect(0, 0, w, h));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const int x = FromBottomRight ? Dest.width() - (c + 1) * w : c * w;
            const int y = FromBottomRight ? Dest.height() - (r + 1) * h : r * h;
            StretchNearest(tile, Dest, TRect(x, y, x + w, y + h));
        }
}

// --- gradation -------------------------------------------------------------------

void GradientFill(QImage& Bitmap, qint32 Angle, TColor Color1, TColor Color2)
{
    if (Bitmap.format() != QImage::Format_BGR888)
        Bitmap = To24Bit(Bitmap);
    GradientFillPart(Bitmap, Bitmap.width(), Bitmap.height(), QPoint(0, 0), Angle, Color1, Color2);
}

void GradientFillPart(QImage& Part, int Width, int Height, QPoint Origin, qint32 Angle, TColor Color1, TColor Color2)
{
    if (Part.isNull() || Part.format() != QImage::Format_BGR888)
        return;
    const int W = Width, H = Height;
    Angle %= 360;
    if (Angle < 0)
        Angle += 360;
    const double R1 = Color1 & 0xFF, G1 = (Color1 >> 8) & 0xFF, B1 = (Color1 >> 16) & 0xFF;
    const double R2 = Color2 & 0xFF, G2 = (Color2 >> 8) & 0xFF, B2 = (Color2 >> 16) & 0xFF;
    auto put = [](uchar* px, double r, double g, double b) {
        auto c = [](double v) { return uchar(std::clamp(std::trunc(v), 0.0, 255.0)); };
        px[0] = c(b);
        px[1] = c(g);
        px[2] = c(r);
    };
    // Steps per row (y) and per column (x); the colour of a pixel depends on
    // its row index y and column index x in the whole bitmap, counted from
    // the edge where Color1 lies.
    double sRy = 0, sGy = 0, sBy = 0, sRx = 0, sGx = 0, sBx = 0;
    bool flipY = false, flipX = false;
    if ((Color1 & 0xFFFFFF) == (Color2 & 0xFFFFFF)) {
    } else if (Angle == 0 || Angle == 180) {
        const double n = H < 2 ? 0 : H - 1;
        sRy = n ? (R1 - R2) / n : 0, sGy = n ? (G1 - G2) / n : 0, sBy = n ? (B1 - B2) / n : 0;
        flipY = Angle == 180;
    } else if (Angle == 90 || Angle == 270) {
        const double n = W < 2 ? 0 : W - 1;
        sRx = n ? (R1 - R2) / n : 0, sGx = n ? (G1 - G2) / n : 0, sBx = n ? (B1 - B2) / n : 0;
        flipX = Angle == 270;
    } else {
        const double a = (Angle % 90) * M_PI / 180, t = std::tan(a);
        const int q = Angle / 90;
        double nx, ny;
        if (q == 0 || q == 2) {
            nx = std::trunc(std::fabs(H / t)) + W - 1;
            ny = std::trunc(std::fabs(W * t)) + H - 1;
        } else {
            nx = std::trunc(std::fabs(H * t)) + W - 1;
            ny = std::trunc(std::fabs(W / t)) + H - 1;
        }
        sRx = nx < 1 ? 0 : (R1 - R2) / nx, sGx = nx < 1 ? 0 : (G1 - G2) / nx, sBx = nx < 1 ? 0 : (B1 - B2) / nx;
        sRy = ny < 1 ? 0 : (R1 - R2) / ny, sGy = ny < 1 ? 0 : (G1 - G2) / ny, sBy = ny < 1 ? 0 : (B1 - B2) / ny;
        flipY = Angle >= 90 && Angle <= 270;
        flipX = Angle >= 180;
    }
    const bool rowsOnly = sRx == 0 && sGx == 0 && sBx == 0;
    for (int py = 0; py < Part.height(); ++py) {
        const qint64 gy = qint64(Origin.y()) + py;
        const double y = double(flipY ? H - 1 - gy : gy);
        uchar* row = Part.scanLine(py);
        const double r = R1 - y * sRy, g = G1 - y * sGy, b = B1 - y * sBy;
        for (int px = 0; px < Part.width(); ++px) {
            if (rowsOnly) {
                put(row + px * 3, r, g, b);
                continue;
            }
            const qint64 gx = qint64(Origin.x()) + px;
            const double x = double(flipX ? W - 1 - gx : gx);
            put(row + px * 3, R1 - y * sRy - x * sRx, G1 - y * sGy - x * sGx, B1 - y * sBy - x * sBx);
        }
    }
}

// --- drawing on a canvas -----------------------------------------------------------

bool StretchDIB(TCanvas& Canvas, const QImage& Bitmap, const TRect& R, qint32 Rop)
{
    if (Rop != SRCCOPY)
        return false;
    if (Bitmap.isNull() || R.Width() <= 0 || R.Height() <= 0)
        return true;
    Canvas.StretchDraw(R.ToQRect(), Bitmap);
    return true;
}

QImage MaskFromShape(const TMetafileEx& Mask, const TRect& MaskRect, int Width, int Height)
{
    QImage mono = NewBitmap1(Width, Height);
    if (mono.isNull() || MaskRect.Width() <= 0 || MaskRect.Height() <= 0)
        return mono;
    QImage work(Width, Height, QImage::Format_RGB32);
    work.fill(Qt::white);
    {
        QPainter painter(&work);
        TCanvas canvas(painter);
        canvas.StretchDraw(MaskRect.ToQRect(), Mask);
    }
    for (int y = 0; y < Height; ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(work.constScanLine(y));
        uchar* d = mono.scanLine(y);
        for (int x = 0; x < Width; ++x)
            if (qGray(s[x]) < 128)
                d[x >> 3] &= uchar(~(0x80 >> (x & 7)));
    }
    return mono;
}

QImage MaskFromColor(const QImage& Picture, TColor Color)
{
    const QImage src = To24Bit(Picture);
    QImage mono = NewBitmap1(src.width(), src.height());
    const uchar r = Color & 0xFF, g = (Color >> 8) & 0xFF, b = (Color >> 16) & 0xFF;
    for (int y = 0; y < src.height(); ++y) {
        const uchar* s = src.constScanLine(y);
        uchar* d = mono.scanLine(y);
        for (int x = 0; x < src.width(); ++x, s += 3)
            if (!(s[0] == b && s[1] == g && s[2] == r))
                d[x >> 3] &= uchar(~(0x80 >> (x & 7)));
    }
    return mono;
}

TRect Moved(const TRect& R, qint64 dx, qint64 dy)
{
    auto c = [](qint64 v) { return static_cast<qint32>(std::clamp<qint64>(v, INT_MIN, INT_MAX)); };
    return {c(R.Left + dx), c(R.Top + dy), c(R.Right + dx), c(R.Bottom + dy)};
}

TRect VisiblePart(const TCanvas& Canvas, const TRect& R)
{
    const std::optional<QRect> box = Canvas.ClipBox();
    if (!box)
        return R;
    if (box->isEmpty())
        return TRect(R.Left, R.Top, R.Left, R.Top);
    const TRect b = TRect::FromQRect(*box);
    const TRect v(std::max(R.Left, b.Left), std::max(R.Top, b.Top), std::min(R.Right, b.Right),
                  std::min(R.Bottom, b.Bottom));
    return v.Right > v.Left && v.Bottom > v.Top ? v : TRect(R.Left, R.Top, R.Left, R.Top);
}

namespace {

// The part of DestRect that reaches the page, relative to DestRect's
// top-left; nothing when the picture draws nothing at all. Only this part
// is stretched and masked: a picture far larger than the page costs no
// more than the page.
std::optional<TRect> PartToDraw(const TCanvas& Canvas, const QImage& Picture, const TRect& DestRect)
{
    const int w = DestRect.Width(), h = DestRect.Height();
    if (Picture.isNull() || w <= 0 || h <= 0 || !SizeAcceptable(w, h))
        return std::nullopt;
    const TRect v = VisiblePart(Canvas, DestRect);
    if (v.Right <= v.Left || v.Bottom <= v.Top)
        return std::nullopt;
    return TRect(v.Left - DestRect.Left, v.Top - DestRect.Top, v.Right - DestRect.Left, v.Bottom - DestRect.Top);
}

// Bands of the visible part: the picture stretched to DestRect's size,
// cut to the band, with the mask the band gives (or the mask's rows).
template <typename MaskOf>
void DrawInBands(TCanvas& Canvas, const QImage& Picture, const TRect& DestRect, const TRect& part, MaskOf maskOf)
{
    const int w = DestRect.Width(), h = DestRect.Height();
    const int pw = part.Width(), band = BandRows(pw, part.Height());
    for (int y0 = part.Top; y0 < part.Bottom; y0 += band) {
        const int rows = std::min(band, part.Bottom - y0);
        QImage pic = NewBitmap24(pw, rows);
        StretchNearest(Picture, pic, TRect(-part.Left, -y0, w - part.Left, h - y0));
        const QImage m = maskOf(pic, y0 - part.Top, rows);
        Canvas.StretchDraw(QRect(DestRect.Left + part.Left, DestRect.Top + y0, pw, rows), pic, &m);
    }
}

} // namespace

void DrawMaskedRop(TCanvas& Canvas, const QImage& Picture, const TMetafileEx& Mask, const TRect& MaskRect,
                   const TRect& DestRect)
{
    const std::optional<TRect> part = PartToDraw(Canvas, Picture, DestRect);
    if (!part)
        return;
    const QImage mask = MaskFromShape(Mask, Moved(MaskRect, -part->Left, -part->Top), part->Width(), part->Height());
    DrawInBands(Canvas, Picture, DestRect, *part,
                [&](const QImage&, int top, int rows) { return mask.copy(0, top, part->Width(), rows); });
}

void DrawTransparentRop(TCanvas& Canvas, const QImage& Picture, TColor TransparentColor, const TRect& DestRect)
{
    const std::optional<TRect> part = PartToDraw(Canvas, Picture, DestRect);
    if (!part)
        return;
    DrawInBands(Canvas, Picture, DestRect, *part,
                [&](const QImage& pic, int, int) { return MaskFromColor(pic, TransparentColor); });
}

void DrawMaskedClip(TCanvas& Canvas, const QImage& Picture, const TMetafileEx& Mask, const TRect& MaskRect,
                    const TRect& DestRect)
{
    const std::optional<TRect> part = PartToDraw(Canvas, Picture, DestRect);
    if (!part)
        return;
    DrawClipped(Canvas, Picture,
                MaskFromShape(Mask, Moved(MaskRect, -part->Left, -part->Top), part->Width(), part->Height()),
                DestRect, *part);
}

void DrawTransparentClip(TCanvas& Canvas, const QImage& Picture, TColor TransparentColor, const TRect& DestRect)
{
    const std::optional<TRect> part = PartToDraw(Canvas, Picture, DestRect);
    if (!part)
        return;
    QImage mask = NewBitmap1(part->Width(), part->Height());
    StretchNearest(MaskFromColor(Picture, TransparentColor), mask,
                   TRect(-part->Left, -part->Top, DestRect.Width() - part->Left, DestRect.Height() - part->Top));
    DrawClipped(Canvas, Picture, mask, DestRect, *part);
}

TRegion BitmapToRegion(const QImage& Bitmap)
{
    const QImage mono = Bitmap.format() == QImage::Format_Mono ? Bitmap : Bitmap.convertToFormat(QImage::Format_Mono);
    const int W = mono.width(), H = mono.height();
    // Which index is black: the colour table decides, not the bit value.
    const bool zeroIsBlack = mono.colorCount() < 1 || qGray(mono.color(0)) < 128;
    struct Open {
        int x0, x1, top;
    };
    std::vector<Open> open, next;
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    auto close = [&](const Open& o, int bottom) { path.addRect(o.x0, o.top, o.x1 - o.x0, bottom - o.top); };
    for (int y = 0; y <= H; ++y) {
        next.clear();
        if (y < H) {
            const uchar* row = mono.constScanLine(y);
            int x = 0;
            while (x < W) {
                auto black = [&](int i) { return bool((row[i >> 3] >> (7 - (i & 7))) & 1) != zeroIsBlack; };
                while (x < W && !black(x))
                    ++x;
                if (x >= W)
                    break;
                const int x0 = x;
                while (x < W && black(x))
                    ++x;
                next.push_back({x0, x, y});
            }
        }
        // A run of the same extent as one in the row above extends it.
        size_t i = 0;
        for (Open& n : next) {
            while (i < open.size() && open[i].x0 < n.x0)
                close(open[i++], y);
            if (i < open.size() && open[i].x0 == n.x0) {
                if (open[i].x1 == n.x1)
                    n.top = open[i].top;
                else
                    close(open[i], y);
                ++i;
            }
        }
        while (i < open.size())
            close(open[i++], y);
        open.swap(next);
    }
    return TRegion::FromPath(path);
}

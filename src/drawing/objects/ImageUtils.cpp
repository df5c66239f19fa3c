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
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

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
};

void JpegErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// Warnings (level -1) report corrupt data: a cut file, a damaged stream.
// libjpeg would fill the missing rows with grey and carry on; a picture that
// is partly grey is no picture we store, so a warning fails the decode too.
void JpegWarning(j_common_ptr cinfo, int level)
{
    if (level < 0)
        std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}
void JpegNoOutput(j_common_ptr) {}

// Everything the jump may skip lives outside the function that sets it.
QImage DecodeJpegInto(jpeg_decompress_struct& cinfo, JpegError& err, const QByteArray& data, QImage& out)
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
    // Full size, blue-green-red bytes straight into the bitmap's rows.
    cinfo.out_color_space = JCS_EXT_BGR;
    cinfo.scale_num = cinfo.scale_denom = 1;
    jpeg_start_decompress(&cinfo);
    out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_BGR888);
    if (out.isNull()) {
        jpeg_destroy_decompress(&cinfo);
        return out;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.scanLine(int(cinfo.output_scanline));
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
    }
    const bool complete = cinfo.output_scanline == cinfo.output_height;
    if (complete)
        jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    if (!complete)
        out = QImage();
    return out;
}

// Row copies of a picture stretched to w x h and shifted up by y0, band rows high.
QImage StretchedBand(const QImage& picture, int w, int h, int y0, int rows)
{
    QImage band = NewBitmap24(w, rows);
    StretchNearest(picture, band, TRect(0, -y0, w, h - y0));
    return band;
}

int BandRows(int w, int h)
{
    const qint64 rowBytes = ((qint64(w) * 3 + 3) / 4) * 4;
    return int(std::max<qint64>(1, std::min<qint64>(8'388'608 / std::max<qint64>(rowBytes, 1), h)));
}

void DrawClipped(TCanvas& Canvas, const QImage& Picture, const QImage& mask, const TRect& DestRect)
{
    TRegion shape = BitmapToRegion(mask);
    shape.Offset(DestRect.Left, DestRect.Top);
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
    return DecodeJpegInto(cinfo, err, Data, out);
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

QImage DecodeBmp(const QByteArray& Data)
{
    if (Data.size() < 26 || !Data.startsWith("BM"))
        return {};
    // Uncompressed pixel rows must all be there: the reader would otherwise
    // hand back a picture with made-up rows.
    const auto* p = reinterpret_cast<const uchar*>(Data.constData());
    const quint32 headerSize = qFromLittleEndian<quint32>(p + 14);
    if (headerSize >= 40 && Data.size() >= 54) {
        const qint64 w = qFromLittleEndian<qint32>(p + 18), h = qFromLittleEndian<qint32>(p + 22);
        const quint16 bits = qFromLittleEndian<quint16>(p + 28);
        const quint32 compression = qFromLittleEndian<quint32>(p + 30);
        const quint32 offBits = qFromLittleEndian<quint32>(p + 10);
        if (!SizeAcceptable(w, std::abs(h)))
            return {};
        if (compression == 0 || compression == 3) {
            const qint64 stride = ((w * bits + 31) / 32) * 4;
            if (qint64(offBits) + stride * std::abs(h) > Data.size())
                return {};
        }
    }
    QByteArray copy = Data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    const QSize size = reader.size();
    if (!SizeAcceptable(size.width(), size.height()))
        return {};
    QImage img;
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
    QImage out = Source.copy();
    const int w = Source.width(), h = Source.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (LeftRight)
                MovePixel(Source, x, y, out, w - 1 - x, y);
            else
                MovePixel(Source, x, y, out, x, h - 1 - y);
        }
    return out;
}

std::optional<QImage> RotateBitmap(const QImage& Source, quint8 Direction)
{
    if (Direction > 2 || !FormatSupported(Source))
        return std::nullopt;
    const int w = Source.width(), h = Source.height();
    QImage out = Direction == 2 ? Source.copy() : QImage(h, w, Source.format());
    if (out.isNull())
        return std::nullopt;
    out.setColorTable(Source.colorTable());
    out.setDotsPerMeterX(Source.dotsPerMeterX());
    out.setDotsPerMeterY(Source.dotsPerMeterY());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (Direction == 0)
                MovePixel(Source, x, y, out, y, w - 1 - x);
            else if (Direction == 1)
                MovePixel(Source, x, y, out, h - 1 - y, x);
            else
                MovePixel(Source, x, y, out, w - 1 - x, h - 1 - y);
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
    if (Bitmap.isNull())
        return;
    if (Bitmap.format() != QImage::Format_BGR888)
        Bitmap = To24Bit(Bitmap);
    const int W = Bitmap.width(), H = Bitmap.height();
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
    if ((Color1 & 0xFFFFFF) == (Color2 & 0xFFFFFF)) {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                put(Bitmap.scanLine(y) + x * 3, R1, G1, B1);
        return;
    }
    if (Angle == 0 || Angle == 180) {
        const double n = H < 2 ? 0 : H - 1;
        const double sR = n ? (R1 - R2) / n : 0, sG = n ? (G1 - G2) / n : 0, sB = n ? (B1 - B2) / n : 0;
        for (int y = 0; y < H; ++y) {
            uchar* row = Bitmap.scanLine(Angle == 0 ? y : H - 1 - y);
            for (int x = 0; x < W; ++x)
                put(row + x * 3, R1 - y * sR, G1 - y * sG, B1 - y * sB);
        }
        return;
    }
    if (Angle == 90 || Angle == 270) {
        const double n = W < 2 ? 0 : W - 1;
        const double sR = n ? (R1 - R2) / n : 0, sG = n ? (G1 - G2) / n : 0, sB = n ? (B1 - B2) / n : 0;
        uchar* row0 = Bitmap.scanLine(0);
        for (int x = 0; x < W; ++x)
            put(row0 + (Angle == 90 ? x : W - 1 - x) * 3, R1 - x * sR, G1 - x * sG, B1 - x * sB);
        for (int y = 1; y < H; ++y)
            std::memcpy(Bitmap.scanLine(y), row0, size_t(W) * 3);
        return;
    }
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
    const double sRx = nx < 1 ? 0 : (R1 - R2) / nx, sGx = nx < 1 ? 0 : (G1 - G2) / nx, sBx = nx < 1 ? 0 : (B1 - B2) / nx;
    const double sRy = ny < 1 ? 0 : (R1 - R2) / ny, sGy = ny < 1 ? 0 : (G1 - G2) / ny, sBy = ny < 1 ? 0 : (B1 - B2) / ny;
    for (int y = 0; y < H; ++y) {
        uchar* row = Bitmap.scanLine(Angle < 90 || Angle > 270 ? y : H - 1 - y);
        for (int x = 0; x < W; ++x) {
            const int xx = Angle < 180 ? x : W - 1 - x;
            put(row + x * 3, R1 - y * sRy - xx * sRx, G1 - y * sGy - xx * sGx, B1 - y * sBy - xx * sBx);
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

void DrawMaskedRop(TCanvas& Canvas, const QImage& Picture, const TMetafileEx& Mask, const TRect& MaskRect,
                   const TRect& DestRect)
{
    const int w = DestRect.Width(), h = DestRect.Height();
    if (Picture.isNull() || w <= 0 || h <= 0 || !SizeAcceptable(w, h))
        return;
    const QImage mask = MaskFromShape(Mask, MaskRect, w, h);
    const int band = BandRows(w, h);
    for (int y0 = 0; y0 < h; y0 += band) {
        const int rows = std::min(band, h - y0);
        const QImage pic = StretchedBand(Picture, w, h, y0, rows);
        const QImage m = mask.copy(0, y0, w, rows);
        Canvas.StretchDraw(QRect(DestRect.Left, DestRect.Top + y0, w, rows), pic, &m);
    }
}

void DrawTransparentRop(TCanvas& Canvas, const QImage& Picture, TColor TransparentColor, const TRect& DestRect)
{
    const int w = DestRect.Width(), h = DestRect.Height();
    if (Picture.isNull() || w <= 0 || h <= 0 || !SizeAcceptable(w, h))
        return;
    const int band = BandRows(w, h);
    for (int y0 = 0; y0 < h; y0 += band) {
        const int rows = std::min(band, h - y0);
        const QImage pic = StretchedBand(Picture, w, h, y0, rows);
        const QImage m = MaskFromColor(pic, TransparentColor);
        Canvas.StretchDraw(QRect(DestRect.Left, DestRect.Top + y0, w, rows), pic, &m);
    }
}

void DrawMaskedClip(TCanvas& Canvas, const QImage& Picture, const TMetafileEx& Mask, const TRect& MaskRect,
                    const TRect& DestRect)
{
    const int w = DestRect.Width(), h = DestRect.Height();
    if (Picture.isNull() || w <= 0 || h <= 0 || !SizeAcceptable(w, h))
        return;
    DrawClipped(Canvas, Picture, MaskFromShape(Mask, MaskRect, w, h), DestRect);
}

void DrawTransparentClip(TCanvas& Canvas, const QImage& Picture, TColor TransparentColor, const TRect& DestRect)
{
    const int w = DestRect.Width(), h = DestRect.Height();
    if (Picture.isNull() || w <= 0 || h <= 0 || !SizeAcceptable(w, h))
        return;
    QImage mask = NewBitmap1(w, h);
    StretchNearest(MaskFromColor(Picture, TransparentColor), mask, TRect(0, 0, w, h));
    DrawClipped(Canvas, Picture, mask, DestRect);
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

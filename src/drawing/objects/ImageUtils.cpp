#include "drawing/objects/ImageUtils.h"

#include "core/common/Units.h"
#include "platform/Canvas.h"
#include "platform/Metafile.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

bool SizeAcceptable(qint64 w, qint64 h) { return ImageSizeAcceptable(w, h); }

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

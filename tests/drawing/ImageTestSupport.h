#pragma once
// Pictures for the image tests: JPEG files made with libjpeg (with a chosen
// JFIF density, in ink colours, padded), BMP files with a chosen
// resolution, and 24-bit bitmaps from rows of grey values.

#include "drawing/objects/ImageUtils.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include <jpeglib.h>

// JPEG forms: RGB; CMYK as Photoshop writes it (Adobe segment, inverted
// ink); CMYK without the Adobe segment (ink as it is); YCCK (Adobe, inverted).
enum class TJpegForm { Rgb, AdobeCmyk, PlainCmyk, Ycck };

// How the scans are coded (Restarts: a restart marker after every MCU;
// Separate: sequential, one scan for each component).
enum class TJpegCoding { Baseline, Optimized, Restarts, Progressive, Arithmetic, ProgressiveArithmetic, Separate };

// A JPEG of the picture; unit and density go into the JFIF segment of RGB.
inline QByteArray MakeJpeg(const QImage& picture, int unit = 1, int density = 72, TJpegForm form = TJpegForm::Rgb,
                           TJpegCoding coding = TJpegCoding::Baseline)
{
    const QImage src = To24Bit(picture).convertToFormat(QImage::Format_RGB888);
    const bool ink = form != TJpegForm::Rgb, inverted = ink && form != TJpegForm::PlainCmyk;
    std::vector<uchar> inkRow(size_t(src.width()) * 4);
    jpeg_compress_struct cinfo {};
    jpeg_error_mgr err {};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(src.width());
    cinfo.image_height = JDIMENSION(src.height());
    cinfo.input_components = ink ? 4 : 3;
    cinfo.in_color_space = ink ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (ink)
        jpeg_set_colorspace(&cinfo, form == TJpegForm::Ycck ? JCS_YCCK : JCS_CMYK);
    cinfo.write_Adobe_marker = inverted;
    jpeg_set_quality(&cinfo, 95, TRUE);
    cinfo.optimize_coding = coding == TJpegCoding::Optimized;
    cinfo.restart_interval = coding == TJpegCoding::Restarts ? 1 : 0;
    cinfo.arith_code = coding == TJpegCoding::Arithmetic || coding == TJpegCoding::ProgressiveArithmetic;
    if (coding == TJpegCoding::Progressive || coding == TJpegCoding::ProgressiveArithmetic)
        jpeg_simple_progression(&cinfo);
    static const jpeg_scan_info separate[] = {{1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0},
                                              {1, {3}, 0, 63, 0, 0}};
    if (coding == TJpegCoding::Separate) {
        cinfo.scan_info = separate;
        cinfo.num_scans = cinfo.num_components;
    }
    cinfo.write_JFIF_header = !ink;
    cinfo.density_unit = UINT8(unit);
    cinfo.X_density = UINT16(density);
    cinfo.Y_density = UINT16(density);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uchar*>(src.constScanLine(int(cinfo.next_scanline)));
        for (int x = 0; ink && x < src.width(); ++x) {
            const uchar* rgb = row + x * 3;
            const int k = 255 - std::max({rgb[0], rgb[1], rgb[2]});
            uchar* d = inkRow.data() + x * 4;
            for (int c = 0; c < 4; ++c) {
                const int v = c == 3 ? k : k == 255 ? 0 : (255 - rgb[c] - k) * 255 / (255 - k);
                d[c] = uchar(inverted ? 255 - v : v);
            }
        }
        if (ink)
            row = inkRow.data();
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray data(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return data;
}

// Our BMP of the picture with the horizontal resolution field set.
inline QByteArray MakeBmp(const QImage& picture, qint32 pixelsPerMetre)
{
    QByteArray bmp = EncodeBmp(picture);
    qToLittleEndian<qint32>(pixelsPerMetre, bmp.data() + 38);
    return bmp;
}

// The JPEG with three padding bytes before its start-of-scan marker, as some
// cameras and editors write: libjpeg warns of extraneous bytes and decodes it.
inline QByteArray PaddedBeforeScan(QByteArray jpeg)
{
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos + 1]) != 0xDA)
        pos += 2 + ((uchar(jpeg[pos + 2]) << 8) | uchar(jpeg[pos + 3]));
    return jpeg.insert(pos, QByteArray(3, '\0'));
}

inline void WriteBytes(const QString& name, const QByteArray& data)
{
    QFile f(name);
    f.open(QIODevice::WriteOnly);
    f.write(data);
}

// Grey values row by row (each pixel b = g = r = value).
inline QImage GreyImage(std::initializer_list<std::initializer_list<int>> rows)
{
    const int h = int(rows.size()), w = int(rows.begin()->size());
    QImage img(w, h, QImage::Format_BGR888);
    int y = 0;
    for (const auto& row : rows) {
        int x = 0;
        for (int v : row) {
            uchar* p = img.scanLine(y) + x * 3;
            p[0] = p[1] = p[2] = uchar(v);
            ++x;
        }
        ++y;
    }
    return img;
}

inline std::vector<std::vector<int>> Greys(const QImage& img)
{
    std::vector<std::vector<int>> out;
    for (int y = 0; y < img.height(); ++y) {
        out.emplace_back();
        for (int x = 0; x < img.width(); ++x)
            out.back().push_back(img.constScanLine(y)[x * 3]);
    }
    return out;
}

// A picture with distinct pixels, so that any misplaced pixel shows.
inline QImage Distinct(int w, int h)
{
    QImage img(w, h, QImage::Format_BGR888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uchar* p = img.scanLine(y) + x * 3;
            p[0] = uchar(x * 7 + y * 3);
            p[1] = uchar(y * 11 + 5);
            p[2] = uchar(x * 13 + y * 17);
        }
    return img;
}

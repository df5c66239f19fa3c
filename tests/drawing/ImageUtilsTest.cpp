// Picture loading, mirror and turn, natural-size drawing, gradation and the
// region of a monochrome bitmap.

#include "ImageTestSupport.h"
#include "platform/Canvas.h"
#include "support/CanvasTestSupport.h"

#include <QBuffer>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Files {
    QTemporaryDir dir;
    QString Put(const QString& name, const QByteArray& data)
    {
        const QString path = dir.filePath(name);
        WriteBytes(path, data);
        return path;
    }
};

QRgb At(const QImage& img, int x, int y)
{
    return img.pixel(x, y) & 0xFFFFFF;
}

// A BMP file: the file header, an info header of HeaderSize bytes (12 is the
// old form with 16-bit sizes and 3-byte palette entries), the palette and the
// pixel data as given. A negative height is a top-down file.
QByteArray BmpFile(int headerSize, qint32 w, qint32 h, int bits, quint32 compression,
                   const std::vector<QRgb>& palette, const QByteArray& pixels)
{
    const bool core = headerSize == 12;
    const int entry = core ? 3 : 4;
    const int offset = 14 + headerSize + int(palette.size()) * entry;
    QByteArray f(offset, '\0');
    auto* p = reinterpret_cast<uchar*>(f.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(offset + pixels.size()), p + 2);
    qToLittleEndian<quint32>(quint32(offset), p + 10);
    qToLittleEndian<quint32>(quint32(headerSize), p + 14);
    if (core) {
        qToLittleEndian<quint16>(quint16(w), p + 18);
        qToLittleEndian<quint16>(quint16(h), p + 20);
        qToLittleEndian<quint16>(1, p + 22);
        qToLittleEndian<quint16>(quint16(bits), p + 24);
    } else {
        qToLittleEndian<qint32>(w, p + 18);
        qToLittleEndian<qint32>(h, p + 22);
        qToLittleEndian<quint16>(1, p + 26);
        qToLittleEndian<quint16>(quint16(bits), p + 28);
        qToLittleEndian<quint32>(compression, p + 30);
        qToLittleEndian<quint32>(quint32(pixels.size()), p + 34);
        qToLittleEndian<quint32>(quint32(palette.size()), p + 46);
        if (headerSize >= 108)
            qToLittleEndian<quint32>(0x73524742, p + 14 + 56); // sRGB
    }
    for (size_t i = 0; i < palette.size(); ++i) {
        uchar* e = p + 14 + headerSize + i * size_t(entry);
        e[0] = uchar(qBlue(palette[i]));
        e[1] = uchar(qGreen(palette[i]));
        e[2] = uchar(qRed(palette[i]));
    }
    return f + pixels;
}

// The rows of a 24-bit picture in file order (bottom-up, or top-down), each
// padded to four bytes but the last when LastUnpadded.
QByteArray Rows24(const QImage& pic, bool topDown, bool lastUnpadded)
{
    const int rowBytes = pic.width() * 3, stride = (rowBytes + 3) / 4 * 4;
    QByteArray out;
    for (int i = 0; i < pic.height(); ++i) {
        const int y = topDown ? i : pic.height() - 1 - i;
        out += QByteArray(reinterpret_cast<const char*>(pic.constScanLine(y)), rowBytes);
        if (!(lastUnpadded && i + 1 == pic.height()))
            out += QByteArray(stride - rowBytes, '\0');
    }
    return out;
}

} // namespace

TEST(LoadImageFile, ResolutionOfBmpAndJpeg)
{
    Files f;
    const QImage pic = Distinct(8, 6);
    qint32 dpi = 0;
    auto g = LoadImageFile(f.Put("a.bmp", MakeBmp(pic, 3780)), dpi);
    ASSERT_TRUE(g && std::holds_alternative<QImage>(*g));
    EXPECT_EQ(dpi, 96);
    EXPECT_EQ(std::get<QImage>(*g), pic) << "pixels survive our writer and the reader";
    LoadImageFile(f.Put("zero.bmp", MakeBmp(pic, 0)), dpi);
    EXPECT_EQ(dpi, 72);
    LoadImageFile(f.Put("neg.bmp", MakeBmp(pic, -3780)), dpi);
    EXPECT_EQ(dpi, 72);
}

TEST(LoadImageFile, ContentDecidesTheDecoderAndBadFilesGiveNothing)
{
    Files f;
    const QImage pic = Distinct(5, 4);
    qint32 dpi = 0;
    // A BMP named .jpeg loads as a bitmap; a .bmp that is neither gives nothing.
    auto g = LoadImageFile(f.Put("really-bmp.jpeg", MakeBmp(pic, 3780)), dpi);
    ASSERT_TRUE(g && std::holds_alternative<QImage>(*g));
    EXPECT_FALSE(LoadImageFile(f.Put("text.bmp", "hello"), dpi));
    EXPECT_FALSE(LoadImageFile(f.Put("pic.png", MakeBmp(pic, 3780)), dpi)) << "other extensions are not opened";
    EXPECT_FALSE(LoadImageFile(f.dir.filePath("missing.bmp"), dpi));

    // A damaged JPEG: the decoder's error comes back, the process goes on.
    QByteArray jpeg = MakeJpeg(Distinct(64, 64));
    QByteArray cut = jpeg.left(jpeg.size() / 3);
    EXPECT_FALSE(LoadImageFile(f.Put("cut.jpg", cut), dpi));
    QByteArray garbled = jpeg;
    for (qsizetype i = 2; i < 40; ++i)
        garbled[i] = char(0xFF);
    EXPECT_FALSE(LoadImageFile(f.Put("garbled.jpg", garbled), dpi));
    EXPECT_TRUE(TJPEGImage {cut}.Decode().isNull());
    // A BMP whose rows are not all there gives nothing, whatever its header
    // (the old 12-byte form made thousands of rows out of 29 bytes).
    QByteArray core = QByteArray("BM\x1D\0\0\0\0\0\0\0\x1A\0\0\0\x0C\0\0\0\xFF\x0D\0\x19\x01\0\x18\0", 26);
    EXPECT_FALSE(LoadImageFile(f.Put("core.bmp", core + "abc"), dpi));
    EXPECT_FALSE(LoadImageFile(f.Put("cut.bmp", MakeBmp(Distinct(40, 40), 3780).left(100)), dpi));
    EXPECT_FALSE(LoadImageFile(f.Put("cut-header.bmp", MakeBmp(Distinct(4, 4), 3780).left(40)), dpi));
}

TEST(LoadImageFile, JpegsLoadAsTheFileWithTheirResolutionAndDecodeToTheirColours)
{
    // Flat blocks of red, green, blue and grey, which JPEG keeps nearly exact.
    QImage pic = NewBitmap24(32, 32);
    const QColor blocks[] = {QColor(220, 30, 20), QColor(20, 200, 40), QColor(30, 40, 210), QColor(128, 128, 128)};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            pic.setPixelColor(x, y, blocks[(y / 16) * 2 + x / 16]);
    // Padded: three bytes before the scan, as other readers open too.
    const struct {
        TJpegForm form;
        bool padded;
        int unit, density, dpi;
    } jpegs[] = {{TJpegForm::Rgb, false, 1, 300, 300}, {TJpegForm::Rgb, false, 2, 118, 300},
                 {TJpegForm::Rgb, false, 0, 1, 72},    {TJpegForm::Rgb, false, 1, 0, 72},
                 {TJpegForm::Rgb, false, 0, 300, 72},  {TJpegForm::Rgb, true, 1, 300, 300},
                 {TJpegForm::Ycck, true, 1, 300, 72},  {TJpegForm::AdobeCmyk, false, 1, 300, 72},
                 {TJpegForm::PlainCmyk, false, 1, 300, 72}, {TJpegForm::Ycck, false, 1, 300, 72}};
    Files f;
    for (const auto& j : jpegs) {
        SCOPED_TRACE(testing::Message() << int(j.form) << " padded " << j.padded << " density " << j.density);
        const QByteArray file = j.padded ? PaddedBeforeScan(MakeJpeg(pic, j.unit, j.density, j.form))
                                         : MakeJpeg(pic, j.unit, j.density, j.form);
        qint32 dpi = 0;
        const auto g = LoadImageFile(f.Put("p.JPEG", file), dpi);
        ASSERT_TRUE(g && std::holds_alternative<TJPEGImage>(*g));
        EXPECT_EQ(dpi, j.dpi);
        EXPECT_EQ(std::get<TJPEGImage>(*g).Data, file) << "the file's own bytes are kept";
        const QImage img = std::get<TJPEGImage>(*g).Decode();
        ASSERT_EQ(img.size(), QSize(32, 32));
        for (int i = 0; i < 4; ++i) {
            const QColor got = img.pixelColor(4 + (i % 2) * 16, 4 + (i / 2) * 16), want = blocks[i];
            EXPECT_LE(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) +
                          std::abs(got.blue() - want.blue()),
                      24)
                << "block " << i;
        }
    }
}

TEST(LoadImageFile, DensityScanStopsAtTheScanAndNeverWalksBack)
{
    // A segment length of 0 or 1 would walk backwards or stand still.
    const char stuckBytes[] = "\xFF\xD8\xFF\xE1\x00\x00\xFF\xE0";
    QByteArray stuck(stuckBytes, sizeof stuckBytes - 1);
    EXPECT_EQ(JpegDpiOf(stuck), 72);
    // A JFIF segment after the start of scan is image data, not a header.
    const char afterScanBytes[] = "\xFF\xD8\xFF\xDA\x00\x02\xFF\xE0\x00\x10JFIF\x00\x01\x01\x01\x01\x2C\x01\x2C";
    QByteArray afterScan(afterScanBytes, sizeof afterScanBytes - 1);
    EXPECT_EQ(JpegDpiOf(afterScan.left(2) + afterScan.mid(6)), 300) << "the same segment before the scan counts";
    EXPECT_EQ(JpegDpiOf(afterScan), 72);
}

TEST(MirrorRotate, PixelsMoveWholeInEveryDepth)
{
    const QImage src = Distinct(5, 3);
    const QImage lr = *MirrorBitmap(src, true), tb = *MirrorBitmap(src, false);
    const QImage left = *RotateBitmap(src, 0), right = *RotateBitmap(src, 1), half = *RotateBitmap(src, 2);
    EXPECT_EQ(left.size(), QSize(3, 5));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(At(lr, 4 - x, y), At(src, x, y));
            EXPECT_EQ(At(tb, x, 2 - y), At(src, x, y));
            EXPECT_EQ(At(left, y, 4 - x), At(src, x, y));
            EXPECT_EQ(At(right, 2 - y, x), At(src, x, y));
            EXPECT_EQ(At(half, 4 - x, 2 - y), At(src, x, y));
        }
    EXPECT_EQ(*RotateBitmap(left, 1), src) << "left then right gives the start back";
    EXPECT_FALSE(RotateBitmap(src, 3));
    EXPECT_EQ(Greys(src), Greys(Distinct(5, 3))) << "the source is left alone";

    // 1 bit per pixel: single bits move, an odd width crosses byte edges.
    QImage mono = NewBitmap1(11, 3);
    mono.setPixel(0, 0, 0);
    mono.setPixel(9, 2, 0);
    const QImage monoLeft = *RotateBitmap(mono, 0);
    EXPECT_EQ(monoLeft.size(), QSize(3, 11));
    EXPECT_EQ(monoLeft.pixelIndex(0, 10), 0);
    EXPECT_EQ(monoLeft.pixelIndex(2, 1), 0);
    EXPECT_EQ(monoLeft.pixelIndex(1, 5), 1);
    const QImage mono180 = *RotateBitmap(mono, 2);
    EXPECT_EQ(mono180.pixelIndex(10, 2), 0);
    EXPECT_EQ(mono180.pixelIndex(1, 0), 0);
    // 32 bits per pixel.
    QImage argb = src.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(RotateBitmap(argb, 1)->pixel(2, 0), argb.pixel(0, 0));
}

TEST(NaturalSize, CentredAndTiledPlacementAndDegenerateResolutions)
{
    QImage tile = NewBitmap24(4, 2);
    tile.fill(Qt::black);
    // 192 dpi at zoom 1: shown at half size, 2 x 1, centred in 7 x 5.
    QImage dest = NewBitmap24(7, 5);
    DrawImageCentered(tile, 192, dest, 1.0);
    EXPECT_EQ(InkBox(dest), QRect(2, 2, 2, 1));

    // Tiles of 3 x 2 from the bottom-right: a tile edge meets the right edge.
    QImage pattern = NewBitmap24(3, 2);
    pattern.setPixelColor(0, 0, Qt::black);
    QImage tiled = NewBitmap24(7, 5);
    DrawImageTiled(pattern, 96, tiled, true, 1.0);
    EXPECT_EQ(tiled.pixelColor(4, 3), QColor(Qt::black));
    EXPECT_EQ(tiled.pixelColor(1, 1), QColor(Qt::black));
    EXPECT_EQ(tiled.pixelColor(0, 0), QColor(Qt::white));
    QImage fromTop = NewBitmap24(7, 5);
    DrawImageTiled(pattern, 96, fromTop, false, 1.0);
    EXPECT_EQ(fromTop.pixelColor(6, 4), QColor(Qt::black)) << "a cut tile at the right and bottom";

    for (qint32 dpi : {0, -96, 100000}) {
        QImage blank = NewBitmap24(7, 5);
        DrawImageCentered(tile, dpi, blank, 1.0);
        DrawImageTiled(tile, dpi, blank, false, 1.0);
        EXPECT_EQ(blank, NewBitmap24(7, 5)) << dpi;
    }
}

TEST(GradientFill, AnglesAndColours)
{
    const TColor red = 0x0000FF, blue = 0xFF0000;
    QImage solid = NewBitmap24(3, 3);
    GradientFill(solid, 45, red, red);
    EXPECT_EQ(solid.pixelColor(2, 2), QColor(255, 0, 0));

    QImage row = NewBitmap24(5, 1);
    GradientFill(row, 0, red, blue);
    EXPECT_EQ(row.pixelColor(4, 0), QColor(255, 0, 0)) << "one row: Color1";

    QImage v = NewBitmap24(2, 5);
    GradientFill(v, 0, red, blue);
    EXPECT_EQ(v.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(v.pixelColor(1, 4), QColor(0, 0, 255));
    EXPECT_EQ(v.pixelColor(0, 2), QColor(127, 0, 127));
    QImage v180 = NewBitmap24(2, 5);
    GradientFill(v180, 180, red, blue);
    EXPECT_EQ(v180.pixelColor(0, 0), QColor(0, 0, 255));

    QImage h = NewBitmap24(5, 2);
    GradientFill(h, 270, red, blue);
    EXPECT_EQ(h.pixelColor(4, 1), QColor(255, 0, 0));
    EXPECT_EQ(h.pixelColor(0, 0), QColor(0, 0, 255));

    QImage d = NewBitmap24(6, 6);
    GradientFill(d, 45, red, blue);
    EXPECT_EQ(d.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_LT(d.pixelColor(5, 5).red(), 128);
    QImage wrapped = NewBitmap24(6, 6);
    GradientFill(wrapped, 45 + 720, red, blue);
    EXPECT_EQ(wrapped, d) << "angles outside 0-359 are normalised";
    QImage negative = NewBitmap24(6, 6);
    GradientFill(negative, -315, red, blue);
    EXPECT_EQ(negative, d);
}

TEST(BitmapToRegion, UnionOfBlackRunsIncludingRunsToTheRowEnd)
{
    QImage mono = NewBitmap1(10, 4);
    for (int x = 2; x < 5; ++x)
        for (int y = 0; y < 3; ++y)
            mono.setPixel(x, y, 0);
    mono.setPixel(9, 3, 0);
    mono.setPixel(0, 3, 0);
    const TRegion r = BitmapToRegion(mono);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(r.Contains(QPoint(x, y)), mono.pixelIndex(x, y) == 0) << x << "," << y;
    EXPECT_EQ(r.Bounds(), QRect(0, 0, 10, 4));
    EXPECT_TRUE(BitmapToRegion(NewBitmap1(8, 8)).IsEmpty());
}

TEST(LoadImageFile, TopDownBmpsAndLastRowsWithoutPaddingLoadRightWayUpInEveryHeaderForm)
{
    Files f;
    const QImage pic = Distinct(5, 3); // 15 bytes a row: one byte of padding
    qint32 dpi = 0;
    for (int header : {12, 40, 52, 56, 64, 108, 124}) {
        for (const bool topDown : {false, true}) {
            if (header == 12 && topDown)
                continue; // its sizes are unsigned
            for (const bool lastUnpadded : {false, true}) {
                SCOPED_TRACE(testing::Message() << header << " top-down " << topDown << " unpadded " << lastUnpadded);
                const QByteArray file =
                    BmpFile(header, 5, topDown ? -3 : 3, 24, 0, {}, Rows24(pic, topDown, lastUnpadded));
                const auto g = LoadImageFile(f.Put("p.bmp", file), dpi);
                ASSERT_TRUE(g && std::holds_alternative<QImage>(*g));
                EXPECT_EQ(std::get<QImage>(*g), pic);
            }
        }
    }
    // 8 bits a pixel, top-down, the last row cut after its pixels; one short
    // of them is still no picture.
    const std::vector<QRgb> palette = {qRgb(10, 20, 30), qRgb(200, 100, 50), qRgb(0, 255, 0)};
    const QByteArray rows8 = QByteArray("\0\1\2\1\0\0\0\0\2\2\1\1\0", 13);
    const auto g8 = LoadImageFile(f.Put("p8.bmp", BmpFile(40, 5, -2, 8, 0, palette, rows8)), dpi);
    ASSERT_TRUE(g8 && std::holds_alternative<QImage>(*g8));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(At(std::get<QImage>(*g8), i % 5, i / 5), palette[size_t(rows8[i < 5 ? i : i + 3])] & 0xFFFFFF) << i;
    EXPECT_FALSE(LoadImageFile(f.Put("short.bmp", BmpFile(40, 5, -2, 8, 0, palette, rows8.chopped(1))), dpi));
}

TEST(LoadImageFile, JpegsWithoutTheirEndMarkerLoadInEveryCodingAndCutOnesDoNot)
{
    Files f;
    const QImage pic = Distinct(48, 40);
    qint32 dpi = 0;
    for (const TJpegCoding coding : {TJpegCoding::Baseline, TJpegCoding::Optimized, TJpegCoding::Restarts,
                                     TJpegCoding::Progressive, TJpegCoding::Arithmetic,
                                     TJpegCoding::ProgressiveArithmetic}) {
        for (const TJpegForm form : {TJpegForm::Rgb, TJpegForm::Ycck}) {
            SCOPED_TRACE(testing::Message() << "coding " << int(coding) << " form " << int(form));
            const QByteArray whole = MakeJpeg(pic, 1, 72, form, coding);
            ASSERT_TRUE(whole.endsWith("\xFF\xD9"));
            const QImage want = TJPEGImage {whole}.Decode();
            ASSERT_FALSE(want.isNull());
            // A transfer two bytes short: every row is there, the end marker is not.
            const QByteArray noEnd = whole.chopped(2);
            const auto g = LoadImageFile(f.Put("p.jpg", noEnd), dpi);
            ASSERT_TRUE(g && std::holds_alternative<TJPEGImage>(*g));
            EXPECT_EQ(std::get<TJPEGImage>(*g).Data, noEnd);
            EXPECT_EQ(std::get<TJPEGImage>(*g).Decode(), want);
            // Rows missing: nothing, wherever the cut falls.
            for (const qsizetype keep : {whole.size() / 2, whole.size() * 3 / 4})
                EXPECT_FALSE(LoadImageFile(f.Put("cut.jpg", whole.left(keep)), dpi)) << keep;
            // A progressive file cut before its last scan has every row, but
            // not every bit of them.
            const qsizetype lastScan = whole.lastIndexOf("\xFF\xDA");
            if (coding == TJpegCoding::Progressive || coding == TJpegCoding::ProgressiveArithmetic) {
                EXPECT_FALSE(LoadImageFile(f.Put("cut.jpg", whole.left(lastScan)), dpi));
            }
        }
    }
}

TEST(DecodeBmp, PixelsThatRunLengthCodingSkipsTakeTheFirstPaletteColourAndSaveTheSame)
{
    // 8 x 4, bottom-up. RLE8: three of colour 1 on the bottom row, a delta two
    // on and one up, two of colour 2, end of line, three pixels as they are,
    // and an early end of bitmap. RLE4 the same with two colours a byte.
    const std::vector<QRgb> palette = {qRgb(10, 20, 30), qRgb(200, 100, 50), qRgb(0, 255, 0)};
    const QByteArray rle8("\x03\x01\x00\x02\x02\x01\x02\x02\x00\x00\x00\x03\x01\x02\x01\x00\x00\x01", 18);
    const QByteArray rle4("\x03\x11\x00\x02\x02\x01\x02\x22\x00\x00\x00\x03\x12\x10\x00\x01", 16);
    const int want[4][8] = {{0, 0, 0, 0, 0, 0, 0, 0}, {1, 2, 1, 0, 0, 0, 0, 0},
                            {0, 0, 0, 0, 0, 2, 2, 0}, {1, 1, 1, 0, 0, 0, 0, 0}};
    for (const bool four : {false, true}) {
        SCOPED_TRACE(four ? "RLE4" : "RLE8");
        const QByteArray file = BmpFile(40, 8, 4, four ? 4 : 8, four ? 2 : 1, palette, four ? rle4 : rle8);
        const QImage img = DecodeBmp(file);
        ASSERT_EQ(img.size(), QSize(8, 4));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(At(img, x, y), palette[size_t(want[y][x])] & 0xFFFFFF) << x << "," << y;
        // The stored picture holds the same pixels, byte for byte each time.
        const QByteArray stored = EncodeBmp(img);
        EXPECT_EQ(EncodeBmp(DecodeBmp(file)), stored);
        EXPECT_EQ(DecodeBmp(stored), img);
    }
}

TEST(DecodeBmp, APicturesStoredFormReadsBackOrThePictureDoesNotLoad)
{
    // Run-length data of nothing but an end of bitmap: one byte a pixel
    // here, four when its stored 24-bit form is read back, and the reader
    // takes no more than its allocation limit (1 MB for this test).
    struct Restore {
        int mb = QImageReader::allocationLimit();
        ~Restore() { QImageReader::setAllocationLimit(mb); }
    } restore;
    QImageReader::setAllocationLimit(1);
    const std::vector<QRgb> palette = {qRgb(10, 20, 30)};
    const QImage fits = DecodeBmp(BmpFile(40, 512, 512, 8, 1, palette, QByteArray("\0\1", 2)));
    ASSERT_FALSE(fits.isNull());
    QBuffer stored;
    stored.open(QIODevice::ReadWrite);
    WriteBmpToStream(stored, fits);
    stored.seek(0);
    EXPECT_EQ(ReadBmpFromStream(stored), fits);
    EXPECT_TRUE(DecodeBmp(BmpFile(40, 512, 513, 8, 1, palette, QByteArray("\0\1", 2))).isNull());
}

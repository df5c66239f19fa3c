// Picture loading, mirror and turn, natural-size drawing, gradation and the
// region of a monochrome bitmap.

#include "ImageTestSupport.h"
#include "platform/Canvas.h"
#include "support/CanvasTestSupport.h"

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

// A BMP with an info header of `header` bytes, then palette and pixels as
// given; a negative height is a top-down file.
QByteArray BmpFile(int header, qint32 w, qint32 h, int bits, qint32 compression, const std::vector<QRgb>& palette,
                   const QByteArray& pixels)
{
    const qint32 colours = qint32(palette.size()), start = 14 + header + 4 * colours, n = qint32(pixels.size());
    const qint32 v[] = {start + n, 0, start, header, w, h, 1 | bits << 16, compression, n, 0, 0, colours};
    QByteArray f = "BM" + QByteArray(start - 2, '\0');
    qToLittleEndian<qint32>(v, 12, f.data() + 2);
    for (size_t i = 0; i < palette.size(); ++i)
        qToLittleEndian<quint32>(palette[i], f.data() + 14 + header + 4 * i);
    return f + pixels;
}

// Rows of palette indices (top row first) as run-length data, bottom row
// first as the file keeps them: runs of one index, an end of line after
// every row and an end of bitmap last. Each code's offset is kept in ends.
QByteArray RunLength(const std::vector<std::vector<int>>& rows, bool four, std::vector<qsizetype>* ends = nullptr)
{
    QByteArray out;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        for (size_t x = 0; x < row->size();) {
            size_t n = 1;
            while (x + n < row->size() && (*row)[x + n] == (*row)[x] && n < 255)
                ++n;
            out += char(n);
            out += char(four ? (*row)[x] * 17 : (*row)[x]);
            x += n;
        }
        out += QByteArray("\0\0", 2);
        if (ends)
            ends->push_back(out.size());
    }
    return out + QByteArray("\0\1", 2);
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
    qint32 dpi = 0;
    // Two rows of one pixel, each padded to four bytes but perhaps the last.
    const QByteArray rows("\x10\x20\x30\0\x40\x50\x60\0", 8);
    for (int header : {40, 52, 56, 64, 108, 124})
        for (int topDown : {0, 1})
            for (int pad : {0, 1}) {
                SCOPED_TRACE(testing::Message() << header << " top-down " << topDown << " padded " << pad);
                const auto file = [&](int n) { return BmpFile(header, 1, topDown ? -2 : 2, 24, 0, {}, rows.left(n)); };
                const auto g = LoadImageFile(f.Put("p.bmp", file(7 + pad)), dpi);
                const QImage* img = g ? std::get_if<QImage>(&*g) : nullptr;
                EXPECT_TRUE(img && At(*img, 0, 1 - topDown) == 0x302010u && At(*img, 0, topDown) == 0x605040u);
                EXPECT_FALSE(LoadImageFile(f.Put("short.bmp", file(6)), dpi)); // a pixel's byte missing
            }
}

TEST(LoadImageFile, JpegsWithoutTheirEndMarkerLoadInEveryCodingAndCutOnesDoNot)
{
    Files f;
    qint32 dpi = 0;
    using C = TJpegCoding;
    for (C coding : {C::Baseline, C::Optimized, C::Restarts, C::Progressive, C::Arithmetic, C::ProgressiveArithmetic}) {
        SCOPED_TRACE(testing::Message() << "coding " << int(coding));
        const QByteArray whole = MakeJpeg(Distinct(48, 40), 1, 72, TJpegForm::Rgb, coding);
        // A transfer two bytes short: every row is there, the end marker is not.
        const auto g = LoadImageFile(f.Put("p.jpg", whole.chopped(2)), dpi);
        const TJPEGImage* loaded = g ? std::get_if<TJPEGImage>(&*g) : nullptr;
        EXPECT_TRUE(loaded && loaded->Decode() == TJPEGImage {whole}.Decode());
        // Rows missing, or a progressive file's last scan (every row, not every bit): nothing.
        for (qsizetype keep : {whole.size() / 2, whole.size() * 3 / 4, whole.lastIndexOf("\xFF\xDA")})
            EXPECT_FALSE(LoadImageFile(f.Put("cut.jpg", whole.left(keep)), dpi)) << keep;
    }
}

TEST(LoadImageFile, AJpegIsTakenWithoutItsEndMarkerOnlyWhenEveryComponentWasReadWhateverItsScans)
{
    Files f;
    qint32 dpi = 0;
    using C = TJpegCoding;
    // A flat picture has scans of a few bytes, which the coder reads past
    // into the end long before their last row.
    const struct {
        C coding;
        int w, h;
        bool flat;
    } cases[] = {{C::Separate, 48, 40, false}, {C::Separate, 256, 256, true}, {C::Progressive, 64, 48, true},
                 {C::Baseline, 64, 48, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "coding " << int(c.coding) << " " << c.w << " x " << c.h);
        const QByteArray whole = MakeJpeg(c.flat ? NewBitmap24(c.w, c.h) : Distinct(c.w, c.h), 1, 72, TJpegForm::Rgb, c.coding);
        const auto g = LoadImageFile(f.Put("p.jpg", whole.chopped(2)), dpi);
        const TJPEGImage* loaded = g ? std::get_if<TJPEGImage>(&*g) : nullptr;
        EXPECT_TRUE(loaded && loaded->Decode() == TJPEGImage {whole}.Decode()) << "only the end marker is missing";
        // Cut where the second scan starts: a component never read.
        const qsizetype second = whole.indexOf("\xFF\xDA", whole.indexOf("\xFF\xDA") + 2);
        EXPECT_TRUE(second < 0 || !LoadImageFile(f.Put("cut.jpg", whole.left(second)), dpi));
    }
}

TEST(DecodeBmp, PixelsThatRunLengthCodingSkipsTakeTheFirstPaletteColourAndSaveTheSame)
{
    // 8 x 4, bottom-up: three of colour 1, a delta two on and one up, two of
    // colour 2, end of line, three pixels as they are, an early end of bitmap.
    const std::vector<QRgb> palette = {qRgb(10, 20, 30), qRgb(200, 100, 50), qRgb(0, 255, 0)};
    const QByteArray rle8("\x03\x01\x00\x02\x02\x01\x02\x02\x00\x00\x00\x03\x01\x02\x01\x00\x00\x01", 18);
    const QByteArray rle4("\x03\x11\x00\x02\x02\x01\x02\x22\x00\x00\x00\x03\x12\x10\x00\x01", 16);
    const char* want[] = {"00000000", "12100000", "00000220", "11100000"};
    for (int four : {0, 1}) {
        const QImage img = DecodeBmp(BmpFile(40, 8, 4, four ? 4 : 8, four ? 2 : 1, palette, four ? rle4 : rle8));
        ASSERT_EQ(img.size(), QSize(8, 4)) << four;
        for (int i = 0; i < 32; ++i)
            EXPECT_EQ(At(img, i % 8, i / 8), palette[size_t(want[i / 8][i % 8] - '0')] & 0xFFFFFF) << four << " " << i;
        EXPECT_EQ(DecodeBmp(EncodeBmp(img)), img) << four; // as saved in a layout
    }
}

TEST(DecodeBmp, APicturesStoredFormReadsBackOrThePictureDoesNotLoad)
{
    // Run-length data of just an end of bitmap: four bytes a pixel in the
    // stored 24-bit form, which the reader takes up to its limit, here 1 MB.
    const auto rle = [](int h) { return DecodeBmp(BmpFile(40, 512, h, 8, 1, {0}, QByteArray("\0\1", 2))); };
    const int mb = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    const QImage fits = rle(512), readBack = DecodeBmp(EncodeBmp(fits)), tooBig = rle(513);
    QImageReader::setAllocationLimit(mb);
    EXPECT_FALSE(fits.isNull());
    EXPECT_EQ(readBack, fits);
    EXPECT_TRUE(tooBig.isNull());
}

TEST(DecodeBmp, SixteenBitAndMaskedChannelsReachTheirFullRangeInEveryForm)
{
    // One row: white, black, a middle value. A channel of n bits is filled by
    // repeating its bits: 5 bits 16 -> 132, 6 bits 32 -> 130, 5 bits 8 -> 66,
    // 10 bits 0x208 -> 130. The masks follow the 40-byte header as a palette.
    const struct {
        const char* form;
        QByteArray file;
        QRgb middle;
    } cases[] = {
        {"565 bit fields", BmpFile(40, 3, 1, 16, 3, {0xF800, 0x07E0, 0x001F}, QByteArray("\xFF\xFF\0\0\x08\x84\0\0", 8)),
         qRgb(132, 130, 66)},
        {"555 plain", BmpFile(40, 3, 1, 16, 0, {}, QByteArray("\xFF\x7F\0\0\x08\x42\0\0", 8)), qRgb(132, 132, 66)},
        {"32-bit 10-10-10", BmpFile(40, 3, 1, 32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF},
                                    QByteArray("\xFF\xFF\xFF\x3F\0\0\0\0\0\0\x80\x20", 12)),
         qRgb(130, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form);
        const QImage img = DecodeBmp(c.file);
        ASSERT_EQ(img.size(), QSize(3, 1));
        EXPECT_EQ(std::vector<QRgb>({At(img, 0, 0), At(img, 1, 0), At(img, 2, 0)}),
                  std::vector<QRgb>({0xFFFFFF, 0, c.middle & 0xFFFFFF}));
        EXPECT_EQ(DecodeBmp(EncodeBmp(img)), img) << "as saved in a layout";
    }
}

TEST(DecodeBmp, PixelsAreCountedFromWhereTheReaderStartsWhenTheOffsetPointsIntoMasksOrPalette)
{
    // 2 x 2, 32-bit with its masks after the header, or 8-bit with a palette
    // of two: the pixel offset at 54 points inside them, the last row short.
    const QByteArray rows("\x01\x02\x03\0\x04\x05\x06\0\x07\x08\x09\0\x0A\x0B\x0C\0", 16);
    QByteArray masked = BmpFile(40, 2, 2, 32, 3, {0xFF0000, 0x00FF00, 0x0000FF}, rows.left(12));
    QByteArray pal = BmpFile(40, 2, 2, 8, 0, {qRgb(0, 0, 0), qRgb(255, 0, 0)}, QByteArray("\1\0\0\0", 4));
    for (QByteArray* f : {&masked, &pal}) {
        qToLittleEndian<qint32>(54, f->data() + 10);
        EXPECT_TRUE(DecodeBmp(*f).isNull()) << f->size();
    }
    const QImage whole = DecodeBmp(masked + rows.right(4)), img = DecodeBmp(pal + QByteArray("\0\1", 2));
    EXPECT_EQ(std::vector<QRgb>({At(whole, 0, 1), At(whole, 1, 0), At(img, 0, 1), At(img, 1, 0)}),
              std::vector<QRgb>({0x030201u, 0x0C0B0Au, 0xFF0000u, 0xFF0000u}));
}

TEST(DecodeBmp, RunLengthPicturesWithoutAllTheirRowsOrStoredTopDownAreRefused)
{
    // 8 x 61 in sixteen colours, each row a run or two of its own.
    std::vector<QRgb> palette;
    for (int i = 0; i < 16; ++i)
        palette.push_back(qRgb(i * 16, 255 - i * 8, i * 5));
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < 61; ++y)
        rows.push_back({1 + y % 15, 1 + y % 15, 1 + y % 15, 1 + (y + 3) % 15, 1 + (y + 3) % 15, 1, 2, 3});
    Files f;
    qint32 dpi = 0;
    for (int four : {0, 1}) {
        SCOPED_TRACE(four ? "RLE4" : "RLE8");
        std::vector<qsizetype> ends;
        const QByteArray data = RunLength(rows, four, &ends);
        const auto file = [&](qint32 h, const QByteArray& pixels) {
            return BmpFile(40, 8, h, four ? 4 : 8, four ? 2 : 1, palette, pixels);
        };
        const QImage whole = DecodeBmp(file(61, data));
        ASSERT_EQ(whole.size(), QSize(8, 61));
        for (int i = 0; i < 8 * 61; ++i)
            ASSERT_EQ(At(whole, i % 8, i / 8), palette[size_t(rows[size_t(i / 8)][size_t(i % 8)])] & 0xFFFFFF) << i;
        // Every row closed by its end of line, no end of bitmap: all there.
        EXPECT_EQ(DecodeBmp(file(61, data.chopped(2))), whole);
        // Cut after the tenth end of line, half-way, inside a run, after an
        // escape's first byte, inside a delta: rows missing.
        for (const QByteArray& cut : {data.left(ends[9]), data.left(data.size() / 2), data.left(ends[30] + 1),
                                      data.left(ends[30]) + '\0', data.left(ends[30]) + QByteArray("\0\2\1", 3)})
            EXPECT_TRUE(DecodeBmp(file(61, cut)).isNull()) << cut.size();
        EXPECT_FALSE(LoadImageFile(f.Put("cut.bmp", file(61, data.left(ends[9]))), dpi));
        EXPECT_TRUE(LoadImageFile(f.Put("whole.bmp", file(61, data)), dpi));
        // A top-down file cannot be run-length coded.
        EXPECT_TRUE(DecodeBmp(file(-61, data)).isNull());
    }
}

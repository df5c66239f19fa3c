// Masked and transparent pictures on paper: drawn into a 600-dpi PDF over a
// red page and rasterised with pdftoppm, the page must show red outside the
// shape (or at the transparent pixels) and the picture inside, never the
// black boxes that raster operations leave in a PDF.
// TELVORA_SAMPLE_DIR, when set, receives the rasterised pages as PNG files.

#include "ImageTestSupport.h"
#include "platform/Canvas.h"
#include "platform/Metafile.h"
#include "platform/MetafileFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int kDpi = 600;
constexpr int kPage = 600; // one inch square

// Left half blue, right half green: both halves must show inside the shape.
QImage Picture()
{
    QImage pic = NewBitmap24(80, 80);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x)
            pic.setPixelColor(x, y, x < 40 ? QColor(0, 0, 255) : QColor(0, 160, 0));
    return pic;
}

// Paints a red page, then `draw`, into a PDF and gives the page back as pixels.
QImage PdfPage(const QString& name, const std::function<void(TCanvas&)>& draw)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(name + QStringLiteral(".pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(kDpi);
        writer.setPageSize(QPageSize(QSizeF(1, 1), QPageSize::Inch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        TCanvas canvas(painter, kDpi, kDpi);
        canvas.Brush() = TBrush {0x0000FF, bsSolid};
        canvas.FillRect(QRect(0, 0, kPage, kPage));
        draw(canvas);
    }
    const QString out = dir.filePath(name);
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, out});
    QImage page(out + QStringLiteral(".png"));
    const QByteArray samples = qgetenv("TELVORA_SAMPLE_DIR");
    if (!samples.isEmpty() && !page.isNull())
        page.save(QString::fromLocal8Bit(samples) + QLatin1Char('/') + name + QStringLiteral(".png"));
    return page.convertToFormat(QImage::Format_RGB32);
}

enum Colour { Red, Blue, Green, Other };
Colour Classify(QRgb c)
{
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    if (r > 200 && g < 60 && b < 60)
        return Red;
    if (b > 200 && r < 60 && g < 60)
        return Blue;
    if (g > 120 && r < 60 && b < 60)
        return Green;
    return Other;
}

TMetafileEx Circle()
{
    TMetafileEx shape;
    const QString file = QCoreApplication::applicationDirPath() + QStringLiteral("/Common/Mask/Itm01.emf");
    EXPECT_TRUE(LoadMetafileFile(file, shape));
    return shape;
}

class MaskPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            GTEST_SKIP() << "pdftoppm is not installed";
    }
};

// The destination rectangle (100, 100)-(500, 500) with the circle over all of it.
void ExpectCircleOfPicture(const QImage& page)
{
    ASSERT_EQ(page.size(), QSize(kPage, kPage));
    EXPECT_EQ(Classify(page.pixel(30, 30)), Red) << "outside the picture";
    EXPECT_EQ(Classify(page.pixel(110, 110)), Red) << "inside the rectangle, outside the circle";
    EXPECT_EQ(Classify(page.pixel(490, 490)), Red);
    EXPECT_EQ(Classify(page.pixel(200, 300)), Blue) << "the picture's left half inside the circle";
    EXPECT_EQ(Classify(page.pixel(400, 300)), Green) << "the picture's right half inside the circle";
    EXPECT_EQ(Classify(page.pixel(280, 110)), Blue) << "the top of the circle";
    EXPECT_EQ(Classify(page.pixel(320, 110)), Green);
    int black = 0;
    for (int y = 0; y < kPage; y += 3)
        for (int x = 0; x < kPage; x += 3)
            black += qGray(page.pixel(x, y)) < 30;
    EXPECT_EQ(black, 0) << "no black boxes";
}

} // namespace

TEST_F(MaskPrint, MaskedPictureThroughAlphaShowsRedOutsideTheShape)
{
    const TMetafileEx shape = Circle();
    ExpectCircleOfPicture(PdfPage(QStringLiteral("masked-alpha"), [&](TCanvas& c) {
        DrawMaskedRop(c, Picture(), shape, TRect(0, 0, 400, 400), TRect(100, 100, 500, 500));
    }));
}

TEST_F(MaskPrint, MaskedPictureUnderAClipRegionShowsRedOutsideTheShape)
{
    const TMetafileEx shape = Circle();
    ExpectCircleOfPicture(PdfPage(QStringLiteral("masked-clip"), [&](TCanvas& c) {
        DrawMaskedClip(c, Picture(), shape, TRect(0, 0, 400, 400), TRect(100, 100, 500, 500));
        // The canvas's clip is back as it was: this square is not cut.
        c.Brush() = TBrush {0xFF0000, bsSolid};
        c.FillRect(QRect(0, 0, 20, 20));
    }));
}

TEST_F(MaskPrint, TransparentColourLetsThePageThroughBothWays)
{
    // A white frame around a blue-green middle; white is the transparent colour.
    QImage pic = Picture();
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x)
            if (x < 10 || y < 10 || x >= 70 || y >= 70)
                pic.setPixelColor(x, y, Qt::white);
    for (bool clip : {false, true}) {
        const QImage page = PdfPage(clip ? QStringLiteral("transparent-clip") : QStringLiteral("transparent-alpha"),
                                    [&](TCanvas& c) {
                                        if (clip)
                                            DrawTransparentClip(c, pic, 0xFFFFFF, TRect(100, 100, 500, 500));
                                        else
                                            DrawTransparentRop(c, pic, 0xFFFFFF, TRect(100, 100, 500, 500));
                                    });
        ASSERT_FALSE(page.isNull());
        EXPECT_EQ(Classify(page.pixel(120, 120)), Red) << clip;
        EXPECT_EQ(Classify(page.pixel(200, 300)), Blue) << clip;
        EXPECT_EQ(Classify(page.pixel(400, 300)), Green) << clip;
    }
}

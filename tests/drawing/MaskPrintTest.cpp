// Masked pictures on paper: drawn into a 600-dpi PDF over a red page and
// rasterised with pdftoppm, the page must show red outside the shape and the
// picture inside, never the black boxes that raster operations leave in a
// PDF. TELVORA_SAMPLE_DIR, when set, receives the rasterised pages as PNG
// files. On a raster page, masked and transparent pictures show the page
// outside the shape or at the transparent colour, and only the part inside
// the clip is worked out, showing as in the whole picture.

#include "ImageTestSupport.h"
#include "platform/Canvas.h"
#include "platform/Metafile.h"
#include "platform/MetafileFile.h"
#include "support/CanvasTestSupport.h"

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

TEST_F(MaskPrint, MaskedPictureThroughAlphaOrUnderAClipRegionShowsRedOutsideTheShape)
{
    const TMetafileEx shape = Circle();
    ExpectCircleOfPicture(PdfPage(QStringLiteral("masked-alpha"), [&](TCanvas& c) {
        DrawMaskedRop(c, Picture(), shape, TRect(0, 0, 400, 400), TRect(100, 100, 500, 500));
    }));
    ExpectCircleOfPicture(PdfPage(QStringLiteral("masked-clip"), [&](TCanvas& c) {
        DrawMaskedClip(c, Picture(), shape, TRect(0, 0, 400, 400), TRect(100, 100, 500, 500));
        // The canvas's clip is back as it was: this square is not cut.
        c.Brush() = TBrush {0xFF0000, bsSolid};
        c.FillRect(QRect(0, 0, 20, 20));
    }));
}

TEST(MaskedDrawing, OnlyThePartInTheClipIsWorkedAndItShowsAsInTheWholePicture)
{
    const TMetafileEx shape = Circle();
    const QImage pic = Picture(); // stretched five times: no pixel centre on an edge
    const std::function<void(TCanvas&)> ways[] = {
        [&](TCanvas& c) { DrawMaskedRop(c, pic, shape, TRect(20, -10, 420, 390), TRect(0, 0, 400, 400)); },
        [&](TCanvas& c) { DrawMaskedClip(c, pic, shape, TRect(20, -10, 420, 390), TRect(0, 0, 400, 400)); },
        [&](TCanvas& c) { DrawTransparentRop(c, pic, 0x00A000, TRect(0, 0, 400, 400)); },
        [&](TCanvas& c) { DrawTransparentClip(c, pic, 0x00A000, TRect(0, 0, 400, 400)); },
    };
    // The page (white) shows outside the circle, or at the green pixels.
    // Across the circle's edge and the picture's halves (green is the transparent colour).
    const TRegion clip = TRegion::Rect(150, 0, 230, 44);
    for (size_t i = 0; i < std::size(ways); ++i) {
        const QImage whole = Painted(400, 400, ways[i]);
        EXPECT_EQ(Classify(whole.pixel(100, 200)), Blue) << i;
        EXPECT_EQ(whole.pixel(300, 200), i < 2 ? qRgb(0, 160, 0) : qRgb(255, 255, 255)) << i;
        EXPECT_EQ(whole.pixel(5, 390), i < 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 255)) << i;
        const QImage part = Painted(400, 400, [&](TCanvas& c) {
            c.SelectClipRgn(&clip);
            EXPECT_EQ(VisiblePart(c, TRect(0, 0, 400, 400)), TRect(150, 0, 230, 44));
            ways[i](c);
        });
        QImage want = WhiteImage(400, 400);
        QPainter(&want).drawImage(QPoint(150, 0), whole.copy(150, 0, 80, 44));
        EXPECT_TRUE(part == want) << "way " << i;
    }
    QImage page = WhiteImage(64, 48);
    QPainter painter(&page);
    TCanvas onPage(painter);
    EXPECT_EQ(VisiblePart(onPage, TRect(-9, -9, 90000, 90000)), TRect(0, 0, 64, 48)) << "the page bounds it as a clip";
    TMetafileEx list;
    TCanvas recording(list);
    EXPECT_EQ(VisiblePart(recording, TRect(-5, -5, 90000, 90000)), TRect(-5, -5, 90000, 90000)) << "played anywhere";
}

#include "DrawRectTestItem.h"
#include "drawing/objects/FigureRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/RefDevice.h"
#include "support/CanvasTestSupport.h"

#include <QBuffer>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const TRefDevice kPrinter600{true, 600, 600, 0, 0};
const TRefDevice kPrinter200{true, 200, 200, 0, 0};

// A figure with every setting away from its default.
void MakeAwkward(TFigureRect& f)
{
    f.SetRect(TRect(-30, 7, 500, 9000));
    f.SetFigureKind(fkSector);
    f.SetSectorDirection(sdTopLeft);
    f.SetLineDirections(ldVertical | ldDiagonalR);
    f.SetCornerRadius(0, 2);
    f.SetCornerRadius(1, 1);
    f.SetFrame(false);
    f.SetBack(true);
    f.SetGradation(true);
    f.SetLineType(4);
    f.SetLineWidth(50);
    f.SetFrameColor(0x00ABCDEF);
    f.SetColor1(0x80000005); // a system colour value
    f.SetColor2(0x00FFFFFF);
    f.SetAngle(359);
}

QImage OnScreen(TFigureRect& f, int w, int h, QRgb page = 0xFFFFFFFF)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(page);
    {
        QPainter p(&img);
        TCanvas c(p);
        f.Draw(&c, 0, 0);
    }
    return img;
}

// Distance from p to the segment a-b.
double SegmentDistance(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double len2 = d.x() * d.x() + d.y() * d.y();
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / len2, 0.0, 1.0) : 0;
    const QPointF q = a + t * d;
    return std::hypot(p.x() - q.x(), p.y() - q.y());
}

} // namespace

TEST(FigureRecord, DefaultRecordLayoutAndTheVersionBeforeSectors)
{
    TFigureRect f;
    f.SetRect(TRect(10, 20, 110, 70));
    const QByteArray record = SavedRecord(f);
    ASSERT_EQ(record.size(), 48);
    EXPECT_EQ(record.toHex(' '), QByteArray("0a 00 00 00 14 00 00 00 6e 00 00 00 46 00 00 00 01 " // base
                                            "01 00 00 00 01 00 00 00 00 " // frame, back, gradation, kind, lines, corners
                                            "00 00 05 00 00 00 "          // sector, line type, width
                                            "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00")); // colours, angle

    // Version 299 has no sector byte: 47 bytes, the apex stays bottom-right.
    QByteArray old = record;
    old.remove(17 + 9, 1);
    old[17 + 3] = char(fkSector);
    TFigureRect g;
    g.SetSectorDirection(sdTopRight); // what the object held keeps
    EXPECT_EQ(LoadRecord(g, old, 299), 47);
    EXPECT_EQ(g.GetFigureKind(), fkSector);
    EXPECT_EQ(g.GetSectorDirection(), sdTopRight);
    TFigureRect fresh;
    EXPECT_EQ(LoadRecord(fresh, old, 299), 47);
    EXPECT_EQ(fresh.GetSectorDirection(), sdBottomRight);
    EXPECT_EQ(fresh.GetLineWidth(), 5);
    // Written again it is a current record of 48 bytes.
    EXPECT_EQ(SavedRecord(fresh).size(), 48);
    EXPECT_EQ(LoadRecord(fresh, record, 300), 48);
}

TEST(FigureRecord, EverySettingRoundTripsAndAShortRecordChangesNothing)
{
    TFigureRect f;
    MakeAwkward(f);
    const QByteArray record = SavedRecord(f);
    TFigureRect g;
    g.SetZoom(0.5);
    EXPECT_EQ(LoadRecord(g, record, DrawRectCurrentVersion), record.size());
    EXPECT_EQ(SavedRecord(g).toHex(' '), record.toHex(' '));
    EXPECT_EQ(g.GetDisplayRect(), TRect(-15, 4, 250, 4500));
    EXPECT_FALSE(g.IsFigureValid() || g.IsGradientValid() || g.IsRegionValid());

    TFigureRect copy;
    copy.Assign(f);
    EXPECT_EQ(SavedRecord(copy).toHex(' '), record.toHex(' '));

    // Every cut falls short and leaves the figure as it was.
    TFigureRect target;
    target.SetRect(TRect(1, 2, 3, 4));
    const QByteArray before = SavedRecord(target);
    for (int n = 0; n < record.size(); ++n) {
        EXPECT_THROW(LoadRecord(target, record.left(n), DrawRectCurrentVersion), EDrawRectStreamError) << n;
        ASSERT_EQ(SavedRecord(target), before) << n;
    }
}

TEST(FigureCaches, SettersClearOnlyWhatTheyAffect)
{
    TFigureRect f;
    f.SetFigureKind(fkEllipse);
    f.SetRect(TRect(0, 0, 100, 60));
    auto fresh = [&] {
        f.Refresh(false);
        ASSERT_TRUE(f.IsFigureValid() && f.IsGradientValid() && f.IsRegionValid());
    };
    auto expect = [&](bool figure, bool gradient, bool region, const char* what) {
        EXPECT_EQ(f.IsFigureValid(), figure) << what;
        EXPECT_EQ(f.IsGradientValid(), gradient) << what;
        EXPECT_EQ(f.IsRegionValid(), region) << what;
    };

    // Without a gradation nothing but the recording is at stake.
    fresh();
    f.SetZoom(2);
    expect(true, true, true, "zoom, no gradation");
    f.SetColor1(0xFF);
    expect(false, true, true, "colour, no gradation");
    fresh();
    f.SetLineWidth(5);
    expect(true, true, true, "same width");

    f.SetBack(true);
    f.SetGradation(true);
    fresh();
    EXPECT_FALSE(f.GetGradientBitmap().isNull());
    ASSERT_TRUE(f.GetFillRegion().has_value());
    // Zooming a gradation rebuilds the bitmap and region, not the recording.
    f.SetZoom(0.5);
    expect(true, false, false, "zoom");
    fresh();
    EXPECT_EQ(f.GetGradientBitmap().size(), QSize(50, 30));
    f.SetAngle(45);
    expect(false, false, true, "angle");
    fresh();
    f.SetCornerRadius(0, 2);
    expect(false, true, false, "corner");
    fresh();
    f.SetLineType(5);
    expect(true, true, true, "line type 5 ignored");
    EXPECT_EQ(f.GetLineType(), 0);
    f.SetClipLine(30);
    expect(true, true, true, "clip line without a side");
    f.SetClipSide(csLeft);
    expect(false, true, true, "clip side: the recording is cut anew");

    // A line figure always has its outline.
    f.SetFrame(false);
    f.SetFigureKind(fkLine);
    EXPECT_TRUE(f.GetFrame());
    f.SetFrame(false);
    EXPECT_TRUE(f.GetFrame());
    fresh();
    EXPECT_FALSE(f.GetFillRegion().has_value()) << "a line figure's gradation fills its box";
}

TEST(FigureDrawing, RecordedAtThePrinterResolution)
{
    const TRefDeviceScope printer(kPrinter600);
    TFigureRect f;
    f.SetFigureKind(fkRectangle);
    f.SetRect(TRect(0, 0, 96, 48));
    f.Refresh(false);
    EXPECT_EQ(f.GetMetafile().Width(), 600);
    EXPECT_EQ(f.GetMetafile().Height(), 600);
    EXPECT_EQ(f.GetMetafile().DpiX(), 600);
    const QRectF ink = f.GetMetafile().InkBounds();
    EXPECT_NEAR(ink.right(), 600, 20);
    EXPECT_NEAR(ink.bottom(), 300, 20);
}

TEST(FigureDrawing, LineFiguresDrawTheirLinesOrTheirBox)
{
    TFigureRect f;
    f.SetRect(TRect(10, 10, 90, 50));
    f.SetLineDirections(0);
    EXPECT_EQ(InkBox(OnScreen(f, 100, 60)), QRect());
    f.SetBack(true);
    f.SetColor1(0x000000);
    EXPECT_EQ(InkBox(OnScreen(f, 100, 60)), QRect(10, 10, 80, 40));
    f.SetBack(false);
    f.SetLineDirections(ldVertical);
    f.SetLineWidth(1);
    const QRect ink = InkBox(OnScreen(f, 100, 60));
    EXPECT_EQ(ink.width(), 1);
    EXPECT_EQ(ink.left(), 50);
}

TEST(FigureDrawing, DashedOutlinesHaveFlatEndsSolidOnesThePlainPen)
{
    TFigureRect f;
    f.SetFigureKind(fkEllipse);
    f.SetRect(TRect(0, 0, 200, 100));
    for (quint8 type = 0; type <= 4; ++type) {
        f.SetLineType(type);
        f.Refresh(false);
        int strokes = 0;
        for (const TDrawItem& item : f.GetMetafile().Items())
            if (const auto* s = std::get_if<TStrokeItem>(&item)) {
                ++strokes;
                EXPECT_EQ(s->pen.capStyle(), type == 0 ? Qt::RoundCap : Qt::FlatCap) << int(type);
            }
        if (type == 0)
            EXPECT_EQ(strokes, 1);
        else
            EXPECT_GT(strokes, 3) << int(type); // 24 widths a period at most, round about 480 pixels
    }
}

TEST(FigureDrawing, AFilledFramedRhombusChangesNoPixelOutsideIt)
{
    for (const TRefDevice& device : {TRefDevice{}, kPrinter600}) {
        for (quint8 type : {0, 1}) {
            const TRefDeviceScope scope(device);
            TFigureRect f;
            f.SetFigureKind(fkRhombus);
            f.SetBack(true);
            f.SetColor1(0x00FF00);
            f.SetFrameColor(0x000000);
            f.SetLineWidth(8);
            f.SetLineType(type);
            f.SetZoom(0.25);
            f.SetRect(TRect(80, 80, 880, 480)); // shown at (20, 20)-(220, 120)
            const QImage img = OnScreen(f, 260, 160, qRgb(255, 0, 0));
            const QPointF corner[] = {{120, 20}, {220, 70}, {120, 120}, {20, 70}};
            // Half the shown pen (8 * 0.25 / 2) and a pixel of smoothing.
            const double reach = 1 + 1.5;
            int changed = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QPointF c(x + 0.5, y + 0.5);
                    const bool inside = std::abs(c.x() - 120) / 100 + std::abs(c.y() - 70) / 50 <= 1;
                    double d = 1e9;
                    for (int i = 0; i < 4; ++i)
                        d = std::min(d, SegmentDistance(c, corner[i], corner[(i + 1) % 4]));
                    if (!inside && d > reach && img.pixel(x, y) != qRgb(255, 0, 0))
                        ++changed;
                }
            EXPECT_EQ(changed, 0) << device.dpiX << " dpi, line type " << int(type);
            EXPECT_EQ(img.pixel(120, 70), qRgb(0, 255, 0)) << "filled inside";
        }
    }
}

TEST(FigureDrawing, AGradationIsClippedToTheShape)
{
    TFigureRect f;
    f.SetFigureKind(fkEllipse);
    f.SetFrame(false);
    f.SetBack(true);
    f.SetGradation(true);
    f.SetColor1(0x0000FF);
    f.SetColor2(0xFF0000);
    f.SetRect(TRect(10, 10, 110, 70));
    const QImage img = OnScreen(f, 120, 80);
    EXPECT_EQ(img.pixel(12, 12), qRgb(255, 255, 255)) << "outside the ellipse";
    EXPECT_EQ(img.pixel(107, 67), qRgb(255, 255, 255));
    EXPECT_NE(img.pixel(60, 40), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));

    // The canvas's own clip is back afterwards.
    QImage page = WhiteImage(120, 80);
    QPainter p(&page);
    TCanvas c(p);
    const TRegion clip = TRegion::Rect(0, 0, 60, 80);
    c.SelectClipRgn(&clip);
    f.Draw(&c, 0, 0);
    TRegion after;
    ASSERT_EQ(c.GetClipRgn(after), 1);
    EXPECT_EQ(after.Bounds(), QRect(0, 0, 60, 80));
}

TEST(FigurePrinting, GradationCachesFollowThePrinterAndAreFreedEveryPage)
{
    TFigureRect f;
    f.SetFigureKind(fkRhombus);
    f.SetBack(true);
    f.SetGradation(true);
    f.SetColor1(0x0000FF);
    f.SetColor2(0xFF0000);
    f.SetRect(TRect(0, 0, 96, 192));
    {
        const TRefDeviceScope scope(kPrinter600);
        f.PreparePrint(QPoint(0, 0), true);
        EXPECT_EQ(f.GetPrintRect(), TRect(0, 0, 600, 1200));
        EXPECT_EQ(f.GetPrintGradientBitmap().size(), QSize(288, 576)); // 0.48 of the print size
        ASSERT_TRUE(f.GetPrintFillRegion().has_value());
        QImage page = WhiteImage(700, 1300);
        {
            QPainter p(&page);
            TCanvas c(p, 600, 600);
            f.Print(&c, 0, 0);
        }
        EXPECT_EQ(page.pixel(5, 5), qRgb(255, 255, 255)) << "outside the rhombus";
        EXPECT_NE(page.pixel(300, 600), qRgb(255, 255, 255));
        // A page showing only the middle: the same pixels there, and the
        // gradation worked out only where it shows.
        f.PreparePrint(QPoint(0, 0), true);
        QImage middle = WhiteImage(100, 100);
        {
            QPainter p(&middle);
            TCanvas c(p, 600, 600);
            f.Print(&c, -250, -550);
        }
        EXPECT_EQ(middle, page.copy(250, 550, 100, 100));
        EXPECT_EQ(f.GetPrintGradientBitmap().pixel(0, 0), qRgb(0, 0, 0)) << "never filled";
        EXPECT_NE(f.GetPrintGradientBitmap().pixel(140, 280), qRgb(0, 0, 0));
        f.FreePrintCache();
        EXPECT_TRUE(f.GetPrintGradientBitmap().isNull());
        EXPECT_FALSE(f.GetPrintFillRegion().has_value());
    }
    {
        const TRefDeviceScope scope(kPrinter200);
        f.PreparePrint(QPoint(0, 0), true);
        EXPECT_EQ(f.GetPrintGradientBitmap().size(), QSize(96, 192)); // screen resolution
        // The fill changed after the page was prepared: the cache goes all the same.
        f.SetGradation(false);
        f.FreePrintCache();
        EXPECT_TRUE(f.GetPrintGradientBitmap().isNull());
        EXPECT_FALSE(f.GetPrintFillRegion().has_value());
        // Preparing a page without a gradation leaves none behind.
        f.SetGradation(true);
        f.PreparePrint(QPoint(0, 0), true);
        f.SetGradation(false);
        f.PreparePrint(QPoint(0, 0), true);
        EXPECT_TRUE(f.GetPrintGradientBitmap().isNull());
    }
}

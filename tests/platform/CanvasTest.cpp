#include "CanvasTestSupport.h"
#include "platform/Canvas.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

void UseMincho(TCanvas& c, int height)
{
    c.Font().SetName(QStringLiteral("ＭＳ 明朝"));
    c.Font().SetCharset(SHIFTJIS_CHARSET);
    c.Font().SetHeight(height);
    c.Font().SetColor(0);
    c.SetBkMode(TRANSPARENT);
}

} // namespace

TEST(CanvasText, InkStaysInsideTheMeasuredCellForEachAlignment)
{
    const QString text = QStringLiteral("東京都ABC");
    struct Case {
        unsigned align;
        int dx; // where the cell starts relative to x, in widths
        int dy; // where the cell starts relative to y: 0 top, -1 bottom
    };
    for (const Case k : {Case{TA_LEFT | TA_TOP, 0, 0}, Case{TA_RIGHT | TA_TOP, -1, 0}, Case{TA_LEFT | TA_BOTTOM, 0, -1}}) {
        QImage img = WhiteImage(500, 200);
        int w = 0, h = 0;
        {
            QPainter p(&img);
            TCanvas c(p);
            UseMincho(c, -40);
            c.SetTextAlign(k.align);
            w = c.TextWidth(text);
            h = c.TextHeight(text);
            c.TextOut(250, 100, text);
        }
        EXPECT_EQ(h, 40);
        const QRect cell(250 + k.dx * w, 100 + k.dy * h, w, h);
        const QRect ink = InkBox(img);
        ASSERT_FALSE(ink.isNull());
        EXPECT_TRUE(cell.adjusted(-1, -1, 1, 1).contains(ink)) << k.align;
        EXPECT_GT(ink.width(), w * 3 / 4) << k.align;
    }
}

TEST(CanvasText, CentredTextIsCentredOnThePoint)
{
    QImage img = WhiteImage(400, 100);
    {
        QPainter p(&img);
        TCanvas c(p);
        UseMincho(c, -40);
        c.SetTextAlign(TA_CENTER | TA_TOP);
        c.TextOut(200, 20, QStringLiteral("一一一"));
    }
    const QRect ink = InkBox(img);
    EXPECT_NEAR(ink.center().x(), 200, 3);
}

TEST(CanvasText, MeasuringAgreesWithDrawingAtEveryResolution)
{
    // The same text at 96 and 600 dpi: widths scale with the height, and the
    // width is the sum of the per-character extents.
    QImage img(10, 10, QImage::Format_RGB32);
    QPainter p(&img);
    TCanvas c(p);
    UseMincho(c, -16);
    const QString text = QStringLiteral("千代田区 Chiyoda");
    std::vector<int> extents;
    int fit = 0;
    const QSize size = c.GetTextExtentExPointW(text, 100000, &fit, &extents);
    EXPECT_EQ(fit, text.size());
    ASSERT_EQ(extents.size(), size_t(text.size()));
    EXPECT_EQ(extents.back(), size.width());
    EXPECT_EQ(c.TextWidth(text), size.width());
    EXPECT_EQ(c.TextWidth(QStringLiteral("千")), 16);
    c.Font().SetHeight(-100);
    EXPECT_EQ(c.TextWidth(QStringLiteral("千代田区")), 400);
}

TEST(CanvasText, ExtentFitCountsWholeCharactersOnly)
{
    QImage img(10, 10, QImage::Format_RGB32);
    QPainter p(&img);
    TCanvas c(p);
    UseMincho(c, -20);
    int fit = -1;
    c.GetTextExtentExPointW(QStringLiteral("一二三四"), 59, &fit);
    EXPECT_EQ(fit, 2);
    c.GetTextExtentExPointW(QStringLiteral("一二三四"), 60, &fit);
    EXPECT_EQ(fit, 3);
    // A surrogate pair (𠮷) is never cut in half.
    const QString pair = QStringLiteral("一") + QString::fromUcs4(U"\U00020BB7") + QStringLiteral("三");
    const int first = c.TextWidth(QStringLiteral("一"));
    c.GetTextExtentExPointW(pair, first + 1, &fit);
    EXPECT_EQ(fit, 1);
    c.GetTextExtentExPointW(pair, 0, &fit);
    EXPECT_EQ(fit, 0);
}

TEST(CanvasText, AdvanceArrayPlacesEachCharacter)
{
    QImage img = WhiteImage(600, 100);
    {
        QPainter p(&img);
        TCanvas c(p);
        UseMincho(c, -30);
        const int dx[3] = {200, 200, 30};
        c.ExtTextOutW(10, 10, 0, nullptr, QStringLiteral("一一一"), dx);
    }
    // Three dashes starting at 10, 210 and 410.
    EXPECT_GT(InkCount(img, QRect(5, 0, 40, 100)), 0);
    EXPECT_EQ(InkCount(img, QRect(60, 0, 140, 100)), 0);
    EXPECT_GT(InkCount(img, QRect(205, 0, 40, 100)), 0);
    EXPECT_GT(InkCount(img, QRect(405, 0, 40, 100)), 0);
    EXPECT_EQ(InkCount(img, QRect(460, 0, 140, 100)), 0);
}

TEST(CanvasText, OpaqueBackgroundFillsTheCellAndTransparentDoesNot)
{
    for (int mode : {OPAQUE, TRANSPARENT}) {
        QImage img = WhiteImage(200, 100);
        {
            QPainter p(&img);
            TCanvas c(p);
            UseMincho(c, -40);
            c.SetBkMode(mode);
            c.Brush().Color = 0x000000;
            c.TextOut(10, 10, QStringLiteral("一"));
        }
        // The corner of the cell is ink only with an opaque background.
        EXPECT_EQ(qGray(img.pixel(12, 12)) < 128, mode == OPAQUE);
    }
}

TEST(CanvasText, EscapementTurnsTheLine)
{
    QImage img = WhiteImage(300, 300);
    {
        QPainter p(&img);
        TCanvas c(p);
        UseMincho(c, -30);
        c.Font().SetEscapement(2700); // downwards, cell to the left of x
        c.TextOut(150, 20, QStringLiteral("ABCDEFG"));
    }
    const QRect ink = InkBox(img);
    EXPECT_GT(ink.height(), ink.width() * 2);
    EXPECT_LE(ink.right(), 151);
    EXPECT_GE(ink.top(), 19);
}

TEST(CanvasShapes, InsideFramePenStaysInsideAndPlainPenCentresOnTheEdge)
{
    for (TPenStyle style : {psInsideFrame, psSolid}) {
        QImage img = WhiteImage(200, 200);
        {
            QPainter p(&img);
            TCanvas c(p);
            c.Pen().Width = 10;
            c.Pen().Style = style;
            c.Brush().Style = bsClear;
            c.Rectangle(50, 50, 150, 150);
        }
        const QRect ink = InkBox(img);
        if (style == psInsideFrame)
            EXPECT_TRUE(QRect(50, 50, 100, 100).contains(ink));
        else
            EXPECT_LT(ink.left(), 48);
        EXPECT_EQ(InkCount(img, QRect(70, 70, 60, 60)), 0); // clear brush
    }
}

TEST(CanvasShapes, FillAndFrameRectCoverExactlyTheRectangle)
{
    QImage img = WhiteImage(100, 100);
    {
        QPainter p(&img);
        TCanvas c(p);
        c.Brush().Color = 0;
        c.FillRect(QRect(10, 10, 30, 20));
        c.FrameRect(QRect(50, 50, 40, 40));
    }
    EXPECT_EQ(InkBox(img, 160, QRect(0, 0, 45, 45)), QRect(10, 10, 30, 20));
    EXPECT_EQ(InkBox(img, 160, QRect(45, 45, 55, 55)), QRect(50, 50, 40, 40));
    EXPECT_EQ(InkCount(img, QRect(52, 52, 36, 36)), 0);
}

TEST(CanvasClip, RegionsClipDrawingAndRestoreDCPutsTheClipBack)
{
    QImage img = WhiteImage(200, 200);
    {
        QPainter p(&img);
        TCanvas c(p);
        c.Brush().Color = 0;
        const int saved = c.SaveDC();
        const TRegion ellipse = TRegion::Ellipse(0, 0, 100, 100);
        c.SelectClipRgn(&ellipse);
        c.IntersectClipRect(0, 0, 100, 50);
        c.FillRect(QRect(0, 0, 200, 200));
        c.RestoreDC(saved);
        c.FillRect(QRect(150, 150, 10, 10));
    }
    const QRect ink = InkBox(img, 160, QRect(0, 0, 120, 120));
    EXPECT_NEAR(ink.left(), 0, 3);
    EXPECT_NEAR(ink.bottom(), 49, 1);
    EXPECT_EQ(InkCount(img, QRect(0, 0, 5, 5)), 0); // outside the ellipse
    EXPECT_GT(InkCount(img, QRect(150, 150, 10, 10)), 90);
}

TEST(CanvasClip, CanvasClipStaysInsideTheCallersClip)
{
    QImage img = WhiteImage(200, 200);
    {
        QPainter p(&img);
        p.setClipRect(QRect(0, 0, 100, 200));
        TCanvas c(p);
        c.Brush().Color = 0;
        const TRegion wide = TRegion::Rect(0, 0, 200, 100);
        c.SelectClipRgn(&wide);
        c.FillRect(QRect(0, 0, 200, 200));
        c.SelectClipRgn(nullptr);
        c.FillRect(QRect(0, 150, 200, 10));
    }
    EXPECT_EQ(InkBox(img, 160, QRect(0, 0, 200, 120)), QRect(0, 0, 100, 100));
    EXPECT_EQ(InkBox(img, 160, QRect(0, 120, 200, 80)), QRect(0, 150, 100, 10));
}

TEST(CanvasRegion, CombineAndContainFollowTheOperation)
{
    const TRegion a = TRegion::Rect(0, 0, 10, 10);
    const TRegion b = TRegion::Rect(5, 0, 15, 10);
    TRegion r;
    EXPECT_EQ(r.Combine(a, b, RGN_AND), SIMPLEREGION);
    EXPECT_EQ(r.Bounds(), QRect(5, 0, 5, 10));
    r.Combine(a, b, RGN_DIFF);
    EXPECT_TRUE(r.Contains(QPoint(4, 5)));
    EXPECT_FALSE(r.Contains(QPoint(5, 5)));
    r.Combine(a, b, RGN_XOR);
    EXPECT_TRUE(r.Contains(QPoint(12, 5)));
    EXPECT_FALSE(r.Contains(QPoint(7, 5)));
    EXPECT_EQ(r.Combine(a, TRegion::Rect(20, 20, 30, 30), RGN_AND), NULLREGION);
    EXPECT_FALSE(TRegion::Rect(0, 0, 10, 10).Contains(QPoint(10, 5))); // right edge excluded
}

TEST(CanvasPath, FlattenedBezierKeepsItsEndsAndHasOnlyLines)
{
    QImage img(10, 10, QImage::Format_RGB32);
    QPainter p(&img);
    TCanvas c(p);
    std::vector<QPoint> pts;
    std::vector<unsigned char> types;
    EXPECT_EQ(c.GetPath(pts, types), -1);
    c.BeginPath();
    c.MoveTo(0, 0);
    c.PolyBezierTo({QPoint(0, 100), QPoint(100, 100), QPoint(100, 0)});
    c.CloseFigure();
    c.EndPath();
    c.FlattenPath();
    const int n = c.GetPath(pts, types);
    ASSERT_GT(n, 4);
    EXPECT_EQ(types.front(), PT_MOVETO);
    EXPECT_EQ(pts.back(), QPoint(100, 0));
    EXPECT_TRUE(types.back() & PT_CLOSEFIGURE);
    for (int i = 1; i < n; ++i)
        EXPECT_EQ(types[i] & ~PT_CLOSEFIGURE, PT_LINETO);
    int maxY = 0;
    for (const QPoint& q : pts)
        maxY = std::max(maxY, q.y());
    EXPECT_EQ(maxY, 75); // the curve's extreme, 3/4 of the control height
}

TEST(CanvasPicture, MaskKeepsThePictureOnlyWhereTheMaskIsDark)
{
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QImage mask(20, 20, QImage::Format_RGB32);
    mask.fill(Qt::white);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x)
            mask.setPixel(x, y, qRgb(0, 0, 0));
    QImage img = WhiteImage(100, 100);
    {
        QPainter p(&img);
        TCanvas c(p);
        c.StretchDraw(QRect(0, 0, 80, 80), picture, &mask);
    }
    const QRect ink = InkBox(img);
    EXPECT_NEAR(ink.left(), 0, 1);
    EXPECT_NEAR(ink.right(), 39, 2);
    EXPECT_NEAR(ink.bottom(), 79, 1);
}

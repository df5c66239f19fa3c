#include "support/CanvasTestSupport.h"

#include <gtest/gtest.h>

TEST(CanvasText, InkStaysInsideTheMeasuredCellForEachAlignment)
{
    const QString text = QStringLiteral("東京都ABC");
    struct Case {
        unsigned align;
        double dx; // where the cell starts relative to x, in widths
        int dy;    // where the cell starts relative to y: 0 top, -1 bottom
    };
    for (const Case k : {Case{gdi::TA_LEFT | gdi::TA_TOP, 0, 0}, Case{gdi::TA_RIGHT | gdi::TA_TOP, -1, 0},
                         Case{gdi::TA_CENTER | gdi::TA_TOP, -0.5, 0}, Case{gdi::TA_LEFT | gdi::TA_BOTTOM, 0, -1}}) {
        SCOPED_TRACE(k.align);
        int w = 0, h = 0;
        const QImage img = Painted(500, 200, [&](TCanvas& c) {
            UseMincho(c, -40);
            c.SetTextAlign(k.align);
            w = c.TextWidth(text);
            h = c.TextHeight(text);
            c.TextOut(250, 100, text);
        });
        EXPECT_EQ(h, 40);
        const QRect cell(250 + int(k.dx * w), 100 + k.dy * h, w, h);
        const QRect ink = InkBox(img);
        ASSERT_FALSE(ink.isNull());
        EXPECT_TRUE(cell.adjusted(-1, -1, 1, 1).contains(ink));
        EXPECT_GT(ink.width(), w * 3 / 4);
    }
}

TEST(CanvasText, MeasuringCountsWholeCharactersAndScalesWithTheHeight)
{
    TScratchCanvas s;
    TCanvas& c = s.c;
    UseMincho(c, -16);
    const QString text = QStringLiteral("千代田区 Chiyoda");
    std::vector<int> extents;
    int fit = 0;
    const QSize size = c.GetTextExtentExPointW(text, 100000, &fit, &extents);
    EXPECT_EQ(fit, text.size());
    ASSERT_EQ(extents.size(), size_t(text.size()));
    EXPECT_EQ(extents.back(), size.width());
    c.Font().SetHeight(-100);
    EXPECT_EQ(c.TextWidth(QStringLiteral("千代田区")), 400);

    c.Font().SetHeight(-20);
    c.GetTextExtentExPointW(QStringLiteral("一二三四"), 59, &fit);
    EXPECT_EQ(fit, 2);
    // A surrogate pair (𠮷) is never cut in half.
    const QString pair = QStringLiteral("一") + QString::fromUcs4(U"\U00020BB7") + QStringLiteral("三");
    c.GetTextExtentExPointW(pair, c.TextWidth(QStringLiteral("一")) + 1, &fit);
    EXPECT_EQ(fit, 1);
    c.GetTextExtentExPointW(pair, 0, &fit);
    EXPECT_EQ(fit, 0);
}

TEST(CanvasText, MeasuredCharacterCachesKeepTheirBoundWhateverOrderFacesFillIn)
{
    TScratchCanvas s;
    // Five sizes made with a character each, then filled: the bound holds at every insertion.
    for (int f = 0; f < 5; ++f) {
        UseMincho(s.c, -10 - f);
        s.c.TextWidth(QStringLiteral("あ"));
    }
    QString many;
    for (char16_t ch = 0x4E00; ch < 0x4E00 + 16000; ++ch)
        many += QChar(ch);
    for (int f = 0; f < 5; ++f) {
        UseMincho(s.c, -10 - f);
        const int width = s.c.TextWidth(many);
        EXPECT_LE(CanvasCachedChars(), kCanvasMaxCachedChars) << f;
        EXPECT_EQ(s.c.TextWidth(many), width) << f; // the same from emptied caches
    }
}

TEST(CanvasText, AdvanceArrayPlacesEachCharacter)
{
    const QImage img = Painted(600, 100, [](TCanvas& c) {
        UseMincho(c, -30);
        const int dx[3] = {200, 200, 30};
        c.ExtTextOutW(10, 10, 0, nullptr, QStringLiteral("一一一"), dx);
    });
    // Three dashes starting at 10, 210 and 410: nothing between the first two.
    EXPECT_EQ(InkCount(img, QRect(60, 0, 140, 100)), 0);
    EXPECT_NEAR(InkBox(img).right(), 440, 10);
}

TEST(CanvasText, OpaqueBackgroundFillsTheCellAndTransparentDoesNot)
{
    for (int mode : {gdi::OPAQUE, gdi::TRANSPARENT}) {
        const QImage img = Painted(200, 100, [&](TCanvas& c) {
            UseMincho(c, -40);
            c.SetBkMode(mode);
            c.Brush().Color = 0x000000;
            c.TextOut(10, 10, QStringLiteral("一"));
        });
        // The corner of the cell is ink only with an opaque background.
        EXPECT_EQ(qGray(img.pixel(12, 12)) < 128, mode == gdi::OPAQUE);
    }
}

TEST(CanvasShapes, InsideFramePenStaysInsideAndPlainPenCentresOnTheEdge)
{
    for (TPenStyle style : {psInsideFrame, psSolid}) {
        const QImage img = Painted(200, 200, [&](TCanvas& c) {
            c.Pen().Width = 10;
            c.Pen().Style = style;
            c.Brush().Style = bsClear;
            c.Rectangle(50, 50, 150, 150);
        });
        const QRect ink = InkBox(img);
        if (style == psInsideFrame) {
            EXPECT_TRUE(QRect(50, 50, 100, 100).contains(ink));
        } else {
            EXPECT_LT(ink.left(), 48);
        }
        EXPECT_EQ(InkCount(img, QRect(70, 70, 60, 60)), 0); // clear brush
    }
}

TEST(CanvasShapes, FillAndFrameRectCoverExactlyTheRectangle)
{
    const QImage img = Painted(100, 100, [](TCanvas& c) {
        c.Brush().Color = 0;
        c.FillRect(QRect(10, 10, 30, 20));
        c.FrameRect(QRect(50, 50, 40, 40));
    });
    EXPECT_EQ(InkBox(img, 160, QRect(0, 0, 45, 45)), QRect(10, 10, 30, 20));
    EXPECT_EQ(InkBox(img, 160, QRect(45, 45, 55, 55)), QRect(50, 50, 40, 40));
    EXPECT_EQ(InkCount(img, QRect(52, 52, 36, 36)), 0);
}

TEST(CanvasClip, RegionsClipDrawingAndRestoreDCPutsTheClipBack)
{
    const QImage img = Painted(200, 200, [](TCanvas& c) {
        c.Brush().Color = 0;
        const int saved = c.SaveDC();
        const TRegion ellipse = TRegion::Ellipse(0, 0, 100, 100);
        c.SelectClipRgn(&ellipse);
        c.IntersectClipRect(0, 0, 100, 50);
        c.FillRect(QRect(0, 0, 200, 200));
        c.RestoreDC(saved);
        c.FillRect(QRect(150, 150, 10, 10));
    });
    const QRect ink = InkBox(img, 160, QRect(0, 0, 120, 120));
    EXPECT_NEAR(ink.left(), 0, 3);
    EXPECT_NEAR(ink.bottom(), 49, 1);
    EXPECT_EQ(InkCount(img, QRect(0, 0, 5, 5)), 0); // outside the ellipse
    EXPECT_GT(InkCount(img, QRect(150, 150, 10, 10)), 90);
}

TEST(CanvasRegion, CombineFollowsTheOperationAndExcludesTheRightEdge)
{
    const TRegion a = TRegion::Rect(0, 0, 10, 10);
    const TRegion b = TRegion::Rect(5, 0, 15, 10);
    TRegion r;
    EXPECT_EQ(r.Combine(a, b, gdi::RGN_AND), gdi::SIMPLEREGION);
    EXPECT_EQ(r.Bounds(), QRect(5, 0, 5, 10));
    EXPECT_EQ(r.Combine(a, TRegion::Rect(20, 20, 30, 30), gdi::RGN_AND), gdi::NULLREGION);
    EXPECT_FALSE(a.Contains(QPoint(10, 5)));
}

TEST(CanvasPath, FlattenedBezierKeepsItsEndsAndHasOnlyLines)
{
    TScratchCanvas s;
    std::vector<QPoint> pts;
    std::vector<unsigned char> types;
    EXPECT_EQ(s.c.GetPath(pts, types), -1);
    s.c.BeginPath();
    s.c.MoveTo(0, 0);
    s.c.PolyBezierTo({QPoint(0, 100), QPoint(100, 100), QPoint(100, 0)});
    s.c.CloseFigure();
    s.c.EndPath();
    s.c.FlattenPath();
    const int n = s.c.GetPath(pts, types);
    ASSERT_GT(n, 4);
    EXPECT_EQ(types.front(), gdi::PT_MOVETO);
    EXPECT_EQ(pts.back(), QPoint(100, 0));
    EXPECT_TRUE(types.back() & gdi::PT_CLOSEFIGURE);
    int maxY = 0;
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            EXPECT_EQ(types[i] & ~gdi::PT_CLOSEFIGURE, gdi::PT_LINETO);
        }
        maxY = std::max(maxY, pts[i].y());
    }
    EXPECT_EQ(maxY, 75); // the curve's extreme, 3/4 of the control height
}

TEST(CanvasPicture, MaskKeepsThePictureOnlyWhereTheMaskIsDark)
{
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QImage mask = WhiteImage(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x)
            mask.setPixel(x, y, qRgb(0, 0, 0));
    const QRect ink = InkBox(Painted(100, 100, [&](TCanvas& c) { c.StretchDraw(QRect(0, 0, 80, 80), picture, &mask); }));
    EXPECT_NEAR(ink.left(), 0, 1);
    EXPECT_NEAR(ink.right(), 39, 2);
    EXPECT_NEAR(ink.bottom(), 79, 1);
}

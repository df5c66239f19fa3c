// Resampling: golden values worked out by hand from the fixed-point rules,
// parts that must equal the whole, and what a call must leave alone.

#include "ImageTestSupport.h"
#include "drawing/objects/Resample.h"

#include <gtest/gtest.h>

using Rows = std::vector<std::vector<int>>;

TEST(Resample, BilinearEnlargementMatchesGoldenAndKeepsCornersInTheMargins)
{
    QImage src = GreyImage({{0, 100}, {200, 50}});
    QImage dst;
    StretchBitmap(src, &dst, 4, smBilinear, 4);
    EXPECT_EQ(Greys(dst), (Rows {{0, 25, 75, 100}, {50, 59, 78, 87}, {150, 128, 84, 62}, {200, 162, 87, 50}}));
    EXPECT_EQ(Greys(src), (Rows {{0, 100}, {200, 50}})) << "the source is left alone";
}

TEST(Resample, AreaAveragingMatchesGolden)
{
    QImage src(4, 4, QImage::Format_BGR888);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            uchar* p = src.scanLine(y) + x * 3;
            p[0] = p[1] = p[2] = uchar(10 * x + 40 * y);
        }
    QImage dst;
    StretchBitmap(src, &dst, 2, smAreaAverage, 2);
    EXPECT_EQ(Greys(dst), (Rows {{25, 45}, {105, 125}}));
}

TEST(Resample, EveryMethodComputedInPartsEqualsTheWhole)
{
    const QImage picture = Distinct(37, 23);
    const struct {
        int w, h, method;
    } cases[] = {{80, 50, smBilinear}, {80, 50, smBicubic}, {13, 9, smAreaAverage}, {13, 60, smAreaAverage},
                 {3, 2, smBicubic}, {2, 1, smBilinear}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " method " << c.method);
        QImage src = picture, whole;
        StretchBitmap(src, &whole, c.w, c.method, c.h);
        // Four quarters of unequal size, each written at its own place.
        QImage parts = NewBitmap24(c.w, c.h);
        const int mx = c.w / 3, my = c.h / 2;
        for (const TRect& part : {TRect(0, 0, mx, my), TRect(mx, 0, c.w, my), TRect(0, my, mx, c.h), TRect(mx, my, c.w, c.h)})
            if (part.Width() > 0 && part.Height() > 0)
                StretchBitmapRect(src, &parts, c.w, c.method, QPoint(part.Left, part.Top), part, c.h);
        EXPECT_EQ(parts, whole);
    }
}

TEST(Resample, SameSizeCopiesAndUnknownMethodOrBadPartLeavesDestAlone)
{
    QImage src = Distinct(9, 7), dst;
    StretchBitmap(src, &dst, 9, smBicubic, 7);
    EXPECT_EQ(dst, src);

    QImage untouched = NewBitmap24(9, 7);
    const QImage before = untouched;
    StretchBitmap(src, &untouched, 4, 3, 4);
    EXPECT_EQ(untouched, before);
    StretchBitmapRect(src, &untouched, 9, smBilinear, QPoint(0, 0), TRect(0, 0, 10, 7), 7);
    StretchBitmapRect(src, &untouched, 9, smBilinear, QPoint(-1, 0), TRect(0, 0, 2, 2), 7);
    StretchBitmapRect(src, &untouched, 9, smBilinear, QPoint(8, 0), TRect(0, 0, 2, 2), 7); // Dest too narrow
    StretchBitmap(src, &untouched, 10, smBilinear, 7);
    EXPECT_EQ(untouched, before);

    // A larger Dest is written from its top-left corner, the rest kept.
    QImage large = NewBitmap24(12, 9), small;
    StretchBitmap(src, &large, 5, smBicubic, 4);
    StretchBitmap(src, &small, 5, smBicubic, 4);
    EXPECT_EQ(large.copy(0, 0, 5, 4), small);
    EXPECT_EQ(large.copy(5, 0, 7, 9), NewBitmap24(7, 9));
}

TEST(Resample, TinySourcesWriteEveryPixelFromTheirOwnPixels)
{
    // One pixel and two-pixel sources under the filter widths: taps clamp, so
    // every result is the source colour (or between the two).
    for (int method : {smBilinear, smBicubic}) {
        QImage one = GreyImage({{77}}), dst;
        StretchBitmap(one, &dst, 5, method, 3);
        EXPECT_EQ(Greys(dst), (Rows(3, std::vector<int>(5, 77)))) << method;
        QImage two = GreyImage({{10, 200}}), wide;
        StretchBitmap(two, &wide, 7, method, 2);
        for (const auto& row : Greys(wide))
            for (int v : row)
                EXPECT_TRUE(v >= 10 && v <= 200) << method << ": " << v;
    }
}

TEST(Resample, MethodTwoEnlargingOneWayIsBicubicAndAreaShrinkOfUniformStaysUniform)
{
    QImage src = Distinct(20, 10), a, b;
    StretchBitmap(src, &a, 10, smAreaAverage, 15);
    StretchBitmap(src, &b, 10, smBicubic, 15);
    EXPECT_EQ(a, b);

    QImage flat = NewBitmap24(300, 200), small;
    flat.fill(QColor(12, 34, 56));
    StretchBitmap(flat, &small, 7, smAreaAverage, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(small.pixelColor(x, y), QColor(12, 34, 56)) << x << "," << y;
}

TEST(Resample, NullDestResamplesTheSourceInPlace)
{
    QImage src = GreyImage({{0, 100}, {200, 50}});
    StretchBitmap(src, nullptr, 4, smBilinear, 4);
    EXPECT_EQ(src.size(), QSize(4, 4));
    EXPECT_EQ(Greys(src)[1], (std::vector<int> {50, 59, 78, 87}));
}

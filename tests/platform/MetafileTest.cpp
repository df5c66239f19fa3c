#include "platform/Metafile.h"
#include "support/CanvasTestSupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

// A 600-dpi recording in a square of the given size; drawing comes after.
TCanvas& StartRecording(TMetafileEx& mf, std::optional<TCanvas>& c, int size)
{
    mf.Clear();
    mf.SetResolution(600, 600);
    mf.SetWidth(size);
    mf.SetHeight(size);
    return c.emplace(mf);
}

// A 600-dpi recording of a 100 x 50 layout-pixel item: 625 x 313 pixels of
// content in a 625 x 625 square, the text filling its height.
void RecordItem(TMetafileEx& mf, bool clipLeftHalf)
{
    std::optional<TCanvas> holder;
    TCanvas& c = StartRecording(mf, holder, 625);
    if (clipLeftHalf) {
        const TRegion half = TRegion::Rect(0, 0, 312, 625);
        c.SelectClipRgn(&half);
    }
    c.Brush().Color = 0;
    c.FillRect(QRect(0, 0, 625, 313));
}

QImage Played(const TMetafileEx& mf, int size, QRect into)
{
    return Painted(size, size, [&](TCanvas& c) { c.StretchDraw(into, mf); });
}

} // namespace

TEST(Metafile, PlaybackStretchedLandsInTheDestinationSquareAndUnscaledKeepsPixels)
{
    TMetafileEx mf;
    RecordItem(mf, false);
    EXPECT_EQ(InkBox(Played(mf, 300, QRect(40, 60, 100, 100))), QRect(40, 60, 100, 50));
    // The recording is already at printer resolution: drawn on a 600-dpi
    // page it is not scaled again by the page's resolution.
    const QImage page = Painted(1500, 1000, [&](TCanvas& c) { c.Draw(625, 313, mf); }, 600);
    EXPECT_EQ(InkBox(page), QRect(625, 313, 625, 313));
}

TEST(Metafile, RecordedClipNeverEscapesTheCallersClipAndEndsWithPlayback)
{
    TMetafileEx mf;
    RecordItem(mf, true);
    QImage img = WhiteImage(300, 300);
    {
        QPainter p(&img);
        p.setClipRect(QRect(0, 0, 70, 300)); // the caller's clip
        TCanvas c(p);
        c.StretchDraw(QRect(0, 0, 200, 200), mf);
        // After playback the recording's clip is gone, the caller's stays.
        c.Brush().Color = 0;
        c.FillRect(QRect(0, 250, 300, 10));
    }
    EXPECT_EQ(InkBox(img, 160, QRect(0, 0, 300, 200)), QRect(0, 0, 70, 100));
    EXPECT_EQ(InkBox(img, 160, QRect(0, 200, 300, 100)), QRect(0, 250, 70, 10));
    // The recorded clip itself still applies inside a wider caller's clip.
    EXPECT_NEAR(InkBox(Played(mf, 300, QRect(0, 0, 200, 200))).right(), 99, 1);
}

TEST(Metafile, PlaybackIntoARecordingKeepsClipsNested)
{
    TMetafileEx inner;
    RecordItem(inner, true);
    TMetafileEx outer;
    outer.SetWidth(200);
    outer.SetHeight(200);
    {
        TCanvas c(outer);
        c.IntersectClipRect(0, 0, 200, 40);
        c.StretchDraw(QRect(0, 0, 200, 200), inner);
    }
    const QRect ink = InkBox(Played(outer, 200, QRect(0, 0, 200, 200)));
    EXPECT_NEAR(ink.right(), 99, 1);
    EXPECT_NEAR(ink.bottom(), 39, 1);
}

TEST(Metafile, TextIsKeptAsPositionedGlyphsWithItsResolution)
{
    TMetafileEx mf;
    {
        std::optional<TCanvas> holder;
        TCanvas& c = StartRecording(mf, holder, 1000);
        EXPECT_EQ(c.DpiY(), 600);
        UseMincho(c, -200);
        c.TextOut(100, 100, QStringLiteral("千代田"));
    }
    EXPECT_EQ(mf.DpiX(), 600);
    const QJsonArray items = mf.ToJson();
    ASSERT_EQ(items.size(), 1);
    const QJsonObject text = items[0].toObject();
    EXPECT_EQ(text[QStringLiteral("kind")].toString(), QStringLiteral("text"));
    EXPECT_EQ(text[QStringLiteral("text")].toString(), QStringLiteral("千代田"));
    EXPECT_DOUBLE_EQ(text[QStringLiteral("pixelSize")].toDouble(), 200);
    EXPECT_TRUE(QRectF(100, 100, 601, 201).contains(mf.InkBounds()));
}

TEST(Metafile, ThinLinesStayVisibleWhenShrunk)
{
    TMetafileEx mf;
    {
        std::optional<TCanvas> holder;
        TCanvas& c = StartRecording(mf, holder, 1000);
        c.MoveTo(0, 500);
        c.LineTo(1000, 500);
    }
    EXPECT_GT(InkCount(Played(mf, 100, QRect(0, 0, 100, 100)), QRect(0, 45, 100, 10), 200), 80);
}

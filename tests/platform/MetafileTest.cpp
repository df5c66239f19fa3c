#include "CanvasTestSupport.h"
#include "platform/Canvas.h"
#include "platform/Metafile.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// A 600-dpi recording of a 100 x 50 layout-pixel item: 625 x 313 pixels of
// content in a 625 x 625 square, the text filling its height.
void RecordItem(TMetafileEx& mf, bool clipLeftHalf)
{
    mf.Clear();
    mf.SetResolution(600, 600);
    mf.SetWidth(625);
    mf.SetHeight(625);
    TCanvas c(mf);
    if (clipLeftHalf) {
        const TRegion half = TRegion::Rect(0, 0, 312, 625);
        c.SelectClipRgn(&half);
    }
    c.Brush().Color = 0;
    c.FillRect(QRect(0, 0, 625, 313));
}

} // namespace

TEST(Metafile, PlaybackStretchedLandsInTheDestinationSquare)
{
    TMetafileEx mf;
    RecordItem(mf, false);
    QImage img = WhiteImage(300, 300);
    {
        QPainter p(&img);
        TCanvas c(p);
        c.StretchDraw(QRect(40, 60, 100, 100), mf);
    }
    const QRect ink = InkBox(img);
    EXPECT_NEAR(ink.left(), 40, 1);
    EXPECT_NEAR(ink.top(), 60, 1);
    EXPECT_NEAR(ink.right(), 139, 1);
    EXPECT_NEAR(ink.bottom(), 60 + 50 - 1, 1);
}

TEST(Metafile, UnscaledPlaybackKeepsRecordedPixels)
{
    // The recording is already at printer resolution: drawn on a 600-dpi
    // page it is not scaled again by the page's resolution.
    TMetafileEx mf;
    RecordItem(mf, false);
    QImage page = WhiteImage(1500, 1000);
    {
        QPainter p(&page);
        TCanvas c(p, 600, 600);
        c.Draw(625, 313, mf);
    }
    const QRect ink = InkBox(page);
    EXPECT_EQ(ink, QRect(625, 313, 625, 313));
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
    QImage wide = WhiteImage(300, 300);
    {
        QPainter p(&wide);
        TCanvas c(p);
        c.StretchDraw(QRect(0, 0, 200, 200), mf);
    }
    EXPECT_NEAR(InkBox(wide).right(), 99, 1);
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
    QImage img = WhiteImage(200, 200);
    {
        QPainter p(&img);
        TCanvas c(p);
        c.StretchDraw(QRect(0, 0, 200, 200), outer);
    }
    const QRect ink = InkBox(img);
    EXPECT_NEAR(ink.right(), 99, 1);
    EXPECT_NEAR(ink.bottom(), 39, 1);
}

TEST(Metafile, TextIsKeptAsPositionedGlyphsWithItsResolution)
{
    TMetafileEx mf;
    mf.SetResolution(600, 600);
    mf.SetWidth(1000);
    mf.SetHeight(1000);
    {
        TCanvas c(mf);
        EXPECT_TRUE(c.IsRecording());
        EXPECT_EQ(c.DpiY(), 600);
        c.Font().SetName(QStringLiteral("ＭＳ 明朝"));
        c.Font().SetHeight(-200);
        c.SetBkMode(TRANSPARENT);
        c.TextOut(100, 100, QStringLiteral("千代田"));
    }
    EXPECT_EQ(mf.DpiX(), 600);
    const QJsonArray items = mf.ToJson();
    ASSERT_EQ(items.size(), 1);
    const QJsonObject text = items[0].toObject();
    EXPECT_EQ(text[QStringLiteral("kind")].toString(), QStringLiteral("text"));
    EXPECT_EQ(text[QStringLiteral("text")].toString(), QStringLiteral("千代田"));
    EXPECT_DOUBLE_EQ(text[QStringLiteral("pixelSize")].toDouble(), 200);
    const QRectF ink = mf.InkBounds();
    EXPECT_GE(ink.left(), 100);
    EXPECT_LE(ink.right(), 701);
    EXPECT_GE(ink.top(), 100);
    EXPECT_LE(ink.bottom(), 301);
    mf.Clear();
    EXPECT_TRUE(mf.Empty());
    EXPECT_EQ(mf.Width(), 0);
}

TEST(Metafile, ThinLinesStayVisibleWhenShrunk)
{
    TMetafileEx mf;
    mf.SetResolution(600, 600);
    mf.SetWidth(1000);
    mf.SetHeight(1000);
    {
        TCanvas c(mf);
        c.MoveTo(0, 500);
        c.LineTo(1000, 500);
    }
    QImage img = WhiteImage(100, 100);
    {
        QPainter p(&img);
        TCanvas c(p);
        c.StretchDraw(QRect(0, 0, 100, 100), mf);
    }
    EXPECT_GT(InkCount(img, QRect(0, 45, 100, 10), 200), 80);
}

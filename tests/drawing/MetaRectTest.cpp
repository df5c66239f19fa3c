#include "DrawRectTestItem.h"
#include "drawing/objects/MetaRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Cp932.h"
#include "platform/RefDevice.h"
#include "support/CanvasTestSupport.h"

#include <stdexcept>
#include <utility>

namespace {

// One horizontal line of text fitted into the item, as the text items fit
// theirs; can be told to fail while rendering.
class TLineRect : public TMetaRect {
public:
    TLineRect()
    {
        TFont f;
        f.SetName(QStringLiteral("ＭＳ 明朝"));
        f.SetCharset(SHIFTJIS_CHARSET);
        SetFont(f);
        BaseFontHeight = -40;
        ResetFontHeight();
    }
    quint8 GetKind() const override { return ikWord; }
    void RenderContent(TCanvas& Canvas, const QPoint& Size) override
    {
        ++renders;
        LastSize = Size;
        if (fail)
            throw std::runtime_error("render failed");
        SetCanvasFont(Canvas);
        RenderHeight = Canvas.Font().Height();
        if (!ScaleCanvasFont(Canvas, Size.x(), Canvas.TextWidth(text), false) ||
            !ScaleCanvasFont(Canvas, Size.y(), Canvas.TextHeight(QStringLiteral("一")), false))
            return;
        Canvas.SetBkMode(gdi::TRANSPARENT);
        Canvas.TextOut(0, 0, text);
    }
    QString text = QStringLiteral("一一一一一一一一一一");
    int renders = 0;
    bool fail = false;
    QPoint LastSize;
    int RenderHeight = 0;
};

const TRefDevice kPrinter600{true, 600, 600, 0, 0};

QImage DrawOnScreen(TMetaRect& item, int w = 400, int h = 300)
{
    return Painted(w, h, [&](TCanvas& c) { item.Draw(&c, 0, 0); });
}

QImage PrintOnPage(TMetaRect& item, int dpi, int w, int h)
{
    return Painted(w, h, [&](TCanvas& c) { item.Print(&c, 0, 0); }, dpi);
}

} // namespace

TEST(MetaRectCache, SettersClearOnlyWhatTheyAffect)
{
    TLineRect item;
    item.SetRect(TRect(10, 10, 110, 60));
    item.Refresh(false);
    ASSERT_TRUE(item.IsValid());

    item.SetDisplayRect(TRect(20, 30, 120, 80)); // moved, same size
    EXPECT_TRUE(item.IsValid());
    item.SetDisplayRect(TRect(20, 30, 130, 80)); // resized
    EXPECT_FALSE(item.IsValid());

    item.Refresh(false);
    item.SetClipLine(50); // no clip side: nothing to redo
    EXPECT_TRUE(item.IsValid());
    item.SetClipSide(csAbove);
    EXPECT_FALSE(item.IsValid());
    item.Refresh(false);
    item.SetVertical(0); // unchanged
    EXPECT_TRUE(item.IsValid());
    item.SetVertical(1);
    EXPECT_FALSE(item.IsValid());

    const int before = item.renders;
    item.Refresh(false);
    item.Refresh(false);
    EXPECT_EQ(item.renders, before + 1);
    item.Refresh(true);
    EXPECT_EQ(item.renders, before + 2);
}

TEST(MetaRectCache, FontHeightFollowsThePaper)
{
    TLineRect item;
    item.ScaleFontHeight(2100);
    EXPECT_EQ(item.GetFontHeight(), -56); // Trunc(-56.75)
    const qint32 saved = std::exchange(DrawRectPaperLength, 1000);
    item.ResetFontHeight();
    EXPECT_EQ(item.GetFontHeight(), -27);
    DrawRectPaperLength = saved;
}

TEST(MetaRectCache, EmptyRectOrFailedRenderLeavesTheCacheInvalidAndEmpty)
{
    TLineRect item;
    item.Refresh(true);
    EXPECT_FALSE(item.IsValid());
    EXPECT_EQ(item.renders, 0);
    EXPECT_TRUE(item.GetMetafile().Empty());

    item.SetRect(TRect(0, 0, 100, 50));
    item.fail = true;
    EXPECT_THROW(item.Refresh(true), std::runtime_error);
    EXPECT_FALSE(item.IsValid());
    EXPECT_TRUE(item.GetMetafile().Empty());
    item.fail = false;
    item.Refresh(false);
    EXPECT_TRUE(item.IsValid());
}

TEST(MetaRectCache, NewReferenceResolutionRebuildsTheRecording)
{
    TLineRect item;
    item.SetRect(TRect(0, 0, 100, 50));
    {
        TRefDeviceScope screen(TRefDevice{});
        item.Refresh(false);
        EXPECT_EQ(item.GetMetafile().DpiX(), 96);
        EXPECT_EQ(item.GetMetafile().Width(), 100);
        EXPECT_EQ(item.RenderHeight, -40);
    }
    TRefDeviceScope printer(kPrinter600);
    DrawOnScreen(item);
    EXPECT_EQ(item.GetMetafile().DpiX(), 600);
    EXPECT_EQ(item.LastSize, QPoint(625, 313)); // 312.5 rounds up
    EXPECT_EQ(item.GetMetafile().Height(), 625);
    EXPECT_EQ(item.RenderHeight, -250); // Trunc(-40 * 600 / 96)
}

TEST(MetaRectRender, ScreenAndPaperPlaceTheTextAtTheirRectangles)
{
    TRefDeviceScope printer(kPrinter600);
    TLineRect item;
    item.SetRect(TRect(96, 48, 196, 98));
    item.SetZoom(1.5);

    const QImage screen = DrawOnScreen(item);
    const QRect display = item.GetDisplayRect().ToQRect(); // (144, 72) 150 x 75
    const QRect onScreen = InkBox(screen);
    ASSERT_FALSE(onScreen.isNull());
    EXPECT_TRUE(display.adjusted(-1, -1, 1, 1).contains(onScreen));
    EXPECT_GT(onScreen.width(), display.width() * 8 / 10);

    item.PreparePrint(QPoint(0, 0), true);
    const QRect paper = item.GetPrintRect().ToQRect();
    EXPECT_EQ(paper, QRect(600, 300, 625, 313)); // the Rect at 600 / 96
    const QImage page = PrintOnPage(item, 600, 1400, 800);
    const QRect onPaper = InkBox(page);
    ASSERT_FALSE(onPaper.isNull());
    EXPECT_TRUE(paper.adjusted(-2, -2, 2, 2).contains(onPaper));
    EXPECT_GT(onPaper.width(), paper.width() * 8 / 10);
}

TEST(MetaRectRender, PrinterWithTwoResolutionsKeepsTheItemsShapeOnScreenAndPaper)
{
    // A filled item, so its ink is its whole area.
    class TFilledRect : public TLineRect {
    public:
        void RenderContent(TCanvas& Canvas, const QPoint& Size) override
        {
            LastSize = Size;
            Canvas.Brush().Color = 0;
            Canvas.FillRect(QRect(0, 0, Size.x(), Size.y()));
        }
    };
    TRefDeviceScope printer(TRefDevice{true, 1200, 600, 0, 0});
    TFilledRect item;
    item.SetRect(TRect(10, 20, 110, 70));
    const QRect onScreen = InkBox(DrawOnScreen(item));
    EXPECT_EQ(item.LastSize, QPoint(1250, 313));
    EXPECT_EQ(onScreen, QRect(10, 20, 100, 50));
    item.SetZoom(2.0);
    EXPECT_EQ(InkBox(DrawOnScreen(item)), QRect(20, 40, 200, 100));

    item.PreparePrint(QPoint(0, 0), true);
    EXPECT_EQ(item.GetPrintRect().ToQRect(), QRect(125, 125, 1250, 313));
    QImage page = WhiteImage(1500, 500);
    {
        QPainter p(&page);
        TCanvas c(p, 1200, 600);
        item.Print(&c, 0, 0);
    }
    EXPECT_EQ(InkBox(page), QRect(125, 125, 1250, 313));
}

TEST(MetaRectRender, ClipSideShowsOnlyItsPartOnScreenAndPaper)
{
    TRefDeviceScope printer(kPrinter600);
    TLineRect item;
    item.SetRect(TRect(0, 0, 200, 50));
    item.SetClipSide(csLeft);
    item.SetClipLine(90); // through the middle of the fifth character
    const QImage screen = DrawOnScreen(item);
    const QRect ink = InkBox(screen);
    EXPECT_NEAR(ink.right(), 89, 1);
    EXPECT_LT(ink.left(), 20);

    item.PreparePrint(QPoint(0, 0), true);
    const QImage page = PrintOnPage(item, 600, 1400, 400);
    EXPECT_NEAR(InkBox(page).right(), 562, 2); // 90 * 600 / 96 = 562.5
}

TEST(MetaRectRender, RecordingPrintedOnAnotherDeviceKeepsItsSize)
{
    TLineRect item;
    item.SetRect(TRect(0, 0, 100, 50));
    {
        TRefDeviceScope screen(TRefDevice{});
        item.Refresh(true); // recorded at 96 dpi
    }
    item.PreparePrint(QPoint(0, 0), true);
    const QImage page = PrintOnPage(item, 300, 800, 400);
    const QRect ink = InkBox(page);
    EXPECT_GT(ink.width(), 250); // 100 layout pixels at 300 dpi: 312
    EXPECT_LE(ink.right(), 313);
}

TEST(MetaRectStream, RecordRoundTripsAndKeepsTheFaceBytes)
{
    TFileVersionScope version(DrawRectCurrentVersion);
    TLineRect item;
    item.SetRect(TRect(1, 2, 301, 102));
    TFont f;
    f.SetName(QStringLiteral("@ＭＳ 明朝"));
    f.SetCharset(SHIFTJIS_CHARSET);
    f.SetSize(14);
    f.SetStyle(fsBold | fsUnderline);
    f.SetColor(0x00123456);
    item.SetFont(f);
    item.SetSizeIndex(7);
    item.SetVertical(1);
    item.SetUpsideDown(1);
    const QByteArray bytes = SavedRecord(item);
    const QByteArray face = cp932::Encode(QStringLiteral("@ＭＳ 明朝"));
    ASSERT_EQ(bytes.size(), 17 + 4 + 4 + face.size() + 4 + 4 + 4 + 4 + 1 + 1);

    TLineRect back;
    LoadRecord(back, bytes);
    EXPECT_EQ(back.GetFont().Name(), QStringLiteral("@ＭＳ 明朝"));
    EXPECT_EQ(back.GetFont(), item.GetFont());
    EXPECT_EQ(back.GetSizeIndex(), 7);
    EXPECT_EQ(back.GetUpsideDown(), 1);
    EXPECT_FALSE(back.IsValid());

    // A face whose bytes code page 932 would spell differently is written
    // back as read (0xED40 is an NEC-selected code of 纊).
    QByteArray odd = bytes;
    odd.replace(17 + 4, 4 + face.size(), Written([](QIODevice& out) { WriteStreamStr(QByteArray("\xED\x40", 2), out); }));
    LoadRecord(back, odd);
    EXPECT_EQ(SavedRecord(back), odd);
}

TEST(MetaRectStream, OldRecordsLackSizeIndexAndUpsideDown)
{
    const QByteArray old = Written([](QIODevice& b) {
        WriteStreamRect(b, TRect(0, 0, 10, 10)); // no Visible byte below 201
        WriteStreamInt32(b, 128);
        WriteStreamStr(QStringLiteral("ＭＳ ゴシック"), b);
        WriteStreamInt32(b, 12);
        WriteStreamInt32(b, 0);
        WriteStreamInt32(b, 0);
        WriteStreamByte(b, 1);
    });
    TLineRect item;
    item.SetSizeIndex(5);
    item.SetUpsideDown(1);
    TFileVersionScope version(199);
    EXPECT_EQ(LoadRecord(item, old), old.size());
    EXPECT_EQ(item.GetSizeIndex(), 0);
    EXPECT_EQ(item.GetUpsideDown(), 0);
    EXPECT_EQ(item.GetDirection(), 1);
    EXPECT_EQ(item.GetFont().Name(), QStringLiteral("ＭＳ ゴシック"));
}

TEST(MetaRectStream, RecordCutShortLeavesTheItemAndItsRecordingAsTheyWere)
{
    TFileVersionScope version(DrawRectCurrentVersion);
    TLineRect source;
    source.SetRect(TRect(0, 0, 300, 300));
    const QByteArray whole = SavedRecord(source);

    TLineRect item;
    item.SetRect(TRect(10, 10, 110, 60));
    item.SetVisible(false);
    item.Refresh(false);
    ASSERT_TRUE(item.IsValid());
    // Cut inside the base record, inside the face name, and before the last byte.
    for (qsizetype cut : {qsizetype(10), qsizetype(17 + 4 + 3), whole.size() - 1}) {
        SCOPED_TRACE(cut);
        EXPECT_THROW(LoadRecord(item, whole.left(cut)), EDrawRectStreamError);
        EXPECT_EQ(item.GetRect(), TRect(10, 10, 110, 60));
        EXPECT_EQ(item.GetDisplayRect(), TRect(10, 10, 110, 60));
        EXPECT_FALSE(item.IsVisible());
        EXPECT_TRUE(item.IsValid()); // the recording still matches the item
    }
}

TEST(MetaRectStream, FarOutRectangleFromARecordDrawsPrintsAndResizesSafely)
{
    TLineRect item;
    {
        TFileVersionScope version(DrawRectCurrentVersion);
        // A damaged record: the rectangle spans the whole Int32 range.
        QByteArray bytes = SavedRecord(TLineRect());
        bytes.replace(0, 16, Written([](QIODevice& out) { WriteStreamRect(out, TRect(INT32_MIN, -10, INT32_MAX, INT32_MAX)); }));
        LoadRecord(item, bytes);
    }
    TRefDeviceScope printer(kPrinter600);
    DrawOnScreen(item, 50, 50);
    item.PreparePrint(QPoint(0, 0), true);
    PrintOnPage(item, 600, 50, 50);
    item.SetDisplayRect(TRect(0, 0, 100, 50));
    EXPECT_FALSE(item.IsValid());
    item.SetDisplayRect(TRect(INT32_MIN, 0, INT32_MAX, 50));
    DrawOnScreen(item, 50, 50);
}

TEST(MetaRectStream, AssignCopiesFontLayoutAndSizeIndex)
{
    TLineRect a;
    a.SetRect(TRect(0, 0, 50, 50));
    a.SetVertical(1);
    a.SetUpsideDown(1);
    a.SetSizeIndex(9);
    a.ScaleFontHeight(2960);
    TLineRect b;
    b.Assign(a);
    EXPECT_EQ(b.GetUpsideDown(), 1);
    EXPECT_EQ(b.GetFontHeight(), -80);
    EXPECT_EQ(b.GetSizeIndex(), 9); // stored: an address keeps its fixed size
    EXPECT_FALSE(b.IsValid());
}

TEST(TextFitting, ScaleCanvasFontShrinksGrowsOrRefuses)
{
    TScratchCanvas s;
    TCanvas& c = s.c;
    c.Font().SetHeight(-100);
    EXPECT_TRUE(ScaleCanvasFont(c, 50, 0, true)); // nothing needed
    EXPECT_TRUE(ScaleCanvasFont(c, 300, 200, false)); // fits, no growth wanted
    EXPECT_EQ(c.Font().Height(), -100);
    EXPECT_TRUE(ScaleCanvasFont(c, -10, 200, false)); // negative ratio
    EXPECT_EQ(c.Font().Height(), -100);
    EXPECT_TRUE(ScaleCanvasFont(c, 150, 200, false));
    EXPECT_EQ(c.Font().Height(), -75);
    EXPECT_TRUE(ScaleCanvasFont(c, 200, 100, true));
    EXPECT_EQ(c.Font().Height(), -150);
    EXPECT_FALSE(ScaleCanvasFont(c, 1, 1000, false)); // would vanish
    EXPECT_EQ(c.Font().Height(), -150);
}

TEST(TextFitting, SplitTextAtWidthKeepsWholeCharacters)
{
    TScratchCanvas s;
    TCanvas& c = s.c;
    UseMincho(c, -20);
    QString text = QStringLiteral("東京都千代田区");
    QString rest;
    SplitTextAtWidth(c, text, 65, rest);
    EXPECT_EQ(text, QStringLiteral("東京都"));
    EXPECT_EQ(rest, QStringLiteral("千代田区"));
    EXPECT_EQ(GetTextWidthW(c, text), 60);

    QString pair = QStringLiteral("一") + QString::fromUcs4(U"\U00020BB7") + QStringLiteral("野");
    SplitTextAtWidth(c, pair, 30, rest);
    EXPECT_EQ(pair, QStringLiteral("一"));
    EXPECT_EQ(rest.size(), 3);
    EXPECT_TRUE(rest.at(0).isHighSurrogate());

}

// Damaged item records and the values they carry into the drawing code. A
// record can hold any Int32; these inputs each reached undefined behaviour,
// which the ASan/UBSan build of these tests turns into an abort.

#include "DrawRectTestItem.h"
#include "core/common/Units.h"
#include "drawing/objects/MetaRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/RefDevice.h"
#include "support/CanvasTestSupport.h"
#include "support/CorpusReplay.h"

#include <climits>

// The item-record fuzz harness itself, so its seed corpus replays here.
#include "../../fuzz/drawrect_fuzzer.cpp"

namespace {

class TRecordTextRect : public TMetaRect {
public:
    quint8 GetKind() const override { return ikWord; }
    void RenderContent(TCanvas& Canvas, const QPoint& Size) override
    {
        Canvas.SetFont(Font);
        Canvas.SetBkMode(gdi::TRANSPARENT);
        Canvas.TextOut(0, 0, QStringLiteral("東京都"));
        Canvas.Brush().Color = 0;
        Canvas.FillRect(QRect(0, 0, Size.x(), Size.y()));
    }
};

QByteArray TextRecord(qint32 size)
{
    return Written([&](QIODevice& out) {
        WriteStreamRect(out, TRect(0, 0, 100, 50));
        WriteStreamBool(out, true);
        WriteStreamInt32(out, SHIFTJIS_CHARSET);
        WriteStreamStr(QStringLiteral("ＭＳ 明朝"), out);
        WriteStreamInt32(out, size);
        WriteStreamInt32(out, 0);
        WriteStreamInt32(out, 0);
        WriteStreamInt32(out, 0);
        WriteStreamByte(out, 1);
        WriteStreamByte(out, 0);
    });
}

} // namespace

TEST(DamagedRecords, EverySeedOfTheFuzzCorpusReplaysCleanly)
{
    const qint32 version = DrawRectFileVersion;
    ReplayFuzzCorpus("drawrect", 10, LLVMFuzzerTestOneInput);
    DrawRectFileVersion = version;
}

TEST(DamagedRecords, FontSizeBeyondAnyFontIsKeptToTheLargestAndWrittenSo)
{
    TFileVersionScope version(DrawRectCurrentVersion);
    TRefDeviceScope printer(TRefDevice{true, 600, 600, 0, 0});
    for (qint32 size : {0x60000000, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(size);
        TRecordTextRect item;
        LoadRecord(item, TextRecord(size));
        const int expected = size > 0 ? kMaxFontPoints : -kMaxFontPoints;
        EXPECT_EQ(item.GetFont().Size(), expected);
        TRecordTextRect back;
        LoadRecord(back, SavedRecord(item));
        EXPECT_EQ(SavedRecord(back), SavedRecord(item));
        Painted(50, 50, [&](TCanvas& c) { item.Draw(&c, 0, 0); });
    }
    // Sizes a font can take stay as stored.
    TRecordTextRect item;
    LoadRecord(item, TextRecord(-72));
    EXPECT_EQ(item.GetFont().Size(), -72);
    EXPECT_EQ(SavedRecord(item), TextRecord(-72));
}

TEST(DamagedRecords, ArithmeticOnExtremeValuesSaturates)
{
    // MulDiv overflows as Windows': -1, and a size then never negates INT_MIN.
    EXPECT_EQ(MulDiv(0x60000000, 96, 72), -1);
    EXPECT_EQ(MulDiv(-0x60000000, 96, 72), INT_MIN);
    EXPECT_EQ(MulDiv(-2000000000, 3, 3), -2000000000);
    TFont f;
    f.SetSize(0x60000000);
    EXPECT_EQ(f.Height(), 1);
    f.SetSize(-0x60000000);
    EXPECT_EQ(f.Height(), INT_MAX);
    f.SetHeight(INT_MIN);
    EXPECT_EQ(RealizeFont(f).em, kMaxEmPixels);

    // Window positions scaled for a 192-dpi screen.
    SetScreenPixelsPerInch(192);
    EXPECT_EQ(ScaleForDpi(INT_MAX, true), INT_MAX);
    EXPECT_EQ(ScaleForDpi(INT_MIN, true), INT_MIN);
    EXPECT_EQ(ScaleForDpi(100, true), 200);
    EXPECT_EQ(ScaleForDpi(201, false), 101);
    SetScreenPixelsPerInch(0);

    // A clip rectangle from a line far from its item keeps its extent.
    const TRegion far = TRegion::Rect(INT_MIN, 0, 100, 10);
    EXPECT_EQ(far.Path().boundingRect().width(), 100.0 - INT_MIN);

    // The pen after text that runs past the int range stops at its end.
    TScratchCanvas s;
    UseMincho(s.c, -1000000);
    s.c.TextOut(INT_MAX - 10, 5, QStringLiteral("東京都港区"));
    EXPECT_EQ(s.c.PenPos(), QPoint(INT_MAX, 5));
}

TEST(DamagedRecords, FarOutItemDrawsWhereItIsAtEveryResolution)
{
    // An item far beyond the int range on a 600-dpi reference: nothing of it
    // falls on the canvas, and an item beside it still draws.
    TRefDeviceScope printer(TRefDevice{true, 600, 600, 0, 0});
    TRecordTextRect far;
    far.SetRect(TRect(INT_MIN, 10, -100, 20));
    const QImage img = Painted(100, 100, [&](TCanvas& c) { far.Draw(&c, 5, 5); });
    EXPECT_TRUE(InkBox(img).isNull());
    TRecordTextRect wide;
    wide.SetRect(TRect(0, 0, INT_MAX, 10));
    wide.Refresh(true);
    EXPECT_EQ(wide.GetMetafile().Width(), INT_MAX);
    const QImage strip = Painted(100, 100, [&](TCanvas& c) { wide.Draw(&c, 0, 0); });
    const QRect ink = InkBox(strip);
    EXPECT_EQ(ink.left(), 0);
    EXPECT_EQ(ink.right(), 99);
    EXPECT_NEAR(ink.height(), 10, 1);
}

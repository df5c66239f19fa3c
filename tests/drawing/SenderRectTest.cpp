// The sender block: its children and their places, the turn, child-edit
// mode, the visible switches, copying, and the record of every version.

#include "DrawRectTestItem.h"
#include "drawing/objects/AdditionRect.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/CorpRect.h"
#include "drawing/objects/DrawItems.h"
#include "drawing/objects/NameRect.h"
#include "drawing/objects/PosRect.h"
#include "drawing/objects/SenderRect.h"
#include "drawing/objects/StreamIO.h"
#include "support/CanvasTestSupport.h"
#include "support/CorpusReplay.h"

#define SENDER_RECORD_FUZZER_NO_ENTRY
#include "../../fuzz/sender_record_fuzzer.cpp"

namespace {

// A block of 225 x 225 without frame: the 205 x 205 frame maps 1:1, moved by
// the margin of 10.
void Square225(TSenderRect& s, quint8 direction)
{
    s.SetFont(Mincho());
    s.SetVertical(direction);
    s.ResetChildRects(-1);
    s.SetRect(TRect(0, 0, 225, 225));
}

TRect Shifted(const TRect& r, int by)
{
    return {r.Left + by, r.Top + by, r.Right + by, r.Bottom + by};
}

// A block away from every default: title and fixed text with trail bytes
// 0x5C, a hidden addition, the full set shown without company name, a round
// double frame, turned upside down.
void MakeAwkward(TSenderRect& s)
{
    Square225(s, 0);
    s.SetSenderTitle(QStringLiteral("表ソ商会"));
    s.GetBasicAddition(0)->SetText(QStringLiteral("ソ十表"));
    s.SetBasicAdditionVisible(1, false);
    s.GetAddition(2)->SetFieldId(kAdditionFixedText);
    s.GetAddition(2)->SetText(QStringLiteral("能"));
    s.SetAutoLayout(false);
    s.SetCorpVisible(false);
    TRectFrame& f = s.GetFrame();
    f.SetFrame(true);
    f.SetLineCount(1);
    f.SetCorner(1);
    f.SetFrameColor(0x123456);
    s.SetUpsideDown(1);
}

// A version-200 record written field by field: no full places, no Visible
// bytes or field ids, a one-byte current child, the upside-down byte.
QByteArray SenderRecordV200(quint8 current, quint8 vertical, qint32 version = 200)
{
    return Written([&](QIODevice& out) {
        WriteStreamRect(out, TRect(5, 6, 230, 231));
        WriteStreamStr(QStringLiteral("表ソ"), out);
        for (int i = 0; i < kSenderBasicCount; ++i)
            WriteStreamRect(out, TRect(i, 2 * i, 100 + i, 120 + i));
        WriteStreamInt32(out, SHIFTJIS_CHARSET);
        WriteStreamStr(QStringLiteral("ＭＳ ゴシック"), out);
        WriteStreamInt32(out, 10);
        WriteStreamInt32(out, 1);
        WriteStreamInt32(out, 0x0000FF);
        WriteStreamByte(out, vertical);
        WriteStreamByte(out, 0); // child-edit mode
        WriteStreamByte(out, current);
        const char frame[kRectFrameRecordSize] = {1, 0, 0, 0, 1, 0x11, 0x22, 0x33, 0, 0, 0, 0, 0};
        WriteStreamBytes(out, frame, sizeof frame);
        if (version >= 200)
            WriteStreamByte(out, 1);
    });
}

} // namespace

TEST(SenderRect, NewBlockShowsTheBasicSetWithTheBlockFlags)
{
    TSenderRect s;
    EXPECT_EQ(s.GetKind(), ikSender);
    ASSERT_EQ(s.GetShownList().size(), 5u);
    EXPECT_EQ(s.GetShownList(), s.GetBasicList());
    EXPECT_TRUE(s.GetWholeBlock());
    EXPECT_TRUE(s.GetAutoLayout());
    // Sender items inside a block: the sender kinds, with the heights of the
    // block's rows (the addressee's), not the lone sender item's.
    EXPECT_EQ(s.GetBasicPos()->GetKind(), ikSenderPosCode);
    EXPECT_EQ(s.GetBasicPos()->GetFontHeight(), -24);
    EXPECT_EQ(s.GetAddress(2)->GetKind(), ikSenderAddress);
    EXPECT_EQ(s.GetName()->GetKind(), ikSenderName);
    EXPECT_EQ(s.GetDepartment(1)->GetKind(), ikSenderName);
    EXPECT_EQ(s.GetCorp()->GetKind(), ikName); // the company name: only in the block
    EXPECT_EQ(s.GetName()->GetFontHeight(), s.GetCorp()->GetFontHeight());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s.GetAddition(i)->GetFieldId(), kAdditionContact1 + i);
    EXPECT_EQ(s.GetBasicAddition(0)->GetFieldId(), kAdditionFixedText);
    EXPECT_EQ(s.GetAddress(3), nullptr);
    EXPECT_EQ(s.GetBasicAddition(2), nullptr);
    EXPECT_EQ(s.GetDepartment(-1), nullptr);
    EXPECT_EQ(s.GetAddition(4), nullptr);

    // Horizontal, 225 square: every basic child lands 1:1 on its default.
    Square225(s, 1);
    s.Refresh(false);
    EXPECT_EQ(s.GetBasicAddress()->GetRect(), TRect(24, 33, 210, 89));
    for (int i = 0; i < kSenderBasicCount; ++i)
        EXPECT_EQ(s.GetBasicList()[size_t(i)]->GetRect(), Shifted(SenderBasicDefaultRect(i, 1), 10)) << i;
    EXPECT_TRUE(s.IsLayoutValid());

    // Twice the size, with a zoom: the places scale, the display follows.
    s.SetZoom(2.0);
    s.SetRect(TRect(100, 50, 530, 480)); // content 430: sx = sy = 2
    EXPECT_FALSE(s.IsLayoutValid());
    s.Refresh(false);
    EXPECT_EQ(s.GetBasicAddress()->GetRect(), TRect(100 + 10 + 28, 50 + 10 + 46, 100 + 10 + 400, 50 + 10 + 158));
    EXPECT_EQ(s.GetBasicAddress()->GetDisplayRect(), TRect(276, 212, 1020, 436));
}

TEST(SenderRect, TurningTwiceRestoresEveryPlaceAndTurningAgainChangesNothing)
{
    TSenderRect s;
    Square225(s, 0);
    const auto basic = s.GetBasicRects();
    const auto full = s.GetFullRects();
    s.SetUpsideDown(1);
    EXPECT_EQ(s.GetUpsideDown(), 1);
    EXPECT_EQ(s.GetFullRects()[sfAddition4], TRect(185, 0, 205, 144));
    for (const TMetaRect* c : s.GetFullList())
        EXPECT_EQ(c->GetUpsideDown(), 1);
    const auto turnedBasic = s.GetBasicRects();
    const auto turnedFull = s.GetFullRects();
    s.SetUpsideDown(1);
    EXPECT_EQ(s.GetBasicRects(), turnedBasic);
    EXPECT_EQ(s.GetFullRects(), turnedFull);
    s.SetUpsideDown(0);
    EXPECT_EQ(s.GetBasicRects(), basic);
    EXPECT_EQ(s.GetFullRects(), full);
    for (const TMetaRect* c : s.GetBasicList())
        EXPECT_EQ(c->GetUpsideDown(), 0);
}

TEST(SenderRectRecord, BlocksRoundTripByteForByte)
{
    TSenderRect fresh;
    const QByteArray plain = SavedRecord(fresh);
    TSenderRect plainBack;
    EXPECT_EQ(LoadRecord(plainBack, plain, DrawRectCurrentVersion), plain.size());
    EXPECT_EQ(SavedRecord(plainBack), plain);

    TSenderRect s;
    MakeAwkward(s);
    // The current child is saved by its position in the active list.
    s.Refresh(false);
    s.SetWholeBlock(false);
    const TRect post = s.GetPost()->GetDisplayRect();
    ASSERT_TRUE(s.HitTest(post.Left + 2, post.Top + 2));
    ASSERT_EQ(s.GetCurrentChild(), s.GetPost());
    const QByteArray bytes = SavedRecord(s);
    TSenderRect back;
    EXPECT_EQ(LoadRecord(back, bytes, DrawRectCurrentVersion), bytes.size());
    EXPECT_EQ(SavedRecord(back), bytes);
    EXPECT_EQ(back.GetSenderTitle(), QStringLiteral("表ソ商会"));
    EXPECT_EQ(back.GetBasicAddition(0)->GetText(), QStringLiteral("ソ十表"));
    EXPECT_EQ(back.GetAddition(2)->GetText(), QStringLiteral("能"));
    EXPECT_FALSE(back.GetBasicAdditionVisible(1));
    EXPECT_FALSE(back.GetCorpVisible());
    EXPECT_EQ(back.GetCurrentChild(), back.GetPost());
    EXPECT_FALSE(back.GetWholeBlock());
    EXPECT_EQ(back.GetUpsideDown(), 1);
    EXPECT_EQ(back.GetFullRects(), s.GetFullRects());
    EXPECT_EQ(back.GetShownList().size(), 12u);
    EXPECT_EQ(back.GetFont().Name(), QStringLiteral("ＭＳ 明朝"));
}

TEST(SenderRectRecord, OldRecordsLoadWithAutomaticLayoutAndDefaultFullPlaces)
{
    for (const qint32 version : {200, 199}) {
        SCOPED_TRACE(version);
        const QByteArray rec = SenderRecordV200(2, 1, version);
        TSenderRect s;
        // Whatever the block held before: the old record decides.
        s.SetAutoLayout(false);
        s.SetNameVisible(false);
        s.GetAddition(0)->SetText(QStringLiteral("残り"));
        EXPECT_EQ(LoadRecord(s, rec, version), rec.size());
        EXPECT_TRUE(s.GetAutoLayout());
        EXPECT_FALSE(s.GetWholeBlock());
        EXPECT_EQ(s.GetCurrentChild(), s.GetBasicName());
        EXPECT_EQ(s.GetSenderTitle(), QStringLiteral("表ソ"));
        EXPECT_EQ(s.GetBasicRects()[4], TRect(4, 8, 104, 124));
        for (int i = 0; i < kSenderFullCount; ++i)
            EXPECT_EQ(s.GetFullRects()[size_t(i)], SenderFullDefaultRect(i, 1)) << i;
        for (const TMetaRect* c : s.GetFullList())
            EXPECT_TRUE(c->IsVisible());
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(s.GetAddition(i)->GetFieldId(), kAdditionFixedText);
            EXPECT_TRUE(s.GetAddition(i)->GetText().isEmpty());
        }
        EXPECT_EQ(s.GetVertical(), 1);
        EXPECT_EQ(s.GetFont().Name(), QStringLiteral("ＭＳ ゴシック"));
        EXPECT_EQ(s.GetFont().Color(), 0x0000FFu);
        EXPECT_EQ(s.GetUpsideDown(), version >= 200 ? 1 : 0);
        EXPECT_TRUE(s.GetFrame().GetFrame());
        EXPECT_EQ(s.GetShownList().size(), 5u);
        // Written back in the newest form, which reads as it was.
        const QByteArray now = SavedRecord(s);
        TSenderRect again;
        LoadRecord(again, now, DrawRectCurrentVersion);
        EXPECT_EQ(SavedRecord(again), now);
    }
    // A current child beyond the active list, or none, is none.
    for (const quint8 current : {5, 255}) {
        TSenderRect s;
        LoadRecord(s, SenderRecordV200(current, 0), 200);
        EXPECT_EQ(s.GetCurrentChild(), nullptr) << int(current);
    }
}

TEST(SenderRectRecord, CurrentChildOutOfRangeMeansNone)
{
    TSenderRect s;
    s.SetAutoLayout(false);
    const QByteArray base = SavedRecord(s);
    // The current child is the Int32 before the frame and the last byte.
    const qsizetype at = base.size() - 1 - kRectFrameRecordSize - 4;
    const auto withCurrent = [&](qint32 v) {
        QByteArray b = base;
        for (int i = 0; i < 4; ++i)
            b[at + i] = char((quint32(v) >> (8 * i)) & 0xFF);
        return b;
    };
    for (const qint32 v : {13, -1, -7, INT32_MIN, INT32_MAX}) {
        TSenderRect back;
        LoadRecord(back, withCurrent(v), DrawRectCurrentVersion);
        EXPECT_EQ(back.GetCurrentChild(), nullptr) << v;
    }
    TSenderRect back;
    LoadRecord(back, withCurrent(12), DrawRectCurrentVersion);
    EXPECT_EQ(back.GetCurrentChild(), back.GetAddition(3));
    EXPECT_EQ(SavedRecord(back), withCurrent(12));
}

TEST(SenderRectRecord, ARecordCutShortLeavesTheBlockAsItWas)
{
    TSenderRect source;
    MakeAwkward(source);
    const QByteArray full = SavedRecord(source);
    TSenderRect s;
    Square225(s, 1);
    s.SetSenderTitle(QStringLiteral("元"));
    s.SetBasicAdditionVisible(0, false);
    const QByteArray before = SavedRecord(s);
    for (qsizetype n = 0; n < full.size(); ++n) {
        EXPECT_THROW(LoadRecord(s, full.left(n), DrawRectCurrentVersion), EDrawRectStreamError) << n;
        ASSERT_EQ(SavedRecord(s), before) << "cut at " << n;
    }
    EXPECT_EQ(s.GetShownList().size(), 4u);
}

TEST(SenderRect, ChildEditModeMovesTheHitChildAndTheBlockFollows)
{
    TSenderRect s;
    Square225(s, 1);
    s.Refresh(false);
    s.SetWholeBlock(false);
    EXPECT_EQ(s.GetRect(), TRect()); // no current child yet
    EXPECT_EQ(s.GetHitZone(0, 0), quint16(hzNone | hzNone << 8));
    EXPECT_FALSE(s.HitTest(2, 2));   // the margin holds no child

    // The name is hit, becomes current and is tested and drawn first.
    ASSERT_TRUE(s.HitTest(100, 120));
    EXPECT_EQ(s.GetCurrentChild(), s.GetBasicName());
    EXPECT_EQ(s.GetShownList().front(), s.GetBasicName());
    EXPECT_EQ(s.GetRect(), TRect(53, 90, 215, 159));

    // Moved 100 to the right: the union grows to 0..315 across (the postal
    // code starts at 10), the block is that plus the margin, and every
    // stored place is taken again against the union.
    s.SetRect(TRect(153, 90, 315, 159));
    EXPECT_EQ(s.GetBlockDisplayRect(), TRect(0, 0, 325, 225));
    EXPECT_EQ(s.GetBasicRects()[sbName], TRect(96, 80, 205, 149));
    EXPECT_EQ(s.GetBasicRects()[sbPos], TRect(0, 0, 58, 20));
    // Placed again, the children stay where the user put them.
    s.ResetChildRects(99); // ignored, but the layout is taken again
    s.Refresh(false);
    EXPECT_EQ(s.GetBasicName()->GetRect(), TRect(153, 90, 315, 159));

    // With a frame the block takes the frame's outer rectangle.
    s.GetFrame().SetFrame(true);
    s.SetRect(TRect(153, 90, 315, 159));
    EXPECT_EQ(s.GetBlockDisplayRect(), TRect(-2, -2, 327, 227));

    // Nothing shown, or nothing laid out: the places and bounds stay.
    TSenderRect empty;
    Square225(empty, 0);
    const auto basic = empty.GetBasicRects();
    empty.UpdateBlockBounds(); // children never laid out: empty union
    EXPECT_EQ(empty.GetBasicRects(), basic);
    EXPECT_EQ(empty.GetBlockDisplayRect(), TRect(0, 0, 225, 225));
    empty.SetAutoLayout(false);
    empty.Refresh(false);
    for (TMetaRect* c : empty.GetFullList())
        c->SetVisible(false);
    empty.SetAutoLayout(true);
    empty.SetAutoLayout(false); // the list rebuilt: nothing shown
    ASSERT_TRUE(empty.GetShownList().empty());
    const auto full = empty.GetFullRects();
    empty.UpdateBlockBounds();
    EXPECT_EQ(empty.GetFullRects(), full);
}

TEST(SenderRect, VisibleSwitchesTouchOnlyTheirOwnChild)
{
    TSenderRect s;
    Square225(s, 0);
    // A place the user set by hand in automatic layout.
    s.Refresh(false);
    s.SetWholeBlock(false);
    ASSERT_TRUE(s.HitTest(200, 15));
    ASSERT_EQ(s.GetCurrentChild(), s.GetBasicPos());
    s.SetRect(TRect(100, 10, 215, 30));
    const auto basic = s.GetBasicRects();
    const auto shown = s.GetShownList();

    // A full-set switch while automatic layout is on: the full child gets
    // its default place, nothing of the basic set changes.
    s.SetPosVisible(false);
    s.SetPosVisible(true);
    EXPECT_EQ(s.GetBasicRects(), basic);
    EXPECT_EQ(s.GetShownList(), shown);
    EXPECT_EQ(s.GetFullRects()[sfPos], SenderFullDefaultRect(sfPos, 0));

    // Out of range: ignored, and False.
    s.SetAddressVisible(3, false);
    s.SetDepartmentVisible(-1, false);
    s.SetAdditionVisible(4, false);
    s.SetBasicAdditionVisible(2, false);
    EXPECT_FALSE(s.GetAddressVisible(3));
    EXPECT_FALSE(s.GetBasicAdditionVisible(-1));
    EXPECT_EQ(s.GetShownList(), shown);

    // The basic addition hidden and shown again: last in the list, its
    // default place back.
    s.SetBasicAdditionVisible(0, false);
    EXPECT_EQ(s.GetShownList().size(), 4u);
    s.SetBasicAdditionVisible(0, true);
    EXPECT_EQ(s.GetShownList().back(), s.GetBasicAddition(0));
    EXPECT_EQ(s.GetBasicRects()[sbAddition1], SenderBasicDefaultRect(sbAddition1, 0));

    // The full set: hidden children leave the list, shown ones come last.
    s.SetAutoLayout(false);
    EXPECT_EQ(s.GetShownList(), s.GetFullList());
    s.SetDepartmentVisible(1, false);
    EXPECT_EQ(s.GetShownList().size(), 12u);
    s.SetDepartmentVisible(1, true);
    EXPECT_EQ(s.GetShownList().back(), s.GetDepartment(1));
    EXPECT_FALSE(s.IsLayoutValid());
}

TEST(SenderRect, AssignCopiesTheBlockInEitherModeWithoutTurningTwice)
{
    TSenderRect source;
    MakeAwkward(source);
    source.SetRect(TRect(40, 50, 300, 330));
    TSenderRect s;
    Square225(s, 1);
    s.Refresh(false);
    s.SetWholeBlock(false);
    ASSERT_TRUE(s.HitTest(100, 120));
    s.Assign(source);
    EXPECT_EQ(s.GetCurrentChild(), nullptr);
    EXPECT_FALSE(s.GetWholeBlock()); // not copied
    EXPECT_FALSE(s.IsLayoutValid());
    EXPECT_EQ(s.GetBlockDisplayRect(), TRect(40, 50, 300, 330));
    EXPECT_EQ(s.GetBasicRects(), source.GetBasicRects()); // turned once, as the source's
    EXPECT_EQ(s.GetFullRects(), source.GetFullRects());
    s.SetWholeBlock(true);
    EXPECT_EQ(SavedRecord(s), SavedRecord(source));
    EXPECT_EQ(s.GetShownList().size(), 12u);
}

TEST(SenderRect, FrameChangesAndDrawingLayTheChildrenInsideTheFrame)
{
    TSenderRect s;
    Square225(s, 0);
    s.Refresh(false);
    ASSERT_TRUE(s.IsLayoutValid());
    s.GetFrame().SetBack(true); // the background alone keeps the layout
    s.GetFrame().SetBackColor(0xFFFFFF);
    EXPECT_TRUE(s.IsLayoutValid());
    s.GetFrame().SetFrame(true);
    EXPECT_FALSE(s.IsLayoutValid());
    s.GetFrame().SetLineWidth(2); // 10 wide: the content is (10, 10, 215, 215)
    QImage img = WhiteImage(240, 240);
    {
        QPainter p(&img);
        TCanvas c(p);
        s.Draw(&c, 0, 0);
    }
    // sx = 185 / 205: the postal code's 107..205 becomes 20 + 97 .. + 88.
    EXPECT_EQ(s.GetBasicPos()->GetRect(), TRect(117, 20, 205, 38));
    EXPECT_LT(qGray(img.pixel(1, 112)), 80);
    EXPECT_GT(qGray(img.pixel(15, 112)), 200);
}

TEST(SenderRecordSeeds, EverySeedReplaysCleanly)
{
    ReplayFuzzCorpus("sender_record", 6, sender_record_fuzz::OneInput);
}

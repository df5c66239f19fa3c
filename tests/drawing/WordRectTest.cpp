// The item frame and the free text: events, the stored records of every
// version, the frame's pens, the nine alignments and the fitting loops, and
// damaged records.

#include "DrawRectTestItem.h"
#include "core/common/FontUtils.h"
#include "core/common/Units.h"
#include "drawing/objects/RectFrame.h"
#include "drawing/objects/StreamIO.h"
#include "drawing/objects/WordRect.h"
#include "platform/Cp932.h"
#include "platform/RefDevice.h"
#include "support/CanvasTestSupport.h"
#include "support/CorpusReplay.h"

#include <QJsonObject>
#include <climits>

// The free-text fuzz harness, so its seed corpus replays here.
#define LLVMFuzzerTestOneInput WordRectFuzzOne
#include "../../fuzz/wordrect_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

namespace {

constexpr TColor kRed = 0x0000FF;

struct TEventCount {
    int frame = 0;
    int back = 0;
    void Bind(TRectFrame& f)
    {
        f.OnFrameChange = [this](TRectFrame*) { ++frame; };
        f.OnBackChange = [this](TRectFrame*) { ++back; };
    }
};

// The v600 record of a free text, field by field as stored.
QByteArray WordRecordV600(const QStringList& lines, qint32 lineCount, quint8 lineSpace, qint32 sizeIndex,
                          qint32 aspect, qint32 align = 0)
{
    return Written([&](QIODevice& out) {
        WriteStreamRect(out, TRect(0, 0, 200, 100));
        WriteStreamBool(out, true);
        WriteStreamInt32(out, SHIFTJIS_CHARSET);
        WriteStreamStr(QStringLiteral("ＭＳ 明朝"), out);
        WriteStreamInt32(out, 12);
        WriteStreamInt32(out, 0);
        WriteStreamInt32(out, 0);
        WriteStreamInt32(out, sizeIndex);
        WriteStreamByte(out, 1);
        WriteStreamByte(out, 0);
        WriteStreamInt32(out, lineCount);
        for (const QString& l : lines)
            WriteStreamWStr(l, out);
        WriteStreamInt32(out, aspect);
        WriteStreamInt32(out, align);
        WriteStreamBool(out, true);
        WriteStreamByte(out, lineSpace);
        const char frame[13] = {1, 0, 1, 1, 2, 0x11, 0x22, 0x33, 0, 0x44, 0x55, 0x66, 0};
        WriteStreamBytes(out, frame, 13);
    });
}

// The text-item part of an older version: no SizeIndex (below 600), no
// Visible byte (below 201) and no upside-down byte (below 200).
QByteArray OldHead(qint32 version)
{
    return Written([&](QIODevice& out) {
        WriteStreamRect(out, TRect(0, 0, 200, 100));
        if (version >= 201)
            WriteStreamBool(out, true);
        WriteStreamInt32(out, SHIFTJIS_CHARSET);
        WriteStreamStr(QStringLiteral("ＭＳ 明朝"), out);
        WriteStreamInt32(out, 12);
        WriteStreamInt32(out, 0);
        WriteStreamInt32(out, 0);
        WriteStreamByte(out, 1);
        if (version >= 200)
            WriteStreamByte(out, 0);
    });
}

TWordRect* Loaded(TWordRect& item, const QByteArray& record, qint32 version)
{
    TFileVersionScope scope(version);
    EXPECT_EQ(LoadRecord(item, record), record.size());
    return &item;
}

// A free text rendered on the screen at zoom 1 (no printer) or printed at
// the printer's resolution; the picture and its item.
QImage Rendered(TWordRect& item, int dpi)
{
    if (dpi == 96) {
        const TRect r = item.GetDisplayRect();
        return Painted(r.Right + 20, r.Bottom + 20, [&](TCanvas& c) { item.Draw(&c, 0, 0); });
    }
    TRefDeviceScope printer(TRefDevice{true, dpi, dpi, 0, 0});
    item.Refresh(true);
    item.PreparePrint(QPoint(0, 0), true);
    const TRect r = item.GetPrintRect();
    return Painted(r.Right + 20, r.Bottom + 20, [&](TCanvas& c) { item.Print(&c, 0, 0); }, dpi);
}

} // namespace

TEST(RectFrame, SettersFireOnChangeAndAssignFiresEachEventAtMostOnce)
{
    TRectFrame f;
    TEventCount n;
    n.Bind(f);
    f.SetFrame(false);
    f.SetBackColor(0);
    EXPECT_EQ(n.frame + n.back, 0) << "unchanged values fire nothing";
    f.SetFrame(true);
    f.SetLineCount(1);
    f.SetCorner(1);
    f.SetLineWidth(2);
    f.SetFrameColor(kRed);
    f.SetBack(true);
    f.SetBackColor(kRed);
    EXPECT_EQ(n.frame, 5);
    EXPECT_EQ(n.back, 2);

    TRectFrame same;
    same.SetFrame(true);
    same.SetLineCount(1);
    same.SetCorner(1);
    same.SetLineWidth(2);
    same.SetFrameColor(kRed);
    same.SetBack(true);
    same.SetBackColor(kRed);
    n = {};
    n.Bind(f);
    f.Assign(same);
    EXPECT_EQ(n.frame + n.back, 0);
    same.SetBackColor(0x00FF00);
    f.Assign(same);
    EXPECT_EQ(n.frame, 0);
    EXPECT_EQ(n.back, 1);
    TRectFrame cleared;
    f.Assign(cleared); // every field differs: still one of each
    EXPECT_EQ(n.frame, 1);
    EXPECT_EQ(n.back, 2);
    f.Assign(same);
    f.Clear();
    EXPECT_EQ(n.frame, 2) << "Clear fires nothing";
    EXPECT_FALSE(f.GetFrame());
    EXPECT_EQ(f.GetFrameColor(), 0u);
}

TEST(RectFrame, RecordIsThirteenBytesInStoredOrderAndACutRecordLeavesTheFrame)
{
    TRectFrame f;
    f.SetFrame(true);
    f.SetLineCount(1);
    f.SetCorner(1);
    f.SetLineWidth(2);
    f.SetFrameColor(0x00332211);
    f.SetBackColor(0x00665544);
    const QByteArray rec = Written([&](QIODevice& out) { f.SaveToStream(out); });
    EXPECT_EQ(rec.toHex(' '), QByteArray("01 00 01 01 02 11 22 33 00 44 55 66 00"));

    TRectFrame back;
    TEventCount n;
    n.Bind(back);
    QBuffer in;
    in.setData(rec);
    in.open(QIODevice::ReadOnly);
    back.LoadFromStream(in);
    EXPECT_EQ(n.frame + n.back, 0) << "loading fires no event";
    EXPECT_EQ(Written([&](QIODevice& out) { back.SaveToStream(out); }), rec);

    TRectFrame untouched;
    QBuffer cut;
    cut.setData(rec.left(12));
    cut.open(QIODevice::ReadOnly);
    EXPECT_THROW(untouched.LoadFromStream(cut), EDrawRectStreamError);
    EXPECT_FALSE(untouched.GetFrame());
    EXPECT_EQ(untouched.GetLineWidth(), 0);
}

TEST(RectFrame, InnerAndOuterRectangles)
{
    TRectFrame f;
    f.SetFrame(true);
    const TRect r(0, 0, 200, 100);
    EXPECT_EQ(f.GetInnerRect(r, 1.0), TRect(2, 2, 198, 98));
    EXPECT_EQ(f.GetOuterRect(TRect(10, 10, 20, 20)), TRect(8, 8, 22, 22));
    // A double thin line: 5 * (2 div 2) inside, drawn and computed alike.
    f.SetLineCount(1);
    EXPECT_EQ(f.GetInnerRect(r, 1.0), TRect(5, 5, 195, 95));
    QImage img = WhiteImage(220, 120);
    {
        QPainter p(&img);
        TCanvas c(p);
        EXPECT_EQ(f.Draw(c, r, 1.0), TRect(5, 5, 195, 95));
    }
    // A double thick line: 2 * 10 inside; round corners add their pad.
    f.SetLineWidth(2);
    EXPECT_EQ(f.GetInnerRect(r, 1.0), TRect(20, 20, 180, 80));
    f.SetCorner(1);
    EXPECT_EQ(f.GetInnerRect(r, 1.0), TRect(20, 20, 180, 80)); // its pad (85 / 12 - 10) / 2 is negative
    EXPECT_EQ(f.GetInnerRect(TRect(0, 0, 400, 400), 1.0).Left, 20 + int(RoundHalfUp((385.0 / 12 - 10) / 2)));
    EXPECT_EQ(f.GetOuterRect(TRect(0, 0, 100, 100)).Left, -(20 + int(RoundHalfUp(110.0 / 20 - 5))));

    // A double outline with no room inside draws the outer one only, yet the
    // room left is computed with the halved width.
    TRectFrame tiny;
    tiny.SetFrame(true);
    tiny.SetLineCount(1);
    tiny.SetLineWidth(1);
    QImage small = WhiteImage(40, 40);
    TRect inner;
    {
        QPainter p(&small);
        TCanvas c(p);
        inner = tiny.Draw(c, TRect(0, 0, 16, 16), 1.0);
    }
    EXPECT_EQ(inner, TRect(12, 12, 4, 4)); // shrunk by 6 + 3, then by 3
}

TEST(RectFrame, ThinOutlineIsTwoPixelsAt96DpiAndThirteenAt600)
{
    TWordRect item;
    item.GetFrame().SetFrame(true);
    item.GetFrame().SetFrameColor(0);
    item.SetRect(TRect(10, 10, 106, 58));
    const QImage screen = Rendered(item, 96);
    // Inside the rectangle: rows 10 and 11 dark, 12 light; outside light.
    EXPECT_LT(qGray(screen.pixel(50, 10)), 100);
    EXPECT_LT(qGray(screen.pixel(50, 11)), 100);
    EXPECT_GT(qGray(screen.pixel(50, 12)), 200);
    EXPECT_GT(qGray(screen.pixel(50, 9)), 200);
    EXPECT_LT(qGray(screen.pixel(105, 30)), 100);
    EXPECT_GT(qGray(screen.pixel(106, 30)), 200);

    const QImage paper = Rendered(item, 600);
    const TRect pr = item.GetPrintRect();
    const int y = (pr.Top + pr.Bottom) / 2;
    int dark = 0;
    while (qGray(paper.pixel(pr.Left + dark, y)) < 128)
        ++dark;
    EXPECT_EQ(dark, 13);
    EXPECT_GT(qGray(paper.pixel(pr.Left - 1, y)), 200);
}

TEST(WordRect, Version600RecordIs85BytesAndRoundTrips)
{
    TWordRect item;
    item.SetRect(TRect(0, 0, 200, 100));
    item.SetFont(Mincho());
    item.SetVertical(1);
    item.SetLines({QStringLiteral("あ")});
    item.GetFrame().SetFrame(true);
    const QByteArray rec = SavedRecord(item);
    EXPECT_EQ(rec.size(), 85);
    TWordRect back;
    Loaded(back, rec, 600);
    EXPECT_EQ(back.GetLines(), QStringList{QStringLiteral("あ")});
    EXPECT_EQ(back.GetAspectRatio(), 100);
    EXPECT_EQ(SavedRecord(back), rec);

    // Every field at its place: the record built by hand reads and writes back.
    const QStringList lines{QStringLiteral("表ソ"), QString(), QStringLiteral("𠮷")};
    const QByteArray full = WordRecordV600(lines, 3, 4, 7, 80, 5);
    TWordRect fullItem;
    Loaded(fullItem, full, 600);
    EXPECT_EQ(fullItem.GetLines(), lines);
    EXPECT_EQ(fullItem.GetSizeIndex(), 7);
    EXPECT_EQ(fullItem.GetAspectRatio(), 80);
    EXPECT_EQ(fullItem.GetAlign(), 5);
    EXPECT_TRUE(fullItem.GetWordWrap());
    EXPECT_EQ(fullItem.GetLineSpace(), 4);
    EXPECT_EQ(fullItem.GetFrame().GetLineWidth(), 2);
    EXPECT_EQ(fullItem.GetFrame().GetFrameColor(), 0x00332211u);
    EXPECT_EQ(SavedRecord(fullItem), full);
    QJsonObject fields;
    fullItem.DescribeFields(fields);
    EXPECT_EQ(fields.value(QStringLiteral("LineSpace")).toInt(), 4);
    EXPECT_EQ(fields.value(QStringLiteral("Frame")).toObject().value(QStringLiteral("LineWidth")).toInt(), 2);
}

TEST(WordRect, OlderVersionsLoadTheirFieldsAndSaveTheNewestForm)
{
    const QStringList lines{QStringLiteral("表示"), QStringLiteral("ソフト")};
    const QByteArray frame("\x01\x00\x01\x01\x02\x11\x22\x33\x00\x44\x55\x66\x00", 13);
    const auto tail = [&](qint32 version) {
        return Written([&](QIODevice& out) {
            WriteStreamInt32(out, 2);
            for (const QString& l : lines) {
                if (version < 501)
                    WriteStreamStr(l, out);
                else
                    WriteStreamWStr(l, out);
            }
            if (version >= 200)
                WriteStreamInt32(out, 7);
            if (version >= 400)
                WriteStreamInt32(out, 80);
            WriteStreamInt32(out, 5);
            WriteStreamBool(out, true);
            if (version >= 200)
                WriteStreamByte(out, 4);
            WriteStreamBytes(out, frame.constData(), 13);
        });
    };
    for (qint32 version : {199, 500, 501}) {
        SCOPED_TRACE(version);
        TWordRect item;
        item.SetSizeIndex(9);
        Loaded(item, OldHead(version) + tail(version), version);
        EXPECT_EQ(item.GetLines(), lines);
        EXPECT_EQ(item.GetSizeIndex(), version < 200 ? 0 : 7);
        EXPECT_EQ(item.GetAspectRatio(), version < 400 ? 100 : 80);
        EXPECT_EQ(item.GetLineSpace(), version < 200 ? 3 : 4);
        EXPECT_EQ(item.GetAlign(), 5);
        EXPECT_TRUE(item.GetWordWrap());
        EXPECT_TRUE(item.GetFrame().GetFrame());
        // Saved in the newest form: read at 600 it gives the same record again.
        const QByteArray newest = SavedRecord(item);
        TWordRect again;
        Loaded(again, newest, 600);
        EXPECT_EQ(again.GetSizeIndex(), item.GetSizeIndex());
        EXPECT_EQ(again.GetLines(), lines);
        EXPECT_EQ(SavedRecord(again), newest);
    }
}

TEST(WordRect, DamagedRecordsAreRefusedOrRenderSafely)
{
    // A line count the record cannot hold is refused before reading lines.
    for (qint32 n : {INT_MAX, -1, 100000}) {
        SCOPED_TRACE(n);
        TWordRect item;
        item.SetLines({QStringLiteral("元")});
        TFileVersionScope v(600);
        EXPECT_THROW(LoadRecord(item, WordRecordV600({}, n, 0, 0, 100)), EDrawRectStreamError);
        EXPECT_EQ(item.GetLines(), QStringList{QStringLiteral("元")});
    }
    // A record cut anywhere is reported.
    const QByteArray good = WordRecordV600({QStringLiteral("あ")}, 1, 0, 0, 100);
    for (int cut : {60, 70, 80, int(good.size()) - 1}) {
        TWordRect item;
        TFileVersionScope v(600);
        EXPECT_THROW(LoadRecord(item, good.left(cut)), EDrawRectStreamError) << cut;
    }
    // Out-of-range values are kept for saving and drawn within range.
    const QByteArray hostile = WordRecordV600({QStringLiteral("あいう"), QStringLiteral("えお")}, 2, 200, 99, 0, -7);
    for (int dpi : {96, 600}) {
        TWordRect item;
        Loaded(item, hostile, 600);
        EXPECT_EQ(item.GetLineSpace(), 200);
        EXPECT_EQ(SavedRecord(item), hostile);
        Rendered(item, dpi);
        EXPECT_TRUE(item.IsValid());
    }
    // The seeds of the harness.
    ReplayFuzzCorpus("wordrect", 5, WordRectFuzzOne);
}

TEST(WordRect, AlignmentPutsTheInkInItsCornerWithinTheInset)
{
    struct Case {
        quint8 vertical;
        qint32 align;
    };
    for (int dpi : {96, 600}) {
        const int inset = dpi == 96 ? 4 : 25;
        for (Case k : {Case{1, 0}, Case{0, 8}}) {
            SCOPED_TRACE(::testing::Message() << "dpi " << dpi << " align " << k.align);
            TWordRect item;
            item.SetFont(Mincho());
            item.SetVertical(k.vertical);
            item.SetAlign(k.align);
            item.SetSizeIndex(6); // 12 points
            item.SetLineSpace(1);
            item.SetLines({QStringLiteral("一二"), QStringLiteral("三")});
            item.SetRect(TRect(0, 0, 192, 144));
            const QByteArray before = SavedRecord(item);
            const QImage img = Rendered(item, dpi);
            EXPECT_EQ(SavedRecord(item), before) << "rendering leaves the stored face alone";
            const TWordLayout& l = item.LastLayout();
            ASSERT_TRUE(l.Fitted);
            EXPECT_EQ(l.InsetX, inset);
            EXPECT_EQ(l.InsetY, inset);
            const int side = dpi * 2, high = dpi * 3 / 2;
            const QRect ink = InkBox(img, 160, QRect(0, 0, side, high));
            ASSERT_FALSE(ink.isNull());
            const int slack = l.LineHeight / 3;
            if (k.align == 0) { // horizontal: top right
                EXPECT_LE(ink.right(), side - inset);
                EXPECT_GE(ink.right(), side - inset - slack);
                EXPECT_GE(ink.top(), inset);
                EXPECT_LE(ink.top(), inset + slack);
                EXPECT_GT(ink.left(), side / 2);
            } else { // vertical: bottom left
                EXPECT_GE(ink.left(), inset);
                EXPECT_LE(ink.left(), inset + slack);
                EXPECT_LE(ink.bottom(), high - inset);
                EXPECT_GE(ink.bottom(), high - inset - slack);
                EXPECT_LT(ink.right(), side / 2);
            }
        }
    }
}

TEST(WordRect, FittingDropsWrapsSpreadsAndAlwaysEnds)
{
    const auto make = [](qint32 sizeIndex, bool wrap, quint8 lineSpace, const QStringList& lines, TRect r) {
        auto item = std::make_unique<TWordRect>();
        item->SetFont(Mincho());
        item->SetVertical(1);
        item->SetSizeIndex(sizeIndex);
        item->SetWordWrap(wrap);
        item->SetLineSpace(lineSpace);
        item->SetLines(lines);
        item->SetRect(r);
        Rendered(*item, 96);
        return item;
    };
    // Fixed size: the lines beyond those that fit are dropped, each cut at
    // the frame without wrap.
    const QString longLine(40, QChar(0x4E00));
    auto fixed = make(6, false, 1, {longLine, QStringLiteral("二"), QStringLiteral("三")}, TRect(0, 0, 100, 44));
    EXPECT_EQ(fixed->LastLayout().Lines.size(), 2);
    EXPECT_LT(fixed->LastLayout().Lines.at(0).size(), longLine.size());
    // With wrap, pieces of the long line fill the room; an empty line counts.
    auto wrapped = make(6, true, 1, {longLine, QString()}, TRect(0, 0, 100, 200));
    EXPECT_GT(wrapped->LastLayout().Lines.size(), 2);
    EXPECT_TRUE(wrapped->LastLayout().Lines.join(QString()).startsWith(longLine.left(10)));
    // A frame narrower than one character still ends, one character a piece.
    auto narrow = make(27, true, 1, {QStringLiteral("一二三")}, TRect(0, 0, 12, 2000));
    ASSERT_EQ(narrow->LastLayout().Lines.size(), 3);
    // A frame too low for one line: nothing but the frame.
    auto low = make(27, false, 1, {QStringLiteral("一")}, TRect(0, 0, 200, 20));
    EXPECT_FALSE(low->LastLayout().Fitted);
    // Automatic size with wrap in a slim frame ends, and fits.
    auto slim = make(0, true, 2, {longLine + longLine, QStringLiteral("あ")}, TRect(0, 0, 30, 300));
    EXPECT_TRUE(slim->LastLayout().Fitted);
    EXPECT_GE(slim->LastLayout().Lines.size(), 3);
    // Automatic spacing spreads the lines over the frame's height.
    auto spread = make(6, false, 0, {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")},
                       TRect(0, 0, 200, 200));
    const TWordLayout& l = spread->LastLayout();
    ASSERT_EQ(l.Positions.size(), 3u);
    EXPECT_EQ(l.Positions[0].y(), 4);
    EXPECT_NEAR(l.Positions[2].y() + l.LineHeight, 196, 2);
    // No lines: frame and background only.
    auto none = make(0, false, 0, {}, TRect(0, 0, 50, 50));
    EXPECT_TRUE(none->LastLayout().Lines.isEmpty());
}

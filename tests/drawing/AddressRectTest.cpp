// Addresses: the join rules across and down, digit groups in vertical
// writing, the three-column placement, turning, the record.

#include "DrawRectTestItem.h"
#include "core/common/FontUtils.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/DrawItems.h"
#include "drawing/objects/StreamIO.h"
#include "platform/RefDevice.h"
#include "support/CanvasTestSupport.h"

#include <QBuffer>
#include <QJsonObject>

namespace {

using TRun = TAddressRect::TRun;

// An addressee's address at size step 3 (-28 on a postcard) on the screen
// reference (96 dpi, margins of 4 pixels).
void Fill(TAddressRect& item, const QStringList& lines, quint8 direction, const TRect& frame)
{
    item.SetFont(Mincho());
    item.SetVertical(direction);
    for (int i = 0; i < 3; ++i)
        item.SetAddress(i, i < lines.size() ? lines.at(i) : QString());
    item.SetRect(frame);
    item.Refresh(true);
}

QStringList Texts(const TAddressRect& item)
{
    QStringList texts;
    for (const TAddressRect::TPlaced& r : item.LastLayout().Runs)
        texts << r.Text;
    return texts;
}

class AddressRect : public ::testing::Test {
protected:
    void SetUp() override { ResetRefDevice(); }
    void TearDown() override
    {
        DrawRectFileVersion = 0;
        ResetRefDevice();
    }
};

} // namespace

TEST_F(AddressRect, HorizontalJoinRules)
{
    // A prefecture alone goes in front of the next line, in a wide frame.
    TAddressRect item;
    Fill(item, {QStringLiteral("東京都"), QStringLiteral("千代田区丸の内１－１"), QString()}, 1, TRect(0, 0, 600, 80));
    ASSERT_TRUE(item.LastLayout().Drawn);
    EXPECT_EQ(Texts(item), QStringList{QStringLiteral("東京都千代田区丸の内１－１")});

    // Two long lines whose joined text fits within one character print as one
    // line; in a frame too narrow for that they stay two, the second flush right.
    const QStringList two{QStringLiteral("神奈川県横浜市"), QStringLiteral("中区山下町一二三")};
    Fill(item, two, 1, TRect(0, 0, 600, 80));
    EXPECT_EQ(item.LastLayout().Lines, 1);
    Fill(item, two, 1, TRect(0, 0, 300, 120));
    ASSERT_EQ(item.LastLayout().Lines, 2);
    EXPECT_EQ(item.LastLayout().Runs[0].Box.left(), 4);
    EXPECT_EQ(item.LastLayout().Runs[1].Box.right() + 1, 300 - 4);

    // Three lines, the third the widest and the first no wider than it: when
    // the first two together fit, they are joined. Characters are 28 pixels;
    // the frame holds 14 of them.
    const QString l0 = QStringLiteral("あいうえお"), l1 = QStringLiteral("かき"), l2 = QStringLiteral("さしすせそたちつてと");
    Fill(item, {l0, l1, l2}, 1, TRect(0, 0, 14 * 28 + 8, 100));
    EXPECT_EQ(Texts(item), (QStringList{l0 + l1, l2}));
    // The first line the widest: the last two are joined.
    Fill(item, {l2, l1, l0}, 1, TRect(0, 0, 14 * 28 + 8, 100));
    EXPECT_EQ(Texts(item), (QStringList{l2, l1 + l0}));
}

TEST_F(AddressRect, DigitRunsInVerticalWriting)
{
    const std::vector<TRun> runs = TAddressRect::SplitRuns(QStringLiteral("１丁目２３番地"), false);
    EXPECT_EQ(runs, (std::vector<TRun>{{QStringLiteral("1"), true},
                                       {QStringLiteral("丁目"), false},
                                       {QStringLiteral("23"), true},
                                       {QStringLiteral("番地"), false}}));
    EXPECT_EQ(TAddressRect::SplitRuns(QStringLiteral("１丁目２３番地"), true),
              (std::vector<TRun>{{QStringLiteral("１丁目２３番地"), false}}));
    EXPECT_EQ(TAddressRect::SplitRuns(QStringLiteral("私書箱１２３４５号"), false),
              (std::vector<TRun>{{QStringLiteral("私書箱１２３４５号"), false}}));
    EXPECT_EQ(TAddressRect::SplitRuns(QStringLiteral("１２３４"), false),
              (std::vector<TRun>{{QStringLiteral("1234"), true}}));

    // Drawn: the groups lie across the column, centred on its centre line.
    TAddressRect item;
    Fill(item, {QStringLiteral("千代田区１丁目２３番地")}, 0, TRect(0, 0, 60, 400));
    const auto& placed = item.LastLayout().Runs;
    ASSERT_EQ(placed.size(), 5u);
    const QRect column = placed[0].Box; // 千代田区
    EXPECT_TRUE(placed[0].Vertical);
    EXPECT_FALSE(placed[1].Vertical);
    EXPECT_EQ(placed[1].Text, QStringLiteral("1"));
    EXPECT_NEAR(placed[1].Box.center().x(), column.center().x(), 1);
    EXPECT_EQ(placed[1].Box.top(), column.bottom() + 1);
    EXPECT_EQ(placed[3].Text, QStringLiteral("23"));
    EXPECT_NEAR(placed[3].Box.center().x(), column.center().x(), 1);
    EXPECT_EQ(placed[3].Box.height(), placed[1].Box.height()); // one character cell

    item.SetVertNumeral(1);
    item.Refresh(false);
    EXPECT_EQ(item.LastLayout().Runs.size(), 1u);
}

TEST_F(AddressRect, VerticalJoinCountsBytesOfTheFirstLine)
{
    // Six bytes keep their own column; four join the next line. The frame
    // holds the longer line and a character, not the two together.
    const TRect frame(0, 0, 120, 240 + 8);
    TAddressRect item;
    Fill(item, {QStringLiteral("東京都"), QStringLiteral("千代田区丸の内")}, 0, frame);
    EXPECT_EQ(item.LastLayout().Lines, 2);
    Fill(item, {QStringLiteral("東京"), QStringLiteral("千代田区丸の内")}, 0, frame);
    EXPECT_EQ(item.LastLayout().Lines, 1);
    // A digit group counts in its half-width form: "１２" is two bytes.
    Fill(item, {QStringLiteral("１２"), QStringLiteral("千代田区丸の内")}, 0, frame);
    EXPECT_EQ(item.LastLayout().Lines, 1);
}

QRect ColumnBox(const TAddressRect& item, int column)
{
    QRect box;
    for (const auto& r : item.LastLayout().Runs)
        if (r.Column == column)
            box |= r.Box;
    return box;
}

TEST_F(AddressRect, ThreeColumnPlacement)
{
    // Characters of 28 pixels, nothing shrunk; the frame's inside runs from
    // 4 to 340 (396 in the tall one). The middle column ends a character
    // short of the bottom but starts no lower than len0 - 2c; the third
    // ends at the bottom but starts no lower than a character before the
    // middle one's end.
    struct Case { QStringList lines; int height, middleTop, middleEnd, thirdEnd; };
    const Case cases[] = {
        {{QStringLiteral("東京都千代田区"), QStringLiteral("丸の内二丁目七番三号"), QStringLiteral("東京ビルディング二十一階")},
         400, 88, 396 - 28, 396},
        // A room number alone ends beside the middle column.
        {{QStringLiteral("東京都千代田区"), QStringLiteral("丸の内二丁目七番三号"), QStringLiteral("５")}, 344, 32, 312, 312},
        // A short middle line starts two characters before the first one's length.
        {{QStringLiteral("東京都千代田区丸の内"), QStringLiteral("二丁目"), QStringLiteral("東京ビルディング")}, 344, 224,
         224 + 84, 340},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.join(u'/').toStdString());
        TAddressRect item;
        Fill(item, c.lines, 0, TRect(0, 0, 140, c.height));
        ASSERT_EQ(item.LastLayout().Lines, 3);
        // Right to left, apart, inside the frame's margins.
        EXPECT_LT(ColumnBox(item, 2).right(), ColumnBox(item, 1).left());
        EXPECT_LT(ColumnBox(item, 1).right(), ColumnBox(item, 0).left());
        EXPECT_TRUE(QRect(4, 4, 132, c.height - 8).contains(ColumnBox(item, 0) | ColumnBox(item, 2)));
        EXPECT_EQ(ColumnBox(item, 1).top(), c.middleTop);
        EXPECT_EQ(ColumnBox(item, 1).bottom() + 1, c.middleEnd);
        EXPECT_EQ(ColumnBox(item, 2).bottom() + 1, c.thirdEnd);
    }
}

TEST_F(AddressRect, FixedSizeColumnsKeepTheirInkInTheFrame)
{
    // A size of the user's (12 points: 100 pixels at 600 dpi, margins of 25)
    // is never shrunk: a line too long goes on in the next column, and a
    // column that does not fit across is left out with all after it. Digit
    // groups of four set across are two characters wide.
    const TRefDeviceScope scope(TRefDevice{true, 600, 600, 0, 0});
    const QString kanji(18 * 2 + 5, QChar(0x4E00));
    struct Case { QStringList lines; int width, columns; QString lastDrawn; };
    const Case cases[] = {
        {{QStringLiteral("東京都千代田区"), QStringLiteral("丸の内二丁目"), QStringLiteral("ソ能表ビル１２０１号室")}, 64, 2,
         QStringLiteral("丸の内二丁目")},
        {{QStringLiteral("東京都千代田区１２３４"), QStringLiteral("丸の内１２０１番地"), QStringLiteral("表ビル")}, 80, 2,
         QStringLiteral("番地")},
        {{QStringLiteral("東京都港区"), QStringLiteral("芝公園４丁目２－８"), QStringLiteral("東京タワー")}, 64, 3,
         QStringLiteral("東京タワー")},
        {{kanji, QStringLiteral("東京")}, 64, 3, QString(5, QChar(0x4E00))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.join(u'/').toStdString());
        TAddressRect item;
        item.SetSizeIndex(3);
        Fill(item, c.lines, 0, TRect(0, 0, c.width, 300));
        const QRect frame(200, 200, c.width * 600 / 96, 300 * 600 / 96);
        QImage page = WhiteImage(frame.width() + 400, frame.height() + 400);
        {
            QPainter p(&page);
            p.translate(frame.topLeft());
            TCanvas canvas(p, 600, 600);
            item.RenderContent(canvas, QPoint(frame.width(), frame.height()));
        }
        EXPECT_EQ(item.LastLayout().Lines, c.columns);
        EXPECT_EQ(item.LastLayout().Runs.back().Text, c.lastDrawn);
        const QRect ink = InkBox(page);
        EXPECT_TRUE(frame.adjusted(25, 25, -25, -25).contains(ink)) << ink.x() << "," << ink.width();
    }
}

TEST_F(AddressRect, UpsideDownIsTheLayoutTurnedAboutTheFrameCentre)
{
    const TRefDeviceScope scope(TRefDevice{true, 600, 600, 0, 0});
    const TRect frame(0, 0, 120, 300);
    const QSize size(750, 1875); // the frame at 600 dpi
    struct Case {
        quint8 direction;
        QStringList lines;
    };
    for (const Case& c : {Case{1, {QStringLiteral("東京都港区芝公園"), QStringLiteral("四丁目２－８")}},
                          Case{0, {QStringLiteral("東京都港区"), QStringLiteral("芝公園４丁目２３番地"), QStringLiteral("東京タワー")}}}) {
        QRect ink[2];
        for (int turned = 0; turned < 2; ++turned) {
            TAddressRect item;
            item.SetUpsideDown(static_cast<quint8>(turned));
            Fill(item, c.lines, c.direction, frame);
            item.PreparePrint(QPoint(0, 0), true);
            ink[turned] = InkBox(Painted(size.width(), size.height(), [&](TCanvas& cv) { item.Print(&cv, 0, 0); }, 600));
        }
        ASSERT_FALSE(ink[0].isNull());
        EXPECT_NEAR(ink[1].left(), size.width() - ink[0].right() - 1, 2) << int(c.direction);
        EXPECT_NEAR(ink[1].right(), size.width() - ink[0].left() - 1, 2) << int(c.direction);
        EXPECT_NEAR(ink[1].top(), size.height() - ink[0].bottom() - 1, 2) << int(c.direction);
        EXPECT_NEAR(ink[1].bottom(), size.height() - ink[0].top() - 1, 2) << int(c.direction);
    }
}

TEST_F(AddressRect, RecordRoundTripAndOlderVersions)
{
    TAddressRect item(ikSenderAddress);
    item.SetFont(Mincho());
    item.SetRect(TRect(10, 20, 210, 120));
    item.SetSizeStep(5);
    item.SetSizeIndex(4);
    item.SetAddress(0, QStringLiteral("表参道ソ")); // lines are not stored
    const QByteArray record = SavedRecord(item);
    EXPECT_EQ(record.right(4), QByteArray("\x05\x00\x00\x00", 4));

    TAddressRect back(ikSenderAddress);
    LoadRecord(back, record, DrawRectCurrentVersion);
    EXPECT_EQ(back.GetSizeStep(), 5);
    EXPECT_EQ(back.GetSizeIndex(), 0); // a size-list entry is never taken from a file
    QByteArray expected = record;
    expected.replace(record.size() - 4 - 1 - 1 - 4, 4, QByteArray(4, '\0'));
    EXPECT_EQ(SavedRecord(back), expected);
    QJsonObject fields;
    back.DescribeFields(fields);
    EXPECT_EQ(fields.value(QStringLiteral("SizeStep")).toInt(), 5);

    // Below version 500 the record ends before the size step: step 3.
    // No size index, no size step.
    const QByteArray old = record.left(record.size() - 10) + record.mid(record.size() - 6, 2);
    TAddressRect fromOld;
    LoadRecord(fromOld, old, 499);
    EXPECT_EQ(fromOld.GetSizeStep(), 3);

    // Cut inside the size step: the item stays as it was.
    TAddressRect kept;
    kept.SetFont(Mincho());
    kept.SetRect(TRect(1, 2, 3, 4));
    kept.SetSizeStep(2);
    const QByteArray before = SavedRecord(kept);
    EXPECT_THROW(LoadRecord(kept, record.left(record.size() - 2), DrawRectCurrentVersion), EDrawRectStreamError);
    EXPECT_EQ(SavedRecord(kept), before);
    EXPECT_EQ(kept.GetRect(), TRect(1, 2, 3, 4));
}

TEST_F(AddressRect, DefaultHeightBySenderRowAndSizeStep)
{
    // A sender block's address takes the addressee's row; a damaged step the nearest one.
    TAddressRect s(ikSenderAddress);
    for (auto [step, inBlock, height] : {std::tuple{1, 0, -15}, {5, 0, -30}, {5, 1, -40}, {99, 1, -40}, {-3, 0, -15}}) {
        s.SetSizeStep(step);
        s.SetInSenderBlock(quint8(inBlock));
        s.ResetFontHeight();
        EXPECT_EQ(s.GetFontHeight(), height) << step;
    }
}

TEST(DrawItems, RegistrationMakesEachClassForItsKindsAndCanBeRepeated)
{
    RegisterDrawItemClasses();
    RegisterDrawItemClasses();
    auto address = CreateDrawRectOfKind(ikSenderAddress);
    ASSERT_TRUE(address);
    EXPECT_EQ(address->GetKind(), ikSenderAddress);
    EXPECT_FALSE(CreateDrawRect("TAddressRect", ikName));
    UnregisterDrawItemClasses();
    EXPECT_FALSE(FindDrawRectClass("TPosRect"));
}

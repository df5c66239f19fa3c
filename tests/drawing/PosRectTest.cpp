// Postal codes: the seven boxes at their pitches, the text form, what lies
// beyond the boxes, and turning.

#include "DrawRectTestItem.h"
#include "core/common/FontUtils.h"
#include "drawing/objects/PosRect.h"
#include "platform/RefDevice.h"
#include "support/CanvasTestSupport.h"

#include <QBuffer>
#include <cmath>

namespace {

const TRefDevice kPrinter600{true, 600, 600, 0, 0};

// Prints the item on a white page at the printer's resolution.
QImage Printed(TPosRect& item, const TRect& frame)
{
    item.SetRect(frame);
    item.Refresh(true);
    item.PreparePrint(QPoint(0, 0), true);
    const TRect pr = item.GetPrintRect();
    return Painted(pr.Right + 20, pr.Bottom + 20, [&](TCanvas& c) { item.Print(&c, 0, 0); }, 600);
}

// Horizontal centres of the ink clusters, left to right.
std::vector<double> ClusterCentres(const QImage& img)
{
    std::vector<double> centres;
    int start = -1;
    for (int x = 0; x <= img.width(); ++x) {
        const bool ink = x < img.width() && InkCount(img, QRect(x, 0, 1, img.height())) > 0;
        if (ink && start < 0)
            start = x;
        if (!ink && start >= 0) {
            centres.push_back((start + x - 1) / 2.0);
            start = -1;
        }
    }
    return centres;
}

} // namespace

TEST(PosRect, SevenDigitsFollowTheBoxPitchesAtThePrinterResolution)
{
    const TRefDeviceScope scope(kPrinter600);
    TPosRect item;
    item.SetFont(Mincho());
    item.SetPosCode(QStringLiteral("1234567"));
    const QImage page = Printed(item, TRect(0, 0, 180, 40));

    const TPosRect::TLayout& layout = item.LastLayout();
    ASSERT_TRUE(layout.Drawn);
    EXPECT_TRUE(layout.Boxes);
    // 180 layout pixels are 1125 printer pixels; the boxes take 1128 at 600 dpi.
    const double scale = 1125.0 / 1128.0;
    const std::vector<int> pitches{165, 165, 180, 161, 161, 161, 135};
    ASSERT_EQ(layout.Advances.size(), 7u);
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(layout.Advances[i], static_cast<int>(std::lround(pitches[i] * scale))) << i;

    const std::vector<double> centres = ClusterCentres(page);
    ASSERT_EQ(centres.size(), 7u);
    // Each digit sits in the middle of its box (boxes 134.6 printer pixels wide).
    double boxLeft = (1125 - std::lround(1128 * scale)) / 2;
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_NEAR(centres[i], boxLeft + 134.6 * scale / 2, 12) << "digit " << i;
        boxLeft += pitches[i] * scale;
    }
    const double gap34 = centres[3] - centres[2];
    for (size_t i = 1; i < 7; ++i)
        if (i != 3) {
            EXPECT_GT(gap34, centres[i] - centres[i - 1]) << i;
        }
}

TEST(PosRect, MarkOrHyphenAfterThreeDigitsPrintsOneCentredText)
{
    const TRefDeviceScope scope(kPrinter600);
    EXPECT_TRUE(TPosRect::IsTextForm(QStringLiteral("〒1234567")));
    EXPECT_TRUE(TPosRect::IsTextForm(QStringLiteral("123-4567")));
    EXPECT_FALSE(TPosRect::IsTextForm(QStringLiteral("1234-567")));
    EXPECT_FALSE(TPosRect::IsTextForm(QStringLiteral("1234567")));

    TPosRect item;
    item.SetFont(Mincho());
    item.SetPosCode(QStringLiteral("〒123-4567"));
    const QImage page = Printed(item, TRect(0, 0, 180, 40));
    ASSERT_TRUE(item.LastLayout().Drawn);
    EXPECT_FALSE(item.LastLayout().Boxes);
    const QRect ink = InkBox(page);
    ASSERT_FALSE(ink.isNull());
    // One run centred in the 1125 x 250 printer-pixel frame.
    EXPECT_NEAR(ink.center().x(), 1125 / 2.0, 20);
    EXPECT_NEAR(ink.center().y(), 250 / 2.0, 25);
}

TEST(PosRect, NothingBeyondTheSeventhBoxAndNoDivisionByAZeroWidthDigit)
{
    const TRefDeviceScope scope(kPrinter600);
    TPosRect seven;
    seven.SetFont(Mincho());
    seven.SetPosCode(QStringLiteral("1234567"));
    const QImage sevenPage = Printed(seven, TRect(0, 0, 180, 40));

    TPosRect longer;
    longer.SetFont(Mincho());
    longer.SetPosCode(QStringLiteral("123456789"));
    const QImage longerPage = Printed(longer, TRect(0, 0, 180, 40));
    EXPECT_EQ(longer.LastLayout().Text, QStringLiteral("1234567"));
    EXPECT_EQ(InkBox(longerPage), InkBox(sevenPage));

    // A first character without width: the fit has nothing to divide by and
    // the rest still prints.
    TPosRect zero;
    zero.SetFont(Mincho());
    zero.SetPosCode(QString(QChar(0x200B)) + QStringLiteral("123456"));
    const QImage zeroPage = Printed(zero, TRect(0, 0, 180, 40));
    EXPECT_EQ(zero.LastLayout().Advances.size(), 7u);
    EXPECT_LE(InkBox(zeroPage).right(), 1125);

    // A frame with no width draws nothing.
    TPosRect narrow;
    narrow.SetFont(Mincho());
    narrow.SetPosCode(QStringLiteral("1234567"));
    narrow.SetRect(TRect(0, 0, 0, 40));
    narrow.Refresh(true);
    EXPECT_FALSE(narrow.LastLayout().Drawn);
}

TEST(PosRect, UpsideDownIsTheSameCodeTurnedAboutTheFrameCentre)
{
    const TRefDeviceScope scope(kPrinter600);
    for (const QString& code : {QStringLiteral("1234567"), QStringLiteral("〒123-4567")}) {
        TPosRect normal, turned;
        for (TPosRect* item : {&normal, &turned}) {
            item->SetFont(Mincho());
            item->SetPosCode(code);
        }
        turned.SetUpsideDown(1);
        const TRect frame(0, 0, 180, 40);
        const QRect a = InkBox(Printed(normal, frame));
        const QRect b = InkBox(Printed(turned, frame));
        // The frame is 1125 x 250: a point p goes to (1125 - p.x, 250 - p.y).
        EXPECT_NEAR(b.left(), 1125 - a.right() - 1, 2) << code.toStdString();
        EXPECT_NEAR(b.right(), 1125 - a.left() - 1, 2) << code.toStdString();
        EXPECT_NEAR(b.top(), 250 - a.bottom() - 1, 2) << code.toStdString();
        EXPECT_NEAR(b.bottom(), 250 - a.top() - 1, 2) << code.toStdString();
    }
}

TEST(PosRect, SenderFlagComesFromTheKindAndTheRecordIsTheTextItemsOwn)
{
    const qint32 paper = DrawRectPaperLength;
    DrawRectPaperLength = 2960; // twice a postcard
    TPosRect addressee(ikPosCode), sender(ikSenderPosCode);
    EXPECT_EQ(addressee.GetKind(), ikPosCode);
    EXPECT_EQ(sender.GetKind(), ikSenderPosCode);
    EXPECT_EQ(addressee.GetFontHeight(), -48);
    EXPECT_EQ(sender.GetFontHeight(), -38);
    sender.SetInSenderBlock(1); // a sender block's child takes the addressee's size
    sender.ResetFontHeight();
    EXPECT_EQ(sender.GetFontHeight(), -48);
    DrawRectPaperLength = paper;

    // The postal code stores nothing of its own: its record is the text
    // item's, and reads back to the same bytes.
    sender.SetFont(Mincho());
    sender.SetRect(TRect(1, 2, 3, 4));
    sender.SetPosCode(QStringLiteral("1234567"));
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    sender.SaveToStream(out);
    EXPECT_EQ(out.data().size(), 17 + 4 + (4 + 9) + 4 + 4 + 4 + 4 + 1 + 1); // the face name is 9 bytes
    DrawRectFileVersion = DrawRectCurrentVersion;
    TPosRect back(ikSenderPosCode);
    QBuffer in;
    in.setData(out.data());
    in.open(QIODevice::ReadOnly);
    back.LoadFromStream(in);
    EXPECT_TRUE(in.atEnd());
    QBuffer again;
    again.open(QIODevice::WriteOnly);
    back.SaveToStream(again);
    EXPECT_EQ(again.data(), out.data());
    DrawRectFileVersion = 0;
}

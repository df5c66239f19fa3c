#include "DrawRectTestItem.h"
#include "ImageTestSupport.h"
#include "drawing/objects/BackImage.h"
#include "drawing/objects/DrawItems.h"
#include "drawing/objects/IllustRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/RefDevice.h"
#include "support/CanvasTestSupport.h"

#include <QCoreApplication>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kPage = 0xFFFF0000; // red paper
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kGreen = 0xFF00A000;

// Left half blue, right half green.
QImage Halves(int w, int h)
{
    QImage pic = NewBitmap24(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pic.setPixelColor(x, y, x < w / 2 ? QColor(kBlue) : QColor(kGreen));
    return pic;
}

// The program's mask shapes (Common/Mask beside the test binary) for the
// life of the object.
class TMaskListScope {
public:
    TMaskListScope()
    {
        FreeIllustMaskFiles();
        AddIllustMaskFilesFrom(QCoreApplication::applicationDirPath());
    }
    ~TMaskListScope() { FreeIllustMaskFiles(); }
};

void Give(TIllustRect& item, const QImage& picture, const TRect& r)
{
    const TGraphic g = picture;
    item.LoadFromGraphic(&g);
    item.SetResolution(96);
    item.SetRect(r);
}

// Kind of colour, with room for resampling at the edges.
char Classify(QRgb c)
{
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    if (r > 200 && g < 60 && b < 60)
        return 'r';
    if (b > 200 && r < 60 && g < 60)
        return 'b';
    if (g > 120 && r < 60 && b < 60)
        return 'g';
    if (r > 230 && g > 230 && b > 230)
        return 'w';
    return '?';
}

QImage PrintedOnRed(TIllustRect& item, int dpi, int side)
{
    const TRefDeviceScope device(TRefDevice{true, dpi, dpi, 0, 0});
    item.PreparePrint(QPoint(0, 0), true);
    QImage page(side, side, QImage::Format_RGB32);
    page.fill(kPage);
    {
        QPainter p(&page);
        TCanvas canvas(p, dpi, dpi);
        item.Print(&canvas, 0, 0);
    }
    item.FreePrintImage();
    return page;
}

// Reads at the version this program writes.
qint64 Load(TDrawRect& item, const QByteArray& bytes)
{
    return LoadRecord(item, bytes, DrawRectCurrentVersion);
}

} // namespace

// --- the record ----------------------------------------------------------------------

TEST(IllustRecord, AnEmptyPictureStoresItsTypeAloneAndDrawsNothingNotEvenItsFrame)
{
    TIllustRect item;
    item.SetRect(TRect(10, 20, 110, 70));
    item.GetFrame().SetFrame(true);
    item.GetFrame().SetBack(true);
    item.GetFrame().SetBackColor(0x00FF00);
    const QByteArray saved = SavedRecord(item);
    // base 17, type 4, resolution 4, mask index 4, mask rectangle 16,
    // transparent colour 4, frame 13, turned mask 1
    ASSERT_EQ(saved.size(), 63);
    EXPECT_EQ(saved.mid(17, 4), Bytes({0, 0, 0, 0})) << "an empty type string, no picture data";
    EXPECT_EQ(saved.mid(25, 4), Bytes({0xFF, 0xFF, 0xFF, 0xFF})) << "no mask";
    EXPECT_EQ(saved.mid(29, 16), Bytes({10, 0, 0, 0, 20, 0, 0, 0, 110, 0, 0, 0, 70, 0, 0, 0}))
        << "the first SetRect puts the mask over the item";
    EXPECT_EQ(saved.mid(45, 4), Bytes({0xFF, 0xFF, 0xFF, 0x1F})) << "no transparent colour";
    EXPECT_EQ(saved.at(62), 0);

    TIllustRect back;
    EXPECT_EQ(Load(back, saved), 63);
    EXPECT_EQ(SavedRecord(back), saved);
    EXPECT_TRUE(back.GetBitmap().isNull());
    EXPECT_TRUE(back.GetImageType().isEmpty());
    const QImage screen = Painted(200, 100, [&](TCanvas& c) { back.Draw(&c, 0, 0); });
    EXPECT_EQ(screen, WhiteImage(200, 100)) << "no picture, no frame";
    EXPECT_EQ(PrintedOnRed(back, 96, 120), PrintedOnRed(item, 96, 120));
    EXPECT_EQ(Classify(PrintedOnRed(back, 96, 120).pixel(50, 40)), 'r');
}

TEST(IllustRecord, AJpegIsStoredByteForByteWithItsFlagsAndReadsBackToTheSamePixels)
{
    // Padded and ink JPEGs too: other readers open them, so must a layout.
    const QImage pic = Distinct(24, 16);
    for (const QByteArray& file :
         {PaddedBeforeScan(MakeJpeg(pic)), MakeJpeg(pic, 1, 72, TJpegForm::AdobeCmyk), MakeJpeg(pic, 1, 72, TJpegForm::Ycck)}) {
        TIllustRect ink;
        const TGraphic g = TJPEGImage{file};
        ink.LoadFromGraphic(&g);
        const QByteArray saved = SavedRecord(ink);
        EXPECT_EQ(saved.mid(28, file.size()), file);
        TIllustRect back;
        ASSERT_EQ(Load(back, saved), saved.size());
        EXPECT_EQ(SavedRecord(back), saved);
        EXPECT_EQ(back.GetBitmap().size(), QSize(24, 16));
    }
    const QByteArray jpeg = MakeJpeg(Distinct(24, 16), 1, 200);
    TIllustRect item;
    const TGraphic g = TJPEGImage{jpeg};
    item.LoadFromGraphic(&g);
    item.SetRect(TRect(0, 0, 24, 16));
    EXPECT_EQ(item.GetImageType(), QStringLiteral("jpg"));
    QByteArray saved = SavedRecord(item);
    // base 17, "jpg" 4 + 3, N, the file's bytes, then the flags
    EXPECT_EQ(qFromLittleEndian<qint32>(saved.constData() + 24), jpeg.size());
    EXPECT_EQ(saved.mid(28, jpeg.size()), jpeg) << "byte-identical to the file";
    EXPECT_EQ(saved.mid(28 + jpeg.size(), 3), Bytes({0, 0, 3}));
    EXPECT_EQ(saved.size(), 63 + 3 + 4 + jpeg.size() + 3);

    item.Reverse(true);
    item.Reverse(false);
    saved = SavedRecord(item);
    EXPECT_EQ(saved.mid(28, jpeg.size()), jpeg) << "edits never re-encode the picture";
    EXPECT_EQ(saved.mid(28 + jpeg.size(), 3), Bytes({0, 0, 2})) << "two mirrors are a half turn";

    // Any chain of edits: the flags replayed on the decoded file give the
    // picture as shown.
    for (int step = 0; step < 12; ++step) {
        if (step % 3 == 0)
            item.Reverse(step % 2 == 0);
        else
            item.Rotate(static_cast<quint8>(step % 3 == 1 ? ioLeft : step % 4 == 0 ? ioHalf : ioRight));
        TIllustRect back;
        Load(back, SavedRecord(item));
        EXPECT_EQ(back.GetBitmap(), item.GetBitmap()) << "step " << step;
        EXPECT_EQ(SavedRecord(back), SavedRecord(item)) << "step " << step;
        EXPECT_FALSE(back.GetFlipVertical() && back.GetFlipHorizontal());
    }
}

TEST(IllustRecord, OlderVersionsShiftTheMaskIndexAndPlaceTheMaskOverTheItem)
{
    const TMaskListScope masks;
    ASSERT_GE(IllustMaskFiles().size(), 5);
    TIllustRect item;
    Give(item, Halves(8, 8), TRect(5, 6, 45, 26));
    item.SetMaskIndex(3);
    item.SetDisplayMaskRect(TRect(10, 10, 20, 20));
    const QByteArray now = SavedRecord(item);
    // The version-200 form: no Visible byte, no mask rectangle and no
    // turned-mask byte.
    const qsizetype maskAt = now.size() - 1 - 13 - 4 - 16;
    const QByteArray v200 = now.left(16) + now.mid(17, maskAt - 17) + now.mid(maskAt + 16, 4 + 13);

    TIllustRect old;
    LoadRecord(old, v200, 200);
    EXPECT_EQ(old.GetMaskIndex(), 4) << "files before 300 count masks one lower past the first";
    EXPECT_TRUE(old.HasMaskShape());
    EXPECT_EQ(old.GetMaskRect(), TRect(5, 6, 45, 26));
    EXPECT_EQ(old.GetBitmap(), item.GetBitmap());
    QByteArray last = v200;
    qToLittleEndian<qint32>(INT_MAX, last.data() + maskAt - 1 - 4);
    LoadRecord(old, last, 200);
    EXPECT_EQ(old.GetMaskIndex(), INT_MAX) << "the largest index cannot move up";

    TIllustRect v300;
    LoadRecord(v300, now.left(now.size() - 1), 300);
    EXPECT_EQ(v300.GetMaskIndex(), 3);
    EXPECT_EQ(v300.GetMaskRect(), TRect(10, 10, 20, 20));

    // A record holding both a mask and a colour keeps the colour.
    QByteArray both = now;
    qToLittleEndian<qint32>(0x00FFFFFF, both.data() + both.size() - 1 - 13 - 4);
    TIllustRect b;
    Load(b, both);
    EXPECT_EQ(b.GetMaskIndex(), -1);
    EXPECT_FALSE(b.HasMaskShape());
    EXPECT_EQ(b.GetTransparentColor(), 0x00FFFFFFu);
}

TEST(IllustRecord, DamagedPicturesRaiseTheMessageAndLeaveTheItemAsItWas)
{
    TIllustRect item;
    Give(item, Halves(6, 4), TRect(1, 2, 31, 22));
    item.SetTransparentColor(0xFF0000);
    const QByteArray before = SavedRecord(item);

    QByteArray base = SavedRecord(item).left(17);
    auto withType = [&](const char* type, const QByteArray& rest) {
        return base + Written([&](QIODevice& out) { WriteStreamStr(type, out); }) + rest;
    };
    auto int32 = [](qint32 v) {
        QByteArray b(4, '\0');
        qToLittleEndian(v, b.data());
        return b;
    };
    const QByteArray jpeg = MakeJpeg(Distinct(8, 8));
    const QByteArray bmp = EncodeBmp(Distinct(4, 4));
    QByteArray hugeBmp = bmp;
    qToLittleEndian<qint32>(0x7FFFFFFF, hugeBmp.data() + 2); // file size field
    QByteArray wideBmp = bmp;
    qToLittleEndian<qint32>(1 << 30, wideBmp.data() + 18); // width
    const QByteArray damaged[] = {
        withType("jpg", int32(-1) + jpeg),
        withType("jpg", int32(0x7FFFFFF0) + jpeg),
        withType("jpeg", int32(jpeg.size() + 100) + jpeg),
        withType("jpg", int32(8) + QByteArray("notajpeg") + Bytes({0, 0, 3})),
        withType("bmp", hugeBmp),
        withType("bmp", wideBmp),
        withType("bmp", QByteArray("BM")),
    };
    for (const QByteArray& record : damaged) {
        try {
            Load(item, record);
            ADD_FAILURE() << "read: " << record.toHex().left(80).constData();
        } catch (const EDrawRectStreamError& e) {
            EXPECT_STREQ(e.what(), kImageUnreadableMessage);
        }
        EXPECT_EQ(SavedRecord(item), before);
    }
    // A record cut short after a good picture changes nothing either.
    EXPECT_THROW(Load(item, before.left(before.size() - 5)), EDrawRectStreamError);
    EXPECT_EQ(SavedRecord(item), before);
}

// --- mask, colour and geometry ------------------------------------------------------

TEST(IllustMask, TheMaskFollowsTheItemAndAZeroSizeDividesByNothing)
{
    TIllustRect item;
    Give(item, Halves(8, 8), TRect(10, 10, 50, 30));
    item.SetZoom(2.0);
    item.SetDisplayMaskRect(TRect(40, 30, 60, 50)); // layout (20, 15)-(30, 25)
    EXPECT_EQ(item.GetMaskRect(), TRect(20, 15, 30, 25));
    item.SetRect(TRect(10, 10, 90, 30));
    EXPECT_EQ(item.GetMaskRect(), TRect(30, 15, 50, 25)) << "sides scaled by 2 about the top-left";
    EXPECT_EQ(item.GetDisplayMaskRect(), TRect(60, 30, 100, 50));
    item.SetDisplayRect(TRect(0, 0, 160, 40)); // moved to the origin, same size
    EXPECT_EQ(item.GetMaskRect(), TRect(20, 5, 40, 15));

    // Through a zero-size rectangle and back: no division by zero, nothing
    // far out.
    item.SetRect(TRect(0, 0, 0, 0));
    item.SetRect(TRect(0, 0, 40, 20));
    item.SetDisplayRect(TRect(0, 0, 0, 0));
    item.SetDisplayRect(TRect(0, 0, 80, 40));
    const TRect m = item.GetMaskRect();
    EXPECT_LE(std::abs(m.Left), 100);
    EXPECT_LE(std::abs(m.Right), 100);
    EXPECT_NO_FATAL_FAILURE(Painted(100, 60, [&](TCanvas& c) { item.Draw(&c, 0, 0); }));
}

TEST(IllustMask, MaskAndColourExcludeEachOtherAndAMissingShapeDrawsThePicturePlainly)
{
    const TMaskListScope masks;
    TIllustRect item;
    Give(item, Halves(40, 40), TRect(0, 0, 40, 40));
    item.SetTransparentColor(0xFF0000);
    item.SetMaskIndex(0);
    EXPECT_EQ(item.GetTransparentColor(), clNone);
    EXPECT_TRUE(item.HasMaskShape());
    const QImage cut = Painted(40, 40, [&](TCanvas& c) { item.Draw(&c, 0, 0); });
    EXPECT_EQ(Classify(cut.pixel(1, 1)), 'w') << "the page shows outside the shape";
    EXPECT_EQ(Classify(cut.pixel(10, 20)), 'b');
    EXPECT_EQ(Classify(cut.pixel(30, 20)), 'g');

    item.SetTransparentColor(0xFF0000);
    EXPECT_EQ(item.GetMaskIndex(), -1);
    EXPECT_FALSE(item.HasMaskShape());
    const QImage clear = Painted(40, 40, [&](TCanvas& c) { item.Draw(&c, 0, 0); });
    EXPECT_EQ(Classify(clear.pixel(10, 20)), 'w') << "blue is transparent";
    EXPECT_EQ(Classify(clear.pixel(30, 20)), 'g');

    // An index the list does not hold: stored, drawn without a mask.
    item.SetMaskIndex(500);
    EXPECT_EQ(item.GetMaskIndex(), 500);
    EXPECT_EQ(item.GetTransparentColor(), clNone);
    const QImage plain = Painted(40, 40, [&](TCanvas& c) { item.Draw(&c, 0, 0); });
    EXPECT_EQ(Classify(plain.pixel(1, 1)), 'b');
    EXPECT_EQ(Classify(plain.pixel(38, 38)), 'g');
    EXPECT_EQ(Classify(PrintedOnRed(item, 600, 300).pixel(5, 5)), 'b');
    TIllustRect back;
    Load(back, SavedRecord(item));
    EXPECT_EQ(back.GetMaskIndex(), 500);
}

TEST(IllustMask, AssignCopiesEverythingStoredAndLeavesTheSourceAlone)
{
    const TMaskListScope masks;
    TIllustRect source;
    const TGraphic g = TJPEGImage{MakeJpeg(Distinct(12, 6))};
    source.LoadFromGraphic(&g);
    source.SetResolution(300);
    source.SetRect(TRect(3, 4, 27, 16));
    source.Rotate(ioRight);
    source.SetMaskIndex(2);
    source.SetMaskTurned(true);
    source.SetClipPrinting(true);
    source.GetFrame().SetFrame(true);
    source.GetFrame().SetFrameColor(0x123456);
    const QByteArray before = SavedRecord(source);

    TIllustRect copy;
    copy.Assign(source);
    EXPECT_EQ(SavedRecord(copy), before);
    EXPECT_TRUE(copy.GetClipPrinting());
    EXPECT_TRUE(copy.HasMaskShape());
    copy.Reverse(true);
    copy.SetTransparentColor(0);
    copy.GetFrame().SetFrame(false);
    EXPECT_EQ(SavedRecord(source), before);
    EXPECT_TRUE(source.HasMaskShape());
}

// --- paper ---------------------------------------------------------------------------

TEST(IllustPrinting, MaskAndClipPathsShowThePictureInsideAndThePageOutsideAt600Dpi)
{
    const TMaskListScope masks;
    TIllustRect item;
    Give(item, Halves(80, 80), TRect(16, 16, 80, 80)); // 100..500 at 600 dpi
    item.SetMaskIndex(0);                             // the circle
    for (bool clip : {false, true}) {
        item.SetClipPrinting(clip);
        const QImage page = PrintedOnRed(item, 600, 600);
        EXPECT_EQ(Classify(page.pixel(30, 30)), 'r') << clip << " outside the item";
        EXPECT_EQ(Classify(page.pixel(110, 110)), 'r') << clip << " inside the item, outside the circle";
        EXPECT_EQ(Classify(page.pixel(490, 490)), 'r') << clip;
        EXPECT_EQ(Classify(page.pixel(200, 300)), 'b') << clip << " inside the circle";
        EXPECT_EQ(Classify(page.pixel(400, 300)), 'g') << clip;
    }
    // The transparent colour both ways: blue lets the page through.
    item.SetTransparentColor(0xFF0000);
    for (bool clip : {false, true}) {
        item.SetClipPrinting(clip);
        const QImage page = PrintedOnRed(item, 600, 600);
        EXPECT_EQ(Classify(page.pixel(200, 300)), 'r') << clip;
        EXPECT_EQ(Classify(page.pixel(400, 300)), 'g') << clip;
    }
}

TEST(IllustPrinting, ALargePictureIsReducedOnceForAllPagesAndASmallOneIsPrintedItself)
{
    const TRefDeviceScope device(TRefDevice{true, 200, 200, 0, 0});
    TIllustRect item;
    Give(item, Halves(400, 300), TRect(0, 0, 96, 48)); // 200 x 100 printer pixels
    item.PreparePrint(QPoint(0, 0), true);
    ASSERT_EQ(item.GetPrintImage().size(), QSize(200, 100));
    const uchar* first = item.GetPrintImage().constBits();
    item.PreparePrint(QPoint(100, 0), true); // the next page
    EXPECT_EQ(item.GetPrintImage().constBits(), first) << "made once, used for every page";

    item.GetFrame().SetFrame(true);
    item.GetFrame().SetLineWidth(2);
    item.PreparePrint(QPoint(0, 0), true);
    EXPECT_LT(item.GetPrintImage().width(), 200) << "the frame's room is left out";

    item.SetTransparentColor(0xFF0000);
    item.PreparePrint(QPoint(0, 0), true);
    EXPECT_TRUE(item.GetPrintImage().isNull()) << "a transparent colour prints from the picture itself";
    item.SetTransparentColor(clNone);
    item.SetRect(TRect(0, 0, 300, 48)); // wider than the picture
    item.PreparePrint(QPoint(0, 0), true);
    EXPECT_TRUE(item.GetPrintImage().isNull());
}

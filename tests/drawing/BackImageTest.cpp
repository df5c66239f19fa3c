// The background: its record (sizes, versions, pictures that must come back
// as they were), screen rendering, printing, and the mask-file list.

#include "DrawRectTestItem.h"
#include "ImageTestSupport.h"
#include "drawing/objects/BackImage.h"
#include "drawing/objects/StreamIO.h"
#include "platform/RefDevice.h"
#include "support/CanvasTestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class BackImageTest : public ::testing::Test {
protected:
    void SetUp() override { DrawRectFileVersion = DrawRectCurrentVersion; }
    void TearDown() override
    {
        DrawRectFileVersion = 0;
        FreeIllustMaskFiles();
    }
};

QByteArray Saved(const TBackImage& b)
{
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    b.SaveToStream(buf);
    return out;
}

// Reads a record; the stream must be used up exactly.
void Load(TBackImage& b, const QByteArray& data)
{
    QByteArray copy = data;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    b.LoadFromStream(buf);
    EXPECT_EQ(buf.pos(), data.size()) << "the record is read to its end and no further";
}

} // namespace

TEST_F(BackImageTest, ColourRecordsHaveTheirSizesAndVersion300HasNoUpsideDownByte)
{
    TBackImage none;
    EXPECT_EQ(Saved(none), Bytes({0, 0}));

    TBackImage one;
    one.SetKind(bkColor);
    one.SetColor1(0x123456);
    one.SetUpsideDown(true);
    EXPECT_EQ(Saved(one), Bytes({4, 0x56, 0x34, 0x12, 0, 1}));

    TBackImage grad;
    grad.SetKind(bkGradient);
    grad.SetColor1(0x0000FF);
    grad.SetColor2(0xFF0000);
    grad.SetAngle(135);
    const QByteArray g = Saved(grad);
    EXPECT_EQ(g, Bytes({5, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0, 135, 0, 0, 0, 0}));

    TBackImage back;
    Load(back, g);
    EXPECT_EQ(Saved(back), g);
    EXPECT_EQ(back.Angle(), 135);

    DrawRectFileVersion = 300;
    TBackImage old;
    old.SetUpsideDown(true);
    Load(old, Bytes({4, 0x56, 0x34, 0x12, 0}));
    EXPECT_EQ(old.Color1(), 0x123456u);
    EXPECT_FALSE(old.UpsideDown());
}

TEST_F(BackImageTest, UpsideDownBmpSurvivesSaveAndLoadUnturned)
{
    const QImage pic = Distinct(6, 4);
    TBackImage b;
    b.SetUpsideDown(true);
    b.LoadFromGraphic(TGraphic(pic));
    b.SetResolution(150);
    const QImage shown = b.Image();
    EXPECT_EQ(shown, *RotateBitmap(pic, 2)) << "held turned while upside down";

    const QByteArray saved = Saved(b);
    // kind, "bmp" (4 + 3), the BMP file, resolution, UpsideDown
    EXPECT_EQ(saved.size(), 1 + 7 + EncodeBmp(pic).size() + 4 + 1);
    EXPECT_EQ(saved.mid(8, EncodeBmp(pic).size()), EncodeBmp(pic)) << "stored upright";
    TBackImage back;
    Load(back, saved);
    EXPECT_EQ(back.Image(), shown);
    EXPECT_EQ(back.Resolution(), 150);
    EXPECT_EQ(Saved(back), saved);
}

TEST_F(BackImageTest, JpegKeepsItsDataAndReplaysTheEdits)
{
    const QByteArray jpeg = MakeJpeg(Distinct(16, 8), 1, 200);
    TBackImage b;
    b.SetKind(bkTile);
    b.LoadFromGraphic(TGraphic(TJPEGImage {jpeg}));
    EXPECT_EQ(b.Kind(), bkTile);
    EXPECT_EQ(b.ImageType(), QStringLiteral("jpg"));
    b.Reverse(1);
    b.Reverse(0);
    EXPECT_EQ(b.FlipVertical(), 0);
    EXPECT_EQ(b.FlipHorizontal(), 0);
    EXPECT_EQ(b.Orientation(), 2);
    b.Rotate(0);
    b.SetUpsideDown(true);
    const QImage shown = b.Image();

    const QByteArray saved = Saved(b);
    EXPECT_EQ(saved.mid(12, jpeg.size()), jpeg) << "the JPEG is stored unchanged";
    TBackImage back;
    Load(back, saved);
    EXPECT_EQ(back.Image(), shown);
    EXPECT_EQ(back.Orientation(), b.Orientation());
    EXPECT_EQ(Saved(back), saved);
}

TEST_F(BackImageTest, WriterAndReaderAgreeOnPictureDataAndBadPicturesChangeNothing)
{
    // A picture kind without a picture stores an empty type and no data.
    TBackImage empty;
    empty.SetKind(bkCenter);
    empty.SetResolution(96);
    const QByteArray e = Saved(empty);
    EXPECT_EQ(e, Bytes({2, 0, 0, 0, 0, 96, 0, 0, 0, 0}));
    TBackImage back;
    Load(back, e);
    EXPECT_EQ(back.Kind(), bkNone);
    // A JPEG that never decoded is no picture either: storing its data would
    // make a record that cannot be read back.
    TBackImage undecoded;
    undecoded.LoadFromGraphic(TGraphic(TJPEGImage {QByteArray("\xFF\xD8\xFF\xE0 not a picture", 18)}));
    undecoded.SetResolution(96);
    EXPECT_EQ(Saved(undecoded), Bytes({1, 0, 0, 0, 0, 96, 0, 0, 0, 0}));

    TBackImage keep;
    keep.SetKind(bkColor);
    keep.SetColor1(0x00FF00);
    const QByteArray before = Saved(keep);
    QByteArray bad = Bytes({1});
    const QByteArray type("jpg");
    bad += Bytes({3, 0, 0, 0});
    for (char c : type)
        bad.append(char(c ^ 0xFF));
    QByteArray junk = MakeJpeg(Distinct(8, 8)).left(60);
    bad += Bytes({int(junk.size()), 0, 0, 0}) + junk + Bytes({0, 0, 3, 72, 0, 0, 0, 0});
    QBuffer buf(&bad);
    buf.open(QIODevice::ReadOnly);
    try {
        keep.LoadFromStream(buf);
        ADD_FAILURE() << "a picture that does not decode must be reported";
    } catch (const EDrawRectStreamError& err) {
        EXPECT_STREQ(err.what(), kImageUnreadableMessage);
    }
    EXPECT_EQ(Saved(keep), before) << "the background is left as it was";

    // A BMP length beyond the data, and an unknown kind.
    for (const QByteArray& data : {Bytes({1, 3, 0, 0, 0, 0x9D, 0x92, 0x8F, 'B', 'M', 0xFF, 0xFF, 0, 0}), Bytes({9, 0})}) {
        QByteArray d = data;
        QBuffer b2(&d);
        b2.open(QIODevice::ReadOnly);
        EXPECT_THROW(keep.LoadFromStream(b2), EDrawRectStreamError);
        EXPECT_EQ(Saved(keep), before);
    }
}

TEST_F(BackImageTest, RenderingOnScreen)
{
    TBackImage b;
    b.SetPaperSize(QPoint(1000, 1480)); // 378 x 559 layout pixels
    b.SetRect(TRect(-20, 10, 1000, 100)); // wider than the paper
    b.SetZoom(1.0);
    b.SetKind(bkColor);
    b.SetColor1(0xFFFFFF);
    b.Refresh(true);
    EXPECT_TRUE(b.GetEmpty()) << "white paper needs nothing";
    b.SetColor1(0x0000FF);
    b.Refresh(false);
    EXPECT_EQ(b.RenderBitmap().size(), QSize(378, 90)) << "cut to the paper";
    EXPECT_EQ(b.RenderOffset(), QPoint(0, 10));
    b.SetKind(bkGradient);
    b.SetColor1(0xFFFFFF);
    b.SetColor2(0xFFFFFF);
    b.Refresh(false);
    EXPECT_TRUE(b.GetEmpty());
    b.SetColor1(0x4080FF);
    b.SetColor2(0xFF4000);
    b.SetAngle(60);
    b.SetRect(TRect(0, 0, 378, 559));
    b.Refresh(false);
    EXPECT_EQ(b.RenderBitmap().pixelColor(0, 0), QColor(0xFF, 0x80, 0x40)) << "Color1 at the top-left at 60 degrees";
    const QColor far = b.RenderBitmap().pixelColor(377, 558);
    EXPECT_TRUE(far.red() < 40 && far.blue() > 215) << "towards Color2 at the bottom-right";
    const QByteArray samples = qgetenv("TELVORA_SAMPLE_DIR");
    if (!samples.isEmpty())
        b.RenderBitmap().save(QString::fromLocal8Bit(samples) + QStringLiteral("/gradient-background.png"));
    b.SetRect(TRect(-20, 10, 1000, 100));

    // A 192-dpi picture centred at zoom 1 is shown at half its pixel size.
    QImage black = NewBitmap24(40, 20);
    black.fill(Qt::black);
    b.SetRect(TRect(0, 0, 100, 60));
    b.LoadFromGraphic(TGraphic(black));
    b.SetKind(bkCenter);
    b.SetResolution(192);
    b.Refresh(false);
    EXPECT_EQ(InkBox(b.RenderBitmap()), QRect(40, 25, 20, 10));
    // Tiled upside down: the cut tiles lie at the left and top.
    b.SetKind(bkTile);
    b.Refresh(false);
    EXPECT_EQ(InkBox(b.RenderBitmap()), QRect(0, 0, 100, 60));
    b.SetResolution(0);
    b.Refresh(false);
    EXPECT_EQ(InkBox(b.RenderBitmap()), QRect()) << "no resolution, nothing drawn, no division by zero";

    const QImage page = Painted(120, 80, [&](TCanvas& c) {
        b.SetResolution(96);
        b.SetKind(bkFit);
        b.Draw(c, 10, 5);
    });
    EXPECT_EQ(InkBox(page), QRect(10, 5 + 5, 100, 50)) << "fitted and centred in the area";
}

TEST_F(BackImageTest, PrintingAtPrinterResolution)
{
    TRefDeviceScope printer({true, 300, 300, 10, 20});
    TBackImage b;
    b.SetPaperSize(QPoint(254, 254)); // one inch
    b.SetKind(bkGradient);
    b.SetColor1(0x000000);
    b.SetColor2(0xFFFFFF);
    b.SetAngle(0);
    b.BeginPrint(QPoint(0, 0), false, 0, QSize(1000, 1000));
    EXPECT_EQ(b.PrintRect(), TRect(0, 0, 290, 280));
    const QImage page = Painted(
        320, 320, [&](TCanvas& c) { b.PrintTo(c, 0, 0); }, 300);
    b.EndPrint();
    EXPECT_LT(qGray(page.pixel(289, 0)), 40);
    EXPECT_EQ(page.pixelColor(290, 0), QColor(Qt::white)) << "cut at the printable width";
    EXPECT_EQ(page.pixelColor(0, 280), QColor(Qt::white)) << "cut at the printable height";
    EXPECT_LT(qGray(page.pixel(100, 5)), 40) << "dark at the top";
    EXPECT_GT(qGray(page.pixel(100, 270)), 215) << "light at the bottom";
    EXPECT_EQ(page.pixelColor(300, 100), QColor(Qt::white)) << "nothing outside the print rectangle";

    // Halves: the right half starts in the middle of the paper.
    b.BeginPrint(QPoint(0, 0), true, 3, QSize(1000, 1000));
    EXPECT_EQ(b.PrintRect(), TRect(150, 0, 300, 300));
    b.EndPrint();
    b.SetKind(bkColor);
    b.SetColor1(0xFFFFFF);
    b.BeginPrint(QPoint(0, 0), true, 0, QSize(1000, 1000));
    const QImage white = Painted(
        320, 320, [&](TCanvas& c) { b.PrintTo(c, 0, 0); }, 300);
    EXPECT_EQ(InkBox(white, 255), QRect()) << "white prints nothing";
}

TEST_F(BackImageTest, MaskFilesThatExistEnterTheListInOrder)
{
    QTemporaryDir app;
    QDir(app.path()).mkpath(QStringLiteral("Common/Mask"));
    for (int i : {1, 2, 3, 4, 6, 13})
        WriteBytes(app.filePath(QStringLiteral("Common/Mask/Itm%1.emf").arg(i, 2, 10, QLatin1Char('0'))), "x");
    AddIllustMaskFilesFrom(app.path());
    ASSERT_EQ(IllustMaskFiles().size(), 6);
    EXPECT_TRUE(IllustMaskFiles()[4].endsWith(QStringLiteral("Itm06.emf"))) << "a missing Itm05 shifts the rest down";
    FreeIllustMaskFiles();
    EXPECT_TRUE(IllustMaskFiles().isEmpty());
}

TEST_F(BackImageTest, AnA4PageScannedAt600DpiLoadsAndReadsBackFromTheSavedLayout)
{
    // 4960 x 7016, 8 bits a pixel and three colours: within the
    // 100-million-pixel limit; stored as 24 bits, read back at four a pixel.
    constexpr qint32 w = 4960, h = 7016;
    QByteArray file = "BM" + QByteArray(64, '\0');
    const qint32 v[] = {66 + w * h, 0, 66, 40, w, h, 1 | 8 << 16, 0, w * h, 0, 0, 3};
    qToLittleEndian<qint32>(v, 12, file.data() + 2);
    const quint32 palette[] = {0xFFFFFF, 0x0000FF, 0xFF0000};
    qToLittleEndian<quint32>(palette, 3, file.data() + 54);
    file += QByteArray(qsizetype(w) * h, '\0');
    file[66] = 1;               // bottom-left
    file[file.size() - 1] = 2; // top-right
    QTemporaryDir dir;
    WriteBytes(dir.filePath(QStringLiteral("a4.bmp")), file);
    qint32 dpi = 0;
    const std::optional<TGraphic> g = LoadImageFile(dir.filePath(QStringLiteral("a4.bmp")), dpi);
    ASSERT_TRUE(g && std::holds_alternative<QImage>(*g));
    TBackImage b, back;
    b.LoadFromGraphic(*g);
    ASSERT_EQ(b.Image().size(), QSize(w, h));
    EXPECT_EQ(b.Image().pixelColor(0, h - 1), QColor(0, 0, 255));
    EXPECT_EQ(b.Image().pixelColor(w - 1, 0), QColor(255, 0, 0));
    Load(back, Saved(b));
    EXPECT_EQ(back.Image(), b.Image());
}

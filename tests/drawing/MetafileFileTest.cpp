// The display-list file: every item kind comes back byte for byte, damaged
// files are refused whole, and the shipped mask shapes read and draw.

#include "ImageTestSupport.h"
#include "platform/Canvas.h"
#include "platform/Metafile.h"
#include "platform/MetafileFile.h"
#include "support/CanvasTestSupport.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// One of each item: a clip, fills, a dashed stroke with a curve, text and a
// masked picture.
TMetafileEx Sample()
{
    TMetafileEx mf;
    mf.SetWidth(300);
    mf.SetHeight(200);
    mf.SetResolution(600, 300);
    {
        TCanvas c(mf);
        c.IntersectClipRect(5, 5, 295, 195);
        c.Brush() = TBrush {0x0000FF, bsSolid};
        c.Ellipse(10, 10, 100, 80);
        c.Pen() = TPen {0x00FF00, 3, psDash};
        c.PolyBezier({{10, 150}, {60, 100}, {120, 190}, {180, 150}});
        UseMincho(c, 40);
        c.TextOut(150, 20, QStringLiteral("表ソ"));
        QImage pic = Distinct(12, 8);
        QImage mask = NewBitmap1(12, 8);
        mask.setPixel(3, 3, 0);
        const QImage maskRgb = mask.convertToFormat(QImage::Format_RGB32);
        c.StretchDraw(QRect(200, 100, 60, 40), pic, &maskRgb);
        c.SelectClipRgn(nullptr);
    }
    return mf;
}

QString MaskFile(int n)
{
    return QStringLiteral("%1/Common/Mask/Itm%2.emf").arg(QCoreApplication::applicationDirPath()).arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

TEST(MetafileFile, EveryItemRoundTripsAndPlaysBackTheSame)
{
    const TMetafileEx mf = Sample();
    const QByteArray bytes = WriteMetafileBytes(mf);
    TMetafileEx back;
    QString error;
    ASSERT_TRUE(ReadMetafileBytes(bytes, back, &error)) << error.toStdString();
    EXPECT_EQ(WriteMetafileBytes(back), bytes);
    EXPECT_EQ(back.Items().size(), mf.Items().size());
    EXPECT_EQ(back.DpiX(), 600);
    EXPECT_EQ(back.DpiY(), 300);
    EXPECT_EQ(QJsonDocument(back.ToJson()).toJson().toStdString(), QJsonDocument(mf.ToJson()).toJson().toStdString());
    const QImage a = Painted(300, 200, [&](TCanvas& c) { c.Draw(0, 0, mf); });
    const QImage b = Painted(300, 200, [&](TCanvas& c) { c.Draw(0, 0, back); });
    EXPECT_EQ(a, b);
}

TEST(MetafileFile, DamagedDataIsRefusedAndLeavesTheListAlone)
{
    const QByteArray bytes = WriteMetafileBytes(Sample());
    TMetafileEx target = Sample();
    const QByteArray before = WriteMetafileBytes(target);
    QString error;
    // Every cut of the file is refused.
    for (qsizetype n = 0; n < bytes.size(); n += 7)
        EXPECT_FALSE(ReadMetafileBytes(bytes.left(n), target)) << n;
    EXPECT_FALSE(ReadMetafileBytes(bytes + "x", target, &error));
    EXPECT_FALSE(error.isEmpty());
    QByteArray version = bytes;
    version[4] = 2;
    EXPECT_FALSE(ReadMetafileBytes(version, target, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("version")));
    // A count far beyond the data asks for nothing.
    QByteArray huge = bytes;
    huge[24] = char(0xFF);
    huge[25] = char(0xFF);
    huge[26] = char(0x7F);
    EXPECT_FALSE(ReadMetafileBytes(huge, target));
    EXPECT_EQ(WriteMetafileBytes(target), before);

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("a.emf"));
    ASSERT_TRUE(SaveMetafileFile(target, name));
    TMetafileEx loaded;
    ASSERT_TRUE(LoadMetafileFile(name, loaded));
    EXPECT_EQ(WriteMetafileBytes(loaded), before);
    EXPECT_FALSE(LoadMetafileFile(dir.filePath(QStringLiteral("none.emf")), loaded, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("none.emf")));
}

TEST(MetafileFile, TheThirteenMaskShapesReadAndFillTheirMiddle)
{
    // A sheet of every shape over a picture, on a pale page (TELVORA_SAMPLE_DIR).
    QImage sheet = NewBitmap24(5 * 130, 3 * 130);
    sheet.fill(QColor(255, 240, 200));
    QPainter painter(&sheet);
    TCanvas canvas(painter);
    QImage picture = NewBitmap24(100, 100);
    GradientFill(picture, 30, 0x2060E0, 0xE06020);
    for (int i = 1; i <= 13; ++i) {
        SCOPED_TRACE(MaskFile(i).toStdString());
        TMetafileEx shape;
        QString error;
        ASSERT_TRUE(LoadMetafileFile(MaskFile(i), shape, &error)) << error.toStdString();
        EXPECT_EQ(shape.Width(), 200);
        const QImage mask = MaskFromShape(shape, TRect(0, 0, 100, 100), 100, 100);
        EXPECT_EQ(mask.pixelIndex(50, 50), 0) << "black in the middle";
        EXPECT_EQ(mask.pixelIndex(1, 1) + mask.pixelIndex(98, 1) > 0, true) << "not a plain square";
        const int x = ((i - 1) % 5) * 130 + 15, y = ((i - 1) / 5) * 130 + 15;
        DrawMaskedRop(canvas, picture, shape, TRect(0, 0, 100, 100), TRect(x, y, x + 100, y + 100));
    }
    painter.end();
    const QByteArray samples = qgetenv("TELVORA_SAMPLE_DIR");
    if (!samples.isEmpty())
        sheet.save(QString::fromLocal8Bit(samples) + QStringLiteral("/mask-shapes.png"));
}

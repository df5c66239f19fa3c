#include "drawing/objects/PrinterInfo.h"
#include "drawing/objects/PrtUtils.h"
#include "platform/Canvas.h"
#include "platform/Printer.h"
#include "platform/RefDevice.h"
#include "support/data/DataSupport.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

const QString kLong = QStringLiteral("PDF_Postcard_600dpi_office_queue_on_the_second_floor");
const QString kA4 = QStringLiteral("PDF A4 300");
const QString kNarrow = QStringLiteral("PDF Narrow");

const TPaperInfo kPaperA4{9, QStringLiteral("A4"), 2100, 2970};
const TPaperInfo kPaperB5{13, QStringLiteral("B5 (JIS)"), 1820, 2570};
const TPaperInfo kPostcard{43, QStringLiteral("はがき"), 1000, 1480};
const TPaperInfo kUser{DMPAPER_USER, QStringLiteral("ユーザー定義サイズ"), 0, 0};

// Three virtual printers: the default one with a long name, 600 dpi and a
// printable area 4 mm in; one without a user size; one that cuts user sizes.
class PrinterInfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        TPrinter& p = Printer();
        p.ClearVirtualPrinters();
        TPrinterDevice postcard;
        postcard.name = kLong;
        postcard.driver = QStringLiteral("virtual PDF");
        postcard.port = QStringLiteral("PDF");
        postcard.dpiX = postcard.dpiY = 600;
        postcard.marginLeft = postcard.marginTop = postcard.marginRight = postcard.marginBottom = 40;
        postcard.papers = {kPaperA4, kPaperB5, kPostcard, kUser};
        postcard.outputFile = dir.filePath(QStringLiteral("out.pdf"));
        p.AddVirtualPrinter(postcard);
        TPrinterDevice a4;
        a4.name = kA4;
        a4.dpiX = a4.dpiY = 300;
        a4.papers = {kPaperA4, kPaperB5};
        a4.driverVersion = 7;
        p.AddVirtualPrinter(a4);
        TPrinterDevice narrow;
        narrow.name = kNarrow;
        narrow.papers = {kPaperB5, kPaperA4, kUser};
        narrow.maxUserWidth = 1100;
        p.AddVirtualPrinter(narrow);
        pi = dir.filePath(QStringLiteral("Layout.pi"));
    }
    void TearDown() override
    {
        Printer().ClearVirtualPrinters();
        ResetRefDevice();
    }

    static void Select(const QString& name) { Printer().SetPrinterIndex(Printer().IndexOfName(name), true); }
    static QString CurrentName() { return Printer().Current() ? Printer().Current()->name : QString(); }

    QTemporaryDir dir;
    QString pi;
};

QByteArray PiFile(const QByteArray& record, qint32 length)
{
    QByteArray b(4, '\0');
    qToLittleEndian<qint32>(length, b.data());
    return b + record;
}

TEST_F(PrinterInfoTest, PiFileKeepsPrinterPaperOrientationAndCopiesAcrossARestart)
{
    Select(kLong);
    SelectPrinterPaper(0, DMORIENT_LANDSCAPE, 1000, 1480);
    Printer().SetCopies(3);
    QByteArray saved;
    {
        TPrinterInfo info(pi); // no file yet: the default printer as it stands
        info.ReadCurrentPrinter();
        info.Save();
        saved = ReadFile(pi);
    }
    // The public layout of the settings record, then our block.
    ASSERT_EQ(saved.size(), 4 + TDevMode::kRecordSize);
    EXPECT_EQ(qFromLittleEndian<qint32>(saved.constData()), TDevMode::kRecordSize);
    const QByteArray rec = saved.mid(4);
    EXPECT_EQ(rec.left(31), kLong.left(31).toLatin1());
    EXPECT_EQ(rec.at(31), '\0');
    EXPECT_EQ(qFromLittleEndian<qint16>(rec.constData() + 44), 2);
    EXPECT_EQ(qFromLittleEndian<qint16>(rec.constData() + 46), 43);
    EXPECT_EQ(qFromLittleEndian<qint16>(rec.constData() + 54), 3);

    // Another printer meanwhile (as after a restart), then the file again.
    Select(kA4);
    TPrinterInfo again(pi);
    EXPECT_EQ(again.GetDeviceName(), kLong); // found by its full name
    EXPECT_EQ(CurrentName(), kLong);
    EXPECT_EQ(again.GetOrientation(), 2);
    EXPECT_EQ(again.GetCopies(), 3);
    EXPECT_EQ(again.GetDevMode().PaperSize(), 43);
    // Landscape postcard at 600 dpi, 4 mm unprintable all round; the
    // reference device of the drawing objects follows.
    EXPECT_EQ(again.GetPhysicalWidth(), 3496);
    EXPECT_EQ(again.GetPhysicalHeight(), 2362);
    EXPECT_EQ(again.GetPhysicalOffsetX(), 94);
    EXPECT_EQ(RefDevice().dpiX, 600);
    EXPECT_EQ(RefDevice().physicalOffsetY, 94);
    again.Save();
    EXPECT_EQ(ReadFile(pi), saved);
}

TEST_F(PrinterInfoTest, DamagedPiFilesGiveTheDefaultPrinterAtOnce)
{
    Select(kLong);
    SelectPrinterPaper(43, DMORIENT_LANDSCAPE, 0, 0);
    const QByteArray good = Printer().DevMode().Bytes();
    QByteArray otherDriver = good;
    qToLittleEndian<qint16>(qint16(5), otherDriver.data() + TDevMode::kDriverVersion);
    const std::pair<const char*, QByteArray> cases[] = {
        {"empty", QByteArray()},
        {"short", QByteArray("\x10\x00\x00", 3)},
        {"huge length", PiFile(good, 0x7FFFFFFF)},
        {"negative length", PiFile(good, -8)},
        {"length one past the end", PiFile(good, qint32(good.size()) + 1)},
        {"no such printer", PiFile(QByteArray(40, 'x'), 40)},
        {"other driver version", PiFile(otherDriver, qint32(otherDriver.size()))},
    };
    for (const auto& [name, bytes] : cases) {
        Select(kNarrow);
        ASSERT_TRUE(WriteFile(pi, bytes)) << name;
        TPrinterInfo info(pi);
        EXPECT_EQ(info.GetDeviceName(), kLong) << name;
        EXPECT_EQ(CurrentName(), kLong) << name;
        EXPECT_EQ(Printer().DevMode().Orientation(), DMORIENT_PORTRAIT) << name; // the driver's defaults
    }
}

TEST_F(PrinterInfoTest, RecordsOfOtherLengthsAreMatchedAndMergedFieldByField)
{
    // A record with a longer public part (another driver's), our block
    // behind it: the fields are taken, the kept record is ours.
    Select(kA4);
    QByteArray longer(220 + TDevMode::kPrivateSize, '\0');
    TDevMode d(longer);
    d.SetInt16(TDevMode::kSize, 220);
    d.SetDeviceName(kA4);
    d.SetInt16(TDevMode::kDriverVersion, 7);
    d.SetInt16(TDevMode::kOrientation, 2);
    d.SetInt16(TDevMode::kPaperSize, 13);
    d.SetInt16(TDevMode::kCopies, 4);
    d.SetPrivate(kA4, 0, 0, 0, 0);
    ASSERT_TRUE(WriteFile(pi, PiFile(d.Bytes(), qint32(d.Size()))));
    Select(kLong);
    {
        TPrinterInfo info(pi);
        EXPECT_EQ(info.GetDeviceName(), kA4);
        EXPECT_EQ(info.GetDevModeSize(), TDevMode::kRecordSize);
        EXPECT_EQ(info.GetOrientation(), 2);
        EXPECT_EQ(info.GetDevMode().PaperSize(), 13);
        EXPECT_EQ(info.GetCopies(), 4);
    }
    // A bare public part (no block of ours) is matched on its device name;
    // a long name cut to the field's 31 bytes is not found again.
    QByteArray bare = TDevMode::Blank().Bytes().left(TDevMode::kPublicSize);
    TDevMode b(bare);
    b.SetInt16(TDevMode::kDriverExtra, 0);
    b.SetDeviceName(kA4);
    b.SetInt16(TDevMode::kDriverVersion, 7);
    b.SetInt16(TDevMode::kPaperSize, 13);
    ASSERT_TRUE(WriteFile(pi, PiFile(b.Bytes(), qint32(b.Size()))));
    Select(kNarrow);
    EXPECT_EQ(TPrinterInfo(pi).GetDevMode().PaperSize(), 13);
    EXPECT_EQ(CurrentName(), kA4);
    b.SetDeviceName(kLong);
    b.SetInt16(TDevMode::kDriverVersion, 1);
    ASSERT_TRUE(WriteFile(pi, PiFile(b.Bytes(), qint32(b.Size()))));
    Select(kNarrow);
    TPrinterInfo cut(pi);
    EXPECT_EQ(CurrentName(), kLong); // as the default printer, at its defaults
    EXPECT_EQ(cut.GetDevMode().PaperSize(), 9);
}

TEST_F(PrinterInfoTest, SelectPrinterPaperByCodeSizeUserSizeAndFallback)
{
    Select(kLong);
    SelectPrinterPaper(0, 1, 1000, 1480);
    EXPECT_EQ(Printer().DevMode().PaperSize(), 43);
    EXPECT_EQ(Printer().DevMode().Fields() & (DM_PAPERLENGTH | DM_PAPERWIDTH), 0u);
    SelectPrinterPaper(0, 2, 1200, 2350);
    EXPECT_EQ(Printer().DevMode().PaperSize(), DMPAPER_USER);
    EXPECT_EQ(Printer().DevMode().PaperWidth(), 1200);
    EXPECT_EQ(Printer().DevMode().PaperLength(), 2350);
    EXPECT_EQ(Printer().DevMode().Orientation(), 2);
    SelectPrinterPaper(13, 1, 1000, 1480); // the code wins over the size
    EXPECT_EQ(Printer().DevMode().PaperSize(), 13);
    EXPECT_EQ(Printer().DevMode().Fields() & (DM_PAPERLENGTH | DM_PAPERWIDTH), 0u);

    // Without a user size the paper stays; scale and orientation still apply.
    Select(kA4);
    SelectPrinterPaper(13, 1, 0, 0);
    SelectPrinterPaper(0, 2, 1200, 2350);
    EXPECT_EQ(Printer().DevMode().PaperSize(), 13);
    EXPECT_EQ(Printer().DevMode().Orientation(), 2);

    // A driver that cuts the user size: the first listed paper.
    Select(kNarrow);
    SelectPrinterPaper(0, 1, 1200, 2350);
    EXPECT_EQ(Printer().DevMode().PaperSize(), 13);
    EXPECT_EQ(Printer().DevMode().Fields() & (DM_PAPERLENGTH | DM_PAPERWIDTH), 0u);

    QString printer, paper = QStringLiteral("unchanged");
    qint32 orientation = 0;
    GetPrinterPaperInfo(printer, paper, orientation);
    EXPECT_EQ(printer, kNarrow);
    EXPECT_EQ(paper, QStringLiteral("B5 (JIS)"));
    EXPECT_EQ(orientation, 1);
}

TEST_F(PrinterInfoTest, GeometryAndPaperName)
{
    Select(kLong);
    SelectPrinterPaper(0, 1, 1000, 1480);
    TPrinterInfo info(pi);
    info.ReadCurrentPrinter();
    EXPECT_EQ(info.MmToDevice(QPoint(254, 127)), QPoint(600, 300));
    EXPECT_EQ(info.PointToDevice(12), 100);
    EXPECT_EQ(info.GetPaperSize(), QPoint(378, 559)); // 2362 / 6.25, 3496 / 6.25
    EXPECT_EQ(info.GetPrintableRect(0, 0), TRect(15, 15, 15 + 363, 15 + 544));
    qint32 code = -1;
    QString name;
    info.GetPaperName(code, name);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(name, QStringLiteral("はがき"));

    // The printer no longer lists the kept paper (its driver was replaced):
    // the first paper, and the kept record follows.
    TPrinterDevice replaced = *Printer().Current();
    replaced.papers = {kPaperB5, kPaperA4};
    Printer().ClearVirtualPrinters();
    Printer().AddVirtualPrinter(replaced);
    info.GetPaperName(code, name);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(name, QStringLiteral("B5 (JIS)"));
    EXPECT_EQ(info.GetDevMode().PaperSize(), 13);
    replaced.papers.clear();
    Printer().ClearVirtualPrinters();
    Printer().AddVirtualPrinter(replaced);
    name = QStringLiteral("x");
    info.GetPaperName(code, name);
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(name.isEmpty());
}

// A filled square, the simplest item whose place on paper can be measured.
class TSquare : public TDrawRect {
public:
    quint8 GetKind() const override { return ikFigure; }
    void Draw(TCanvas*, qint32, qint32) override {}
    void Print(TCanvas* c, qint32 x, qint32 y) override
    {
        c->Brush().Color = 0;
        c->FillRect(QRect(PrintRect.Left + x, PrintRect.Top + y, PrintRect.Width(), PrintRect.Height()));
    }
};

// The square printed on the postcard printer, rasterised at 96 dpi; the
// corner of its ink, in pixels from the paper's edge.
QPoint PrintedCorner(const QString& folder, const QPoint& offset)
{
    Printer().SetPrinterIndex(Printer().IndexOfName(kLong), true);
    SelectPrinterPaper(0, 1, 1000, 1480);
    TPrinterInfo info(folder + QStringLiteral("/x.pi"));
    info.ReadCurrentPrinter();
    TSquare square;
    square.SetRect(TRect(96, 96, 192, 192));
    square.PreparePrint(offset, true);
    {
        std::unique_ptr<TPrintJob> job = Printer().BeginDoc(QStringLiteral("square"));
        if (!job)
            return {-1, -1};
        {
            TCanvas canvas(job->Painter(), info.GetDpiX(), info.GetDpiY());
            square.Print(&canvas, -info.GetPhysicalOffsetX(), -info.GetPhysicalOffsetY());
        }
        if (!job->End())
            return {-2, -2};
    }
    const QString pdf = Printer().Current()->outputFile;
    if (QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("96"),
                                                       QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf,
                                                       folder + QStringLiteral("/page")}) != 0)
        return {-3, -3};
    const QImage page(folder + QStringLiteral("/page.png"));
    if (std::abs(page.width() - 378) > 1 || std::abs(page.height() - 559) > 1)
        return {-4, page.height()};
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128) {
                // The first dark row; its leftmost dark pixel.
                int left = x;
                while (left > 0 && qGray(page.pixel(left - 1, y)) < 128)
                    --left;
                return {left, y};
            }
    return {-5, -5};
}

TEST_F(PrinterInfoTest, ASquarePrintedInPaperCoordinatesLandsFromThePapersEdge)
{
    const QPoint at = PrintedCorner(dir.path(), QPoint(0, 0));
    EXPECT_NEAR(at.x(), 96, 1);
    EXPECT_NEAR(at.y(), 96, 1);
    // Page offsets of (10, -5) mm move it by 37.8 and -18.9 pixels.
    const QPoint moved = PrintedCorner(dir.path(), QPoint(100, -50));
    EXPECT_NEAR(moved.x(), 96 + 37.8, 1);
    EXPECT_NEAR(moved.y(), 96 - 18.9, 1);
}

TEST_F(PrinterInfoTest, NoPrinterLeavesTheScreenAsReference)
{
    Printer().ClearVirtualPrinters();
    EXPECT_EQ(Printer().PrinterIndex(), -1);
    EXPECT_FALSE(RefDevice().hasPrinter);
    EXPECT_EQ(Printer().BeginDoc(QStringLiteral("x")), nullptr);
    TPrinterInfo info(pi);
    EXPECT_EQ(info.GetDpiX(), 96);
    EXPECT_EQ(info.GetPaperSize(), QPoint(0, 0));
    EXPECT_THROW(TPrinterInfo(dir.filePath(QStringLiteral("no/such/folder/x.pi"))).Save(), std::runtime_error);
}

} // namespace

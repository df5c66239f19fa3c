// Printing through a real spooler: a private CUPS scheduler with a postcard
// queue, met through the program's own printer code (the system printers'
// back end, printer-information files, paper selection, print jobs).

#include "DrawRectTestItem.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/NameRect.h"
#include "drawing/objects/PosRect.h"
#include "drawing/objects/PrinterInfo.h"
#include "drawing/objects/PrtUtils.h"
#include "platform/Canvas.h"
#include "platform/Printer.h"
#include "platform/RefDevice.h"
#include "platform/ui/PrinterSetup.h"
#include "support/CupsFixture.h"
#include "support/data/DataSupport.h"

#include <QImage>
#include <QPointF>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

class CupsPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString missing = TCupsSpooler::Missing();
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        ASSERT_TRUE(dir.isValid());
        spooler = std::make_unique<TCupsSpooler>();
        ASSERT_TRUE(spooler->Ok()) << spooler->Error().toStdString();
        Printer().ClearVirtualPrinters();
        InstallSystemPrinters();
        queue = Printer().IndexOfName(TCupsSpooler::Queue());
        ASSERT_GE(queue, 0);
    }
    void TearDown() override
    {
        // The back end asked the scheduler that goes now: back to none.
        Printer().SetBackend(nullptr);
        Printer().ClearVirtualPrinters();
        ResetRefDevice();
        spooler.reset();
    }

    QTemporaryDir dir;
    std::unique_ptr<TCupsSpooler> spooler;
    int queue = -1;
};

TEST_F(CupsPrint, QueuePapersTakeTheSettingsRecordsCodesAndThePiFileFindsTheQueueByName)
{
    const TPrinterDevice& dev = Printer().Printers()[queue];
    EXPECT_FALSE(dev.isVirtual);
    // Postcard, JIS B5 and A4 under the record's codes; the driver's own
    // card above the user size; the user size last, up to 992 x 1389 points.
    std::vector<std::tuple<qint16, int, int>> papers;
    for (const TPaperInfo& p : dev.papers)
        papers.emplace_back(p.code, p.width, p.length);
    EXPECT_EQ(papers, (std::vector<std::tuple<qint16, int, int>>{
                          {43, 1000, 1480}, {13, 1820, 2570}, {9, 2100, 2970}, {512, 550, 910}, {DMPAPER_USER, 0, 0}}));
    EXPECT_EQ(dev.defaultPaper, 9);
    EXPECT_EQ(dev.dpiX, 600); // the driver's, not Qt's PDF resolution
    EXPECT_EQ(dev.maxUserWidth, 3500);
    EXPECT_EQ(dev.maxUserLength, 4900);
    // 10, 15, 5 and 20 points in 0.1 mm.
    EXPECT_EQ(QList<int>({dev.marginLeft, dev.marginTop, dev.marginRight, dev.marginBottom}),
              QList<int>({35, 53, 18, 71}));

    Printer().SetPrinterIndex(queue, true);
    SelectPrinterPaper(0, DMORIENT_LANDSCAPE, 1000, 1480);
    EXPECT_EQ(Printer().DevMode().PaperSize(), 43);
    Printer().SetCopies(2);
    const QString pi = dir.filePath(QStringLiteral("Layout.pi"));
    QByteArray saved;
    {
        TPrinterInfo info(pi);
        info.ReadCurrentPrinter();
        info.Save();
        saved = ReadFile(pi);
    }
    // Elsewhere meanwhile, then the file again: the queue with its paper,
    // orientation and copies, and the same bytes written back.
    TPrinterDevice other = dev;
    other.name = QStringLiteral("virtual");
    Printer().AddVirtualPrinter(other);
    Printer().SetPrinterIndex(Printer().IndexOfName(other.name), true);
    TPrinterInfo again(pi);
    EXPECT_EQ(Printer().PrinterIndex(), queue);
    EXPECT_EQ(again.GetDeviceName(), TCupsSpooler::Queue());
    EXPECT_EQ(again.GetDevMode().PaperSize(), 43);
    EXPECT_EQ(again.GetOrientation(), DMORIENT_LANDSCAPE);
    EXPECT_EQ(again.GetCopies(), 2);
    again.Save();
    EXPECT_EQ(ReadFile(pi), saved);
}

// The address side of a postcard: postal-code boxes, the address in
// vertical writing, the name; layout pixels from the paper's edge.
std::vector<std::unique_ptr<TDrawRect>> PostcardLayout()
{
    std::vector<std::unique_ptr<TDrawRect>> items;
    auto code = std::make_unique<TPosRect>();
    code->SetFont(Mincho());
    code->SetPosCode(QStringLiteral("1000001"));
    code->SetRect(TRect(165, 45, 355, 80));
    items.push_back(std::move(code));
    auto address = std::make_unique<TAddressRect>();
    address->SetFont(Mincho());
    address->SetVertical(0);
    address->SetAddress(0, QStringLiteral("東京都千代田区千代田１－１"));
    address->SetAddress(1, QStringLiteral("表参道ソ能ビル３階"));
    address->SetRect(TRect(280, 100, 350, 480));
    items.push_back(std::move(address));
    auto name = std::make_unique<TNameRect>();
    name->SetFont(Mincho());
    name->SetVertical(0);
    name->ResetFontHeight();
    name->SetName(QStringLiteral("山田 太郎"));
    name->SetHonor(QStringLiteral("様"));
    name->SetRect(TRect(150, 110, 230, 500));
    items.push_back(std::move(name));
    return items;
}

// Prints the layout on the current printer as the designers do (their
// printer information re-read first); false when the job could not be
// started or was not taken.
bool PrintPostcard(TPrinterInfo& info, std::vector<std::unique_ptr<TDrawRect>> items = PostcardLayout())
{
    info.ReadCurrentPrinter();
    std::unique_ptr<TPrintJob> job = Printer().BeginDoc(QStringLiteral("postcard"));
    if (!job)
        return false;
    {
        TCanvas canvas(job->Painter(), info.GetDpiX(), info.GetDpiY());
        for (auto& item : items) {
            item->Refresh(false);
            item->PreparePrint(QPoint(0, 0), true);
            item->Print(&canvas, -info.GetPhysicalOffsetX(), -info.GetPhysicalOffsetY());
        }
    }
    return job->End();
}

// The pages of a PDF at 300 dpi.
std::vector<QImage> Rasterise(const QString& pdf)
{
    const QString stem = pdf + QStringLiteral("-page");
    if (QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"),
                                                       QStringLiteral("-gray"), QStringLiteral("-png"), pdf, stem}) != 0)
        return {};
    std::vector<QImage> pages;
    for (int i = 1;; ++i) {
        const QImage page(QStringLiteral("%1-%2.png").arg(stem).arg(i));
        if (page.isNull())
            return pages;
        pages.push_back(page.convertToFormat(QImage::Format_Grayscale8));
    }
}

// The ink within an area of the page: its amount and its centre, each
// pixel weighed by its darkness (edges drawn with part coverage count in
// part, so the centre does not jump a pixel with the rasteriser's rounding).
struct TInk {
    double amount = 0;
    QPointF centre;
};
TInk InkIn(const QImage& page, const QRect& area)
{
    TInk ink;
    double sx = 0, sy = 0;
    const QRect r = area.intersected(page.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* line = page.constScanLine(y);
        for (int x = r.left(); x <= r.right(); ++x) {
            const double d = (255 - line[x]) / 255.0;
            ink.amount += d;
            sx += d * (x + 0.5);
            sy += d * (y + 0.5);
        }
    }
    if (ink.amount > 0)
        ink.centre = QPointF(sx / ink.amount, sy / ink.amount);
    return ink;
}

TEST_F(CupsPrint, PostcardInkFallsWhereTheVirtualPrinterPutsItTurnedAndCopiedAlike)
{
    struct TCase {
        qint16 orientation;
        int copies;
    };
    TPrinterInfo info(dir.filePath(QStringLiteral("Layout.pi")));
    for (const TCase& c : {TCase{DMORIENT_PORTRAIT, 1}, TCase{DMORIENT_LANDSCAPE, 2}}) {
        SCOPED_TRACE(c.orientation);
        // The same printer as a virtual one: the same papers, resolution
        // and margins, writing its PDF itself.
        TPrinterDevice twin = Printer().Printers()[queue];
        twin.name = QStringLiteral("twin");
        twin.outputFile = dir.filePath(QStringLiteral("twin.pdf"));
        Printer().ClearVirtualPrinters();
        Printer().AddVirtualPrinter(twin);
        std::vector<QImage> pages[2];
        std::vector<std::unique_ptr<TDrawRect>> layouts[2] = {PostcardLayout(), PostcardLayout()};
        for (const int i : {0, 1}) {
            Printer().SetPrinterIndex(Printer().IndexOfName(i == 0 ? twin.name : TCupsSpooler::Queue()), true);
            SelectPrinterPaper(0, c.orientation, 1000, 1480);
            Printer().SetCopies(c.copies);
            ASSERT_TRUE(PrintPostcard(info, std::move(layouts[i])));
            QString pdf = twin.outputFile;
            if (i == 1) {
                const QByteArray spooled = spooler->TakeOutput();
                ASSERT_TRUE(spooled.startsWith("%PDF")) << spooled.left(40).toStdString();
                pdf = dir.filePath(QStringLiteral("cups.pdf"));
                ASSERT_TRUE(WriteFile(pdf, spooled));
            }
            pages[i] = Rasterise(pdf);
        }
        // The virtual printer writes one copy; the spooler makes them.
        ASSERT_EQ(pages[0].size(), 1u);
        ASSERT_EQ(pages[1].size(), size_t(c.copies));
        // The spooler's sheet: 100 x 148 mm at 300 dpi (1181.1 x 1748.0, the
        // last pixel partly on paper), a landscape page turned onto it with
        // its top edge at the sheet's right. Qt writes pages in whole points
        // (284 x 419, 0.2 mm off the postcard) from their top left corner.
        const double sheetWidth = 1000 / 25.4 * 300 / 10;
        const QImage& want = pages[0].front();
        EXPECT_EQ(want.width() > want.height(), c.orientation == DMORIENT_LANDSCAPE);
        const bool turned = c.orientation == DMORIENT_LANDSCAPE;
        for (const QImage& got : pages[1]) {
            EXPECT_EQ(got.size(), QSize(1182, 1749));
            // Where each item's ink lies: the codes' band, then the left and
            // right halves below it, found on the sheet as turned.
            const int w = want.width(), h = want.height();
            for (const QRect& area : {QRect(0, 0, w, h / 5), QRect(0, h / 5, w / 2, h - h / 5),
                                      QRect(w / 2, h / 5, w - w / 2, h - h / 5)}) {
                const TInk a = InkIn(want, area);
                TInk b = InkIn(got, turned ? QRect(int(sheetWidth) - area.bottom(), area.left(), area.height() + 1,
                                                   area.width())
                                           : area);
                if (turned)
                    b.centre = QPointF(b.centre.y(), sheetWidth - b.centre.x());
                ASSERT_GT(a.amount, 1000);
                EXPECT_NEAR(b.centre.x(), a.centre.x(), 1);
                EXPECT_NEAR(b.centre.y(), a.centre.y(), 1);
                EXPECT_NEAR(b.amount / a.amount, 1, 0.02);
            }
        }
    }
}

TEST_F(CupsPrint, StoppedOrRefusingQueueReportsNothingPrinted)
{
    Printer().SetPrinterIndex(queue, true);
    SelectPrinterPaper(43, DMORIENT_PORTRAIT, 0, 0);
    struct TCase {
        const char* stop;
        const char* restart;
    };
    for (const TCase& c : {TCase{"cupsdisable", "cupsenable"}, TCase{"cupsreject", "cupsaccept"}}) {
        SCOPED_TRACE(c.stop);
        ASSERT_FALSE(spooler->Tool(QString::fromLatin1(c.stop), {TCupsSpooler::Queue()}).isNull());
        EXPECT_EQ(Printer().BeginDoc(QStringLiteral("refused")), nullptr);
        // Stopped while the document is being painted: the end says so.
        ASSERT_FALSE(spooler->Tool(QString::fromLatin1(c.restart), {TCupsSpooler::Queue()}).isNull());
        std::unique_ptr<TPrintJob> job = Printer().BeginDoc(QStringLiteral("late"));
        ASSERT_NE(job, nullptr);
        job->Painter().fillRect(QRect(0, 0, 100, 100), Qt::black);
        ASSERT_FALSE(spooler->Tool(QString::fromLatin1(c.stop), {TCupsSpooler::Queue()}).isNull());
        EXPECT_FALSE(job->End());
        // No job waits in the queue to come out later.
        EXPECT_EQ(spooler->Tool(QStringLiteral("lpstat"), {QStringLiteral("-o"), TCupsSpooler::Queue()}), "");
        ASSERT_FALSE(spooler->Tool(QString::fromLatin1(c.restart), {TCupsSpooler::Queue()}).isNull());
    }
    // Taken again, the queue prints.
    TPrinterInfo info(dir.filePath(QStringLiteral("Layout.pi")));
    EXPECT_TRUE(PrintPostcard(info));
    EXPECT_TRUE(spooler->TakeOutput().startsWith("%PDF"));
}

TEST_F(CupsPrint, ADriverlessQueueIsListedWithoutPapersAndSaysWhyItCannotPrint)
{
    const QString raw = QStringLiteral("TelvoraRaw");
    const QStringList args = {QStringLiteral("-p"), raw, QStringLiteral("-E"), QStringLiteral("-v"),
                              "file://" + dir.filePath("raw.out")};
    ASSERT_FALSE(spooler->Tool(QStringLiteral("lpadmin"), args).isNull()) << spooler->Error().toStdString();
    Printer().Refresh();
    const int index = Printer().IndexOfName(raw);
    ASSERT_GE(index, 0);
    EXPECT_TRUE(Printer().Printers()[index].papers.isEmpty());
    Printer().SetPrinterIndex(index, true);
    EXPECT_EQ(Printer().BeginDoc(QStringLiteral("raw")), nullptr);
    const QString why = Printer().LastError();
    EXPECT_TRUE(why.contains(raw) && why.contains(QStringLiteral("ドライバ"))) << why.toStdString();
    Printer().SetPrinterIndex(queue, true); // the reason goes with that failure only
    const std::unique_ptr<TPrintJob> job = Printer().BeginDoc(QStringLiteral("postcard"));
    EXPECT_TRUE(job && job->End() && Printer().LastError().isEmpty());
}

} // namespace

// A killed test process leaves its scheduler's folder: the next spooler
// removes those whose process is gone, not a living one's.
TEST(CupsSpooler, FoldersOfKilledTestProcessesAreRemovedAtStart)
{
    if (const QString missing = TCupsSpooler::Missing(); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const QString dead = QDir::tempPath() + QStringLiteral("/tvcups-%1-Ab12Cd").arg(gone);
    const QString live = QDir::tempPath() + QStringLiteral("/tvcups-%1-Ab12Cd").arg(::getppid());
    for (const QString& d : {dead, live})
        ASSERT_TRUE(QDir().mkpath(d + QStringLiteral("/spool/tmp")));
    EXPECT_TRUE(TCupsSpooler().Ok());
    EXPECT_FALSE(QFileInfo::exists(dead));
    EXPECT_TRUE(QFileInfo::exists(live + QStringLiteral("/spool/tmp")));
    QDir(live).removeRecursively();
}

// Printing postcard address sides through the drawing objects against the
// same texts drawn with plain QPainter::drawText, in one process: 1,000
// cards from a generated book (postal-code boxes, a three-line vertical
// address, the name with its honorific and on every third card a joint name,
// a sender block), each side to its own PDF at 600 dpi. The objects print
// through the printer object onto a virtual PDF printer as a designer does;
// the plain side draws each character of a vertical text on a line of its
// own on a QPdfWriter. "objects/plain" is the median of the ratios of
// back-to-back pairs, by the clock and by this thread's CPU time.
#include "BookGen.h"
#include "Pairs.h"

#include "core/common/FontUtils.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/NameRect.h"
#include "drawing/objects/PosRect.h"
#include "drawing/objects/PrinterInfo.h"
#include "drawing/objects/PrtUtils.h"
#include "drawing/objects/SenderRect.h"
#include "platform/Canvas.h"
#include "platform/Font.h"
#include "platform/Printer.h"

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

struct TTimes {
    double wall = 0;
    double cpu = 0;
};

template <class F>
TTimes timed(F&& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = ThreadCpuSeconds();
    f();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), ThreadCpuSeconds() - c0};
}

QString fullWidth(const QString& s)
{
    QString out = s;
    for (QChar& ch : out)
        if (ch >= u'0' && ch <= u'9')
            ch = QChar(ch.unicode() - u'0' + 0xFF10);
        else if (ch == u'-')
            ch = QChar(0xFF0D);
    return out;
}

// One address side as printed: the texts the designer hands the items.
struct TCard {
    QString pos;
    QString lines[3];
    QString name;
    QString honor;
    QString joint; // empty on two cards of three
};

// The book's records as BookGen writes them, varied the way real books are:
// full-width and half-width numbers, rooms numbered with 号室, some
// addresses in two lines, a joint name on every third record.
std::vector<TCard> makeCards(int count)
{
    TBookGen gen;
    TAdrsRecord r;
    std::vector<TCard> cards;
    cards.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        gen.Fill(r, i);
        TCard c;
        c.pos = r.Pos.Text();
        c.lines[0] = r.Tdfkn.Text() + r.Adrs1.Text();
        c.lines[1] = i % 2 ? fullWidth(r.Adrs2.Text()) : r.Adrs2.Text();
        switch (i % 4) {
        case 0: c.lines[2] = r.Adrs3.Text(); break;
        case 1: c.lines[2] = QStringLiteral("ソ能表ハイツ") + fullWidth(QString::number(101 + i % 1200)) + QStringLiteral("号室"); break;
        case 2: c.lines[2] = QStringLiteral("表能コーポ") + QString::number(201 + i % 900) + QStringLiteral("号室"); break;
        default: break; // two lines
        }
        c.name = r.NameKanji.Text();
        c.honor = r.Honor.Text();
        if (i % 3 == 0)
            c.joint = c.name.section(QChar(0x3000), 0, 0) + QStringLiteral(" 花子");
        cards.push_back(c);
    }
    return cards;
}

const QString kSenderLines[2] = {QStringLiteral("大阪府大阪市北区ソ能町"), QStringLiteral("梅田３丁目１番地表ビル５０２号室")};
const QString kSenderPos = QStringLiteral("5300001");
const QString kSenderName = QStringLiteral("十河 表");

TFont mincho()
{
    TFont f;
    SetFontAttr(&f, SHIFTJIS_CHARSET, QStringLiteral("ＭＳ 明朝"), 12, 0);
    return f;
}

// The postcard's printer, chosen once: 600 dpi, postcard paper.
TPrinterInfo& postcardPrinter()
{
    static TPrinterInfo* info = [] {
        TPrinterDevice device;
        device.name = QStringLiteral("bench PDF");
        device.driver = QStringLiteral("virtual PDF");
        device.port = QStringLiteral("PDF");
        device.dpiX = device.dpiY = 600;
        device.papers = {TPaperInfo{43, QStringLiteral("はがき"), 1000, 1480}};
        device.outputFile = workDir().filePath(QStringLiteral("objects.pdf"));
        TPrinter& printer = Printer();
        printer.AddVirtualPrinter(device);
        printer.SetPrinterIndex(printer.IndexOfName(device.name), true);
        SelectPrinterPaper(43, 1, 1000, 1480);
        auto* i = new TPrinterInfo(workDir().filePath(QStringLiteral("bench.pi")));
        i->ReadCurrentPrinter();
        return i;
    }();
    return *info;
}

// The address side's items, as a postcard layout places them (layout pixels).
struct TObjectsSide {
    TPosRect pos{ikPosCode};
    TAddressRect address{ikAddress};
    TNameRect name;
    TSenderRect sender;

    TObjectsSide()
    {
        const TFont f = mincho();
        pos.SetFont(f);
        pos.SetRect(TRect(166, 45, 346, 75));
        address.SetFont(f);
        address.SetVertical(0);
        address.SetRect(TRect(270, 95, 365, 480));
        name.SetFont(f);
        name.SetVertical(0);
        name.SetNameKind(1);
        name.SetRect(TRect(150, 95, 260, 480));
        sender.SetFont(f);
        sender.SetVertical(0);
        sender.ResetChildRects(-1);
        sender.SetRect(TRect(20, 300, 140, 530));
        sender.GetBasicPos()->SetPosCode(kSenderPos);
        sender.GetBasicAddress()->SetAddress(0, kSenderLines[0]);
        sender.GetBasicAddress()->SetAddress(1, kSenderLines[1]);
        sender.GetBasicName()->SetName(kSenderName);
    }

    void Print(const std::vector<TCard>& cards)
    {
        TPrinterInfo& info = postcardPrinter();
        std::unique_ptr<TPrintJob> doc = Printer().BeginDoc(QStringLiteral("bench"));
        {
            TCanvas canvas(doc->Painter(), info.GetDpiX(), info.GetDpiY());
            bool first = true;
            for (const TCard& c : cards) {
                if (!first)
                    doc->NewPage();
                first = false;
                pos.SetPosCode(c.pos);
                for (int i = 0; i < 3; ++i)
                    address.SetAddress(i, c.lines[i]);
                name.SetName(c.name);
                name.SetHonor(c.honor);
                name.SetJointCount(c.joint.isEmpty() ? 0 : 1);
                if (!c.joint.isEmpty()) {
                    name.SetJointName(0, c.joint);
                    name.SetJointHonor(0, c.honor);
                }
                const qint32 x = -info.GetPhysicalOffsetX(), y = -info.GetPhysicalOffsetY();
                for (TDrawRect* item : std::initializer_list<TDrawRect*>{&pos, &address, &name, &sender}) {
                    item->Refresh(false);
                    item->PreparePrint(QPoint(0, 0), true);
                    item->Print(&canvas, x, y);
                }
            }
        }
        doc->End();
    }
};

// The same texts with nothing but QPainter: digits in their boxes, vertical
// texts one character a line.
void printPlain(const std::vector<TCard>& cards, const QString& file)
{
    QPdfWriter pdf(file);
    pdf.setResolution(600);
    pdf.setPageSize(QPageSize(QSizeF(100, 148), QPageSize::Millimeter));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&pdf);
    const double px = 600.0 / 96;
    QFont big(QStringLiteral("IPAMincho"));
    big.setPixelSize(int(28 * px));
    QFont small(QStringLiteral("IPAMincho"));
    small.setPixelSize(int(18 * px));
    QFont digits(QStringLiteral("IPAMincho"));
    digits.setPixelSize(int(24 * px));
    const auto column = [&](const QString& text, double x, double y, double step) {
        for (const QChar ch : text) {
            p.drawText(QPointF(x, y), QString(ch));
            y += step;
        }
    };
    const auto boxes = [&](const QString& code, double x, double y, double pitch) {
        for (const QChar ch : code) {
            p.drawText(QPointF(x, y), QString(ch));
            x += pitch;
        }
    };
    bool first = true;
    for (const TCard& c : cards) {
        if (!first)
            pdf.newPage();
        first = false;
        p.setFont(digits);
        boxes(c.pos, 170 * px, 72 * px, 26 * px);
        p.setFont(big);
        for (int i = 0; i < 3; ++i)
            column(c.lines[i], (340 - 32 * i) * px, 128 * px, 28 * px);
        column(c.name + c.honor, 220 * px, 128 * px, 30 * px);
        if (!c.joint.isEmpty())
            column(c.joint + c.honor, 185 * px, 158 * px, 30 * px);
        p.setFont(small);
        column(kSenderLines[0], 120 * px, 330 * px, 18 * px);
        column(kSenderLines[1], 100 * px, 330 * px, 18 * px);
        column(kSenderName, 70 * px, 360 * px, 18 * px);
        boxes(kSenderPos, 25 * px, 525 * px, 16 * px);
    }
    p.end();
}

constexpr int kCards = 1000;

// Each iteration prints the cards both ways, the order alternating, and
// keeps the pair's ratio.
void BM_PostcardsVsPlain(benchmark::State& state)
{
    const std::vector<TCard> cards = makeCards(kCards);
    TObjectsSide objects;
    const QString plainFile = workDir().filePath(QStringLiteral("plain.pdf"));
    std::vector<double> wall, cpu;
    TTimes o, p;
    int run = 0;
    for (auto _ : state) {
        if (run++ % 2) {
            p = timed([&] { printPlain(cards, plainFile); });
            o = timed([&] { objects.Print(cards); });
        } else {
            o = timed([&] { objects.Print(cards); });
            p = timed([&] { printPlain(cards, plainFile); });
        }
        wall.push_back(o.wall / p.wall);
        cpu.push_back(o.cpu / p.cpu);
        state.SetIterationTime(o.wall + p.wall);
    }
    state.counters["objects/plain"] = Median(wall);
    state.counters["objects/plain cpu"] = Median(cpu);
    state.counters["objects s"] = o.wall;
    state.counters["plain s"] = p.wall;
    state.counters["objects KB"] = double(QFile(workDir().filePath(QStringLiteral("objects.pdf"))).size()) / 1024;
    state.counters["plain KB"] = double(QFile(plainFile).size()) / 1024;
}
BENCHMARK(BM_PostcardsVsPlain)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);

// One side alone, for its peak resident memory
// (/usr/bin/time -f %M bench_PrintBench --benchmark_filter=BM_ObjectsOnly).
void BM_ObjectsOnly(benchmark::State& state)
{
    const std::vector<TCard> cards = makeCards(kCards);
    TObjectsSide objects;
    for (auto _ : state)
        objects.Print(cards);
}
BENCHMARK(BM_ObjectsOnly)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PlainOnly(benchmark::State& state)
{
    const std::vector<TCard> cards = makeCards(kCards);
    for (auto _ : state)
        printPlain(cards, workDir().filePath(QStringLiteral("plain.pdf")));
}
BENCHMARK(BM_PlainOnly)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    InstallFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // PRINTBENCH_KEEP=DIR keeps the last PDFs of both sides to look at.
    if (const QString keep = qEnvironmentVariable("PRINTBENCH_KEEP"); !keep.isEmpty())
        for (const QString& f : {QStringLiteral("objects.pdf"), QStringLiteral("plain.pdf")})
            if (QFile::exists(workDir().filePath(f))) {
                QFile::remove(keep + u'/' + f);
                QFile::copy(workDir().filePath(f), keep + u'/' + f);
            }
    return 0;
}

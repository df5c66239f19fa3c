// drawprobe's print mode: a layout of several items printed through the
// printer object onto a virtual PDF printer, the way a designer prints a
// page: the paper of the format chosen, the printer information re-read, each
// item prepared for the page and printed. See tools/README.md.

#include "ProbeClasses.h"
#include "ProbeTextRect.h"

#include "core/common/FontUtils.h"
#include "drawing/objects/DrawRect.h"
#include "drawing/objects/PrinterInfo.h"
#include "drawing/objects/PrtUtils.h"
#include "platform/Canvas.h"
#include "platform/Font.h"
#include "platform/Printer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

namespace {

// A filled box: the simplest thing whose position on paper can be measured.
class TProbeBox : public TDrawRect {
public:
    explicit TProbeBox(TColor color) : color_(color) {}
    quint8 GetKind() const override { return ikFigure; }
    void Draw(TCanvas* Canvas, qint32 X, qint32 Y) override { fill(Canvas, DisplayRect, X, Y); }
    void Print(TCanvas* Canvas, qint32 X, qint32 Y) override { fill(Canvas, PrintRect, X, Y); }

private:
    void fill(TCanvas* c, const TRect& r, qint32 x, qint32 y)
    {
        c->Brush().Color = color_;
        c->Brush().Style = bsSolid;
        c->FillRect(ProbeSaturatedRect(qint64(r.Left) + x, qint64(r.Top) + y, qint64(r.Right) + x, qint64(r.Bottom) + y));
    }
    TColor color_;
};

TRect rectOf(const QJsonValue& v)
{
    const QJsonArray a = v.toArray();
    return a.size() == 4 ? TRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()) : TRect();
}

QPoint pointOf(const QJsonValue& v, QPoint def = {})
{
    const QJsonArray a = v.toArray();
    return a.size() == 2 ? QPoint(a[0].toInt(), a[1].toInt()) : def;
}

std::unique_ptr<TDrawRect> makeItem(const QJsonObject& d)
{
    const QString cls = d.value(QStringLiteral("class")).toString();
    std::unique_ptr<TDrawRect> item;
    if (cls == QStringLiteral("box")) {
        item = std::make_unique<TProbeBox>(TColor(d.value(QStringLiteral("color")).toInt(0)));
    } else if (cls == QStringLiteral("text")) {
        auto text = std::make_unique<TProbeTextRect>();
        const QJsonObject font = d.value(QStringLiteral("font")).toObject();
        TFont f;
        SetFontAttr(&f, SHIFTJIS_CHARSET, font.value(QStringLiteral("name")).toString(QStringLiteral("ＭＳ 明朝")),
                    font.value(QStringLiteral("size")).toInt(12), font.value(QStringLiteral("style")).toInt(0));
        text->SetFont(f);
        text->SetBaseFontHeight(d.value(QStringLiteral("fontHeight")).toInt(-40));
        text->ResetFontHeight();
        text->SetVertical(quint8(d.value(QStringLiteral("direction")).toInt(1)));
        QStringList lines;
        for (const QJsonValue& v : d.value(QStringLiteral("lines")).toArray())
            lines << v.toString();
        text->SetLines(lines);
        item = std::move(text);
    } else {
        return nullptr;
    }
    item->SetRect(rectOf(d.value(QStringLiteral("rect"))));
    return item;
}

int fail(const QString& message)
{
    std::fprintf(stderr, "drawprobe: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int ProbePrint(const QJsonObject& desc, const QString& outDir)
{
    const QJsonObject job = desc.value(QStringLiteral("print")).toObject();
    const QJsonObject p = job.value(QStringLiteral("printer")).toObject();
    TPrinterDevice device;
    device.name = p.value(QStringLiteral("name")).toString(QStringLiteral("drawprobe PDF"));
    device.driver = QStringLiteral("virtual PDF");
    device.port = QStringLiteral("PDF");
    device.dpiX = device.dpiY = p.value(QStringLiteral("dpi")).toInt(600);
    const QJsonArray margins = p.value(QStringLiteral("margins")).toArray();
    if (margins.size() == 4) {
        device.marginLeft = margins[0].toInt();
        device.marginTop = margins[1].toInt();
        device.marginRight = margins[2].toInt();
        device.marginBottom = margins[3].toInt();
    }
    for (const QJsonValue& v : p.value(QStringLiteral("papers")).toArray()) {
        const QJsonObject o = v.toObject();
        const QPoint size = pointOf(o.value(QStringLiteral("size")));
        device.papers.append(TPaperInfo{qint16(o.value(QStringLiteral("code")).toInt()),
                                        o.value(QStringLiteral("name")).toString(), size.x(), size.y()});
    }
    if (device.papers.isEmpty())
        device.papers = {TPaperInfo{43, QStringLiteral("はがき"), 1000, 1480}, TPaperInfo{9, QStringLiteral("A4"), 2100, 2970},
                         TPaperInfo{DMPAPER_USER, QStringLiteral("ユーザー定義サイズ"), 0, 0}};
    device.outputFile = QDir(outDir).absoluteFilePath(QStringLiteral("print.pdf"));
    TPrinter& printer = Printer();
    printer.AddVirtualPrinter(device);
    printer.SetPrinterIndex(printer.IndexOfName(device.name), true);

    // As a designer does before each print: its paper, then the printer
    // information re-read, kept in a .pi file beside the output.
    const QJsonObject paper = job.value(QStringLiteral("paper")).toObject();
    const QPoint size = pointOf(paper.value(QStringLiteral("size")), QPoint(1000, 1480));
    SelectPrinterPaper(qint16(paper.value(QStringLiteral("code")).toInt(0)),
                       paper.value(QStringLiteral("orientation")).toInt(1), size.x(), size.y());
    TPrinterInfo info(QDir(outDir).absoluteFilePath(QStringLiteral("print.pi")));
    info.ReadCurrentPrinter();
    try {
        info.Save();
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()));
    }

    std::vector<std::unique_ptr<TDrawRect>> items;
    for (const QJsonValue& v : job.value(QStringLiteral("items")).toArray()) {
        auto item = makeItem(v.toObject());
        if (!item)
            return fail(QStringLiteral("unknown item class: ") + v.toObject().value(QStringLiteral("class")).toString());
        items.push_back(std::move(item));
    }
    const QPoint offset = pointOf(job.value(QStringLiteral("offset")));
    const bool physical = job.value(QStringLiteral("physical")).toBool(true);
    std::unique_ptr<TPrintJob> doc = printer.BeginDoc(QStringLiteral("drawprobe"));
    if (!doc)
        return fail(QStringLiteral("cannot open the printer's output ") + device.outputFile);
    {
        TCanvas canvas(doc->Painter(), info.GetDpiX(), info.GetDpiY());
        // Paper coordinates: the page's origin is the printable area's corner.
        const qint32 x = physical ? -info.GetPhysicalOffsetX() : 0;
        const qint32 y = physical ? -info.GetPhysicalOffsetY() : 0;
        for (auto& item : items) {
            // Recordings follow the printer just chosen before they are placed.
            item->Refresh(false);
            item->PreparePrint(offset, physical);
            item->Print(&canvas, x, y);
        }
    }
    if (!doc->End())
        return fail(QStringLiteral("cannot write ") + device.outputFile);

    QString paperName;
    qint32 code = 0;
    info.GetPaperName(code, paperName);
    QJsonArray printRects;
    for (const auto& item : items) {
        const TRect r = item->GetPrintRect();
        printRects.append(QJsonArray{r.Left, r.Top, r.Right, r.Bottom});
    }
    const TRect printable = info.GetPrintableRect(0, 0);
    const QJsonObject dump{
        {QStringLiteral("printer"), info.GetDeviceName()},
        {QStringLiteral("paper"), paperName},
        {QStringLiteral("orientation"), info.GetOrientation()},
        {QStringLiteral("dpi"), QJsonArray{info.GetDpiX(), info.GetDpiY()}},
        {QStringLiteral("physical"), QJsonArray{info.GetPhysicalWidth(), info.GetPhysicalHeight()}},
        {QStringLiteral("physicalOffset"), QJsonArray{info.GetPhysicalOffsetX(), info.GetPhysicalOffsetY()}},
        {QStringLiteral("paperSize"), QJsonArray{info.GetPaperSize().x(), info.GetPaperSize().y()}},
        {QStringLiteral("printableRect"), QJsonArray{printable.Left, printable.Top, printable.Right, printable.Bottom}},
        {QStringLiteral("printRects"), printRects},
    };
    QFile out(QDir(outDir).absoluteFilePath(QStringLiteral("dump.json")));
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(dump).toJson()) < 0)
        return fail(QStringLiteral("cannot write dump.json"));
    return 0;
}

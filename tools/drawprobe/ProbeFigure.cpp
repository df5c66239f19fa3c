// drawprobe for figures: an item file with "class": "TFigureRect" is drawn
// through the class registry, configured from the file, written to
// screen.png and print.png, and its record dumped field by field and
// read back. Fields (all optional but "rect"):
//   rect, zoom, dpi (as for text items), kind (0-5), lines (direction bits),
//   corner [h, v], sector (0-3), frame, back, gradation (booleans),
//   lineType (0-4), lineWidth, frameColor, color1, color2 (0x00BBGGRR),
//   angle, clipSide, clipLine, page (0xRRGGBB, the colour under the figure).

#include "ProbeClasses.h"

#include "drawing/objects/FigureRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/RefDevice.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <cstdio>
#include <exception>
#include <memory>

namespace {

TColor ColorOf(const QJsonValue& v, TColor fallback)
{
    if (v.isString())
        return static_cast<TColor>(v.toString().toUInt(nullptr, 0));
    return v.isDouble() ? static_cast<TColor>(v.toDouble()) : fallback;
}

QJsonArray RectJson(const TRect& r)
{
    return QJsonArray{r.Left, r.Top, r.Right, r.Bottom};
}

QImage Rendered(const TRect& frame, int dpi, QRgb page, const std::function<void(TCanvas&)>& draw)
{
    QImage img = ProbeBlankPage({frame}, page);
    QPainter p(&img);
    TCanvas canvas(p, dpi, dpi);
    draw(canvas);
    return img;
}

QByteArray Saved(const TDrawRect& item)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    item.SaveToStream(out);
    return out.data();
}

} // namespace

// Sets a figure's stored fields from an item file.
void ConfigureFigureRect(TDrawRect& item, const QJsonObject& d)
{
    auto* f = dynamic_cast<TFigureRect*>(&item);
    if (!f)
        return;
    f->SetFigureKind(static_cast<quint8>(d.value(QStringLiteral("kind")).toInt(f->GetFigureKind())));
    f->SetLineDirections(static_cast<quint8>(d.value(QStringLiteral("lines")).toInt(f->GetLineDirections())));
    const QJsonArray corner = d.value(QStringLiteral("corner")).toArray();
    if (corner.size() == 2) {
        f->SetCornerRadius(0, static_cast<quint8>(corner[0].toInt()));
        f->SetCornerRadius(1, static_cast<quint8>(corner[1].toInt()));
    }
    f->SetSectorDirection(static_cast<quint8>(d.value(QStringLiteral("sector")).toInt(f->GetSectorDirection())));
    f->SetFrame(d.value(QStringLiteral("frame")).toBool(f->GetFrame()));
    f->SetBack(d.value(QStringLiteral("back")).toBool(f->GetBack()));
    f->SetGradation(d.value(QStringLiteral("gradation")).toBool(f->GetGradation()));
    f->SetLineType(static_cast<quint8>(d.value(QStringLiteral("lineType")).toInt(f->GetLineType())));
    f->SetLineWidth(d.value(QStringLiteral("lineWidth")).toInt(f->GetLineWidth()));
    f->SetFrameColor(ColorOf(d.value(QStringLiteral("frameColor")), f->GetFrameColor()));
    f->SetColor1(ColorOf(d.value(QStringLiteral("color1")), f->GetColor1()));
    f->SetColor2(ColorOf(d.value(QStringLiteral("color2")), f->GetColor2()));
    f->SetAngle(d.value(QStringLiteral("angle")).toInt(f->GetAngle()));
}

// Every stored field of a figure's record by name, with its value.
void DescribeFigureFields(const TDrawRect& item, QJsonObject& out)
{
    const auto* f = dynamic_cast<const TFigureRect*>(&item);
    if (!f)
        return;
    out[QStringLiteral("Rect")] = RectJson(f->GetRect());
    out[QStringLiteral("Visible")] = f->IsVisible();
    out[QStringLiteral("Frame")] = f->GetFrame();
    out[QStringLiteral("Back")] = f->GetBack();
    out[QStringLiteral("Gradation")] = f->GetGradation();
    out[QStringLiteral("FigureKind")] = f->GetFigureKind();
    out[QStringLiteral("LineDirections")] = f->GetLineDirections();
    out[QStringLiteral("CornerRadius")] = QJsonArray{f->GetCornerRadius(0), f->GetCornerRadius(1)};
    out[QStringLiteral("SectorDirection")] = f->GetSectorDirection();
    out[QStringLiteral("LineType")] = f->GetLineType();
    out[QStringLiteral("LineWidth")] = f->GetLineWidth();
    out[QStringLiteral("FrameColor")] = static_cast<qint64>(f->GetFrameColor());
    out[QStringLiteral("Color1")] = static_cast<qint64>(f->GetColor1());
    out[QStringLiteral("Color2")] = static_cast<qint64>(f->GetColor2());
    out[QStringLiteral("Angle")] = f->GetAngle();
}

// Draws, prints and round-trips one figure described by desc into outDir;
// the exit status.
int RunFigureProbe(const QJsonObject& desc, const QString& outDir)
{
    RegisterFigureClasses();
    std::unique_ptr<TDrawRect> item = CreateDrawRect("TFigureRect");
    if (!item) {
        std::fprintf(stderr, "drawprobe: TFigureRect is not registered\n");
        return 1;
    }
    const QJsonArray r = desc.value(QStringLiteral("rect")).toArray();
    item->SetZoom(desc.value(QStringLiteral("zoom")).toDouble(1.0));
    item->SetRect(r.size() == 4 ? TRect(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt()) : TRect());
    item->SetClipSide(static_cast<quint8>(desc.value(QStringLiteral("clipSide")).toInt(0)));
    item->SetClipLine(desc.value(QStringLiteral("clipLine")).toInt(0));
    ConfigureFigureRect(*item, desc);
    const QRgb page = 0xFF000000u | desc.value(QStringLiteral("page")).toString(QStringLiteral("0xFFFFFF")).toUInt(nullptr, 0);

    const QImage screen = Rendered(item->GetDisplayRect(), 96, page, [&](TCanvas& c) { item->Draw(&c, 0, 0); });
    auto* figure = static_cast<TFigureRect*>(item.get());
    item->PreparePrint(QPoint(0, 0), true);
    const int dpi = RefDevice().dpiY;
    const QImage paper = Rendered(item->GetPrintRect(), dpi, page, [&](TCanvas& c) { item->Print(&c, 0, 0); });
    figure->FreePrintCache();
    if (!screen.save(outDir + QStringLiteral("/screen.png")) || !paper.save(outDir + QStringLiteral("/print.png"))) {
        std::fprintf(stderr, "drawprobe: cannot write the pictures into %s\n", qPrintable(outDir));
        return 1;
    }

    QJsonObject fields;
    DescribeFigureFields(*item, fields);
    const QByteArray record = Saved(*item);
    QJsonObject trip{{QStringLiteral("class"), QStringLiteral("TFigureRect")},
                     {QStringLiteral("version"), DrawRectCurrentVersion},
                     {QStringLiteral("read"), QString::fromLatin1(record.toHex(' '))}};
    int status = 0;
    std::unique_ptr<TDrawRect> copy = CreateDrawRect("TFigureRect");
    DrawRectFileVersion = DrawRectCurrentVersion;
    QBuffer in;
    in.setData(record);
    in.open(QIODevice::ReadOnly);
    try {
        copy->LoadFromStream(in);
        const QByteArray again = Saved(*copy);
        QJsonObject readFields;
        DescribeFigureFields(*copy, readFields);
        trip[QStringLiteral("consumed")] = static_cast<qint64>(in.pos());
        trip[QStringLiteral("written")] = QString::fromLatin1(again.toHex(' '));
        trip[QStringLiteral("identical")] = again == record;
        trip[QStringLiteral("fields")] = readFields;
    } catch (const std::exception& e) {
        trip[QStringLiteral("error")] = QString::fromUtf8(e.what());
        status = 1;
    }
    const TMetafileEx& mf = figure->GetMetafile();
    const QJsonObject dump{
        {QStringLiteral("rect"), RectJson(item->GetRect())},
        {QStringLiteral("displayRect"), RectJson(item->GetDisplayRect())},
        {QStringLiteral("printRect"), RectJson(item->GetPrintRect())},
        {QStringLiteral("fields"), fields},
        {QStringLiteral("metafile"),
         QJsonObject{{QStringLiteral("width"), mf.Width()},
                     {QStringLiteral("height"), mf.Height()},
                     {QStringLiteral("dpi"), QJsonArray{mf.DpiX(), mf.DpiY()}},
                     {QStringLiteral("items"), mf.ToJson()}}},
        {QStringLiteral("roundTrip"), trip},
    };
    QFile out(outDir + QStringLiteral("/dump.json"));
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(dump).toJson()) < 0) {
        std::fprintf(stderr, "drawprobe: cannot write dump.json\n");
        return 1;
    }
    return status;
}

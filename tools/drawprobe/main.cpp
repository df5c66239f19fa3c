// drawprobe: renders one item described in a JSON file to a screen PNG (at a
// zoom) and a print PNG (at a printer resolution), and dumps the display
// list and the layout decisions as JSON. See tools/README.md.

#include "ProbeTextRect.h"
#include "ProbeWord.h"

#include "core/common/FontUtils.h"
#include "drawing/objects/DrawRect.h"
#include "platform/Canvas.h"
#include "platform/Font.h"
#include "platform/RefDevice.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "drawprobe: %s\n", qPrintable(message));
    return 1;
}

QJsonArray rectJson(const TRect& r)
{
    return QJsonArray{r.Left, r.Top, r.Right, r.Bottom};
}

TRect rectFrom(const QJsonValue& v)
{
    const QJsonArray a = v.toArray();
    return a.size() == 4 ? TRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()) : TRect();
}

// Renders with a light frame where the rectangle is, so a viewer sees where
// the item should land.
QImage render(const TRect& frame, int dpi, const std::function<void(TCanvas&)>& draw)
{
    QImage img(std::max(frame.Right + 40, 40), std::max(frame.Bottom + 40, 40), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QColor(0xC0, 0xD8, 0xFF));
    p.drawRect(QRect(frame.Left - 1, frame.Top - 1, frame.Width() + 1, frame.Height() + 1));
    TCanvas canvas(p, dpi, dpi);
    draw(canvas);
    return img;
}

int roundTrip(const QJsonObject& desc, TDrawRect& item, QJsonObject& dump)
{
    const QByteArray className = desc.value(QStringLiteral("class")).toString().toUtf8();
    const qint32 version = desc.value(QStringLiteral("version")).toInt(DrawRectCurrentVersion);
    QByteArray record;
    if (desc.contains(QStringLiteral("hex"))) {
        record = QByteArray::fromHex(desc.value(QStringLiteral("hex")).toString().toLatin1());
    } else {
        QBuffer out(&record);
        out.open(QIODevice::WriteOnly);
        item.SaveToStream(out);
    }
    std::unique_ptr<TDrawRect> copy = CreateDrawRect(className.constData());
    if (!copy) {
        dump[QStringLiteral("roundTrip")] = QJsonObject{
            {QStringLiteral("class"), QString::fromUtf8(className)},
            {QStringLiteral("error"), QStringLiteral("class not registered")},
        };
        return 1;
    }
    DrawRectFileVersion = version;
    QBuffer in(&record);
    in.open(QIODevice::ReadOnly);
    QJsonObject result{
        {QStringLiteral("class"), QString::fromUtf8(className)},
        {QStringLiteral("version"), version},
        {QStringLiteral("read"), QString::fromLatin1(record.toHex(' '))},
    };
    // A record the class cannot read is what the harness is there to show:
    // the reason goes into the dump, and the exit status says it failed.
    try {
        copy->LoadFromStream(in);
        QByteArray again;
        QBuffer out(&again);
        out.open(QIODevice::WriteOnly);
        copy->SaveToStream(out);
        result[QStringLiteral("consumed")] = static_cast<qint64>(in.pos());
        result[QStringLiteral("written")] = QString::fromLatin1(again.toHex(' '));
        result[QStringLiteral("identical")] = again == record;
    } catch (const std::exception& e) {
        result[QStringLiteral("consumed")] = static_cast<qint64>(in.pos());
        result[QStringLiteral("error")] = QString::fromUtf8(e.what());
        dump[QStringLiteral("roundTrip")] = result;
        return 1;
    }
    dump[QStringLiteral("roundTrip")] = result;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.contains(QStringLiteral("--help")))
        return fail(QStringLiteral("usage: drawprobe ITEM.json [OUTDIR]"));
    QFile file(args.at(1));
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read ") + args.at(1));
    QJsonParseError error;
    const QJsonObject desc = QJsonDocument::fromJson(file.readAll(), &error).object();
    if (error.error != QJsonParseError::NoError)
        return fail(args.at(1) + QStringLiteral(": ") + error.errorString());
    const QString outDir = args.size() > 2 ? args.at(2) : QStringLiteral(".");
    QDir().mkpath(outDir);
    InstallFontSubstitutes();

    // The printer: "dpi" 0 or absent means none (the screen at 96 dpi).
    const int dpi = desc.value(QStringLiteral("dpi")).toInt(0);
    const QJsonArray physical = desc.value(QStringLiteral("physicalOffset")).toArray();
    TRefDevice device;
    device.hasPrinter = dpi > 0;
    device.dpiX = device.dpiY = dpi > 0 ? dpi : 96;
    device.physicalOffsetX = physical.size() == 2 ? physical[0].toInt() : 0;
    device.physicalOffsetY = physical.size() == 2 ? physical[1].toInt() : 0;
    SetRefDevice(device);

    // The free text runs on its own until items are picked by class.
    if (desc.value(QStringLiteral("class")).toString() == QStringLiteral("TWordRect"))
        return RunProbeWord(desc, outDir);

    RegisterDrawRectClass(TDrawRectClass{"TProbeTextRect", {ikWord}, [](quint8) -> std::unique_ptr<TDrawRect> {
                                             return std::make_unique<TProbeTextRect>();
                                         }});

    TProbeTextRect item;
    const QJsonObject font = desc.value(QStringLiteral("font")).toObject();
    TFont f;
    SetFontAttr(&f, static_cast<std::uint8_t>(font.value(QStringLiteral("charset")).toInt(SHIFTJIS_CHARSET)),
                font.value(QStringLiteral("name")).toString(QStringLiteral("ＭＳ 明朝")),
                font.value(QStringLiteral("size")).toInt(12), font.value(QStringLiteral("style")).toInt(0));
    f.SetColor(static_cast<TColor>(font.value(QStringLiteral("color")).toInt(0)));
    item.SetFont(f);
    item.SetBaseFontHeight(desc.value(QStringLiteral("fontHeight")).toInt(-40));
    item.ResetFontHeight();
    item.SetVertical(static_cast<quint8>(desc.value(QStringLiteral("direction")).toInt(1)));
    item.SetUpsideDown(static_cast<quint8>(desc.value(QStringLiteral("upsideDown")).toInt(0)));
    QStringList lines;
    for (const QJsonValue& v : desc.value(QStringLiteral("lines")).toArray())
        lines << v.toString();
    item.SetLines(lines);
    item.SetZoom(desc.value(QStringLiteral("zoom")).toDouble(1.0));
    item.SetRect(rectFrom(desc.value(QStringLiteral("rect"))));
    item.SetClipSide(static_cast<quint8>(desc.value(QStringLiteral("clipSide")).toInt(0)));
    item.SetClipLine(desc.value(QStringLiteral("clipLine")).toInt(0));

    const QImage screen = render(item.GetDisplayRect(), 96, [&](TCanvas& c) { item.Draw(&c, 0, 0); });
    const QJsonArray offset = desc.value(QStringLiteral("offset")).toArray();
    item.PreparePrint(QPoint(offset.size() == 2 ? offset[0].toInt() : 0, offset.size() == 2 ? offset[1].toInt() : 0),
                      desc.value(QStringLiteral("physical")).toBool(true));
    const QImage paper = render(item.GetPrintRect(), device.dpiY, [&](TCanvas& c) { item.Print(&c, 0, 0); });
    if (!screen.save(outDir + QStringLiteral("/screen.png")) || !paper.save(outDir + QStringLiteral("/print.png")))
        return fail(QStringLiteral("cannot write the pictures into ") + outDir);

    const TMetafileEx& mf = item.GetMetafile();
    QJsonObject dump{
        {QStringLiteral("rect"), rectJson(item.GetRect())},
        {QStringLiteral("displayRect"), rectJson(item.GetDisplayRect())},
        {QStringLiteral("printRect"), rectJson(item.GetPrintRect())},
        {QStringLiteral("fontHeight"), item.GetFontHeight()},
        {QStringLiteral("decisions"), item.Decisions()},
        {QStringLiteral("metafile"),
         QJsonObject{{QStringLiteral("width"), mf.Width()},
                     {QStringLiteral("height"), mf.Height()},
                     {QStringLiteral("dpi"), QJsonArray{mf.DpiX(), mf.DpiY()}},
                     {QStringLiteral("items"), mf.ToJson()}}},
    };
    const int tripped =
        desc.contains(QStringLiteral("roundTrip")) ? roundTrip(desc.value(QStringLiteral("roundTrip")).toObject(), item, dump) : 0;
    QFile out(outDir + QStringLiteral("/dump.json"));
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(dump).toJson()) < 0)
        return fail(QStringLiteral("cannot write dump.json"));
    if (tripped != 0)
        return fail(QStringLiteral("round trip failed: ") +
                    dump.value(QStringLiteral("roundTrip")).toObject().value(QStringLiteral("error")).toString(
                        QStringLiteral("see dump.json")));
    return 0;
}

// drawprobe: renders one item described in a JSON file to a screen PNG (at a
// zoom) and a print PNG (at a printer resolution), and dumps the display
// list and the layout decisions as JSON. See tools/README.md.

#include "ProbeClasses.h"

#include "drawing/objects/DrawRect.h"
#include "drawing/objects/MetaRect.h"
#include "drawing/objects/PosRect.h"
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
#include <algorithm>
#include <cstdio>
#include <vector>
#include <exception>
#include <memory>

// The print mode (an item file with "print"): ProbePrint.cpp.
int ProbePrint(const QJsonObject& desc, const QString& outDir);
// Figures are drawn by ProbeFigure.cpp.
int RunFigureProbe(const QJsonObject& desc, const QString& outDir);

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

// The seven preprinted postal-code boxes under a postal-code item, in light
// red, spread over its frame as the item spreads its digits.
void drawPostalBoxes(QImage& img, const TRect& frame)
{
    QPainter p(&img);
    p.setPen(QColor(0xFF, 0xB0, 0xB0));
    int total = 0;
    for (int pitch : kPostalBoxPitch)
        total += pitch;
    int at = 0;
    for (int pitch : kPostalBoxPitch) {
        const double l = frame.Left + double(frame.Width()) * at / total;
        const double w = double(frame.Width()) * kPostalBoxWidth / total;
        p.drawRect(QRectF(l, frame.Top, w, frame.Height() - 1));
        at += pitch;
    }
}

struct TProbeItem {
    QJsonObject desc;
    QString className;
    const TProbeClass* probe = nullptr;
    std::unique_ptr<TDrawRect> item;
};

// Makes the item the file describes through the class registry and fills it;
// an empty item and the reason when that cannot be done.
TProbeItem makeItem(const QJsonObject& desc, QString& error)
{
    TProbeItem made;
    made.desc = desc;
    made.className = desc.value(QStringLiteral("class")).toString(QStringLiteral("TProbeTextRect"));
    const QByteArray name = made.className.toUtf8();
    const TDrawRectClass* cls = FindDrawRectClass(name.constData());
    made.probe = FindProbeClass(name.constData());
    if (!cls || !made.probe) {
        error = made.className + QStringLiteral(": class not registered");
        return made;
    }
    const int kind = desc.value(QStringLiteral("kind")).toInt(cls->Kinds.front());
    if (std::find(cls->Kinds.begin(), cls->Kinds.end(), kind) == cls->Kinds.end()) {
        error = made.className + QStringLiteral(" does not serve kind ") + QString::number(kind);
        return made;
    }
    made.item = cls->Create(static_cast<quint8>(kind));
    if (auto* text = dynamic_cast<TMetaRect*>(made.item.get())) {
        text->SetFont(ProbeFont(desc));
        text->SetVertical(static_cast<quint8>(desc.value(QStringLiteral("direction")).toInt(1)));
        text->SetUpsideDown(static_cast<quint8>(desc.value(QStringLiteral("upsideDown")).toInt(0)));
    }
    made.probe->Configure(*made.item, desc);
    made.item->SetZoom(desc.value(QStringLiteral("zoom")).toDouble(1.0));
    made.item->SetRect(rectFrom(desc.value(QStringLiteral("rect"))));
    made.item->SetClipSide(static_cast<quint8>(desc.value(QStringLiteral("clipSide")).toInt(0)));
    made.item->SetClipLine(desc.value(QStringLiteral("clipLine")).toInt(0));
    return made;
}

// The record is read back by the class the round trip names, else by the
// item's own.
int roundTrip(const QJsonObject& desc, TDrawRect& item, const QString& itemClass, QJsonObject& dump)
{
    const QByteArray className = desc.value(QStringLiteral("class")).toString(itemClass).toUtf8();
    const qint32 version = desc.value(QStringLiteral("version")).toInt(DrawRectCurrentVersion);
    QByteArray record;
    if (desc.contains(QStringLiteral("hex"))) {
        record = QByteArray::fromHex(desc.value(QStringLiteral("hex")).toString().toLatin1());
    } else {
        QBuffer out(&record);
        out.open(QIODevice::WriteOnly);
        item.SaveToStream(out);
    }
    // Without a kind the item's own serves when the class has it, else the
    // class's first, as makeItem() does.
    const TDrawRectClass* cls = FindDrawRectClass(className.constData());
    const auto serves = [cls](int kind) { return std::find(cls->Kinds.begin(), cls->Kinds.end(), kind) != cls->Kinds.end(); };
    QString refused;
    int kind = 0;
    if (!cls || cls->Kinds.empty())
        refused = QStringLiteral("class not registered");
    else if (desc.contains(QStringLiteral("kind")) && !serves(kind = desc.value(QStringLiteral("kind")).toInt(-1)))
        refused = QString::fromUtf8(className) + QStringLiteral(" does not serve kind ") +
                  desc.value(QStringLiteral("kind")).toVariant().toString();
    else if (!desc.contains(QStringLiteral("kind")))
        kind = serves(item.GetKind()) ? item.GetKind() : cls->Kinds.front();
    if (!refused.isEmpty()) {
        dump[QStringLiteral("roundTrip")] = QJsonObject{
            {QStringLiteral("class"), QString::fromUtf8(className)},
            {QStringLiteral("error"), refused},
        };
        return 1;
    }
    std::unique_ptr<TDrawRect> copy = cls->Create(static_cast<quint8>(kind));
    DrawRectFileVersion = version;
    QBuffer in(&record);
    in.open(QIODevice::ReadOnly);
    QJsonObject result{
        {QStringLiteral("class"), QString::fromUtf8(className)},
        {QStringLiteral("kind"), kind},
        {QStringLiteral("version"), version},
        {QStringLiteral("read"), QString::fromLatin1(record.toHex(' '))},
    };
    // A record the class cannot read is what the harness is there to show:
    // the reason goes into the dump, and the exit status says it failed.
    try {
        copy->LoadFromStream(in);
        // Every stored field by its name, with the value read.
        QJsonObject fields;
        copy->DescribeFields(fields);
        result[QStringLiteral("fields")] = fields;
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
    if (desc.contains(QStringLiteral("print")))
        return ProbePrint(desc, outDir);

    // The printer: "dpi" 0 or absent means none (the screen at 96 dpi).
    const int dpi = desc.value(QStringLiteral("dpi")).toInt(0);
    const QJsonArray physical = desc.value(QStringLiteral("physicalOffset")).toArray();
    TRefDevice device;
    device.hasPrinter = dpi > 0;
    device.dpiX = device.dpiY = dpi > 0 ? dpi : 96;
    device.physicalOffsetX = physical.size() == 2 ? physical[0].toInt() : 0;
    device.physicalOffsetY = physical.size() == 2 ? physical[1].toInt() : 0;
    SetRefDevice(device);

    DrawRectPaperLength = desc.value(QStringLiteral("paperLength")).toInt(kPostcardPaperLength);
    RegisterProbeClasses();
    if (desc.value(QStringLiteral("class")).toString() == QStringLiteral("TFigureRect"))
        return RunFigureProbe(desc, outDir);

    // One item, or with "items" a page of them, each entry's fields over the
    // file's own.
    std::vector<QJsonObject> descs;
    if (desc.contains(QStringLiteral("items"))) {
        for (const QJsonValue& v : desc.value(QStringLiteral("items")).toArray()) {
            QJsonObject merged = desc;
            merged.remove(QStringLiteral("items"));
            merged.remove(QStringLiteral("roundTrip"));
            const QJsonObject entry = v.toObject();
            for (auto it = entry.begin(); it != entry.end(); ++it)
                merged[it.key()] = it.value();
            descs.push_back(merged);
        }
    } else {
        descs.push_back(desc);
    }
    std::vector<TProbeItem> items;
    for (const QJsonObject& d : descs) {
        QString error;
        items.push_back(makeItem(d, error));
        if (!items.back().item)
            return fail(error);
    }

    const QJsonArray offset = desc.value(QStringLiteral("offset")).toArray();
    std::vector<TRect> displayFrames, printFrames;
    for (TProbeItem& p : items) {
        p.item->Refresh(false);
        displayFrames.push_back(p.item->GetDisplayRect());
        p.item->PreparePrint(QPoint(offset.size() == 2 ? offset[0].toInt() : 0, offset.size() == 2 ? offset[1].toInt() : 0),
                             desc.value(QStringLiteral("physical")).toBool(true));
        printFrames.push_back(p.item->GetPrintRect());
    }
    QImage screen = ProbeBlankPage(displayFrames);
    QImage paper = ProbeBlankPage(printFrames);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].desc.value(QStringLiteral("boxes")).toBool(false)) {
            drawPostalBoxes(screen, displayFrames[i]);
            drawPostalBoxes(paper, printFrames[i]);
        }
    {
        QPainter ps(&screen);
        TCanvas cs(ps, 96, 96);
        QPainter pp(&paper);
        TCanvas cp(pp, device.dpiX, device.dpiY);
        for (TProbeItem& p : items) {
            p.item->Draw(&cs, 0, 0);
            p.item->Print(&cp, 0, 0);
        }
    }
    if (!screen.save(outDir + QStringLiteral("/screen.png")) || !paper.save(outDir + QStringLiteral("/print.png")))
        return fail(QStringLiteral("cannot write the pictures into ") + outDir);

    const auto itemDump = [](const TProbeItem& p) {
        const TMetaRect* text = dynamic_cast<const TMetaRect*>(p.item.get());
        QJsonObject d{
            {QStringLiteral("class"), p.className},
            {QStringLiteral("kind"), p.item->GetKind()},
            {QStringLiteral("rect"), rectJson(p.item->GetRect())},
            {QStringLiteral("displayRect"), rectJson(p.item->GetDisplayRect())},
            {QStringLiteral("printRect"), rectJson(p.item->GetPrintRect())},
            {QStringLiteral("decisions"), p.probe->Decisions(*p.item)},
        };
        if (text) {
            const TMetafileEx& mf = text->GetMetafile();
            d[QStringLiteral("fontHeight")] = text->GetFontHeight();
            d[QStringLiteral("metafile")] = QJsonObject{{QStringLiteral("width"), mf.Width()},
                                                        {QStringLiteral("height"), mf.Height()},
                                                        {QStringLiteral("dpi"), QJsonArray{mf.DpiX(), mf.DpiY()}},
                                                        {QStringLiteral("items"), mf.ToJson()}};
        }
        return d;
    };
    QJsonObject dump;
    if (desc.contains(QStringLiteral("items"))) {
        QJsonArray all;
        for (const TProbeItem& p : items)
            all.append(itemDump(p));
        dump[QStringLiteral("items")] = all;
    } else {
        dump = itemDump(items.front());
    }
    const int tripped =
        desc.contains(QStringLiteral("roundTrip")) ? roundTrip(desc.value(QStringLiteral("roundTrip")).toObject(), *items.front().item, items.front().className, dump) : 0;
    QFile out(outDir + QStringLiteral("/dump.json"));
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(dump).toJson()) < 0)
        return fail(QStringLiteral("cannot write dump.json"));
    if (tripped != 0)
        return fail(QStringLiteral("round trip failed: ") +
                    dump.value(QStringLiteral("roundTrip")).toObject().value(QStringLiteral("error")).toString(
                        QStringLiteral("see dump.json")));
    return 0;
}

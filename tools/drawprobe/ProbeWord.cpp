#include "ProbeWord.h"

#include "core/common/FontUtils.h"
#include "drawing/objects/StreamIO.h"
#include "drawing/objects/WordRect.h"
#include "platform/Canvas.h"
#include "platform/RefDevice.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <cstdio>
#include <exception>
#include <functional>

namespace {

QJsonArray RectJson(const TRect& r) { return QJsonArray{r.Left, r.Top, r.Right, r.Bottom}; }

QImage Render(const TRect& frame, int dpi, const std::function<void(TCanvas&)>& draw)
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

QJsonObject RoundTrip(const QJsonObject& trip, const TWordRect& item, bool& failed)
{
    const qint32 version = trip.value(QStringLiteral("version")).toInt(DrawRectCurrentVersion);
    QByteArray record;
    if (trip.contains(QStringLiteral("hex"))) {
        record = QByteArray::fromHex(trip.value(QStringLiteral("hex")).toString().toLatin1());
    } else {
        QBuffer out(&record);
        out.open(QIODevice::WriteOnly);
        item.SaveToStream(out);
    }
    QJsonObject result{{QStringLiteral("class"), QStringLiteral("TWordRect")},
                       {QStringLiteral("version"), version},
                       {QStringLiteral("read"), QString::fromLatin1(record.toHex(' '))}};
    TWordRect copy;
    const qint32 saved = DrawRectFileVersion;
    DrawRectFileVersion = version;
    QBuffer in(&record);
    in.open(QIODevice::ReadOnly);
    try {
        copy.LoadFromStream(in);
        QByteArray again;
        QBuffer out(&again);
        out.open(QIODevice::WriteOnly);
        copy.SaveToStream(out);
        QJsonObject fields;
        copy.DescribeFields(fields);
        result[QStringLiteral("fields")] = fields;
        result[QStringLiteral("consumed")] = static_cast<qint64>(in.pos());
        result[QStringLiteral("written")] = QString::fromLatin1(again.toHex(' '));
        result[QStringLiteral("identical")] = again == record;
        failed = false;
    } catch (const std::exception& e) {
        result[QStringLiteral("consumed")] = static_cast<qint64>(in.pos());
        result[QStringLiteral("error")] = QString::fromUtf8(e.what());
        failed = true;
    }
    DrawRectFileVersion = saved;
    return result;
}

} // namespace

void ConfigureProbeWord(TDrawRect& item, const QJsonObject& desc)
{
    auto* word = dynamic_cast<TWordRect*>(&item);
    if (!word)
        return;
    const QJsonObject font = desc.value(QStringLiteral("font")).toObject();
    TFont f;
    SetFontAttr(&f, static_cast<std::uint8_t>(font.value(QStringLiteral("charset")).toInt(SHIFTJIS_CHARSET)),
                font.value(QStringLiteral("name")).toString(QStringLiteral("ＭＳ 明朝")),
                font.value(QStringLiteral("size")).toInt(12), font.value(QStringLiteral("style")).toInt(0));
    f.SetColor(static_cast<TColor>(font.value(QStringLiteral("color")).toInt(0)));
    word->SetFont(f);
    word->SetVertical(static_cast<quint8>(desc.value(QStringLiteral("direction")).toInt(1)));
    word->SetUpsideDown(static_cast<quint8>(desc.value(QStringLiteral("upsideDown")).toInt(0)));
    QStringList lines;
    for (const QJsonValue& v : desc.value(QStringLiteral("lines")).toArray())
        lines << v.toString();
    word->SetLines(lines);
    word->SetSizeIndex(desc.value(QStringLiteral("sizeIndex")).toInt(0));
    word->SetAlign(desc.value(QStringLiteral("align")).toInt(0));
    word->SetWordWrap(desc.value(QStringLiteral("wordWrap")).toBool(false));
    word->SetLineSpace(static_cast<quint8>(desc.value(QStringLiteral("lineSpace")).toInt(0)));
    word->SetAspectRatio(desc.value(QStringLiteral("aspectRatio")).toInt(100));
    const QJsonObject frame = desc.value(QStringLiteral("frame")).toObject();
    TRectFrame& fr = word->GetFrame();
    fr.SetFrame(frame.value(QStringLiteral("frame")).toBool(false));
    fr.SetBack(frame.value(QStringLiteral("back")).toBool(false));
    fr.SetLineCount(static_cast<quint8>(frame.value(QStringLiteral("lineCount")).toInt(0)));
    fr.SetCorner(static_cast<quint8>(frame.value(QStringLiteral("corner")).toInt(0)));
    fr.SetLineWidth(static_cast<quint8>(frame.value(QStringLiteral("lineWidth")).toInt(0)));
    fr.SetFrameColor(static_cast<TColor>(frame.value(QStringLiteral("frameColor")).toInt(0)));
    fr.SetBackColor(static_cast<TColor>(frame.value(QStringLiteral("backColor")).toInt(0)));
}

QJsonObject ProbeWordDecisions(const TDrawRect& item)
{
    const auto* word = dynamic_cast<const TWordRect*>(&item);
    if (!word)
        return {};
    const TWordLayout& l = word->LastLayout();
    QJsonArray placed;
    for (int i = 0; i < l.Lines.size(); ++i)
        placed.append(QJsonObject{{QStringLiteral("text"), l.Lines.at(i)},
                                  {QStringLiteral("x"), l.Positions[size_t(i)].x()},
                                  {QStringLiteral("y"), l.Positions[size_t(i)].y()}});
    return QJsonObject{{QStringLiteral("fitted"), l.Fitted},       {QStringLiteral("insetX"), l.InsetX},
                       {QStringLiteral("insetY"), l.InsetY},       {QStringLiteral("lineHeight"), l.LineHeight},
                       {QStringLiteral("gap"), l.Gap},             {QStringLiteral("flags"), int(l.Flags)},
                       {QStringLiteral("lines"), placed}};
}

int RunProbeWord(const QJsonObject& desc, const QString& outDir)
{
    TWordRect item;
    ConfigureProbeWord(item, desc);
    item.SetZoom(desc.value(QStringLiteral("zoom")).toDouble(1.0));
    const QJsonArray r = desc.value(QStringLiteral("rect")).toArray();
    item.SetRect(r.size() == 4 ? TRect(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt()) : TRect());
    const QImage screen = Render(item.GetDisplayRect(), 96, [&](TCanvas& c) { item.Draw(&c, 0, 0); });
    const QJsonObject decisions = ProbeWordDecisions(item);
    item.PreparePrint(QPoint(0, 0), true);
    const QImage paper = Render(item.GetPrintRect(), RefDevice().dpiY, [&](TCanvas& c) { item.Print(&c, 0, 0); });
    if (!screen.save(outDir + QStringLiteral("/screen.png")) || !paper.save(outDir + QStringLiteral("/print.png"))) {
        std::fprintf(stderr, "drawprobe: cannot write the pictures into %s\n", qPrintable(outDir));
        return 1;
    }
    QJsonObject dump{{QStringLiteral("class"), QStringLiteral("TWordRect")},
                     {QStringLiteral("rect"), RectJson(item.GetRect())},
                     {QStringLiteral("displayRect"), RectJson(item.GetDisplayRect())},
                     {QStringLiteral("printRect"), RectJson(item.GetPrintRect())},
                     {QStringLiteral("decisions"), decisions},
                     {QStringLiteral("metafile"), item.GetMetafile().ToJson()}};
    bool failed = false;
    if (desc.contains(QStringLiteral("roundTrip")))
        dump[QStringLiteral("roundTrip")] = RoundTrip(desc.value(QStringLiteral("roundTrip")).toObject(), item, failed);
    QFile out(outDir + QStringLiteral("/dump.json"));
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(dump).toJson()) < 0) {
        std::fprintf(stderr, "drawprobe: cannot write dump.json\n");
        return 1;
    }
    if (failed) {
        std::fprintf(stderr, "drawprobe: round trip failed\n");
        return 1;
    }
    return 0;
}

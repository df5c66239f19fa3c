#include "ProbeIllust.h"

#include "drawing/objects/BackImage.h"
#include "drawing/objects/IllustRect.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <algorithm>

namespace {

TColor ColorOf(const QJsonValue& v, TColor fallback)
{
    if (v.isString())
        return static_cast<TColor>(v.toString().toUInt(nullptr, 0));
    return v.isDouble() ? static_cast<TColor>(v.toDouble()) : fallback;
}

QImage Pattern(int w, int h)
{
    QImage pic = NewBitmap24(std::clamp(w, 1, 4000), std::clamp(h, 1, 4000));
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x)
            pic.setPixelColor(x, y, x < pic.width() / 2 ? QColor(0, 0, 255) : QColor(0, 160, 0));
    return pic;
}

} // namespace

void ConfigureProbeIllust(TDrawRect& item, const QJsonObject& d)
{
    auto* p = dynamic_cast<TIllustRect*>(&item);
    if (!p)
        return;
    if (IllustMaskFiles().isEmpty())
        AddIllustMaskFilesFrom(QCoreApplication::applicationDirPath());
    // The item's rectangle first, so that the mask rectangle is given in
    // layout pixels and stays where it is given.
    const QJsonArray r = d.value(QStringLiteral("rect")).toArray();
    const TRect rect(r.at(0).toInt(), r.at(1).toInt(), r.at(2).toInt(), r.at(3).toInt());
    if (d.contains(QStringLiteral("picture"))) {
        qint32 dpi = 96;
        if (const std::optional<TGraphic> g = LoadImageFile(d.value(QStringLiteral("picture")).toString(), dpi)) {
            p->LoadFromGraphic(&*g);
            p->SetResolution(dpi);
        }
    } else if (d.contains(QStringLiteral("pattern"))) {
        const QJsonArray size = d.value(QStringLiteral("pattern")).toArray();
        const TGraphic g = Pattern(size.at(0).toInt(80), size.at(1).toInt(80));
        p->LoadFromGraphic(&g);
        p->SetResolution(96);
    }
    if (d.contains(QStringLiteral("resolution")))
        p->SetResolution(d.value(QStringLiteral("resolution")).toInt());
    for (const QJsonValue& v : d.value(QStringLiteral("reverse")).toArray())
        p->Reverse(v.toString() == QLatin1String("lr"));
    for (const QJsonValue& v : d.value(QStringLiteral("rotate")).toArray())
        p->Rotate(static_cast<quint8>(v.toInt()));
    p->SetRect(rect);
    if (d.contains(QStringLiteral("maskRect"))) {
        const QJsonArray m = d.value(QStringLiteral("maskRect")).toArray();
        p->SetZoom(1.0);
        p->SetDisplayMaskRect(TRect(m.at(0).toInt(), m.at(1).toInt(), m.at(2).toInt(), m.at(3).toInt()));
    }
    p->SetMaskIndex(d.value(QStringLiteral("maskIndex")).toInt(-1));
    if (d.contains(QStringLiteral("transparentColor")))
        p->SetTransparentColor(ColorOf(d.value(QStringLiteral("transparentColor")), clNone));
    p->SetMaskTurned(d.value(QStringLiteral("maskTurned")).toBool(false));
    p->SetClipPrinting(d.value(QStringLiteral("clipPrinting")).toBool(false));
    p->SetHighQuality(d.value(QStringLiteral("highQuality")).toBool(false));
    const QJsonObject frame = d.value(QStringLiteral("frame")).toObject();
    TRectFrame& fr = p->GetFrame();
    fr.SetFrame(frame.value(QStringLiteral("frame")).toBool(false));
    fr.SetBack(frame.value(QStringLiteral("back")).toBool(false));
    fr.SetLineCount(static_cast<quint8>(frame.value(QStringLiteral("lineCount")).toInt(0)));
    fr.SetCorner(static_cast<quint8>(frame.value(QStringLiteral("corner")).toInt(0)));
    fr.SetLineWidth(static_cast<quint8>(frame.value(QStringLiteral("lineWidth")).toInt(0)));
    fr.SetFrameColor(ColorOf(frame.value(QStringLiteral("frameColor")), 0));
    fr.SetBackColor(ColorOf(frame.value(QStringLiteral("backColor")), 0));
}

QJsonObject ProbeIllustDecisions(const TDrawRect& item)
{
    const auto* p = dynamic_cast<const TIllustRect*>(&item);
    if (!p)
        return {};
    const TRect m = p->GetDisplayMaskRect();
    return QJsonObject{
        {QStringLiteral("picture"), QJsonArray{p->GetBitmap().width(), p->GetBitmap().height()}},
        {QStringLiteral("maskShapeLoaded"), p->HasMaskShape()},
        {QStringLiteral("displayMaskRect"), QJsonArray{m.Left, m.Top, m.Right, m.Bottom}},
        {QStringLiteral("cache"), QJsonArray{p->GetCache().width(), p->GetCache().height()}},
        {QStringLiteral("printImage"), QJsonArray{p->GetPrintImage().width(), p->GetPrintImage().height()}},
    };
}

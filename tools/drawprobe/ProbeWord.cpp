#include "ProbeWord.h"

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

void ConfigureProbeWord(TDrawRect& item, const QJsonObject& desc)
{
    auto* word = dynamic_cast<TWordRect*>(&item);
    if (!word)
        return;
    // drawprobe has set the font, direction and upsideDown of every text item.
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


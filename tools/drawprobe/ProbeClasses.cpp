#include "ProbeClasses.h"

#include "ProbeCodes.h"
#include "ProbeIllust.h"
#include "ProbeNameClasses.h"
#include "ProbeSender.h"
#include "ProbeTextRect.h"
#include "ProbeWord.h"

#include "core/common/FontUtils.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/DrawItems.h"
#include "drawing/objects/DrawRect.h"
#include "drawing/objects/PosRect.h"

#include <QJsonArray>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <memory>

namespace {

QStringList Lines(const QJsonObject& desc)
{
    QStringList lines;
    for (const QJsonValue& v : desc.value(QStringLiteral("lines")).toArray())
        lines << v.toString();
    return lines;
}

QJsonArray BoxJson(const QRect& r)
{
    return QJsonArray{r.x(), r.y(), r.width(), r.height()};
}

void ConfigureText(TDrawRect& item, const QJsonObject& desc)
{
    auto& t = static_cast<TProbeTextRect&>(item);
    t.SetBaseFontHeight(desc.value(QStringLiteral("fontHeight")).toInt(-40));
    t.ResetFontHeight();
    t.SetLines(Lines(desc));
}

QJsonObject TextDecisions(const TDrawRect& item)
{
    return static_cast<const TProbeTextRect&>(item).Decisions();
}

void ConfigurePos(TDrawRect& item, const QJsonObject& desc)
{
    auto& p = static_cast<TPosRect&>(item);
    p.SetInSenderBlock(static_cast<quint8>(desc.value(QStringLiteral("inSenderBlock")).toInt(0)));
    p.ResetFontHeight();
    p.SetPosCode(desc.value(QStringLiteral("posCode")).toString());
}

QJsonObject PosDecisions(const TDrawRect& item)
{
    const TPosRect::TLayout& l = static_cast<const TPosRect&>(item).LastLayout();
    QJsonArray advances;
    for (int a : l.Advances)
        advances.append(a);
    return QJsonObject{
        {QStringLiteral("drawn"), l.Drawn},
        {QStringLiteral("form"), l.Boxes ? QStringLiteral("boxes") : QStringLiteral("text")},
        {QStringLiteral("text"), l.Text},
        {QStringLiteral("origin"), QJsonArray{l.Origin.x(), l.Origin.y()}},
        {QStringLiteral("advances"), advances},
        {QStringLiteral("fittedHeight"), l.FontHeight},
    };
}

void ConfigureAddress(TDrawRect& item, const QJsonObject& desc)
{
    auto& a = static_cast<TAddressRect&>(item);
    const QStringList lines = Lines(desc);
    for (int i = 0; i < 3; ++i)
        a.SetAddress(i, i < lines.size() ? lines.at(i) : QString());
    a.SetSizeStep(desc.value(QStringLiteral("sizeStep")).toInt(3));
    a.SetInSenderBlock(static_cast<quint8>(desc.value(QStringLiteral("inSenderBlock")).toInt(0)));
    a.SetVertNumeral(static_cast<quint8>(desc.value(QStringLiteral("vertNumeral")).toInt(0)));
    a.SetSizeIndex(desc.value(QStringLiteral("sizeIndex")).toInt(0));
    a.ResetFontHeight();
}

QJsonObject AddressDecisions(const TDrawRect& item)
{
    const TAddressRect::TLayout& l = static_cast<const TAddressRect&>(item).LastLayout();
    QJsonArray runs;
    for (const TAddressRect::TPlaced& r : l.Runs)
        runs.append(QJsonObject{{QStringLiteral("text"), r.Text},
                                {QStringLiteral("vertical"), r.Vertical},
                                {QStringLiteral("column"), r.Column},
                                {QStringLiteral("box"), BoxJson(r.Box)}});
    return QJsonObject{
        {QStringLiteral("drawn"), l.Drawn},
        {QStringLiteral("fixedSize"), l.FixedSize},
        {QStringLiteral("lines"), l.Lines},
        {QStringLiteral("fittedHeight"), l.FontHeight},
        {QStringLiteral("runs"), runs},
    };
}

const TProbeClass kClasses[] = {
    {"TProbeTextRect", ConfigureText, TextDecisions},
    {"TPosRect", ConfigurePos, PosDecisions},
    {"TAddressRect", ConfigureAddress, AddressDecisions},
    {"TNameRect", ConfigureProbeNameRect, DescribeProbeNameRect},
    {"TCorpRect", ConfigureProbeCorpRect, DescribeProbeNameRect},
    {"TAdditionRect", ConfigureProbeAdditionRect, DescribeProbeNameRect},
    {"TWordRect", ConfigureProbeWord, ProbeWordDecisions},
    {"TIllustRect", ConfigureProbeIllust, ProbeIllustDecisions},
    {"TSenderRect", ConfigureProbeSender, ProbeSenderDecisions},
    {"TBarcodeRect", ConfigureProbeBarcode, ProbeBarcodeDecisions},
    {"TQRCodeRect", ConfigureProbeQRCode, ProbeQRCodeDecisions},
};

} // namespace

void RegisterProbeClasses()
{
    RegisterDrawItemClasses();
    if (!FindDrawRectClass("TProbeTextRect"))
        RegisterDrawRectClass(TDrawRectClass{"TProbeTextRect", {kProbeTextKind}, [](quint8) -> std::unique_ptr<TDrawRect> {
                                                 return std::make_unique<TProbeTextRect>();
                                             }});
}

const TProbeClass* FindProbeClass(std::string_view Name)
{
    for (const TProbeClass& c : kClasses)
        if (Name == c.Name)
            return &c;
    return nullptr;
}

TFont ProbeFont(const QJsonObject& Desc)
{
    const QJsonObject font = Desc.value(QStringLiteral("font")).toObject();
    TFont f;
    SetFontAttr(&f, static_cast<std::uint8_t>(font.value(QStringLiteral("charset")).toInt(SHIFTJIS_CHARSET)),
                font.value(QStringLiteral("name")).toString(QStringLiteral("ＭＳ 明朝")),
                font.value(QStringLiteral("size")).toInt(12), font.value(QStringLiteral("style")).toInt(0));
    f.SetColor(static_cast<TColor>(font.value(QStringLiteral("color")).toInt(0)));
    return f;
}

QRect ProbeSaturatedRect(qint64 Left, qint64 Top, qint64 Right, qint64 Bottom)
{
    static constexpr qint64 lo = -kProbeMaxPictureSide, hi = 2 * qint64(kProbeMaxPictureSide);
    const auto held = [](qint64 v) { return int(std::clamp(v, lo, hi)); };
    return QRect(QPoint(held(Left), held(Top)), QPoint(held(Right) - 1, held(Bottom) - 1));
}

QImage ProbeBlankPage(const std::vector<TRect>& Frames, QRgb Page)
{
    qint64 w = 40, h = 40;
    for (const TRect& f : Frames) {
        // A frame beginning beyond the largest picture shows nowhere on it.
        if (f.Left >= kProbeMaxPictureSide || f.Top >= kProbeMaxPictureSide)
            continue;
        w = std::max(w, qint64(f.Right) + 40);
        h = std::max(h, qint64(f.Bottom) + 40);
    }
    QImage img(int(std::min<qint64>(w, kProbeMaxPictureSide)), int(std::min<qint64>(h, kProbeMaxPictureSide)),
               QImage::Format_RGB32);
    img.fill(Page);
    QPainter p(&img);
    p.setPen(QColor(0xC0, 0xD8, 0xFF));
    p.setBrush(Qt::NoBrush);
    for (const TRect& f : Frames)
        p.drawRect(ProbeSaturatedRect(qint64(f.Left) - 1, qint64(f.Top) - 1, qint64(f.Right) + 1, qint64(f.Bottom) + 1));
    return img;
}

#include "drawing/objects/CorpRect.h"

#include "core/common/FontUtils.h"
#include "core/common/Units.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/RefDevice.h"

#include <QIODevice>
#include <algorithm>

namespace {

constexpr QChar kIdeographicSpace(0x3000);

const qint32 kAddresseeHeights[5] = {-20, -30, -40, -47, -55};
const qint32 kSenderHeights[5] = {-18, -23, -29, -35, -40};

qint32 Rounded(double v)
{
    return static_cast<qint32>(RoundHalfUp(v));
}

} // namespace

bool BreakAtSpace(QString& Head, QString& Rest)
{
    const QString text = Head;
    // Positions count from 1, as the rule is stated; 0 means none.
    qsizetype p = text.indexOf(kIdeographicSpace) + 1;
    if (p == 0) {
        Rest.clear();
        return false;
    }
    if (text.indexOf(kIdeographicSpace, p) >= 0) {
        const qsizetype h = text.size() / 2;
        if (text.at(h) == kIdeographicSpace) { // the character at h + 1
            p = h + 1;
        } else {
            const qsizetype left = h > 0 ? text.lastIndexOf(kIdeographicSpace, h - 1) + 1 : 0;
            const qsizetype found = text.indexOf(kIdeographicSpace, h + 1);
            const qsizetype right = found >= 0 ? found + 1 : text.size();
            p = (h + 1) - left <= right - (h + 1) ? left : right;
        }
    }
    const QString head = p > 0 ? text.left(p - 1) : QString();
    const QString rest = text.mid(p);
    if (head.size() >= 3 && rest.size() >= 3) {
        Head = head;
        Rest = rest;
        return true;
    }
    // One line after all: the text as it came, every space kept.
    Head = text;
    Rest.clear();
    return false;
}

qint32 NameSideDefaultHeight(bool SenderRow, qint32 SizeStep)
{
    const int column = std::clamp(SizeStep, 1, 5) - 1;
    return SenderRow ? kSenderHeights[column] : kAddresseeHeights[column];
}

TTextFrame TextFrameOf(const QPoint& Size, quint8 Direction)
{
    const TRefDevice& ref = RefDevice();
    TTextFrame f;
    f.mx = ref.hasPrinter ? Rounded(4.0 * ref.dpiX / 96) : 4;
    f.my = ref.hasPrinter ? Rounded(4.0 * ref.dpiY / 96) : 4;
    f.vertical = Direction == 0;
    const qint64 along = f.vertical ? qint64(Size.y()) - 2 * f.my : qint64(Size.x()) - 2 * f.mx;
    const qint64 across = f.vertical ? qint64(Size.x()) - 2 * f.mx : qint64(Size.y()) - 2 * f.my;
    // A frame no paper has (from a damaged record) draws nothing, so the
    // layout sums stay far inside the Int32 range.
    if (along > kMaxTextFrame || across > kMaxTextFrame)
        return f;
    f.A = static_cast<qint32>(along);
    f.B = static_cast<qint32>(across);
    return f;
}

void SetFontDirection(TFont& Font, bool Vertical)
{
    if (Vertical)
        SetFontVertical(Font);
    else
        SetFontHorizontal(Font);
}

TCorpRect::TCorpRect()
{
    BaseFontHeight = -40;
}

void TCorpRect::Assign(const TDrawRect& Source)
{
    TMetaRect::Assign(Source);
    if (const auto* c = dynamic_cast<const TCorpRect*>(&Source))
        SizeStep = c->SizeStep;
}

void TCorpRect::ClearContent()
{
    TMetaRect::ClearContent();
    Corp.clear();
    Honor.clear();
}

void TCorpRect::ResetFontHeight()
{
    BaseFontHeight = NameSideDefaultHeight(SenderItem && !InSenderBlock, SizeStep);
    TMetaRect::ResetFontHeight();
}

void TCorpRect::SetCorp(const QString& Text)
{
    if (Corp != Text) {
        Corp = Text;
        Valid = false;
    }
}

void TCorpRect::SetHonor(const QString& Text)
{
    if (Honor != Text) {
        Honor = Text;
        if (ShowHonor == 1)
            Valid = false;
    }
}

void TCorpRect::SetCorpBreak(quint8 Value)
{
    if (CorpBreak != Value) {
        CorpBreak = Value;
        Valid = false;
    }
}

void TCorpRect::SetShowHonor(quint8 Value)
{
    if (ShowHonor != Value) {
        ShowHonor = Value;
        Valid = false;
    }
}

void TCorpRect::LoadFromStream(QIODevice& Stream)
{
    TMetaRect::LoadFromStream(Stream);
    SizeStep = DrawRectFileVersion >= 500 ? ReadStreamInt32(Stream) : 3;
}

void TCorpRect::SaveToStream(QIODevice& Stream) const
{
    TMetaRect::SaveToStream(Stream);
    WriteStreamInt32(Stream, SizeStep);
}

void TCorpRect::RenderContent(TCanvas& Canvas, const QPoint& Size)
{
    if (Corp.isEmpty())
        return;
    const TTextFrame f = TextFrameOf(Size, Direction);
    if (f.A <= 0 || f.B <= 0)
        return;
    SetCanvasFont(Canvas);
    SetFontDirection(Canvas.Font(), f.vertical);
    const qint32 baseHeight = Canvas.Font().Height();
    auto tw = [&] { return Canvas.TextWidth(QStringLiteral("一")); };
    auto th = [&] { return Canvas.TextHeight(QStringLiteral("一")); };
    const bool honorShown = ShowHonor == 1 && !Honor.isEmpty();
    auto honorPart = [&] { return honorShown ? Rounded(tw() / 3.0) + Canvas.TextWidth(Honor) : 0; };

    QString head = Corp;
    QString rest;
    bool twoLines = false;
    if (CorpBreak && Canvas.TextWidth(head) + honorPart() - 2 * tw() > f.A && BreakAtSpace(head, rest)) {
        twoLines = ScaleCanvasFont(Canvas, f.B, 2 * th(), false) &&
                   Canvas.TextWidth(head) + Canvas.TextWidth(rest) - tw() + honorPart() >= f.A;
        if (!twoLines) {
            head = Corp;
            rest.clear();
            Canvas.Font().SetHeight(baseHeight);
        }
    }
    if (!twoLines && !ScaleCanvasFont(Canvas, f.B, th(), false))
        return;
    qint32 length = twoLines ? std::max(Canvas.TextWidth(head), Canvas.TextWidth(rest)) + tw() : Canvas.TextWidth(head);
    length += honorPart();
    if (length > f.A && !ScaleCanvasFont(Canvas, f.A, length, false))
        return;

    const qint32 TW = tw();
    const qint32 TH = th();
    const qint32 part = honorPart();
    QPoint first, second, honor;
    if (!f.vertical) {
        first = QPoint(f.mx, twoLines ? f.B / 2 + f.my - TH : (f.B - TH) / 2 + f.my);
        second = QPoint(f.mx + f.A - Canvas.TextWidth(rest) - part, first.y() + TH);
        honor = twoLines ? QPoint(f.mx + f.A - Canvas.TextWidth(Honor), second.y())
                         : QPoint(first.x() + Canvas.TextWidth(head) + Rounded(TW / 3.0), first.y());
    } else {
        first = QPoint(twoLines ? f.B / 2 + f.mx + TH : f.mx + f.B - (f.B - TH) / 2, f.my);
        second = QPoint(first.x() - TH, f.my + f.A - Canvas.TextWidth(rest) - part);
        honor = twoLines ? QPoint(second.x(), f.my + f.A - Canvas.TextWidth(Honor))
                         : QPoint(first.x(), first.y() + Canvas.TextWidth(head) + Rounded(TW / 3.0));
    }
    Canvas.SetBkMode(gdi::TRANSPARENT);
    if (UpsideDown)
        RotateFont180(Canvas.Font());
    auto place = [&](const QPoint& p) { return UpsideDown ? MirroredPoint(Size, p) : p; };
    auto draw = [&](const QPoint& p, const QString& text) {
        const QPoint at = place(p);
        Canvas.TextOut(at.x(), at.y(), text);
    };
    draw(first, head);
    if (twoLines)
        draw(second, rest);
    if (honorShown)
        draw(honor, Honor);
}

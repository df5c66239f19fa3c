#include "drawing/objects/AdditionRect.h"

#include "core/common/FontUtils.h"
#include "drawing/objects/CorpRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"

#include <QIODevice>
#include <algorithm>

namespace {

const qint32 kAdditionHeights[5] = {-14, -17, -21, -25, -28};

// Records of versions 103 to 200 numbered the data items before eight new
// ones were put in front of them, and three more before the contact lines.
quint8 RenumberedFieldId(quint8 id)
{
    if (id <= 2)
        return id;
    int renumbered = id + 8;
    if (renumbered > 15)
        renumbered += 3;
    return static_cast<quint8>(std::min(renumbered, 255));
}

} // namespace

TAdditionRect::TAdditionRect()
{
    BaseFontHeight = -21;
}

void TAdditionRect::Assign(const TDrawRect& Source)
{
    TMetaRect::Assign(Source);
    if (const auto* a = dynamic_cast<const TAdditionRect*>(&Source); a && a != this) {
        FieldId = a->FieldId;
        if (FieldId == kAdditionFixedText)
            Text = a->Text;
        SizeStep = a->SizeStep;
    }
}

void TAdditionRect::ClearContent()
{
    TMetaRect::ClearContent();
    if (FieldId != kAdditionFixedText) {
        Caption.clear();
        Text.clear();
    }
}

void TAdditionRect::ResetFontHeight()
{
    BaseFontHeight = kAdditionHeights[std::clamp(SizeStep, 1, 5) - 1];
    TMetaRect::ResetFontHeight();
}

void TAdditionRect::SetCaption(const QString& Value)
{
    if (Caption != Value) {
        Caption = Value;
        Valid = false;
    }
}

void TAdditionRect::SetText(const QString& Value)
{
    if (Text != Value) {
        Text = Value;
        Valid = false;
    }
}

void TAdditionRect::LoadFromStream(QIODevice& Stream)
{
    TMetaRect::LoadFromStream(Stream);
    // Up to version 200 the base record had no Visible byte; this item kept
    // its own.
    const bool visible = DrawRectFileVersion <= 200 ? ReadStreamBool(Stream) : Visible;
    quint8 fieldId = kAdditionContact1;
    if (DrawRectFileVersion >= 103) {
        fieldId = ReadStreamByte(Stream);
        if (DrawRectFileVersion <= 200)
            fieldId = RenumberedFieldId(fieldId);
    }
    QString text = Text;
    if (fieldId == kAdditionFixedText)
        ReadStreamStr(Stream, text);
    const qint32 sizeStep = DrawRectFileVersion >= 500 ? ReadStreamInt32(Stream) : 3;
    Visible = visible;
    FieldId = fieldId;
    Text = text;
    SizeStep = sizeStep;
}

void TAdditionRect::SaveToStream(QIODevice& Stream) const
{
    TMetaRect::SaveToStream(Stream);
    WriteStreamByte(Stream, FieldId);
    if (FieldId == kAdditionFixedText)
        WriteStreamStr(Text, Stream);
    WriteStreamInt32(Stream, SizeStep);
}

void TAdditionRect::RenderContent(TCanvas& Canvas, const QPoint& Size)
{
    if (Text.isEmpty())
        return;
    const TTextFrame f = TextFrameOf(Size, Direction);
    if (f.A < 1 || f.B < 1)
        return;
    SetCanvasFont(Canvas);
    SetFontDirection(Canvas.Font(), f.vertical);
    if (!ScaleCanvasFont(Canvas, f.B, Canvas.TextHeight(QStringLiteral("一")), false))
        return;
    const QString line = Caption.isEmpty() ? Text : Caption + QStringLiteral("  ") + Text;
    if (!ScaleCanvasFont(Canvas, f.A, Canvas.TextWidth(line), false))
        return;
    const qint32 TH = Canvas.TextHeight(QStringLiteral("一"));
    QPoint at = f.vertical ? QPoint((f.B - TH) / 2 + f.mx + TH, f.my) : QPoint(f.mx, (f.B - TH) / 2 + f.my);
    Canvas.SetBkMode(gdi::TRANSPARENT);
    if (f.vertical)
        SetFontVertical(Canvas.Font());
    if (UpsideDown) {
        RotateFont180(Canvas.Font());
        at = MirroredPoint(Size, at);
    }
    Canvas.TextOut(at.x(), at.y(), line);
    if (UpsideDown)
        RotateFont180(Canvas.Font());
}

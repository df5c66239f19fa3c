#include "drawing/objects/MetaRect.h"

#include "core/common/FontUtils.h"
#include "core/common/Units.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/Cp932.h"
#include "platform/RefDevice.h"

#include <QIODevice>
#include <QJsonObject>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Rectangles, clip lines and font heights can hold any Int32: every product
// is taken in floating point and brought back into the Int32 range.
qint32 SaturatedInt32(long double v)
{
    return static_cast<qint32>(std::clamp<int64_t>(RoundHalfUp(v), INT32_MIN, INT32_MAX));
}

qint32 TruncatedInt32(long double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<qint32>(std::clamp<long double>(std::trunc(v), INT32_MIN, INT32_MAX));
}

qint32 ToDevice(qint64 layoutPixels, int dpi)
{
    return SaturatedInt32(static_cast<long double>(layoutPixels) * dpi / 96);
}

qint32 ScaledHeight(qint32 base, qint32 paperLength)
{
    return TruncatedInt32(static_cast<long double>(base) * paperLength / 1480.0L);
}

} // namespace

TMetaRect::TMetaRect() = default;
TMetaRect::~TMetaRect() = default;

void TMetaRect::Assign(const TDrawRect& Source)
{
    TDrawRect::Assign(Source);
    if (const auto* m = dynamic_cast<const TMetaRect*>(&Source); m && m != this) {
        Font.Assign(m->Font);
        StoredFaceName = m->StoredFaceName;
        BaseFontHeight = m->BaseFontHeight;
        FontHeight = m->FontHeight;
        // Stored by every text item (an address's fixed size): a copy
        // without it prints at another size and saves other bytes.
        SizeIndex = m->SizeIndex;
        Direction = m->Direction;
        UpsideDown = m->UpsideDown;
    }
    Valid = false;
}

void TMetaRect::SetRect(const TRect& R)
{
    TDrawRect::SetRect(R);
    Valid = false;
}

void TMetaRect::SetDisplayRect(const TRect& R)
{
    const TRect before = Rect;
    TDrawRect::SetDisplayRect(R);
    // Moving keeps the recording; only a new size needs a new one.
    if (Rect.Width() != before.Width() || Rect.Height() != before.Height())
        Valid = false;
}

void TMetaRect::SetClipSide(quint8 Value)
{
    TDrawRect::SetClipSide(Value);
    Valid = false;
}

void TMetaRect::SetClipLine(qint32 Value)
{
    TDrawRect::SetClipLine(Value);
    if (ClipSide != csNone)
        Valid = false;
}

void TMetaRect::SetFont(const TFont& Value)
{
    Font.Assign(Value);
    Valid = false;
}

void TMetaRect::SetVertical(quint8 Value)
{
    if (Direction != Value) {
        Direction = Value;
        Valid = false;
    }
}

void TMetaRect::ScaleFontHeight(qint32 PaperLength)
{
    FontHeight = ScaledHeight(BaseFontHeight, PaperLength);
    Valid = false;
}

void TMetaRect::ClearContent()
{
    Metafile.Clear();
    Valid = false;
}

void TMetaRect::ResetFontHeight()
{
    FontHeight = ScaledHeight(BaseFontHeight, DrawRectPaperLength);
    Valid = false;
}

void TMetaRect::SetSizeIndex(qint32 Value)
{
    if (SizeIndex != Value) {
        SizeIndex = Value;
        Valid = false;
    }
}

void TMetaRect::SetUpsideDown(quint8 Value)
{
    if (UpsideDown != Value) {
        UpsideDown = Value;
        Valid = false;
    }
}

void TMetaRect::Refresh(bool Force)
{
    const TRefDevice& ref = RefDevice();
    const bool otherDevice = Metafile.DpiX() != ref.dpiX || Metafile.DpiY() != ref.dpiY;
    if (Force || !Valid || otherDevice)
        RebuildMetafile();
}

void TMetaRect::RebuildMetafile()
{
    Metafile.Clear();
    Valid = false;
    if (Rect.Width() <= 0 || Rect.Height() <= 0)
        return;
    const TRefDevice& ref = RefDevice();
    const int dpiX = ref.dpiX;
    const int dpiY = ref.dpiY;
    const QPoint size(ToDevice(Rect.Width(), dpiX), ToDevice(Rect.Height(), dpiY));
    const qint32 side = std::max(size.x(), size.y());
    Metafile.SetResolution(dpiX, dpiY);
    Metafile.SetWidth(side);
    Metafile.SetHeight(side);

    // The part of the square that stays visible, by clip side.
    int cl = 0, ct = 0, cr = side, cb = side;
    switch (ClipSide) {
    case csLeft: cr = ToDevice(qint64(ClipLine) - Rect.Left, dpiX); break;
    case csAbove: cb = ToDevice(qint64(ClipLine) - Rect.Top, dpiY); break;
    case csRight: cl = ToDevice(qint64(ClipLine) - Rect.Left, dpiX); break;
    case csBelow: ct = ToDevice(qint64(ClipLine) - Rect.Top, dpiY); break;
    default: break;
    }
    try {
        // The canvas ends the clip when it goes, also when rendering throws.
        TCanvas canvas(Metafile);
        if (ClipSide != csNone) {
            const TRegion region = TRegion::Rect(cl, ct, cr, cb);
            canvas.SelectClipRgn(&region);
        }
        RenderContent(canvas, size);
    } catch (...) {
        Metafile.Clear();
        throw;
    }
    Valid = true;
}

void TMetaRect::SetCanvasFont(TCanvas& Canvas) const
{
    Canvas.SetFont(Font);
    const TRefDevice& ref = RefDevice();
    Canvas.Font().SetHeight(ref.hasPrinter ? TruncatedInt32(static_cast<long double>(FontHeight) * ref.dpiY / 96)
                                           : FontHeight);
}

void TMetaRect::Draw(TCanvas* Canvas, qint32 X, qint32 Y)
{
    if (!Canvas)
        return;
    Refresh(false);
    if (Metafile.Width() <= 0 || Metafile.Height() <= 0)
        return;
    // Each axis maps the item's extent at the recording's resolution of
    // that axis onto its displayed extent: a printer with two resolutions
    // records a square whose pixels are not square.
    const qint32 recordedW = ToDevice(Rect.Width(), Metafile.DpiX());
    const qint32 recordedH = ToDevice(Rect.Height(), Metafile.DpiY());
    if (recordedW <= 0 || recordedH <= 0)
        return;
    const double sx = double(DisplayRect.Width()) / recordedW;
    const double sy = double(DisplayRect.Height()) / recordedH;
    const TFont saved = Canvas->Font();
    Canvas->StretchDraw(QRectF(double(DisplayRect.Left) + X, double(DisplayRect.Top) + Y, Metafile.Width() * sx,
                               Metafile.Height() * sy),
                        Metafile);
    Canvas->Font() = saved;
}

void TMetaRect::Print(TCanvas* Canvas, qint32 X, qint32 Y)
{
    if (Canvas)
        PlayRecordingAtPhysicalSize(*Canvas, Metafile, double(PrintRect.Left) + X, double(PrintRect.Top) + Y);
}

void PlayRecordingAtPhysicalSize(TCanvas& Canvas, const TMetafileEx& Metafile, double Left, double Top)
{
    if (Metafile.Width() <= 0 || Metafile.Height() <= 0)
        return;
    const double sx = double(Canvas.DpiX()) / Metafile.DpiX();
    const double sy = double(Canvas.DpiY()) / Metafile.DpiY();
    Canvas.StretchDraw(QRectF(Left, Top, Metafile.Width() * sx, Metafile.Height() * sy), Metafile);
}

void TMetaRect::LoadFromStream(QIODevice& Stream)
{
    // A record cut short leaves the item, base part included, as it was, so
    // its recording still matches it.
    const TRect rect = Rect;
    const TRect displayRect = DisplayRect;
    const bool visible = Visible;
    qint32 charset, size, style, color, sizeIndex;
    QByteArray name;
    quint8 direction, upsideDown;
    try {
        TDrawRect::LoadFromStream(Stream);
        charset = ReadStreamInt32(Stream);
        ReadStreamStr(Stream, name);
        size = ReadStreamInt32(Stream);
        style = ReadStreamInt32(Stream);
        color = ReadStreamInt32(Stream);
        sizeIndex = DrawRectFileVersion >= 600 ? ReadStreamInt32(Stream) : 0;
        direction = ReadStreamByte(Stream);
        upsideDown = DrawRectFileVersion >= 200 ? ReadStreamByte(Stream) : 0;
    } catch (...) {
        Rect = rect;
        DisplayRect = displayRect;
        Visible = visible;
        throw;
    }
    // A size no font takes (a damaged record) is kept to the largest one, so
    // no height derived from it overflows.
    size = std::clamp(size, -kMaxFontPoints, kMaxFontPoints);
    SetFontAttr(&Font, static_cast<std::uint8_t>(charset), cp932::Decode(name), size, style);
    Font.SetColor(static_cast<TColor>(color));
    StoredFaceName = name;
    SizeIndex = sizeIndex;
    Direction = direction;
    UpsideDown = upsideDown;
    Valid = false;
}

void TMetaRect::SaveToStream(QIODevice& Stream) const
{
    TDrawRect::SaveToStream(Stream);
    WriteStreamInt32(Stream, Font.Charset());
    if (!StoredFaceName.isNull() && cp932::Decode(StoredFaceName) == Font.Name())
        WriteStreamStr(StoredFaceName, Stream);
    else
        WriteStreamStr(Font.Name(), Stream);
    WriteStreamInt32(Stream, Font.Size());
    WriteStreamInt32(Stream, FontStyleToBits(Font));
    WriteStreamInt32(Stream, static_cast<qint32>(Font.Color()));
    WriteStreamInt32(Stream, SizeIndex);
    WriteStreamByte(Stream, Direction);
    WriteStreamByte(Stream, UpsideDown);
}

void TMetaRect::DescribeFields(QJsonObject& Fields) const
{
    TDrawRect::DescribeFields(Fields);
    Fields[QStringLiteral("FontCharset")] = Font.Charset();
    Fields[QStringLiteral("FontName")] = Font.Name();
    Fields[QStringLiteral("FontSize")] = Font.Size();
    Fields[QStringLiteral("FontStyle")] = FontStyleToBits(Font);
    Fields[QStringLiteral("FontColor")] = static_cast<qint64>(Font.Color());
    Fields[QStringLiteral("SizeIndex")] = SizeIndex;
    Fields[QStringLiteral("Direction")] = Direction;
    Fields[QStringLiteral("UpsideDown")] = UpsideDown;
}

bool ScaleCanvasFont(TCanvas& Canvas, qint32 Available, qint32 Needed, bool AllowGrow)
{
    // Nothing to fit: an empty text, or a measure of nothing.
    if (Needed <= 0)
        return true;
    const double ratio = double(Available) / Needed;
    if (ratio < 0 || (!AllowGrow && ratio >= 1))
        return true;
    const double h = std::trunc(Canvas.Font().Height() * ratio);
    if (h >= 0)
        return false;
    // A height beyond any device keeps the canvas usable.
    Canvas.Font().SetHeight(static_cast<int>(std::max(h, -1.0e6)));
    return true;
}

void SplitTextAtWidth(TCanvas& Canvas, QString& Text, qint32 MaxWidth, QString& Rest)
{
    if (Text.isEmpty()) {
        Rest.clear();
        return;
    }
    int fit = 0;
    Canvas.GetTextExtentExPointW(Text, MaxWidth, &fit);
    Rest = Text.mid(fit);
    Text.truncate(fit);
}

qint32 GetTextWidthW(TCanvas& Canvas, const QString& Text)
{
    return Canvas.TextWidth(Text);
}

bool ExtTextOutWEx(TCanvas& Canvas, qint32 X, qint32 Y, unsigned Options, const QRect* Rect, const QString& Text,
                   const int* Dx)
{
    return Canvas.ExtTextOutW(X, Y, Options, Rect, Text, Dx);
}

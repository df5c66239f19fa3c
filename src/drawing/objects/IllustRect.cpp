#include "drawing/objects/IllustRect.h"

#include "core/common/Units.h"
#include "drawing/objects/BackImage.h"
#include "drawing/objects/Resample.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/Metafile.h"
#include "platform/MetafileFile.h"
#include "platform/RefDevice.h"

#include <QBuffer>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// A JPEG embedded in a record: far beyond any photograph, and far below
// what a damaged length could ask for.
constexpr qint32 kMaxJpegBytes = 256 * 1024 * 1024;
// Sequential streams are read in pieces, so a length the stream cannot
// back never allocates more than it delivers.
constexpr qint64 kReadChunk = 1024 * 1024;
// The largest rendering made for the screen or the printer: an A3 page at
// 600 dpi is some 35 million pixels.
constexpr qint64 kMaxRenderPixels = 64'000'000;

[[noreturn]] void Unreadable()
{
    throw EDrawRectStreamError(kImageUnreadableMessage);
}

bool IsJpegType(const QString& type)
{
    return type == QLatin1String("jpg") || type == QLatin1String("jpeg");
}

qint32 Saturated(long double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<qint32>(std::clamp<int64_t>(RoundHalfUp(std::clamp<long double>(v, -4.0e18L, 4.0e18L)),
                                                   INT_MIN, INT_MAX));
}

TRect Scaled(const TRect& r, long double fx, long double fy)
{
    return {Saturated(r.Left * fx), Saturated(r.Top * fy), Saturated(r.Right * fx), Saturated(r.Bottom * fy)};
}

bool IsEmptyRect(const TRect& r)
{
    return r.Width() <= 0 || r.Height() <= 0;
}

bool RenderableSize(qint64 w, qint64 h)
{
    return w > 0 && h > 0 && w <= kMaxRenderPixels && h <= kMaxRenderPixels && w * h <= kMaxRenderPixels;
}

// The JPEG bytes of a record: N, then N bytes.
QByteArray ReadJpegData(QIODevice& Stream)
{
    const qint32 n = ReadStreamInt32(Stream);
    if (n <= 0 || n > kMaxJpegBytes)
        Unreadable();
    if (!Stream.isSequential() && n > Stream.size() - Stream.pos())
        Unreadable();
    QByteArray data;
    try {
        while (data.size() < n) {
            const qint64 part = std::min<qint64>(kReadChunk, n - data.size());
            const qsizetype at = data.size();
            data.resize(at + part);
            ReadStreamBytes(Stream, data.data() + at, part);
        }
    } catch (const EDrawRectStreamError&) {
        Unreadable();
    }
    return data;
}

// Kept-JPEG flags after a mirror: two mirrors are a half turn.
void MirrorFlags(bool leftRight, quint8& flipV, quint8& flipH, quint8& orientation)
{
    if (leftRight)
        flipH ^= 1;
    else
        flipV ^= 1;
    if (flipV && flipH) {
        flipV = flipH = 0;
        if (orientation == ioHalf)
            orientation = ioUpright;
        else if (orientation == ioUpright)
            orientation = ioHalf;
    } else if (orientation == ioLeft) {
        orientation = ioRight;
    } else if (orientation == ioRight) {
        orientation = ioLeft;
    }
}

quint8 TurnedOrientation(quint8 direction, quint8 o)
{
    static const quint8 table[3][4] = {{2, 3, 1, 0}, {3, 2, 0, 1}, {1, 0, 3, 2}};
    return direction < 3 && o < 4 ? table[direction][o] : o;
}

} // namespace

TIllustRect::TIllustRect()
{
    Frame.OnFrameChange = [this](TRectFrame* s) { FrameChanged(s); };
}

TIllustRect::~TIllustRect() = default;

void TIllustRect::FrameChanged(TRectFrame*)
{
    ClearCache();
}

void TIllustRect::UpdateDisplayMaskRect()
{
    DisplayMaskRect = Scaled(MaskRect, Zoom, Zoom);
}

void TIllustRect::Assign(const TDrawRect& Source)
{
    const auto* s = dynamic_cast<const TIllustRect*>(&Source);
    if (s == this)
        return;
    TDrawRect::Assign(Source);
    if (s) {
        SetImageType(s->ImageType);
        Bitmap = s->Bitmap;
        if (s->SourceJPEG && SourceJPEG)
            SourceJPEG = s->SourceJPEG;
        FlipVertical = s->FlipVertical;
        FlipHorizontal = s->FlipHorizontal;
        Orientation = s->Orientation;
        Resolution = s->Resolution;
        MaskIndex = s->MaskIndex;
        MaskRect = s->MaskRect;
        DisplayMaskRect = s->DisplayMaskRect;
        MaskShape = s->MaskShape ? std::make_unique<TMetafileEx>(*s->MaskShape) : nullptr;
        TransparentColor = s->TransparentColor;
        // The copy's own frame events stay bound to the copy.
        Frame.Assign(s->Frame);
        ClipPrinting = s->ClipPrinting;
        MaskTurned = s->MaskTurned;
    }
    ClearCache();
    MaskBitmap = QImage();
}

void TIllustRect::SetZoom(double Value)
{
    TDrawRect::SetZoom(Value);
    UpdateDisplayMaskRect();
    ClearCache();
}

void TIllustRect::ScaleMaskRect(const TRect& OldRect, const TRect& NewRect)
{
    // An empty old rectangle has no ratio: the mask keeps its size.
    const long double rx = OldRect.Width() != 0 ? static_cast<long double>(NewRect.Width()) / OldRect.Width() : 1.0L;
    const long double ry =
        OldRect.Height() != 0 ? static_cast<long double>(NewRect.Height()) / OldRect.Height() : 1.0L;
    const TRect relative = Moved(MaskRect, -qint64(OldRect.Left), -qint64(OldRect.Top));
    MaskRect = Moved(Scaled(relative, rx, ry), NewRect.Left, NewRect.Top);
}

void TIllustRect::SetRect(const TRect& R)
{
    const TRect old = Rect;
    const bool follow = !IsEmptyRect(MaskRect);
    TDrawRect::SetRect(R);
    if (follow)
        ScaleMaskRect(old, Rect);
    else
        MaskRect = Rect;
    UpdateDisplayMaskRect();
    ClearCache();
}

void TIllustRect::SetDisplayRect(const TRect& R)
{
    const TRect oldLogical = Rect;
    const TRect oldDisplay = DisplayRect;
    const bool follow = !IsEmptyRect(MaskRect);
    TDrawRect::SetDisplayRect(R);
    if (follow) {
        const long double rx =
            oldDisplay.Width() != 0 ? static_cast<long double>(DisplayRect.Width()) / oldDisplay.Width() : 1.0L;
        const long double ry =
            oldDisplay.Height() != 0 ? static_cast<long double>(DisplayRect.Height()) / oldDisplay.Height() : 1.0L;
        const TRect relative = Moved(MaskRect, -qint64(oldLogical.Left), -qint64(oldLogical.Top));
        MaskRect = Moved(Scaled(relative, rx, ry), Rect.Left, Rect.Top);
    } else {
        MaskRect = Rect;
    }
    UpdateDisplayMaskRect();
    ClearCache();
}

void TIllustRect::SetImageType(const QString& Type)
{
    ImageType = Type.toLower();
    SourceJPEG.reset();
    if (IsJpegType(ImageType))
        SourceJPEG.emplace();
}

void TIllustRect::LoadFromGraphic(const TGraphic* Graphic)
{
    const auto* image = Graphic ? std::get_if<QImage>(Graphic) : nullptr;
    if (!Graphic || (image && (image->isNull() || image->width() <= 0 || image->height() <= 0))) {
        SetImageType(QString());
        Bitmap = QImage();
    } else if (image) {
        SetImageType(QStringLiteral("bmp"));
        Bitmap = To24Bit(*image);
    } else {
        const TJPEGImage& jpeg = std::get<TJPEGImage>(*Graphic);
        const QImage decoded = jpeg.Decode();
        if (decoded.isNull()) {
            // Nothing to show: the item is left without a picture rather
            // than with data it cannot draw.
            SetImageType(QString());
            Bitmap = QImage();
        } else {
            SetImageType(QStringLiteral("jpg"));
            SourceJPEG = jpeg;
            Bitmap = To24Bit(decoded);
        }
    }
    TransparentColor = clNone;
    if (!MaskShape)
        MaskBitmap = QImage();
    ClearCache();
    FlipVertical = FlipHorizontal = 0;
    Orientation = ioUpright;
}

void TIllustRect::SetMaskIndex(qint32 Index)
{
    if (Index == MaskIndex)
        return;
    MaskIndex = Index;
    MaskShape.reset();
    MaskBitmap = QImage();
    if (Index >= 0) {
        const QStringList& files = IllustMaskFiles();
        if (Index < files.size()) {
            auto shape = std::make_unique<TMetafileEx>();
            if (LoadMetafileFile(files.at(Index), *shape))
                MaskShape = std::move(shape);
        }
        TransparentColor = clNone;
    }
    ClearCache();
}

void TIllustRect::SetTransparentColor(TColor Color)
{
    if (Color == TransparentColor)
        return;
    TransparentColor = Color;
    if (Color != clNone) {
        MaskIndex = -1;
        MaskShape.reset();
    }
    MaskBitmap = QImage();
    ClearCache();
}

void TIllustRect::SetMaskTurned(bool Value)
{
    if (Value == MaskTurned)
        return;
    MaskTurned = Value;
    ClearCache();
}

void TIllustRect::Reverse(bool LeftRight)
{
    if (HasPicture())
        if (auto mirrored = MirrorBitmap(Bitmap, LeftRight))
            Bitmap = std::move(*mirrored);
    ClearCache();
    if (SourceJPEG)
        MirrorFlags(LeftRight, FlipVertical, FlipHorizontal, Orientation);
}

void TIllustRect::Rotate(quint8 Direction)
{
    if (Direction > ioHalf)
        return;
    if (HasPicture())
        if (auto turned = RotateBitmap(Bitmap, Direction))
            Bitmap = std::move(*turned);
    ClearCache();
    if (SourceJPEG)
        Orientation = TurnedOrientation(Direction, Orientation);
}

void TIllustRect::SetDisplayMaskRect(const TRect& R)
{
    DisplayMaskRect = R;
    if (Zoom != 0)
        MaskRect = Scaled(R, 1.0L / Zoom, 1.0L / Zoom);
    ClearCache();
}

quint16 TIllustRect::GetMaskHitZone(qint32 X, qint32 Y) const
{
    const TRect& m = DisplayMaskRect;
    const quint8 zx = HitZone(X, m.Left, m.Right, hzLeft, hzRight);
    const quint8 zy = HitZone(Y, m.Top, m.Bottom, hzTop, hzBottom);
    return quint16(zx | (zy << 8));
}

Qt::CursorShape TIllustRect::GetMaskCursor(qint32 X, qint32 Y) const
{
    const quint16 zone = GetMaskHitZone(X, Y);
    const quint8 zx = zone & 0xFF, zy = zone >> 8;
    const bool sideX = zx == hzLeft || zx == hzRight;
    const bool sideY = zy == hzTop || zy == hzBottom;
    if (sideX && sideY)
        return (zx == hzLeft) == (zy == hzTop) ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    if (zx == hzCentre && sideY)
        return Qt::SizeVerCursor;
    if (sideX && zy == hzCentre)
        return Qt::SizeHorCursor;
    const TRect& m = DisplayMaskRect;
    if (X >= m.Left && X < m.Right && Y >= m.Top && Y < m.Bottom)
        return Qt::SizeAllCursor;
    return Qt::ArrowCursor;
}

void TIllustRect::SetHighQuality(bool Value)
{
    if (Value == HighQuality)
        return;
    HighQuality = Value;
    ClearCache();
}

void TIllustRect::FreePrintImage()
{
    PrintImage = QImage();
}

// --- screen ---------------------------------------------------------------------------

void TIllustRect::Draw(TCanvas* Canvas, qint32 X, qint32 Y)
{
    if (!Canvas || !HasPicture() || IsEmptyRect(DisplayRect))
        return;
    const TRect r = Moved(DisplayRect, X, Y);
    const TRect inner = Frame.Draw(*Canvas, r, Zoom);
    if (IsEmptyRect(inner))
        return;
    const qint32 w = inner.Width(), h = inner.Height();
    if (!RenderableSize(w, h))
        return;
    if (!Masked() && !HighQuality) {
        Canvas->StretchDraw(QRect(inner.Left, inner.Top, w, h), Bitmap);
        return;
    }
    // The stretched picture (and its mask) is made only for the part of the
    // item on the screen or in the clip, relative to inner's top-left: a
    // zoomed item many times the window costs no more than the window. The
    // part made serves again while what shows lies inside it.
    const TRect shown = VisiblePart(*Canvas, inner);
    if (IsEmptyRect(shown))
        return;
    const TRect part = Moved(shown, -qint64(inner.Left), -qint64(inner.Top));
    const int pw = part.Width(), ph = part.Height();
    const bool made = !Cache.isNull() && CacheFor == QSize(w, h) && part.Left >= CachePart.Left &&
                      part.Top >= CachePart.Top && part.Right <= CachePart.Right && part.Bottom <= CachePart.Bottom &&
                      (!Masked() || MaskBitmap.size() == Cache.size());
    if (!made) {
        // Pixel (x, y) of the part is pixel (part.Left + x, part.Top + y) of the w x h whole.
        const TRect whole(-part.Left, -part.Top, w - part.Left, h - part.Top);
        if (MaskShape) {
            // A turned mask is the unturned one's opposite part, turned.
            const TRect from = MaskTurned ? TRect(w - part.Right, h - part.Bottom, w - part.Left, h - part.Top) : part;
            MaskBitmap = MaskFromShape(
                *MaskShape, Moved(DisplayMaskRect, qint64(X) - inner.Left - from.Left, qint64(Y) - inner.Top - from.Top),
                pw, ph);
            if (MaskTurned)
                if (auto turned = RotateBitmap(MaskBitmap, ioHalf))
                    MaskBitmap = std::move(*turned);
        } else if (Masked()) {
            MaskBitmap = NewBitmap1(pw, ph);
            StretchNearest(MaskFromColor(Bitmap, TransparentColor), MaskBitmap, whole);
        }
        Cache = NewBitmap24(pw, ph);
        if (HighQuality) {
            QImage source = Bitmap;
            StretchBitmapRect(source, &Cache, w, smAreaAverage, QPoint(0, 0), part, h);
        } else {
            StretchNearest(Bitmap, Cache, whole);
        }
        CacheFor = QSize(w, h);
        CachePart = part;
    }
    const QRect in(part.Left - CachePart.Left, part.Top - CachePart.Top, pw, ph);
    const QImage pic = in == Cache.rect() ? Cache : Cache.copy(in);
    const QRect dest(shown.Left, shown.Top, pw, ph);
    if (Masked()) {
        const QImage mask = in == MaskBitmap.rect() ? MaskBitmap : MaskBitmap.copy(in);
        Canvas->StretchDraw(dest, pic, &mask);
    } else {
        Canvas->StretchDraw(dest, pic);
    }
}

// --- paper ----------------------------------------------------------------------------

void TIllustRect::PreparePrint(const QPoint& Offset, bool Physical)
{
    TDrawRect::PreparePrint(Offset, Physical);
    const TRefDevice& dev = RefDevice();
    const long double dx = dev.dpiX / 96.0L, dy = dev.dpiY / 96.0L;
    const qint32 left = Saturated((static_cast<long double>(MaskRect.Left) - Rect.Left) * dx);
    const qint32 top = Saturated((static_cast<long double>(MaskRect.Top) - Rect.Top) * dy);
    const qint32 width = Saturated(MaskRect.Width() * dx);
    const qint32 height = Saturated(MaskRect.Height() * dy);
    PrintMaskRect = Moved(TRect(0, 0, width, height), left, top);

    const TRect content = Frame.GetFrame() ? Frame.GetInnerRect(PrintRect, dev.dpiY / 96.0) : PrintRect;
    const qint32 w = content.Width(), h = content.Height();
    const bool wanted = !IsEmptyRect(content) && TransparentColor == clNone && HasPicture() && Bitmap.width() > w &&
                        Bitmap.height() > h && RenderableSize(w, h);
    if (!wanted) {
        PrintImage = QImage();
        return;
    }
    // Every page prints the same picture at the same size: the image of
    // the page before serves again.
    if (PrintImage.size() == QSize(w, h))
        return;
    PrintImage = NewBitmap24(w, h);
    QImage source = Bitmap;
    StretchBitmap(source, &PrintImage, w, smAreaAverage, h);
}

void TIllustRect::Print(TCanvas* Canvas, qint32 X, qint32 Y)
{
    if (!Canvas || !HasPicture() || IsEmptyRect(PrintRect))
        return;
    const TRect r = Moved(PrintRect, X, Y);
    const TRect inner = Frame.Draw(*Canvas, r, RefDevice().dpiY / 96.0);
    if (IsEmptyRect(inner))
        return;
    const QImage& pic = PrintImage.isNull() ? Bitmap : PrintImage;
    if (!Masked()) {
        StretchDIB(*Canvas, pic, inner, SRCCOPY);
        return;
    }
    const TRect m = Moved(PrintMaskRect, qint64(r.Left) - inner.Left, qint64(r.Top) - inner.Top);
    if (ClipPrinting) {
        if (TransparentColor != clNone)
            DrawTransparentClip(*Canvas, Bitmap, TransparentColor, inner);
        else
            DrawMaskedClip(*Canvas, pic, *MaskShape, m, inner);
    } else {
        if (TransparentColor != clNone)
            DrawTransparentRop(*Canvas, Bitmap, TransparentColor, inner);
        else
            DrawMaskedRop(*Canvas, pic, *MaskShape, m, inner);
    }
}

// --- record ---------------------------------------------------------------------------

void TIllustRect::LoadFromStream(QIODevice& Stream)
{
    // Everything is read before the item changes, so a record that fails
    // half-way leaves it as it was.
    const TRect rect = Rect;
    const TRect displayRect = DisplayRect;
    const bool visible = Visible;
    QString type;
    QImage bitmap;
    std::optional<TJPEGImage> jpeg;
    quint8 flipV = 0, flipH = 0, orientation = ioUpright;
    qint32 resolution, maskIndex, transparent;
    TRect maskRect;
    bool maskTurned = false;
    TRectFrame frame;
    try {
        TDrawRect::LoadFromStream(Stream);
        ReadStreamStr(Stream, type);
        type = type.toLower();
        if (IsJpegType(type)) {
            jpeg = TJPEGImage{ReadJpegData(Stream)};
            bitmap = jpeg->Decode();
            if (bitmap.isNull())
                Unreadable();
            bitmap = To24Bit(bitmap);
            flipV = ReadStreamByte(Stream);
            flipH = ReadStreamByte(Stream);
            orientation = ReadStreamByte(Stream);
        } else if (!type.isEmpty()) {
            try {
                bitmap = To24Bit(ReadBmpFromStream(Stream));
            } catch (const EDrawRectStreamError&) {
                Unreadable();
            }
            if (bitmap.isNull())
                Unreadable();
        }
        resolution = ReadStreamInt32(Stream);
        maskIndex = ReadStreamInt32(Stream);
        // (The largest index names no shape either way; it stays.)
        if (DrawRectFileVersion < kIllustMaskIndexVersion && maskIndex >= 1 && maskIndex < INT_MAX)
            ++maskIndex;
        maskRect = DrawRectFileVersion >= kIllustMaskRectVersion ? ReadStreamRect(Stream) : Rect;
        transparent = ReadStreamInt32(Stream);
        frame.LoadFromStream(Stream);
        if (DrawRectFileVersion >= kIllustMaskTurnedVersion)
            maskTurned = ReadStreamBool(Stream);
    } catch (...) {
        Rect = rect;
        DisplayRect = displayRect;
        Visible = visible;
        throw;
    }

    SetImageType(type);
    Bitmap = bitmap;
    FlipVertical = FlipHorizontal = 0;
    Orientation = ioUpright;
    if (SourceJPEG) {
        SourceJPEG = std::move(jpeg);
        // The stored flags are replayed on the decoded picture, which gives
        // the picture as it was shown and the same flags back.
        if (flipV)
            Reverse(false);
        if (flipH)
            Reverse(true);
        if (orientation < ioUpright)
            Rotate(orientation);
    }
    Resolution = resolution;
    MaskRect = maskRect;
    UpdateDisplayMaskRect();
    Frame.Assign(frame);
    MaskTurned = maskTurned;
    SetMaskIndex(-1);
    SetTransparentColor(clNone);
    SetMaskIndex(maskIndex);
    SetTransparentColor(TColor(transparent));
    ClearCache();
    MaskBitmap = QImage();
}

void TIllustRect::SaveToStream(QIODevice& Stream) const
{
    TDrawRect::SaveToStream(Stream);
    // The type says what follows: a kept JPEG, a BMP, or nothing. A picture
    // without its JPEG data is stored as a BMP under that type, never under
    // a JPEG type the reader would take the BMP for.
    const bool jpeg = HasPicture() && SourceJPEG && !SourceJPEG->Empty();
    const bool bmp = !jpeg && HasPicture();
    const QString type = jpeg ? ImageType
                         : bmp ? (ImageType.isEmpty() || IsJpegType(ImageType) ? QStringLiteral("bmp") : ImageType)
                               : QString();
    WriteStreamStr(type, Stream);
    if (jpeg) {
        if (SourceJPEG->Data.size() > kMaxJpegBytes)
            throw EDrawRectStreamError("picture: too large to store");
        // Length first, then the data as read from the file.
        WriteStreamInt32(Stream, qint32(SourceJPEG->Data.size()));
        WriteStreamBytes(Stream, SourceJPEG->Data.constData(), SourceJPEG->Data.size());
        WriteStreamByte(Stream, FlipVertical);
        WriteStreamByte(Stream, FlipHorizontal);
        WriteStreamByte(Stream, Orientation);
    } else if (bmp) {
        WriteBmpToStream(Stream, Bitmap);
    }
    WriteStreamInt32(Stream, Resolution);
    WriteStreamInt32(Stream, MaskIndex);
    WriteStreamRect(Stream, MaskRect);
    WriteStreamInt32(Stream, qint32(TransparentColor));
    Frame.SaveToStream(Stream);
    WriteStreamBool(Stream, MaskTurned);
}

void TIllustRect::DescribeFields(QJsonObject& Fields) const
{
    TDrawRect::DescribeFields(Fields);
    Fields[QStringLiteral("ImageType")] = ImageType;
    Fields[QStringLiteral("Picture")] = QJsonArray{Bitmap.width(), Bitmap.height()};
    if (SourceJPEG) {
        Fields[QStringLiteral("JPEGBytes")] = qint64(SourceJPEG->Data.size());
        Fields[QStringLiteral("FlipVertical")] = FlipVertical;
        Fields[QStringLiteral("FlipHorizontal")] = FlipHorizontal;
        Fields[QStringLiteral("Orientation")] = Orientation;
    }
    Fields[QStringLiteral("Resolution")] = Resolution;
    Fields[QStringLiteral("MaskIndex")] = MaskIndex;
    Fields[QStringLiteral("MaskRect")] = QJsonArray{MaskRect.Left, MaskRect.Top, MaskRect.Right, MaskRect.Bottom};
    Fields[QStringLiteral("TransparentColor")] = qint64(TransparentColor);
    QJsonObject frame;
    Frame.DescribeFields(frame);
    Fields[QStringLiteral("Frame")] = frame;
    Fields[QStringLiteral("MaskTurned")] = MaskTurned;
}

const TDrawRectClass& IllustDrawRectClass()
{
    static const TDrawRectClass c{"TIllustRect", {ikIllust}, [](quint8) -> std::unique_ptr<TDrawRect> {
                                      return std::make_unique<TIllustRect>();
                                  }};
    return c;
}

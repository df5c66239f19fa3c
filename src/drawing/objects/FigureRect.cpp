#include "drawing/objects/FigureRect.h"

#include "drawing/objects/DrawItems.h"

#include "core/common/Units.h"
#include "drawing/objects/ImageUtils.h"
#include "drawing/objects/MetaRect.h"
#include "drawing/objects/PathUtils.h"
#include "drawing/objects/StreamIO.h"
#include "platform/RefDevice.h"

#include <QIODevice>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cmath>

using namespace gdi;

namespace {

// Device sizes stay below a quarter of the int range, so the sector's box
// of twice the size and every offset below still fit an int.
constexpr qint64 kMaxDeviceSide = 0x1FFFFFFF;

qint32 Saturated(long double v, qint64 lo = INT_MIN, qint64 hi = INT_MAX)
{
    if (std::isnan(v))
        return 0;
    return static_cast<qint32>(std::clamp<int64_t>(RoundHalfUp(std::clamp<long double>(v, -4.0e18L, 4.0e18L)), lo, hi));
}

qint32 ToDevice(qint64 layoutPixels, int dpi)
{
    return Saturated(static_cast<long double>(layoutPixels) * dpi / 96, -kMaxDeviceSide, kMaxDeviceSide);
}

qint32 Moved(qint32 v, qint32 by)
{
    return static_cast<qint32>(std::clamp<qint64>(qint64(v) + by, INT_MIN, INT_MAX));
}

// The reference resolution of the recording: the printer's, else the screen's.
void ReferenceDpi(int& dpiX, int& dpiY)
{
    const TRefDevice& ref = RefDevice();
    dpiX = ref.hasPrinter && ref.dpiX > 0 ? ref.dpiX : 96;
    dpiY = ref.hasPrinter && ref.dpiY > 0 ? ref.dpiY : 96;
}

// The largest figure recorded, in device pixels a side: more than a metre
// at 1200 dpi. A damaged record asking for more would have its outline cut
// into hundreds of millions of dashes; it records nothing.
constexpr qint32 kMaxFigureSide = 1 << 16;
// The largest gradation bitmap: a whole A3 page at 600 dpi takes 16 million
// pixels at 0.48 of its size.
constexpr qint64 kMaxGradientPixels = 25'000'000;

// Room for a gradation bitmap of w x h, not filled yet; null when the size
// is empty or beyond any page. The memory comes zeroed from the system and
// is taken up only where it is written: a gradation is filled only where it
// shows (FillShown), so a figure far larger than the page costs no more
// than the page.
QImage GradientSpaceOf(qint64 w, qint64 h)
{
    if (w <= 0 || h <= 0 || w > kMaxGradientPixels || h > kMaxGradientPixels || w * h > kMaxGradientPixels)
        return QImage();
    const qsizetype bytesPerLine = qsizetype((w * 3 + 3) / 4 * 4);
    void* data = std::calloc(size_t(bytesPerLine) * size_t(h), 1);
    if (!data)
        return QImage();
    return QImage(static_cast<uchar*>(data), int(w), int(h), bytesPerLine, QImage::Format_BGR888,
                  [](void* p) { std::free(p); }, data);
}

// Fills the part of the gradation bitmap that the visible part of Target
// (where the bitmap is stretched) reaches, unless Filled holds it already.
void FillShown(QImage& bitmap, QRect& filled, const TCanvas& canvas, const TRect& target, qint32 angle, TColor c1,
               TColor c2)
{
    const qint64 tw = target.Width(), th = target.Height(), bw = bitmap.width(), bh = bitmap.height();
    const TRect v = VisiblePart(canvas, target);
    if (bitmap.isNull() || tw <= 0 || th <= 0 || v.Right <= v.Left || v.Bottom <= v.Top)
        return;
    // Bitmap pixels under the visible device pixels, with a pixel to spare
    // each side for the stretch's rounding.
    auto from = [](qint64 d, qint64 t, qint64 b) { return std::clamp<qint64>(d * b / t - 2, 0, b); };
    auto to = [](qint64 d, qint64 t, qint64 b) { return std::clamp<qint64>((d * b + t - 1) / t + 2, 0, b); };
    const qint64 x0 = from(qint64(v.Left) - target.Left, tw, bw), x1 = to(qint64(v.Right) - target.Left, tw, bw);
    const qint64 y0 = from(qint64(v.Top) - target.Top, th, bh), y1 = to(qint64(v.Bottom) - target.Top, th, bh);
    const QRect needed(int(x0), int(y0), int(x1 - x0), int(y1 - y0));
    if (needed.isEmpty() || filled.contains(needed))
        return;
    // A view of those pixels in place.
    QImage part(bitmap.scanLine(needed.top()) + qsizetype(needed.left()) * 3, needed.width(), needed.height(),
                bitmap.bytesPerLine(), QImage::Format_BGR888);
    GradientFillPart(part, bitmap.width(), bitmap.height(), needed.topLeft(), angle, c1, c2);
    filled = needed;
}

// The sector's ellipse box in a rectangle L, T, R, B by apex corner (the
// ellipse's centre); nothing for another direction.
std::optional<TRect> SectorBox(quint8 direction, qint32 L, qint32 T, qint32 R, qint32 B)
{
    const qint64 w = qint64(R) - L, h = qint64(B) - T;
    auto box = [](qint64 l, qint64 t, qint64 r, qint64 b) {
        auto c = [](qint64 v) { return static_cast<qint32>(std::clamp<qint64>(v, INT_MIN, INT_MAX)); };
        return TRect(c(l), c(t), c(r), c(b));
    };
    switch (direction) {
    case sdBottomRight: return box(L, T, L + 2 * w, T + 2 * h);
    case sdBottomLeft: return box(L - w, T, L + w, T + 2 * h);
    case sdTopRight: return box(L, T - h, L + 2 * w, T + h);
    case sdTopLeft: return box(L - w, T - h, L + w, T + h);
    default: return std::nullopt;
    }
}

// The polygon of a rhombus inside L, T, R, B.
std::vector<QPoint> RhombusPoints(qint32 L, qint32 T, qint32 R, qint32 B)
{
    const qint32 w = static_cast<qint32>((qint64(R) - L) / 2), h = static_cast<qint32>((qint64(B) - T) / 2);
    return {QPoint(L + w, T), QPoint(R, T + h), QPoint(L + w, B), QPoint(L, T + h)};
}

// Fills the box (0, 0, W, H) inside Shape intersected with the canvas's
// clip, then selects the clip that was there before.
void FillBoxWithin(TCanvas& canvas, const TRegion& shape, int W, int H, const std::optional<TRegion>& base)
{
    canvas.ExtSelectClipRgn(&shape, RGN_AND);
    canvas.FillRect(QRect(0, 0, W, H));
    canvas.SelectClipRgn(base ? &*base : nullptr);
}

} // namespace

TFigureRect::TFigureRect() = default;
TFigureRect::~TFigureRect() = default;

QSize TFigureRect::CornerEllipse(qint32 Side, quint8 ClassH, quint8 ClassV)
{
    static constexpr double kFactors[] = {0.2, 1.0 / 3.0, 0.5};
    const double f0 = kFactors[std::min<quint8>(ClassH, 2)];
    const double f1 = kFactors[std::min<quint8>(ClassV, 2)];
    return QSize(Saturated(f0 * Side), Saturated(f1 * Side));
}

void TFigureRect::Assign(const TDrawRect& Source)
{
    TDrawRect::Assign(Source);
    if (const auto* f = dynamic_cast<const TFigureRect*>(&Source); f && f != this) {
        Frame = f->Frame;
        Back = f->Back;
        Gradation = f->Gradation;
        FigureKind = f->FigureKind;
        LineDirections = f->LineDirections;
        CornerRadius = f->CornerRadius;
        SectorDirection = f->SectorDirection;
        LineType = f->LineType;
        LineWidth = f->LineWidth;
        FrameColor = f->FrameColor;
        Color1 = f->Color1;
        Color2 = f->Color2;
        Angle = f->Angle;
    }
    FigureValid = GradientValid = RegionValid = false;
}

void TFigureRect::SetZoom(double Value)
{
    TDrawRect::SetZoom(Value);
    if (Gradated())
        GradientValid = RegionValid = false;
}

void TFigureRect::SetRect(const TRect& R)
{
    TDrawRect::SetRect(R);
    FigureValid = false;
    if (Gradated())
        GradientValid = RegionValid = false;
}

void TFigureRect::SetDisplayRect(const TRect& R)
{
    TDrawRect::SetDisplayRect(R);
    FigureValid = false;
    if (Gradated())
        GradientValid = RegionValid = false;
}

void TFigureRect::SetClipSide(quint8 Value)
{
    if (Value != ClipSide)
        FigureValid = false;
    TDrawRect::SetClipSide(Value);
}

void TFigureRect::SetClipLine(qint32 Value)
{
    if (Value != ClipLine && ClipSide != csNone)
        FigureValid = false;
    TDrawRect::SetClipLine(Value);
}

// --- setters ------------------------------------------------------------------------

void TFigureRect::SetFigureKind(quint8 Value)
{
    if (Value == FigureKind)
        return;
    FigureKind = Value;
    // A line figure is nothing but its outline.
    if (Value == fkLine)
        Frame = true;
    FigureValid = RegionValid = false;
}

void TFigureRect::SetLineDirections(quint8 Value)
{
    if (Value == LineDirections)
        return;
    LineDirections = Value;
    FigureValid = false;
}

void TFigureRect::SetCornerRadius(int Index, quint8 Value)
{
    if (Index < 0 || Index > 1 || CornerRadius[static_cast<size_t>(Index)] == Value)
        return;
    CornerRadius[static_cast<size_t>(Index)] = Value;
    FigureValid = false;
    if (Gradated())
        RegionValid = false;
}

void TFigureRect::SetSectorDirection(quint8 Value)
{
    if (Value == SectorDirection)
        return;
    SectorDirection = Value;
    FigureValid = false;
    if (Gradated())
        RegionValid = false;
}

void TFigureRect::SetFrame(bool Value)
{
    if (FigureKind == fkLine || Value == Frame)
        return;
    Frame = Value;
    FigureValid = false;
}

void TFigureRect::SetBack(bool Value)
{
    if (Value == Back)
        return;
    Back = Value;
    FigureValid = false;
    if (Gradation)
        GradientValid = RegionValid = false;
}

void TFigureRect::SetGradation(bool Value)
{
    if (Value == Gradation)
        return;
    Gradation = Value;
    FigureValid = false;
    if (Back)
        GradientValid = RegionValid = false;
}

void TFigureRect::SetLineType(quint8 Value)
{
    if (Value >= 5 || Value == LineType)
        return;
    LineType = Value;
    FigureValid = false;
}

void TFigureRect::SetLineWidth(qint32 Value)
{
    if (Value == LineWidth)
        return;
    LineWidth = Value;
    FigureValid = false;
}

void TFigureRect::SetFrameColor(TColor Value)
{
    if (Value == FrameColor)
        return;
    FrameColor = Value;
    FigureValid = false;
}

void TFigureRect::SetColor1(TColor Value)
{
    if (Value == Color1)
        return;
    Color1 = Value;
    FigureValid = false;
    if (Gradated())
        GradientValid = false;
}

void TFigureRect::SetColor2(TColor Value)
{
    if (Value == Color2)
        return;
    Color2 = Value;
    FigureValid = false;
    if (Gradated())
        GradientValid = false;
}

void TFigureRect::SetAngle(qint32 Value)
{
    if (Value == Angle)
        return;
    Angle = Value;
    FigureValid = false;
    if (Gradated())
        GradientValid = false;
}

// --- rendering ----------------------------------------------------------------------

// What the steps of a recording share: the figure's box in device pixels
// and the shapes in it, the fill, the outline's pen and the clip that keeps
// the visible part.
struct TFigureRect::TShape {
    qint32 W = 0, H = 0;
    QSize corner;
    std::vector<QPoint> rhombus;
    std::optional<TRect> sector;
    QPoint from, to; // the sector's radial points
    bool solidFill = false;
    qint32 penWidth = 0;
    const TDashPattern& pattern;
    std::optional<TRegion> base;
};

namespace {

// The part of a recording of Side x Side that stays visible, by clip side;
// nothing without a clip.
std::optional<TRegion> VisibleClip(quint8 clipSide, qint32 clipLine, const TRect& rect, qint32 side, int dpiX,
                                   int dpiY)
{
    if (clipSide == csNone)
        return std::nullopt;
    int cl = 0, ct = 0, cr = side, cb = side;
    switch (clipSide) {
    case csLeft: cr = ToDevice(qint64(clipLine) - rect.Left, dpiX); break;
    case csAbove: cb = ToDevice(qint64(clipLine) - rect.Top, dpiY); break;
    case csRight: cl = ToDevice(qint64(clipLine) - rect.Left, dpiX); break;
    case csBelow: ct = ToDevice(qint64(clipLine) - rect.Top, dpiY); break;
    default: break;
    }
    return TRegion::Rect(cl, ct, cr, cb);
}

// The lines of a line figure across its box W x H, by direction bits.
void DrawLines(TCanvas& canvas, quint8 directions, qint32 W, qint32 H)
{
    if (directions & ldHorizontal) {
        canvas.MoveTo(0, H / 2);
        canvas.LineTo(W, H / 2);
    }
    if (directions & ldVertical) {
        canvas.MoveTo(W / 2, 0);
        canvas.LineTo(W / 2, H);
    }
    if (directions & ldDiagonalL) {
        canvas.MoveTo(0, 0);
        canvas.LineTo(W, H);
    }
    if (directions & ldDiagonalR) {
        canvas.MoveTo(W, 0);
        canvas.LineTo(0, H);
    }
}

} // namespace

void TFigureRect::RenderFigure()
{
    Metafile.Clear();
    FigureValid = false;
    if (Rect.Width() <= 0 || Rect.Height() <= 0)
        return;
    int dpiX, dpiY;
    ReferenceDpi(dpiX, dpiY);
    const qint32 W = ToDevice(Rect.Width(), dpiX);
    const qint32 H = ToDevice(Rect.Height(), dpiY);
    const qint32 side = std::max(W, H);
    Metafile.SetResolution(dpiX, dpiY);
    if (side > kMaxFigureSide) {
        FigureValid = true;
        return;
    }
    Metafile.SetWidth(side);
    Metafile.SetHeight(side);

    TShape shape{W, H, {}, {}, {}, {}, {}, Back && !Gradation,
                 Saturated(static_cast<long double>(LineWidth) * dpiY / 96, 0, 0xFFFF), LineTypePattern(LineType),
                 VisibleClip(ClipSide, ClipLine, Rect, side, dpiX, dpiY)};
    try {
        TCanvas canvas(Metafile);
        if (shape.base)
            canvas.SelectClipRgn(&*shape.base);
        canvas.Brush().Style = shape.solidFill ? bsSolid : bsClear;
        canvas.Brush().Color = Color1;
        TPen pen;
        pen.Color = FrameColor;
        pen.Width = shape.penWidth;
        pen.Style = Frame ? psSolid : psClear;
        canvas.Pen() = pen;

        shape.corner = CornerEllipse(std::min(W, H), CornerRadius[0], CornerRadius[1]);
        shape.rhombus = RhombusPoints(0, 0, W, H);
        shape.sector = SectorBox(SectorDirection, 0, 0, W, H);
        switch (SectorDirection) {
        case sdBottomRight: shape.from = QPoint(W - 1, 0); shape.to = QPoint(0, H - 1); break;
        case sdBottomLeft: shape.from = QPoint(W, H - 1); shape.to = QPoint(0, 0); break;
        case sdTopRight: shape.from = QPoint(0, 0); shape.to = QPoint(W - 1, H); break;
        default: shape.from = QPoint(0, H); shape.to = QPoint(W, 0); break;
        }
        if (shape.pattern.empty())
            RecordSolid(canvas, shape);
        else
            RecordDashed(canvas, shape);
    } catch (...) {
        Metafile.Clear();
        throw;
    }
    FigureValid = true;
}

// Solid: the canvas's own shapes with its plain pen.
void TFigureRect::RecordSolid(TCanvas& canvas, const TShape& s) const
{
    const qint32 W = s.W, H = s.H;
    switch (FigureKind) {
    case fkLine:
        if (s.solidFill)
            canvas.FillRect(QRect(0, 0, W, H));
        DrawLines(canvas, LineDirections, W, H);
        break;
    case fkRectangle: canvas.Rectangle(0, 0, W, H); break;
    case fkRoundRect: canvas.RoundRect(0, 0, W, H, s.corner.width(), s.corner.height()); break;
    case fkEllipse: canvas.Ellipse(0, 0, W, H); break;
    case fkSector:
        if (s.sector) {
            canvas.BeginPath();
            PathPie(canvas, s.sector->Left, s.sector->Top, s.sector->Right, s.sector->Bottom, s.from.x(), s.from.y(),
                    s.to.x(), s.to.y());
            canvas.EndPath();
            canvas.StrokeAndFillPath();
        }
        break;
    case fkRhombus:
        // Filled as a polygon, never flood-filled: a recorded flood fill
        // spreads over whatever lies beneath the figure.
        canvas.SetPolyFillMode(WINDING);
        canvas.Polygon(s.rhombus);
        if (s.solidFill && !Frame)
            FillBoxWithin(canvas, TRegion::Polygon(s.rhombus, WINDING), W, H, s.base);
        break;
    default: break;
    }
}

// Dashed: fills painted directly, the outline gathered into the canvas's
// path and stroked dash by dash.
void TFigureRect::RecordDashed(TCanvas& canvas, const TShape& s) const
{
    const qint32 W = s.W, H = s.H;
    if (Frame)
        canvas.BeginPath();
    switch (FigureKind) {
    case fkLine:
        if (s.solidFill)
            canvas.FillRect(QRect(0, 0, W, H));
        if (Frame)
            DrawLines(canvas, LineDirections, W, H);
        break;
    case fkRectangle:
        if (s.solidFill)
            canvas.FillRect(QRect(0, 0, W, H));
        if (Frame)
            PathRectangle(canvas, 0, 0, W, H);
        break;
    case fkRoundRect:
        if (s.solidFill)
            FillBoxWithin(canvas, TRegion::RoundRect(0, 0, W, H, s.corner.width(), s.corner.height()), W, H, s.base);
        if (Frame)
            PathRoundRect(canvas, 0, 0, W, H, s.corner.width(), s.corner.height());
        break;
    case fkEllipse:
        if (s.solidFill)
            FillBoxWithin(canvas, TRegion::Ellipse(0, 0, W, H), W, H, s.base);
        if (Frame)
            PathEllipse(canvas, 0, 0, W, H);
        break;
    case fkSector:
        if (!s.sector)
            break;
        if (s.solidFill)
            FillBoxWithin(canvas, TRegion::Ellipse(s.sector->Left, s.sector->Top, s.sector->Right, s.sector->Bottom),
                          W, H, s.base);
        if (Frame)
            PathPie(canvas, s.sector->Left, s.sector->Top, s.sector->Right, s.sector->Bottom, s.from.x(), s.from.y(),
                    s.to.x(), s.to.y());
        break;
    case fkRhombus:
        if (s.solidFill)
            FillBoxWithin(canvas, TRegion::Polygon(s.rhombus, WINDING), W, H, s.base);
        if (Frame)
            canvas.Polygon(s.rhombus);
        break;
    default: break;
    }
    if (Frame) {
        canvas.EndPath();
        canvas.FlattenPath();
        TPath path;
        path.LoadFromCanvas(canvas);
        canvas.AbortPath();
        path.StrokeDashed(canvas, FrameColor, s.penWidth, s.pattern, true);
    }
}

std::optional<TRegion> TFigureRect::ShapeRegion(const TRect& R) const
{
    const qint32 L = R.Left, T = R.Top, Rt = R.Right, B = R.Bottom;
    switch (FigureKind) {
    case fkLine:
    case fkRectangle: return std::nullopt; // the gradation fills the whole box
    case fkRoundRect: {
        const QSize c = CornerEllipse(std::min(R.Width(), R.Height()), CornerRadius[0], CornerRadius[1]);
        return TRegion::RoundRect(L, T, Rt, B, c.width(), c.height());
    }
    case fkEllipse: return TRegion::Ellipse(L, T, Rt, B);
    case fkSector: {
        const std::optional<TRect> box = SectorBox(SectorDirection, L, T, Rt, B);
        return box ? TRegion::Ellipse(box->Left, box->Top, box->Right, box->Bottom) : TRegion();
    }
    case fkRhombus: return TRegion::Polygon(RhombusPoints(L, T, Rt, B), WINDING);
    default: return TRegion(); // a kind nobody knows shows no fill
    }
}

void TFigureRect::Refresh(bool Force)
{
    int dpiX, dpiY;
    ReferenceDpi(dpiX, dpiY);
    // A recording for another printer no longer matches the paper.
    const bool otherDevice = Metafile.DpiX() != dpiX || Metafile.DpiY() != dpiY;
    if (Force || !FigureValid || otherDevice)
        RenderFigure();
    if (!GradientValid) {
        GradientBitmap = Gradated() ? GradientSpaceOf(DisplayRect.Width(), DisplayRect.Height()) : QImage();
        GradientFilled = QRect();
        GradientValid = true;
    }
    if (!RegionValid) {
        FillRegion.reset();
        if (Gradated())
            FillRegion = ShapeRegion(DisplayRect);
        RegionValid = true;
    }
}

void TFigureRect::Draw(TCanvas* Canvas, qint32 X, qint32 Y)
{
    if (!Canvas)
        return;
    Refresh(false);
    if (Gradated() && !GradientBitmap.isNull()) {
        TRegion saved;
        const bool hadClip = Canvas->GetClipRgn(saved) == 1;
        if (FillRegion) {
            TRegion r = *FillRegion;
            r.Offset(X, Y);
            Canvas->ExtSelectClipRgn(&r, RGN_AND);
        }
        const QRect target(Moved(DisplayRect.Left, X), Moved(DisplayRect.Top, Y), GradientBitmap.width(),
                           GradientBitmap.height());
        FillShown(GradientBitmap, GradientFilled, *Canvas, TRect::FromQRect(target), Angle, Color1, Color2);
        Canvas->StretchDraw(target, GradientBitmap);
        if (FillRegion)
            Canvas->SelectClipRgn(hadClip ? &saved : nullptr);
    }
    if (Metafile.Width() <= 0 || Metafile.Height() <= 0)
        return;
    // Each axis maps the figure's extent at the recording's resolution onto
    // its displayed extent (one square on a printer with square pixels).
    const qint32 recordedW = ToDevice(Rect.Width(), Metafile.DpiX());
    const qint32 recordedH = ToDevice(Rect.Height(), Metafile.DpiY());
    if (recordedW <= 0 || recordedH <= 0)
        return;
    const double sx = double(DisplayRect.Width()) / recordedW;
    const double sy = double(DisplayRect.Height()) / recordedH;
    Canvas->StretchDraw(QRectF(double(DisplayRect.Left) + X, double(DisplayRect.Top) + Y, Metafile.Width() * sx,
                               Metafile.Height() * sy),
                        Metafile);
}

void TFigureRect::PreparePrint(const QPoint& Offset, bool Physical)
{
    TDrawRect::PreparePrint(Offset, Physical);
    // The previous page's cache is never left behind.
    FreePrintCache();
    if (!Gradated())
        return;
    const TRefDevice& ref = RefDevice();
    const double dpiX = ref.dpiX > 0 ? ref.dpiX : 96;
    const double dpiY = ref.dpiY > 0 ? ref.dpiY : 96;
    const qint64 w = PrintRect.Width(), h = PrintRect.Height();
    // Screen resolution is plenty for a gradation; on a fine printer about
    // half the print size.
    const qint64 bw = dpiY < 201 ? RoundHalfUp(96 / dpiX * w) : RoundHalfUp(0.48L * w);
    const qint64 bh = dpiY < 201 ? RoundHalfUp(96 / dpiY * h) : RoundHalfUp(0.48L * h);
    PrintGradientBitmap = GradientSpaceOf(bw, bh);
    PrintGradientFilled = QRect();
    PrintFillRegion = ShapeRegion(PrintRect);
}

void TFigureRect::FreePrintCache()
{
    // Freed whatever the fill is now: it may have changed since the page
    // was prepared.
    PrintGradientBitmap = QImage();
    PrintGradientFilled = QRect();
    PrintFillRegion.reset();
}

void TFigureRect::Print(TCanvas* Canvas, qint32 X, qint32 Y)
{
    if (!Canvas)
        return;
    Refresh(false);
    if (Gradated() && !PrintGradientBitmap.isNull()) {
        TRegion saved;
        const bool hadClip = Canvas->GetClipRgn(saved) == 1;
        if (PrintFillRegion) {
            TRegion r = *PrintFillRegion;
            r.Offset(X, Y);
            Canvas->ExtSelectClipRgn(&r, RGN_AND);
        }
        const TRect target(Moved(PrintRect.Left, X), Moved(PrintRect.Top, Y), Moved(PrintRect.Right, X),
                           Moved(PrintRect.Bottom, Y));
        FillShown(PrintGradientBitmap, PrintGradientFilled, *Canvas, target, Angle, Color1, Color2);
        StretchDIB(*Canvas, PrintGradientBitmap, target, SRCCOPY);
        if (PrintFillRegion)
            Canvas->SelectClipRgn(hadClip ? &saved : nullptr);
    }
    PlayRecordingAtPhysicalSize(*Canvas, Metafile, double(PrintRect.Left) + X, double(PrintRect.Top) + Y);
}

// --- record ---------------------------------------------------------------------------

void TFigureRect::LoadFromStream(QIODevice& Stream)
{
    // A record cut short leaves the figure, base part included, as it was.
    const TRect rect = Rect;
    const TRect displayRect = DisplayRect;
    const bool visible = Visible;
    bool frame, back, gradation;
    quint8 kind, directions, sector = SectorDirection, lineType;
    std::array<quint8, 2> corner;
    qint32 lineWidth, frameColor, color1, color2, angle;
    try {
        TDrawRect::LoadFromStream(Stream);
        frame = ReadStreamBool(Stream);
        back = ReadStreamBool(Stream);
        gradation = ReadStreamBool(Stream);
        kind = ReadStreamByte(Stream);
        directions = ReadStreamByte(Stream);
        corner[0] = ReadStreamByte(Stream);
        corner[1] = ReadStreamByte(Stream);
        ReadStreamByte(Stream); // reserved
        ReadStreamByte(Stream);
        if (DrawRectFileVersion >= kFigureSectorVersion)
            sector = ReadStreamByte(Stream);
        lineType = ReadStreamByte(Stream);
        lineWidth = ReadStreamInt32(Stream);
        frameColor = ReadStreamInt32(Stream);
        color1 = ReadStreamInt32(Stream);
        color2 = ReadStreamInt32(Stream);
        angle = ReadStreamInt32(Stream);
    } catch (...) {
        Rect = rect;
        DisplayRect = displayRect;
        Visible = visible;
        throw;
    }
    Frame = frame;
    Back = back;
    Gradation = gradation;
    FigureKind = kind;
    LineDirections = directions;
    CornerRadius = corner;
    SectorDirection = sector;
    LineType = lineType;
    LineWidth = lineWidth;
    FrameColor = static_cast<TColor>(frameColor);
    Color1 = static_cast<TColor>(color1);
    Color2 = static_cast<TColor>(color2);
    Angle = angle;
    FigureValid = GradientValid = RegionValid = false;
}

void TFigureRect::SaveToStream(QIODevice& Stream) const
{
    TDrawRect::SaveToStream(Stream);
    WriteStreamBool(Stream, Frame);
    WriteStreamBool(Stream, Back);
    WriteStreamBool(Stream, Gradation);
    WriteStreamByte(Stream, FigureKind);
    WriteStreamByte(Stream, LineDirections);
    WriteStreamByte(Stream, CornerRadius[0]);
    WriteStreamByte(Stream, CornerRadius[1]);
    WriteStreamByte(Stream, 0);
    WriteStreamByte(Stream, 0);
    WriteStreamByte(Stream, SectorDirection);
    WriteStreamByte(Stream, LineType);
    WriteStreamInt32(Stream, LineWidth);
    WriteStreamInt32(Stream, static_cast<qint32>(FrameColor));
    WriteStreamInt32(Stream, static_cast<qint32>(Color1));
    WriteStreamInt32(Stream, static_cast<qint32>(Color2));
    WriteStreamInt32(Stream, Angle);
}

void RegisterFigureClasses()
{
    RegisterDrawItemClasses();
}

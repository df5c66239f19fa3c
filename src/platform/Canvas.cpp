#include "platform/Canvas.h"

#include "platform/CanvasPrivate.h"

#include <QGlyphRun>
#include <QPaintDevice>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

using namespace gdi;
using canvas_detail::areaOf;
using canvas_detail::intersect;
using canvas_detail::rectPath;

// ---------------------------------------------------------------------------
// Back ends: one paints each item at once, one appends it to a display list.

namespace {

void paintItem(QPainter& p, const TDrawItem& item)
{
    if (const auto* f = std::get_if<TFillItem>(&item)) {
        p.fillPath(f->path, f->brush);
    } else if (const auto* s = std::get_if<TStrokeItem>(&item)) {
        p.strokePath(s->path, s->pen);
    } else if (const auto* g = std::get_if<TGlyphItem>(&item)) {
        if (g->glyphs.empty())
            return;
        QGlyphRun run;
        run.setRawFont(g->font);
        run.setGlyphIndexes(QList<quint32>(g->glyphs.begin(), g->glyphs.end()));
        run.setPositions(QList<QPointF>(g->positions.begin(), g->positions.end()));
        p.save();
        p.setTransform(g->transform, true);
        p.setPen(g->color);
        p.drawGlyphRun(QPointF(0, 0), run);
        if (g->syntheticBold) {
            // A face without a bold weight: overprint slightly to the right.
            const qreal step = g->font.pixelSize() / 48.0;
            p.drawGlyphRun(QPointF(step, 0), run);
            p.drawGlyphRun(QPointF(2 * step, 0), run);
        }
        p.restore();
    } else if (const auto* i = std::get_if<TImageItem>(&item)) {
        p.drawImage(i->target, i->image);
    }
}

class PainterSink final : public TCanvasSink {
public:
    explicit PainterSink(QPainter& p) : p_(p)
    {
        if (p.hasClipping())
            base_ = p.clipPath();
        p_.save();
        p_.setRenderHint(QPainter::Antialiasing, true);
        p_.setRenderHint(QPainter::TextAntialiasing, true);
    }
    ~PainterSink() override { p_.restore(); }
    bool Recording() const override { return false; }
    void SetClip(const std::optional<QPainterPath>& clip) override
    {
        if (base_)
            p_.setClipPath(*base_, Qt::ReplaceClip);
        else
            p_.setClipping(false);
        if (clip)
            p_.setClipPath(*clip, base_ ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    void Draw(TDrawItem item) override { paintItem(p_, item); }
    std::optional<QRectF> Reach() const override
    {
        bool invertible = false;
        const QTransform back = p_.combinedTransform().inverted(&invertible);
        const QPaintDevice* device = p_.device();
        if (!invertible || !device)
            return std::nullopt;
        QRectF r = back.mapRect(QRectF(0, 0, device->width(), device->height()));
        if (p_.hasClipping())
            r = r.intersected(p_.clipBoundingRect());
        return r;
    }

private:
    QPainter& p_;
    std::optional<QPainterPath> base_;
};

class RecordSink final : public TCanvasSink {
public:
    explicit RecordSink(TMetafileEx& mf) : mf_(mf) {}
    bool Recording() const override { return true; }
    void SetClip(const std::optional<QPainterPath>& clip) override { mf_.Append(TClipItem{clip}); }
    void Draw(TDrawItem item) override { mf_.Append(std::move(item)); }

private:
    TMetafileEx& mf_;
};

} // namespace

// ---------------------------------------------------------------------------
// Canvas

TCanvas::TCanvas(QPainter& painter, int dpiX, int dpiY)
    : sink_(std::make_unique<PainterSink>(painter)), dpiX_(dpiX), dpiY_(dpiY)
{
    font_.SetPixelsPerInch(dpiY_);
    font_.SetSize(9);
}

TCanvas::TCanvas(TMetafileEx& metafile)
    : sink_(std::make_unique<RecordSink>(metafile)), dpiX_(metafile.DpiX()), dpiY_(metafile.DpiY())
{
    font_.SetPixelsPerInch(dpiY_);
    font_.SetSize(9);
}

TCanvas::~TCanvas()
{
    // A recording ends without a clip of its own, so nothing selected here
    // outlives the playback of the list.
    if (clip_ && sink_->Recording())
        sink_->SetClip(std::nullopt);
}

bool TCanvas::IsRecording() const
{
    return sink_->Recording();
}

// --- shapes -------------------------------------------------------------------

QPen TCanvas::strokePen() const
{
    const bool cosmetic = !pen_.Geometric && pen_.Width <= 1;
    QPen p(ToQColor(pen_.Color));
    p.setWidthF(cosmetic ? 1.0 : pen_.Width);
    if (cosmetic) {
        p.setCapStyle(Qt::FlatCap);
        p.setJoinStyle(Qt::MiterJoin);
    } else if (pen_.Geometric) {
        p.setCapStyle(pen_.Cap == pcFlat ? Qt::FlatCap : pen_.Cap == pcSquare ? Qt::SquareCap : Qt::RoundCap);
        p.setJoinStyle(pen_.Join == pjMiter ? Qt::MiterJoin : pen_.Join == pjBevel ? Qt::BevelJoin : Qt::RoundJoin);
    } else {
        p.setCapStyle(Qt::RoundCap);
        p.setJoinStyle(Qt::RoundJoin);
    }
    // Dashes only for thin or geometric pens; a wide plain pen draws solid.
    if (cosmetic || pen_.Geometric) {
        const double unit = cosmetic ? 1.0 : 1.0 / 3.0; // cosmetic patterns in pixels, geometric in widths
        QList<qreal> pattern;
        switch (pen_.Style) {
        case psDash: pattern = {18, 6}; break;
        case psDot: pattern = {3, 3}; break;
        case psDashDot: pattern = {9, 6, 3, 6}; break;
        case psDashDotDot: pattern = {9, 3, 3, 3, 3, 3}; break;
        default: break;
        }
        if (!pattern.isEmpty()) {
            for (qreal& v : pattern)
                v *= unit;
            p.setDashPattern(pattern);
        }
    }
    return p;
}

void TCanvas::strokeOnly(const QPainterPath& outline)
{
    if (pen_.Style == psClear)
        return;
    sink_->Draw(TStrokeItem{outline, strokePen()});
}

void TCanvas::drawShape(const QPainterPath& fill, const QPainterPath& outline, bool closed)
{
    if (closed && brush_.Style == bsSolid)
        sink_->Draw(TFillItem{fill, QBrush(ToQColor(brush_.Color))});
    strokeOnly(outline);
}

namespace {

// Offset that puts a stroke of odd width on pixel centres, as the device's
// integer outlines are.
double strokeOffset(const TPen& pen)
{
    const int w = (!pen.Geometric && pen.Width <= 1) ? 1 : pen.Width;
    return (w % 2) ? 0.5 : 0.0;
}

// The outline rectangle of a figure from (l, t) to (r, b), right and bottom
// exclusive; an inside-frame pen keeps its whole width inside.
QRectF outlineRect(const TPen& pen, int l, int t, int r, int b)
{
    if (pen.Style == psInsideFrame && pen.Width > 1) {
        const double half = pen.Width / 2.0;
        return QRectF(l + half, t + half, double(r) - l - pen.Width, double(b) - t - pen.Width);
    }
    const double o = strokeOffset(pen);
    return QRectF(l + o, t + o, double(r) - 1 - l, double(b) - 1 - t);
}

QPainterPath polyPath(const std::vector<QPoint>& points, double o, bool close)
{
    QPainterPath p;
    if (points.empty())
        return p;
    p.moveTo(points[0].x() + o, points[0].y() + o);
    for (size_t i = 1; i < points.size(); ++i)
        p.lineTo(points[i].x() + o, points[i].y() + o);
    if (close)
        p.closeSubpath();
    return p;
}

} // namespace

void TCanvas::MoveTo(int x, int y)
{
    penPos_ = QPoint(x, y);
    if (inPath_)
        addPathPoint(penPos_, PT_MOVETO);
}

void TCanvas::LineTo(int x, int y)
{
    if (inPath_) {
        if (pathPoints_.empty())
            addPathPoint(penPos_, PT_MOVETO);
        addPathPoint(QPoint(x, y), PT_LINETO);
    } else {
        strokeOnly(polyPath({penPos_, QPoint(x, y)}, strokeOffset(pen_), false));
    }
    penPos_ = QPoint(x, y);
}

void TCanvas::Polyline(const std::vector<QPoint>& points)
{
    if (points.size() < 2)
        return;
    if (inPath_) {
        addPathPoint(points[0], PT_MOVETO);
        for (size_t i = 1; i < points.size(); ++i)
            addPathPoint(points[i], PT_LINETO);
        return;
    }
    strokeOnly(polyPath(points, strokeOffset(pen_), false));
}

void TCanvas::Polygon(const std::vector<QPoint>& points)
{
    if (points.size() < 2)
        return;
    if (inPath_) {
        addPathPoint(points[0], PT_MOVETO);
        for (size_t i = 1; i < points.size(); ++i)
            addPathPoint(points[i], static_cast<unsigned char>(PT_LINETO | (i + 1 == points.size() ? PT_CLOSEFIGURE : 0)));
        return;
    }
    QPainterPath fill = polyPath(points, 0.5, true);
    fill.setFillRule(fillMode_ == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    drawShape(fill, polyPath(points, strokeOffset(pen_), true), true);
}

void TCanvas::PolyBezier(const std::vector<QPoint>& points)
{
    if (points.size() < 4)
        return;
    if (inPath_) {
        addPathPoint(points[0], PT_MOVETO);
        for (size_t i = 1; i + 2 < points.size(); i += 3)
            for (size_t k = 0; k < 3; ++k)
                addPathPoint(points[i + k], PT_BEZIERTO);
        return;
    }
    const double o = strokeOffset(pen_);
    QPainterPath p(QPointF(points[0].x() + o, points[0].y() + o));
    for (size_t i = 1; i + 2 < points.size(); i += 3)
        p.cubicTo(QPointF(points[i]) + QPointF(o, o), QPointF(points[i + 1]) + QPointF(o, o),
                  QPointF(points[i + 2]) + QPointF(o, o));
    strokeOnly(p);
}

void TCanvas::PolyBezierTo(const std::vector<QPoint>& points)
{
    if (points.size() < 3)
        return;
    std::vector<QPoint> all{penPos_};
    all.insert(all.end(), points.begin(), points.begin() + static_cast<long>(points.size() / 3 * 3));
    if (inPath_) {
        if (pathPoints_.empty())
            addPathPoint(penPos_, PT_MOVETO);
        for (size_t i = 1; i < all.size(); ++i)
            addPathPoint(all[i], PT_BEZIERTO);
    } else {
        PolyBezier(all);
    }
    penPos_ = all.back();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    if (inPath_) {
        addPathPoint(QPoint(left, top), PT_MOVETO);
        addPathPoint(QPoint(right - 1, top), PT_LINETO);
        addPathPoint(QPoint(right - 1, bottom - 1), PT_LINETO);
        addPathPoint(QPoint(left, bottom - 1), PT_LINETO | PT_CLOSEFIGURE);
        return;
    }
    // Without an outline the inside stops one pixel short, as the device's.
    const int shrink = pen_.Style == psClear ? 1 : 0;
    const QPainterPath fill = rectPath(QRectF(left, top, double(right) - left - shrink, double(bottom) - top - shrink));
    drawShape(fill, rectPath(outlineRect(pen_, left, top, right, bottom)), true);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom)
{
    QPainterPath p;
    p.addEllipse(outlineRect(pen_, left, top, right, bottom));
    drawShape(p, p, true);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int cornerW, int cornerH)
{
    QPainterPath p;
    p.addRoundedRect(outlineRect(pen_, left, top, right, bottom), cornerW / 2.0, cornerH / 2.0);
    drawShape(p, p, true);
}

void TCanvas::FillRect(const QRect& r)
{
    if (r.isEmpty() || brush_.Style == bsClear)
        return;
    sink_->Draw(TFillItem{rectPath(areaOf(r)), QBrush(ToQColor(brush_.Color))});
}

void TCanvas::FrameRect(const QRect& r)
{
    if (r.isEmpty() || brush_.Style == bsClear)
        return;
    QPainterPath p = rectPath(areaOf(r));
    p.addRect(areaOf(r).adjusted(1, 1, -1, -1));
    p.setFillRule(Qt::OddEvenFill);
    sink_->Draw(TFillItem{p, QBrush(ToQColor(brush_.Color))});
}

void TCanvas::FillRegion(const TRegion& region)
{
    if (region.IsEmpty() || brush_.Style == bsClear)
        return;
    sink_->Draw(TFillItem{region.Path(), QBrush(ToQColor(brush_.Color))});
}

// --- paths ----------------------------------------------------------------------

void TCanvas::addPathPoint(const QPoint& p, unsigned char type)
{
    pathPoints_.push_back(p);
    pathTypes_.push_back(type);
}

void TCanvas::BeginPath()
{
    inPath_ = true;
    hasPath_ = false;
    pathPoints_.clear();
    pathTypes_.clear();
}

void TCanvas::EndPath()
{
    if (inPath_) {
        inPath_ = false;
        hasPath_ = true;
    }
}

void TCanvas::AbortPath()
{
    inPath_ = hasPath_ = false;
    pathPoints_.clear();
    pathTypes_.clear();
}

void TCanvas::CloseFigure()
{
    if (inPath_ && !pathTypes_.empty())
        pathTypes_.back() |= PT_CLOSEFIGURE;
}

void TCanvas::FlattenPath()
{
    if (!hasPath_)
        return;
    std::vector<QPoint> pts;
    std::vector<unsigned char> types;
    for (size_t i = 0; i < pathPoints_.size(); ++i) {
        const unsigned char kind = pathTypes_[i] & ~PT_CLOSEFIGURE;
        if (kind == PT_BEZIERTO && i + 2 < pathPoints_.size() && !pts.empty()) {
            const QPointF p0 = pts.back();
            const QPointF p1 = pathPoints_[i], p2 = pathPoints_[i + 1], p3 = pathPoints_[i + 2];
            const double len = QLineF(p0, p1).length() + QLineF(p1, p2).length() + QLineF(p2, p3).length();
            const int steps = std::clamp(static_cast<int>(len / 4), 1, 256);
            for (int s = 1; s <= steps; ++s) {
                const double t = double(s) / steps, u = 1 - t;
                const QPointF q = u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
                const QPoint r(static_cast<int>(std::lround(q.x())), static_cast<int>(std::lround(q.y())));
                if (s < steps && r == pts.back())
                    continue;
                pts.push_back(s == steps ? pathPoints_[i + 2] : r);
                types.push_back(PT_LINETO);
            }
            types.back() |= pathTypes_[i + 2] & PT_CLOSEFIGURE;
            i += 2;
        } else {
            pts.push_back(pathPoints_[i]);
            types.push_back(kind == PT_BEZIERTO ? static_cast<unsigned char>(PT_LINETO | (pathTypes_[i] & PT_CLOSEFIGURE))
                                                : pathTypes_[i]);
        }
    }
    pathPoints_ = std::move(pts);
    pathTypes_ = std::move(types);
}

int TCanvas::GetPath(std::vector<QPoint>& points, std::vector<unsigned char>& types) const
{
    if (!hasPath_)
        return -1;
    points = pathPoints_;
    types = pathTypes_;
    return static_cast<int>(points.size());
}

namespace {

QPainterPath buildPath(const std::vector<QPoint>& pts, const std::vector<unsigned char>& types, double o)
{
    QPainterPath p;
    const QPointF d(o, o);
    for (size_t i = 0; i < pts.size(); ++i) {
        const unsigned char kind = types[i] & ~PT_CLOSEFIGURE;
        if (kind == PT_MOVETO) {
            p.moveTo(QPointF(pts[i]) + d);
        } else if (kind == PT_BEZIERTO && i + 2 < pts.size()) {
            p.cubicTo(QPointF(pts[i]) + d, QPointF(pts[i + 1]) + d, QPointF(pts[i + 2]) + d);
            i += 2;
        } else {
            p.lineTo(QPointF(pts[i]) + d);
        }
        if (types[i] & PT_CLOSEFIGURE)
            p.closeSubpath();
    }
    return p;
}

} // namespace

void TCanvas::StrokePath()
{
    if (!hasPath_)
        return;
    strokeOnly(buildPath(pathPoints_, pathTypes_, strokeOffset(pen_)));
    AbortPath();
}

void TCanvas::FillPath()
{
    if (!hasPath_)
        return;
    QPainterPath p = buildPath(pathPoints_, pathTypes_, 0.5);
    p.setFillRule(fillMode_ == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    if (brush_.Style == bsSolid)
        sink_->Draw(TFillItem{p, QBrush(ToQColor(brush_.Color))});
    AbortPath();
}

void TCanvas::StrokeAndFillPath()
{
    if (!hasPath_)
        return;
    QPainterPath fill = buildPath(pathPoints_, pathTypes_, 0.5);
    fill.setFillRule(fillMode_ == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    drawShape(fill, buildPath(pathPoints_, pathTypes_, strokeOffset(pen_)), true);
    AbortPath();
}

TRegion TCanvas::PathToRegion()
{
    if (!hasPath_)
        return {};
    QPainterPath p = buildPath(pathPoints_, pathTypes_, 0);
    p.closeSubpath();
    p.setFillRule(fillMode_ == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    AbortPath();
    return TRegion::FromPath(p);
}

// --- pictures and playback ---------------------------------------------------------

void TCanvas::StretchDraw(const QRect& dest, const QImage& image, const QImage* mask)
{
    if (dest.isEmpty() || image.isNull())
        return;
    if (!mask) {
        sink_->Draw(TImageItem{image, areaOf(dest)});
        return;
    }
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QImage m = mask->size() == image.size() ? *mask : mask->scaled(image.size());
    for (int y = 0; y < argb.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qGray(m.pixel(x, y)) >= 128)
                line[x] = 0;
    }
    sink_->Draw(TImageItem{argb, areaOf(dest)});
}

std::optional<QRect> TCanvas::ClipBox() const
{
    const std::optional<QRectF> r = sink_->Reach();
    if (!r)
        return std::nullopt;
    if (r->isEmpty())
        return QRect();
    // Outwards to whole pixels, inside the int range.
    auto whole = [](double v) { return int(std::clamp(v, -2.0e9, 2.0e9)); };
    return QRect(QPoint(whole(std::floor(r->left())), whole(std::floor(r->top()))),
                 QPoint(whole(std::ceil(r->right())) - 1, whole(std::ceil(r->bottom())) - 1));
}

void TCanvas::Draw(int x, int y, const QImage& image)
{
    StretchDraw(QRect(x, y, image.width(), image.height()), image);
}

void TCanvas::StretchDraw(const QRect& dest, const TMetafileEx& metafile)
{
    if (!dest.isEmpty())
        StretchDraw(areaOf(dest), metafile);
}

void TCanvas::StretchDraw(const QRectF& dest, const TMetafileEx& metafile)
{
    if (metafile.Width() <= 0 || metafile.Height() <= 0 || !(dest.width() > 0) || !(dest.height() > 0))
        return;
    QTransform t;
    t.translate(dest.left(), dest.top());
    t.scale(double(dest.width()) / metafile.Width(), double(dest.height()) / metafile.Height());
    playback(metafile, t);
}

void TCanvas::Draw(int x, int y, const TMetafileEx& metafile)
{
    playback(metafile, QTransform::fromTranslate(x, y));
}

void TCanvas::playback(const TMetafileEx& metafile, const QTransform& t)
{
    const double scale = std::sqrt(std::abs(t.determinant()));
    bool clipChanged = false;
    for (const TDrawItem& item : metafile.Items()) {
        if (const auto* c = std::get_if<TClipItem>(&item)) {
            // A recorded clip narrows the clip the list is played into; it
            // never widens it.
            sink_->SetClip(c->clip ? std::optional<QPainterPath>(intersect(clip_, t.map(*c->clip))) : clip_);
            clipChanged = true;
        } else if (const auto* f = std::get_if<TFillItem>(&item)) {
            sink_->Draw(TFillItem{t.map(f->path), f->brush});
        } else if (const auto* s = std::get_if<TStrokeItem>(&item)) {
            QPen pen = s->pen;
            const double w = pen.widthF() * scale;
            pen.setWidthF(w < 1 ? 1 : w);
            if (w < 1)
                pen.setCosmetic(true);
            sink_->Draw(TStrokeItem{t.map(s->path), pen});
        } else if (const auto* g = std::get_if<TGlyphItem>(&item)) {
            TGlyphItem copy = *g;
            copy.transform = g->transform * t;
            sink_->Draw(std::move(copy));
        } else if (const auto* i = std::get_if<TImageItem>(&item)) {
            sink_->Draw(TImageItem{i->image, t.mapRect(i->target)});
        }
    }
    if (clipChanged)
        emitClip();
}

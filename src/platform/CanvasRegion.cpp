#include "platform/Canvas.h"

#include "platform/CanvasPrivate.h"

#include <QPolygonF>

// Regions, and the clip and saved states of TCanvas.

using namespace gdi;
using canvas_detail::intersect;
using canvas_detail::rectPath;

// ---------------------------------------------------------------------------
// Regions

// Sides are taken in floating point: a clip line far from its rectangle
// gives corners whose distance no int holds.
TRegion TRegion::Rect(int left, int top, int right, int bottom)
{
    QPainterPath p;
    if (right > left && bottom > top)
        p.addRect(QRectF(left, top, double(right) - left, double(bottom) - top));
    return TRegion(p);
}

TRegion TRegion::RoundRect(int left, int top, int right, int bottom, int cornerW, int cornerH)
{
    QPainterPath p;
    if (right > left && bottom > top)
        p.addRoundedRect(QRectF(left, top, double(right) - left, double(bottom) - top), cornerW / 2.0, cornerH / 2.0);
    return TRegion(p);
}

TRegion TRegion::Ellipse(int left, int top, int right, int bottom)
{
    QPainterPath p;
    if (right > left && bottom > top)
        p.addEllipse(QRectF(left, top, double(right) - left, double(bottom) - top));
    return TRegion(p);
}

TRegion TRegion::Polygon(const std::vector<QPoint>& points, int fillMode)
{
    QPainterPath p;
    if (points.size() >= 3) {
        QPolygonF poly;
        for (const QPoint& pt : points)
            poly << QPointF(pt);
        p.addPolygon(poly);
        p.closeSubpath();
        p.setFillRule(fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    }
    return TRegion(p);
}

int TRegion::Combine(const TRegion& a, const TRegion& b, int op)
{
    switch (op) {
    case RGN_AND: path_ = a.path_.intersected(b.path_); break;
    case RGN_OR: path_ = a.path_.united(b.path_); break;
    case RGN_DIFF: path_ = a.path_.subtracted(b.path_); break;
    case RGN_XOR: path_ = a.path_.united(b.path_).subtracted(a.path_.intersected(b.path_)); break;
    default: path_ = a.path_; break;
    }
    path_ = path_.simplified();
    if (IsEmpty())
        return NULLREGION;
    return path_.elementCount() <= 5 && path_.boundingRect() == path_.controlPointRect() ? SIMPLEREGION : COMPLEXREGION;
}

void TRegion::Offset(int dx, int dy)
{
    path_.translate(dx, dy);
}

bool TRegion::IsEmpty() const
{
    const QRectF b = path_.boundingRect();
    return path_.isEmpty() || b.width() <= 0 || b.height() <= 0;
}

QRect TRegion::Bounds() const
{
    return IsEmpty() ? QRect() : path_.boundingRect().toAlignedRect();
}

bool TRegion::Contains(const QPoint& p) const
{
    return path_.contains(QPointF(p.x() + 0.5, p.y() + 0.5));
}

// ---------------------------------------------------------------------------
// Clipping and state

void TCanvas::emitClip()
{
    sink_->SetClip(clip_);
}

void TCanvas::SelectClipRgn(const TRegion* region)
{
    clip_ = region ? std::optional<QPainterPath>(region->Path()) : std::nullopt;
    emitClip();
}

void TCanvas::ExtSelectClipRgn(const TRegion* region, int mode)
{
    if (mode == RGN_COPY || !region) {
        SelectClipRgn(region);
        return;
    }
    if (!clip_) {
        // Without a clip of its own the whole device is the clip: only an
        // intersection narrows it.
        if (mode == RGN_AND)
            clip_ = region->Path();
    } else {
        TRegion current = TRegion::FromPath(*clip_);
        TRegion combined;
        combined.Combine(current, *region, mode);
        clip_ = combined.Path();
    }
    emitClip();
}

void TCanvas::IntersectClipRect(int left, int top, int right, int bottom)
{
    const TRegion r = TRegion::Rect(left, top, right, bottom);
    ExtSelectClipRgn(&r, RGN_AND);
}

int TCanvas::GetClipRgn(TRegion& region) const
{
    if (!clip_)
        return 0;
    region = TRegion::FromPath(*clip_);
    return 1;
}

int TCanvas::SaveDC()
{
    saved_.push_back(State{font_, pen_, brush_, textAlign_, bkMode_, fillMode_, penPos_, clip_});
    return static_cast<int>(saved_.size());
}

bool TCanvas::RestoreDC(int saved)
{
    const int index = saved < 0 ? static_cast<int>(saved_.size()) + saved + 1 : saved;
    if (index < 1 || index > static_cast<int>(saved_.size()))
        return false;
    const State s = saved_[static_cast<size_t>(index - 1)];
    saved_.resize(static_cast<size_t>(index - 1));
    font_ = s.font;
    pen_ = s.pen;
    brush_ = s.brush;
    textAlign_ = s.textAlign;
    bkMode_ = s.bkMode;
    fillMode_ = s.fillMode;
    penPos_ = s.penPos;
    if (clip_ != s.clip) {
        clip_ = s.clip;
        emitClip();
    }
    return true;
}

#include "platform/Canvas.h"

#include "platform/VerticalText.h"

#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <cmath>

// ---------------------------------------------------------------------------
// Back ends: one paints each item at once, one appends it to a display list.

class TCanvasSink {
public:
    virtual ~TCanvasSink() = default;
    virtual bool Recording() const = 0;
    // The canvas's own clip (nullopt: none); the sink keeps it inside the
    // caller's clip.
    virtual void SetClip(const std::optional<QPainterPath>& clip) = 0;
    virtual void Draw(TDrawItem item) = 0;
};

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

QPainterPath rectPath(const QRectF& r)
{
    QPainterPath p;
    p.addRect(r);
    return p;
}

QPainterPath intersect(const std::optional<QPainterPath>& a, const QPainterPath& b)
{
    return a ? a->intersected(b) : b;
}

quint32 glyphFor(const QRawFont& font, char32_t ch)
{
    const char32_t one[1] = {ch};
    const QList<quint32> g = font.glyphIndexesForString(QString::fromUcs4(one, 1));
    return g.isEmpty() ? 0 : g.first();
}

double glyphAdvance(const QRawFont& font, quint32 glyph)
{
    const QList<QPointF> a = font.advancesForGlyphIndexes(QList<quint32>{glyph});
    return a.isEmpty() ? 0 : a.first().x();
}

} // namespace

// ---------------------------------------------------------------------------
// Regions

TRegion TRegion::Rect(int left, int top, int right, int bottom)
{
    QPainterPath p;
    if (right > left && bottom > top)
        p.addRect(QRectF(left, top, right - left, bottom - top));
    return TRegion(p);
}

TRegion TRegion::RoundRect(int left, int top, int right, int bottom, int cornerW, int cornerH)
{
    QPainterPath p;
    if (right > left && bottom > top)
        p.addRoundedRect(QRectF(left, top, right - left, bottom - top), cornerW / 2.0, cornerH / 2.0);
    return TRegion(p);
}

TRegion TRegion::Ellipse(int left, int top, int right, int bottom)
{
    QPainterPath p;
    if (right > left && bottom > top)
        p.addEllipse(QRectF(left, top, right - left, bottom - top));
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
// Canvas

struct TCanvas::State {
    TFont font;
    TPen pen;
    TBrush brush;
    unsigned textAlign;
    int bkMode;
    int fillMode;
    QPoint penPos;
    std::optional<QPainterPath> clip;
};

struct TCanvas::Layout {
    enum Mode { Along, Upright };
    struct Char {
        int units = 1;
        QRawFont font;
        quint32 glyph = 0;
        int advance = 0;
        Mode mode = Along;
        double offset = 0; // along the baseline, stretched pixels (centred sideways forms)
        QPointF shift;     // upright forms set by hand, in em
        char32_t ch = 0;
    };
    TFontFace face;
    std::vector<Char> chars;
    int width = 0;
};

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

// --- text -------------------------------------------------------------------

TCanvas::Layout TCanvas::layoutText(const QString& text, const int* dx) const
{
    Layout l;
    l.face = RealizeFont(font_);
    const bool vertical = font_.IsVerticalFace();
    const double em = l.face.em;
    const double stretch = l.face.stretch;
    for (qsizetype i = 0; i < text.size();) {
        Layout::Char c;
        char32_t ch = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            c.units = 2;
        }
        c.ch = ch;
        QRawFont font = l.face.raw;
        if (font.isValid() && !font.supportsCharacter(ch)) {
            for (int k = 0;; ++k) {
                const QRawFont fb = FallbackRawFont(k, em);
                if (!fb.isValid())
                    break;
                if (fb.supportsCharacter(ch)) {
                    font = fb;
                    break;
                }
            }
        }
        c.font = font;
        if (vertical && vtext::IsUpright(ch)) {
            c.advance = static_cast<int>(std::lround(em * stretch));
            c.mode = Layout::Upright;
            if (vtext::HasVerticalForms(font)) {
                c.glyph = vtext::VerticalGlyph(font, ch);
            } else {
                const vtext::TVerticalFallback fb = vtext::VerticalFallback(ch);
                if (fb.replacement && font.supportsCharacter(fb.replacement)) {
                    c.glyph = glyphFor(font, fb.replacement);
                } else {
                    c.glyph = glyphFor(font, ch);
                    if (fb.rotate) {
                        c.mode = Layout::Along;
                        c.offset = (c.advance - glyphAdvance(font, c.glyph) * stretch) / 2;
                    } else {
                        c.shift = fb.shift;
                    }
                }
            }
        } else {
            c.glyph = glyphFor(font, ch);
            c.advance = static_cast<int>(std::lround(glyphAdvance(font, c.glyph) * stretch));
        }
        if (dx) {
            c.advance = 0;
            for (int u = 0; u < c.units; ++u)
                c.advance += dx[i + u];
        }
        l.width += c.advance;
        l.chars.push_back(std::move(c));
        i += l.chars.back().units;
    }
    return l;
}

bool TCanvas::ExtTextOutW(int x, int y, unsigned options, const QRect* rect, const QString& text, const int* dx)
{
    const QColor back = ToQColor(brush_.Color);
    if ((options & ETO_OPAQUE) && rect && !rect->isEmpty())
        sink_->Draw(TFillItem{rectPath(QRectF(*rect)), QBrush(back)});
    if (text.isEmpty())
        return true;

    const Layout l = layoutText(text, dx);
    const TFontFace& face = l.face;
    QTransform base;
    base.translate(x, y);
    base.rotate(-font_.Escapement() / 10.0);

    int start = 0;
    if ((textAlign_ & TA_CENTER) == TA_CENTER)
        start = -(l.width / 2);
    else if (textAlign_ & TA_RIGHT)
        start = -l.width;
    int baseline = face.ascent;
    if ((textAlign_ & TA_BASELINE) == TA_BASELINE)
        baseline = 0;
    else if (textAlign_ & TA_BOTTOM)
        baseline = -face.descent;

    if (bkMode_ == OPAQUE && brush_.Style != bsClear) {
        QPainterPath box;
        box.addPolygon(base.map(QPolygonF(QRectF(start, baseline - face.ascent, l.width, face.Height()))));
        box.closeSubpath();
        sink_->Draw(TFillItem{box, QBrush(back)});
    }

    const std::optional<QPainterPath> savedClip = clip_;
    const bool clipped = (options & ETO_CLIPPED) && rect;
    if (clipped) {
        clip_ = intersect(clip_, rectPath(QRectF(*rect)));
        emitClip();
    }

    const QColor color = ToQColor(font_.Color());
    const double em = face.em;
    QTransform along = base;
    along.translate(0, baseline);
    along.scale(face.stretch, 1);
    if (face.syntheticItalic)
        along.shear(-0.2, 0);

    TGlyphItem run;
    auto flush = [&] {
        if (!run.glyphs.empty())
            sink_->Draw(run);
        run = TGlyphItem{};
    };
    int pen = start;
    qsizetype unit = 0;
    for (const Layout::Char& c : l.chars) {
        const QString chText = text.mid(unit, c.units);
        unit += c.units;
        if (c.mode == Layout::Along) {
            if (!run.glyphs.empty() && run.font != c.font)
                flush();
            if (run.glyphs.empty()) {
                run.font = c.font;
                run.transform = along;
                run.color = color;
                run.syntheticBold = face.syntheticBold;
            }
            run.glyphs.push_back(c.glyph);
            run.positions.emplace_back((pen + c.offset) / face.stretch, 0);
            run.text += chText;
        } else {
            flush();
            // Turned back a quarter about the centre of its cell, so the
            // character stands upright when the line runs downwards.
            TGlyphItem up;
            up.font = c.font;
            up.color = color;
            up.syntheticBold = face.syntheticBold;
            up.text = chText;
            up.transform = base;
            up.transform.translate(pen + c.advance / 2.0, baseline - face.ascent + face.Height() / 2.0);
            up.transform.rotate(-90);
            up.transform.scale(1, face.stretch);
            if (face.syntheticItalic)
                up.transform.shear(-0.2, 0);
            const double h = face.Height() > 0 ? face.Height() : em;
            const QPointF origin(-glyphAdvance(c.font, c.glyph) / 2, -em / 2 + em * face.ascent / h);
            up.glyphs.push_back(c.glyph);
            up.positions.push_back(origin + c.shift * em);
            sink_->Draw(std::move(up));
        }
        pen += c.advance;
    }
    flush();

    const int thick = std::max(1, static_cast<int>(std::lround(em / 20)));
    auto line = [&](int offsetY) {
        QPainterPath p;
        p.addPolygon(base.map(QPolygonF(QRectF(start, baseline + offsetY, l.width, thick))));
        p.closeSubpath();
        sink_->Draw(TFillItem{p, QBrush(color)});
    };
    if (font_.Style() & fsUnderline)
        line(std::max(1, static_cast<int>(std::lround(face.descent / 2.0))));
    if (font_.Style() & fsStrikeOut)
        line(-static_cast<int>(std::lround(em * 0.3)) - thick / 2);

    if (clipped) {
        clip_ = savedClip;
        emitClip();
    }
    return true;
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    ExtTextOutW(x, y, 0, nullptr, text);
    penPos_ = QPoint(x + TextWidth(text), y);
}

int TCanvas::TextWidth(const QString& text) const
{
    return layoutText(text, nullptr).width;
}

int TCanvas::TextHeight(const QString& text) const
{
    return RealizeFont(font_).Height();
}

QSize TCanvas::TextExtent(const QString& text) const
{
    const Layout l = layoutText(text, nullptr);
    return QSize(l.width, l.face.Height());
}

QSize TCanvas::GetTextExtentExPointW(const QString& text, int maxExtent, int* fit, std::vector<int>* extents) const
{
    const Layout l = layoutText(text, nullptr);
    int total = 0;
    int fitted = 0;
    bool stop = false;
    if (extents)
        extents->clear();
    for (const Layout::Char& c : l.chars) {
        total += c.advance;
        if (!stop && total <= maxExtent)
            fitted += c.units;
        else
            stop = true;
        if (extents)
            for (int u = 0; u < c.units; ++u)
                extents->push_back(total);
    }
    if (fit)
        *fit = fitted;
    return QSize(l.width, l.face.Height());
}

TTextMetric TCanvas::GetTextMetrics() const
{
    const TFontFace f = RealizeFont(font_);
    TTextMetric m;
    m.tmHeight = f.Height();
    m.tmAscent = f.ascent;
    m.tmDescent = f.descent;
    m.tmInternalLeading = f.internalLeading;
    m.tmAveCharWidth = font_.Width() > 0 ? font_.Width() : f.aveCharWidth;
    return m;
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
        return QRectF(l + half, t + half, r - l - pen.Width, b - t - pen.Width);
    }
    const double o = strokeOffset(pen);
    return QRectF(l + o, t + o, r - 1 - l, b - 1 - t);
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
    const QPainterPath fill = rectPath(QRectF(left, top, right - left - shrink, bottom - top - shrink));
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
    sink_->Draw(TFillItem{rectPath(QRectF(r)), QBrush(ToQColor(brush_.Color))});
}

void TCanvas::FrameRect(const QRect& r)
{
    if (r.isEmpty() || brush_.Style == bsClear)
        return;
    QPainterPath p = rectPath(QRectF(r));
    p.addRect(QRectF(r).adjusted(1, 1, -1, -1));
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

// --- clipping and state -----------------------------------------------------------

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

// --- pictures and playback ---------------------------------------------------------

void TCanvas::StretchDraw(const QRect& dest, const QImage& image, const QImage* mask)
{
    if (dest.isEmpty() || image.isNull())
        return;
    if (!mask) {
        sink_->Draw(TImageItem{image, QRectF(dest)});
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
    sink_->Draw(TImageItem{argb, QRectF(dest)});
}

void TCanvas::Draw(int x, int y, const QImage& image)
{
    StretchDraw(QRect(x, y, image.width(), image.height()), image);
}

void TCanvas::StretchDraw(const QRect& dest, const TMetafileEx& metafile)
{
    if (metafile.Width() <= 0 || metafile.Height() <= 0 || dest.isEmpty())
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

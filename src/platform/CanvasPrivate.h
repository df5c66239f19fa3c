#pragma once
// What the parts of TCanvas share (Canvas.cpp: back ends, shapes, paths,
// pictures; CanvasText.cpp: text; CanvasRegion.cpp: regions, clipping and
// saved states). Included by those files only.

#include "platform/Canvas.h"

#include <QPainterPath>
#include <QRawFont>
#include <QRectF>
#include <optional>
#include <vector>

// ---------------------------------------------------------------------------
// The back end a canvas draws through: Canvas.cpp has one that paints each
// item at once and one that appends it to a display list.

class TCanvasSink {
public:
    virtual ~TCanvasSink() = default;
    virtual bool Recording() const = 0;
    // The canvas's own clip (nullopt: none); the sink keeps it inside the
    // caller's clip.
    virtual void SetClip(const std::optional<QPainterPath>& clip) = 0;
    virtual void Draw(TDrawItem item) = 0;
    // What a drawing can reach, in the canvas's coordinates (nullopt: anywhere).
    virtual std::optional<QRectF> Reach() const { return std::nullopt; }
};

namespace canvas_detail {

inline QPainterPath rectPath(const QRectF& r)
{
    QPainterPath p;
    p.addRect(r);
    return p;
}

// A rectangle's area from its corners: QRect's own width and height overflow
// int for a rectangle that spans more than the int range.
inline QRectF areaOf(const QRect& r)
{
    return QRectF(r.left(), r.top(), double(r.right()) - r.left() + 1, double(r.bottom()) - r.top() + 1);
}

inline QPainterPath intersect(const std::optional<QPainterPath>& a, const QPainterPath& b)
{
    return a ? a->intersected(b) : b;
}

} // namespace canvas_detail

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

struct TCanvas::LayoutChar {
    enum Mode { Along, Upright };
    int units = 1;
    QRawFont font;
    quint32 glyph = 0;
    int advance = 0;
    Mode mode = Along;
    double offset = 0;       // along the baseline, stretched pixels (centred sideways forms)
    QPointF shift;           // upright forms set by hand, in em
    double glyphAdvance = 0; // the glyph's own advance in the face, unstretched
    char32_t ch = 0;
};

struct TCanvas::Layout {
    using Mode = LayoutChar::Mode;
    static constexpr Mode Along = LayoutChar::Along;
    static constexpr Mode Upright = LayoutChar::Upright;
    using Char = LayoutChar;
    TFontFace face;
    std::vector<Char> chars;
    int width = 0;
};

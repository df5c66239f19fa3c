#pragma once
// TCanvas: the drawing surface of the drawing objects, shaped like a Windows
// device context so the objects' layout rules read as they were written.
// Coordinates are device pixels of the target; the same calls either paint
// on a QPainter (screen, image, PDF, printer) or record into a TMetafileEx.
//
// Text is measured and drawn with the same integer advance per character
// (kerning and hinting off), so a layout that fits when measured fits when
// drawn, at every resolution. Fonts whose face begins with "@" write
// vertically as the Windows "@" fonts do (see VerticalText.h).

#include "platform/Font.h"
#include "platform/Metafile.h"

#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QImage;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenCap { pcRound, pcSquare, pcFlat };
enum TPenJoin { pjRound, pjBevel, pjMiter };

// A cosmetic pen is at most one pixel wide whatever its Width says; a wide or
// geometric pen strokes Width pixels with its caps and joins (a wide plain
// pen has round caps and joins, as Windows draws one).
struct TPen {
    TColor Color = 0;
    int Width = 1;
    TPenStyle Style = psSolid;
    bool Geometric = false;
    TPenCap Cap = pcRound;
    TPenJoin Join = pjRound;
};

enum TBrushStyle { bsSolid, bsClear };
struct TBrush {
    TColor Color = 0xFFFFFF;
    TBrushStyle Style = bsSolid;
};

// Text alignment, output options, background modes, fill modes, region
// operations and path point types with their Windows values, kept in their
// own namespace so the short names never meet a macro or another library's.
namespace gdi {
enum : unsigned { TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24 };
enum : unsigned { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { ALTERNATE = 1, WINDING = 2 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : int { NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
enum : unsigned char { PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6 };
} // namespace gdi

// An area of device pixels. Rectangles exclude their right and bottom edge.
class TRegion {
public:
    TRegion() = default;
    static TRegion Rect(int left, int top, int right, int bottom);
    static TRegion Rect(const QRect& r) { return Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1); }
    static TRegion RoundRect(int left, int top, int right, int bottom, int cornerW, int cornerH);
    static TRegion Ellipse(int left, int top, int right, int bottom);
    static TRegion Polygon(const std::vector<QPoint>& points, int fillMode = gdi::ALTERNATE);
    static TRegion FromPath(const QPainterPath& path) { return TRegion(path); }

    // CombineRgn: *this := a op b; returns the region's complexity.
    int Combine(const TRegion& a, const TRegion& b, int op);
    void Offset(int dx, int dy);
    bool IsEmpty() const;
    QRect Bounds() const;
    bool Contains(const QPoint& p) const;
    const QPainterPath& Path() const { return path_; }

private:
    explicit TRegion(QPainterPath p) : path_(std::move(p)) {}
    QPainterPath path_;
};

struct TTextMetric {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmAveCharWidth = 0;
};

class TCanvasSink;

class TCanvas {
public:
    // Paints on painter; the painter's clip at this moment is the caller's
    // clip, which every clip of the canvas stays inside. dpi is the device's
    // resolution (LOGPIXELSX/Y) and the font's pixels per inch.
    TCanvas(QPainter& painter, int dpiX = 96, int dpiY = 96);
    // Records into metafile at the metafile's resolution.
    explicit TCanvas(TMetafileEx& metafile);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    bool IsRecording() const;
    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }

    // Properties. Font() returns the live font: changes apply to the next
    // output. SetFont assigns (keeping the point size across resolutions).
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& f) { font_.Assign(f); }
    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }

    unsigned TextAlign() const { return textAlign_; }
    void SetTextAlign(unsigned flags) { textAlign_ = flags; }
    int BkMode() const { return bkMode_; }
    void SetBkMode(int mode) { bkMode_ = mode; }

    // Text. Positions follow the alignment flags; the text runs along the
    // font's escapement. dx, when given, holds one advance per UTF-16 unit.
    void TextOut(int x, int y, const QString& text);
    bool ExtTextOutW(int x, int y, unsigned options, const QRect* rect, const QString& text,
                     const int* dx = nullptr);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    QSize TextExtent(const QString& text) const;
    QSize GetTextExtentPoint32W(const QString& text) const { return TextExtent(text); }
    // The number of UTF-16 units that fit maxExtent (never half a surrogate
    // pair) and, when asked, the extent after each unit.
    QSize GetTextExtentExPointW(const QString& text, int maxExtent, int* fit, std::vector<int>* extents = nullptr) const;
    TTextMetric GetTextMetrics() const;

    // Lines and shapes, with the pen for outlines and the brush for insides.
    QPoint PenPos() const { return penPos_; }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const std::vector<QPoint>& points);
    void Polygon(const std::vector<QPoint>& points);
    void PolyBezier(const std::vector<QPoint>& points);   // 3n + 1 points
    void PolyBezierTo(const std::vector<QPoint>& points); // 3n points from PenPos
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const QRect& r) { Rectangle(r.left(), r.top(), r.right() + 1, r.bottom() + 1); }
    void Ellipse(int left, int top, int right, int bottom);
    void RoundRect(int left, int top, int right, int bottom, int cornerW, int cornerH);
    void FillRect(const QRect& r);  // brush, no outline
    void FrameRect(const QRect& r); // one pixel in the brush colour
    void FillRegion(const TRegion& region);
    int PolyFillMode() const { return fillMode_; }
    void SetPolyFillMode(int mode) { fillMode_ = mode; }

    // Paths: between BeginPath and EndPath the line and curve calls build the
    // path instead of drawing.
    void BeginPath();
    void EndPath();
    void AbortPath();
    void CloseFigure();
    void FlattenPath();
    // Number of points, as the device returns it (-1 when there is no path).
    int GetPath(std::vector<QPoint>& points, std::vector<unsigned char>& types) const;
    void StrokePath();
    void FillPath();
    void StrokeAndFillPath();
    TRegion PathToRegion();

    // Clip regions, always inside the caller's clip.
    void SelectClipRgn(const TRegion* region); // nullptr: no clip of our own
    void ExtSelectClipRgn(const TRegion* region, int mode);
    void IntersectClipRect(int left, int top, int right, int bottom);
    // 1 and the clip in region when a clip is selected, else 0.
    int GetClipRgn(TRegion& region) const;
    int SaveDC();
    bool RestoreDC(int saved); // -1: the last saved state
    // The smallest rectangle holding every pixel a drawing can reach now:
    // the device's area inside the caller's clip and the canvas's own.
    // Nothing while recording: a display list may be played anywhere.
    std::optional<QRect> ClipBox() const;

    // Pictures. A mask, when given, keeps the picture where the mask is dark
    // and leaves the page untouched where it is light.
    void StretchDraw(const QRect& dest, const QImage& image, const QImage* mask = nullptr);
    void Draw(int x, int y, const QImage& image);
    // Plays a recording stretched into dest, or at its natural size. The
    // QRectF form places it to a fraction of a pixel, and anywhere: a far-out
    // item has no int rectangle.
    void StretchDraw(const QRect& dest, const TMetafileEx& metafile);
    void StretchDraw(const QRectF& dest, const TMetafileEx& metafile);
    void Draw(int x, int y, const TMetafileEx& metafile);

private:
    struct State;
public:
    struct LayoutChar; // one character as measured, in CanvasPrivate.h
private:
    struct Layout;
    Layout layoutText(const QString& text, const int* dx) const;
    int textWidth(const QString& text) const;
    void emitClip();
    void drawShape(const QPainterPath& fill, const QPainterPath& outline, bool closed);
    void strokeOnly(const QPainterPath& outline);
    void playback(const TMetafileEx& metafile, const QTransform& t);
    QPen strokePen() const;
    void addPathPoint(const QPoint& p, unsigned char type);

    std::unique_ptr<TCanvasSink> sink_;
    int dpiX_ = 96;
    int dpiY_ = 96;
    TFont font_;
    TPen pen_;
    TBrush brush_;
    unsigned textAlign_ = gdi::TA_LEFT | gdi::TA_TOP;
    int bkMode_ = gdi::OPAQUE;
    int fillMode_ = gdi::ALTERNATE;
    QPoint penPos_;
    std::optional<QPainterPath> clip_;
    std::vector<State> saved_;
    bool inPath_ = false;
    bool hasPath_ = false;
    std::vector<QPoint> pathPoints_;
    std::vector<unsigned char> pathTypes_;
};

// Measured characters kept by the text caches of this thread, and the most
// they ever keep, however many faces and characters a layout names.
qsizetype CanvasCachedChars();
inline constexpr qsizetype kCanvasMaxCachedChars = 1 << 16;

#pragma once
// Outlines the plain pen cannot draw: dashed, dotted and dash-dot outlines
// whose dashes scale with the line width and end flat, alike on screen and
// on any printer. Three layers:
//
// 1. Outline builders that put a rectangle, rounded rectangle, ellipse, arc
//    or sector into the canvas's current path, every curve as cubic Bezier
//    segments computed here (never the device's own ellipse calls), so the
//    geometry is the same on every device.
// 2. TPath: the canvas's path read back as points, after flattening.
// 3. A dash stroker that cuts each subpath into dashes by a pattern of
//    lengths and strokes every dash as its own open polyline.
//
// Coordinates are device pixels. Angles are radians, counter-clockwise with
// the y axis up: the point at angle t of an ellipse is
// (CX + RX cos t, CY - RY sin t). Everything that lands on the device is an
// integer, so results can be compared exactly.

#include "platform/Font.h"

#include <QPoint>
#include <QtGlobal>

#include <stdexcept>
#include <vector>

class TCanvas;

// A device path as points and point types (gdi::PT_*: bit 0 closes the
// subpath after the point, bits 1-2 line-to 2, Bezier-to 4, move-to 6).
// Count is what the device last answered: 0 or below after a failed read.
struct TPathInfo {
    qint32 Count = 0;
    std::vector<QPoint> Points;
    std::vector<quint8> Types;
};

// One point of a TPath. Kind: 0 move-to, 1 line-to, 2 Bezier-to.
struct TPathPoint {
    qint32 X = 0;
    qint32 Y = 0;
    quint8 Kind = 0;
    bool Closed = false;
};

class EPathError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Dash patterns: dash, gap, dash, gap ... in multiples of the pen width.
using TDashPattern = std::vector<double>;

// The pattern of a figure's line type 1-4 (1 dashes, 2 dots, 3 dash-dot,
// 4 dash-dot-dot); empty for 0 (solid) and anything else.
const TDashPattern& LineTypePattern(int LineType);

class TPath {
public:
    qint32 GetCount() const { return Info.Count; }
    // Raises EPathError outside 0..Count-1.
    TPathPoint GetPoint(qint32 Index) const;
    // Replaces the content by the canvas's current path. When the canvas has
    // none, Count becomes the device's answer (below 1) and the points stay.
    void LoadFromCanvas(const TCanvas& Canvas);
    void Assign(const TPath& Source);
    // Strokes every subpath dashed; the pattern restarts at the first point
    // of each subpath and runs on across its vertices.
    void StrokeDashed(TCanvas& Canvas, TColor Color, qint32 Width, const TDashPattern& Pattern,
                      bool FlatCaps) const;

    const TPathInfo& GetInfo() const { return Info; }

private:
    TPathInfo Info;
};

// One elliptic arc segment of at most a quarter turn as one cubic Bezier
// from the current position (after a move to its start when MoveFirst).
void ArcSegmentTo(TCanvas& Canvas, bool MoveFirst, double CX, double CY, double RX, double RY, double Start,
                  double Sweep);
// An arc of any signed sweep, opening a subpath at its start; returns that
// start point.
QPoint PathAngleArc(TCanvas& Canvas, double CX, double CY, double RX, double RY, double Start, double Sweep);
// The arc of the ellipse inscribed in (X1, Y1)-(X2, Y2) counter-clockwise
// from the radial through (X3, Y3) to the radial through (X4, Y4), as the
// device's Arc call means it; opens a subpath and returns its start point.
// Radials in one direction give no arc, only the start point.
QPoint PathArc(TCanvas& Canvas, qint32 X1, qint32 Y1, qint32 X2, qint32 Y2, qint32 X3, qint32 Y3, qint32 X4,
               qint32 Y4);
// Closed outlines, as the device's Pie, Rectangle (right and bottom edges
// one pixel inside), RoundRect (X3, Y3: the corner ellipse's width and
// height) and Ellipse calls mean them.
void PathPie(TCanvas& Canvas, qint32 X1, qint32 Y1, qint32 X2, qint32 Y2, qint32 X3, qint32 Y3, qint32 X4,
             qint32 Y4);
void PathRectangle(TCanvas& Canvas, qint32 X1, qint32 Y1, qint32 X2, qint32 Y2);
void PathRoundRect(TCanvas& Canvas, qint32 X1, qint32 Y1, qint32 X2, qint32 Y2, qint32 X3, qint32 Y3);
void PathEllipse(TCanvas& Canvas, qint32 X1, qint32 Y1, qint32 X2, qint32 Y2);

// Cuts the polyline into dashes by Pattern (scaled by Width, at least 1)
// and strokes each dash of two or more points as its own open polyline with
// a geometric pen (flat or round ends, round joins). The canvas's pen is
// put back afterwards, also when drawing fails. A pattern that does not
// advance (empty, a negative or non-finite entry, a sum of 0) draws nothing.
void DashPolyline(const std::vector<QPoint>& Points, TCanvas& Canvas, TColor Color, qint32 Width,
                  const TDashPattern& Pattern, bool FlatCaps);

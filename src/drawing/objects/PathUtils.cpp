#include "drawing/objects/PathUtils.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace gdi;

namespace {

constexpr double kQuarter = std::numbers::pi / 2;

// Nearest integer, halves away from zero, kept inside the int range.
int RoundPixel(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::lround(std::clamp(v, -2.0e9, 2.0e9)));
}

QPoint PointAt(double CX, double CY, double RX, double RY, double Angle)
{
    return QPoint(RoundPixel(CX + RX * std::cos(Angle)), RoundPixel(CY - RY * std::sin(Angle)));
}

// Centre and radii of the ellipse inscribed in a box, as the device takes
// them: the radii reach the last pixel inside, never below 0.
struct TBoxEllipse {
    double CX, CY, RX, RY;
};

TBoxEllipse EllipseOfBox(qint32 X1, qint32 Y1, qint32 X2, qint32 Y2)
{
    const double cx = (double(X1) + X2) / 2;
    const double cy = (double(Y1) + Y2) / 2;
    const double rx = std::max((std::abs(double(X1) - X2) - 1) / 2, 0.0);
    const double ry = std::max((std::abs(double(Y1) - Y2) - 1) / 2, 0.0);
    return {cx, cy, rx, ry};
}

double Distance(const QPoint& a, const QPoint& b)
{
    return std::hypot(double(b.x()) - a.x(), double(b.y()) - a.y());
}

// The point at walked distance At on the segment a -> b, whose far end b
// lies at walked distance D: b moved back towards a.
QPoint PointBack(const QPoint& a, const QPoint& b, double D, double At)
{
    const double len = Distance(a, b);
    if (len <= 0)
        return b;
    const double f = (D - At) / len;
    return QPoint(RoundPixel(b.x() + (double(a.x()) - b.x()) * f), RoundPixel(b.y() + (double(a.y()) - b.y()) * f));
}

// Puts the canvas's pen back however the stroking ends.
class TPenKeeper {
public:
    explicit TPenKeeper(TCanvas& c) : canvas_(c), saved_(c.Pen()) {}
    ~TPenKeeper() { canvas_.Pen() = saved_; }
    TPenKeeper(const TPenKeeper&) = delete;
    TPenKeeper& operator=(const TPenKeeper&) = delete;

private:
    TCanvas& canvas_;
    TPen saved_;
};

bool PatternAdvances(const TDashPattern& Pattern)
{
    double sum = 0;
    for (double v : Pattern) {
        if (!std::isfinite(v) || v < 0)
            return false;
        sum += v;
    }
    return sum > 0;
}

} // namespace

const TDashPattern& LineTypePattern(int LineType)
{
    static const TDashPattern none;
    static const TDashPattern patterns[] = {
        {18, 6},
        {3, 3},
        {9, 6, 3, 6},
        {9, 3, 3, 3, 3, 3},
    };
    return LineType >= 1 && LineType <= 4 ? patterns[LineType - 1] : none;
}

// --- outline builders ----------------------------------------------------------

void ArcSegmentTo(TCanvas& Canvas, bool MoveFirst, double CX, double CY, double RX, double RY, double Start,
                  double Sweep)
{
    if (Sweep == 0) {
        const QPoint p = PointAt(CX, CY, RX, RY, Start);
        if (MoveFirst)
            Canvas.MoveTo(p.x(), p.y());
        Canvas.LineTo(p.x(), p.y());
        return;
    }
    // Unit control points symmetric about the segment's bisector, then
    // turned onto it and scaled by the radii.
    const double h = Sweep / 2;
    const double s = std::sin(h);
    const double c = std::cos(h);
    const double k = (1 - c) * 4 / 3;
    const double e = s - k * c / s;
    const double m = Start + h;
    const double cm = std::cos(m);
    const double sm = std::sin(m);
    // The small shift makes exact halves round down, so neighbouring
    // segments meet on the same pixel.
    auto map = [&](double qx, double qy) {
        return QPoint(RoundPixel((qx * cm + qy * sm) * RX + CX - 0.0001),
                      RoundPixel((-qx * sm + qy * cm) * RY + CY - 0.0001));
    };
    const QPoint q0 = map(c, s);
    if (MoveFirst)
        Canvas.MoveTo(q0.x(), q0.y());
    Canvas.PolyBezierTo({map(c + k, e), map(c + k, -e), map(c, -s)});
}

QPoint PathAngleArc(TCanvas& Canvas, double CX, double CY, double RX, double RY, double Start, double Sweep)
{
    const QPoint startPoint = PointAt(CX, CY, RX, RY, Start);
    bool first = true;
    while (Sweep > kQuarter) {
        ArcSegmentTo(Canvas, first, CX, CY, RX, RY, Start, kQuarter);
        first = false;
        Start += kQuarter;
        Sweep -= kQuarter;
    }
    while (Sweep < -kQuarter) {
        ArcSegmentTo(Canvas, first, CX, CY, RX, RY, Start, -kQuarter);
        first = false;
        Start -= kQuarter;
        Sweep += kQuarter;
    }
    ArcSegmentTo(Canvas, first, CX, CY, RX, RY, Start, Sweep);
    return startPoint;
}

namespace {

// The arc of PathArc; also hands back the ellipse for PathPie.
QPoint BoxArc(TCanvas& Canvas, qint32 X1, qint32 Y1, qint32 X2, qint32 Y2, qint32 X3, qint32 Y3, qint32 X4,
              qint32 Y4, TBoxEllipse& E)
{
    E = EllipseOfBox(X1, Y1, X2, Y2);
    // The radial points scaled onto the unit circle.
    double a1 = std::atan2(-(Y3 - E.CY) * E.RX, (X3 - E.CX) * E.RY);
    const double a2 = std::atan2(-(Y4 - E.CY) * E.RX, (X4 - E.CX) * E.RY);
    double sweep = a2 - a1;
    if (sweep < 0)
        sweep += 2 * std::numbers::pi;
    const QPoint startPoint = PointAt(E.CX, E.CY, E.RX, E.RY, a1);
    bool first = true;
    while (sweep > kQuarter) {
        ArcSegmentTo(Canvas, first, E.CX, E.CY, E.RX, E.RY, a1, kQuarter);
        first = false;
        a1 += kQuarter;
        sweep -= kQuarter;
    }
    ArcSegmentTo(Canvas, first, E.CX, E.CY, E.RX, E.RY, a1, sweep);
    return startPoint;
}

} // namespace

QPoint PathArc(TCanvas& Canvas, qint32 X1, qint32 Y1, qint32 X2, qint32 Y2, qint32 X3, qint32 Y3, qint32 X4,
               qint32 Y4)
{
    TBoxEllipse e;
    return BoxArc(Canvas, X1, Y1, X2, Y2, X3, Y3, X4, Y4, e);
}

void PathPie(TCanvas& Canvas, qint32 X1, qint32 Y1, qint32 X2, qint32 Y2, qint32 X3, qint32 Y3, qint32 X4,
             qint32 Y4)
{
    TBoxEllipse e;
    const QPoint start = BoxArc(Canvas, X1, Y1, X2, Y2, X3, Y3, X4, Y4, e);
    Canvas.LineTo(RoundPixel(e.CX), RoundPixel(e.CY));
    Canvas.LineTo(start.x(), start.y());
    Canvas.CloseFigure();
}

void PathRectangle(TCanvas& Canvas, qint32 X1, qint32 Y1, qint32 X2, qint32 Y2)
{
    const qint32 l = std::min(X1, X2), r = std::max(X1, X2);
    const qint32 t = std::min(Y1, Y2), b = std::max(Y1, Y2);
    Canvas.MoveTo(l, t);
    Canvas.LineTo(r - 1, t);
    Canvas.LineTo(r - 1, b - 1);
    Canvas.LineTo(l, b - 1);
    Canvas.CloseFigure();
}

void PathRoundRect(TCanvas& Canvas, qint32 X1, qint32 Y1, qint32 X2, qint32 Y2, qint32 X3, qint32 Y3)
{
    const qint32 l = std::min(X1, X2), r = std::max(X1, X2);
    const qint32 t = std::min(Y1, Y2), b = std::max(Y1, Y2);
    const qint32 cw = std::min(r - l, std::max(X3, 0));
    const qint32 ch = std::min(b - t, std::max(Y3, 0));
    // A corner of size 0 is a square corner, not a radius of -1/2.
    const double rx = std::max((cw - 1) / 2.0, 0.0);
    const double ry = std::max((ch - 1) / 2.0, 0.0);
    const double xL = l + cw / 2.0, xR = r - cw / 2.0;
    const double yT = t + ch / 2.0, yB = b - ch / 2.0;
    const double pi = std::numbers::pi;
    ArcSegmentTo(Canvas, true, xL, yT, rx, ry, pi / 2, kQuarter);
    Canvas.LineTo(l, b - ch / 2);
    ArcSegmentTo(Canvas, false, xL, yB, rx, ry, pi, kQuarter);
    Canvas.LineTo(r - cw / 2, b - 1);
    ArcSegmentTo(Canvas, false, xR, yB, rx, ry, 3 * pi / 2, kQuarter);
    Canvas.LineTo(r - 1, t + ch / 2);
    ArcSegmentTo(Canvas, false, xR, yT, rx, ry, 0, kQuarter);
    Canvas.CloseFigure();
}

void PathEllipse(TCanvas& Canvas, qint32 X1, qint32 Y1, qint32 X2, qint32 Y2)
{
    const TBoxEllipse e = EllipseOfBox(X1, Y1, X2, Y2);
    PathAngleArc(Canvas, e.CX, e.CY, e.RX, e.RY, 0, 2 * std::numbers::pi);
    Canvas.CloseFigure();
}

// --- TPath -----------------------------------------------------------------------

TPathPoint TPath::GetPoint(qint32 Index) const
{
    if (Index < 0 || Index >= Info.Count || static_cast<size_t>(Index) >= Info.Points.size())
        throw EPathError("TPath.GetPoint: Index is Out of Range");
    const quint8 type = Info.Types[static_cast<size_t>(Index)];
    TPathPoint p;
    p.X = Info.Points[static_cast<size_t>(Index)].x();
    p.Y = Info.Points[static_cast<size_t>(Index)].y();
    switch (type & ~PT_CLOSEFIGURE) {
    case PT_LINETO: p.Kind = 1; break;
    case PT_BEZIERTO: p.Kind = 2; break;
    default: p.Kind = 0; break;
    }
    p.Closed = (type & PT_CLOSEFIGURE) != 0;
    return p;
}

void TPath::LoadFromCanvas(const TCanvas& Canvas)
{
    std::vector<QPoint> points;
    std::vector<unsigned char> types;
    Info.Count = Canvas.GetPath(points, types);
    if (Info.Count < 1)
        return;
    Info.Points = std::move(points);
    Info.Types.assign(types.begin(), types.end());
}

void TPath::Assign(const TPath& Source)
{
    if (&Source != this)
        Info = Source.Info;
}

void TPath::StrokeDashed(TCanvas& Canvas, TColor Color, qint32 Width, const TDashPattern& Pattern,
                         bool FlatCaps) const
{
    const qint32 count = std::min<qint64>(Info.Count, static_cast<qint64>(Info.Points.size()));
    qint32 i = 0;
    while (i < count - 1) {
        qint32 j = i + 1;
        while (j < count && (Info.Types[static_cast<size_t>(j)] & ~PT_CLOSEFIGURE) != PT_MOVETO)
            ++j;
        if (j - i >= 2) {
            std::vector<QPoint> line(Info.Points.begin() + i, Info.Points.begin() + j);
            if (Info.Types[static_cast<size_t>(j - 1)] & PT_CLOSEFIGURE)
                line.push_back(Info.Points[static_cast<size_t>(i)]);
            DashPolyline(line, Canvas, Color, Width, Pattern, FlatCaps);
        }
        i = j;
    }
}

// --- stroker ------------------------------------------------------------------------

void DashPolyline(const std::vector<QPoint>& Points, TCanvas& Canvas, TColor Color, qint32 Width,
                  const TDashPattern& Pattern, bool FlatCaps)
{
    const size_t n = Points.size();
    if (n == 0 || !PatternAdvances(Pattern))
        return;
    // A width below 1 would make every dash 0 long and the walk never end.
    const double width = std::max(Width, 1);
    TPenKeeper keep(Canvas);
    TPen pen;
    pen.Color = Color;
    pen.Width = std::max(Width, 1);
    pen.Style = psSolid;
    pen.Geometric = true;
    pen.Cap = FlatCaps ? pcFlat : pcRound;
    pen.Join = pjRound;
    Canvas.Pen() = pen;

    const size_t last = n - 1;
    double D = 0;
    size_t p = 0;
    size_t q = 0;
    double S = 0;
    double E = width * Pattern[0];
    std::vector<QPoint> dash;
    dash.reserve(n + 1);
    for (;;) {
        while (D < S) {
            if (p == last)
                return;
            D += Distance(Points[p], Points[p + 1]);
            ++p;
        }
        dash.clear();
        if (S < D)
            dash.push_back(PointBack(Points[p - 1], Points[p], D, S));
        while (D <= E) {
            dash.push_back(Points[p]);
            if (p == last)
                break;
            D += Distance(Points[p], Points[p + 1]);
            ++p;
        }
        if (E < D)
            dash.push_back(PointBack(Points[p - 1], Points[p], D, E));
        // A dash of one point has no length to stroke.
        if (dash.size() >= 2) {
            Canvas.BeginPath();
            Canvas.Polyline(dash);
            Canvas.EndPath();
            Canvas.StrokePath();
        }
        q = (q + 1) % Pattern.size();
        S = E;
        E = S + width * Pattern[q];
        q = (q + 1) % Pattern.size();
        S = E;
        E = S + width * Pattern[q];
    }
}

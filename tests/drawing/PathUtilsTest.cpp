#include "drawing/objects/PathUtils.h"
#include "platform/Canvas.h"
#include "platform/Metafile.h"

#include <QPainterPath>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace gdi;

namespace {

constexpr double kPi = std::numbers::pi;

// A recording canvas whose path the builders fill.
struct TPathCanvas {
    TMetafileEx mf;
    TCanvas c{mf};

    template <class Build>
    TPath Built(Build build, bool flatten = false)
    {
        c.BeginPath();
        build(c);
        c.EndPath();
        if (flatten)
            c.FlattenPath();
        TPath p;
        p.LoadFromCanvas(c);
        return p;
    }
};

int CountKind(const TPath& p, quint8 kind)
{
    int n = 0;
    for (int i = 0; i < p.GetCount(); ++i)
        n += p.GetPoint(i).Kind == kind;
    return n;
}

// The stroked dashes of a recording as their points, in order.
std::vector<std::vector<QPoint>> Strokes(const TMetafileEx& mf, std::vector<QPen>* pens = nullptr)
{
    std::vector<std::vector<QPoint>> out;
    for (const TDrawItem& item : mf.Items()) {
        const auto* s = std::get_if<TStrokeItem>(&item);
        if (!s)
            continue;
        if (pens)
            pens->push_back(s->pen);
        std::vector<QPoint> pts;
        // Odd widths are stroked on pixel centres; floor takes them back.
        for (int i = 0; i < s->path.elementCount(); ++i)
            pts.emplace_back(int(std::floor(s->path.elementAt(i).x)), int(std::floor(s->path.elementAt(i).y)));
        out.push_back(pts);
    }
    return out;
}

std::vector<std::vector<QPoint>> Dashed(const std::vector<QPoint>& line, int width, const TDashPattern& pattern)
{
    TMetafileEx mf;
    {
        TCanvas c(mf);
        DashPolyline(line, c, 0, width, pattern, true);
    }
    return Strokes(mf);
}

using Line = std::vector<QPoint>;

} // namespace

TEST(PathGeometry, ArcsAreCutIntoAtMostQuarterTurns)
{
    struct Case {
        double sweep;
        int cubics;
    } cases[] = {{kPi / 2, 1}, {2 * kPi, 4}, {-3 * kPi / 4, 2}, {kPi / 3, 1}, {3 * kPi / 2 + 0.01, 4}};
    for (const Case& k : cases) {
        TPathCanvas pc;
        const TPath p = pc.Built([&](TCanvas& c) { PathAngleArc(c, 100, 100, 50, 30, 0, k.sweep); });
        EXPECT_EQ(CountKind(p, 2), 3 * k.cubics) << k.sweep;
        EXPECT_EQ(CountKind(p, 0), 1) << "one subpath, opened once";
        EXPECT_EQ(p.GetPoint(0).X, 150);
        EXPECT_EQ(p.GetPoint(0).Y, 100);
    }

    // A quarter of a circle of radius 50: the control points lie 0.5523 of
    // the radius along the tangents.
    TPathCanvas pc;
    const TPath q = pc.Built([](TCanvas& c) { PathAngleArc(c, 100, 100, 50, 50, 0, kPi / 2); });
    ASSERT_EQ(q.GetCount(), 4);
    const QPoint expected[] = {{150, 100}, {150, 72}, {128, 50}, {100, 50}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(QPoint(q.GetPoint(i).X, q.GetPoint(i).Y), expected[i]) << i;

    // Clockwise: -3/4 turn ends at angle -3pi/4 (lower left).
    TPathCanvas cw;
    const TPath back = cw.Built([](TCanvas& c) { PathAngleArc(c, 0, 0, 100, 100, 0, -3 * kPi / 4); });
    const TPathPoint end = back.GetPoint(back.GetCount() - 1);
    EXPECT_EQ(end.X, -71);
    EXPECT_EQ(end.Y, 71);
}

TEST(PathGeometry, ArcsAndSectorsByBoxAndRadials)
{
    // Radials in one direction: the start point only, never a full ellipse.
    TPathCanvas same;
    const TPath arc = same.Built([](TCanvas& c) { PathArc(c, 0, 0, 100, 50, 100, 25, 200, 25); });
    ASSERT_EQ(arc.GetCount(), 2);
    EXPECT_EQ(arc.GetPoint(0).Kind, 0);
    EXPECT_EQ(arc.GetPoint(1).Kind, 1);
    EXPECT_EQ(arc.GetPoint(0).X, arc.GetPoint(1).X);

    // ... and the sector is then just the two radii back to the start.
    TPathCanvas pie0;
    const TPath radii = pie0.Built([](TCanvas& c) { PathPie(c, 0, 0, 100, 50, 100, 25, 200, 25); });
    ASSERT_EQ(radii.GetCount(), 4);
    EXPECT_EQ(QPoint(radii.GetPoint(2).X, radii.GetPoint(2).Y), QPoint(50, 25)); // the centre
    EXPECT_TRUE(radii.GetPoint(3).Closed);
    EXPECT_EQ(CountKind(radii, 2), 0);

    // A quarter sector with its apex at the bottom-right corner of (0,0,W,H):
    // one cubic from next to the top to next to the left (the radials pass
    // one pixel inside the corners), then to the centre and back.
    TPathCanvas pie;
    const TPath q = pie.Built([](TCanvas& c) { PathPie(c, 0, 0, 200, 100, 99, 0, 0, 49); });
    EXPECT_EQ(CountKind(q, 2), 3);
    EXPECT_EQ(QPoint(q.GetPoint(0).X, q.GetPoint(0).Y), QPoint(99, 1));
    EXPECT_EQ(QPoint(q.GetPoint(3).X, q.GetPoint(3).Y), QPoint(1, 49));
    EXPECT_EQ(QPoint(q.GetPoint(4).X, q.GetPoint(4).Y), QPoint(100, 50));
    EXPECT_TRUE(q.GetPoint(q.GetCount() - 1).Closed);
}

TEST(PathGeometry, ClosedOutlinesStayInsideTheirBox)
{
    TPathCanvas pc;
    const TPath rect = pc.Built([](TCanvas& c) { PathRectangle(c, 50, 40, 10, 20); });
    const QPoint corners[] = {{10, 20}, {49, 20}, {49, 39}, {10, 39}};
    ASSERT_EQ(rect.GetCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(QPoint(rect.GetPoint(i).X, rect.GetPoint(i).Y), corners[i]);
    EXPECT_TRUE(rect.GetPoint(3).Closed);

    // Flat boxes give radii of 0, never negative: every point on one line.
    TPathCanvas flat;
    const TPath line = flat.Built([](TCanvas& c) { PathEllipse(c, 0, 10, 80, 10); });
    EXPECT_EQ(CountKind(line, 2), 12);
    for (int i = 0; i < line.GetCount(); ++i)
        EXPECT_EQ(line.GetPoint(i).Y, 10) << i;

    // Rounded rectangles, corner sizes from none to beyond the box: each
    // corner arc stays within its quarter of the corner ellipse's box.
    for (int corner : {0, 1, 20, 500, -7}) {
        TPathCanvas rr;
        const TPath p = rr.Built([&](TCanvas& c) { PathRoundRect(c, 0, 0, 60, 40, corner, corner); });
        EXPECT_EQ(CountKind(p, 2), 12) << corner;
        for (int i = 0; i < p.GetCount(); ++i) {
            const TPathPoint pt = p.GetPoint(i);
            EXPECT_TRUE(pt.X >= 0 && pt.X <= 60 && pt.Y >= 0 && pt.Y <= 40) << corner << " point " << i;
        }
        EXPECT_TRUE(p.GetPoint(p.GetCount() - 1).Closed);
    }

    // Without a corner size the radius is 0, not -1/2: each corner's cubic
    // is one point.
    TPathCanvas square;
    const TPath s = square.Built([](TCanvas& c) { PathRoundRect(c, 0, 0, 60, 40, 0, 0); });
    int cubics = 0;
    for (int i = 1; i + 2 < s.GetCount(); ++i) {
        if (s.GetPoint(i).Kind != 2)
            continue;
        ++cubics;
        for (int k = 1; k < 3; ++k)
            EXPECT_EQ(QPoint(s.GetPoint(i + k).X, s.GetPoint(i + k).Y), QPoint(s.GetPoint(i).X, s.GetPoint(i).Y))
                << i + k;
        i += 2;
    }
    EXPECT_EQ(cubics, 4);
}

TEST(PathGeometry, PathPointsAreReadAsTheDeviceGaveThem)
{
    TPathCanvas pc;
    const TPath p = pc.Built([](TCanvas& c) {
        c.MoveTo(0, 0);
        c.LineTo(10, 0);
        c.PolyBezierTo({QPoint(20, 0), QPoint(20, 10), QPoint(20, 20)});
        c.CloseFigure();
    });
    ASSERT_EQ(p.GetCount(), 5);
    EXPECT_EQ(p.GetPoint(0).Kind, 0);
    EXPECT_EQ(p.GetPoint(1).Kind, 1);
    EXPECT_EQ(p.GetPoint(2).Kind, 2);
    EXPECT_FALSE(p.GetPoint(3).Closed);
    EXPECT_TRUE(p.GetPoint(4).Closed);
    try {
        p.GetPoint(p.GetCount());
        ADD_FAILURE() << "no error past the end";
    } catch (const EPathError& e) {
        EXPECT_STREQ(e.what(), "TPath.GetPoint: Index is Out of Range");
    }
    EXPECT_THROW(p.GetPoint(-1), EPathError);

    // A copy is its own: loading another path leaves it alone.
    TPath copy;
    copy.Assign(p);
    TPathCanvas other;
    TPath q = other.Built([](TCanvas& c) { PathRectangle(c, 0, 0, 5, 5); });
    q.Assign(copy);
    EXPECT_EQ(q.GetCount(), 5);
    EXPECT_EQ(q.GetPoint(2).X, 20);

    // A canvas without a path: the device's answer, nothing stroked.
    TMetafileEx mf;
    {
        TCanvas c(mf);
        TPath none;
        none.LoadFromCanvas(c);
        EXPECT_LT(none.GetCount(), 1);
        none.StrokeDashed(c, 0, 3, LineTypePattern(1), true);
    }
    EXPECT_TRUE(mf.Empty());
}

TEST(DashStroker, DashesAndGapsScaleWithTheWidth)
{
    EXPECT_EQ(Dashed({{0, 0}, {100, 0}}, 2, {18, 6}),
              (std::vector<Line>{{{0, 0}, {36, 0}}, {{48, 0}, {84, 0}}, {{96, 0}, {100, 0}}}));
    // Shorter than the first dash: stroked whole.
    EXPECT_EQ(Dashed({{5, 5}, {10, 5}, {10, 9}}, 3, {18, 6}), (std::vector<Line>{{{5, 5}, {10, 5}, {10, 9}}}));
    // A dash ending and one starting on a vertex use it, nothing interpolated;
    // the second dash turns the corner as one stroke.
    EXPECT_EQ(Dashed({{0, 0}, {18, 0}, {18, 30}}, 1, {18, 6}),
              (std::vector<Line>{{{0, 0}, {18, 0}}, {{18, 6}, {18, 24}}}));
    EXPECT_EQ(Dashed({{0, 0}, {24, 0}, {24, 40}}, 1, {18, 6}),
              (std::vector<Line>{{{0, 0}, {18, 0}}, {{24, 0}, {24, 18}}, {{24, 24}, {24, 40}}}));
    // A dash that would start on the very last point has one point: dropped.
    EXPECT_EQ(Dashed({{0, 0}, {24, 0}}, 1, {18, 6}), (std::vector<Line>{{{0, 0}, {18, 0}}}));
}

TEST(DashStroker, DegenerateInputEndsAndKeepsThePen)
{
    // Width 0 or below is taken as 1: the walk ends.
    EXPECT_EQ(Dashed({{0, 0}, {10, 0}}, 0, {3, 3}).size(), 2u);
    EXPECT_EQ(Dashed({{0, 0}, {10, 0}}, -4, {3, 3}).size(), 2u);
    // Patterns that never advance draw nothing and end.
    EXPECT_TRUE(Dashed({{0, 0}, {10, 0}}, 2, {}).empty());
    EXPECT_TRUE(Dashed({{0, 0}, {10, 0}}, 2, {0, 0}).empty());
    EXPECT_TRUE(Dashed({{0, 0}, {10, 0}}, 2, {5, -5}).empty());
    EXPECT_TRUE(Dashed({{0, 0}, {10, 0}}, 2, {NAN, 1}).empty());
    EXPECT_TRUE(Dashed({}, 2, {3, 3}).empty());
    // A polyline of one repeated point: a dash of zero length, no loop.
    EXPECT_LE(Dashed({{4, 4}, {4, 4}, {4, 4}}, 2, {3, 3}).size(), 1u);

    TMetafileEx mf;
    TCanvas c(mf);
    c.Pen().Color = 0x123456;
    c.Pen().Width = 7;
    c.Pen().Style = psDot;
    DashPolyline({{0, 0}, {50, 0}}, c, 0xFF, 4, {3, 3}, true);
    EXPECT_EQ(c.Pen().Color, 0x123456u);
    EXPECT_EQ(c.Pen().Width, 7);
    EXPECT_EQ(c.Pen().Style, psDot);
    EXPECT_FALSE(c.Pen().Geometric);
}

TEST(DashStroker, ClosedOutlinesAreDashedRoundTheirCorners)
{
    // Dots (3, 3) at width 5 on a 50 x 30 outline: 15 on, 15 off, six
    // dashes, one turning a corner, the last ending on the first corner.
    TMetafileEx mf;
    {
        TCanvas c(mf);
        c.BeginPath();
        PathRectangle(c, 0, 0, 51, 31);
        c.EndPath();
        c.FlattenPath();
        TPath p;
        p.LoadFromCanvas(c);
        c.AbortPath();
        p.StrokeDashed(c, 0, 5, LineTypePattern(2), true);
    }
    std::vector<QPen> pens;
    const auto dashes = Strokes(mf, &pens);
    ASSERT_EQ(dashes.size(), 6u);
    EXPECT_EQ(dashes[0], (Line{{0, 0}, {15, 0}}));
    EXPECT_EQ(dashes[2], (Line{{50, 10}, {50, 25}}));
    EXPECT_EQ(dashes[4], (Line{{10, 30}, {0, 30}, {0, 25}}));
    EXPECT_EQ(dashes[5], (Line{{0, 10}, {0, 0}}));
    for (const QPen& pen : pens) {
        EXPECT_EQ(pen.capStyle(), Qt::FlatCap);
        EXPECT_EQ(pen.joinStyle(), Qt::RoundJoin);
        EXPECT_EQ(pen.widthF(), 5.0);
    }

    // Two subpaths: the pattern starts again at each.
    TMetafileEx two;
    {
        TCanvas c(two);
        c.BeginPath();
        c.MoveTo(0, 0);
        c.LineTo(10, 0);
        c.MoveTo(0, 20);
        c.LineTo(10, 20);
        c.EndPath();
        TPath p;
        p.LoadFromCanvas(c);
        p.StrokeDashed(c, 0, 1, {4, 2}, false);
    }
    EXPECT_EQ(Strokes(two), (std::vector<Line>{{{0, 0}, {4, 0}}, {{6, 0}, {10, 0}}, {{0, 20}, {4, 20}},
                                               {{6, 20}, {10, 20}}}));
}

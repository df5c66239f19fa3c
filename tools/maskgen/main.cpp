// maskgen: makes the picture items' mask shapes, Itm01.emf ... Itm13.emf, as
// display-list files in the folder given (data/Common/Mask of the source
// tree). Each shape is black on a 200 x 200 recording; a picture item
// stretches it over its mask rectangle and keeps the picture where it is black.
//
//   maskgen DIR

#include "platform/Canvas.h"
#include "platform/Metafile.h"
#include "platform/MetafileFile.h"

#include <QDir>
#include <QGuiApplication>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kSize = 200;

std::vector<QPoint> Regular(int corners, double radius, double startDeg, double cx = 100, double cy = 100)
{
    std::vector<QPoint> pts;
    for (int i = 0; i < corners; ++i) {
        const double a = (startDeg + 360.0 * i / corners) * M_PI / 180;
        pts.emplace_back(int(std::lround(cx + radius * std::cos(a))), int(std::lround(cy + radius * std::sin(a))));
    }
    return pts;
}

std::vector<QPoint> Star(int points, double outer, double inner)
{
    std::vector<QPoint> pts;
    for (int i = 0; i < points * 2; ++i) {
        const double r = i % 2 ? inner : outer;
        const double a = (-90 + 180.0 * i / points) * M_PI / 180;
        pts.emplace_back(int(std::lround(100 + r * std::cos(a))), int(std::lround(100 + r * std::sin(a))));
    }
    return pts;
}

void Circle(TCanvas& c, int cx, int cy, int r)
{
    c.Ellipse(cx - r, cy - r, cx + r, cy + r);
}

using Shape = std::function<void(TCanvas&)>;

const std::vector<std::pair<const char*, Shape>>& Shapes()
{
    static const std::vector<std::pair<const char*, Shape>> shapes = {
        {"circle", [](TCanvas& c) { c.Ellipse(0, 0, kSize, kSize); }},
        {"oval", [](TCanvas& c) { c.Ellipse(0, 35, kSize, kSize - 35); }},
        {"rounded square", [](TCanvas& c) { c.RoundRect(0, 0, kSize, kSize, 70, 70); }},
        {"heart",
         [](TCanvas& c) {
             c.BeginPath();
             c.MoveTo(100, 196);
             c.PolyBezierTo({{40, 150}, {0, 110}, {0, 62}, {0, 20}, {30, 4}, {55, 4},
                             {80, 4}, {95, 20}, {100, 40}, {105, 20}, {120, 4}, {145, 4},
                             {170, 4}, {200, 20}, {200, 62}, {200, 110}, {160, 150}, {100, 196}});
             c.CloseFigure();
             c.EndPath();
             c.FillPath();
         }},
        {"star", [](TCanvas& c) { c.Polygon(Star(5, 100, 40)); }},
        {"diamond", [](TCanvas& c) { c.Polygon({{100, 0}, {200, 100}, {100, 200}, {0, 100}}); }},
        {"hexagon", [](TCanvas& c) { c.Polygon(Regular(6, 100, 0)); }},
        {"octagon", [](TCanvas& c) { c.Polygon(Regular(8, 104, 22.5)); }},
        {"cloud",
         [](TCanvas& c) {
             Circle(c, 55, 115, 45);
             Circle(c, 100, 80, 55);
             Circle(c, 150, 110, 48);
             Circle(c, 95, 140, 45);
             c.RoundRect(20, 110, 180, 170, 60, 60);
         }},
        {"flower",
         [](TCanvas& c) {
             for (int i = 0; i < 6; ++i) {
                 const double a = i * M_PI / 3;
                 Circle(c, int(std::lround(100 + 62 * std::cos(a))), int(std::lround(100 + 62 * std::sin(a))), 38);
             }
             Circle(c, 100, 100, 50);
         }},
        {"speech bubble",
         [](TCanvas& c) {
             c.Ellipse(0, 10, kSize, 160);
             c.Polygon({{50, 130}, {30, 200}, {100, 145}});
         }},
        {"arch",
         [](TCanvas& c) {
             c.Ellipse(10, 0, 190, 180);
             c.Rectangle(10, 90, 190, 200);
         }},
        {"sparkle",
         [](TCanvas& c) {
             c.Polygon({{100, 0}, {118, 82}, {200, 100}, {118, 118}, {100, 200}, {82, 118}, {0, 100}, {82, 82}});
         }},
    };
    return shapes;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: maskgen DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    int n = 0;
    for (const auto& [name, draw] : Shapes()) {
        ++n;
        TMetafileEx shape;
        shape.SetWidth(kSize);
        shape.SetHeight(kSize);
        {
            TCanvas canvas(shape);
            canvas.Pen().Style = psClear;
            canvas.Brush() = TBrush {0x000000, bsSolid};
            draw(canvas);
        }
        const QString file = QStringLiteral("%1/Itm%2.emf").arg(dir).arg(n, 2, 10, QLatin1Char('0'));
        QString error;
        if (!SaveMetafileFile(shape, file, &error)) {
            std::fprintf(stderr, "maskgen: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("%s  %s\n", qPrintable(file), name);
    }
    return 0;
}

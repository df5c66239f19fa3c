#pragma once
// Rendering checks look at ink boxes with tolerances, never at exact pixels.

#include "platform/Canvas.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

// A white image of the given size.
inline QImage WhiteImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// A white image painted by `draw` through a canvas of the given resolution.
template <class Draw>
QImage Painted(int w, int h, Draw draw, int dpi = 96)
{
    QImage img = WhiteImage(w, h);
    {
        QPainter p(&img);
        TCanvas c(p, dpi, dpi);
        draw(c);
    }
    return img;
}

// A canvas for measuring only.
struct TScratchCanvas {
    QImage img{10, 10, QImage::Format_RGB32};
    QPainter painter{&img};
    TCanvas c{painter};
};

// The Japanese Mincho face at a character height, black on a transparent background.
inline void UseMincho(TCanvas& c, int height)
{
    c.Font().SetName(QStringLiteral("ＭＳ 明朝"));
    c.Font().SetCharset(SHIFTJIS_CHARSET);
    c.Font().SetHeight(height);
    c.Font().SetColor(0);
    c.SetBkMode(gdi::TRANSPARENT);
}

// The bounding box of the pixels darker than the threshold (0-255 grey);
// inside `within` when given.
inline QRect InkBox(const QImage& img, int threshold = 160, QRect within = QRect())
{
    const QRect area = within.isNull() ? img.rect() : within.intersected(img.rect());
    int l = area.right() + 1, t = area.bottom() + 1, r = area.left() - 1, b = area.top() - 1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(img.pixel(x, y)) < threshold) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
    return r < l ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}

// Number of ink pixels in an area.
inline int InkCount(const QImage& img, const QRect& area, int threshold = 160)
{
    int n = 0;
    const QRect a = area.intersected(img.rect());
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x)
            if (qGray(img.pixel(x, y)) < threshold)
                ++n;
    return n;
}

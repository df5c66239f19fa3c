#pragma once
// Rendering checks look at ink boxes with tolerances, never at exact pixels.

#include <QColor>
#include <QImage>
#include <QRect>

// A white image of the given size.
inline QImage WhiteImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
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

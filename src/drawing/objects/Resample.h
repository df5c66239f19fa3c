#pragma once
// Resampling a 24-bit bitmap to a new size: bilinear, bicubic (cubic
// convolution, a = -1) or area averaging, in 16.16 fixed point with integer
// arithmetic per pixel so that results are the same on every machine.
//
// Methods: 0 bilinear, 1 bicubic, 2 area averaging when shrinking in both
// directions and bicubic otherwise; any other method leaves Dest alone.

#include "drawing/objects/DrawRect.h"

#include <QImage>
#include <QPoint>

enum : qint32 { smBilinear = 0, smBicubic = 1, smAreaAverage = 2 };

// Resamples Source to Width x Height into Dest's top-left corner (an empty
// Dest is made that size; one too small is left alone). With Dest null,
// Source itself is replaced by the result.
void StretchBitmap(QImage& Source, QImage* Dest, qint32 Width, qint32 Method, qint32 Height);

// Computes only the rectangle Part of the Width x Height result and writes
// it into Dest at DestPos; a result computed in parts equals the whole. Does
// nothing when Part lies outside the result, DestPos is negative, or Dest
// (when given) is too small. With Dest null, Source becomes Part's result.
void StretchBitmapRect(QImage& Source, QImage* Dest, qint32 Width, qint32 Method, QPoint DestPos, const TRect& Part,
                       qint32 Height);

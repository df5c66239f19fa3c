#include "drawing/objects/Resample.h"

#include "drawing/objects/ImageUtils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using Fixed = qint64; // 16.16 positions, kept wide so that no step overflows

struct Axis {
    Fixed step = 0;
    Fixed off = 0;
    Fixed At(qint64 i) const { return i * step + off; }
};

// Trunc(x + 0.5), truncating toward zero as the positions were defined.
Fixed TruncHalf(double x)
{
    return Fixed(std::trunc(x + 0.5));
}

Axis MakeAxis(int src, int dst)
{
    const double s = double(src) / dst;
    return {TruncHalf(s * 65536), TruncHalf((0.5 * s - 0.5) * 65536)};
}

int Clamp(qint64 v, int hi)
{
    return int(std::clamp<qint64>(v, 0, hi));
}

// Integer part of a 16.16 position; floor, so that -0.25 is -1 and never 0.
qint64 IntPart(Fixed f)
{
    return f >> 16;
}

const uchar* Px(const QImage& img, int x, int y)
{
    return img.constScanLine(y) + qsizetype(x) * 3;
}

// --- bilinear ---------------------------------------------------------------------

// Margin of a bilinear axis: the first E and last E positions of the full
// result copy the edge pixel; E is the larger of the two edge counts.
int BilinearMargin(const Axis& a, int dst, int src)
{
    int left = 0;
    while (left < dst && a.At(left) <= 0)
        ++left;
    int right = 0;
    if (IntPart(a.At(dst - 1)) != 0)
        while (right < dst && IntPart(a.At(dst - 1 - right)) >= src - 1)
            ++right;
    return std::max(left, right);
}

quint32 Lerp(quint32 a, quint32 b, quint32 f)
{
    return (a * (65536 - f) + b * f + 32768) >> 16;
}

void Bilinear(const QImage& src, QImage& dst, int W, int H, QPoint at, const TRect& part)
{
    const int sw = src.width(), sh = src.height();
    const Axis ax = MakeAxis(sw, W), ay = MakeAxis(sh, H);
    const int E = BilinearMargin(ax, W, sw), R = BilinearMargin(ay, H, sh);
    // Per column: the two taps and the weight; a margin column takes one pixel.
    struct Tap {
        int p0, p1;
        quint32 f;
    };
    std::vector<Tap> taps(size_t(part.Width()));
    for (int i = part.Left; i < part.Right; ++i) {
        Tap& t = taps[size_t(i - part.Left)];
        if (i < E)
            t = {0, 0, 0};
        else if (i >= W - E)
            t = {sw - 1, sw - 1, 0};
        else {
            const Fixed fx = ax.At(i);
            t = {Clamp(IntPart(fx), sw - 1), Clamp(IntPart(fx) + 1, sw - 1), quint32(fx & 0xFFFF)};
        }
    }
    for (int j = part.Top; j < part.Bottom; ++j) {
        int q0, q1;
        quint32 g = 0;
        bool single = true;
        if (j < R)
            q0 = q1 = 0;
        else if (j >= H - R)
            q0 = q1 = sh - 1;
        else {
            const Fixed fy = ay.At(j);
            const qint64 q = std::min<qint64>(IntPart(fy), sh - 1);
            q0 = Clamp(q, sh - 1);
            q1 = Clamp(q + 1, sh - 1);
            g = quint32(std::clamp<Fixed>(fy - q * 65536, 0, 65535));
            single = false;
        }
        uchar* out = dst.scanLine(at.y() + j - part.Top) + qsizetype(at.x()) * 3;
        for (const Tap& t : taps) {
            for (int c = 0; c < 3; ++c) {
                const quint32 a = Lerp(Px(src, t.p0, q0)[c], Px(src, t.p1, q0)[c], t.f);
                if (single) {
                    *out++ = uchar(a);
                    continue;
                }
                const quint32 b = Lerp(Px(src, t.p0, q1)[c], Px(src, t.p1, q1)[c], t.f);
                *out++ = uchar((b * g + a * (65536 - g) + 32768) >> 16);
            }
        }
    }
}

// --- bicubic ----------------------------------------------------------------------

using Weights = std::array<qint32, 4>;

const std::array<Weights, 256>& CubicTable()
{
    static const std::array<Weights, 256> table = [] {
        std::array<Weights, 256> t {};
        auto fix = [](double k) { return qint32(std::trunc(k * 65536 + 0.5)); };
        for (int k = 0; k < 256; ++k) {
            const double d = 1 + k / 256.0, e = d - 1, g = 2 - d, h = 3 - d;
            t[size_t(k)] = {fix(4 - 8 * d + 5 * d * d - d * d * d), fix(1 - 2 * e * e + e * e * e),
                            fix(1 - 2 * g * g + g * g * g), fix(4 - 8 * h + 5 * h * h - h * h * h)};
        }
        return t;
    }();
    return table;
}

uchar Cubic(const Weights& w, quint32 p0, quint32 p1, quint32 p2, quint32 p3)
{
    const qint64 s = qint64(p0) * w[0] + qint64(p1) * w[1] + qint64(p2) * w[2] + qint64(p3) * w[3];
    if (s < 0)
        return 0;
    return uchar(std::min<qint64>((s + 32768) >> 16, 255));
}

// How a position samples its axis: copy the first or last pixel, or filter
// four taps (clamped to the source, so that sources narrower than the filter
// read only their own pixels).
struct CubicTap {
    enum Kind { First, Last, Filter } kind = First;
    std::array<int, 4> p {};
    const Weights* w = nullptr;
};

CubicTap CubicAt(Fixed f, int src)
{
    CubicTap t;
    const qint64 p = IntPart(f);
    if (f <= 0) {
        t.kind = CubicTap::First;
    } else if (f < 65536) {
        t.kind = CubicTap::Filter;
        t.p = {0, 0, Clamp(1, src - 1), Clamp(2, src - 1)};
    } else if (p >= src - 1) {
        t.kind = CubicTap::Last;
    } else {
        t.kind = CubicTap::Filter;
        t.p = {Clamp(p - 1, src - 1), Clamp(p, src - 1), Clamp(p + 1, src - 1), Clamp(p + 2, src - 1)};
    }
    t.w = &CubicTable()[size_t((f >> 8) & 255)];
    return t;
}

void Bicubic(const QImage& src, QImage& dst, int W, int H, QPoint at, const TRect& part)
{
    const int sw = src.width(), sh = src.height();
    const Axis ax = MakeAxis(sw, W), ay = MakeAxis(sh, H);
    std::vector<CubicTap> cols(size_t(part.Width()));
    int lo = sw - 1, hi = 0;
    for (int i = part.Left; i < part.Right; ++i) {
        CubicTap& t = cols[size_t(i - part.Left)];
        t = CubicAt(ax.At(i), sw);
        if (t.kind == CubicTap::First)
            lo = 0;
        else if (t.kind == CubicTap::Last)
            hi = sw - 1;
        else {
            lo = std::min(lo, t.p[0]);
            hi = std::max(hi, t.p[3]);
        }
    }
    lo = std::min(lo, hi);
    // One intermediate row: the source filtered vertically over the columns
    // the horizontal pass reads.
    std::vector<uchar> row(size_t(sw) * 3);
    for (int j = part.Top; j < part.Bottom; ++j) {
        const CubicTap v = CubicAt(ay.At(j), sh);
        const uchar* line = nullptr;
        if (v.kind == CubicTap::First)
            line = src.constScanLine(0);
        else if (v.kind == CubicTap::Last)
            line = src.constScanLine(sh - 1);
        else {
            const uchar* r0 = src.constScanLine(v.p[0]);
            const uchar* r1 = src.constScanLine(v.p[1]);
            const uchar* r2 = src.constScanLine(v.p[2]);
            const uchar* r3 = src.constScanLine(v.p[3]);
            for (int k = lo * 3; k < (hi + 1) * 3; ++k)
                row[size_t(k)] = Cubic(*v.w, r0[k], r1[k], r2[k], r3[k]);
            line = row.data();
        }
        uchar* out = dst.scanLine(at.y() + j - part.Top) + qsizetype(at.x()) * 3;
        for (const CubicTap& t : cols) {
            for (int c = 0; c < 3; ++c) {
                if (t.kind == CubicTap::First)
                    *out++ = line[c];
                else if (t.kind == CubicTap::Last)
                    *out++ = line[(sw - 1) * 3 + c];
                else
                    *out++ = Cubic(*t.w, line[t.p[0] * 3 + c], line[t.p[1] * 3 + c], line[t.p[2] * 3 + c],
                                   line[t.p[3] * 3 + c]);
            }
        }
    }
}

// --- area averaging ---------------------------------------------------------------

// The source span a destination position covers: first and last pixel with
// their weights in 1/256, the pixels between counted whole.
struct Span {
    int first = 0, last = 0;
    quint32 wFirst = 0, wLast = 0;
};

Span SpanAt(Fixed step, qint64 i, int src)
{
    const Fixed a = i * step, b = a + step;
    Span s;
    const qint64 p0 = a >> 16, p1 = b >> 16;
    s.first = Clamp(p0, src - 1);
    s.wFirst = p0 >= src ? 256 : 256 - quint32((a & 0xFFFF) >> 8);
    s.last = int(std::min<qint64>(p1, src));
    s.wLast = quint32((b & 0xFFFF) >> 8);
    // The pixel just past the source carries no weight (for columns the
    // rounding of the step can put the end exactly there; for rows further).
    if (p1 >= src)
        s.wLast = 0;
    return s;
}

void AreaAverage(const QImage& src, QImage& dst, int W, int H, QPoint at, const TRect& part)
{
    const int sw = src.width(), sh = src.height();
    const Axis ax = MakeAxis(sw, W), ay = MakeAxis(sh, H);
    const quint64 invX = quint64(TruncHalf(1 / (double(sw) / W) * 65536));
    const quint64 invY = quint64(TruncHalf(1 / (double(sh) / H) * 65536));
    std::vector<Span> cols(size_t(part.Width()));
    for (int i = part.Left; i < part.Right; ++i)
        cols[size_t(i - part.Left)] = SpanAt(ax.step, i, sw);
    auto rowSum = [&](int y, const Span& s, int c) {
        const uchar* line = src.constScanLine(y);
        quint64 sum = 0;
        if (s.wFirst)
            sum += (quint64(line[s.first * 3 + c]) * s.wFirst + 128) >> 8;
        for (int x = s.first + 1; x < s.last; ++x)
            sum += line[x * 3 + c];
        if (s.wLast && s.last < sw)
            sum += (quint64(line[s.last * 3 + c]) * s.wLast + 128) >> 8;
        return sum;
    };
    for (int j = part.Top; j < part.Bottom; ++j) {
        const Span r = SpanAt(ay.step, j, sh);
        uchar* out = dst.scanLine(at.y() + j - part.Top) + qsizetype(at.x()) * 3;
        for (const Span& s : cols) {
            for (int c = 0; c < 3; ++c) {
                quint64 acc = 0;
                if (r.wFirst)
                    acc += (rowSum(r.first, s, c) * r.wFirst + 128) >> 8;
                for (int y = r.first + 1; y < r.last; ++y)
                    acc += rowSum(y, s, c);
                if (r.wLast && r.last < sh)
                    acc += (rowSum(r.last, s, c) * r.wLast + 128) >> 8;
                const quint64 v = (((acc * invX + 32768) >> 16) * invY + 32768) >> 16;
                *out++ = uchar(std::min<quint64>(v, 255));
            }
        }
    }
}

} // namespace

void StretchBitmapRect(QImage& Source, QImage* Dest, qint32 Width, qint32 Method, QPoint DestPos, const TRect& Part,
                       qint32 Height)
{
    if (Source.isNull() || Width <= 0 || Height <= 0 || Part.Left < 0 || Part.Top < 0 || Part.Right > Width ||
        Part.Bottom > Height || Part.Width() <= 0 || Part.Height() <= 0 || DestPos.x() < 0 || DestPos.y() < 0)
        return;
    if (qint64(Part.Width()) * Part.Height() > kMaxImagePixels)
        return;
    if (Dest && !Dest->isNull() &&
        (Dest->width() < qint64(Part.Width()) + DestPos.x() || Dest->height() < qint64(Part.Height()) + DestPos.y()))
        return;
    if (Method < 0 || Method > 2)
        return;
    if (Source.format() != QImage::Format_BGR888)
        Source = To24Bit(Source);
    QImage temp;
    QImage* out = Dest;
    if (!out) {
        temp = NewBitmap24(Part.Width(), Part.Height());
        out = &temp;
    } else if (out->isNull()) {
        *out = NewBitmap24(Part.Width() + DestPos.x(), Part.Height() + DestPos.y());
    } else if (out->format() != QImage::Format_BGR888) {
        *out = To24Bit(*out);
    }
    const int sw = Source.width(), sh = Source.height();
    if (Width == sw && Height == sh) {
        for (int j = Part.Top; j < Part.Bottom; ++j)
            std::memcpy(out->scanLine(DestPos.y() + j - Part.Top) + qsizetype(DestPos.x()) * 3,
                        Source.constScanLine(j) + qsizetype(Part.Left) * 3, size_t(Part.Width()) * 3);
    } else if (Method == smBilinear) {
        Bilinear(Source, *out, Width, Height, DestPos, Part);
    } else if (Method == smAreaAverage && Width < sw && Height < sh) {
        AreaAverage(Source, *out, Width, Height, DestPos, Part);
    } else {
        Bicubic(Source, *out, Width, Height, DestPos, Part);
    }
    if (!Dest)
        Source = temp;
}

void StretchBitmap(QImage& Source, QImage* Dest, qint32 Width, qint32 Method, qint32 Height)
{
    if (Method < 0 || Method > 2 || Source.isNull() || Width <= 0 || Height <= 0)
        return;
    // An empty Dest is made to the result's size; a given one is written
    // from its top-left corner (and left alone when it is too small).
    if (Dest && Dest->isNull())
        *Dest = NewBitmap24(Width, Height);
    StretchBitmapRect(Source, Dest, Width, Method, QPoint(0, 0), TRect(0, 0, Width, Height), Height);
}

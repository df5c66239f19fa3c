#include "platform/Canvas.h"

#include "platform/CanvasPrivate.h"
#include "platform/VerticalText.h"

#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

// Text output and measuring of TCanvas.

using namespace gdi;
using canvas_detail::areaOf;
using canvas_detail::intersect;
using canvas_detail::rectPath;

namespace {

quint32 glyphFor(const QRawFont& font, char32_t ch)
{
    const char32_t one[1] = {ch};
    const QList<quint32> g = font.glyphIndexesForString(QString::fromUcs4(one, 1));
    return g.isEmpty() ? 0 : g.first();
}

double glyphAdvance(const QRawFont& font, quint32 glyph)
{
    const QList<QPointF> a = font.advancesForGlyphIndexes(QList<quint32>{glyph});
    return a.isEmpty() ? 0 : a.first().x();
}

// Advances and extents stay within +-2^30 pixels, so a line's width, a pen
// position plus a width and a centred start are all ints, whatever height,
// width ratio or advance array a damaged layout hands in.
constexpr long long kMaxExtent = 1LL << 30;

int extent(long long v)
{
    return static_cast<int>(std::clamp(v, -kMaxExtent, kMaxExtent));
}

int pixels(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::clamp<double>(std::lround(std::clamp(v, -1.0e15, 1.0e15)), -kMaxExtent, kMaxExtent));
}

} // namespace

// --- text -------------------------------------------------------------------

namespace {

// A realised face with the characters measured in it so far: what a text
// shaper's font cache keeps, by face, size and direction (the "@" of the
// name). Glyph lookups, fallback faces and vertical forms are asked once per
// character.
struct FaceChars {
    TFontFace face;
    QHash<char32_t, TCanvas::LayoutChar> chars;
};

// Bounds the caches: a layout uses a handful of faces (a fitted height is a
// face of its own) and a few thousand characters; a damaged or fuzzed one
// may name any number of sizes and characters.
constexpr qsizetype kMaxFaces = 256;
constexpr qsizetype kMaxChars = 1 << 14;      // in one face
constexpr qsizetype kMaxTotalChars = kCanvasMaxCachedChars; // in all faces

struct FaceCache {
    QHash<TFaceKey, std::shared_ptr<FaceChars>> faces;
    qsizetype chars = 0;
};

FaceCache& faceCache()
{
    thread_local FaceCache cache;
    return cache;
}

// The entry stays valid until the next call: no caller keeps it longer.
FaceChars& faceCharsFor(const TFont& font)
{
    FaceCache& cache = faceCache();
    const TFaceKey key = FaceKeyOf(font);
    auto it = cache.faces.constFind(key);
    if (it != cache.faces.constEnd())
        return **it;
    if (cache.faces.size() >= kMaxFaces || cache.chars >= kMaxTotalChars) {
        cache.faces.clear();
        cache.chars = 0;
    }
    auto entry = std::make_shared<FaceChars>();
    entry->face = RealizeFont(font);
    return **cache.faces.insert(key, std::move(entry));
}

TCanvas::LayoutChar measureChar(const TFontFace& face, bool vertical, char32_t ch)
{
    using Layout = TCanvas::LayoutChar;
    Layout c;
    c.ch = ch;
    const double em = face.em;
    const double stretch = face.stretch;
    QRawFont font = face.raw;
    if (font.isValid() && !font.supportsCharacter(ch)) {
        for (int k = 0;; ++k) {
            const QRawFont fb = FallbackRawFont(k, em);
            if (!fb.isValid())
                break;
            if (fb.supportsCharacter(ch)) {
                font = fb;
                break;
            }
        }
    }
    c.font = font;
    if (vertical && vtext::IsUpright(ch)) {
        c.advance = pixels(em * stretch);
        c.mode = Layout::Upright;
        // The face's own vertical form first; a character it has none
        // for (the IPA fonts keep "－" and "＜" horizontal) is set
        // upright by hand, one character at a time.
        const quint32 plain = glyphFor(font, ch);
        const quint32 vertical = vtext::HasVerticalForms(font) ? vtext::VerticalGlyph(font, ch) : plain;
        if (vertical != plain) {
            c.glyph = vertical;
        } else {
            const vtext::TVerticalFallback fb = vtext::VerticalFallback(ch);
            if (fb.replacement && font.supportsCharacter(fb.replacement)) {
                c.glyph = glyphFor(font, fb.replacement);
            } else {
                c.glyph = plain;
                if (fb.rotate) {
                    c.mode = Layout::Along;
                    c.offset = (c.advance - glyphAdvance(font, c.glyph) * stretch) / 2;
                } else {
                    c.shift = fb.shift;
                }
            }
        }
    } else {
        c.glyph = glyphFor(font, ch);
        c.advance = pixels(glyphAdvance(font, c.glyph) * stretch);
    }
    c.glyphAdvance = glyphAdvance(font, c.glyph);
    return c;
}

const TCanvas::LayoutChar& charOf(FaceChars& f, bool vertical, char32_t ch)
{
    auto it = f.chars.constFind(ch);
    if (it != f.chars.constEnd())
        return *it;
    // The bounds hold at every insertion: faces made first and filled later
    // grew past the total when it was looked at only as a face was made.
    FaceCache& cache = faceCache();
    if (f.chars.size() >= kMaxChars) {
        cache.chars -= f.chars.size();
        f.chars.clear();
    }
    if (cache.chars >= kMaxTotalChars) {
        // The faces stay (f among them, which the caller holds); only their
        // characters go.
        for (const std::shared_ptr<FaceChars>& face : std::as_const(cache.faces))
            face->chars.clear();
        cache.chars = 0;
    }
    ++cache.chars;
    return *f.chars.insert(ch, measureChar(f.face, vertical, ch));
}

// The character at i and the UTF-16 units it takes.
char32_t charAt(const QString& text, qsizetype i, int& units)
{
    units = 1;
    if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        units = 2;
        return QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
    }
    return text.at(i).unicode();
}

} // namespace

TCanvas::Layout TCanvas::layoutText(const QString& text, const int* dx) const
{
    Layout l;
    FaceChars& f = faceCharsFor(font_);
    l.face = f.face;
    const bool vertical = font_.IsVerticalFace();
    l.chars.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size();) {
        int units = 1;
        const char32_t ch = charAt(text, i, units);
        Layout::Char c = charOf(f, vertical, ch);
        c.units = units;
        if (dx) {
            long long sum = 0;
            for (int u = 0; u < c.units; ++u)
                sum += dx[i + u];
            c.advance = extent(sum);
        }
        l.width = extent(static_cast<long long>(l.width) + c.advance);
        l.chars.push_back(std::move(c));
        i += units;
    }
    return l;
}

int TCanvas::textWidth(const QString& text) const
{
    // The width alone, as layoutText sums it, without building the layout.
    FaceChars& f = faceCharsFor(font_);
    const bool vertical = font_.IsVerticalFace();
    int width = 0;
    for (qsizetype i = 0; i < text.size();) {
        int units = 1;
        const char32_t ch = charAt(text, i, units);
        width = extent(static_cast<long long>(width) + charOf(f, vertical, ch).advance);
        i += units;
    }
    return width;
}

bool TCanvas::ExtTextOutW(int x, int y, unsigned options, const QRect* rect, const QString& text, const int* dx)
{
    const QColor back = ToQColor(brush_.Color);
    if ((options & ETO_OPAQUE) && rect && !rect->isEmpty())
        sink_->Draw(TFillItem{rectPath(areaOf(*rect)), QBrush(back)});
    if (text.isEmpty())
        return true;

    const Layout l = layoutText(text, dx);
    const TFontFace& face = l.face;
    QTransform base;
    base.translate(x, y);
    base.rotate(-font_.Escapement() / 10.0);

    int start = 0;
    if ((textAlign_ & TA_CENTER) == TA_CENTER)
        start = -(l.width / 2);
    else if (textAlign_ & TA_RIGHT)
        start = -l.width;
    int baseline = face.ascent;
    if ((textAlign_ & TA_BASELINE) == TA_BASELINE)
        baseline = 0;
    else if (textAlign_ & TA_BOTTOM)
        baseline = -face.descent;

    if (bkMode_ == OPAQUE && brush_.Style != bsClear) {
        QPainterPath box;
        box.addPolygon(base.map(QPolygonF(QRectF(start, baseline - face.ascent, l.width, face.Height()))));
        box.closeSubpath();
        sink_->Draw(TFillItem{box, QBrush(back)});
    }

    const std::optional<QPainterPath> savedClip = clip_;
    const bool clipped = (options & ETO_CLIPPED) && rect;
    if (clipped) {
        clip_ = intersect(clip_, rectPath(areaOf(*rect)));
        emitClip();
    }

    const QColor color = ToQColor(font_.Color());
    const double em = face.em;
    QTransform along = base;
    along.translate(0, baseline);
    along.scale(face.stretch, 1);
    if (face.syntheticItalic)
        along.shear(-0.2, 0);

    TGlyphItem run;
    auto flush = [&] {
        if (!run.glyphs.empty())
            sink_->Draw(run);
        run = TGlyphItem{};
    };
    long long pen = start;
    qsizetype unit = 0;
    for (const Layout::Char& c : l.chars) {
        const QString chText = text.mid(unit, c.units);
        unit += c.units;
        if (c.mode == Layout::Along) {
            if (!run.glyphs.empty() && run.font != c.font)
                flush();
            if (run.glyphs.empty()) {
                run.font = c.font;
                run.transform = along;
                run.color = color;
                run.syntheticBold = face.syntheticBold;
            }
            run.glyphs.push_back(c.glyph);
            run.positions.emplace_back((double(pen) + c.offset) / face.stretch, 0);
            run.text += chText;
        } else {
            flush();
            // Turned back a quarter about the centre of its cell, so the
            // character stands upright when the line runs downwards.
            TGlyphItem up;
            up.font = c.font;
            up.color = color;
            up.syntheticBold = face.syntheticBold;
            up.text = chText;
            up.transform = base;
            up.transform.translate(double(pen) + c.advance / 2.0, baseline - face.ascent + face.Height() / 2.0);
            up.transform.rotate(-90);
            up.transform.scale(1, face.stretch);
            if (face.syntheticItalic)
                up.transform.shear(-0.2, 0);
            const double h = face.Height() > 0 ? face.Height() : em;
            const QPointF origin(-c.glyphAdvance / 2, -em / 2 + em * face.ascent / h);
            up.glyphs.push_back(c.glyph);
            up.positions.push_back(origin + c.shift * em);
            sink_->Draw(std::move(up));
        }
        pen += c.advance;
    }
    flush();

    const int thick = std::max(1, static_cast<int>(std::lround(em / 20)));
    auto line = [&](int offsetY) {
        QPainterPath p;
        p.addPolygon(base.map(QPolygonF(QRectF(start, baseline + offsetY, l.width, thick))));
        p.closeSubpath();
        sink_->Draw(TFillItem{p, QBrush(color)});
    };
    if (font_.Style() & fsUnderline)
        line(std::max(1, static_cast<int>(std::lround(face.descent / 2.0))));
    if (font_.Style() & fsStrikeOut)
        line(-static_cast<int>(std::lround(em * 0.3)) - thick / 2);

    if (clipped) {
        clip_ = savedClip;
        emitClip();
    }
    return true;
}

void TCanvas::TextOut(int x, int y, const QString& text)
{
    ExtTextOutW(x, y, 0, nullptr, text);
    const long long end = static_cast<long long>(x) + textWidth(text);
    penPos_ = QPoint(static_cast<int>(std::clamp<long long>(end, INT_MIN, INT_MAX)), y);
}

int TCanvas::TextWidth(const QString& text) const
{
    return textWidth(text);
}

int TCanvas::TextHeight(const QString& text) const
{
    return faceCharsFor(font_).face.Height();
}

QSize TCanvas::TextExtent(const QString& text) const
{
    const Layout l = layoutText(text, nullptr);
    return QSize(l.width, l.face.Height());
}

QSize TCanvas::GetTextExtentExPointW(const QString& text, int maxExtent, int* fit, std::vector<int>* extents) const
{
    const Layout l = layoutText(text, nullptr);
    long long total = 0;
    int fitted = 0;
    bool stop = false;
    if (extents)
        extents->clear();
    for (const Layout::Char& c : l.chars) {
        total += c.advance;
        if (!stop && total <= maxExtent)
            fitted += c.units;
        else
            stop = true;
        if (extents)
            for (int u = 0; u < c.units; ++u)
                extents->push_back(extent(total));
    }
    if (fit)
        *fit = fitted;
    return QSize(l.width, l.face.Height());
}

TTextMetric TCanvas::GetTextMetrics() const
{
    const TFontFace& f = faceCharsFor(font_).face;
    TTextMetric m;
    m.tmHeight = f.Height();
    m.tmAscent = f.ascent;
    m.tmDescent = f.descent;
    m.tmInternalLeading = f.internalLeading;
    m.tmAveCharWidth = font_.Width() > 0 ? font_.Width() : f.aveCharWidth;
    return m;
}

qsizetype CanvasCachedChars()
{
    qsizetype n = 0;
    for (const auto& f : std::as_const(faceCache().faces))
        n += f->chars.size();
    return n;
}

#pragma once
// Vertical writing as the Windows "@" fonts do it. In a vertical font the
// text runs along the baseline as usual (escapement 2700 turns it downwards);
// upright characters are turned back a quarter so they stand upright in their
// cell and take the face's vertical forms, all other characters lie on their
// side.

#include <QRawFont>
#include <QPointF>
#include <cstdint>

namespace vtext {

// Stands upright in a vertical font: two bytes in code page 932, or East
// Asian width Wide or Fullwidth.
bool IsUpright(char32_t ch);

// East Asian width W or F.
bool IsWide(char32_t ch);

// Whether the face has a vertical-forms feature (vert or vrt2).
bool HasVerticalForms(const QRawFont& font);

// The glyph of ch in its vertical form through the face's own vertical
// substitution; the horizontal glyph when the face has none for it.
quint32 VerticalGlyph(const QRawFont& font, char32_t ch);

// How to set ch upright by hand, for a face without a vertical form of it.
struct TVerticalFallback {
    char32_t replacement = 0; // a vertical presentation form to draw instead, or 0
    bool rotate = false;      // draw the horizontal glyph turned a quarter (brackets, long vowel)
    QPointF shift;            // move towards the upper right, in em (small kana, 、。)
};
TVerticalFallback VerticalFallback(char32_t ch);

} // namespace vtext

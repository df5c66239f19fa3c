#pragma once
// The font model of the canvas: a logical font as Windows describes one
// (face, character set, height, style, colour, escapement, orientation,
// average width), and its realisation on the installed fonts.
//
// The face name is kept exactly as stored, a leading "@" (vertical writing)
// included; layouts made on Windows name the Windows Japanese faces, which are
// drawn with the IPA fonts. Japanese faces get the cell metrics of the Windows
// faces the layouts were made for: the character height is the em, there is
// no internal leading, so a height of -40 draws an "一" 40 pixels tall.

#include <QRawFont>
#include <QString>
#include <cstdint>

using TColor = std::uint32_t; // 0x00BBGGRR, red in the low byte
class QColor;
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);

enum : std::uint8_t { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, SHIFTJIS_CHARSET = 128 };

enum TFontStyleBit : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Windows' MulDiv: a * b / c rounded half away from zero; -1 when c is 0 or
// the quotient does not fit an int.
int MulDiv(int a, int b, int c);

// The largest point size a stored font may name; larger sizes read from files
// are kept to it (a 5.8 m character: beyond any paper, within every height
// computation at any printer resolution).
inline constexpr int kMaxFontPoints = 16384;

class TFont {
public:
    TFont();

    const QString& Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }
    // The face without the vertical-writing "@".
    QString FaceName() const;
    bool IsVerticalFace() const { return name_.startsWith(QLatin1Char('@')); }

    std::uint8_t Charset() const { return charset_; }
    void SetCharset(std::uint8_t c) { charset_ = c; }

    // Negative: the character height (em) in device pixels; positive: the
    // cell height; 0: the default size.
    int Height() const { return height_; }
    void SetHeight(int h) { height_ = h; }
    // Points at PixelsPerInch, as the framework's font converts them.
    int Size() const;
    void SetSize(int points);
    int PixelsPerInch() const { return ppi_; }
    void SetPixelsPerInch(int ppi) { ppi_ = ppi > 0 ? ppi : 96; }

    int Style() const { return style_; } // TFontStyleBit combination
    void SetStyle(int bits) { style_ = bits & 15; }
    bool Bold() const { return style_ & fsBold; }
    bool Italic() const { return style_ & fsItalic; }

    TColor Color() const { return color_; }
    void SetColor(TColor c) { color_ = c; }

    // Tenths of a degree, counter-clockwise.
    int Escapement() const { return escapement_; }
    void SetEscapement(int e) { escapement_ = e; }
    int Orientation() const { return orientation_; }
    void SetOrientation(int o) { orientation_ = o; }

    // Average character width in pixels; 0 = the face's own.
    int Width() const { return width_; }
    void SetWidth(int w) { width_ = w; }

    // Copies everything; when the resolutions differ, the point size is kept
    // and the height follows the receiver's resolution (as the framework's
    // font assignment does).
    void Assign(const TFont& source);

    bool operator==(const TFont& o) const;
    bool operator!=(const TFont& o) const { return !(*this == o); }

private:
    QString name_;
    std::uint8_t charset_ = DEFAULT_CHARSET;
    int height_ = 0;
    int ppi_ = 96;
    int style_ = 0;
    TColor color_ = 0;
    int escapement_ = 0;
    int orientation_ = 0;
    int width_ = 0;
};

// The installed family that draws a stored face name ("@" ignored): the
// Windows Japanese faces map to the IPA fonts, other unknown names to IPAex
// by kind (Gothic or Mincho).
QString ResolveFontFamily(const QString& storedName);
// Registers the Windows face names as substitutes with Qt, so widgets that
// show a stored face draw with the same family. Called once at start; safe to
// call again.
void InstallFontSubstitutes();

// A font realised at a pixel size: raw font, cell metrics and the horizontal
// stretch of a non-zero width.
struct TFontFace {
    QRawFont raw;
    bool japanese = false; // cell height is the em
    double em = 0;         // pixel size of the raw font
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int aveCharWidth = 0;  // at the face's own width
    double stretch = 1.0;  // Width / aveCharWidth, or 1
    bool syntheticBold = false;
    bool syntheticItalic = false;
    int Height() const { return ascent + descent; }
};
// The em of a realised font is at most kMaxEmPixels.
inline constexpr double kMaxEmPixels = 1.0e6;
// Realised faces are kept (per thread) by what they depend on: the face name
// with its "@", height, width, character set and style (the resolution only
// for the default height); colour and angles change nothing.
TFontFace RealizeFont(const TFont& font);
struct TFaceKey {
    QString name;
    int height = 0;
    int ppi = 0;
    int width = 0;
    std::uint8_t charset = 0;
    bool bold = false;
    bool italic = false;
    bool operator==(const TFaceKey&) const = default;
};
TFaceKey FaceKeyOf(const TFont& font);
size_t qHash(const TFaceKey& key, size_t seed = 0);
// A face of the fallback chain for characters the main face lacks; empty
// when the chain is exhausted.
QRawFont FallbackRawFont(int index, double pixelSize);

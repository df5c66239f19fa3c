#pragma once
// Picture routines of the drawing objects: loading BMP and JPEG files with
// their resolution, mirrored and turned copies, natural-size drawing
// (centred or tiled), the two-colour gradation, drawing on a canvas, masked
// and transparent drawing, and a monochrome bitmap as a region.
//
// Pictures are QImages. A "24-bit bitmap" is Format_BGR888: three bytes per
// pixel, blue, green, red, row 0 on top. A "1-bit bitmap" is Format_Mono with
// the colour table {black, white}: bit 0 is black, most significant bit
// first. Colours are TColor (0x00BBGGRR).
//
// Raster operations do not survive every paint device (the PDF engine drops
// them and printed black boxes), so masked and transparent drawing never
// combines pixels on the target: the picture goes out as one image with the
// mask in alpha (the *Rop routines, named for the raster-operation drawing
// they stand in for) or under a clip region (the *Clip routines).

#include "drawing/objects/DrawRect.h"
#include "platform/Font.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>
#include <variant>

class QIODevice;
class TCanvas;
class TMetafileEx;
class TRegion;

inline constexpr TColor clNone = 0x1FFFFFFF;

// Raster operations kept in records and calls; only SRCCOPY is drawn.
inline constexpr qint32 SRCCOPY = 0x00CC0020;

// A JPEG picture: the compressed file data as read, kept so that it can be
// stored unchanged; decoded on demand.
struct TJPEGImage {
    QByteArray Data;
    // The picture as a 24-bit bitmap; a null image when the data does not
    // decode (the decoder's errors return here, they never end the process).
    QImage Decode() const;
    bool Empty() const { return Data.isEmpty(); }
};

// What LoadImageFile gives: a 24-bit bitmap or a JPEG picture.
using TGraphic = std::variant<QImage, TJPEGImage>;

// Upper bound on the pixels of one decoded picture: a damaged header must
// not ask for gigabytes. 100 megapixels is far beyond any photograph a
// postcard takes.
inline constexpr qint64 kMaxImagePixels = 100'000'000;
inline bool ImageSizeAcceptable(qint64 w, qint64 h) { return w > 0 && h > 0 && w * h <= kMaxImagePixels; }
// A picture file of this many bytes or more is no picture we take.
inline constexpr qint64 kMaxImageFileBytes = 512LL * 1024 * 1024;

// 1 BMP, 2 JPEG, -1 anything else, by the extension alone.
qint32 GetImageFileKind(const QString& FileName);
// Loads a BMP or JPEG file; Dpi receives its horizontal resolution (72 when
// the file gives none). The first bytes, not the extension, choose the
// decoder. Nothing when the extension is not one of ours, the file cannot
// be read or does not decode.
std::optional<TGraphic> LoadImageFile(const QString& FileName, qint32& Dpi);
// The resolutions as the loader reads them from file data.
qint32 BmpDpiOf(const QByteArray& Data);
qint32 JpegDpiOf(const QByteArray& Data);

// BMP files. DecodeBmp takes a whole file and gives a 24-bit bitmap, or a
// null image. EncodeBmp writes a 24-bit bottom-up BMP with a 40-byte header
// and no resolution, so that a stored picture's bytes depend on its pixels
// alone.
QImage DecodeBmp(const QByteArray& Data);
QByteArray EncodeBmp(const QImage& Image);
// A BMP file inside a stream: its file header gives its length. Raises
// EDrawRectStreamError when the data is short, too long or does not decode.
QImage ReadBmpFromStream(QIODevice& Stream);
void WriteBmpToStream(QIODevice& Stream, const QImage& Image);

// The picture as a 24-bit bitmap (a copy; null stays null).
QImage To24Bit(const QImage& Image);
// A white 24-bit bitmap; a white 1-bit bitmap.
QImage NewBitmap24(int Width, int Height);
QImage NewBitmap1(int Width, int Height);

// New mirrored or turned copies in the source's own format (1, 8, 16, 24
// and 32 bits per pixel). Direction: 0 turn left by 90 degrees, 1 turn
// right, 2 half turn; 3 and anything else give nothing.
std::optional<QImage> MirrorBitmap(const QImage& Source, bool LeftRight);
std::optional<QImage> RotateBitmap(const QImage& Source, quint8 Direction);

// Source at its natural size (pixels / Dpi x 96 x Zoom) centred in Dest, or
// tiled over Dest (from the top-left corner, or so that a tile edge meets
// the right and bottom edges). Nothing when that size rounds to 0 or Dpi is
// not positive.
void DrawImageCentered(const QImage& Source, qint32 Dpi, QImage& Dest, double Zoom);
void DrawImageTiled(const QImage& Source, qint32 Dpi, QImage& Dest, bool FromBottomRight, double Zoom);

// Fills a 24-bit bitmap with a linear gradation from Color1 to Color2 at
// Angle degrees (0: Color1 on top; 90: Color1 on the left); angles outside
// 0-359 are taken modulo 360.
void GradientFill(QImage& Bitmap, qint32 Angle, TColor Color1, TColor Color2);
// The part of a Width x Height gradation whose top-left pixel is Origin,
// into the 24-bit bitmap Part (its size is the part's): the same pixels as
// that part of the whole, for the cost of the part alone.
void GradientFillPart(QImage& Part, int Width, int Height, QPoint Origin, qint32 Angle, TColor Color1, TColor Color2);

// Colour-on-colour stretching: each destination pixel takes one source pixel,
// none is blended. Draws Source into Dest's rectangle R (clipped to Dest).
void StretchNearest(const QImage& Source, QImage& Dest, const TRect& R);

// Draws the bitmap stretched into R (colour on colour). Only SRCCOPY is
// drawn: other raster operations draw nothing and return false.
bool StretchDIB(TCanvas& Canvas, const QImage& Bitmap, const TRect& R, qint32 Rop = SRCCOPY);

// The mask shape (a display list) drawn in black on a white w x h 1-bit
// bitmap, stretched into MaskRect.
QImage MaskFromShape(const TMetafileEx& Mask, const TRect& MaskRect, int Width, int Height);
// 1-bit bitmap of a picture: white where a pixel has the colour, black elsewhere.
QImage MaskFromColor(const QImage& Picture, TColor Color);

// Picture in DestRect only inside the mask shape (MaskRect relative to
// DestRect's top-left), or without its pixels of the transparent colour
// (matched after stretching). The page shows through elsewhere.
void DrawMaskedRop(TCanvas& Canvas, const QImage& Picture, const TMetafileEx& Mask, const TRect& MaskRect,
                   const TRect& DestRect);
void DrawTransparentRop(TCanvas& Canvas, const QImage& Picture, TColor TransparentColor, const TRect& DestRect);
// The part of R a drawing on the canvas can reach (its page and clip); R
// itself while recording; empty (at R's top-left) when nothing shows. The
// routines above and below stretch and mask only this part.
TRect VisiblePart(const TCanvas& Canvas, const TRect& R);
// R moved by dx, dy, each edge kept in the Int32 range.
TRect Moved(const TRect& R, qint64 dx, qint64 dy);

// The same through a clip region, the canvas's clip restored afterwards.
void DrawMaskedClip(TCanvas& Canvas, const QImage& Picture, const TMetafileEx& Mask, const TRect& MaskRect,
                    const TRect& DestRect);
void DrawTransparentClip(TCanvas& Canvas, const QImage& Picture, TColor TransparentColor, const TRect& DestRect);

// The union of a 1-bit bitmap's black pixels; runs of equal extent in
// consecutive rows are merged into one rectangle.
TRegion BitmapToRegion(const QImage& Bitmap);

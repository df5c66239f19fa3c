#pragma once
// The picture item: a photograph or illustration from a BMP or JPEG file,
// optionally cut out by one of the shared mask shapes or made partly
// transparent by one colour, mirrored or turned in quarter turns, and framed
// by a decorative outline and background.
//
// A JPEG picture keeps its compressed data unchanged, with the flips and the
// turn that lead from it to the picture shown; it is stored that way, so a
// layout never re-encodes a photograph. Other pictures are stored as a BMP.
//
// The screen rendering is cached (with the 1-bit mask beside it) and rebuilt
// after any change; printing works from a printer-resolution copy made by
// PreparePrint when the picture is larger than its printed rectangle.

#include "drawing/objects/DrawRect.h"
#include "drawing/objects/ImageUtils.h"
#include "drawing/objects/RectFrame.h"
#include "platform/Font.h"

#include <QImage>
#include <QString>

#include <memory>
#include <optional>

class TMetafileEx;

// Orientation of a kept JPEG: how the shown picture is turned from it.
enum : quint8 { ioLeft = 0, ioRight = 1, ioHalf = 2, ioUpright = 3 };

// Records older than these lack the mask rectangle, count masks from 0 past
// the first, and lack the turned-mask byte.
inline constexpr qint32 kIllustMaskRectVersion = 201;
inline constexpr qint32 kIllustMaskIndexVersion = 300;
inline constexpr qint32 kIllustMaskTurnedVersion = 301;

class TIllustRect : public TDrawRect {
public:
    TIllustRect();
    ~TIllustRect() override;

    void Assign(const TDrawRect& Source) override;
    void SetZoom(double Value) override;
    // The mask rectangle follows the item, scaled about its top-left corner.
    void SetRect(const TRect& R) override;
    void SetDisplayRect(const TRect& R) override;
    quint8 GetKind() const override { return ikIllust; }
    void Draw(TCanvas* Canvas, qint32 X, qint32 Y) override;
    void Print(TCanvas* Canvas, qint32 X, qint32 Y) override;
    // Runs for every page: the print image of an earlier page is kept when it
    // has the size needed and freed when none is needed.
    void PreparePrint(const QPoint& Offset, bool Physical) override;
    // A record that fails anywhere leaves the item as it was; a picture that
    // does not decode raises EDrawRectStreamError(kImageUnreadableMessage).
    void LoadFromStream(QIODevice& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
    void DescribeFields(QJsonObject& Fields) const override;

    // Takes the picture (a bitmap or a JPEG picture); nothing clears it.
    // A transparent colour is dropped, the flips and the turn start afresh.
    void LoadFromGraphic(const TGraphic* Graphic);
    // -1 no mask. An index the mask list does not hold is stored, but no
    // shape is loaded and the picture shows unmasked.
    void SetMaskIndex(qint32 Index);
    void SetTransparentColor(TColor Color);
    // Mirrors the picture (left-right or top-bottom); the flags of a kept
    // JPEG follow.
    void Reverse(bool LeftRight);
    // Direction 0 left, 1 right, 2 half turn. The rectangle stays; whoever
    // turns by a quarter swaps width and height.
    void Rotate(quint8 Direction);
    void SetImageType(const QString& Type);
    // The mask in display pixels (while it is dragged); the layout rectangle
    // follows through the zoom.
    void SetDisplayMaskRect(const TRect& R);
    quint16 GetMaskHitZone(qint32 X, qint32 Y) const;
    Qt::CursorShape GetMaskCursor(qint32 X, qint32 Y) const;
    void SetHighQuality(bool Value);
    void FreePrintImage();
    void SetResolution(qint32 Value) { Resolution = Value; }
    void SetClipPrinting(bool Value) { ClipPrinting = Value; }
    void SetMaskTurned(bool Value);

    const QImage& GetBitmap() const { return Bitmap; }
    qint32 GetResolution() const { return Resolution; }
    qint32 GetMaskIndex() const { return MaskIndex; }
    bool HasMaskShape() const { return MaskShape != nullptr; }
    TRect GetMaskRect() const { return MaskRect; }
    TRect GetDisplayMaskRect() const { return DisplayMaskRect; }
    TColor GetTransparentColor() const { return TransparentColor; }
    bool GetClipPrinting() const { return ClipPrinting; }
    bool GetHighQuality() const { return HighQuality; }
    bool GetMaskTurned() const { return MaskTurned; }
    const QString& GetImageType() const { return ImageType; }
    const std::optional<TJPEGImage>& GetSourceJPEG() const { return SourceJPEG; }
    quint8 GetFlipVertical() const { return FlipVertical; }
    quint8 GetFlipHorizontal() const { return FlipHorizontal; }
    quint8 GetOrientation() const { return Orientation; }
    TRectFrame& GetFrame() { return Frame; }
    const TRectFrame& GetFrame() const { return Frame; }
    const QImage& GetPrintImage() const { return PrintImage; }
    TRect GetPrintMaskRect() const { return PrintMaskRect; }
    const QImage& GetCache() const { return Cache; }
    const QImage& GetMaskBitmap() const { return MaskBitmap; }

private:
    bool HasPicture() const { return !Bitmap.isNull() && Bitmap.width() > 0 && Bitmap.height() > 0; }
    // Masked drawing needs a loaded shape; an index alone draws plainly.
    bool Masked() const { return MaskShape != nullptr || TransparentColor != clNone; }
    void FrameChanged(TRectFrame* Sender);
    void ClearCache() { Cache = QImage(); }
    void UpdateDisplayMaskRect();
    void ScaleMaskRect(const TRect& OldRect, const TRect& NewRect);

    QImage Bitmap;
    qint32 Resolution = 0;
    qint32 MaskIndex = -1;
    std::unique_ptr<TMetafileEx> MaskShape;
    TRect MaskRect;
    TColor TransparentColor = clNone;
    bool ClipPrinting = false;
    QImage PrintImage;
    TRect PrintMaskRect;
    // The screen's stretched picture and mask: the part CachePart of a
    // CacheFor-sized whole.
    QImage Cache;
    QImage MaskBitmap;
    QSize CacheFor;
    TRect CachePart;
    TRect DisplayMaskRect;
    bool HighQuality = false;
    TRectFrame Frame;
    std::optional<TJPEGImage> SourceJPEG;
    quint8 FlipVertical = 0;
    quint8 FlipHorizontal = 0;
    quint8 Orientation = ioUpright;
    QString ImageType;
    bool MaskTurned = false;
};

// The class registry's entry for the picture item (kind 10).
const TDrawRectClass& IllustDrawRectClass();

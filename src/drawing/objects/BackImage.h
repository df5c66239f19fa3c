#pragma once
// The background of a message-side design: nothing, a picture (fitted,
// centred or tiled at its own size) or a colour (one colour or a two-colour
// gradation); drawn beneath the items on screen, printed first on every page
// and kept in the design file. Also the list of mask-shape files that the
// picture items cut their pictures with.

#include "drawing/objects/DrawRect.h"
#include "drawing/objects/ImageUtils.h"
#include "platform/Canvas.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

// The message raised when a stored picture cannot be read.
inline constexpr const char* kImageUnreadableMessage = "画像が読み込めませんでした  ";

enum : quint8 {
    bkNone = 0,
    bkFit = 1,      // picture fitted to the shown area
    bkCenter = 2,   // picture centred at its own size
    bkTile = 3,     // picture tiled at its own size
    bkColor = 4,    // one colour
    bkGradient = 5, // two-colour gradation
};

class TBackImage {
public:
    TBackImage() = default;

    void Clear();
    void Assign(const TBackImage& Source);

    quint8 Kind() const { return kind_; }
    void SetKind(quint8 Kind);
    const QString& ImageType() const { return imageType_; }
    void SetImageType(const QString& Type);
    // Takes a new picture (a 24-bit bitmap or a JPEG picture whose data is
    // kept); Resolution becomes 72 until the caller sets the file's own.
    void LoadFromGraphic(const TGraphic& Graphic);

    qint32 Resolution() const { return resolution_; }
    void SetResolution(qint32 Value);
    TColor Color1() const { return color1_; }
    void SetColor1(TColor Value);
    TColor Color2() const { return color2_; }
    void SetColor2(TColor Value);
    qint32 Angle() const { return angle_; }
    void SetAngle(qint32 Value);
    double Zoom() const { return zoom_; }
    void SetZoom(double Value);
    // Paper width and height in 0.1 mm.
    void SetPaperSize(const QPoint& Size);
    // The shown area in layout pixels from the paper's top-left corner.
    void SetRect(const TRect& Area);
    bool UpsideDown() const { return upsideDown_; }
    // The design prints turned by 180 degrees: the picture is held turned.
    void SetUpsideDown(bool Value);

    // Mirror: 0 top-bottom, 1 left-right. Turn: 0 left, 1 right, 2 half.
    void Reverse(quint8 Mode);
    void Rotate(quint8 Mode);

    // The picture as shown, and the kept JPEG with its edits.
    const QImage& Image() const { return image_; }
    const std::optional<TJPEGImage>& SourceJPEG() const { return sourceJpeg_; }
    quint8 FlipVertical() const { return flipV_; }
    quint8 FlipHorizontal() const { return flipH_; }
    quint8 Orientation() const { return orientation_; }

    void Refresh(bool Force);
    void Draw(TCanvas& Canvas, qint32 X, qint32 Y);
    bool GetEmpty() const { return render_.isNull() || render_.width() == 0 || render_.height() == 0; }
    const QImage& RenderBitmap() const { return render_; }
    QPoint RenderOffset() const { return renderOffset_; }

    // Printing at the reference device's resolution and offsets. PageSize is
    // the printer's printable area in printer pixels; Offset in 0.1 mm; Half
    // 0 all, 1 left, 2 top, 3 right, 4 bottom half.
    void BeginPrint(const QPoint& Offset, bool WholePaper, quint8 Half, const QSize& PageSize);
    void PrintTo(TCanvas& Canvas, qint32 X, qint32 Y);
    void EndPrint();
    const TRect& PrintRect() const { return printRect_; }

    // The stored record. Reading reads DrawRectFileVersion's form and raises
    // EDrawRectStreamError; on failure the background is left as it was.
    void LoadFromStream(QIODevice& Stream);
    void SaveToStream(QIODevice& Stream) const;

private:
    void Render();
    bool HasPicture() const { return !image_.isNull() && image_.width() > 0 && image_.height() > 0; }
    void TurnImage(quint8 Direction);
    bool IsJpegType() const;

    QImage render_;
    qint32 paperWidth_ = 0;
    qint32 paperHeight_ = 0;
    TRect area_;
    double zoom_ = 0;
    quint8 kind_ = bkNone;
    QImage image_;
    qint32 resolution_ = 0;
    TColor color1_ = 0;
    TColor color2_ = 0;
    qint32 angle_ = 0;
    std::optional<TJPEGImage> sourceJpeg_;
    quint8 flipV_ = 0;
    quint8 flipH_ = 0;
    quint8 orientation_ = 0;
    QString imageType_;
    bool valid_ = false;
    QPoint renderOffset_;
    TRect printRect_;
    qint32 printPicWidth_ = 0;
    qint32 printPicHeight_ = 0;
    qint32 tileCols_ = 0;
    qint32 tileRows_ = 0;
    QImage printGradient_;
    std::optional<TRegion> printClip_;
    bool upsideDown_ = false;
};

// The mask shapes: full file names, in the order picture items index them.
const QStringList& IllustMaskFiles();
void AddIllustMaskFile(const QString& Name);
void FreeIllustMaskFiles();
// Adds Common/Mask/Itm01.emf ... Itm13.emf of the program folder, those that
// exist (a missing file shifts the later ones down by one index).
void AddIllustMaskFilesFrom(const QString& AppFolder);

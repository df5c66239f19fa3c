#pragma once
// Figures a user places on a layout: a line figure (up to four lines across
// its box), a rectangle, a rounded rectangle, an ellipse, a quarter-ellipse
// sector and a rhombus, with an optional outline (colour, width, five line
// types) and an optional fill (one colour or a two-colour gradation).
//
// Outline and single-colour fill are recorded once at the reference
// device's resolution into a square display list, stretched onto the
// screen and played unscaled on the printer, so screen and paper show the
// same geometry. A gradation is a bitmap of its own, drawn beneath the
// recording and clipped to the figure's shape. Each of the three caches
// (recording, screen gradation, screen fill region) has its own validity
// flag; setters clear only the flags they affect.

#include "drawing/objects/DrawRect.h"
#include "platform/Canvas.h"
#include "platform/Font.h"
#include "platform/Metafile.h"

#include <QImage>

#include <array>
#include <optional>

// Figure kinds.
enum : quint8 { fkLine = 0, fkRectangle = 1, fkRoundRect = 2, fkEllipse = 3, fkSector = 4, fkRhombus = 5 };
// Line directions of a line figure (bits).
enum : quint8 { ldHorizontal = 1, ldVertical = 2, ldDiagonalL = 4, ldDiagonalR = 8 };
// Sector apex corners.
enum : quint8 { sdBottomRight = 0, sdBottomLeft = 1, sdTopRight = 2, sdTopLeft = 3 };

// Records of this version and later hold the sector's apex corner.
inline constexpr qint32 kFigureSectorVersion = 300;

class TFigureRect : public TDrawRect {
public:
    TFigureRect();
    ~TFigureRect() override;

    void Assign(const TDrawRect& Source) override;
    void SetZoom(double Value) override;
    void SetRect(const TRect& R) override;
    void SetDisplayRect(const TRect& R) override;
    // The recording is cut at the clip line, so a new clip needs a new one.
    void SetClipSide(quint8 Value) override;
    void SetClipLine(qint32 Value) override;
    quint8 GetKind() const override { return ikFigure; }
    void Draw(TCanvas* Canvas, qint32 X, qint32 Y) override;
    void Print(TCanvas* Canvas, qint32 X, qint32 Y) override;
    // Inherited, then the print gradation and its fill region (replacing
    // those of an earlier page).
    void PreparePrint(const QPoint& Offset, bool Physical) override;
    void Refresh(bool Force) override;
    void LoadFromStream(QIODevice& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;

    // Frees the print gradation and its region; called after every page.
    void FreePrintCache();
    // Records the figure afresh (Refresh does so when stale).
    void RenderFigure();

    // Setters do nothing when the value is the current one.
    void SetFigureKind(quint8 Value);
    void SetLineDirections(quint8 Value);
    void SetCornerRadius(int Index, quint8 Value);
    void SetSectorDirection(quint8 Value);
    void SetFrame(bool Value);
    void SetBack(bool Value);
    void SetGradation(bool Value);
    void SetLineType(quint8 Value);
    void SetLineWidth(qint32 Value);
    void SetFrameColor(TColor Value);
    void SetColor1(TColor Value);
    void SetColor2(TColor Value);
    void SetAngle(qint32 Value);

    quint8 GetFigureKind() const { return FigureKind; }
    quint8 GetLineDirections() const { return LineDirections; }
    quint8 GetCornerRadius(int Index) const { return Index == 1 ? CornerRadius[1] : CornerRadius[0]; }
    quint8 GetSectorDirection() const { return SectorDirection; }
    bool GetFrame() const { return Frame; }
    bool GetBack() const { return Back; }
    bool GetGradation() const { return Gradation; }
    quint8 GetLineType() const { return LineType; }
    qint32 GetLineWidth() const { return LineWidth; }
    TColor GetFrameColor() const { return FrameColor; }
    TColor GetColor1() const { return Color1; }
    TColor GetColor2() const { return Color2; }
    qint32 GetAngle() const { return Angle; }

    // The caches, for the owner's checks.
    bool IsFigureValid() const { return FigureValid; }
    bool IsGradientValid() const { return GradientValid; }
    bool IsRegionValid() const { return RegionValid; }
    const TMetafileEx& GetMetafile() const { return Metafile; }
    const QImage& GetGradientBitmap() const { return GradientBitmap; }
    const std::optional<TRegion>& GetFillRegion() const { return FillRegion; }
    const QImage& GetPrintGradientBitmap() const { return PrintGradientBitmap; }
    const std::optional<TRegion>& GetPrintFillRegion() const { return PrintFillRegion; }

    // The corner ellipse of a rounded rectangle whose smaller side is Side:
    // 0.2, 1/3 or 1/2 of it by class, each rounded.
    static QSize CornerEllipse(qint32 Side, quint8 ClassH, quint8 ClassV);

private:
    // The steps of a recording (FigureRect.cpp).
    struct TShape;
    void RecordSolid(TCanvas& Canvas, const TShape& Shape) const;
    void RecordDashed(TCanvas& Canvas, const TShape& Shape) const;

    bool Gradated() const { return Back && Gradation; }
    // The fill region of the shape in a rectangle (display or print).
    std::optional<TRegion> ShapeRegion(const TRect& R) const;

    TMetafileEx Metafile;
    bool FigureValid = false;
    bool GradientValid = false;
    bool RegionValid = false;
    std::optional<TRegion> FillRegion;
    QImage GradientBitmap;
    QRect GradientFilled; // the part of GradientBitmap filled so far
    bool Back = false;
    bool Gradation = false;
    bool Frame = true;
    qint32 LineWidth = 5;
    qint32 Angle = 0;
    TColor FrameColor = 0;
    TColor Color2 = 0;
    TColor Color1 = 0;
    quint8 FigureKind = fkLine;
    quint8 LineDirections = ldHorizontal;
    quint8 LineType = 0;
    std::array<quint8, 2> CornerRadius{0, 0};
    QImage PrintGradientBitmap;
    QRect PrintGradientFilled;
    std::optional<TRegion> PrintFillRegion;
    quint8 SectorDirection = sdBottomRight;
};

// Registers the program's item classes, TFigureRect (kind 12) among them;
// safe to call again.
void RegisterFigureClasses();

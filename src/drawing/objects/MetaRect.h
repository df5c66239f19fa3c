#pragma once
// Text items drawn through a cached recording: the text is laid out once at
// the reference device's resolution into a square display list, which is
// played back stretched onto the zoomed designer canvas and at its natural
// size on the printer page. Also the fitting routines the text renderers
// share.

#include "drawing/objects/DrawRect.h"
#include "platform/Font.h"
#include "platform/Metafile.h"

#include <QByteArray>
#include <QPoint>
#include <QString>

class TMetaRect : public TDrawRect {
public:
    TMetaRect();
    ~TMetaRect() override;

    void Assign(const TDrawRect& Source) override;
    void SetRect(const TRect& R) override;
    void SetDisplayRect(const TRect& R) override;
    void SetClipSide(quint8 Value) override;
    void SetClipLine(qint32 Value) override;
    void Draw(TCanvas* Canvas, qint32 X, qint32 Y) override;
    void Print(TCanvas* Canvas, qint32 X, qint32 Y) override;
    // Rebuilds when forced, when stale, or when the reference device's
    // resolution is no longer the one the recording was made at.
    void Refresh(bool Force) override;
    void LoadFromStream(QIODevice& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
    void DescribeFields(QJsonObject& Fields) const override;

    // Draws the content on a recording canvas whose origin is the item's
    // top-left corner; Size is the item's size in recording pixels.
    virtual void RenderContent(TCanvas& Canvas, const QPoint& Size) = 0;
    virtual void SetFont(const TFont& Value);
    virtual void SetVertical(quint8 Value);
    virtual void ScaleFontHeight(qint32 PaperLength);
    virtual void ClearContent();
    virtual void ResetFontHeight();

    void SetSizeIndex(qint32 Value);
    void SetUpsideDown(quint8 Value);

    const TFont& GetFont() const { return Font; }
    qint32 GetBaseFontHeight() const { return BaseFontHeight; }
    qint32 GetFontHeight() const { return FontHeight; }
    quint8 GetDirection() const { return Direction; }
    quint8 GetUpsideDown() const { return UpsideDown; }
    qint32 GetSizeIndex() const { return SizeIndex; }
    bool IsValid() const { return Valid; }
    const TMetafileEx& GetMetafile() const { return Metafile; }

    void RebuildMetafile();

protected:
    // The canvas font for rendering: the item font at FontHeight, scaled to
    // the reference device's resolution when a printer is the reference.
    void SetCanvasFont(TCanvas& Canvas) const;

    TMetafileEx Metafile;
    bool Valid = false;
    TFont Font;
    qint32 BaseFontHeight = 0;
    qint32 FontHeight = 0;
    quint8 Direction = 0; // 0 vertical writing, 1 horizontal writing
    quint8 UpsideDown = 0;
    qint32 SizeIndex = 0;

private:
    // The face name as read, so an unchanged name is written back byte for
    // byte even where code page 932 has two codes for one character.
    QByteArray StoredFaceName;
};

// Fits text by shrinking (or, with AllowGrow, growing) the canvas font by
// Available / Needed. True with the font alone when nothing needs doing
// (Needed of 0 or less, a negative ratio, or no growth wanted); False with the
// font alone when the height would vanish.
// Plays a recording with its top-left corner at (Left, Top) of the canvas:
// at its natural size on the device it was made for, at the same physical
// size on another.
void PlayRecordingAtPhysicalSize(TCanvas& Canvas, const TMetafileEx& Metafile, double Left, double Top);

bool ScaleCanvasFont(TCanvas& Canvas, qint32 Available, qint32 Needed, bool AllowGrow);
// Keeps in Text the longest head that fits MaxWidth in the canvas font and
// returns the remainder in Rest; a surrogate pair is never split.
void SplitTextAtWidth(TCanvas& Canvas, QString& Text, qint32 MaxWidth, QString& Rest);
qint32 GetTextWidthW(TCanvas& Canvas, const QString& Text);
// Wide text with per-character advances (one per UTF-16 unit).
bool ExtTextOutWEx(TCanvas& Canvas, qint32 X, qint32 Y, unsigned Options, const QRect* Rect, const QString& Text,
                   const int* Dx);

#pragma once
// The decorative frame and background of an item: an optional outline
// (single or double line, square or round corners, one of three widths, a
// colour) and an optional solid background. Owned and drawn by the free
// text, the picture and the sender block; edited by their settings dialogs.

#include "drawing/objects/DrawRect.h"
#include "platform/Font.h"

#include <functional>

class QIODevice;
class QJsonObject;
class TCanvas;

// Outline widths at 96 dpi, indexed by LineWidth (thin, normal, thick).
inline constexpr int FrameLineWidths[3] = {2, 6, 10};
// Size of the stored frame record.
inline constexpr int kRectFrameRecordSize = 13;

class TRectFrame {
public:
    using TNotifyEvent = std::function<void(TRectFrame* Sender)>;

    TRectFrame() = default;
    TRectFrame(const TRectFrame&) = delete;
    TRectFrame& operator=(const TRectFrame&) = delete;

    // Every field back to zero; no event fires.
    void Clear();
    // Copies the outline and background fields; afterwards OnFrameChange
    // fires once when an outline field differed, OnBackChange once when a
    // background field did.
    void Assign(const TRectFrame& Source);

    // Each setter stores a differing value and then fires its event.
    void SetFrame(bool Value);
    void SetLineCount(quint8 Value);
    void SetCorner(quint8 Value);
    void SetLineWidth(quint8 Value);
    void SetFrameColor(TColor Value);
    void SetBack(bool Value);
    void SetBackColor(TColor Value);

    bool GetFrame() const { return Frame; }
    quint8 GetLineCount() const { return LineCount; }
    quint8 GetCorner() const { return Corner; }
    quint8 GetLineWidth() const { return LineWidth; }
    TColor GetFrameColor() const { return FrameColor; }
    bool GetBack() const { return Back; }
    TColor GetBackColor() const { return BackColor; }

    // Draws background and outline into Rect; returns the room left for the
    // content. Scale turns the 96-dpi widths into target pixels.
    TRect Draw(TCanvas& Canvas, const TRect& Rect, double Scale) const;
    // The content rectangle inside an outline drawn in Rect, without drawing.
    TRect GetInnerRect(const TRect& Rect, double Scale) const;
    // The rectangle whose outline (at scale 1) encloses the content Rect.
    TRect GetOuterRect(const TRect& Rect) const;

    // The 13-byte record: Frame, Back, LineCount, Corner, LineWidth,
    // FrameColor, BackColor. Loading assigns directly and fires nothing; a
    // record cut short leaves the frame as it was and raises
    // EDrawRectStreamError.
    void LoadFromStream(QIODevice& Stream);
    void SaveToStream(QIODevice& Stream) const;
    // The stored fields by name, as read.
    void DescribeFields(QJsonObject& Fields) const;

    TNotifyEvent OnFrameChange;
    TNotifyEvent OnBackChange;

private:
    void FrameChanged();
    void BackChanged();
    // The outline width index as used: a damaged record may hold any byte.
    int WidthIndex() const { return LineWidth <= 2 ? LineWidth : 2; }

    bool Frame = false;
    quint8 LineCount = 0; // 0 single, 1 double line
    quint8 Corner = 0;    // 0 square, 1 round corners
    quint8 LineWidth = 0; // index into FrameLineWidths
    TColor FrameColor = 0;
    bool Back = false;
    TColor BackColor = 0;
};

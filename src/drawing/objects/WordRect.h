#pragma once
// The free text of the designers: lines of text written horizontally or
// vertically inside a frame, at a fixed point size or sized to fill the
// frame, optionally wrapped at the frame, aligned in nine ways, with a line
// spacing and a character aspect ratio. Rendered once into the item's
// recording like every text item.

#include "drawing/objects/MetaRect.h"
#include "drawing/objects/RectFrame.h"

#include <QPoint>
#include <QStringList>
#include <vector>

class QJsonObject;

// Gap between lines in line heights, indexed by LineSpace (0 spreads the
// lines over the frame; 1 none, 2 narrow, 3 normal, 4 somewhat wide, 5 wide).
inline constexpr double LineSpaceFactors[6] = {0.0, 0.0, 0.25, 1.0 / 3.0, 0.5, 1.0};
// Point sizes of the size list, indexed by SizeIndex; 0 is automatic.
inline constexpr int FontSizePoints[28] = {0,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                           20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 36, 48, 72};
// Inset of the text from the item's edge, in 96-dpi pixels.
inline constexpr int kWordTextInset = 4;

// What the last rendering decided, for tests and the drawing harness.
struct TWordLayout {
    bool Fitted = false;   // lines were drawn
    qint32 InsetX = 0;
    qint32 InsetY = 0;
    qint32 LineHeight = 0; // TH of the font the lines were drawn in
    qint32 Gap = 0;
    unsigned Flags = 0;    // text-alignment flags
    QStringList Lines;     // the output lines
    std::vector<QPoint> Positions;
};

class TWordRect : public TMetaRect {
public:
    TWordRect();
    ~TWordRect() override;

    void Assign(const TDrawRect& Source) override;
    quint8 GetKind() const override { return ikWord; }
    // A record cut short raises EDrawRectStreamError; the fields not reached
    // keep their values.
    void LoadFromStream(QIODevice& Stream) override;
    // Always the newest form.
    void SaveToStream(QIODevice& Stream) const override;
    void RenderContent(TCanvas& Canvas, const QPoint& Size) override;
    void ClearContent() override;
    // The stored fields by name, as read (frame fields under "Frame").
    void DescribeFields(QJsonObject& Fields) const override;

    qint32 GetLineCount() const { return static_cast<qint32>(Lines.size()); }
    void SetLineCount(qint32 N);
    QString GetLine(qint32 Index) const { return Index >= 0 && Index < Lines.size() ? Lines.at(Index) : QString(); }
    void SetLine(qint32 Index, const QString& Text);
    const QStringList& GetLines() const { return Lines; }
    void SetLines(const QStringList& Value);

    qint32 GetAlign() const { return Align; }
    void SetAlign(qint32 Value);
    bool GetWordWrap() const { return WordWrap; }
    void SetWordWrap(bool Value);
    qint32 GetAspectRatio() const { return AspectRatio; }
    void SetAspectRatio(qint32 Value);
    quint8 GetLineSpace() const { return LineSpace; }
    void SetLineSpace(quint8 Value);

    TRectFrame& GetFrame() { return Frame; }
    const TRectFrame& GetFrame() const { return Frame; }
    const TWordLayout& LastLayout() const { return Layout; }

private:
    void FrameChanged(TRectFrame* Sender);
    bool BuildLines(TCanvas& Canvas, qint32 L, qint32 A, QStringList& O);

    QStringList Lines;
    qint32 Align = 0;       // vertical part * 3 + horizontal part (0 right, 1 centre, 2 left)
    bool WordWrap = false;
    TRectFrame Frame;
    quint8 LineSpace = 0;
    qint32 AspectRatio = 100;
    TWordLayout Layout;
};

// Registers the program's item classes, TWordRect (kind 11) among them;
// idempotent.
void RegisterWordClasses();

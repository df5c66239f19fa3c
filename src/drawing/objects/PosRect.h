#pragma once
// The postal code of an addressee or a sender: digit by digit into the seven
// printed boxes of a postcard or envelope, or as one centred text when it
// carries the postal mark or a hyphen.

#include "drawing/objects/MetaRect.h"

#include <QString>
#include <vector>

// Box pitches in 0.1 mm: from the left edge of each box to the left edge of
// the next, and the width of the last box. Every box is 57 wide; the seven
// span 47.7 mm.
inline constexpr int kPostalBoxPitch[7] = {70, 70, 76, 68, 68, 68, 57};
inline constexpr int kPostalBoxWidth = 57;

class TPosRect : public TMetaRect {
public:
    // Kind 4 makes the sender's postal code, any other the addressee's.
    explicit TPosRect(quint8 Kind = ikPosCode);

    quint8 GetKind() const override { return SenderItem ? ikSenderPosCode : ikPosCode; }
    void ClearContent() override;
    void ResetFontHeight() override;
    void RenderContent(TCanvas& Canvas, const QPoint& Size) override;

    // The code in its printed form: seven digits, or a text beginning with
    // "〒" or with "-" as its fourth character.
    void SetPosCode(const QString& Value);
    const QString& GetPosCode() const { return PosCode; }
    // Whether Code prints as one text rather than into the boxes.
    static bool IsTextForm(const QString& Code);

    quint8 GetSenderItem() const { return SenderItem; }
    void SetSenderItem(quint8 Value) { SenderItem = Value ? 1 : 0; }
    quint8 GetInSenderBlock() const { return InSenderBlock; }
    void SetInSenderBlock(quint8 Value) { InSenderBlock = Value ? 1 : 0; }

    // What the last rendering drew, in recording pixels (before turning).
    struct TLayout {
        bool Drawn = false;
        bool Boxes = false;
        QString Text;
        QPoint Origin;            // the first character's top-left
        std::vector<int> Advances; // box form: one per character drawn
        int FontHeight = 0;
    };
    const TLayout& LastLayout() const { return Layout; }

private:
    void RenderText(TCanvas& Canvas, const QPoint& Size);
    void RenderBoxes(TCanvas& Canvas, const QPoint& Size);

    QString PosCode;
    quint8 SenderItem = 0;
    quint8 InSenderBlock = 0;
    TLayout Layout;
};

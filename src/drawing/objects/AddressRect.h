#pragma once
// The address of an addressee or a sender: up to three lines laid out in the
// item's frame, across or in Japanese vertical writing, the font shrunk until
// the text fits and the lines joined or kept by fixed rules. In vertical
// writing short runs of digits are set across the column.

#include "drawing/objects/MetaRect.h"

#include <QRect>
#include <QString>
#include <array>
#include <vector>

class TAddressRect : public TMetaRect {
public:
    // Kind 5 makes the sender's address, any other the addressee's.
    explicit TAddressRect(quint8 Kind = ikAddress);

    quint8 GetKind() const override { return SenderItem ? ikSenderAddress : ikAddress; }
    // Also takes the size step of another address.
    void Assign(const TDrawRect& Source) override;
    void LoadFromStream(QIODevice& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
    void DescribeFields(QJsonObject& Fields) const override;
    void ClearContent() override;
    void ResetFontHeight() override;
    void RenderContent(TCanvas& Canvas, const QPoint& Size) override;

    // Lines 0 to 2; other indexes read empty and change nothing.
    QString GetAddress(int Index) const;
    void SetAddress(int Index, const QString& Text);
    quint8 GetVertNumeral() const { return VertNumeral; }
    void SetVertNumeral(quint8 Value);
    // 1 (small) to 5 (large): picks the default height; ResetFontHeight applies it.
    qint32 GetSizeStep() const { return SizeStep; }
    void SetSizeStep(qint32 Value) { SizeStep = Value; }
    quint8 GetSenderItem() const { return SenderItem; }
    void SetSenderItem(quint8 Value) { SenderItem = Value ? 1 : 0; }
    quint8 GetInSenderBlock() const { return InSenderBlock; }
    void SetInSenderBlock(quint8 Value) { InSenderBlock = Value ? 1 : 0; }

    // A piece of a line in vertical writing: upright text down the column,
    // or a short digit group (already half-width) set across it.
    struct TRun {
        QString Text;
        bool Across = false;
        friend bool operator==(const TRun&, const TRun&) = default;
    };
    // Cuts a line into runs: full-width digit runs shorter than five become
    // half-width groups set across; with VertNumeral the line is one run.
    static std::vector<TRun> SplitRuns(const QString& Line, bool VertNumeral);

    // What the last rendering drew, in recording pixels before turning.
    struct TPlaced {
        QString Text;
        bool Vertical = false; // drawn with the vertical font
        int Column = 0;        // line or column, 0 first
        QRect Box;             // the run's cell
    };
    struct TLayout {
        bool Drawn = false;
        bool FixedSize = false;
        int Lines = 0; // lines or columns drawn
        int FontHeight = 0;
        std::vector<TPlaced> Runs;
    };
    const TLayout& LastLayout() const { return Layout; }

private:
    void RenderHorizontal(TCanvas& Canvas, const QPoint& Size);
    void RenderVertical(TCanvas& Canvas, const QPoint& Size);
    // The steps of vertical writing (AddressRect.cpp).
    struct TColumns;
    bool CutColumnsToFrame(TColumns& Text) const;
    bool ShrinkColumnsToFit(TColumns& Text) const;
    void DrawColumns(TColumns& Text, bool FixedSize, const QPoint& Size);

    std::array<QString, 3> Address;
    quint8 SenderItem = 0;
    qint32 SizeStep = 3;
    quint8 InSenderBlock = 0;
    quint8 VertNumeral = 0;
    TLayout Layout;
};

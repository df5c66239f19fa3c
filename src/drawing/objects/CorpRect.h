#pragma once
// Company-side text of an address or sender block: one company name,
// department or job title with an optional honorific after it, on one line
// or broken in two at an ideographic space. Also what the name item shares
// with it: the rule that breaks such a line, the default heights of the name
// side and the frame every name-side text is laid out in.

#include "drawing/objects/MetaRect.h"

#include <QPoint>
#include <QString>

// Breaks a company-side text in two at an ideographic space: at the only
// one, or, with several, at the one nearest the middle (the left one on a
// tie). True with the two parts in Head and Rest when both have at least
// three characters; otherwise False with the whole text (the spaces kept) in
// Head and Rest empty.
bool BreakAtSpace(QString& Head, QString& Rest);

// Default character heights of the name side for a postcard, by size step
// 1..5 (a step outside is taken as the nearest one): the addressee row, or
// the sender row for sender items outside a sender block.
qint32 NameSideDefaultHeight(bool SenderRow, qint32 SizeStep);

// The space a name-side text is laid out in: margins of 4 layout pixels at
// the reference device's resolution; A runs along the text (down the frame
// in vertical writing), B across it.
struct TTextFrame {
    qint32 mx = 4;
    qint32 my = 4;
    qint32 A = 0;
    qint32 B = 0;
    bool vertical = false;
};
// Longer sides than kMaxTextFrame (some 170 m at 600 dpi) give an empty frame.
inline constexpr qint32 kMaxTextFrame = 1 << 22;
TTextFrame TextFrameOf(const QPoint& Size, quint8 Direction);
// Turns a canvas font to the writing direction.
void SetFontDirection(TFont& Font, bool Vertical);
// The point mirrored about the frame's centre, for text turned by 180 degrees.
inline QPoint MirroredPoint(const QPoint& Size, const QPoint& P) { return {Size.x() - P.x(), Size.y() - P.y()}; }

class TCorpRect : public TMetaRect {
public:
    TCorpRect();

    quint8 GetKind() const override { return SenderItem ? ikSenderName : ikName; }
    void Assign(const TDrawRect& Source) override;
    void ClearContent() override;
    void ResetFontHeight() override;
    void LoadFromStream(QIODevice& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
    void RenderContent(TCanvas& Canvas, const QPoint& Size) override;

    void SetCorp(const QString& Text);
    void SetHonor(const QString& Text); // redraws only while the honorific is shown
    void SetCorpBreak(quint8 Value);
    void SetShowHonor(quint8 Value);
    void SetSizeStep(qint32 Value) { SizeStep = Value; }
    void SetSenderItem(quint8 Value) { SenderItem = Value; }
    void SetInSenderBlock(quint8 Value) { InSenderBlock = Value; }

    const QString& GetCorp() const { return Corp; }
    const QString& GetHonor() const { return Honor; }
    quint8 GetCorpBreak() const { return CorpBreak; }
    quint8 GetShowHonor() const { return ShowHonor; }
    qint32 GetSizeStep() const { return SizeStep; }
    quint8 GetSenderItem() const { return SenderItem; }

private:
    quint8 CorpBreak = 0;
    QString Honor;
    QString Corp;
    quint8 ShowHonor = 1;
    quint8 SenderItem = 0;
    qint32 SizeStep = 3;
    quint8 InSenderBlock = 0;
};

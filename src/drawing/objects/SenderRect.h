#pragma once
// The sender block of the message side: one item made of its own postal-code,
// address, name, company-line and additional items, laid out together in an
// optional frame. The children's places are stored in a fixed 205 x 205 frame
// stretched over the block, so the block resizes as a whole; in child-edit
// mode single children are moved and the block's bounds follow them. Two
// child sets exist: the basic set (automatic layout) and the full set (every
// item chosen one by one).

#include "drawing/objects/DrawRect.h"
#include "drawing/objects/RectFrame.h"
#include "platform/Font.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class TAdditionRect;
class TAddressRect;
class TCorpRect;
class TMetaRect;
class TNameRect;
class TPosRect;

// The side of the frame the children's stored places are expressed in.
inline constexpr qint32 kSenderFrameSide = 205;
// Room left free inside the block (or its frame) on every side.
inline constexpr qint32 kSenderBlockMargin = 10;
inline constexpr int kSenderBasicCount = 5;
inline constexpr int kSenderFullCount = 13;

// Positions in the basic list.
enum : int { sbPos = 0, sbAddress = 1, sbName = 2, sbAddition1 = 3, sbAddition2 = 4 };
// Positions in the full list, the order of the full stored places and of
// every per-child field of the record.
enum : int {
    sfPos = 0,
    sfAddress1 = 1,
    sfAddress2 = 2,
    sfAddress3 = 3,
    sfCorp = 4,
    sfDepartment1 = 5,
    sfDepartment2 = 6,
    sfPost = 7,
    sfName = 8,
    sfAddition1 = 9,
    sfAddition2 = 10,
    sfAddition3 = 11,
    sfAddition4 = 12,
};

// Default places in the 205 x 205 frame, by direction (0 vertical writing,
// anything else horizontal).
TRect SenderBasicDefaultRect(int Index, quint8 Direction);
TRect SenderFullDefaultRect(int Index, quint8 Direction);

class TSenderRect : public TDrawRect {
public:
    TSenderRect();
    ~TSenderRect() override;

    // Copies the title, the additional items, the other full children's
    // Visible, the automatic layout, the stored places, font, direction,
    // turn and frame; the block's own rectangle also in child-edit mode.
    // WholeBlock and the current child are not copied.
    void Assign(const TDrawRect& Source) override;
    void SetZoom(double Value) override;
    // Block mode: the block's rectangles; child-edit mode: the current
    // child's (empty without one), and setting them moves that child and
    // makes the block's bounds follow.
    TRect GetRect() const override;
    void SetRect(const TRect& R) override;
    TRect GetDisplayRect() const override;
    void SetDisplayRect(const TRect& R) override;
    void SetClipSide(quint8 Value) override;
    void SetClipLine(qint32 Value) override;
    quint8 GetKind() const override { return ikSender; }
    void Draw(TCanvas* Canvas, qint32 X, qint32 Y) override;
    void Print(TCanvas* Canvas, qint32 X, qint32 Y) override;
    void PreparePrint(const QPoint& Offset, bool Physical) override;
    void Refresh(bool Force) override;
    // A record cut short raises EDrawRectStreamError and leaves the block
    // as it was.
    void LoadFromStream(QIODevice& Stream) override;
    // Always the newest form.
    void SaveToStream(QIODevice& Stream) const override;
    // In child-edit mode a hit child becomes the current one and moves to the
    // front of the shown list.
    bool HitTest(qint32 X, qint32 Y) const override;
    Qt::CursorShape GetCursor(qint32 X, qint32 Y) const override;
    quint16 GetHitZone(qint32 X, qint32 Y) const override;
    void DescribeFields(QJsonObject& Fields) const override;

    // The block's own display rectangle in either mode.
    TRect GetBlockDisplayRect() const { return DisplayRect; }

    // Passed to every child of both sets.
    void ClearContent();
    void ResetFontHeight();
    void ScaleFontHeight(qint32 PaperLength);
    void SetFont(const TFont& Value);
    void SetVertical(quint8 Value);
    const TFont& GetFont() const;
    quint8 GetVertical() const;
    quint8 GetUpsideDown() const;
    // Turns every child and every stored place by 180 degrees in the frame.
    void SetUpsideDown(quint8 Value);

    bool GetAutoLayout() const { return AutoLayout; }
    void SetAutoLayout(bool Value);
    bool GetWholeBlock() const { return WholeBlock; }
    void SetWholeBlock(bool Value) { WholeBlock = Value; }
    const QString& GetSenderTitle() const { return SenderTitle; }
    void SetSenderTitle(const QString& Value) { SenderTitle = Value; }

    // Index >= 0: that stored place of the active set back to its default
    // (an index outside the set is ignored); below 0: every place of both.
    void ResetChildRects(int Index);
    // Places the children of the active set from their stored places inside
    // Content (unless already placed for it) and refreshes the shown ones.
    void LayoutChildren(const TRect& Content, bool Force);
    // After a child was moved in child-edit mode: the block's bounds become
    // the children's union plus the margin (and frame), and every stored
    // place of the active set is taken again from its child.
    void UpdateBlockBounds();

    // The children. Indexed accessors give nullptr outside their range.
    TPosRect* GetBasicPos() const { return BasicPos.get(); }
    TAddressRect* GetBasicAddress() const { return BasicAddress.get(); }
    TNameRect* GetBasicName() const { return BasicName.get(); }
    TAdditionRect* GetBasicAddition(int Index) const;
    TPosRect* GetPos() const { return FullPos.get(); }
    TAddressRect* GetAddress(int Index) const;
    TCorpRect* GetCorp() const { return FullCorp.get(); }
    TCorpRect* GetDepartment(int Index) const;
    TCorpRect* GetPost() const { return FullPost.get(); }
    TNameRect* GetName() const { return FullName.get(); }
    TAdditionRect* GetAddition(int Index) const;

    // Visible switches. A getter outside its range gives False, a setter
    // outside its range does nothing. Showing a child gives it its default
    // place; the shown list follows when the child belongs to the active set.
    bool GetPosVisible() const;
    void SetPosVisible(bool Value);
    bool GetAddressVisible(int Index) const;
    void SetAddressVisible(int Index, bool Value);
    bool GetNameVisible() const;
    void SetNameVisible(bool Value);
    bool GetCorpVisible() const;
    void SetCorpVisible(bool Value);
    bool GetDepartmentVisible(int Index) const;
    void SetDepartmentVisible(int Index, bool Value);
    bool GetPostVisible() const;
    void SetPostVisible(bool Value);
    bool GetAdditionVisible(int Index) const;
    void SetAdditionVisible(int Index, bool Value);
    bool GetBasicAdditionVisible(int Index) const;
    void SetBasicAdditionVisible(int Index, bool Value);

    TRectFrame& GetFrame() { return Frame; }
    const TRectFrame& GetFrame() const { return Frame; }
    const std::array<TRect, kSenderBasicCount>& GetBasicRects() const { return BasicRects; }
    const std::array<TRect, kSenderFullCount>& GetFullRects() const { return FullRects; }
    const std::vector<TMetaRect*>& GetBasicList() const { return BasicList; }
    const std::vector<TMetaRect*>& GetFullList() const { return FullList; }
    const std::vector<TMetaRect*>& GetShownList() const { return ShownList; }
    TMetaRect* GetCurrentChild() const { return CurrentChild; }
    void ClearCurrentChild() { CurrentChild = nullptr; }
    bool IsLayoutValid() const { return LayoutValid; }

private:
    struct TRecord;

    void LayoutChanged() { LayoutValid = false; }
    void RebuildShownList();
    void PlaceChild(TMetaRect& Child, const TRect& Stored, const TRect& Content, double sx, double sy);
    // The rectangle the children are laid out in: the block's, inside the
    // frame's outline when there is one.
    TRect ContentRect() const;
    const std::vector<TMetaRect*>& ActiveList() const { return AutoLayout ? BasicList : FullList; }
    void SetChildVisible(TMetaRect* Child, bool Basic, int Index, bool Value);
    bool InActiveSet(const TMetaRect* Child) const;
    void ApplyRecord(TRecord& R);

    QString SenderTitle;
    bool WholeBlock = true;
    std::array<TRect, kSenderBasicCount> BasicRects{};
    std::array<TRect, kSenderFullCount> FullRects{};
    bool LayoutValid = false;
    bool AutoLayout = true;

    std::unique_ptr<TPosRect> BasicPos;
    std::unique_ptr<TAddressRect> BasicAddress;
    std::unique_ptr<TNameRect> BasicName;
    std::unique_ptr<TAdditionRect> BasicAdditions[2];
    std::unique_ptr<TPosRect> FullPos;
    std::unique_ptr<TAddressRect> FullAddresses[3];
    std::unique_ptr<TCorpRect> FullCorp;
    std::unique_ptr<TCorpRect> FullDepartments[2];
    std::unique_ptr<TCorpRect> FullPost;
    std::unique_ptr<TNameRect> FullName;
    std::unique_ptr<TAdditionRect> FullAdditions[4];

    std::vector<TMetaRect*> BasicList;
    std::vector<TMetaRect*> FullList;
    // The hit test of child-edit mode picks the current child and reorders
    // the shown list, though asking for a hit changes nothing else.
    mutable std::vector<TMetaRect*> ShownList;
    mutable TMetaRect* CurrentChild = nullptr;
    TRectFrame Frame;

    // The title and face name as read, so unchanged texts are written back
    // byte for byte even where code page 932 has two codes for a character.
    QByteArray StoredTitle;
    QByteArray StoredFaceName;
};

// The registry entry of the sender block (kind 14).
const TDrawRectClass& SenderRectClass();

#include "drawing/objects/SenderRect.h"

#include "core/common/FontUtils.h"
#include "drawing/objects/AdditionRect.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/CorpRect.h"
#include "drawing/objects/NameRect.h"
#include "drawing/objects/PosRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Cp932.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>

namespace {

// Default places in the 205 x 205 frame: vertical writing, horizontal writing.
constexpr TRect kBasicDefaults[kSenderBasicCount][2] = {
    {{107, 0, 205, 20}, {0, 0, 86, 20}},      // postal code
    {{136, 23, 200, 193}, {14, 23, 200, 79}}, // address
    {{56, 43, 131, 205}, {43, 80, 205, 149}}, // name
    {{24, 61, 52, 205}, {47, 153, 205, 181}}, // addition 1
    {{0, 61, 28, 205}, {47, 177, 205, 205}},  // addition 2
};

constexpr TRect kFullDefaults[kSenderFullCount][2] = {
    {{107, 0, 205, 20}, {0, 0, 70, 15}},      // postal code
    {{181, 23, 205, 200}, {15, 15, 192, 37}}, // address 1
    {{164, 47, 186, 200}, {39, 33, 192, 55}}, // address 2
    {{147, 47, 169, 200}, {39, 48, 192, 70}}, // address 3
    {{126, 30, 150, 192}, {25, 65, 187, 87}}, // company name
    {{110, 41, 131, 195}, {36, 83, 190, 105}}, // department 1
    {{94, 41, 115, 195}, {36, 98, 190, 120}},  // department 2
    {{69, 25, 91, 50}, {13, 120, 38, 142}},    // job title
    {{63, 54, 97, 205}, {42, 115, 192, 147}},  // name
    {{42, 61, 62, 205}, {48, 147, 192, 166}},  // addition 1
    {{28, 61, 48, 205}, {48, 160, 192, 179}},  // addition 2
    {{14, 61, 34, 205}, {48, 174, 192, 193}},  // addition 3
    {{0, 61, 20, 205}, {48, 186, 192, 205}},   // addition 4
};

int DirectionColumn(quint8 direction)
{
    return direction == 0 ? 0 : 1;
}

} // namespace

TRect SenderBasicDefaultRect(int Index, quint8 Direction)
{
    return Index >= 0 && Index < kSenderBasicCount ? kBasicDefaults[Index][DirectionColumn(Direction)] : TRect();
}

TRect SenderFullDefaultRect(int Index, quint8 Direction)
{
    return Index >= 0 && Index < kSenderFullCount ? kFullDefaults[Index][DirectionColumn(Direction)] : TRect();
}

TSenderRect::TSenderRect()
{
    // Every child but the company name and the additional items is a
    // sender item inside a block, so its default heights come from the
    // block's rows; the company name carries only the in-block flag.
    const auto pos = [] {
        auto p = std::make_unique<TPosRect>(ikSenderPosCode);
        p->SetInSenderBlock(1);
        return p;
    };
    const auto address = [] {
        auto a = std::make_unique<TAddressRect>(ikSenderAddress);
        a->SetInSenderBlock(1);
        return a;
    };
    const auto name = [] {
        auto n = std::make_unique<TNameRect>();
        n->SetSenderItem(1);
        n->SetInSenderBlock(1);
        return n;
    };
    const auto corp = [](bool sender) {
        auto c = std::make_unique<TCorpRect>();
        c->SetSenderItem(sender ? 1 : 0);
        c->SetInSenderBlock(1);
        return c;
    };
    BasicPos = pos();
    BasicAddress = address();
    BasicName = name();
    for (auto& a : BasicAdditions)
        a = std::make_unique<TAdditionRect>();
    FullPos = pos();
    for (auto& a : FullAddresses)
        a = address();
    FullCorp = corp(false);
    for (auto& d : FullDepartments)
        d = corp(true);
    FullPost = corp(true);
    FullName = name();
    for (int i = 0; i < 4; ++i) {
        FullAdditions[i] = std::make_unique<TAdditionRect>();
        FullAdditions[i]->SetFieldId(static_cast<quint8>(kAdditionContact1 + i));
    }

    BasicList = {BasicPos.get(), BasicAddress.get(), BasicName.get(), BasicAdditions[0].get(),
                 BasicAdditions[1].get()};
    FullList = {FullPos.get(),          FullAddresses[0].get(),   FullAddresses[1].get(),   FullAddresses[2].get(),
                FullCorp.get(),         FullDepartments[0].get(), FullDepartments[1].get(), FullPost.get(),
                FullName.get(),         FullAdditions[0].get(),   FullAdditions[1].get(),   FullAdditions[2].get(),
                FullAdditions[3].get()};
    for (TMetaRect* c : BasicList)
        c->ResetFontHeight();
    for (TMetaRect* c : FullList)
        c->ResetFontHeight();
    ShownList = BasicList;
    Frame.OnFrameChange = [this](TRectFrame*) { LayoutChanged(); };
}

TSenderRect::~TSenderRect() = default;

void TSenderRect::Assign(const TDrawRect& Source)
{
    if (&Source == this)
        return;
    // The block's own rectangle is copied in either mode: in child-edit
    // mode the inherited copy would move the current child instead.
    const bool wholeBlock = WholeBlock;
    WholeBlock = true;
    TDrawRect::Assign(Source);
    WholeBlock = wholeBlock;
    const auto* s = dynamic_cast<const TSenderRect*>(&Source);
    if (!s)
        return;
    SenderTitle = s->SenderTitle;
    StoredTitle = s->StoredTitle;
    for (int i = 0; i < 2; ++i)
        BasicAdditions[i]->Assign(*s->BasicAdditions[i]);
    for (int i = 0; i < kSenderFullCount; ++i) {
        if (dynamic_cast<TAdditionRect*>(FullList[size_t(i)]))
            FullList[size_t(i)]->Assign(*s->FullList[size_t(i)]);
        else
            FullList[size_t(i)]->SetVisible(s->FullList[size_t(i)]->IsVisible());
    }
    AutoLayout = s->AutoLayout;
    RebuildShownList();
    CurrentChild = nullptr;
    SetFont(s->GetFont());
    StoredFaceName = s->StoredFaceName;
    SetVertical(s->GetVertical());
    SetUpsideDown(s->GetUpsideDown());
    // The places are copied after the turn: they are already turned as the
    // source's children are, and turning them again would undo it.
    BasicRects = s->BasicRects;
    FullRects = s->FullRects;
    Frame.Assign(s->Frame);
    LayoutValid = false;
}

void TSenderRect::SetZoom(double Value)
{
    TDrawRect::SetZoom(Value);
    for (TMetaRect* c : BasicList)
        c->SetZoom(Value);
    for (TMetaRect* c : FullList)
        c->SetZoom(Value);
}

TRect TSenderRect::GetRect() const
{
    if (WholeBlock)
        return Rect;
    return CurrentChild ? CurrentChild->GetRect() : TRect();
}

void TSenderRect::SetRect(const TRect& R)
{
    if (WholeBlock) {
        TDrawRect::SetRect(R);
        LayoutValid = false;
    } else if (CurrentChild) {
        CurrentChild->SetRect(R);
        UpdateBlockBounds();
    }
}

TRect TSenderRect::GetDisplayRect() const
{
    if (WholeBlock)
        return DisplayRect;
    return CurrentChild ? CurrentChild->GetDisplayRect() : TRect();
}

void TSenderRect::SetDisplayRect(const TRect& R)
{
    if (WholeBlock) {
        TDrawRect::SetDisplayRect(R);
        LayoutValid = false;
    } else if (CurrentChild) {
        CurrentChild->SetDisplayRect(R);
        UpdateBlockBounds();
    }
}

void TSenderRect::SetClipSide(quint8 Value)
{
    for (TMetaRect* c : BasicList)
        c->SetClipSide(Value);
    for (TMetaRect* c : FullList)
        c->SetClipSide(Value);
}

void TSenderRect::SetClipLine(qint32 Value)
{
    for (TMetaRect* c : BasicList)
        c->SetClipLine(Value);
    for (TMetaRect* c : FullList)
        c->SetClipLine(Value);
}

void TSenderRect::PreparePrint(const QPoint& Offset, bool Physical)
{
    TDrawRect::PreparePrint(Offset, Physical);
    for (TMetaRect* c : ShownList)
        c->PreparePrint(Offset, Physical);
}

bool TSenderRect::HitTest(qint32 X, qint32 Y) const
{
    if (WholeBlock)
        return TDrawRect::HitTest(X, Y);
    CurrentChild = nullptr;
    for (auto it = ShownList.begin(); it != ShownList.end(); ++it) {
        if ((*it)->HitTest(X, Y)) {
            CurrentChild = *it;
            std::rotate(ShownList.begin(), it, it + 1);
            return true;
        }
    }
    return false;
}

Qt::CursorShape TSenderRect::GetCursor(qint32 X, qint32 Y) const
{
    if (WholeBlock)
        return TDrawRect::GetCursor(X, Y);
    return CurrentChild ? CurrentChild->GetCursor(X, Y) : Qt::ArrowCursor;
}

quint16 TSenderRect::GetHitZone(qint32 X, qint32 Y) const
{
    if (WholeBlock)
        return TDrawRect::GetHitZone(X, Y);
    return CurrentChild ? CurrentChild->GetHitZone(X, Y) : quint16(hzNone | hzNone << 8);
}

void TSenderRect::ClearContent()
{
    for (TMetaRect* c : BasicList)
        c->ClearContent();
    for (TMetaRect* c : FullList)
        c->ClearContent();
}

void TSenderRect::ResetFontHeight()
{
    for (TMetaRect* c : BasicList)
        c->ResetFontHeight();
    for (TMetaRect* c : FullList)
        c->ResetFontHeight();
}

void TSenderRect::ScaleFontHeight(qint32 PaperLength)
{
    for (TMetaRect* c : BasicList)
        c->ScaleFontHeight(PaperLength);
    for (TMetaRect* c : FullList)
        c->ScaleFontHeight(PaperLength);
}

void TSenderRect::SetFont(const TFont& Value)
{
    // The value may be a child's own font.
    const TFont font = Value;
    for (TMetaRect* c : BasicList)
        c->SetFont(font);
    for (TMetaRect* c : FullList)
        c->SetFont(font);
}

void TSenderRect::SetVertical(quint8 Value)
{
    for (TMetaRect* c : BasicList)
        c->SetVertical(Value);
    for (TMetaRect* c : FullList)
        c->SetVertical(Value);
}

const TFont& TSenderRect::GetFont() const
{
    return BasicPos->GetFont();
}

quint8 TSenderRect::GetVertical() const
{
    return BasicAddress->GetDirection();
}

quint8 TSenderRect::GetUpsideDown() const
{
    return BasicPos->GetUpsideDown();
}

TAdditionRect* TSenderRect::GetBasicAddition(int Index) const
{
    return Index >= 0 && Index < 2 ? BasicAdditions[Index].get() : nullptr;
}

TAddressRect* TSenderRect::GetAddress(int Index) const
{
    return Index >= 0 && Index < 3 ? FullAddresses[Index].get() : nullptr;
}

TCorpRect* TSenderRect::GetDepartment(int Index) const
{
    return Index >= 0 && Index < 2 ? FullDepartments[Index].get() : nullptr;
}

TAdditionRect* TSenderRect::GetAddition(int Index) const
{
    return Index >= 0 && Index < 4 ? FullAdditions[Index].get() : nullptr;
}

void TSenderRect::RebuildShownList()
{
    ShownList.clear();
    if (AutoLayout) {
        for (TMetaRect* c : BasicList)
            if (!dynamic_cast<TAdditionRect*>(c) || c->IsVisible())
                ShownList.push_back(c);
    } else {
        for (TMetaRect* c : FullList)
            if (c->IsVisible())
                ShownList.push_back(c);
    }
}

bool TSenderRect::InActiveSet(const TMetaRect* Child) const
{
    const std::vector<TMetaRect*>& active = ActiveList();
    return std::find(active.begin(), active.end(), Child) != active.end();
}

void TSenderRect::SetAutoLayout(bool Value)
{
    if (AutoLayout == Value)
        return;
    AutoLayout = Value;
    RebuildShownList();
    LayoutValid = false;
}

void TSenderRect::SetChildVisible(TMetaRect* Child, bool Basic, int Index, bool Value)
{
    if (Child->IsVisible() == Value)
        return;
    Child->SetVisible(Value);
    // The child's own place gets its default, whichever set is active: the
    // place at the same position of the other set belongs to another child.
    const auto it = std::find(ShownList.begin(), ShownList.end(), Child);
    if (Value) {
        if (Basic)
            BasicRects[size_t(Index)] = SenderBasicDefaultRect(Index, GetVertical());
        else
            FullRects[size_t(Index)] = SenderFullDefaultRect(Index, GetVertical());
        // A child of the set not shown waits until its set is.
        if (it == ShownList.end() && InActiveSet(Child))
            ShownList.push_back(Child);
    } else if (it != ShownList.end()) {
        if (CurrentChild == Child)
            CurrentChild = nullptr;
        ShownList.erase(it);
    }
    LayoutValid = false;
}

bool TSenderRect::GetPosVisible() const
{
    return FullPos->IsVisible();
}

void TSenderRect::SetPosVisible(bool Value)
{
    SetChildVisible(FullPos.get(), false, sfPos, Value);
}

bool TSenderRect::GetAddressVisible(int Index) const
{
    return Index >= 0 && Index < 3 && FullAddresses[Index]->IsVisible();
}

void TSenderRect::SetAddressVisible(int Index, bool Value)
{
    if (Index >= 0 && Index < 3)
        SetChildVisible(FullAddresses[Index].get(), false, sfAddress1 + Index, Value);
}

bool TSenderRect::GetNameVisible() const
{
    return FullName->IsVisible();
}

void TSenderRect::SetNameVisible(bool Value)
{
    SetChildVisible(FullName.get(), false, sfName, Value);
}

bool TSenderRect::GetCorpVisible() const
{
    return FullCorp->IsVisible();
}

void TSenderRect::SetCorpVisible(bool Value)
{
    SetChildVisible(FullCorp.get(), false, sfCorp, Value);
}

bool TSenderRect::GetDepartmentVisible(int Index) const
{
    return Index >= 0 && Index < 2 && FullDepartments[Index]->IsVisible();
}

void TSenderRect::SetDepartmentVisible(int Index, bool Value)
{
    if (Index >= 0 && Index < 2)
        SetChildVisible(FullDepartments[Index].get(), false, sfDepartment1 + Index, Value);
}

bool TSenderRect::GetPostVisible() const
{
    return FullPost->IsVisible();
}

void TSenderRect::SetPostVisible(bool Value)
{
    SetChildVisible(FullPost.get(), false, sfPost, Value);
}

bool TSenderRect::GetAdditionVisible(int Index) const
{
    return Index >= 0 && Index < 4 && FullAdditions[Index]->IsVisible();
}

void TSenderRect::SetAdditionVisible(int Index, bool Value)
{
    if (Index >= 0 && Index < 4)
        SetChildVisible(FullAdditions[Index].get(), false, sfAddition1 + Index, Value);
}

bool TSenderRect::GetBasicAdditionVisible(int Index) const
{
    return Index >= 0 && Index < 2 && BasicAdditions[Index]->IsVisible();
}

void TSenderRect::SetBasicAdditionVisible(int Index, bool Value)
{
    if (Index >= 0 && Index < 2)
        SetChildVisible(BasicAdditions[Index].get(), true, sbAddition1 + Index, Value);
}

// The record, read whole before anything is changed.
struct TSenderRect::TRecord {
    QByteArray title;
    bool basicVisible[2] = {true, true};
    bool fullVisible[kSenderFullCount];
    quint8 fieldIds[6] = {};
    QString fixedTexts[6];
    std::array<TRect, kSenderBasicCount> basicRects{};
    std::array<TRect, kSenderFullCount> fullRects{};
    qint32 charset = 0;
    QByteArray faceName;
    qint32 size = 0;
    qint32 style = 0;
    qint32 color = 0;
    quint8 vertical = 0;
    bool wholeBlock = true;
    bool autoLayout = true;
    qint32 current = -1;
    TRectFrame frame;
    quint8 upsideDown = 0;
};

void TSenderRect::LoadFromStream(QIODevice& Stream)
{
    const TRect rect = Rect;
    const TRect displayRect = DisplayRect;
    const bool visible = Visible;
    TRecord r;
    try {
        TDrawRect::LoadFromStream(Stream);
        const qint32 version = DrawRectFileVersion;
        ReadStreamStr(Stream, r.title);
        std::fill(std::begin(r.fullVisible), std::end(r.fullVisible), true);
        if (version >= 201) {
            for (bool& v : r.basicVisible)
                v = ReadStreamBool(Stream);
            for (bool& v : r.fullVisible)
                v = ReadStreamBool(Stream);
            for (int i = 0; i < 6; ++i) {
                r.fieldIds[i] = ReadStreamByte(Stream);
                if (r.fieldIds[i] == kAdditionFixedText)
                    ReadStreamStr(Stream, r.fixedTexts[i]);
            }
        }
        for (TRect& s : r.basicRects)
            s = ReadStreamRect(Stream);
        if (version >= 201)
            for (TRect& s : r.fullRects)
                s = ReadStreamRect(Stream);
        r.charset = ReadStreamInt32(Stream);
        ReadStreamStr(Stream, r.faceName);
        r.size = ReadStreamInt32(Stream);
        r.style = ReadStreamInt32(Stream);
        r.color = ReadStreamInt32(Stream);
        r.vertical = ReadStreamByte(Stream);
        r.wholeBlock = ReadStreamBool(Stream);
        r.autoLayout = version >= 201 ? ReadStreamBool(Stream) : true;
        r.current = version >= 201 ? ReadStreamInt32(Stream) : ReadStreamByte(Stream);
        r.frame.LoadFromStream(Stream);
        r.upsideDown = version >= 200 ? ReadStreamByte(Stream) : 0;
    } catch (...) {
        Rect = rect;
        DisplayRect = displayRect;
        Visible = visible;
        throw;
    }
    ApplyRecord(r);
}

void TSenderRect::ApplyRecord(TRecord& R)
{
    const bool old = DrawRectFileVersion < 201;
    StoredTitle = R.title;
    SenderTitle = cp932::Decode(R.title);
    if (old) {
        // Every child shown; the additional items become empty fixed texts.
        for (TMetaRect* c : BasicList)
            c->SetVisible(true);
        for (TMetaRect* c : FullList)
            c->SetVisible(true);
    } else {
        for (int i = 0; i < 2; ++i)
            BasicAdditions[i]->SetVisible(R.basicVisible[i]);
        for (int i = 0; i < kSenderFullCount; ++i)
            FullList[size_t(i)]->SetVisible(R.fullVisible[i]);
    }
    TAdditionRect* additions[6] = {BasicAdditions[0].get(), BasicAdditions[1].get(), FullAdditions[0].get(),
                                   FullAdditions[1].get(),  FullAdditions[2].get(),  FullAdditions[3].get()};
    for (int i = 0; i < 6; ++i) {
        additions[i]->SetFieldId(R.fieldIds[i]);
        if (R.fieldIds[i] == kAdditionFixedText)
            additions[i]->SetText(R.fixedTexts[i]);
    }
    BasicRects = R.basicRects;
    if (!old)
        FullRects = R.fullRects;
    // A size no font takes (a damaged record) is kept to the largest one.
    TFont font;
    SetFontAttr(&font, static_cast<std::uint8_t>(R.charset), cp932::Decode(R.faceName),
                std::clamp(R.size, -kMaxFontPoints, kMaxFontPoints), R.style);
    font.SetColor(static_cast<TColor>(R.color));
    SetFont(font);
    StoredFaceName = R.faceName;
    SetVertical(R.vertical);
    if (old)
        for (int i = 0; i < kSenderFullCount; ++i)
            FullRects[size_t(i)] = SenderFullDefaultRect(i, GetVertical());
    WholeBlock = R.wholeBlock;
    AutoLayout = R.autoLayout;
    RebuildShownList();
    const std::vector<TMetaRect*>& active = ActiveList();
    CurrentChild = R.current >= 0 && R.current < qint32(active.size()) ? active[size_t(R.current)] : nullptr;
    // Loading fires nothing: the layout is taken again below anyway.
    Frame.Assign(R.frame);
    // The turn of the children as stored; the places are taken as stored.
    for (TMetaRect* c : BasicList)
        c->SetUpsideDown(R.upsideDown);
    for (TMetaRect* c : FullList)
        c->SetUpsideDown(R.upsideDown);
    LayoutValid = false;
}

void TSenderRect::SaveToStream(QIODevice& Stream) const
{
    TDrawRect::SaveToStream(Stream);
    if (!StoredTitle.isNull() && cp932::Decode(StoredTitle) == SenderTitle)
        WriteStreamStr(StoredTitle, Stream);
    else
        WriteStreamStr(SenderTitle, Stream);
    for (const auto& a : BasicAdditions)
        WriteStreamBool(Stream, a->IsVisible());
    for (const TMetaRect* c : FullList)
        WriteStreamBool(Stream, c->IsVisible());
    const TAdditionRect* additions[6] = {BasicAdditions[0].get(), BasicAdditions[1].get(), FullAdditions[0].get(),
                                         FullAdditions[1].get(),  FullAdditions[2].get(),  FullAdditions[3].get()};
    for (const TAdditionRect* a : additions) {
        WriteStreamByte(Stream, a->GetFieldId());
        if (a->GetFieldId() == kAdditionFixedText)
            WriteStreamStr(a->GetText(), Stream);
    }
    for (const TRect& s : BasicRects)
        WriteStreamRect(Stream, s);
    for (const TRect& s : FullRects)
        WriteStreamRect(Stream, s);
    const TFont& font = GetFont();
    WriteStreamInt32(Stream, font.Charset());
    if (!StoredFaceName.isNull() && cp932::Decode(StoredFaceName) == font.Name())
        WriteStreamStr(StoredFaceName, Stream);
    else
        WriteStreamStr(font.Name(), Stream);
    WriteStreamInt32(Stream, font.Size());
    WriteStreamInt32(Stream, FontStyleToBits(font));
    WriteStreamInt32(Stream, static_cast<qint32>(font.Color()));
    WriteStreamByte(Stream, GetVertical());
    WriteStreamBool(Stream, WholeBlock);
    WriteStreamBool(Stream, AutoLayout);
    const std::vector<TMetaRect*>& active = ActiveList();
    const auto at = std::find(active.begin(), active.end(), CurrentChild);
    WriteStreamInt32(Stream, CurrentChild && at != active.end() ? qint32(at - active.begin()) : -1);
    Frame.SaveToStream(Stream);
    WriteStreamByte(Stream, GetUpsideDown());
}

void TSenderRect::DescribeFields(QJsonObject& Fields) const
{
    TDrawRect::DescribeFields(Fields);
    const auto rects = [](const auto& list) {
        QJsonArray a;
        for (const TRect& r : list)
            a.append(QJsonArray{r.Left, r.Top, r.Right, r.Bottom});
        return a;
    };
    const auto visible = [](const std::vector<TMetaRect*>& list, int from, int to) {
        QJsonArray a;
        for (int i = from; i < to; ++i)
            a.append(list[size_t(i)]->IsVisible());
        return a;
    };
    QJsonArray additions;
    for (const TAdditionRect* a : {BasicAdditions[0].get(), BasicAdditions[1].get(), FullAdditions[0].get(),
                                   FullAdditions[1].get(), FullAdditions[2].get(), FullAdditions[3].get()}) {
        QJsonObject o{{QStringLiteral("FieldId"), a->GetFieldId()}};
        if (a->GetFieldId() == kAdditionFixedText)
            o[QStringLiteral("Text")] = a->GetText();
        additions.append(o);
    }
    const TFont& font = GetFont();
    const std::vector<TMetaRect*>& active = ActiveList();
    const auto at = std::find(active.begin(), active.end(), CurrentChild);
    QJsonObject frame;
    Frame.DescribeFields(frame);
    Fields[QStringLiteral("SenderTitle")] = SenderTitle;
    Fields[QStringLiteral("BasicAdditionVisible")] = visible(BasicList, sbAddition1, kSenderBasicCount);
    Fields[QStringLiteral("FullVisible")] = visible(FullList, 0, kSenderFullCount);
    Fields[QStringLiteral("Additions")] = additions;
    Fields[QStringLiteral("BasicRects")] = rects(BasicRects);
    Fields[QStringLiteral("FullRects")] = rects(FullRects);
    Fields[QStringLiteral("FontCharset")] = font.Charset();
    Fields[QStringLiteral("FontName")] = font.Name();
    Fields[QStringLiteral("FontSize")] = font.Size();
    Fields[QStringLiteral("FontStyle")] = FontStyleToBits(font);
    Fields[QStringLiteral("FontColor")] = static_cast<qint64>(font.Color());
    Fields[QStringLiteral("Vertical")] = GetVertical();
    Fields[QStringLiteral("WholeBlock")] = WholeBlock;
    Fields[QStringLiteral("AutoLayout")] = AutoLayout;
    Fields[QStringLiteral("CurrentChild")] = CurrentChild && at != active.end() ? qint32(at - active.begin()) : -1;
    Fields[QStringLiteral("Frame")] = frame;
    Fields[QStringLiteral("UpsideDown")] = GetUpsideDown();
}

const TDrawRectClass& SenderRectClass()
{
    static const TDrawRectClass c{"TSenderRect", {ikSender}, [](quint8) -> std::unique_ptr<TDrawRect> {
                                      return std::make_unique<TSenderRect>();
                                  }};
    return c;
}

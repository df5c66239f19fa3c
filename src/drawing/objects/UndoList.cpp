#include "drawing/objects/UndoList.h"

#include "drawing/objects/BackImage.h"

#include <algorithm>

TObjectUndoData::TObjectUndoData(quint8 Kind) : TUndoData(Kind)
{
    for (QBuffer& s : Streams)
        s.open(QIODevice::ReadWrite);
}

// ---- TUndoDatas -------------------------------------------------------------

TUndoDatas::TUndoDatas(quint8 Kind) : StepKind(Kind) {}
TUndoDatas::~TUndoDatas() = default;

namespace {

// Saves into a scratch buffer first, so a failing writer leaves the record's
// stream as it was instead of half-overwritten.
template <class TObj> void saveInto(const TObj& Obj, QBuffer& Stream)
{
    QBuffer scratch;
    scratch.open(QIODevice::WriteOnly);
    Obj.SaveToStream(scratch);
    Stream.close();
    Stream.setData(scratch.data());
    Stream.open(QIODevice::ReadWrite);
    Stream.seek(0);
}

} // namespace

void TUndoDatas::SaveObject(const TDrawRect& Obj, QBuffer& Stream) { saveInto(Obj, Stream); }
void TUndoDatas::SaveObject(const TBackImage& Obj, QBuffer& Stream) { saveInto(Obj, Stream); }

void TUndoDatas::AddObject(const TDrawRect& Obj, quint8 Side)
{
    auto data = std::make_unique<TObjectUndoData>();
    SaveObject(Obj, data->GetStream(Side));
    Items.push_back(std::move(data));
}

void TUndoDatas::AddObject(const TBackImage& Obj, quint8 Side)
{
    auto data = std::make_unique<TObjectUndoData>();
    SaveObject(Obj, data->GetStream(Side));
    Items.push_back(std::move(data));
}

void TUndoDatas::AddDrawRect(const TDrawRect& Obj, qint32 ZIndex, quint8 Side, qint32 ListIndex)
{
    auto data = std::make_unique<TDrawRectUndoData>();
    data->ItemKinds = {Obj.GetKind(), Obj.GetKind()};
    data->ZIndex = ZIndex;
    data->ListIndex = ListIndex;
    SaveObject(Obj, data->GetStream(Side));
    Items.push_back(std::move(data));
}

void TUndoDatas::AddRect(const TRect& Rect, qint32 ZIndex, quint8 Side, qint32 ItemIndex)
{
    auto data = std::make_unique<TRectUndoData>();
    data->Rects[Side & 1] = Rect;
    data->ZIndex = ZIndex;
    data->ItemIndex = ItemIndex;
    Items.push_back(std::move(data));
}

void TUndoDatas::AddZOrder(qint32 NewIndex, qint32 OldIndex)
{
    auto data = std::make_unique<TZOrderUndoData>();
    data->NewIndex = NewIndex;
    data->OldIndex = OldIndex;
    Items.push_back(std::move(data));
}

void TUndoDatas::AddPrintSetting(const TPrintSetting& Setting, quint8 Side)
{
    auto data = std::make_unique<TPrintSettingUndoData>();
    data->Settings[Side & 1] = Setting;
    Items.push_back(std::move(data));
}

template <class T> T* TUndoDatas::itemAs(qint32 Index) const
{
    return dynamic_cast<T*>(GetItem(Index));
}

void TUndoDatas::SetObjectState(qint32 Index, const TDrawRect& Obj, quint8 Side)
{
    auto* data = itemAs<TObjectUndoData>(Index);
    if (!data)
        return;
    SaveObject(Obj, data->GetStream(Side));
    if (auto* rect = dynamic_cast<TDrawRectUndoData*>(data))
        rect->ItemKinds[Side & 1] = Obj.GetKind();
}

void TUndoDatas::SetObjectState(qint32 Index, const TBackImage& Obj, quint8 Side)
{
    if (auto* data = itemAs<TObjectUndoData>(Index))
        SaveObject(Obj, data->GetStream(Side));
}

void TUndoDatas::SetRect(qint32 Index, const TRect& Rect, quint8 Side)
{
    if (auto* data = itemAs<TRectUndoData>(Index))
        data->Rects[Side & 1] = Rect;
}

void TUndoDatas::SetPrintSetting(qint32 Index, const TPrintSetting& Setting, quint8 Side)
{
    if (auto* data = itemAs<TPrintSettingUndoData>(Index))
        data->Settings[Side & 1] = Setting;
}

TUndoData* TUndoDatas::GetItem(qint32 Index) const
{
    return Index >= 0 && Index < Count() ? Items[size_t(Index)].get() : nullptr;
}

void TUndoDatas::SetSelCount(quint8 Side, qint32 N)
{
    Selection[Side & 1].resize(size_t(std::max(N, 0)), 0);
}

qint32 TUndoDatas::GetSel(quint8 Side, qint32 I) const
{
    const auto& sel = Selection[Side & 1];
    return I >= 0 && size_t(I) < sel.size() ? sel[size_t(I)] : -1;
}

void TUndoDatas::SetSel(quint8 Side, qint32 I, qint32 ZIndex)
{
    auto& sel = Selection[Side & 1];
    if (I >= 0 && size_t(I) < sel.size())
        sel[size_t(I)] = ZIndex;
}

// ---- TUndoList --------------------------------------------------------------

void TUndoList::Push(std::unique_ptr<TUndoDatas> Step)
{
    if (!Step)
        return;
    if (Position >= 0)
        Steps.erase(Steps.begin(), Steps.begin() + std::min<qint32>(Position + 1, Count()));
    Steps.insert(Steps.begin(), std::move(Step));
    while (Count() > Depth)
        Steps.pop_back();
    Position = -1;
}

void TUndoList::replay(TUndoDatas& Step, quint8 Side, TUndoData& Item)
{
    struct Rewind {
        TUndoData& item;
        quint8 side;
        ~Rewind()
        {
            if (auto* data = dynamic_cast<TObjectUndoData*>(&item))
                data->GetStream(side).seek(0);
        }
    } rewind{Item, Side};
    if (OnReplay)
        OnReplay(this, Step.StepKind, Side, &Item);
}

void TUndoList::Undo()
{
    if (!CanUndo())
        return;
    ++Position;
    TUndoDatas& step = *Steps[size_t(Position)];
    for (qint32 i = step.Count() - 1; i >= 0; --i)
        replay(step, usBefore, *step.GetItem(i));
}

void TUndoList::Redo()
{
    if (!CanRedo())
        return;
    TUndoDatas& step = *Steps[size_t(Position)];
    // The step counts as redone even when the handler throws part-way, the
    // same as an undo that throws counts as undone: the position always
    // names the step whose records were handed over last.
    struct Step {
        qint32& position;
        ~Step() { --position; }
    } advance{Position};
    for (qint32 i = 0; i < step.Count(); ++i)
        replay(step, usAfter, *step.GetItem(i));
}

void TUndoList::Clear()
{
    Steps.clear();
    Position = -1;
}

TUndoDatas* TUndoList::GetItem(qint32 Index) const
{
    return Index >= 0 && Index < Count() ? Steps[size_t(Index)].get() : nullptr;
}

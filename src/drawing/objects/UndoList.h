#pragma once
// The undo history of a designer: its last five editing steps, each kept as
// before-and-after records of what it touched. Undo and redo hand the records
// of a step one by one, with the side to apply, to the designer's replay
// handler; the history knows nothing of the designer's lists.
//
// Object states are the objects' own item records (or the background
// image's stream) in memory; they are never written to disk.

#include "drawing/objects/DrawRect.h"
#include "drawing/objects/PrintSetting.h"

#include <QBuffer>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class TBackImage;

// Sides of a record: the state before the change (applied on undo) and the
// state after it (applied on redo).
enum : quint8 { usBefore = 0, usAfter = 1 };

// Step kinds. A data-format step carries the print settings before and after
// a change in the data-format or layout-detail dialog.
enum : quint8 {
    ukAdded = 0,
    ukRemoved = 1,
    ukChanged = 2,
    ukMoved = 3,
    ukZOrder = 4,
    ukDataForm = 5,
};

// Record kinds: an object state, print settings, a layout-object record.
enum : quint8 { rkObject = 0, rkPrintSetting = 1, rkLayoutObject = 2 };

class TUndoData {
public:
    explicit TUndoData(quint8 Kind) : RecordKind(Kind) {}
    virtual ~TUndoData() = default;
    TUndoData(const TUndoData&) = delete;
    TUndoData& operator=(const TUndoData&) = delete;

    quint8 RecordKind;
};

// An object's saved state per side, read by the designer with the object's
// LoadFromStream (or the background image's).
class TObjectUndoData : public TUndoData {
public:
    TObjectUndoData() : TObjectUndoData(rkObject) {}
    QBuffer& GetStream(quint8 Side) { return Streams[Side & 1]; }

protected:
    explicit TObjectUndoData(quint8 Kind);

private:
    std::array<QBuffer, 2> Streams;
};

class TDrawRectUndoData : public TObjectUndoData {
public:
    TDrawRectUndoData() : TObjectUndoData(rkLayoutObject) {}
    quint8 GetItemKind(quint8 Side) const { return ItemKinds[Side & 1]; }

    std::array<quint8, 2> ItemKinds{};
    qint32 ListIndex = 0; // index in the designer's list for the kind (or of kept items)
    qint32 ZIndex = 0;    // index in the designer's z-order list
};

class TRectUndoData : public TUndoData {
public:
    TRectUndoData() : TUndoData(rkLayoutObject) {}
    TRect GetRect(quint8 Side) const { return Rects[Side & 1]; }

    std::array<TRect, 2> Rects{};
    qint32 ZIndex = -1;   // -1 for an always-kept item
    qint32 ItemIndex = 0; // index in the list of always-kept items
};

class TZOrderUndoData : public TUndoData {
public:
    TZOrderUndoData() : TUndoData(rkLayoutObject) {}
    qint32 NewIndex = 0;
    qint32 OldIndex = 0;
};

// The whole print-settings record per side.
class TPrintSettingUndoData : public TUndoData {
public:
    TPrintSettingUndoData() : TUndoData(rkPrintSetting) {}
    const TPrintSetting& GetSetting(quint8 Side) const { return Settings[Side & 1]; }

    std::array<TPrintSetting, 2> Settings{};
};

// One step.
class TUndoDatas {
public:
    explicit TUndoDatas(quint8 StepKind);
    ~TUndoDatas();
    TUndoDatas(const TUndoDatas&) = delete;
    TUndoDatas& operator=(const TUndoDatas&) = delete;

    // Each Add saves the state for the one side given; the other side is
    // filled later by index (SetObjectState, SetRect, SetPrintSetting).
    // A record whose state cannot be saved is not added (the stream error
    // is passed on).
    void AddObject(const TDrawRect& Obj, quint8 Side);
    void AddObject(const TBackImage& Obj, quint8 Side);
    void AddDrawRect(const TDrawRect& Obj, qint32 ZIndex, quint8 Side, qint32 ListIndex);
    void AddRect(const TRect& Rect, qint32 ZIndex, quint8 Side, qint32 ItemIndex);
    void AddZOrder(qint32 NewIndex, qint32 OldIndex);
    void AddPrintSetting(const TPrintSetting& Setting, quint8 Side);

    // By index; nothing when the index is out of range or the record is of
    // another class.
    void SetObjectState(qint32 Index, const TDrawRect& Obj, quint8 Side);
    void SetObjectState(qint32 Index, const TBackImage& Obj, quint8 Side);
    void SetRect(qint32 Index, const TRect& Rect, quint8 Side);
    void SetPrintSetting(qint32 Index, const TPrintSetting& Setting, quint8 Side);

    // Replaces Stream's contents with the object's state and rewinds it. On a
    // stream error the stream keeps what it held.
    static void SaveObject(const TDrawRect& Obj, QBuffer& Stream);
    static void SaveObject(const TBackImage& Obj, QBuffer& Stream);

    qint32 Count() const { return qint32(Items.size()); }
    TUndoData* GetItem(qint32 Index) const; // nullptr out of range

    qint32 GetSelCount(quint8 Side) const { return qint32(Selection[Side & 1].size()); }
    void SetSelCount(quint8 Side, qint32 N);
    qint32 GetSel(quint8 Side, qint32 I) const; // -1 out of range
    void SetSel(quint8 Side, qint32 I, qint32 ZIndex);
    qint32 GetFocusIndex(quint8 Side) const { return FocusIndex[Side & 1]; }
    void SetFocusIndex(quint8 Side, qint32 I) { FocusIndex[Side & 1] = I; }

    quint8 StepKind;

private:
    template <class T> T* itemAs(qint32 Index) const;

    std::vector<std::unique_ptr<TUndoData>> Items;
    std::array<std::vector<qint32>, 2> Selection;
    std::array<qint32, 2> FocusIndex{-1, -1};
};

class TUndoList {
public:
    using TReplayEvent = std::function<void(TUndoList* Sender, quint8 StepKind, quint8 Side, TUndoData* Item)>;

    TUndoList() = default;
    TUndoList(const TUndoList&) = delete;
    TUndoList& operator=(const TUndoList&) = delete;

    // Takes the step; the steps undone before are dropped, and the oldest
    // falls off beyond Depth.
    void Push(std::unique_ptr<TUndoDatas> Step);
    // Replay the step: undo hands its records last to first with side 0,
    // redo first to last with side 1. Each object stream is rewound after
    // its record was handed over, also when the handler throws, so a step
    // replays any number of times.
    void Undo();
    void Redo();
    void Clear();

    bool CanUndo() const { return Position < Count() - 1; }
    bool CanRedo() const { return Position >= 0; }
    qint32 Count() const { return qint32(Steps.size()); }
    TUndoDatas* GetItem(qint32 Index) const; // nullptr out of range
    qint32 GetPosition() const { return Position; }
    qint32 GetDepth() const { return Depth; }

    TReplayEvent OnReplay;

private:
    void replay(TUndoDatas& Step, quint8 Side, TUndoData& Item);

    std::vector<std::unique_ptr<TUndoDatas>> Steps; // index 0 is the newest
    qint32 Depth = 5;
    qint32 Position = -1; // index of the step undone last, -1 when none is
};

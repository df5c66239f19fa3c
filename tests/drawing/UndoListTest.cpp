#include "DrawRectTestItem.h"
#include "drawing/objects/BackImage.h"
#include "drawing/objects/PrintSetting.h"
#include "drawing/objects/StreamIO.h"
#include "drawing/objects/UndoList.h"
#include "drawing/objects/WordRect.h"

#include <QBuffer>

#include <memory>
#include <string>
#include <vector>

namespace {

// A text item whose lines hold code page 932 trail bytes 0x5C (表 ソ) and a
// note ending in an empty line: the record a replay must hand back whole.
std::unique_ptr<TWordRect> MakeWord(const QString& first, qint32 left)
{
    auto w = std::make_unique<TWordRect>();
    w->SetLines({first, QStringLiteral("ソフト表示"), QString()});
    w->SetRect(TRect(left, 10, left + 200, 90));
    return w;
}

QByteArray RecordOf(const TDrawRect& obj)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    obj.SaveToStream(b);
    return b.data();
}

// A step tagged by its first z-index, so the tests can tell steps apart.
std::unique_ptr<TUndoDatas> TaggedStep(qint32 tag)
{
    auto step = std::make_unique<TUndoDatas>(ukZOrder);
    step->AddZOrder(tag, tag + 100);
    return step;
}

qint32 TagOf(const TUndoDatas* step) { return static_cast<TZOrderUndoData*>(step->GetItem(0))->NewIndex; }

} // namespace

TEST(UndoList, KeepsTheNewestFiveAndPushAfterUndosDropsTheUndoneSteps)
{
    TUndoList list;
    std::vector<qint32> replayed;
    list.OnReplay = [&](TUndoList* sender, quint8, quint8 side, TUndoData* item) {
        EXPECT_EQ(sender, &list);
        EXPECT_EQ(side, usBefore);
        replayed.push_back(static_cast<TZOrderUndoData*>(item)->NewIndex);
    };
    for (qint32 i = 1; i <= 6; ++i)
        list.Push(TaggedStep(i));
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(TagOf(list.GetItem(0)), 6);
    EXPECT_EQ(TagOf(list.GetItem(4)), 2); // the first fell off
    EXPECT_EQ(list.GetItem(5), nullptr);

    for (int i = 0; i < 6; ++i) // the sixth does nothing
        list.Undo();
    EXPECT_EQ(replayed, (std::vector<qint32>{6, 5, 4, 3, 2}));
    EXPECT_EQ(list.GetPosition(), 4);
    EXPECT_FALSE(list.CanUndo());
    EXPECT_TRUE(list.CanRedo());

    // Redo three: steps 0 and 1 (tags 6 and 5) stay undone.
    list.OnReplay = [&](TUndoList*, quint8, quint8 side, TUndoData*) { EXPECT_EQ(side, usAfter); };
    list.Redo();
    list.Redo();
    list.Redo();
    EXPECT_EQ(list.GetPosition(), 1);

    list.Push(TaggedStep(7)); // drops the undone 6 and 5
    EXPECT_EQ(list.GetPosition(), -1);
    EXPECT_FALSE(list.CanRedo());
    ASSERT_EQ(list.Count(), 4);
    std::vector<qint32> tags;
    for (qint32 i = 0; i < list.Count(); ++i)
        tags.push_back(TagOf(list.GetItem(i)));
    EXPECT_EQ(tags, (std::vector<qint32>{7, 4, 3, 2}));

    int calls = 0;
    list.OnReplay = [&](TUndoList*, quint8, quint8, TUndoData*) { ++calls; };
    list.Redo(); // nothing undone: nothing to redo
    EXPECT_EQ(calls, 0);
    list.Clear();
    list.Undo();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GetPosition(), -1);
}

TEST(UndoList, ReplaysRecordsInReverseForUndoAndHandsBackTheSameBytesEveryTime)
{
    const TFileVersionScope version(DrawRectCurrentVersion);
    auto a = MakeWord(QStringLiteral("表題"), 10);
    auto b = MakeWord(QStringLiteral("申込ソ"), 300);
    TBackImage back;

    // A "changed" step over two items and the background, filled as a
    // designer fills it: side 0 before the change, side 1 by index after.
    auto step = std::make_unique<TUndoDatas>(ukChanged);
    step->SetSelCount(usBefore, 2);
    step->SetSel(usBefore, 0, 3);
    step->SetSel(usBefore, 1, 5);
    step->SetSel(usBefore, 2, 9); // past the end: ignored
    step->SetFocusIndex(usBefore, 1);
    step->AddDrawRect(*a, 3, usBefore, 0);
    step->AddDrawRect(*b, 5, usBefore, 1);
    step->AddObject(back, usBefore);
    const QByteArray aBefore = RecordOf(*a);
    const QByteArray bBefore = RecordOf(*b);

    a->SetLines({QStringLiteral("表"), QString()});
    b->SetRect(TRect(0, 0, 50, 50));
    step->SetObjectState(0, *a, usAfter);
    step->SetObjectState(1, *b, usAfter);
    step->SetObjectState(2, back, usAfter);
    step->SetObjectState(7, *a, usAfter);        // past the end: nothing
    step->SetRect(0, TRect(1, 2, 3, 4), usAfter); // another class: nothing
    const QByteArray aAfter = RecordOf(*a);
    const QByteArray bAfter = RecordOf(*b);
    ASSERT_NE(aBefore, aAfter);

    EXPECT_EQ(step->GetSel(usBefore, 1), 5);
    EXPECT_EQ(step->GetSel(usBefore, 2), -1);
    EXPECT_EQ(step->GetSel(usAfter, 0), -1);
    EXPECT_EQ(step->GetFocusIndex(usAfter), -1);
    EXPECT_EQ(step->Count(), 3);
    EXPECT_EQ(step->GetItem(3), nullptr);
    auto* first = dynamic_cast<TDrawRectUndoData*>(step->GetItem(0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->RecordKind, rkLayoutObject);
    EXPECT_EQ(first->GetItemKind(usBefore), ikWord);
    EXPECT_EQ(first->GetItemKind(usAfter), ikWord);
    EXPECT_EQ(step->GetItem(2)->RecordKind, rkObject);

    TUndoList list;
    list.Push(std::move(step));
    struct Seen {
        quint8 side;
        qint32 zIndex; // -1 for the background
        QByteArray bytes;
    };
    std::vector<Seen> seen;
    list.OnReplay = [&](TUndoList*, quint8 kind, quint8 side, TUndoData* item) {
        EXPECT_EQ(kind, ukChanged);
        auto* obj = dynamic_cast<TObjectUndoData*>(item);
        ASSERT_NE(obj, nullptr);
        QBuffer& s = obj->GetStream(side);
        EXPECT_EQ(s.pos(), 0);
        auto* rect = dynamic_cast<TDrawRectUndoData*>(item);
        if (rect) { // load it back as the designer would
            TWordRect w;
            w.LoadFromStream(s);
            EXPECT_EQ(RecordOf(w), s.data());
        } else {
            TBackImage img;
            img.LoadFromStream(s);
        }
        EXPECT_EQ(s.pos(), s.size()); // the whole record was read
        seen.push_back({side, rect ? rect->ZIndex : -1, s.data()});
    };
    for (int round = 0; round < 3; ++round) {
        seen.clear();
        list.Undo();
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_EQ(seen[0].zIndex, -1); // last record first
        EXPECT_EQ(seen[1].zIndex, 5);
        EXPECT_EQ(seen[2].zIndex, 3);
        EXPECT_EQ(seen[1].bytes, bBefore);
        EXPECT_EQ(seen[2].bytes, aBefore);
        for (const Seen& s : seen)
            EXPECT_EQ(s.side, usBefore);

        seen.clear();
        list.Redo();
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_EQ(seen[0].zIndex, 3);
        EXPECT_EQ(seen[0].bytes, aAfter);
        EXPECT_EQ(seen[1].bytes, bAfter);
        for (const Seen& s : seen)
            EXPECT_EQ(s.side, usAfter);
    }
}

TEST(UndoList, AHandlerThatThrowsLeavesTheStepReplayable)
{
    const TFileVersionScope version(DrawRectCurrentVersion);
    auto a = MakeWord(QStringLiteral("表"), 0);
    auto step = std::make_unique<TUndoDatas>(ukRemoved);
    step->AddDrawRect(*a, 0, usBefore, 0);
    TUndoList list;
    list.Push(std::move(step));
    list.OnReplay = [](TUndoList*, quint8, quint8 side, TUndoData* item) {
        QBuffer& s = static_cast<TObjectUndoData*>(item)->GetStream(side);
        s.read(5);
        throw EDrawRectStreamError("designer failed");
    };
    EXPECT_THROW(list.Undo(), EDrawRectStreamError);
    EXPECT_EQ(list.GetPosition(), 0);
    auto* data = static_cast<TObjectUndoData*>(list.GetItem(0)->GetItem(0));
    EXPECT_EQ(data->GetStream(usBefore).pos(), 0);
    EXPECT_THROW(list.Redo(), EDrawRectStreamError);
    EXPECT_EQ(list.GetPosition(), -1);
}

TEST(UndoList, DataFormAndGeometryStepsCarryBothSides)
{
    TPrintSetting before;
    before.DefHonor.SetText(QStringLiteral("様"));
    before.Reserved[6] = 0x5C; // reserved bytes travel as they are
    TPrintSetting after = before;
    after.PosMark = 2;
    after.NameAlign = 9;

    TUndoDatas step(ukDataForm);
    step.AddPrintSetting(before, usBefore);
    step.SetPrintSetting(0, after, usAfter);
    step.AddRect(TRect(1, 2, 3, 4), -1, usBefore, 2);
    step.SetRect(1, TRect(5, 6, 7, 8), usAfter);
    step.SetPrintSetting(1, before, usBefore); // another class: nothing
    step.SetSelCount(usAfter, -3);             // never negative
    EXPECT_EQ(step.GetSelCount(usAfter), 0);

    auto* ps = dynamic_cast<TPrintSettingUndoData*>(step.GetItem(0));
    ASSERT_NE(ps, nullptr);
    EXPECT_EQ(ps->RecordKind, rkPrintSetting);
    EXPECT_EQ(ps->GetSetting(usBefore).ToBytes(), before.ToBytes());
    EXPECT_EQ(ps->GetSetting(usAfter).ToBytes(), after.ToBytes());
    auto* r = dynamic_cast<TRectUndoData*>(step.GetItem(1));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetRect(usBefore), TRect(1, 2, 3, 4));
    EXPECT_EQ(r->GetRect(usAfter), TRect(5, 6, 7, 8));
    EXPECT_EQ(r->ZIndex, -1);
    EXPECT_EQ(r->ItemIndex, 2);
}

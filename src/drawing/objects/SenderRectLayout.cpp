// The sender block's geometry: placing the children from their stored places,
// following a moved child with the block's bounds, turning the block, and
// drawing and printing it inside its frame.

#include "drawing/objects/SenderRect.h"

#include "core/common/Units.h"
#include "drawing/objects/AdditionRect.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/ImageUtils.h"
#include "drawing/objects/MetaRect.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Stored places and rectangles come from files: every product is taken in
// floating point and brought back into the Int32 range.
qint32 Round32(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<qint32>(std::clamp<int64_t>(RoundHalfUp(std::clamp(v, -4.0e18, 4.0e18)), INT32_MIN, INT32_MAX));
}

qint32 Clamp32(qint64 v)
{
    return static_cast<qint32>(std::clamp<qint64>(v, INT32_MIN, INT32_MAX));
}

bool IsEmpty(const TRect& r)
{
    return r.Right <= r.Left || r.Bottom <= r.Top;
}

// A stored place turned by 180 degrees inside the 205 x 205 frame.
TRect Turned(const TRect& s)
{
    const qint64 side = kSenderFrameSide;
    return {Clamp32(side - s.Right), Clamp32(side - s.Bottom), Clamp32(side - s.Left), Clamp32(side - s.Top)};
}

} // namespace

TRect TSenderRect::ContentRect() const
{
    return Frame.GetFrame() ? Frame.GetInnerRect(Rect, 1.0) : Rect;
}

void TSenderRect::Draw(TCanvas* Canvas, qint32 X, qint32 Y)
{
    if (!Canvas || IsEmpty(Rect))
        return;
    Frame.Draw(*Canvas, Moved(DisplayRect, X, Y), Zoom);
    const TRect content = ContentRect();
    if (IsEmpty(content))
        return;
    LayoutChildren(content, false);
    for (TMetaRect* c : ShownList)
        c->Draw(Canvas, X, Y);
}

void TSenderRect::Print(TCanvas* Canvas, qint32 X, qint32 Y)
{
    if (!Canvas || IsEmpty(PrintRect))
        return;
    const TRect inner = Frame.Draw(*Canvas, Moved(PrintRect, X, Y), Canvas->DpiY() / 96.0);
    if (IsEmpty(inner))
        return;
    for (TMetaRect* c : ShownList)
        c->Print(Canvas, X, Y);
}

void TSenderRect::Refresh(bool Force)
{
    const TRect content = ContentRect();
    if (!IsEmpty(content))
        LayoutChildren(content, Force);
}

void TSenderRect::LayoutChildren(const TRect& Content, bool Force)
{
    if (!LayoutValid) {
        const double sx = (double(Content.Width()) - 2 * kSenderBlockMargin) / kSenderFrameSide;
        const double sy = (double(Content.Height()) - 2 * kSenderBlockMargin) / kSenderFrameSide;
        if (AutoLayout) {
            for (int i = 0; i < kSenderBasicCount; ++i) {
                TMetaRect* c = BasicList[size_t(i)];
                if (!dynamic_cast<TAdditionRect*>(c) || c->IsVisible())
                    PlaceChild(*c, BasicRects[size_t(i)], Content, sx, sy);
            }
        } else {
            for (int i = 0; i < kSenderFullCount; ++i)
                if (FullList[size_t(i)]->IsVisible())
                    PlaceChild(*FullList[size_t(i)], FullRects[size_t(i)], Content, sx, sy);
        }
        LayoutValid = true;
    }
    for (TMetaRect* c : ShownList)
        c->Refresh(Force);
}

void TSenderRect::PlaceChild(TMetaRect& Child, const TRect& Stored, const TRect& Content, double sx, double sy)
{
    const qint64 left = qint64(Content.Left) + kSenderBlockMargin + Round32(Stored.Left * sx);
    const qint64 top = qint64(Content.Top) + kSenderBlockMargin + Round32(Stored.Top * sy);
    const qint64 width = Round32((double(Stored.Right) - Stored.Left) * sx);
    const qint64 height = Round32((double(Stored.Bottom) - Stored.Top) * sy);
    Child.SetRect(TRect(Clamp32(left), Clamp32(top), Clamp32(left + width), Clamp32(top + height)));
}

void TSenderRect::UpdateBlockBounds()
{
    // The union of the shown children, empty ones left out as a union of
    // rectangles leaves them out.
    TRect u;
    bool any = false;
    for (const TMetaRect* c : ShownList) {
        const TRect r = c->GetRect();
        if (IsEmpty(r))
            continue;
        if (!any) {
            u = r;
            any = true;
        } else {
            u = {std::min(u.Left, r.Left), std::min(u.Top, r.Top), std::max(u.Right, r.Right),
                 std::max(u.Bottom, r.Bottom)};
        }
    }
    // Nothing to measure the places against: they stay as stored.
    if (!any || IsEmpty(u))
        return;
    const double fx = double(kSenderFrameSide) / u.Width();
    const double fy = double(kSenderFrameSide) / u.Height();
    const auto stored = [&](const TMetaRect* c) {
        const TRect r = c->GetRect();
        return TRect(Round32((double(r.Left) - u.Left) * fx), Round32((double(r.Top) - u.Top) * fy),
                     Round32((double(r.Right) - u.Left) * fx), Round32((double(r.Bottom) - u.Top) * fy));
    };
    if (AutoLayout)
        for (int i = 0; i < kSenderBasicCount; ++i)
            BasicRects[size_t(i)] = stored(BasicList[size_t(i)]);
    else
        for (int i = 0; i < kSenderFullCount; ++i)
            FullRects[size_t(i)] = stored(FullList[size_t(i)]);
    const TRect grown(Clamp32(qint64(u.Left) - kSenderBlockMargin), Clamp32(qint64(u.Top) - kSenderBlockMargin),
                      Clamp32(qint64(u.Right) + kSenderBlockMargin), Clamp32(qint64(u.Bottom) + kSenderBlockMargin));
    TDrawRect::SetRect(Frame.GetFrame() ? Frame.GetOuterRect(grown) : grown);
}

void TSenderRect::ResetChildRects(int Index)
{
    const quint8 direction = GetVertical();
    if (Index < 0) {
        for (int i = 0; i < kSenderBasicCount; ++i)
            BasicRects[size_t(i)] = SenderBasicDefaultRect(i, direction);
        for (int i = 0; i < kSenderFullCount; ++i)
            FullRects[size_t(i)] = SenderFullDefaultRect(i, direction);
    } else if (AutoLayout) {
        if (Index < kSenderBasicCount)
            BasicRects[size_t(Index)] = SenderBasicDefaultRect(Index, direction);
    } else if (Index < kSenderFullCount) {
        FullRects[size_t(Index)] = SenderFullDefaultRect(Index, direction);
    }
    LayoutValid = false;
}

void TSenderRect::SetUpsideDown(quint8 Value)
{
    if (Value == GetUpsideDown())
        return;
    for (TMetaRect* c : BasicList)
        c->SetUpsideDown(Value);
    for (TMetaRect* c : FullList)
        c->SetUpsideDown(Value);
    for (TRect& s : BasicRects)
        s = Turned(s);
    for (TRect& s : FullRects)
        s = Turned(s);
    LayoutValid = false;
}

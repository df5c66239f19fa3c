// The sender-block records: any bytes read as a sender block at the layout
// versions whose records differ, as a designer meets them. A record that
// reads is written, read back and written again to the same bytes; then the
// block is filled with awkward texts, laid out, drawn and printed, a child is
// picked and moved in child-edit mode, and the block is turned upside down
// and back, all without a sanitizer report. Turning twice must give every
// stored place back.
//
// Input: one byte picks the layout version, one the reference device, one
// the zoom and what is done; the rest is the record. tests/drawing replays
// the seed corpus under ASan/UBSan.

#include "FuzzDrawItem.h"
#include "drawing/objects/AdditionRect.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/NameRect.h"
#include "drawing/objects/PosRect.h"
#include "drawing/objects/SenderRect.h"

#include <cstdint>

namespace sender_record_fuzz {

// Places within this bound keep the children small enough to draw quickly.
constexpr qint32 kDrawBound = 4096;

bool Small(const TRect& r, qint32 bound)
{
    return r.Left >= -bound && r.Left <= bound && r.Top >= -bound && r.Top <= bound && r.Right >= -bound &&
           r.Right <= bound && r.Bottom >= -bound && r.Bottom <= bound;
}

bool SmallPlaces(const TSenderRect& s, qint32 bound)
{
    for (const TRect& r : s.GetBasicRects())
        if (!Small(r, bound))
            return false;
    for (const TRect& r : s.GetFullRects())
        if (!Small(r, bound))
            return false;
    return true;
}

void Fill(TSenderRect& s, quint8 mode)
{
    s.ResetFontHeight();
    s.GetBasicPos()->SetPosCode(mode & 8 ? QStringLiteral("〒123-4567") : QStringLiteral("1234567"));
    s.GetPos()->SetPosCode(QStringLiteral("表ソ"));
    s.GetBasicAddress()->SetAddress(0, QStringLiteral("東京都港区芝公園４丁目２－８"));
    s.GetBasicAddress()->SetAddress(1, QStringLiteral("表ソビル１２階"));
    for (int i = 0; i < 3; ++i)
        s.GetAddress(i)->SetAddress(0, QStringLiteral("表町１－２－３"));
    s.GetBasicName()->SetName(QStringLiteral("山田　太郎"));
    s.GetName()->SetName(QStringLiteral("表"));
    for (int i = 0; i < 2; ++i)
        s.GetBasicAddition(i)->SetText(QStringLiteral("TEL 03-1234-5678"));
    for (int i = 0; i < 4; ++i)
        s.GetAddition(i)->SetText(QStringLiteral("ソ"));
}

int OneInput(const uint8_t* data, size_t size)
{
    fuzz_draw_item::Setup();
    if (size < 3)
        return 0;
    static constexpr qint32 kVersions[] = {DrawRectCurrentVersion, 201, 200, 199, 0};
    static constexpr TRefDevice kDevices[] = {{false, 96, 96, 0, 0}, {true, 600, 600, 0, 0}, {true, 1200, 600, 0, 0}};
    static constexpr double kZooms[] = {1.0, 1.5, 0.25, 0.0};
    const qint32 version = kVersions[data[0] % std::size(kVersions)];
    const TRefDevice& device = kDevices[data[1] % std::size(kDevices)];
    const quint8 mode = data[2];
    const double zoom = kZooms[mode % std::size(kZooms)];
    const QByteArray record(reinterpret_cast<const char*>(data) + 3, static_cast<qsizetype>(size - 3));

    const TRefDeviceScope scope(device);
    const fuzz_draw_item::TDrawRun run{"sender_record_fuzzer", "TSenderRect", version, zoom, QPoint(0, 0),
                                       fuzz_draw_item::TPrintAt{QPoint(10, 20), (mode & 4) != 0}};
    fuzz_draw_item::RoundTripAndDraw(run, record, [&](TDrawRect& item) {
        auto* s = dynamic_cast<TSenderRect*>(&item);
        fuzz_draw_item::Check(s != nullptr, run.harness, "a sender block");
        // Turning twice gives every place back when no coordinate saturates.
        if (SmallPlaces(*s, 1 << 30)) {
            const auto basic = s->GetBasicRects();
            const auto full = s->GetFullRects();
            const quint8 turned = s->GetUpsideDown();
            s->SetUpsideDown(turned ? 0 : 1);
            s->SetUpsideDown(turned);
            fuzz_draw_item::Check(s->GetBasicRects() == basic && s->GetFullRects() == full, run.harness,
                                  "turning twice restores the stored places");
        }
        const TRect r = s->GetBlockDisplayRect();
        if (!SmallPlaces(*s, kDrawBound) || !Small(r, kDrawBound))
            return false;
        Fill(*s, mode);
        if (mode & 16) {
            // Child-edit mode: pick what lies at the block's centre and move it.
            s->Refresh(false);
            s->SetWholeBlock(false);
            if (s->HitTest(r.Left + r.Width() / 2, r.Top + r.Height() / 2)) {
                const TRect c = s->GetRect();
                s->SetRect(TRect(c.Left + 7, c.Top - 3, c.Right + 20, c.Bottom));
            }
            s->UpdateBlockBounds();
            s->SetWholeBlock(true);
            return SmallPlaces(*s, kDrawBound) && Small(s->GetRect(), kDrawBound);
        }
        return true;
    });
    return 0;
}

} // namespace sender_record_fuzz

#ifndef SENDER_RECORD_FUZZER_NO_ENTRY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return sender_record_fuzz::OneInput(data, size);
}
#endif

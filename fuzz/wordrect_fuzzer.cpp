// The free-text records: any bytes read as a free text at every layout
// version, as a designer and a printer meet them. A record that reads is
// written back, read again and written again (the second writing gives the
// same bytes as the first), and the item is rendered on a zoomed screen and
// printed at a printer's resolution, all without a sanitizer report. A line
// count the record cannot hold must be refused before anything is
// allocated for it.
//
// Input: one byte picks the layout version, one the reference device, one
// the zoom; the rest is the record. tests/drawing replays the seed corpus
// under ASan/UBSan.

#include "FuzzDrawItem.h"
#include "drawing/objects/WordRect.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_draw_item::Setup();
    if (size < 3)
        return 0;
    static constexpr qint32 kVersions[] = {DrawRectCurrentVersion, 501, 500, 400, 200, 199, 0};
    static constexpr TRefDevice kDevices[] = {{false, 96, 96, 0, 0}, {true, 600, 600, 0, 0}, {true, 300, 300, 0, 0}};
    static constexpr double kZooms[] = {1.0, 1.5, 0.25};
    const qint32 version = kVersions[data[0] % std::size(kVersions)];
    const TRefDevice& device = kDevices[data[1] % std::size(kDevices)];
    const double zoom = kZooms[data[2] % std::size(kZooms)];
    const QByteArray record(reinterpret_cast<const char*>(data) + 3, static_cast<qsizetype>(size - 3));

    const TRefDeviceScope scope(device);
    const fuzz_draw_item::TDrawRun run{"wordrect_fuzzer", "TWordRect", version, zoom, QPoint(0, 0), std::nullopt};
    fuzz_draw_item::RoundTripAndDraw(run, record, [](TDrawRect& item) {
        // Big items would only make the run slow, not reach other code.
        const TRect r = item.GetRect();
        return r.Width() > 0 && r.Height() > 0 && r.Width() <= 2000 && r.Height() <= 2000;
    });
    return 0;
}

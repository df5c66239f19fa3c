// The figure records: any bytes read as a figure at every layout version,
// as a designer and a printer meet them. A record that reads is written
// back, read again and written again (the same bytes), then drawn on a
// zoomed screen with its owner's clip and printed with its gradation cache,
// all without a sanitizer report.
//
// Input: one byte picks the layout version, one the reference device, one
// the clip side, four the clip line (little-endian), one the zoom; the rest
// is the record.

#include "FuzzDrawItem.h"
#include "drawing/objects/FigureRect.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_draw_item::Setup();
    if (size < 8)
        return 0;
    static constexpr qint32 kVersions[] = {DrawRectCurrentVersion, 300, 299, 201, 200, -1};
    static constexpr TRefDevice kDevices[] = {
        {false, 96, 96, 0, 0}, {true, 600, 600, 0, 0}, {true, 1200, 600, 40, 20}, {true, 200, 200, 0, 0}};
    static constexpr double kZooms[] = {1.0, 1.5, 0.25, 4.0};
    qint32 clipLine;
    std::memcpy(&clipLine, data + 3, 4); // the hosts are little-endian
    const qint32 version = kVersions[data[0] % std::size(kVersions)];
    const TRefDevice& device = kDevices[data[1] % std::size(kDevices)];
    const quint8 clipSide = data[2] % 5;
    const double zoom = kZooms[data[7] % std::size(kZooms)];
    const QByteArray record(reinterpret_cast<const char*>(data) + 8, static_cast<qsizetype>(size - 8));

    const TRefDeviceScope scope(device);
    const fuzz_draw_item::TDrawRun run{"figurerect_fuzzer", "TFigureRect", version, zoom, QPoint(3, -2),
                                       fuzz_draw_item::TPrintAt{QPoint(clipLine % 2000, 15), (clipLine & 1) != 0}};
    const std::unique_ptr<TDrawRect> item = fuzz_draw_item::RoundTripAndDraw(run, record, [&](TDrawRect& figure) {
        figure.SetClipSide(clipSide);
        figure.SetClipLine(clipLine);
        return true;
    });
    if (item)
        static_cast<TFigureRect*>(item.get())->FreePrintCache();
    return 0;
}

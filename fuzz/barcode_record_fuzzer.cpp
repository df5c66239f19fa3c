// The customer-barcode records: any bytes read as a barcode at the layout
// versions around its own Visible byte. A record that reads is taken round
// the stored form (the same bytes again), given bars from a postal code and
// an address cut from the input, turned, and drawn on a zoomed screen and a
// printer page, all without a sanitizer report. The work file of the bars
// goes to a private temporary folder and must not be left there.
//
// Input: one byte picks the layout version, one the reference device, one
// the zoom, one the direction, one the length n of the address taken from
// the end of the input; the rest is the record, then the n address bytes.

#include "FuzzDrawItem.h"
#include "drawing/objects/BarcodeRect.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace barcode_fuzz {

int OneInput(const uint8_t* data, size_t size)
{
    fuzz_draw_item::Setup();
    if (size < 5)
        return 0;
    static constexpr qint32 kVersions[] = {DrawRectCurrentVersion, 201, 200, 199, 100};
    static constexpr TRefDevice kDevices[] = {{false, 96, 96, 0, 0}, {true, 600, 600, 0, 0}, {true, 1200, 300, 40, 20}};
    static constexpr double kZooms[] = {1.0, 1.5, 0.25, 0.0};
    static QTemporaryDir work;
    const qint32 version = kVersions[data[0] % std::size(kVersions)];
    const TRefDevice& device = kDevices[data[1] % std::size(kDevices)];
    const double zoom = kZooms[data[2] % std::size(kZooms)];
    const bool horizontal = (data[3] & 1) != 0;
    const size_t rest = size - 5;
    const size_t addressLength = std::min<size_t>(data[4], rest);
    const QByteArray record(reinterpret_cast<const char*>(data) + 5, static_cast<qsizetype>(rest - addressLength));
    const QByteArray address(reinterpret_cast<const char*>(data) + size - addressLength,
                             static_cast<qsizetype>(addressLength));

    const TRefDeviceScope scope(device);
    const fuzz_draw_item::TDrawRun run{"barcode_record_fuzzer", "TBarcodeRect", version, zoom, QPoint(2, -3),
                                       fuzz_draw_item::TPrintAt{QPoint(100, 15), true}};
    fuzz_draw_item::RoundTripAndDraw(run, record, [&](TDrawRect& item) {
        auto& b = static_cast<TBarcodeRect&>(item);
        const QString folder = work.path() + QLatin1Char('/');
        b.SetHorizontal(horizontal);
        b.SetSizeClass(static_cast<quint8>(data[3] >> 1));
        b.MakeBarcode(QString::fromLatin1(address.left(8)), cp932::Decode(address), folder, folder, folder);
        fuzz_draw_item::Check(!QFile::exists(folder + QStringLiteral("Barcode.bmp")), "barcode_record_fuzzer",
                              "the work file is deleted");
        if (data[3] & 0x80)
            b.RotateBitmap();
        return true;
    });
    return 0;
}

} // namespace barcode_fuzz

#ifndef BARCODE_RECORD_FUZZER_NO_ENTRY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return barcode_fuzz::OneInput(data, size);
}
#endif

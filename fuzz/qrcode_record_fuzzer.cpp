// The QR-code records: any bytes read as a QR code at the layout versions
// around its Rotated byte. A record that reads is taken round the stored
// form (the same bytes again), then its picture is made from whatever the
// record holds (form, code size, colours, texts) on a zoomed screen and at
// the printer's resolution, all without a sanitizer report. The work file
// goes to a private temporary folder and must not be left there.
//
// Input: one byte picks the layout version, one the reference device, one
// the zoom; the rest is the record.

#include "FuzzDrawItem.h"
#include "drawing/objects/QRCodeRect.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace qrcode_fuzz {

int OneInput(const uint8_t* data, size_t size)
{
    fuzz_draw_item::Setup();
    if (size < 3)
        return 0;
    static constexpr qint32 kVersions[] = {DrawRectCurrentVersion, 301, 300, 201, 200};
    static constexpr TRefDevice kDevices[] = {{false, 96, 96, 0, 0}, {true, 600, 600, 0, 0}, {true, 1200, 300, 40, 20}};
    static constexpr double kZooms[] = {1.0, 2.0, 0.5, 0.0};
    static QTemporaryDir work;
    const qint32 version = kVersions[data[0] % std::size(kVersions)];
    const TRefDevice& device = kDevices[data[1] % std::size(kDevices)];
    const double zoom = kZooms[data[2] % std::size(kZooms)];
    const QByteArray record(reinterpret_cast<const char*>(data) + 3, static_cast<qsizetype>(size - 3));

    const TRefDeviceScope scope(device);
    const fuzz_draw_item::TDrawRun run{"qrcode_record_fuzzer", "TQRCodeRect", version, zoom, QPoint(-1, 4),
                                       fuzz_draw_item::TPrintAt{QPoint(30, 40), false}};
    const std::unique_ptr<TDrawRect> item = fuzz_draw_item::RoundTripAndDraw(run, record, [&](TDrawRect& item) {
        static_cast<TQRCodeRect&>(item).SetWorkFolder(work.path());
        return true;
    });
    if (item) {
        static_cast<TQRCodeRect&>(*item).ResetPrintMode();
        fuzz_draw_item::Check(!QFile::exists(work.path() + QStringLiteral("/QRCode.bmp")), "qrcode_record_fuzzer",
                              "the work file is deleted");
    }
    return 0;
}

} // namespace qrcode_fuzz

#ifndef QRCODE_RECORD_FUZZER_NO_ENTRY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return qrcode_fuzz::OneInput(data, size);
}
#endif

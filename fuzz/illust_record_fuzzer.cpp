// The picture records: any bytes read as a picture item at every layout
// version. A record either reads or raises the stream error; one that reads
// is written back, read again and written again to the same bytes, then
// drawn on a zoomed screen and printed with both masked printing paths, its
// print image made and freed, all without a sanitizer report. One mask
// shape (an ellipse) is in the mask list, so index 0 cuts out and any other
// index names no shape.
//
// Input: one byte picks the layout version, one the reference device, one
// the zoom, one the flags (1 clip printing, 2 high quality); the rest is
// the record.

#include "FuzzDrawItem.h"
#include "drawing/objects/BackImage.h"
#include "drawing/objects/IllustRect.h"
#include "platform/Metafile.h"
#include "platform/MetafileFile.h"

#include <QDir>
#include <QStandardPaths>

#include <cstdint>

namespace {

// The mask list holds one ellipse, written once a process.
void SetupMaskList()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    TMetafileEx shape;
    shape.SetResolution(96, 96);
    shape.SetWidth(62);
    shape.SetHeight(62);
    {
        TCanvas canvas(shape);
        canvas.Brush().Color = 0;
        canvas.Brush().Style = bsSolid;
        canvas.Ellipse(0, 0, 62, 62);
    }
    const QString file = QDir::temp().filePath(QStringLiteral("illust_record_fuzzer_mask.emf"));
    if (SaveMetafileFile(shape, file))
        AddIllustMaskFile(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_draw_item::Setup();
    SetupMaskList();
    if (size < 4)
        return 0;
    static constexpr qint32 kVersions[] = {DrawRectCurrentVersion, 301, 300, 299, 201, 200, -1};
    static constexpr TRefDevice kDevices[] = {
        {false, 96, 96, 0, 0}, {true, 600, 600, 0, 0}, {true, 1200, 600, 40, 20}, {true, 200, 200, 0, 0}};
    static constexpr double kZooms[] = {1.0, 1.5, 0.25, 4.0};
    const qint32 version = kVersions[data[0] % std::size(kVersions)];
    const TRefDevice& device = kDevices[data[1] % std::size(kDevices)];
    const double zoom = kZooms[data[2] % std::size(kZooms)];
    const quint8 flags = data[3];
    const QByteArray record(reinterpret_cast<const char*>(data) + 4, static_cast<qsizetype>(size - 4));

    const TRefDeviceScope scope(device);
    const fuzz_draw_item::TDrawRun run{"illust_record_fuzzer", "TIllustRect", version, zoom, QPoint(2, -3),
                                       fuzz_draw_item::TPrintAt{QPoint(10, 15), (flags & 4) != 0}};
    const std::unique_ptr<TDrawRect> item = fuzz_draw_item::RoundTripAndDraw(run, record, [&](TDrawRect& it) {
        auto& picture = static_cast<TIllustRect&>(it);
        picture.SetClipPrinting(flags & 1);
        picture.SetHighQuality(flags & 2);
        return true;
    });
    if (item) {
        auto& picture = static_cast<TIllustRect&>(*item);
        // The other printing path, and a second page that reuses the image.
        picture.SetClipPrinting(!(flags & 1));
        picture.PreparePrint(QPoint(10, 15), false);
        QImage page(64, 64, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        TCanvas canvas(p, RefDevice().dpiX, RefDevice().dpiY);
        picture.Print(&canvas, 0, 0);
        picture.FreePrintImage();
    }
    return 0;
}

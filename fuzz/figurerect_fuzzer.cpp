// The figure records: any bytes read as a figure at every layout version,
// as a designer and a printer meet them. A record that reads is written
// back, read again and written again (the same bytes), then drawn on a
// zoomed screen with its owner's clip and printed with its gradation cache,
// all without a sanitizer report.
//
// Input: one byte picks the layout version, one the reference device, one
// the clip side, four the clip line (little-endian), one the zoom; the rest
// is the record.

#include "core/common/FontUtils.h"
#include "drawing/objects/FigureRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/RefDevice.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "figurerect_fuzzer: %s\n", what);
        std::abort();
    }
}

void Setup()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "figurerect_fuzzer";
        static char* argv[] = {name, nullptr};
        static QGuiApplication* app = new QGuiApplication(argc, argv); // lives as long as the process
        (void)app;
    }
    RegisterFigureClasses();
}

QByteArray Saved(const TDrawRect& item)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    item.SaveToStream(out);
    return out.data();
}

std::unique_ptr<TDrawRect> Loaded(const QByteArray& record, double zoom)
{
    std::unique_ptr<TDrawRect> item = CreateDrawRect("TFigureRect");
    Check(item != nullptr, "the class is registered");
    item->SetZoom(zoom);
    QBuffer in;
    in.setData(record);
    in.open(QIODevice::ReadOnly);
    try {
        item->LoadFromStream(in);
    } catch (const EDrawRectStreamError&) {
        return nullptr;
    }
    return item;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Setup();
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
    DrawRectFileVersion = version;
    std::unique_ptr<TDrawRect> item = Loaded(record, zoom);
    if (!item)
        return 0;
    const QByteArray first = Saved(*item);
    DrawRectFileVersion = DrawRectCurrentVersion;
    std::unique_ptr<TDrawRect> again = Loaded(first, zoom);
    Check(again != nullptr, "a written record reads back");
    Check(Saved(*again) == first, "a record read back writes the same bytes");

    item->SetClipSide(clipSide);
    item->SetClipLine(clipLine);
    QImage screen(64, 64, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter p(&screen);
        TCanvas canvas(p);
        item->Draw(&canvas, 3, -2);
    }
    item->PreparePrint(QPoint(clipLine % 2000, 15), (clipLine & 1) != 0);
    QImage page(64, 64, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        TCanvas canvas(p, device.dpiX, device.dpiY);
        item->Print(&canvas, -1, 1);
    }
    static_cast<TFigureRect*>(item.get())->FreePrintCache();
    return 0;
}
